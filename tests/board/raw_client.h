// A client on a bare socket to 127.0.0.1, for the requests no polite client
// library would send: dripped bytes, broken framing, floods, pipelines.
// Every read is bounded (WAIT_BOUND_MS) and says so when it gives up.
#pragma once

#include <string>

namespace qm {

struct RawClient {
  int fd = -1;
};

// false: could not connect (the reason on stderr).
bool ConnectRaw(RawClient* client, int port);
void CloseRaw(RawClient* client);

// false: the peer is gone.
bool SendRaw(RawClient* client, const std::string& bytes);

struct RawReply {
  int status = 0;            // 0: no whole reply came
  std::string head;          // status line and headers
  std::string body;          // de-chunked
  bool closedAfter = false;  // only set by ReadRawReply's caller through WaitClosed
};

// Reads one reply (Content-Length or chunked framing). Bytes read past it
// stay in *pending for the next call.
RawReply ReadRawReply(RawClient* client, std::string* pending);

// The value of a header in a reply's head, or "".
std::string RawHeader(const RawReply& reply, const std::string& name);

// Waits until the server closes the connection; true when it did, with the
// bytes that came before the close in *rest.
bool WaitClosed(RawClient* client, std::string* rest = nullptr);

// One request on a connection of its own, and its reply.
RawReply AskRaw(int port, const std::string& request);

// The request that sends a validation file to the API.
std::string UploadRequest(const std::string& file);

}  // namespace qm
