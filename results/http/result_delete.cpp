#include "results/http/result_delete.h"

#include <cctype>
#include <string_view>

#include "results/delete_token.h"
#include "results/http/http_replies.h"
#include "results/http/request_values.h"
#include "results/http/route_table.h"
#include "results/pages/delete_page.h"

namespace qm {
namespace {

bool ReadId(const HttpRequest& req, int64_t* id) {
  return req.matches.size() > 1 && ParseWholeNumber(req.matches[1], 1, INT64_MAX, 0, id);
}

// The token of "Bearer <token>"; the scheme's name in any case.
std::string BearerToken(const std::string& authorization) {
  const std::string_view scheme = "bearer ";
  if (authorization.size() <= scheme.size()) return std::string();
  for (size_t i = 0; i < scheme.size(); ++i)
    if (static_cast<char>(std::tolower(static_cast<unsigned char>(authorization[i]))) != scheme[i])
      return std::string();
  std::string token = authorization.substr(scheme.size());
  while (!token.empty() && token.back() == ' ') token.pop_back();
  return token;
}

// The field "token" of a form body (application/x-www-form-urlencoded).
std::string FormToken(const HttpRequest& req) {
  std::string path;
  FieldList fields;
  if (!SplitTarget("/?" + req.body, &path, &fields)) return std::string();
  for (const auto& [name, value] : fields)
    if (name == "token") return value;
  return std::string();
}

}  // namespace

void ApiDelete(ResultStore* store, const HttpRequest& req, HttpReply& res) {
  int64_t id = 0;
  if (!ReadId(req, &id)) return SendApiError(res, 404, "no such result");
  const std::string token = BearerToken(HeaderValue(req, "Authorization"));
  if (token.empty()) {
    SendApiError(res, 401, "give the result's delete token: Authorization: Bearer <token>");
    SetHeader(res, "WWW-Authenticate", "Bearer");
    return;
  }
  switch (DeleteWithToken(store, id, token)) {
    case DeleteOutcome::Deleted: res.status = 204; return;
    case DeleteOutcome::NotFound: return SendApiError(res, 404, "no such result");
    case DeleteOutcome::WrongToken: return SendApiError(res, 403, "that is not this result's delete token");
    case DeleteOutcome::Failed: break;
  }
  SendApiError(res, 503, "the result could not be deleted; try again later");
}

void DeleteForm(ResultStore* store, const HttpRequest& req, HttpReply& res) {
  int64_t id = 0;
  std::string stored;
  if (!ReadId(req, &id)) return SendPageError(res, 404, StatusExplanation(404));
  const std::string token = ParamValue(req, "token");
  switch (GetDeleteTokenSha256(store, id, &stored)) {
    case StoreStatus::Ok: return SendPage(res, 200, DeleteFormPage(id, token.size() <= 64 ? token : "", ""));
    case StoreStatus::NotFound:
      return SendPageError(res, 404, "There is no result " + std::to_string(id) + ".");
    default: return SendPageError(res, 503, StatusExplanation(503));
  }
}

void FormDelete(ResultStore* store, const HttpRequest& req, HttpReply& res) {
  int64_t id = 0;
  if (!ReadId(req, &id)) return SendPageError(res, 404, StatusExplanation(404));
  switch (DeleteWithToken(store, id, FormToken(req))) {
    case DeleteOutcome::Deleted: return SendPage(res, 200, DeletedPage(id));
    case DeleteOutcome::NotFound:
      return SendPageError(res, 404, "There is no result " + std::to_string(id) + ".");
    case DeleteOutcome::WrongToken:
      return SendPage(res, 403,
                      DeleteFormPage(id, "", "That is not this result's delete token; nothing was deleted."));
    case DeleteOutcome::Failed: break;
  }
  SendPageError(res, 503, "The result could not be deleted; try again later.");
}

void AddDeleteRoutes(RouteTable* table, BoardContext* context) {
  ResultStore* store = context->store;
  const auto add = [&](const char* method, const char* pattern,
                       void (*handler)(ResultStore*, const HttpRequest&, HttpReply&)) {
    AddRoute(table, method, pattern, RouteCost::Store,
             [store, handler](const HttpRequest& req, HttpReply& res) { handler(store, req, res); });
  };
  add("DELETE", R"(/api/results/(\d{1,18}))", ApiDelete);
  add("GET", R"(/results/(\d{1,18})/delete)", DeleteForm);
  add("POST", R"(/results/(\d{1,18})/delete)", FormDelete);
}

}  // namespace qm
