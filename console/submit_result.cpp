#include "console/submit_result.h"

#include <httplib.h>

#include <nlohmann/json.hpp>

#include "export/whole_file.h"

namespace qm {
namespace {

constexpr int TIMEOUT_SECONDS = 30;
constexpr size_t MAX_ERROR_TEXT = 300;

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
std::string ErrorText(const httplib::Result& result) {
  nlohmann::json answer = nlohmann::json::parse(result->body, nullptr, false);
  std::string text;
  if (answer.is_object() && answer.contains("error") && answer["error"].is_string())
    text = answer["error"].get<std::string>();
  else
    text = result->body.substr(0, result->body.find('\n'));
  if (text.size() > MAX_ERROR_TEXT) text = text.substr(0, MAX_ERROR_TEXT) + "...";
  for (char& c : text)
    if (static_cast<unsigned char>(c) < ' ') c = ' ';
  return text;
}

// What went wrong on the way, as a user reads it.
std::string TransportProblem(httplib::Error error) {
  switch (error) {
    case httplib::Error::Connection: return "no connection (is the address right, and the board running?)";
    case httplib::Error::ConnectionTimeout: return "no connection within 30 s";
    case httplib::Error::Read: return "the connection broke, or no answer came within 30 s";
    case httplib::Error::Write: return "the connection broke while the file was being sent";
    case httplib::Error::SSLConnection: return "the TLS handshake failed";
    case httplib::Error::SSLLoadingCerts: return "the system's certificates could not be loaded";
    case httplib::Error::SSLServerVerification: return "its certificate could not be verified";
    default: return httplib::to_string(error);
  }
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
  httplib::Client client(board.origin);
  client.set_connection_timeout(TIMEOUT_SECONDS, 0);
  client.set_read_timeout(TIMEOUT_SECONDS, 0);
  client.set_write_timeout(TIMEOUT_SECONDS, 0);
  httplib::Result result =
      client.Post((board.path + "/api/results").c_str(), verifyBytes, "application/octet-stream");
  if (!result) {
    answer.problem = "the board at " + boardUrl + " cannot be reached: " + TransportProblem(result.error());
    return answer;
  }
  if (result->status != 200 && result->status != 201) {
    answer.problem = "the board at " + boardUrl + " did not take the result (HTTP " +
                     std::to_string(result->status) + "): " + ErrorText(result);
    return answer;
  }
  nlohmann::json body = nlohmann::json::parse(result->body, nullptr, false);
  if (!body.is_object() || !body.contains("url") || !body["url"].is_string()) {
    answer.problem = "the board at " + boardUrl + " answered without the result's address";
    return answer;
  }
  answer.accepted = true;
  answer.duplicate =
      body.contains("duplicate") && body["duplicate"].is_boolean() && body["duplicate"].get<bool>();
  answer.address = Absolute(board, body["url"].get<std::string>());
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
  std::fprintf(out, "submitted %s%s\n", answer.address.c_str(),
               answer.duplicate ? " (already on the board)" : "");
  std::fflush(out);
  return true;
}

}  // namespace qm
