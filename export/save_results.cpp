#include "export/save_results.h"

#include "export/export_messages.h"
#include "export/validation_file.h"
#include "export/whole_file.h"
#include "export/window_snapshot.h"

namespace qm {

bool SaveResults(const RunResults& results, const ReportInputs& inputs, Text* reportBaseName,
                 const ExportHooks& hooks) {
  if (!RunCompleted(results)) {
    hooks.showMessage(NO_DATA_MESSAGE);
    return false;
  }
  hooks.pumpEvents();
  const Text stamp = ReportStamp();
  *reportBaseName = ReportBaseName(stamp);
  const Text reportPath = *reportBaseName + u".txt";
  // A report that cannot be written still gets its validation file and
  // snapshot tried, as the user asked for all three.
  bool reportWritten =
      WriteWholeFile(reportPath, OpenMode::CreateAlwaysReadWriteExclusive, ReportBytes(results, inputs));
  bool validationWritten = SaveValidationFile(results, reportPath, hooks) == ValidationOutcome::Written;
  TakeWindowSnapshot(WindowSnapshotName(stamp), hooks);
  bool saved = reportWritten && validationWritten;
  hooks.showMessage(saved ? FILES_SAVED_MESSAGE : FILES_NOT_SAVED_MESSAGE);
  return saved;
}

}  // namespace qm
