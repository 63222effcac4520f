// Reading a validation file back: the report it was made from, or why it is
// not a validation file this program writes.
#pragma once

#include <string>

namespace qm {

enum class ValidationCheck {
  Valid,
  BadSize,       // not 4096 x N + 4 bytes
  BadTrailer,    // the count is not 1..4096 (or not 4096 when there are no blocks)
  BadPadding,    // the bytes after the report in the last block are not zero: another key, or damage
  CipherFailed,  // AES could not be started or failed
};

// Decrypts the whole of file into *report, cut to the trailer's count.
ValidationCheck DecryptValidation(const std::string& file, std::string* report);

// The validation file of report, made in memory as WriteValidationFile
// makes it on disk (tools and tests that need many files). False when AES
// failed.
bool EncryptValidation(const std::string& report, std::string* file);

// What is wrong with a file, as a phrase: "its size is not 4096 x N + 4 bytes".
const char* ValidationProblem(ValidationCheck check);

}  // namespace qm
