#include "results/delete_token.h"

#include <openssl/crypto.h>
#include <openssl/rand.h>

#include "results/report_hash.h"

namespace qm {
namespace {

constexpr int TOKEN_BYTES = 16;
constexpr size_t TOKEN_DIGITS = size_t{2} * TOKEN_BYTES;

}  // namespace

std::string NewDeleteToken() {
  unsigned char bytes[TOKEN_BYTES];
  if (RAND_bytes(bytes, TOKEN_BYTES) != 1) return std::string();
  static const char HEX[] = "0123456789abcdef";
  std::string token;
  for (unsigned char byte : bytes) {
    token += HEX[byte >> 4];
    token += HEX[byte & 0x0F];
  }
  return token;
}

bool DeleteTokenMatches(const std::string& token, const std::string& storedSha256) {
  // Hashing first makes both sides 64 digits whatever was sent, so the
  // comparison's time tells nothing of the stored value.
  const std::string sha256 = ReportSha256(token);
  return token.size() == TOKEN_DIGITS && sha256.size() == storedSha256.size() && !sha256.empty() &&
         CRYPTO_memcmp(sha256.data(), storedSha256.data(), sha256.size()) == 0;
}

DeleteOutcome DeleteWithToken(ResultStore* store, int64_t id, const std::string& token) {
  std::string stored;
  switch (GetDeleteTokenSha256(store, id, &stored)) {
    case StoreStatus::Ok: break;
    case StoreStatus::NotFound: return DeleteOutcome::NotFound;
    default: return DeleteOutcome::Failed;
  }
  if (!DeleteTokenMatches(token, stored)) return DeleteOutcome::WrongToken;
  switch (DeleteResult(store, id)) {
    case StoreStatus::Ok: return DeleteOutcome::Deleted;
    case StoreStatus::NotFound: return DeleteOutcome::NotFound;  // deleted meanwhile
    default: return DeleteOutcome::Failed;
  }
}

}  // namespace qm
