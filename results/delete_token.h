// The sender's own delete: each upload gets a token of 128 random bits,
// shown once; the board keeps only its SHA-256 and deletes the result for
// whoever shows the token again.
#pragma once

#include <cstdint>
#include <string>

#include "results/result_store.h"

namespace qm {

// 32 lower-case hex digits from the system's generator; empty when the
// generator fails (then no upload is taken).
std::string NewDeleteToken();

// Whether token is the one whose SHA-256 is stored; compared in constant
// time. A result stored without a token matches none.
bool DeleteTokenMatches(const std::string& token, const std::string& storedSha256);

enum class DeleteOutcome { Deleted, NotFound, WrongToken, Failed };

// Deletes result id when token is its delete token.
DeleteOutcome DeleteWithToken(ResultStore* store, int64_t id, const std::string& token);

}  // namespace qm
