#include "console/submit_result.h"

#include <curl/curl.h>

#include <cstdlib>
#include <mutex>
#include <nlohmann/json.hpp>

#include "export/whole_file.h"

namespace qm {
namespace {

constexpr long TIMEOUT_SECONDS = 30;
constexpr size_t MAX_ERROR_TEXT = 300;
// A board's answer is a line of JSON; more than this is not a board.
constexpr size_t MAX_ANSWER_BYTES = 1 << 20;

struct BoardUrl {
  std::string origin;  // http://host:port
  std::string path;    // "" or "/prefix", no slash at the end
};

bool ParseBoardUrl(const std::string& url, BoardUrl* board) {
  const size_t schemeEnd = url.find("://");
  if (schemeEnd == std::string::npos) return false;
  const std::string scheme = url.substr(0, schemeEnd);
  if (scheme != "http" && scheme != "https") return false;
  const size_t slash = url.find('/', schemeEnd + 3);
  board->origin = url.substr(0, slash);
  board->path = slash == std::string::npos ? std::string() : url.substr(slash);
  while (!board->path.empty() && board->path.back() == '/') board->path.pop_back();
  if (board->origin.size() == schemeEnd + 3) return false;
  for (char c : url)
    if (static_cast<unsigned char>(c) <= ' ' || c == '?' || c == '#') return false;
  return true;
}

// The answer's address made absolute against the board's URL.
std::string Absolute(const BoardUrl& board, const std::string& address) {
  if (address.rfind("http://", 0) == 0 || address.rfind("https://", 0) == 0) return address;
  if (!address.empty() && address[0] == '/') return board.origin + address;
  return board.origin + board.path + "/" + address;
}

// The board's error text: its JSON "error", else the start of the body.
std::string ErrorText(const std::string& body) {
  nlohmann::json answer = nlohmann::json::parse(body, nullptr, false);
  std::string text;
  if (answer.is_object() && answer.contains("error") && answer["error"].is_string())
    text = answer["error"].get<std::string>();
  else
    text = body.substr(0, body.find('\n'));
  if (text.size() > MAX_ERROR_TEXT) text = text.substr(0, MAX_ERROR_TEXT) + "...";
  for (char& c : text)
    if (static_cast<unsigned char>(c) < ' ') c = ' ';
  return text;
}

struct Exchange {
  CURLcode result = CURLE_OK;
  long status = 0;
  bool connected = false;
  bool answerTooLong = false;
  std::string body;
};

// What went wrong on the way, as a user reads it.
std::string TransportProblem(const Exchange& exchange) {
  switch (exchange.result) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_CONNECT: return "no connection (is the address right, and the board running?)";
    case CURLE_OPERATION_TIMEDOUT:
      return exchange.connected ? "the connection broke, or no answer came within 30 s"
                                : "no connection within 30 s";
    case CURLE_SEND_ERROR: return "the connection broke while the file was being sent";
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE: return "the connection broke, or no answer came within 30 s";
    case CURLE_SSL_CONNECT_ERROR: return "the TLS handshake failed";
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CERTPROBLEM: return "the system's certificates could not be loaded";
    case CURLE_PEER_FAILED_VERIFICATION: return "its certificate could not be verified";
    case CURLE_WRITE_ERROR:
      if (exchange.answerTooLong) return "its answer was longer than a board's answer can be";
      break;
    default: break;
  }
  return curl_easy_strerror(exchange.result);
}

size_t KeepAnswer(char* data, size_t size, size_t count, void* user) {
  Exchange* exchange = static_cast<Exchange*>(user);
  const size_t bytes = size * count;
  if (exchange->body.size() + bytes > MAX_ANSWER_BYTES) {
    exchange->answerTooLong = true;
    return 0;  // ends the transfer with CURLE_WRITE_ERROR
  }
  exchange->body.append(data, bytes);
  return bytes;
}

// libcurl reads proxies from the environment by itself but not the CA
// bundle: these are the names curl and OpenSSL users already set, for a
// private CA or a company's TLS-inspecting proxy.
void UseCertificatesFromEnvironment(CURL* curl) {
  const char* bundle = std::getenv("CURL_CA_BUNDLE");
  if (!bundle || !*bundle) bundle = std::getenv("SSL_CERT_FILE");
  if (bundle && *bundle) curl_easy_setopt(curl, CURLOPT_CAINFO, bundle);
  const char* folder = std::getenv("SSL_CERT_DIR");
  if (folder && *folder) curl_easy_setopt(curl, CURLOPT_CAPATH, folder);
}

// One POST of the file's bytes; the transfer, the status and the body.
Exchange PostFile(const std::string& url, const std::string& bytes) {
  static std::once_flag curlReady;
  std::call_once(curlReady, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  Exchange exchange;
  CURL* curl = curl_easy_init();
  if (!curl) {
    exchange.result = CURLE_FAILED_INIT;
    return exchange;
  }
  curl_slist* headers = curl_slist_append(nullptr, "Content-Type: application/octet-stream");
  // No 100-continue round trip: the file is small and the board answers at once.
  headers = curl_slist_append(headers, "Expect:");
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(curl, CURLOPT_POSTFIELDS, bytes.data());
  curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(bytes.size()));
  curl_easy_setopt(curl, CURLOPT_USERAGENT, "quillmark");
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, TIMEOUT_SECONDS);
  // The whole exchange is bounded, so a board that drips its answer cannot
  // hold the program.
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, TIMEOUT_SECONDS);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, KeepAnswer);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &exchange);
  UseCertificatesFromEnvironment(curl);
  exchange.result = curl_easy_perform(curl);
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &exchange.status);
  curl_off_t connectTime = 0;
  curl_easy_getinfo(curl, CURLINFO_CONNECT_TIME_T, &connectTime);
  exchange.connected = connectTime > 0;
  curl_slist_free_all(headers);
  curl_easy_cleanup(curl);
  return exchange;
}

