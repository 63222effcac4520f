// The board's pages: the leaderboard, one result and its validation file,
// results side by side, the drive models, the upload form, the CSV and JSON
// Lines exports and the style sheet.
#include "export/report_check.h"
#include "results/clean_text.h"
#include "results/delete_token.h"
#include "results/http/board_context.h"
#include "results/http/comparison_read.h"
#include "results/http/drive_paging.h"
#include "results/http/http_replies.h"
#include "results/http/request_values.h"
#include "results/page_reads.h"
#include "results/pages/compare_page.h"
#include "results/pages/drive_pages.h"
#include "results/pages/html_text.h"
#include "results/pages/leaderboard_page.h"
#include "results/pages/page_frame.h"
#include "results/pages/result_json.h"
#include "results/pages/result_page.h"
#include "results/pages/results_csv.h"
#include "results/pages/submit_page.h"
#include "results/submission.h"

namespace qm {

namespace {

constexpr size_t EXPORT_CHUNK = size_t{64} * 1024;

void StoreUnavailable(HttpReply& res) { SendPageError(res, 503, StatusExplanation(503)); }

bool ReadSearch(const HttpRequest& req, HttpReply& res, std::string* text) {
  const std::string q = ParamValue(req, "q");
  if (q.size() > MAX_SEARCH_BYTES) {
    SendPageError(res, 400,
                  "The search text is too long: at most " + std::to_string(MAX_SEARCH_BYTES) + " bytes.");
    return false;
  }
  *text = CleanText(q);
  if (text->empty() || IndexServesSearch(*text)) return true;
  SendPageError(res, 400,
                "Search for at least " + std::to_string(MIN_SEARCH_CHARACTERS) +
                    " characters of a drive model or processor.");
  return false;
}

// ?after=AVERAGE-ID: the page follows that result, found in the index
// rather than counted from the first.
bool ReadAfter(const HttpRequest& req, HttpReply& res, ResultQuery* query) {
  if (ParseAfter(ParamValue(req, "after"), &query->after, &query->afterAverageMs, &query->afterId))
    return true;
  SendPageError(res, 400, "The page to follow must be given as after=AVERAGE-ID, two whole numbers.");
  return false;
}

bool ReadPageNumber(const HttpRequest& req, HttpReply& res, int64_t* page) {
  if (ParseWholeNumber(ParamValue(req, "page"), 1, MAX_PAGE_NUMBER, 1, page)) return true;
  SendPageError(res, 400, "The page number must be a whole number from 1.");
  return false;
}

void Leaderboard(BoardContext* context, const HttpRequest& req, HttpReply& res) {
  LeaderboardView view;
  if (!ReadSearch(req, res, &view.searchText) || !ReadPageNumber(req, res, &view.pageNumber)) return;
  ResultQuery query;
  query.text = view.searchText;
  if (!ReadAfter(req, res, &query)) return;
  if (view.pageNumber == 1) query.after = false;
  query.offset = (view.pageNumber - 1) * LEADERBOARD_PAGE_SIZE;
  query.limit = LEADERBOARD_PAGE_SIZE;
  ListingData listing;
  if (ReadListing(context->store, query, &listing) != StoreStatus::Ok) return StoreUnavailable(res);
  view.page = std::move(listing.page);
  view.speedAbove = listing.speedAbove;
  SendPage(res, 200, LeaderboardPage(view));
}

void OneResult(BoardContext* context, const HttpRequest& req, HttpReply& res) {
  int64_t id = 0;
  if (!ParseWholeNumber(req.matches[1], 1, INT64_MAX, 0, &id))
    return SendPageError(res, 404, StatusExplanation(404));
  ResultView view;
  ResultData data;
  const StoreStatus status = ReadResult(context->store, id, &data);
  if (status == StoreStatus::NotFound)
    return SendPageError(res, 404, "There is no result " + std::to_string(id) + ".");
  if (status != StoreStatus::Ok) return StoreUnavailable(res);
  view.record = std::move(data.record);
  view.standing = std::move(data.standing);
  if (HasParam(req, "added")) view.notice = ArrivalNotice::Added;
  // Shown only when it is this result's token, so no address makes the
  // page show a token of someone's choosing.
  const std::string token = ParamValue(req, "token");
  std::string stored;
  if (!token.empty() && GetDeleteTokenSha256(context->store, id, &stored) == StoreStatus::Ok &&
      DeleteTokenMatches(token, stored))
    view.deleteToken = token;
  if (HasParam(req, "duplicate")) view.notice = ArrivalNotice::Duplicate;
  SendPage(res, 200, ResultPageHtml(view));
}

void Compare(BoardContext* context, const HttpRequest& req, HttpReply& res) {
  const Comparison comparison = ReadComparison(context->store, req);
  if (comparison.status != 200) return SendPageError(res, comparison.status, comparison.problem);
  SendPage(res, 200, ComparePage(comparison.results));
}

void ValidationDownload(BoardContext* context, const HttpRequest& req, HttpReply& res) {
  int64_t id = 0;
  ResultRecord record;
  if (!ParseWholeNumber(req.matches[1], 1, INT64_MAX, 0, &id))
    return SendPageError(res, 404, StatusExplanation(404));
  const StoreStatus status = GetResult(context->store, id, &record);
  if (status == StoreStatus::NotFound)
    return SendPageError(res, 404, "There is no result " + std::to_string(id) + ".");
  if (status != StoreStatus::Ok) return StoreUnavailable(res);
  SetHeader(res, "Content-Disposition",
            "attachment; filename=\"quillmark-result-" + std::to_string(id) + ".verify\"");
  SetContent(res, record.validationFile, "application/octet-stream");
}

void Drives(BoardContext* context, const HttpRequest&, HttpReply& res) {
  std::vector<DriveSummary> drives;
  if (ListDrives(context->store, &drives) != StoreStatus::Ok) return StoreUnavailable(res);
  SendPage(res, 200, DrivesPage(drives));
}

void DriveModel(BoardContext* context, const HttpRequest& req, HttpReply& res) {
  // The model exactly as stored, the key its links were made from; pages
  // escape and clean it on the way out. Cleaning it here would miss every
  // model that holds a control or bidirectional character.
  const std::string model = req.matches[1];
  if (model.empty() || model.size() > MAX_DRIVE_MODEL_BYTES)
    return SendPageError(res, 404, StatusExplanation(404));
  DrivePaging paging;
  const std::string wrong = ReadDrivePaging(req, &paging);
  if (!wrong.empty()) return SendPageError(res, 400, wrong);
  DrivePageData data;
  const StoreStatus status = ReadDrivePage(context->store, model, paging.query, paging.pageNumber, &data);
  if (status == StoreStatus::NotFound)
    return SendPageError(res, 404, "No results of the drive model \"" + model + "\".");
  if (status != StoreStatus::Ok) return StoreUnavailable(res);
  SendPage(res, 200, DriveModelPage(data));
}

void SubmitUpload(BoardContext* context, const HttpRequest& req, HttpReply& res) {
  SubmissionOutcome outcome;
  if (!TakeUpload(context, req, res, &outcome)) return;
  switch (outcome.kind) {
    case SubmissionKind::Added:
    case SubmissionKind::Duplicate:
      res.status = 303;
      SetHeader(
          res, "Location",
          "/results/" + std::to_string(outcome.id) +
              // The token rides in the address of the page that shows it, once.
              (outcome.kind == SubmissionKind::Added ? "?added&token=" + outcome.deleteToken : "?duplicate"));
      return;
    case SubmissionKind::Rejected: return SendPage(res, 422, SubmitPage(outcome.reason));
    case SubmissionKind::Failed: break;
  }
  StoreUnavailable(res);
}

// Streams every result, one snapshot, in chunks of about EXPORT_CHUNK
// bytes: the export of a large board is never held whole. A store that
// fails part way ends the reply unfinished, which the client sees as cut.
void StreamExport(BoardContext* context, HttpReply& res, const char* contentType, const std::string& fileName,
                  const std::string& head, std::string (*row)(const ResultRecord&)) {
  SetHeader(res, "Content-Type", contentType);
  SetHeader(res, "Content-Disposition", "attachment; filename=\"" + fileName + "\"");
  res.stream = [context, head, row](const PieceWriter& write) {
    // The fences as they stand when the export begins; the rows are one
    // snapshot, read after.
    std::map<std::string, OutlierFences> fences;
    if (AllOutlierFences(context->store, &fences) != StoreStatus::Ok) return false;
    std::string chunk = head;
    bool open = true;
    ResultRecord marked;
    const StoreStatus status = ExportResults(context->store, [&](const ResultRecord& record) {
      const auto found = fences.find(record.driveModel);
      marked = record;
      marked.outlier = found != fences.end() && IsOutlier(found->second, ResultSpeed(record));
      chunk += row(marked);
      if (chunk.size() < EXPORT_CHUNK) return true;
      open = write(chunk);
      chunk.clear();
      return open;
    });
    if (status != StoreStatus::Ok || !open) return false;
    return chunk.empty() || write(chunk);
  };
}

std::string JsonLine(const ResultRecord& record) { return DumpJson(ResultSummaryJson(record)) + "\n"; }

void CsvExport(BoardContext* context, const HttpRequest&, HttpReply& res) {
  StreamExport(context, res, "text/csv; charset=utf-8", "quillmark-results.csv", CsvHeader(), CsvRow);
}

void JsonLinesExport(BoardContext* context, const HttpRequest&, HttpReply& res) {
  StreamExport(context, res, "application/jsonl; charset=utf-8", "quillmark-results.jsonl", std::string(),
               JsonLine);
}

}  // namespace

void AddPageRoutes(RouteTable* table, BoardContext* context) {
  const auto add = [&](const char* method, const char* pattern, RouteCost cost, BoardHandler handler) {
    AddBoardRoute(table, context, method, pattern, cost, handler);
  };
  add("GET", "/", RouteCost::Store, Leaderboard);
  add("GET", R"(/results/(\d{1,18}))", RouteCost::Store, OneResult);
  add("GET", R"(/results/(\d{1,18})\.verify)", RouteCost::Store, ValidationDownload);
  add("GET", "/compare", RouteCost::Store, Compare);
  add("GET", "/drives", RouteCost::Expensive, Drives);
  add("GET", "/drives/(.+)", RouteCost::Expensive, DriveModel);
  add("GET", "/results.csv", RouteCost::Expensive, CsvExport);
  add("GET", "/results.jsonl", RouteCost::Expensive, JsonLinesExport);
  add("POST", "/submit", RouteCost::Store, SubmitUpload);
  AddRoute(table, "GET", "/submit", RouteCost::Light,
           [](const HttpRequest&, HttpReply& res) { SendPage(res, 200, SubmitPage(std::string())); });
  AddRoute(table, "GET", "/board.css", RouteCost::Light, [](const HttpRequest&, HttpReply& res) {
    SetHeader(res, "Cache-Control", "public, max-age=3600");
    SetContent(res, BoardStyleSheet(), "text/css; charset=utf-8");
  });
}

}  // namespace qm
