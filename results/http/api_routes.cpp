// The JSON API: uploads, listings, one result, results side by side, the
// drive models, health.
#include "export/report_check.h"
#include "results/clean_text.h"
#include "results/http/board_context.h"
#include "results/http/comparison_read.h"
#include "results/http/drive_paging.h"
#include "results/http/http_replies.h"
#include "results/http/request_values.h"
#include "results/page_reads.h"
#include "results/pages/html_text.h"
#include "results/pages/result_json.h"
#include "results/submission.h"

namespace qm {

namespace {

void PostResult(BoardContext* context, const HttpRequest& req, HttpReply& res) {
  SubmissionOutcome outcome;
  if (!TakeUpload(context, req, res, &outcome)) return;
  switch (outcome.kind) {
    case SubmissionKind::Added:
    case SubmissionKind::Duplicate: {
      const bool duplicate = outcome.kind == SubmissionKind::Duplicate;
      SendJson(res, duplicate ? 200 : 201,
               {{"id", outcome.id},
                {"url", "/results/" + std::to_string(outcome.id)},
                {"duplicate", duplicate},
                {"speed", outcome.record.speedText},
                {"averageMs", outcome.record.averageMs}});
      if (!duplicate) {
        SetHeader(res, "Location", "/results/" + std::to_string(outcome.id));
        nlohmann::json answer = nlohmann::json::parse(res.body);
        answer["deleteToken"] = outcome.deleteToken;
        SendJson(res, 201, answer);
      }
      return;
    }
    case SubmissionKind::Rejected: return SendApiError(res, 422, outcome.reason);
    case SubmissionKind::Failed: break;
  }
  SendApiError(res, 503, "the result could not be stored; try again later");
}

void ListResultsJson(BoardContext* context, const HttpRequest& req, HttpReply& res) {
  ResultQuery query;
  if (!ParseWholeNumber(ParamValue(req, "offset"), 0, MAX_LIST_OFFSET, 0, &query.offset))
    return SendApiError(res, 400,
                        "offset must be a whole number from 0 to " + std::to_string(MAX_LIST_OFFSET));
  if (!ParseWholeNumber(ParamValue(req, "limit"), 1, MAX_LIST_LIMIT, 50, &query.limit))
    return SendApiError(res, 400, "limit must be a whole number from 1 to " + std::to_string(MAX_LIST_LIMIT));
  // ?after=AVERAGE-ID: the results that follow that one, found in the index
  // rather than counted from the first.
  if (!ParseAfter(ParamValue(req, "after"), &query.after, &query.afterAverageMs, &query.afterId))
    return SendApiError(res, 400, "after must be AVERAGE-ID, two whole numbers");
  const std::string q = ParamValue(req, "q");
  if (q.size() > MAX_SEARCH_BYTES)
    return SendApiError(res, 400, "q must be at most " + std::to_string(MAX_SEARCH_BYTES) + " bytes");
  query.text = CleanText(q);
  if (!query.text.empty() && !IndexServesSearch(query.text))
    return SendApiError(res, 400,
                        "q must be at least " + std::to_string(MIN_SEARCH_CHARACTERS) + " characters");
  ListingData listing;
  if (ReadListing(context->store, query, &listing) != StoreStatus::Ok)
    return SendApiError(res, 503, "the results could not be read; try again later");
  res.status = 200;
  SetContent(res, ResultListJson(listing.page, query.offset, query.limit), "application/json");
}

void GetResultJson(BoardContext* context, const HttpRequest& req, HttpReply& res) {
  int64_t id = 0;
  if (!ParseWholeNumber(req.matches[1], 1, INT64_MAX, 0, &id))
    return SendApiError(res, 404, "no such result");
  ResultData data;
  switch (ReadResult(context->store, id, &data)) {
    case StoreStatus::Ok: return SendJson(res, 200, ResultDetailJson(data.record, data.standing));
    case StoreStatus::NotFound: return SendApiError(res, 404, "no such result");
    default: return SendApiError(res, 503, "the result could not be read; try again later");
  }
}

// Each result as /api/results/<id> gives it, in the order asked.
void CompareJson(BoardContext* context, const HttpRequest& req, HttpReply& res) {
  const Comparison comparison = ReadComparison(context->store, req);
  if (comparison.status != 200) return SendApiError(res, comparison.status, comparison.problem);
  nlohmann::json list = nlohmann::json::array();
  for (size_t i = 0; i < comparison.results.size(); ++i)
    list.push_back(ResultDetailJson(comparison.results[i], comparison.standings[i]));
  SendJson(res, 200, {{"results", list}});
}

void ListDrivesJson(BoardContext* context, const HttpRequest&, HttpReply& res) {
  std::vector<DriveSummary> drives;
  if (ListDrives(context->store, &drives) != StoreStatus::Ok)
    return SendApiError(res, 503, "the drive models could not be read; try again later");
  nlohmann::json list = nlohmann::json::array();
  for (const DriveSummary& drive : drives) list.push_back(DriveJson(drive));
  SendJson(res, 200, {{"drives", list}});
}

void DriveModelJson(BoardContext* context, const HttpRequest& req, HttpReply& res) {
  // The model exactly as stored, as /drives/<model> takes it.
  const std::string model = req.matches[1];
  if (model.empty() || model.size() > MAX_DRIVE_MODEL_BYTES)
    return SendApiError(res, 404, "no such drive model");
  DrivePaging paging;
  const std::string wrong = ReadDrivePaging(req, &paging);
  if (!wrong.empty()) return SendApiError(res, 400, wrong);
  DrivePageData data;
  switch (ReadDrivePage(context->store, model, paging.query, paging.pageNumber, &data)) {
    case StoreStatus::Ok: break;
    case StoreStatus::NotFound: return SendApiError(res, 404, "no results of this drive model");
    default: return SendApiError(res, 503, "the drive model could not be read; try again later");
  }
  res.status = 200;
  SetContent(res, DrivePageJson(data), "application/json");
}

}  // namespace

void AddApiRoutes(RouteTable* table, BoardContext* context) {
  const auto add = [&](const char* method, const char* pattern, RouteCost cost, BoardHandler handler) {
    AddBoardRoute(table, context, method, pattern, cost, handler);
  };
  add("POST", "/api/results", RouteCost::Store, PostResult);
  add("GET", "/api/results", RouteCost::Store, ListResultsJson);
  add("GET", R"(/api/results/(\d{1,18}))", RouteCost::Store, GetResultJson);
  add("GET", "/api/compare", RouteCost::Store, CompareJson);
  add("GET", "/api/drives", RouteCost::Expensive, ListDrivesJson);
  add("GET", "/api/drives/(.+)", RouteCost::Expensive, DriveModelJson);
  AddRoute(table, "GET", "/healthz", RouteCost::Light,
           [](const HttpRequest&, HttpReply& res) { SetContent(res, "ok\n", "text/plain; charset=utf-8"); });
}

}  // namespace qm
