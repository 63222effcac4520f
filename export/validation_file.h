// The validation file of a report: the report encrypted with AES-256-CBC
// under the fixed ValidationKey and ValidationIv, in blocks of 4096 bytes
// (the last one filled up with zero bytes) as one chain, followed by a
// 4-byte little-endian count of the report bytes in the last block (4096 for
// a report that fills it, and for an empty report). Its name is the report's
// name + ".verify".
#pragma once

#include <cstdint>

#include "engine/run_results.h"
#include "export/export_hooks.h"
#include "platform/text.h"

namespace qm {

constexpr uint32_t VALIDATION_BLOCK_BYTES = 4096;
constexpr uint32_t VALIDATION_TRAILER_BYTES = 4;

struct ValidationLayout {
  uint64_t blocks;   // the report's size / 4096, rounded up
  uint32_t trailer;  // report bytes in the last block, 1..4096; 4096 when none
};

ValidationLayout LayoutForReport(uint64_t reportBytes);

// report path + ".verify".
Text ValidationFileName(const Text& reportPath);

enum class ValidationOutcome {
  Written,
  NoData,           // no finished run: nothing was touched
  ReportNotOpened,  // the report could not be opened (or created empty)
  FileNotCreated,   // the validation file could not be created
  Failed,           // reading, encrypting or writing failed; the partial file was removed
};

// Encrypts the report at reportPath into its validation file, replacing an
// existing one. A missing report is created empty first. No messages.
ValidationOutcome WriteValidationFile(const Text& reportPath);

// The menu command's whole action: "No data." when there is no finished run
// and nothing else; otherwise WriteValidationFile and then, whatever came of
// it, the message that explains the validation file.
ValidationOutcome SaveValidationFile(const RunResults& results, const Text& reportPath,
                                     const ExportHooks& hooks);

}  // namespace qm
