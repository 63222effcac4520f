// A request and its reply as plain values: what the routes read and fill,
// apart from the server that parses and writes them. A reply carries either
// a whole body or a stream that makes the body piece by piece, so a large
// export is never held whole.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace qm {

using FieldList = std::vector<std::pair<std::string, std::string>>;

struct HttpRequest {
  std::string method;                // as sent: GET, POST, ...
  std::string target;                // the request line's target, path and query
  std::string path;                  // the target's path, percent-decoded
  FieldList params;                  // the query's name=value pairs, percent-decoded
  FieldList headers;                 // as sent, names in the sender's case
  std::string body;                  // whole, at most MAX_BODY_BYTES
  std::string peerAddress;           // the connection's other end
  std::string clientAddress;         // the peer, or the client a trusted proxy names
  std::vector<std::string> matches;  // the route pattern's whole match and groups
};

// Sends one piece of a streamed body and returns once it is written; false:
// the client is gone, and the stream should stop.
using PieceWriter = std::function<bool(const std::string& piece)>;

// Makes a streamed body, handing it to write piece by piece, on a database
// worker. Returns false when it could not finish: the connection is then
// cut, so the client sees the body was not whole.
using BodyStream = std::function<bool(const PieceWriter& write)>;

struct HttpReply {
  int status = 200;
  FieldList headers;
  std::string body;
  BodyStream stream;        // when set, the body is sent in chunks from it
  bool closeAfter = false;  // the connection ends after this reply
};

// The first header of that name (in any case), or "".
std::string HeaderValue(const HttpRequest& request, const std::string& name);
bool HasHeader(const HttpRequest& request, const std::string& name);

// The first query parameter of that name, or "".
std::string ParamValue(const HttpRequest& request, const std::string& name);
bool HasParam(const HttpRequest& request, const std::string& name);

// Sets a header of the reply, replacing one of that name.
void SetHeader(HttpReply& reply, const std::string& name, const std::string& value);
std::string ReplyHeader(const HttpReply& reply, const std::string& name);
void SetContent(HttpReply& reply, const std::string& body, const std::string& type);

// Splits a target into its decoded path and query parameters. false: the
// path is not one (no leading slash, a broken escape).
bool SplitTarget(const std::string& target, std::string* path, FieldList* params);

}  // namespace qm
