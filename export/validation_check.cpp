#include "export/validation_check.h"

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

}  // namespace qm
