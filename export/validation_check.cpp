#include "export/validation_check.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "export/validation_file.h"
#include "export/validation_key.h"
#include "platform/aes.h"

namespace qm {
namespace {

int32_t ReadTrailer(const std::string& file) {
  const auto* at = reinterpret_cast<const uint8_t*>(file.data() + file.size() - VALIDATION_TRAILER_BYTES);
  uint32_t value = static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
                   static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
  return static_cast<int32_t>(value);
}

}  // namespace

const char* ValidationProblem(ValidationCheck check) {
  switch (check) {
    case ValidationCheck::Valid: return "valid";
    case ValidationCheck::BadSize: return "its size is not 4096 x N + 4 bytes";
    case ValidationCheck::BadTrailer: return "its last four bytes do not count 1..4096 report bytes";
    case ValidationCheck::BadPadding: return "it was not made with this program's key, or is damaged";
    case ValidationCheck::CipherFailed: return "AES is not available";
  }
  return "unknown";
}

ValidationCheck DecryptValidation(const std::string& file, std::string* report) {
  report->clear();
  if (file.size() < VALIDATION_TRAILER_BYTES ||
      (file.size() - VALIDATION_TRAILER_BYTES) % VALIDATION_BLOCK_BYTES != 0)
    return ValidationCheck::BadSize;
  const size_t blocks = (file.size() - VALIDATION_TRAILER_BYTES) / VALIDATION_BLOCK_BYTES;
  const int32_t trailer = ReadTrailer(file);
  if (trailer < 1 || trailer > static_cast<int32_t>(VALIDATION_BLOCK_BYTES))
    return ValidationCheck::BadTrailer;
  if (blocks == 0)
    return trailer == static_cast<int32_t>(VALIDATION_BLOCK_BYTES) ? ValidationCheck::Valid
                                                                   : ValidationCheck::BadTrailer;

  const CipherOps& cipher = Cipher();
  CipherHandle chain = cipher.begin(CipherDirection::Decrypt, ValidationKey.data(), ValidationIv.data());
  if (chain == nullptr) return ValidationCheck::CipherFailed;
  std::vector<uint8_t> plain(blocks * VALIDATION_BLOCK_BYTES);
  const auto* encrypted = reinterpret_cast<const uint8_t*>(file.data());
  bool ok = true;
  for (size_t block = 0; ok && block < blocks; ++block) {
    size_t at = block * VALIDATION_BLOCK_BYTES;
    ok = cipher.update(chain, encrypted + at, plain.data() + at, VALIDATION_BLOCK_BYTES);
  }
  cipher.end(chain);
  if (!ok) return ValidationCheck::CipherFailed;

  const size_t reportBytes = (blocks - 1) * VALIDATION_BLOCK_BYTES + static_cast<size_t>(trailer);
  for (size_t at = reportBytes; at < plain.size(); ++at)
    if (plain[at] != 0) return ValidationCheck::BadPadding;
  report->assign(reinterpret_cast<const char*>(plain.data()), reportBytes);
  return ValidationCheck::Valid;
}

bool EncryptValidation(const std::string& report, std::string* file) {
  file->clear();
  const ValidationLayout layout = LayoutForReport(report.size());
  std::vector<uint8_t> plain(layout.blocks * VALIDATION_BLOCK_BYTES, 0);
  std::copy(report.begin(), report.end(), plain.begin());
  std::vector<uint8_t> encrypted(plain.size());
  if (!plain.empty()) {
    const CipherOps& cipher = Cipher();
    CipherHandle chain = cipher.begin(CipherDirection::Encrypt, ValidationKey.data(), ValidationIv.data());
    if (chain == nullptr) return false;
    bool ok = true;
    for (size_t at = 0; ok && at < plain.size(); at += VALIDATION_BLOCK_BYTES)
      ok = cipher.update(chain, plain.data() + at, encrypted.data() + at, VALIDATION_BLOCK_BYTES);
    cipher.end(chain);
    if (!ok) return false;
  }
  file->assign(reinterpret_cast<const char*>(encrypted.data()), encrypted.size());
  for (int shift = 0; shift < 32; shift += 8)
    file->push_back(static_cast<char>((layout.trailer >> shift) & 0xFF));
  return true;
}

}  // namespace qm
