// The sender's own delete over HTTP: DELETE /api/results/<id> with
// "Authorization: Bearer <token>", and the form at /results/<id>/delete.
#pragma once

#include "results/http/board_context.h"
#include "results/http/http_exchange.h"

namespace qm {

// 204 when the token is the result's; 401 without a bearer token, 403 with
// another one (nothing changes), 404 for no such result, 503 when the
// store fails. Bodies of errors are {"error": "..."}.
void ApiDelete(ResultStore* store, const HttpRequest& req, HttpReply& res);

// GET: the form, the token filled in when the address gives it.
void DeleteForm(ResultStore* store, const HttpRequest& req, HttpReply& res);

// POST of the form (field "token"): a page saying the result is gone, or
// the form again with 403 for a wrong token.
void FormDelete(ResultStore* store, const HttpRequest& req, HttpReply& res);

void AddDeleteRoutes(RouteTable* table, BoardContext* context);

}  // namespace qm
