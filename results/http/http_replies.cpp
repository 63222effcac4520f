#include "results/http/http_replies.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "results/clean_text.h"
#include "results/http/multipart_form.h"
#include "results/pages/html_text.h"
#include "results/pages/page_frame.h"
#include "results/pages/result_json.h"

namespace qm {

void SendPage(HttpReply& res, int status, const std::string& html) {
  res.status = status;
  SetContent(res, html, "text/html; charset=utf-8");
}

void SendJson(HttpReply& res, int status, const nlohmann::json& json) {
  res.status = status;
  SetContent(res, DumpJson(json), "application/json");
}

void SendApiError(HttpReply& res, int status, const std::string& message) {
  SendJson(res, status, ErrorJson(message));
}

void SendPageError(HttpReply& res, int status, const std::string& explanation) {
  SendPage(res, status, ErrorPage(status, explanation));
}

bool IsApiPath(const std::string& path) { return path.rfind("/api/", 0) == 0 || path == "/api"; }

std::string StatusExplanation(int status) {
  switch (status) {
    case 400: return "The request could not be understood.";
    case 404: return "There is no such page on this board.";
    case 405: return "This address does not take that method.";
    case 413: return "The request is larger than 1 MiB; a validation file is a few kilobytes.";
    case 408: return "The request did not arrive in time.";
    case 414: return "The address is too long.";
    case 431: return "The request's headers are too many or too large.";
    case 429: return "Too many uploads from your address; try again in a minute.";
    case 501: return "The board does not know that method.";
    case 503: return "The board's database is not answering; try again later.";
    default: break;
  }
  return status >= 500 ? "The board could not answer this request." : "The request was refused.";
}

UploadRead ReadUpload(const HttpRequest& req, std::string* file) {
  if (req.body.size() > MAX_BODY_BYTES) return UploadRead::TooLarge;
  const std::string type = HeaderValue(req, "Content-Type");
  if (!IsMultipartForm(type)) {
    *file = req.body;
    return UploadRead::Ok;
  }
  switch (FindFormField(type, req.body, "file", file)) {
    case FormField::Found: return UploadRead::Ok;
    case FormField::Missing: return UploadRead::NoFileField;
    case FormField::Broken: break;
  }
  return UploadRead::Broken;
}

bool PassUploadGate(BoardContext* context, const HttpRequest& req, HttpReply& res) {
  const int64_t nowMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now().time_since_epoch())
                            .count();
  int64_t retryAfter = 0;
  if (AdmitUpload(&context->gate, req.clientAddress, nowMs, &retryAfter)) return true;
  const std::string message = "too many uploads from your address: at most " +
                              std::to_string(context->gate.perMinute) + " a minute; try again in " +
                              std::to_string(retryAfter) + " s";
  SetHeader(res, "Retry-After", std::to_string(retryAfter));
  if (IsApiPath(req.path)) {
    SendApiError(res, 429, message);
  } else {
    SendPageError(res, 429,
                  "Too many uploads from your address: at most " + std::to_string(context->gate.perMinute) +
                      " a minute. Try again in " + std::to_string(retryAfter) + " seconds.");
  }
  return false;
}

void RefuseUploadRead(UploadRead read, const HttpRequest& req, HttpReply& res) {
  const bool api = IsApiPath(req.path);
  switch (read) {
    case UploadRead::TooLarge:
      api ? SendApiError(res, 413, "the request body is larger than 1 MiB")
          : SendPageError(res, 413, StatusExplanation(413));
      return;
    case UploadRead::NoFileField:
      api ? SendApiError(res, 400, "the form has no field named file")
          : SendPageError(res, 400, "The form did not carry a file: choose a .verify file and upload again.");
      return;
    case UploadRead::Broken:
    case UploadRead::Ok: break;
  }
  api ? SendApiError(res, 400, "the request body could not be read")
      : SendPageError(res, 400, StatusExplanation(400));
}

}  // namespace qm

namespace qm {

bool TakeUpload(BoardContext* context, const HttpRequest& req, HttpReply& res, SubmissionOutcome* outcome) {
  if (!PassUploadGate(context, req, res)) {
    CountUpload(context->metrics, "capped");
    return false;
  }
  std::string file;
  const UploadRead read = ReadUpload(req, &file);
  if (read != UploadRead::Ok) {
    CountUpload(context->metrics, read == UploadRead::TooLarge ? "too_large" : "unreadable");
    RefuseUploadRead(read, req, res);
    return false;
  }
  *outcome = SubmitValidationFile(context->store, file);
  switch (outcome->kind) {
    case SubmissionKind::Added: CountUpload(context->metrics, "added"); break;
    case SubmissionKind::Duplicate: CountUpload(context->metrics, "duplicate"); break;
    case SubmissionKind::Rejected: CountUpload(context->metrics, "rejected"); break;
    case SubmissionKind::Failed:
      CountUpload(context->metrics, "failed");
      CountFault(context->metrics, "store_write");
      std::fprintf(stderr, "quillmark-results: storing an upload failed: %s\n",
                   CleanText(outcome->reason).c_str());
      SetHeader(res, "Retry-After", "1");
      break;
  }
  return true;
}

}  // namespace qm
