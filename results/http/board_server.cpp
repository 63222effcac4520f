// The server's connections: Beast parses, Asio waits. Each connection lives
// on its own strand with one timer that bounds whatever it waits for (a
// whole header, the body's rate, a write, an idle keep-alive), so a slow or
// silent client costs a socket and a few kilobytes, never a thread.
// Database work goes to the work pool; the connection threads only parse,
// route and write.
#include "results/http/board_server.h"

// Boost 1.74's Asio uses std::exchange without including its header.
#include <utility>

#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>

#include "results/clean_text.h"
#include "results/http/access_log.h"
#include "results/http/board_context.h"
#include "results/http/board_metrics.h"
#include "results/http/client_address.h"
#include "results/http/http_replies.h"
#include "results/http/request_turns.h"
#include "results/http/result_delete.h"
#include "results/http/work_pool.h"
#include "results/pages/html_text.h"

namespace qm {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;
using Clock = std::chrono::steady_clock;

struct Session;

// Declared so that what a connection touches when it ends (the list, the
// counts, the metrics) outlives the io_context whose handlers hold them.
struct BoardServer {
  BoardSettings settings;
  BoardContext context;
  RouteTable routes;
  BoardMetrics metrics;
  std::mutex sessionsMutex;
  std::condition_variable sessionsChanged;
  std::map<Session*, std::weak_ptr<Session>> sessions;
  std::unordered_map<std::string, int64_t> perAddress;  // open connections by peer
  std::atomic<bool> stopping{false};
  RequestTurns expensive;  // before io: sessions give turns back as io ends them
  WorkPool pool;
  asio::io_context io;
  tcp::acceptor acceptor{io};
  asio::steady_timer acceptPause{io};
  std::vector<std::thread> threads;
  int port = 0;
};

namespace {

constexpr uint32_t MAX_HEADER_BYTES = 16 * 1024;
constexpr size_t MAX_HEADER_FIELDS = 100;
// An announced body up to this size is read and dropped before the 413, so
// a client that sends before it reads sees the answer rather than a reset.
constexpr uint64_t DRAINED_BODY_BYTES = 16 << 20;
constexpr int RETRY_AFTER_SECONDS = 1;
constexpr size_t MAX_METHOD_BYTES = 32;
constexpr uint64_t LINGER_BYTES = 1 << 20;
constexpr int64_t LINGER_MS = 2000;
constexpr int64_t CANCEL_AGAIN_MS = 50;

enum class Phase { Waiting, Header, Body, Working, Writing, Closed };

}  // namespace

struct Session : std::enable_shared_from_this<Session> {
  BoardServer* server = nullptr;
  tcp::socket socket;
  asio::steady_timer timer;
  beast::flat_buffer buffer;
  std::optional<http::request_parser<http::string_body>> parser;
  std::string peer;
  bool counted = false;  // in perAddress
  Phase phase = Phase::Waiting;
  bool timedOut = false;
  bool stopAsked = false;
  Clock::time_point requestStart;
  size_t bodySeen = 0;  // body bytes at the last rate check
  uint64_t drainLeft = 0;
  std::vector<char> scratch;

  HttpRequest request;
  HttpReply reply;
  std::string routePattern;
  bool head = false;
  bool keepAlive = false;
  bool expensive = false;  // holds one of the expensive requests' turns
  uint64_t bytesSent = 0;
  std::unique_ptr<http::response<http::string_body>> whole;
  std::unique_ptr<http::response<http::buffer_body>> chunked;
  std::unique_ptr<http::response_serializer<http::buffer_body>> serializer;
  std::string piece;

  Session(BoardServer* owner, tcp::socket&& connection)
      : server(owner), socket(std::move(connection)), timer(socket.get_executor()) {}
  ~Session() {
    if (expensive) GiveTurnBack(&server->expensive);
    Forget();
  }

