#include "results/submission.h"

#include "results/report_check.h"
#include "results/report_hash.h"

namespace qm {

SubmissionOutcome SubmitValidationFile(ResultStore* store, const std::string& verifyBytes) {
  SubmissionOutcome outcome;
  ResultRecord record;
  std::string report;
  const ValidationVerdict verdict = CheckValidationFile(verifyBytes, &report, &record);
  if (verdict.file == ValidationCheck::CipherFailed) {
    // Our own failure, not the sender's.
    outcome.kind = SubmissionKind::Failed;
    outcome.reason = ValidationProblem(verdict.file);
    return outcome;
  }
  if (!verdict.passed()) {
    outcome.kind = SubmissionKind::Rejected;
    outcome.reason = verdict.reason;
    return outcome;
  }
  record.reportSha256 = ReportSha256(report);
  if (record.reportSha256.empty()) {
    outcome.kind = SubmissionKind::Failed;
    outcome.reason = "SHA-256 is not available";
    return outcome;
  }
  record.report = std::move(report);
  record.validationFile = verifyBytes;
  switch (AddResult(store, &record)) {
    case StoreStatus::Ok: outcome.kind = SubmissionKind::Added; break;
    case StoreStatus::Duplicate: outcome.kind = SubmissionKind::Duplicate; break;
    default:
      outcome.kind = SubmissionKind::Failed;
      outcome.reason = StoreError(store);
      return outcome;
  }
  outcome.id = record.id;
  if (outcome.kind == SubmissionKind::Duplicate &&
      GetResult(store, record.id, &outcome.record) == StoreStatus::Ok)
    return outcome;
  outcome.record = std::move(record);
  return outcome;
}

}  // namespace qm
