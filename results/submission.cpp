#include "results/submission.h"

#include "export/report_check.h"
#include "results/delete_token.h"
#include "results/report_hash.h"

namespace qm {
namespace {

// Decrypts and checks one file. When it passes, *record is ready to store
// and the outcome's kind is Added until the store says otherwise.
SubmissionOutcome Checked(const std::string& verifyBytes, ResultRecord* record) {
  SubmissionOutcome outcome;
  std::string report;
  const ValidationVerdict verdict = CheckValidationFile(verifyBytes, &report, record);
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
  record->reportSha256 = ReportSha256(report);
  if (record->reportSha256.empty()) {
    outcome.kind = SubmissionKind::Failed;
    outcome.reason = "SHA-256 is not available";
    return outcome;
  }
  record->report = std::move(report);
  record->validationFile = verifyBytes;
  outcome.kind = SubmissionKind::Added;
  return outcome;
}

// What the store made of a checked record.
void Settle(ResultStore* store, StoreStatus status, ResultRecord* record, SubmissionOutcome* outcome) {
  switch (status) {
    case StoreStatus::Ok: outcome->kind = SubmissionKind::Added; break;
    case StoreStatus::Duplicate: outcome->kind = SubmissionKind::Duplicate; break;
    default:
      outcome->kind = SubmissionKind::Failed;
      outcome->reason = StoreError(store);
      return;
  }
  outcome->id = record->id;
  // A duplicate shows the result stored first, not the one just sent.
  if (status == StoreStatus::Duplicate && GetResult(store, record->id, &outcome->record) == StoreStatus::Ok)
    return;
  outcome->record = std::move(*record);
}

}  // namespace

SubmissionOutcome SubmitValidationFile(ResultStore* store, const std::string& verifyBytes) {
  ResultRecord record;
  SubmissionOutcome outcome = Checked(verifyBytes, &record);
  if (outcome.kind != SubmissionKind::Added) return outcome;
  std::string token = NewDeleteToken();
  if (token.empty()) {
    outcome.kind = SubmissionKind::Failed;
    outcome.reason = "the system's random generator failed";
    return outcome;
  }
  record.deleteTokenSha256 = ReportSha256(token);
  Settle(store, AddResult(store, &record), &record, &outcome);
  if (outcome.kind == SubmissionKind::Added) outcome.deleteToken = std::move(token);
  outcome.record.deleteTokenSha256.clear();
  return outcome;
}

std::vector<SubmissionOutcome> SubmitValidationFiles(ResultStore* store,
                                                     const std::vector<std::string>& files) {
  std::vector<SubmissionOutcome> outcomes;
  std::vector<ResultRecord> records;
  std::vector<size_t> checked;  // the outcome of each record
  for (const std::string& file : files) {
    ResultRecord record;
    outcomes.push_back(Checked(file, &record));
    if (outcomes.back().kind != SubmissionKind::Added) continue;
    records.push_back(std::move(record));
    checked.push_back(outcomes.size() - 1);
  }
  std::vector<StoreStatus> statuses;
  AddResults(store, &records, &statuses);
  for (size_t i = 0; i < records.size(); ++i) Settle(store, statuses[i], &records[i], &outcomes[checked[i]]);
  return outcomes;
}

}  // namespace qm