// A text in single quotes for a POSIX shell.
std::string ShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// The command that deletes the result just added, or "" when the answer
// holds no delete token. The token is shown as the board gave it only when
// it is plain hex, since it goes to a terminal and into a command line.
std::string DeleteCommand(const BoardUrl& board, const nlohmann::json& body) {
  if (!body.contains("deleteToken") || !body["deleteToken"].is_string() || !body.contains("id") ||
      !body["id"].is_number_integer())
    return std::string();
  const std::string token = body["deleteToken"].get<std::string>();
  if (token.empty() || token.size() > 64 || token.find_first_not_of("0123456789abcdef") != std::string::npos)
    return std::string();
  const std::string url =
      board.origin + board.path + "/api/results/" + std::to_string(body["id"].get<int64_t>());
  return "curl -X DELETE -H 'Authorization: Bearer " + token + "' " + ShellQuoted(url);
}

}  // namespace

bool IsBoardUrl(const std::string& boardUrl) {
  BoardUrl board;
  return ParseBoardUrl(boardUrl, &board);
}

SubmitAnswer SubmitToBoard(const std::string& boardUrl, const std::string& verifyBytes) {
  SubmitAnswer answer;
  BoardUrl board;
  if (!ParseBoardUrl(boardUrl, &board)) {
    answer.problem = "not a board address: " + boardUrl + " (give http://host:port or https://host)";
    return answer;
  }
  const Exchange exchange = PostFile(board.origin + board.path + "/api/results", verifyBytes);
  if (exchange.result != CURLE_OK) {
    answer.problem = "the board at " + boardUrl + " cannot be reached: " + TransportProblem(exchange);
    return answer;
  }
  if (exchange.status != 200 && exchange.status != 201) {
    answer.problem = "the board at " + boardUrl + " did not take the result (HTTP " +
                     std::to_string(exchange.status) + "): " + ErrorText(exchange.body);
    return answer;
  }
  nlohmann::json body = nlohmann::json::parse(exchange.body, nullptr, false);
  if (!body.is_object() || !body.contains("url") || !body["url"].is_string()) {
    answer.problem = "the board at " + boardUrl + " answered without the result's address";
    return answer;
  }
  answer.accepted = true;
  answer.duplicate =
      body.contains("duplicate") && body["duplicate"].is_boolean() && body["duplicate"].get<bool>();
  answer.address = Absolute(board, body["url"].get<std::string>());
  answer.deleteCommand = DeleteCommand(board, body);
  return answer;
}

bool SubmitSavedResult(const std::string& boardUrl, const Text& reportName, std::FILE* out, std::FILE* err) {
  std::string file;
  SubmitAnswer answer;
  if (reportName.empty() || !ReadWholeFile(reportName + u".verify", &file))
    answer.problem = "the validation file of this run could not be saved, so nothing was sent";
  else
    answer = SubmitToBoard(boardUrl, file);
  if (!answer.accepted) {
    std::fprintf(err, "quillmark: %s\n", answer.problem.c_str());
    std::fflush(err);
    return false;
  }
  if (!answer.deleteCommand.empty())
    std::fprintf(out, "to delete it from the board: %s\n", answer.deleteCommand.c_str());
  std::fprintf(out, "submitted %s%s\n", answer.address.c_str(),
               answer.duplicate ? " (already on the board)" : "");
  std::fflush(out);
  return true;
}

}  // namespace qm
