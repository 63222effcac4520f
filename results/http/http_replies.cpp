#include "results/http/http_replies.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "results/pages/result_json.h"
#include "results/pages/html_text.h"
#include "results/pages/page_frame.h"

namespace qm {

void SendPage(httplib::Response& res, int status, const std::string& html) {
  res.status = status;
  res.set_content(html, "text/html; charset=utf-8");
}

void SendJson(httplib::Response& res, int status, const nlohmann::json& json) {
  res.status = status;
  res.set_content(DumpJson(json), "application/json");
}

void SendApiError(httplib::Response& res, int status, const std::string& message) {
  SendJson(res, status, ErrorJson(message));
}

void SendPageError(httplib::Response& res, int status, const std::string& explanation) {
  SendPage(res, status, ErrorPage(status, explanation));
}

bool IsApiPath(const std::string& path) { return path.rfind("/api/", 0) == 0 || path == "/api"; }

std::string StatusExplanation(int status) {
  switch (status) {
    case 400: return "The request could not be understood.";
    case 404: return "There is no such page on this board.";
    case 405: return "This address does not take that method.";
    case 413: return "The request is larger than 1 MiB; a validation file is a few kilobytes.";
    case 414: return "The address is too long.";
    case 429: return "Too many uploads from your address; try again in a minute.";
    case 503: return "The board's database is not answering; try again later.";
    default: break;
  }
  return status >= 500 ? "The board could not answer this request." : "The request was refused.";
}

UploadRead ReadUpload(const httplib::Request& req, const httplib::ContentReader& reader, std::string* file) {
  size_t received = 0;
  bool tooLarge = false;
  const auto count = [&](size_t length) {
    received += length;
    tooLarge = received > MAX_BODY_BYTES;
    return !tooLarge;
  };
  bool read = false;
  bool sawFile = false;
  if (req.is_multipart_form_data()) {
    bool inFile = false;
    read = reader(
        [&](const httplib::MultipartFormData& field) {
          inFile = field.name == "file" && !sawFile;
          sawFile = sawFile || inFile;
          return true;
        },
        [&](const char* data, size_t length) {
          if (!count(length)) return false;
          if (inFile) file->append(data, length);
          return true;
        });
  } else {
    sawFile = true;
    read = reader([&](const char* data, size_t length) {
      if (!count(length)) return false;
      file->append(data, length);
      return true;
    });
  }
  // The server's own cap on announced lengths fails the read without a call.
  const bool announcedTooLarge =
      !read && std::strtoull(req.get_header_value("Content-Length").c_str(), nullptr, 10) > MAX_BODY_BYTES;
  if (tooLarge || announcedTooLarge) return UploadRead::TooLarge;
  if (!read) return UploadRead::Broken;
  return sawFile ? UploadRead::Ok : UploadRead::NoFileField;
}

bool PassUploadGate(BoardContext* context, const httplib::Request& req, httplib::Response& res) {
  const int64_t nowMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now().time_since_epoch())
                            .count();
  int64_t retryAfter = 0;
  if (AdmitUpload(&context->gate, req.remote_addr, nowMs, &retryAfter)) return true;
  const std::string message = "too many uploads from your address: at most " +
                              std::to_string(context->gate.perMinute) + " a minute; try again in " +
                              std::to_string(retryAfter) + " s";
  res.set_header("Retry-After", std::to_string(retryAfter));
  if (IsApiPath(req.path)) {
    SendApiError(res, 429, message);
  } else {
    SendPageError(res, 429,
                  "Too many uploads from your address: at most " + std::to_string(context->gate.perMinute) +
                      " a minute. Try again in " + std::to_string(retryAfter) + " seconds.");
  }
  return false;
}

void RefuseUploadRead(UploadRead read, const httplib::Request& req, httplib::Response& res) {
  const bool api = IsApiPath(req.path);
  switch (read) {
    case UploadRead::TooLarge:
      // The rest of the body is not read: the connection ends with the answer.
      res.set_header("Connection", "close");
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
  res.set_header("Connection", "close");
  api ? SendApiError(res, 400, "the request body could not be read")
      : SendPageError(res, 400, StatusExplanation(400));
}

}  // namespace qm

namespace qm {

bool TakeUpload(BoardContext* context, const httplib::Request& req, httplib::Response& res,
                const httplib::ContentReader& reader, SubmissionOutcome* outcome) {
  if (!PassUploadGate(context, req, res)) return false;
  std::string file;
  const UploadRead read = ReadUpload(req, reader, &file);
  if (read != UploadRead::Ok) {
    RefuseUploadRead(read, req, res);
    return false;
  }
  *outcome = SubmitValidationFile(context->store, file);
  if (outcome->kind == SubmissionKind::Failed)
    std::fprintf(stderr, "quillmark-results: storing an upload failed: %s\n",
                 CleanText(outcome->reason).c_str());
  return true;
}

}  // namespace qm