  // Takes the connection off the server's books: at its close, or at the
  // latest when the last handler holding it is gone.
  void Forget() {
    std::lock_guard<std::mutex> lock(server->sessionsMutex);
    if (server->sessions.erase(this) == 0) return;
    if (counted && --server->perAddress[peer] <= 0) server->perAddress.erase(peer);
    server->metrics.connectionsOpen--;
    server->sessionsChanged.notify_all();
  }
};

namespace {

using SessionPtr = std::shared_ptr<Session>;

void ReadRequest(const SessionPtr& s);

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void CloseSession(const SessionPtr& s) {
  if (s->phase == Phase::Closed) return;
  s->phase = Phase::Closed;
  boost::system::error_code ignored;
  s->timer.cancel();
  s->socket.shutdown(tcp::socket::shutdown_both, ignored);
  s->socket.close(ignored);
  s->Forget();
}

// Ends what the connection waits for, at its deadline. A header, a body or
// a reply is read or written in several operations one after another, and
// a cancel that falls between two of them finds nothing to cancel, while
// the next one would wait without a bound (a client dripping a header byte
// by byte could keep a connection for hours). So the cancel is repeated
// every CANCEL_AGAIN_MS until the waiting side has seen it: arming the
// timer anew, or cancelling it, stops the repeats.
void CancelWaiting(const SessionPtr& s) {
  s->timedOut = true;
  boost::system::error_code ignored;
  s->socket.cancel(ignored);
  s->timer.expires_after(std::chrono::milliseconds(CANCEL_AGAIN_MS));
  s->timer.async_wait([s](boost::system::error_code ec) {
    if (ec || s->phase == Phase::Closed) return;
    CancelWaiting(s);
  });
}

// Arms the connection's one timer: at the deadline, whatever it waits for
// is cancelled and its handler sees timedOut.
void ArmTimer(const SessionPtr& s, Clock::time_point deadline) {
  s->timedOut = false;
  s->timer.expires_at(deadline);
  s->timer.async_wait([s](boost::system::error_code ec) {
    if (ec || s->phase == Phase::Closed) return;
    CancelWaiting(s);
  });
}

void ArmTimerIn(const SessionPtr& s, int64_t ms) {
  ArmTimer(s, Clock::now() + std::chrono::milliseconds(ms));
}

http::fields SafetyFields() {
  http::fields fields;
  fields.set("Content-Security-Policy",
             "default-src 'none'; style-src 'self'; img-src 'self' data:; form-action 'self'; "
             "frame-ancestors 'none'; base-uri 'none'");
  fields.set("X-Content-Type-Options", "nosniff");
  fields.set("X-Frame-Options", "DENY");
  fields.set("Referrer-Policy", "no-referrer");
  return fields;
}

template <typename Body>
void FillHeader(const SessionPtr& s, http::response<Body>* res) {
  static const http::fields safety = SafetyFields();
  res->result(static_cast<unsigned>(s->reply.status));
  res->version(11);
  for (const auto& field : safety) res->set(field.name_string(), field.value());
  for (const auto& field : s->reply.headers) res->set(field.first, field.second);
  res->keep_alive(s->keepAlive);
}

void LogAndCount(const SessionPtr& s) {
  const double ms = MsSince(s->requestStart);
  CountRequest(&s->server->metrics, s->routePattern, s->reply.status, ms);
  if (!s->server->settings.logRequests) return;
  AccessEntry entry;
  entry.address = s->request.clientAddress.empty() ? s->peer : s->request.clientAddress;
  entry.method = s->request.method.empty() ? "-" : s->request.method;
  entry.path = s->request.path.empty() ? s->request.target : s->request.path;
  entry.status = s->reply.status;
  entry.bytes = s->bytesSent;
  entry.ms = ms;
  WriteAccessLog(entry);
}

void LingerRead(const SessionPtr& s) {
  if (s->scratch.empty()) s->scratch.resize(size_t{64} * 1024);
  s->socket.async_read_some(asio::buffer(s->scratch), [s](boost::system::error_code ec, size_t n) {
    if (ec || n >= s->drainLeft) return CloseSession(s);
    s->drainLeft -= n;
    LingerRead(s);
  });
}

// Closing a socket with unread bytes makes the kernel send a reset, which
// can destroy the reply before the client reads it (a client still sending
// a refused flood or body). So the sending side is shut first, and what
// still comes is read and dropped for a moment before the close.
void LingerClose(const SessionPtr& s) {
  if (s->phase == Phase::Closed) return;
  boost::system::error_code ignored;
  s->socket.shutdown(tcp::socket::shutdown_send, ignored);
  s->phase = Phase::Waiting;
  s->drainLeft = LINGER_BYTES;
  ArmTimerIn(s, LINGER_MS);
  LingerRead(s);
}

void AfterWrite(const SessionPtr& s, boost::system::error_code ec) {
  s->timer.cancel();
  LogAndCount(s);
  if (s->expensive) {
    s->expensive = false;
    GiveTurnBack(&s->server->expensive);
  }
  s->whole.reset();
  s->chunked.reset();
  s->serializer.reset();
  if (ec) return CloseSession(s);
  if (!s->keepAlive || s->server->stopping || s->stopAsked) return LingerClose(s);
  ReadRequest(s);
}

void WriteWhole(const SessionPtr& s) {
  s->phase = Phase::Writing;
  s->whole = std::make_unique<http::response<http::string_body>>();
  FillHeader(s, s->whole.get());
  const size_t length = s->reply.body.size();
  if (s->head) {
    s->whole->content_length(length);
  } else {
    s->whole->body() = std::move(s->reply.body);
    s->whole->prepare_payload();
    s->bytesSent = length;
  }
  ArmTimerIn(s, s->server->settings.writeTimeoutMs);
  http::async_write(s->socket, *s->whole, [s](boost::system::error_code ec, size_t) { AfterWrite(s, ec); });
}

// Called on the database worker that makes a streamed body: hands the piece
// to the connection's strand and waits until it is written, so one piece
// at a time is held. The write's deadline bounds the wait.
bool WritePiece(const SessionPtr& s, const std::string& piece) {
  if (piece.empty()) return true;
  auto written = std::make_shared<std::promise<bool>>();
  std::future<bool> done = written->get_future();
  asio::post(s->socket.get_executor(), [s, &piece, written] {
    if (s->phase == Phase::Closed) return written->set_value(false);
    auto& body = s->chunked->body();
    body.data = const_cast<char*>(piece.data());
    body.size = piece.size();
    body.more = true;
    ArmTimerIn(s, s->server->settings.writeTimeoutMs);
    http::async_write(s->socket, *s->serializer,
                      [s, written, size = piece.size()](boost::system::error_code ec, size_t) {
                        s->timer.cancel();
                        if (ec == http::error::need_buffer) ec = {};
                        if (!ec) s->bytesSent += size;
                        written->set_value(!ec);
                      });
  });
  return done.get();
}

// Ends a streamed body with its last chunk, or cuts the connection when the
// body could not be made whole.
void EndStream(const SessionPtr& s, bool whole) {
  if (s->phase == Phase::Closed) return;
  if (!whole) return AfterWrite(s, asio::error::operation_aborted);
  auto& body = s->chunked->body();
  body.data = nullptr;
  body.size = 0;
  body.more = false;
  ArmTimerIn(s, s->server->settings.writeTimeoutMs);
  http::async_write(s->socket, *s->serializer, [s](boost::system::error_code ec, size_t) {
    if (ec == http::error::need_buffer) ec = {};
    AfterWrite(s, ec);
  });
}

void MakeStream(const SessionPtr& s) {
  auto work = [s] {
    bool whole = false;
    try {
      whole = s->reply.stream([s](const std::string& piece) { return WritePiece(s, piece); });
    } catch (const std::exception& e) {
      std::fprintf(stderr, "quillmark-results: a streamed reply failed: %s\n", CleanText(e.what()).c_str());
    }
    if (!whole) CountFault(&s->server->metrics, "stream_cut");
    asio::post(s->socket.get_executor(), [s, whole] { EndStream(s, whole); });
  };
  if (!SubmitWork(&s->server->pool, work, true)) AfterWrite(s, asio::error::operation_aborted);
}

void WriteStream(const SessionPtr& s) {
  s->phase = Phase::Writing;
  s->chunked = std::make_unique<http::response<http::buffer_body>>();
  FillHeader(s, s->chunked.get());
  s->chunked->chunked(true);
  s->chunked->body().data = nullptr;
  s->chunked->body().more = true;
  s->serializer = std::make_unique<http::response_serializer<http::buffer_body>>(*s->chunked);
  ArmTimerIn(s, s->server->settings.writeTimeoutMs);
  http::async_write_header(s->socket, *s->serializer, [s](boost::system::error_code ec, size_t) {
    s->timer.cancel();
    if (ec) return AfterWrite(s, ec);
    if (s->head) {
      s->keepAlive = false;  // the chunks are not sent, so the framing ends with the connection
      return AfterWrite(s, ec);
    }
    MakeStream(s);
  });
}

void WriteReply(const SessionPtr& s) {
  if (s->reply.closeAfter || s->server->stopping || s->stopAsked) s->keepAlive = false;
  if (s->reply.stream) return WriteStream(s);
  WriteWhole(s);
}

// Gives an error without a body of its own one in the family's form.
void FillError(const HttpRequest& request, HttpReply& reply) {
  if (!reply.body.empty() || !ReplyHeader(reply, "Content-Type").empty() || reply.stream) return;
  if (IsApiPath(request.path)) {
    SendApiError(reply, reply.status, StatusExplanation(reply.status));
  } else {
    SendPageError(reply, reply.status, StatusExplanation(reply.status));
  }
}

// Answers at once with status, in the family's form, and closes after it
// when close is set.
void Refuse(const SessionPtr& s, int status, bool close) {
  s->reply = HttpReply();
  s->reply.status = status;
  s->reply.closeAfter = close;
  if (status == 503 || status == 429) SetHeader(s->reply, "Retry-After", std::to_string(RETRY_AFTER_SECONDS));
  FillError(s->request, s->reply);
  WriteReply(s);
}

void RunHandler(const SessionPtr& s, const RouteHandler& handler) {
  try {
    handler(s->request, s->reply);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "quillmark-results: a request failed: %s\n", CleanText(e.what()).c_str());
    s->reply = HttpReply();
    s->reply.status = 500;
  }
  if (s->reply.status >= 400) FillError(s->request, s->reply);
}

// Searches count as expensive wherever they are asked.
bool IsExpensive(const HttpRequest& request, RouteCost cost) {
  return cost == RouteCost::Expensive || !ParamValue(request, "q").empty();
}

// Runs the handler on the database pool, then writes its reply on the
// connection's strand.
void StartWork(const SessionPtr& s, const RouteHandler* handler) {
  BoardServer* server = s->server;
  auto work = [s, handler] {
    ++s->server->metrics.poolInUse;
    RunHandler(s, *handler);
    --s->server->metrics.poolInUse;
    asio::post(s->socket.get_executor(), [s] {
      if (s->phase == Phase::Closed) return;
      WriteReply(s);
    });
  };
  if (!SubmitWork(&server->pool, work, false)) {
    CountFault(&server->metrics, "busy_pool");
    Refuse(s, 503, false);
  }
}

void RefuseExpensive(const SessionPtr& s) {
  CountFault(&s->server->metrics, "busy_expensive");
  Refuse(s, 503, false);
}

// A search, drive page or export starts at once when a turn is free, waits
// in a short line for one (at most expensiveWaitMs), or is refused with 503.
void DispatchExpensive(const SessionPtr& s, const RouteHandler* handler) {
  BoardServer* server = s->server;
  if (server->stopping) return RefuseExpensive(s);
  const auto start = [s, handler](bool turn) {
    asio::post(s->socket.get_executor(), [s, handler, turn] {
      s->timer.cancel();
      s->expensive = turn;  // a closed session gives its turn back as it ends
      if (s->phase == Phase::Closed) return;
      if (!turn || s->server->stopping) return RefuseExpensive(s);
      StartWork(s, handler);
    });
  };
  switch (TakeTurn(&server->expensive, s.get(), start)) {
    case TurnAnswer::Now: s->expensive = true; return StartWork(s, handler);
    case TurnAnswer::Refused: return RefuseExpensive(s);
    case TurnAnswer::Waiting: break;
  }
  s->timer.expires_after(std::chrono::milliseconds(server->settings.expensiveWaitMs));
  s->timer.async_wait([s](boost::system::error_code ec) {
    if (ec || s->phase == Phase::Closed || !LeaveLine(&s->server->expensive, s.get())) return;
    RefuseExpensive(s);
  });
}

void Dispatch(const SessionPtr& s, const Route& route) {
  s->phase = Phase::Working;
  s->timer.cancel();
  s->routePattern = route.pattern;
  if (route.cost == RouteCost::Light) {
    RunHandler(s, route.handler);
    return WriteReply(s);
  }
  if (IsExpensive(s->request, route.cost)) return DispatchExpensive(s, &route.handler);
  StartWork(s, &route.handler);
}

std::string FieldText(beast::string_view text) { return std::string(text.data(), text.size()); }

void FillRequest(const SessionPtr& s) {
  const auto& message = s->parser->get();
  HttpRequest& request = s->request;
  request.method = FieldText(message.method_string());
  request.target = FieldText(message.target());
  request.headers.clear();
  for (const auto& field : message)
    request.headers.emplace_back(FieldText(field.name_string()), FieldText(field.value()));
  request.peerAddress = s->peer;
  request.clientAddress =
      ClientAddress(s->server->settings.trustedProxies, s->peer, HeaderValue(request, "X-Forwarded-For"));
}

// Framing that a proxy in front might read otherwise than we do.
bool AmbiguousFraming(const HttpRequest& request, bool chunked) {
  size_t lengths = 0;
  for (const auto& field : request.headers)
    if (beast::iequals(field.first, "Content-Length")) ++lengths;
  const bool encoded = HasHeader(request, "Transfer-Encoding");
  return lengths > 1 || (lengths > 0 && encoded) || (encoded && !chunked);
}

void ReadBody(const SessionPtr& s, const Route& route);

// Reads and drops the rest of an announced body too large to take, then
// answers 413 and closes.
void DrainThen413(const SessionPtr& s) {
  const size_t buffered = std::min<uint64_t>(s->buffer.size(), s->drainLeft);
  s->buffer.consume(buffered);
  s->drainLeft -= buffered;
  if (s->drainLeft == 0) return Refuse(s, 413, true);
  if (s->scratch.empty()) s->scratch.resize(size_t{64} * 1024);
  const size_t want = std::min<uint64_t>(s->scratch.size(), s->drainLeft);
  s->socket.async_read_some(asio::buffer(s->scratch.data(), want),
                            [s](boost::system::error_code ec, size_t n) {
                              if (ec) return CloseSession(s);
                              s->drainLeft -= n;
                              if (s->drainLeft == 0) return Refuse(s, 413, true);
                              DrainThen413(s);
                            });
}

void OnHeader(const SessionPtr& s, boost::system::error_code ec) {
  if (s->phase == Phase::Closed) return;
  s->phase = Phase::Body;
  if (ec) {
    // The error's family follows the path, when the request line got that far.
    SplitTarget(FieldText(s->parser->get().target()), &s->request.path, &s->request.params);
    const bool started = s->parser->got_some() || s->buffer.size() > 0;
    if (s->timedOut) {
      if (!started || s->stopAsked) return CloseSession(s);
      CountFault(&s->server->metrics, "header_timeout");
      return Refuse(s, 408, true);
    }
    if (ec == http::error::end_of_stream || !started || ec == asio::error::operation_aborted ||
        ec == asio::error::connection_reset || ec == asio::error::eof)
      return CloseSession(s);
    if (ec == http::error::header_limit) {
      CountFault(&s->server->metrics, "header_limit");
      return Refuse(s, 431, true);
    }
    CountFault(&s->server->metrics, "bad_request");
    return Refuse(s, 400, true);
  }
  FillRequest(s);
  const auto& message = s->parser->get();
  if (message.version() != 11 && message.version() != 10) return Refuse(s, 505, true);
  s->keepAlive = message.keep_alive();
  if (s->request.headers.size() > MAX_HEADER_FIELDS) {
    CountFault(&s->server->metrics, "header_limit");
    return Refuse(s, 431, true);
  }
  if (AmbiguousFraming(s->request, s->parser->chunked())) {
    CountFault(&s->server->metrics, "bad_framing");
    return Refuse(s, 400, true);
  }
  if (!SplitTarget(s->request.target, &s->request.path, &s->request.params)) return Refuse(s, 400, true);
  const bool hasBody = s->parser->chunked() || s->parser->content_length().value_or(0) > 0;
  if (message.method() == http::verb::unknown || s->request.method.size() > MAX_METHOD_BYTES)
    return Refuse(s, 501, hasBody);
  s->head = s->request.method == "HEAD";
  const Route* route = nullptr;
  std::string allow;
  switch (
      FindRoute(s->server->routes, s->request.method, s->request.path, &route, &s->request.matches, &allow)) {
    case RouteMatch::Found: break;
    case RouteMatch::NoPath: return Refuse(s, 404, hasBody);
    case RouteMatch::WrongMethod:
      s->reply = HttpReply();
      s->reply.status = 405;
      s->reply.closeAfter = hasBody;
      SetHeader(s->reply, "Allow", allow);
      FillError(s->request, s->reply);
      return WriteReply(s);
  }
  const uint64_t announced = s->parser->content_length().value_or(0);
  if (announced > MAX_BODY_BYTES) {
    CountFault(&s->server->metrics, "body_limit");
    if (announced > DRAINED_BODY_BYTES) return Refuse(s, 413, true);
    s->drainLeft = announced;
    s->timer.cancel();
    ArmTimerIn(s, s->server->settings.headerTimeoutMs);
    return DrainThen413(s);
  }
  if (!hasBody) return Dispatch(s, *route);
  ReadBody(s, *route);
}

// Fails the body when less than the minimum rate arrived in the last
// window (or less than was left to come).
void CheckBodyRate(const SessionPtr& s) {
  const BoardSettings& settings = s->server->settings;
  s->timer.expires_after(std::chrono::milliseconds(settings.bodyWindowMs));
  s->timer.async_wait([s](boost::system::error_code ec) {
    if (ec || s->phase != Phase::Body) return;
    const BoardSettings& settings = s->server->settings;
    const size_t seen = s->parser->get().body().size();
    uint64_t wanted = static_cast<uint64_t>(settings.bodyMinBytesPerSecond * settings.bodyWindowMs / 1000);
    const auto length = s->parser->content_length_remaining();
    if (length && *length < wanted) wanted = *length;
    if (seen - s->bodySeen < wanted) return CancelWaiting(s);
    s->bodySeen = seen;
    CheckBodyRate(s);
  });
}

void ReadBody(const SessionPtr& s, const Route& route) {
  s->parser->body_limit(MAX_BODY_BYTES);
  s->bodySeen = 0;
  s->timedOut = false;
  s->timer.cancel();
  CheckBodyRate(s);
  const Route* chosen = &route;
  auto read = [s, chosen] {
    http::async_read(s->socket, s->buffer, *s->parser, [s, chosen](boost::system::error_code ec, size_t) {
      if (s->phase == Phase::Closed) return;
      s->timer.cancel();
      if (ec) {
        if (s->timedOut) {
          CountFault(&s->server->metrics, "body_timeout");
          return s->stopAsked ? CloseSession(s) : Refuse(s, 408, true);
        }
        if (ec == http::error::body_limit) {
          CountFault(&s->server->metrics, "body_limit");
          return Refuse(s, 413, true);
        }
        if (ec == http::error::end_of_stream || ec == asio::error::eof ||
            ec == asio::error::connection_reset || ec == asio::error::operation_aborted)
          return CloseSession(s);
        CountFault(&s->server->metrics, "bad_request");
        return Refuse(s, 400, true);
      }
      s->request.body = std::move(s->parser->get().body());
      Dispatch(s, *chosen);
    });
  };
  if (!beast::iequals(HeaderValue(s->request, "Expect"), "100-continue")) return read();
  static const std::string CONTINUE = "HTTP/1.1 100 Continue\r\n\r\n";
  asio::async_write(s->socket, asio::buffer(CONTINUE), [s, read](boost::system::error_code ec, size_t) {
    if (ec) return CloseSession(s);
    read();
  });
}

// Waits for the next request: an idle connection is closed quietly at the
// idle deadline, one that began a request gets 408 at the header deadline.
void ReadRequest(const SessionPtr& s) {
  if (s->stopAsked || s->server->stopping) return CloseSession(s);
  s->phase = Phase::Header;
  s->request = HttpRequest();
  s->reply = HttpReply();
  s->routePattern.clear();
  s->bytesSent = 0;
  s->head = false;
  s->parser.emplace();
  s->parser->header_limit(MAX_HEADER_BYTES);
  // Lengths are checked once the header is whole (413 after a drain), so
  // the parser's own limit must not refuse them first.
  s->parser->body_limit(UINT64_MAX);
  s->requestStart = Clock::now();
  const BoardSettings& settings = s->server->settings;
  const int64_t first = std::min(settings.idleTimeoutMs, settings.headerTimeoutMs);
  s->timedOut = false;
  s->timer.expires_after(std::chrono::milliseconds(first));
  s->timer.async_wait([s](boost::system::error_code ec) {
    if (ec || s->phase != Phase::Header) return;
    const auto headerDeadline =
        s->requestStart + std::chrono::milliseconds(s->server->settings.headerTimeoutMs);
    const bool started = s->parser->got_some() || s->buffer.size() > 0;
    if (started && Clock::now() < headerDeadline) return ArmTimer(s, headerDeadline);
    CancelWaiting(s);
  });
  http::async_read_header(s->socket, s->buffer, *s->parser,
                          [s](boost::system::error_code ec, size_t) { OnHeader(s, ec); });
}

void StartSession(BoardServer* server, tcp::socket socket) {
  boost::system::error_code ec;
  const tcp::endpoint remote = socket.remote_endpoint(ec);
  if (ec) return;
  auto s = std::make_shared<Session>(server, std::move(socket));
  s->peer = CanonicalAddress(remote.address().to_string());
  s->socket.set_option(tcp::no_delay(true), ec);
  const int64_t limit = server->settings.maxConnectionsPerAddress;
  {
    std::lock_guard<std::mutex> lock(server->sessionsMutex);
    server->metrics.connectionsOpen++;
    server->sessions[s.get()] = s;
    if (limit > 0 && !IsTrustedProxy(server->settings.trustedProxies, s->peer)) {
      int64_t& open = server->perAddress[s->peer];
      s->counted = true;
      if (++open > limit) {
        CountFault(&server->metrics, "address_limit");
        boost::system::error_code ignored;
        s->socket.close(ignored);
        return;
      }
    }
  }
  asio::dispatch(s->socket.get_executor(), [s] { ReadRequest(s); });
}

void Accept(BoardServer* server) {
  server->acceptor.async_accept(
      asio::make_strand(server->io), [server](boost::system::error_code ec, tcp::socket socket) {
        if (server->stopping) return;
        if (ec) {
          // Out of descriptors or a like fault: pause rather than spin.
          if (ec != asio::error::operation_aborted) CountFault(&server->metrics, "accept");
          server->acceptPause.expires_after(std::chrono::milliseconds(50));
          server->acceptPause.async_wait([server](boost::system::error_code) { Accept(server); });
          return;
        }
        StartSession(server, std::move(socket));
        Accept(server);
      });
}

bool Listen(BoardServer* server, const std::string& host, int port, std::string* error) {
  boost::system::error_code ec;
  const asio::ip::address address = asio::ip::make_address(host, ec);
  if (ec) {
    *error = "cannot listen on " + host + ": not an IP address";
    return false;
  }
  const tcp::endpoint endpoint(address, static_cast<unsigned short>(port));
  auto& acceptor = server->acceptor;
  acceptor.open(endpoint.protocol(), ec);
  if (!ec) acceptor.set_option(asio::socket_base::reuse_address(true), ec);
  if (!ec) acceptor.bind(endpoint, ec);
  if (!ec) acceptor.listen(asio::socket_base::max_listen_connections, ec);
  if (ec) {
    *error = "cannot listen on " + host + ":" + std::to_string(port) + " (" + ec.message() + ")";
    return false;
  }
  server->port = acceptor.local_endpoint(ec).port();
  return true;
}

// Asks each connection, on its own strand, to end: a waiting or reading one
// at once, a working or writing one after its reply.
void AskSessionsToStop(BoardServer* server, bool cut) {
  std::vector<SessionPtr> live;
  {
    std::lock_guard<std::mutex> lock(server->sessionsMutex);
    for (auto& entry : server->sessions)
      if (SessionPtr s = entry.second.lock()) live.push_back(s);
  }
  for (const SessionPtr& s : live)
    asio::post(s->socket.get_executor(), [s, cut] {
      s->stopAsked = true;
      if (cut || s->phase == Phase::Header || s->phase == Phase::Body || s->phase == Phase::Waiting)
        CloseSession(s);
    });
}

}  // namespace

