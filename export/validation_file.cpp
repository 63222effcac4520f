#include "export/validation_file.h"

#include <array>

#include "export/export_messages.h"
#include "export/validation_key.h"
#include "platform/aes.h"
#include "platform/files.h"

namespace qm {
namespace {

// Reads exactly size bytes, however the system splits them up.
bool ReadFully(FileHandle file, uint8_t* data, uint32_t size) {
  while (size > 0) {
    uint32_t done = 0;
    if (!Files().read(file, data, size, &done) || done == 0) return false;
    data += done;
    size -= done;
  }
  return true;
}

// Steps through the report block by block with two fixed buffers, so memory
// does not grow with the report.
bool EncryptBlocks(FileHandle src, FileHandle dst, const ValidationLayout& layout) {
  std::array<uint8_t, VALIDATION_BLOCK_BYTES> input;
  std::array<uint8_t, VALIDATION_BLOCK_BYTES> output;
  const CipherOps& cipher = Cipher();
  CipherHandle chain = cipher.begin(CipherDirection::Encrypt, ValidationKey.data(), ValidationIv.data());
  if (chain == nullptr) return false;
  bool ok = true;
  for (uint64_t block = 1; ok && block <= layout.blocks; ++block) {
    uint32_t take = block == layout.blocks ? layout.trailer : VALIDATION_BLOCK_BYTES;
    input.fill(0);
    ok = ReadFully(src, input.data(), take) &&
         cipher.update(chain, input.data(), output.data(), VALIDATION_BLOCK_BYTES) &&
         Files().write(dst, output.data(), VALIDATION_BLOCK_BYTES);
  }
  cipher.end(chain);
  if (!ok) return false;
  uint8_t trailer[VALIDATION_TRAILER_BYTES] = {
      static_cast<uint8_t>(layout.trailer), static_cast<uint8_t>(layout.trailer >> 8),
      static_cast<uint8_t>(layout.trailer >> 16), static_cast<uint8_t>(layout.trailer >> 24)};
  return Files().write(dst, trailer, VALIDATION_TRAILER_BYTES);
}

}  // namespace

ValidationLayout LayoutForReport(uint64_t reportBytes) {
  uint64_t blocks = reportBytes / VALIDATION_BLOCK_BYTES;
  uint32_t rest = static_cast<uint32_t>(reportBytes % VALIDATION_BLOCK_BYTES);
  if (rest != 0) ++blocks;
  return {blocks, rest != 0 ? rest : VALIDATION_BLOCK_BYTES};
}

Text ValidationFileName(const Text& reportPath) { return reportPath + u".verify"; }

ValidationOutcome WriteValidationFile(const Text& reportPath) {
  const FileOps& files = Files();
  const Text dstPath = ValidationFileName(reportPath);
  FileHandle src = files.open(reportPath, OpenMode::OpenAlwaysReadWriteExclusive);
  if (src == nullptr) return ValidationOutcome::ReportNotOpened;
  FileHandle dst = files.open(dstPath, OpenMode::CreateAlwaysReadWriteExclusive);
  if (dst == nullptr) dst = files.open(dstPath, OpenMode::TruncateExistingWriteExclusive);
  if (dst == nullptr) {
    files.close(src);
    return ValidationOutcome::FileNotCreated;
  }
  uint64_t size = 0;
  bool ok = files.size(src, &size) && EncryptBlocks(src, dst, LayoutForReport(size));
  files.close(src);
  files.close(dst);
  if (ok) return ValidationOutcome::Written;
  // A cut-off validation file would only be rejected by the author later.
  files.remove(dstPath);
  return ValidationOutcome::Failed;
}

ValidationOutcome SaveValidationFile(const RunResults& results, const Text& reportPath,
                                     const ExportHooks& hooks) {
  if (!RunCompleted(results)) {
    hooks.showMessage(NO_DATA_MESSAGE);
    return ValidationOutcome::NoData;
  }
  ValidationOutcome outcome = WriteValidationFile(reportPath);
  hooks.showMessage(VALIDATION_MESSAGE);
  return outcome;
}

}  // namespace qm
