// How the board answers: pages and JSON with their types, errors in the
// form of the family that was asked (a readable page or {"error": …}), and
// the upload body, read with a cap whatever its framing.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "results/http/board_context.h"
#include "results/http/http_exchange.h"
#include "results/submission.h"

namespace qm {

constexpr size_t MAX_BODY_BYTES = 1 << 20;

void SendPage(HttpReply& res, int status, const std::string& html);
void SendJson(HttpReply& res, int status, const nlohmann::json& json);
void SendApiError(HttpReply& res, int status, const std::string& message);
void SendPageError(HttpReply& res, int status, const std::string& explanation);

// An API path answers in JSON, everything else in pages.
bool IsApiPath(const std::string& path);

// The error a status stands for when no handler said more.
std::string StatusExplanation(int status);

enum class UploadRead { Ok, TooLarge, NoFileField, Broken };

// The validation file of an upload: the whole body for
// application/octet-stream (or any type but a form), the field "file" of a
// multipart form. The server has already refused bodies past MAX_BODY_BYTES.
UploadRead ReadUpload(const HttpRequest& req, std::string* file);

// The whole intake of an upload, for the API and the form alike: the cap,
// the capped read, the check and the store. false: the request was already
// answered (capped, too large, unreadable); otherwise *outcome says what
// came of the file, and a storage failure has been logged.
bool TakeUpload(BoardContext* context, const HttpRequest& req, HttpReply& res, SubmissionOutcome* outcome);

// Applies the upload cap for the request's client address. false: the
// request was refused with 429 and Retry-After, in the family's form.
bool PassUploadGate(BoardContext* context, const HttpRequest& req, HttpReply& res);

// The refusal of an upload that ReadUpload did not take, in the family's form.
void RefuseUploadRead(UploadRead read, const HttpRequest& req, HttpReply& res);

}  // namespace qm