BoardServer* StartBoardServer(ResultStore* store, const std::string& host, int port,
                              const BoardSettings& settings, std::string* error) {
  auto* server = new BoardServer;
  server->settings = settings;
  server->context.store = store;
  server->context.gate.perMinute = settings.maxUploadsPerMinute;
  server->expensive.atOnce = std::max(1, settings.expensiveAtOnce);
  server->expensive.lineLimit = static_cast<size_t>(std::max(0, settings.expensiveLine));
  server->context.metrics = &server->metrics;
  AddPageRoutes(&server->routes, &server->context);
  AddApiRoutes(&server->routes, &server->context);
  AddDeleteRoutes(&server->routes, &server->context);
  AddMetricsRoute(&server->routes, &server->metrics, settings.trustedProxies,
                  [server] { return WorkInUse(&server->pool); });
  if (!Listen(server, host, port, error)) {
    delete server;
    return nullptr;
  }
  StartWorkPool(&server->pool, static_cast<size_t>(std::max(1, settings.storeWorkers)),
                static_cast<size_t>(std::max(0, settings.storeQueue)));
  Accept(server);
  for (int i = 0; i < std::max(1, settings.connectionThreads); ++i)
    server->threads.emplace_back([server] { server->io.run(); });
  return server;
}

int BoardServerPort(const BoardServer* server) { return server->port; }

