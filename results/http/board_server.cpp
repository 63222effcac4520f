#include "results/http/board_server.h"

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <thread>

#include "results/http/board_context.h"
#include "results/http/http_replies.h"
#include "results/pages/html_text.h"

namespace qm {

struct BoardServer {
  httplib::Server http;
  BoardContext context;
  std::thread listener;
  std::atomic<bool> listenEnded{false};
  int port = 0;
};

namespace {

// Enough workers that every keep-alive client of a busy board has one.
constexpr size_t WORKER_THREADS = 32;
constexpr time_t READ_TIMEOUT_SECONDS = 10;
constexpr time_t WRITE_TIMEOUT_SECONDS = 10;
constexpr time_t KEEP_ALIVE_SECONDS = 5;
constexpr size_t KEEP_ALIVE_REQUESTS = 1000;
constexpr size_t LOGGED_PATH_BYTES = 300;
constexpr unsigned long long DRAINED_BODY_BYTES = 16 << 20;

thread_local std::chrono::steady_clock::time_point requestStart;
thread_local bool requestTimed = false;

httplib::Headers SafetyHeaders() {
  return {{"Content-Security-Policy",
           "default-src 'none'; style-src 'self'; img-src 'self' data:; form-action 'self'; "
           "frame-ancestors 'none'; base-uri 'none'"},
          {"X-Content-Type-Options", "nosniff"},
          {"X-Frame-Options", "DENY"},
          {"Referrer-Policy", "no-referrer"}};
}

std::string UtcNow() {
  const std::time_t now = std::time(nullptr);
  std::tm parts{};
  gmtime_r(&now, &parts);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
  return text;
}

// One line per request: time, client, method, path, status, bytes, ms. The
// path is the client's text: cleaned and cut so a line stays one line.
void LogRequest(const httplib::Request& req, const httplib::Response& res) {
  static std::mutex logMutex;
  std::string path = CleanText(req.path);
  for (char& c : path)
    if (c == '\n' || c == '\t') c = ' ';
  if (path.size() > LOGGED_PATH_BYTES) path = path.substr(0, LOGGED_PATH_BYTES) + "...";
  std::string elapsed = "-";
  if (requestTimed) {
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - requestStart).count();
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", ms);
    elapsed = text;
    requestTimed = false;
  }
  const std::string line =
      UtcNow() + " " + CleanText(req.remote_addr) + " " + CleanText(req.method).substr(0, 16) + " " + path +
      " " + std::to_string(res.status) + " " + std::to_string(res.body.size()) + " " + elapsed + "ms\n";
  std::lock_guard<std::mutex> lock(logMutex);
  std::fputs(line.c_str(), stderr);
}

httplib::Server::HandlerResponse BeforeRouting(const httplib::Request& req, httplib::Response& res) {
  requestStart = std::chrono::steady_clock::now();
  requestTimed = true;
  // A body announced as far too large is refused before a byte of it is
  // read. One a little over the cap is read and dropped by the server's own
  // limit first, so that a browser sees the answer rather than a reset.
  const std::string length = req.get_header_value("Content-Length");
  if (!length.empty() &&
      (length.size() > 15 || std::strtoull(length.c_str(), nullptr, 10) > DRAINED_BODY_BYTES)) {
    res.set_header("Connection", "close");
    res.status = 413;
    return httplib::Server::HandlerResponse::Handled;
  }
  return httplib::Server::HandlerResponse::Unhandled;
}

// Gives every error without a body of its own one in the family's form.
httplib::Server::HandlerResponse FillError(const httplib::Request& req, httplib::Response& res) {
  if (!res.body.empty() || res.has_header("Content-Type")) return httplib::Server::HandlerResponse::Handled;
  if (IsApiPath(req.path)) {
    SendApiError(res, res.status, StatusExplanation(res.status));
  } else {
    SendPageError(res, res.status, StatusExplanation(res.status));
  }
  return httplib::Server::HandlerResponse::Handled;
}

void OnException(const httplib::Request& req, httplib::Response& res, std::exception_ptr failure) {
  std::string what = "unknown";
  try {
    if (failure) std::rethrow_exception(failure);
  } catch (const std::exception& e) {
    what = e.what();
  } catch (...) {
  }
  std::fprintf(stderr, "quillmark-results: a request failed: %s\n", CleanText(what).c_str());
  res.body.clear();
  res.headers.clear();
  res.status = 500;
  FillError(req, res);
}

void Configure(BoardServer* server, const BoardSettings& settings) {
  httplib::Server& http = server->http;
  http.new_task_queue = [] { return new httplib::ThreadPool(WORKER_THREADS); };
  http.set_default_headers(SafetyHeaders());
  http.set_payload_max_length(MAX_BODY_BYTES);
  http.set_read_timeout(READ_TIMEOUT_SECONDS, 0);
  http.set_write_timeout(WRITE_TIMEOUT_SECONDS, 0);
  http.set_keep_alive_timeout(KEEP_ALIVE_SECONDS);
  http.set_keep_alive_max_count(KEEP_ALIVE_REQUESTS);
  // Headers and body leave in separate writes: without this, Nagle and
  // delayed acknowledgements hold each keep-alive answer for 40 ms.
  http.set_tcp_nodelay(true);
  http.set_pre_routing_handler(BeforeRouting);
  http.set_error_handler(httplib::Server::HandlerWithResponse(FillError));
  http.set_exception_handler(OnException);
  if (settings.logRequests) http.set_logger(LogRequest);
  AddPageRoutes(&http, &server->context);
  AddApiRoutes(&http, &server->context);
}

}  // namespace

BoardServer* StartBoardServer(ResultStore* store, const std::string& host, int port,
                              const BoardSettings& settings, std::string* error) {
  auto* server = new BoardServer;
  server->context.store = store;
  server->context.gate.perMinute = settings.maxUploadsPerMinute;
  Configure(server, settings);
  const bool bound = port == 0 ? (server->port = server->http.bind_to_any_port(host)) > 0
                               : server->http.bind_to_port(host, port);
  if (!bound) {
    *error = "cannot listen on " + host + ":" + std::to_string(port) +
             " (in use, or not an address of this machine)";
    delete server;
    return nullptr;
  }
  if (port != 0) server->port = port;
  server->listener = std::thread([server] {
    server->http.listen_after_bind();
    server->listenEnded = true;
  });
  return server;
}

int BoardServerPort(const BoardServer* server) { return server->port; }

void StopBoardServer(BoardServer* server) {
  if (!server) return;
  // stop() closes the listening socket; listen_after_bind then drains its
  // workers, which finish the requests they hold, and returns.
  // stop() does nothing to a server that has not begun to listen, so wait
  // for the listener to begin (it does at once) or to have given up.
  while (!server->http.is_running() && !server->listenEnded)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  server->http.stop();
  server->listener.join();
  delete server;
}

}  // namespace qm
