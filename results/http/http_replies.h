// How the board answers: pages and JSON with their types, errors in the
// form of the family that was asked (a readable page or {"error": …}), and
// the upload body, read with a cap whatever its framing.
#pragma once

#include <httplib.h>

#include <nlohmann/json.hpp>
#include <string>

#include "results/http/board_context.h"
#include "results/submission.h"

namespace qm {

constexpr size_t MAX_BODY_BYTES = 1 << 20;

void SendPage(httplib::Response& res, int status, const std::string& html);
void SendJson(httplib::Response& res, int status, const nlohmann::json& json);
void SendApiError(httplib::Response& res, int status, const std::string& message);
void SendPageError(httplib::Response& res, int status, const std::string& explanation);

// An API path answers in JSON, everything else in pages.
bool IsApiPath(const std::string& path);

// The error a status stands for when no handler said more.
std::string StatusExplanation(int status);

enum class UploadRead { Ok, TooLarge, NoFileField, Broken };

// The validation file of an upload: the whole body for
// application/octet-stream (or any type but a form), the field "file" of a
// multipart form. Stops reading past MAX_BODY_BYTES.
UploadRead ReadUpload(const httplib::Request& req, const httplib::ContentReader& reader, std::string* file);

// The whole intake of an upload, for the API and the form alike: the cap,
// the capped read, the check and the store. false: the request was already
// answered (capped, too large, unreadable); otherwise *outcome says what
// came of the file, and a storage failure has been logged.
bool TakeUpload(BoardContext* context, const httplib::Request& req, httplib::Response& res,
                const httplib::ContentReader& reader, SubmissionOutcome* outcome);

// Applies the upload cap for the request's client address. false: the
// request was refused with 429 and Retry-After, in the family's form.
bool PassUploadGate(BoardContext* context, const httplib::Request& req, httplib::Response& res);

// The refusal of an upload that ReadUpload did not take, in the family's form.
void RefuseUploadRead(UploadRead read, const httplib::Request& req, httplib::Response& res);

}  // namespace qm