void StopBoardServer(BoardServer* server) {
  if (!server) return;
  server->stopping = true;
  EmptyLine(&server->expensive);
  asio::post(server->io, [server] {
    boost::system::error_code ignored;
    server->acceptor.close(ignored);
    server->acceptPause.cancel();
  });
  AskSessionsToStop(server, false);
  {
    std::unique_lock<std::mutex> lock(server->sessionsMutex);
    const bool drained =
        server->sessionsChanged.wait_for(lock, std::chrono::milliseconds(server->settings.stopGraceMs),
                                         [server] { return server->sessions.empty(); });
    if (!drained)
      std::fprintf(stderr, "quillmark-results: %zu connections still open after %lld ms; cutting them\n",
                   server->sessions.size(), static_cast<long long>(server->settings.stopGraceMs));
  }
  AskSessionsToStop(server, true);
  EmptyLine(&server->expensive);  // any that joined as the stop began
  {
    std::unique_lock<std::mutex> lock(server->sessionsMutex);
    server->sessionsChanged.wait_for(lock, std::chrono::seconds(2),
                                     [server] { return server->sessions.empty(); });
  }
  // Jobs still on the pool post back to the strands; they finish first.
  StopWorkPool(&server->pool);
  server->io.stop();
  for (std::thread& thread : server->threads) thread.join();
  delete server;
}

}  // namespace qm
