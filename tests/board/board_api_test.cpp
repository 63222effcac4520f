// The board's API and pages through the real server on 127.0.0.1, over each
// real store: what is taken, what is refused and why, what survives a
// restart, what many clients at once do, and the upload cap.
#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <random>
#include <set>
#include <thread>

#include "engine/shortest_cycle.h"
#include "export/validation_file.h"
#include "export/validation_key.h"
#include "platform/aes.h"
#include "platform/text.h"
#include "results/http/board_server.h"
#include "results/pages/html_text.h"
#include "results/result_store.h"
#include "tests/support/result_samples.h"
#include "tests/support/test_database.h"

namespace qm {
namespace {

using nlohmann::json;

// A validation file made as the program makes one, but under another key.
std::string EncryptWithKey(const std::string& report, const std::array<uint8_t, 32>& key) {
  const ValidationLayout layout = LayoutForReport(report.size());
  std::string plain(layout.blocks * VALIDATION_BLOCK_BYTES, '\0');
  std::copy(report.begin(), report.end(), plain.begin());
  std::string file(plain.size(), '\0');
  CipherHandle cipher = Cipher().begin(CipherDirection::Encrypt, key.data(), ValidationIv.data());
  EXPECT_TRUE(cipher &&
              Cipher().update(cipher, reinterpret_cast<const uint8_t*>(plain.data()),
                              reinterpret_cast<uint8_t*>(file.data()), static_cast<uint32_t>(plain.size())));
  Cipher().end(cipher);
  for (int i = 0; i < 4; ++i) file += static_cast<char>((layout.trailer >> (8 * i)) & 0xFF);
  return file;
}

// "sqlite" or "postgres": a fresh database per test, in a scratch folder or
// on the server the test script started.
class Board : public ::testing::TestWithParam<std::string> {
 protected:
  // The server answers 413 and closes while a client is still sending a body
  // too large: the client's next write must fail with EPIPE, not end the test.
  static void SetUpTestSuite() { std::signal(SIGPIPE, SIG_IGN); }

  void SetUp() override {
    db_ = std::make_unique<TestDatabase>(GetParam());
    QM_NEED_DATABASE(*db_);
    url_ = db_->url;
    mark_ = "T" + std::to_string(std::random_device{}()) + std::to_string(std::random_device{}());
    Start(0);
  }
  void TearDown() override {
    Stop();
    db_.reset();
  }

  void Start(int64_t uploadsPerMinute) {
    std::string error;
    store_ = OpenResultStore(url_, &error);
    ASSERT_NE(store_, nullptr) << error;
    BoardSettings settings;
    settings.maxUploadsPerMinute = uploadsPerMinute;
    settings.logRequests = false;
    server_ = StartBoardServer(store_, "127.0.0.1", 0, settings, &error);
    ASSERT_NE(server_, nullptr) << error;
  }
  void Stop() {
    StopBoardServer(server_);
    server_ = nullptr;
    CloseResultStore(store_);
    store_ = nullptr;
  }

  httplib::Client Client() const {
    httplib::Client client("127.0.0.1", BoardServerPort(server_));
    client.set_connection_timeout(30);
    client.set_read_timeout(60);
    return client;
  }

  // A report of its own for this test: its drive model carries the mark.
  SampleReport Fields(int n = 0) const {
    SampleReport fields;
    fields.driveModel = FromUtf8("Drive " + mark_ + " " + std::to_string(n));
    fields.averageMs = 1000 + 37 * n;
    return fields;
  }
  std::string Model(int n = 0) const { return Utf8(Fields(n).driveModel); }
  std::string File(int n = 0) const { return SampleValidationFile(Fields(n)); }

  httplib::Result Upload(const std::string& file) {
    return Client().Post("/api/results", file, "application/octet-stream");
  }

  // How many results carry this test's mark.
  int64_t Marked() {
    auto res = Client().Get(("/api/results?q=" + mark_).c_str());
    EXPECT_TRUE(res && res->status == 200);
    return res && res->status == 200 ? json::parse(res->body)["total"].get<int64_t>() : -1;
  }

  std::unique_ptr<TestDatabase> db_;
  std::string url_, mark_;
  ResultStore* store_ = nullptr;
  BoardServer* server_ = nullptr;
};

TEST_P(Board, UploadIsKeptOnceAndShown) {
  const std::string file = File();
  auto added = Upload(file);
  ASSERT_TRUE(added) << httplib::to_string(added.error());
  ASSERT_EQ(added->status, 201) << added->body;
  const json body = json::parse(added->body);
  const int64_t id = body["id"];
  EXPECT_EQ(body["url"], "/results/" + std::to_string(id));
  EXPECT_EQ(body["duplicate"], false);
  EXPECT_EQ(body["speed"], "2.000");
  EXPECT_EQ(body["averageMs"], 1000);

  // The same report again, as bytes and as a form: one result.
  auto again = Upload(file);
  ASSERT_TRUE(again);
  EXPECT_EQ(again->status, 200);
  EXPECT_EQ(json::parse(again->body)["duplicate"], true);
  EXPECT_EQ(json::parse(again->body)["id"], id);
  httplib::MultipartFormDataItems form = {{"file", file, "info.txt.verify", "application/octet-stream"}};
  auto viaForm = Client().Post("/api/results", form);
  ASSERT_TRUE(viaForm);
  EXPECT_EQ(viaForm->status, 200) << viaForm->body;
  EXPECT_EQ(Marked(), 1);

  auto one = Client().Get(("/api/results/" + std::to_string(id)).c_str());
  ASSERT_TRUE(one && one->status == 200);
  EXPECT_EQ(json::parse(one->body)["report"], SampleReportBytes(Fields()));
  EXPECT_EQ(json::parse(one->body)["driveModel"], Model());
  auto download = Client().Get(("/results/" + std::to_string(id) + ".verify").c_str());
  ASSERT_TRUE(download && download->status == 200);
  EXPECT_EQ(download->body, file) << "the validation file as received";
  EXPECT_EQ(download->get_header_value("Content-Type"), "application/octet-stream");

  auto page = Client().Get(("/results/" + std::to_string(id)).c_str());
  ASSERT_TRUE(page && page->status == 200);
  EXPECT_NE(page->body.find(Model()), std::string::npos);
  auto board = Client().Get("/");
  ASSERT_TRUE(board && board->status == 200);
  EXPECT_NE(board->body.find("WD Black SN850 - 500 GB"), std::string::npos) << "the reference rows";
  auto drives = Client().Get("/api/drives");
  ASSERT_TRUE(drives && drives->status == 200);
  EXPECT_NE(drives->body.find(Model()), std::string::npos);
  auto csv = Client().Get("/results.csv");
  ASSERT_TRUE(csv && csv->status == 200);
  EXPECT_NE(csv->body.find("\"" + Model() + "\""), std::string::npos);
  auto lines = Client().Get("/results.jsonl");
  ASSERT_TRUE(lines && lines->status == 200);
  const size_t rows = static_cast<size_t>(std::count(lines->body.begin(), lines->body.end(), '\n'));
  EXPECT_EQ(rows + 1, static_cast<size_t>(std::count(csv->body.begin(), csv->body.end(), '\n')))
      << "the same rows as the CSV, which has a header";
  const json first = json::parse(lines->body.substr(0, lines->body.find('\n')), nullptr, false);
  ASSERT_TRUE(first.is_object()) << lines->body.substr(0, 300);
  EXPECT_EQ(first["driveModel"], Model());
}

TEST_P(Board, RefusedFilesAreNotKept) {
  const std::string file = File();
  std::string garbage(4100, '\0');
  std::mt19937 random(7);
  for (char& c : garbage) c = static_cast<char>(random());
  std::array<uint8_t, 32> otherKey = ValidationKey;
  otherKey[0] ^= 1;
  const std::string notReport = "Quillmark V2.08 - Orvanta\r\r\nnothing else\r\n";
  std::string wrongSpeed = SampleReportBytes(Fields());
  wrongSpeed.replace(wrongSpeed.find("MB/s: 2.000"), 11, "MB/s: 9.999");
  const struct {
    const char* name;
    std::string body;
  } cases[] = {
      {"empty", ""},
      {"garbage", garbage},
      {"truncated", file.substr(0, file.size() - 1)},
      {"one block short", file.substr(4096)},
      {"wrong key", EncryptWithKey(SampleReportBytes(Fields()), otherKey)},
      {"not a report", ValidationFileOf(notReport)},
      {"speed text that does not match the average", ValidationFileOf(wrongSpeed)},
  };
  for (const auto& c : cases) {
    auto res = Upload(c.body);
    ASSERT_TRUE(res) << c.name;
    EXPECT_EQ(res->status, 422) << c.name << ": " << res->body;
    const json body = json::parse(res->body, nullptr, false);
    ASSERT_TRUE(body.is_object()) << c.name;
    EXPECT_FALSE(body["error"].get<std::string>().empty()) << c.name;

    httplib::MultipartFormDataItems form = {{"file", c.body, "x.verify", "application/octet-stream"}};
    auto page = Client().Post("/submit", form);
    ASSERT_TRUE(page) << c.name;
    EXPECT_EQ(page->status, 422) << c.name;
    EXPECT_NE(page->body.find("This file was not accepted"), std::string::npos) << c.name;
  }
  EXPECT_EQ(Marked(), 0);
}

TEST_P(Board, OversizedBodiesGet413) {
  const std::string big((1 << 20) + 1, 'x');
  auto announced = Upload(big);
  ASSERT_TRUE(announced);
  EXPECT_EQ(announced->status, 413);
  EXPECT_TRUE(json::parse(announced->body, nullptr, false).contains("error"));
  // Chunked, so no length is announced: the cap on reading holds.
  size_t sent = 0;
  auto chunked = Client().Post(
      "/api/results",
      [&](size_t, httplib::DataSink& sink) {
        if (sent >= 3 * (1 << 20)) {
          sink.done();
          return true;
        }
        const std::string piece(64 * 1024, 'y');
        sent += piece.size();
        return sink.write(piece.data(), piece.size());
      },
      "application/octet-stream");
  if (chunked) {
    EXPECT_EQ(chunked->status, 413);  // or the server closed the connection mid-body
  }
  httplib::MultipartFormDataItems form = {{"file", big, "x.verify", "application/octet-stream"}};
  auto page = Client().Post("/submit", form);
  ASSERT_TRUE(page);
  EXPECT_EQ(page->status, 413);
  EXPECT_NE(page->get_header_value("Content-Type").find("text/html"), std::string::npos);
  auto health = Client().Get("/healthz");
  ASSERT_TRUE(health);
  EXPECT_EQ(health->status, 200);
}

// Markup, quotes and control characters in every field a report carries:
// either refused, or shown escaped on every page and valid in the JSON.
TEST_P(Board, HostileReportsAreRefusedOrShownEscaped) {
  const std::string hostile = "<script>alert(\"x\")</script>'\x01\x1b[2J\xe2\x80\xae=cmd|";
  SampleReport fields = Fields();
  for (Text* field : {&fields.processor, &fields.boardMaker, &fields.boardModel, &fields.gpu, &fields.osName,
                      &fields.osBuild})
    *field = FromUtf8(hostile);
  fields.driveModel = FromUtf8("=HYPERLINK(\"http://x\")<marquee>" + mark_ + hostile);
  auto res = Upload(SampleValidationFile(fields));
  ASSERT_TRUE(res);
  if (res->status == 422) {
    EXPECT_EQ(Marked(), 0);
    return;
  }
  ASSERT_EQ(res->status, 201) << res->body;
  const std::string id = std::to_string(json::parse(res->body)["id"].get<int64_t>());
  for (std::string path : {std::string("/"), "/?q=" + mark_, "/results/" + id, std::string("/drives")}) {
    auto page = Client().Get(path.c_str());
    ASSERT_TRUE(page && page->status == 200) << path;
    EXPECT_EQ(page->body.find("<script"), std::string::npos) << path;
    EXPECT_EQ(page->body.find("<marquee"), std::string::npos) << path;
    EXPECT_EQ(page->body.find('\x01'), std::string::npos) << path;
    EXPECT_EQ(page->body.find('\x1b'), std::string::npos) << path;
  }
  // The model's link on /drives leads to its page, control and bidi
  // characters and all.
  auto drives = Client().Get("/drives");
  ASSERT_TRUE(drives && drives->status == 200);
  const size_t at = drives->body.find(mark_);
  const size_t href = drives->body.rfind("href=\"/drives/", at);
  ASSERT_NE(href, std::string::npos);
  const std::string link = drives->body.substr(href + 6, drives->body.find('"', href + 6) - href - 6);
  auto modelPage = Client().Get(link.c_str());
  ASSERT_TRUE(modelPage);
  EXPECT_EQ(modelPage->status, 200) << link;
  EXPECT_NE(modelPage->body.find("/results/" + id), std::string::npos) << link;

  auto one = Client().Get(("/api/results/" + id).c_str());
  ASSERT_TRUE(one && one->status == 200);
  const json parsed = json::parse(one->body, nullptr, false);
  ASSERT_FALSE(parsed.is_discarded());
  EXPECT_EQ(parsed["processor"], hostile) << "the API gives the text as sent, JSON-escaped";
  auto csv = Client().Get("/results.csv");
  ASSERT_TRUE(csv && csv->status == 200);
  EXPECT_EQ(csv->body.find(",\"=HYPERLINK"), std::string::npos);
  EXPECT_NE(csv->body.find(",\"'=HYPERLINK"), std::string::npos);
}

TEST_P(Board, BadRequestsGetClearAnswers) {
  const struct {
    const char* path;
    int status;
    bool jsonBody;
  } cases[] = {
      {"/api/results?offset=-1", 400, true},
      {"/api/results?offset=abc", 400, true},
      {"/api/results?offset=99999999999999999999999", 400, true},
      {"/api/results?limit=0", 400, true},
      {"/api/results?limit=100000", 400, true},
      {"/api/results?offset=1000000000000", 200, true},
      {"/api/results?q=%FF%FE%00", 200, true},
      {"/api/results/999999999", 404, true},
      {"/api/results/abc", 404, true},
      {"/api/nothing", 404, true},
      {"/results/999999999", 404, false},
      {"/results/999999999.verify", 404, false},
      {"/results/..%2F..%2Fetc%2Fpasswd", 404, false},
      {"/drives/no%20such%20model", 404, false},
      {"/?page=0", 400, false},
      {"/?page=-3", 400, false},
      {"/?page=99999999999", 400, false},
      {"/?page=999999", 200, false},
      {"/?q=%FF%3Cscript%3E", 200, false},
      {"/?q=ab", 400, false},  // shorter than the trigram indexes serve
      {"/?page=2&after=900", 400, false},
      {"/?page=2&after=900-x", 400, false},
      {"/?page=2&after=900-7", 200, false},
      {"/api/results?q=%C3%A9a", 400, true},
      {"/api/results?after=900", 400, true},
      {"/api/results?q=abc&after=900-7", 200, true},
      {"/nothing/here", 404, false},
  };
  for (const auto& c : cases) {
    auto res = Client().Get(c.path);
    ASSERT_TRUE(res) << c.path;
    EXPECT_EQ(res->status, c.status) << c.path << ": " << res->body.substr(0, 300);
    if (c.jsonBody) {
      EXPECT_EQ(res->get_header_value("Content-Type"), "application/json") << c.path;
      const json body = json::parse(res->body, nullptr, false);
      EXPECT_TRUE(body.is_object()) << c.path;
      if (c.status != 200) {
        EXPECT_TRUE(body.contains("error")) << c.path;
      }
    } else {
      EXPECT_NE(res->get_header_value("Content-Type").find("text/html"), std::string::npos) << c.path;
      EXPECT_EQ(res->body.find("<script"), std::string::npos) << c.path;
    }
    const std::string policy = res->get_header_value("Content-Security-Policy");
    EXPECT_NE(policy.find("default-src 'none'"), std::string::npos) << c.path;
    EXPECT_NE(policy.find("frame-ancestors 'none'"), std::string::npos) << c.path;
    EXPECT_EQ(policy.find("unsafe-inline"), std::string::npos) << c.path;
    EXPECT_EQ(res->get_header_value("X-Content-Type-Options"), "nosniff") << c.path;
  }
  auto long_q = Client().Get(("/?q=" + std::string(300, 'a')).c_str());
  ASSERT_TRUE(long_q);
  EXPECT_EQ(long_q->status, 400);
}

TEST_P(Board, SubmitFormLandsOnTheResult) {
  httplib::MultipartFormDataItems form = {{"file", File(), "info.txt.verify", "application/octet-stream"}};
  auto res = Client().Post("/submit", form);
  ASSERT_TRUE(res);
  ASSERT_EQ(res->status, 303) << res->body;
  const std::string location = res->get_header_value("Location");
  EXPECT_EQ(location.rfind("/results/", 0), 0u) << location;
  auto page = Client().Get(location.c_str());
  ASSERT_TRUE(page && page->status == 200);
  EXPECT_NE(page->body.find("checked and added"), std::string::npos);
  auto again = Client().Post("/submit", form);
  ASSERT_TRUE(again);
  EXPECT_EQ(again->status, 303);
  EXPECT_NE(again->get_header_value("Location").find("duplicate"), std::string::npos);
}

// The sender deletes with the token the upload's answer gave, through the
// API or the form; a wrong token changes nothing; the report may come again.
TEST_P(Board, SendersDeleteTheirOwnResult) {
  const std::string file = File();
  auto added = Upload(file);
  ASSERT_TRUE(added && added->status == 201);
  const json body = json::parse(added->body);
  const std::string id = std::to_string(body["id"].get<int64_t>());
  const std::string token = body["deleteToken"];
  EXPECT_EQ(token.size(), 32u);
  EXPECT_EQ(token.find_first_not_of("0123456789abcdef"), std::string::npos) << token;
  const std::string path = "/api/results/" + id;
  const struct {
    const char* what;
    httplib::Headers headers;
    int status;
  } refused[] = {
      {"no token", {}, 401},
      {"another scheme", {{"Authorization", "Basic " + token}}, 401},
      {"a wrong token", {{"Authorization", "Bearer " + std::string(32, '0')}}, 403},
      {"the token with one digit changed",
       {{"Authorization", "Bearer " + token.substr(0, 31) + (token[31] == '0' ? "1" : "0")}},
       403},
      {"the token's SHA-256 instead", {{"Authorization", "Bearer " + std::string(64, 'a')}}, 403},
  };
  for (const auto& c : refused) {
    auto res = Client().Delete(path.c_str(), c.headers);
    ASSERT_TRUE(res) << c.what;
    EXPECT_EQ(res->status, c.status) << c.what << ": " << res->body;
  }
  EXPECT_EQ(Marked(), 1);
  auto missing = Client().Delete("/api/results/999999999", {{"Authorization", "Bearer " + token}});
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->status, 404);

  auto deleted = Client().Delete(path.c_str(), {{"Authorization", "bearer " + token}});
  ASSERT_TRUE(deleted);
  EXPECT_EQ(deleted->status, 204) << deleted->body;
  EXPECT_EQ(Marked(), 0);
  for (const char* page : {"/", "/drives", "/results.csv", "/api/drives"}) {
    auto res = Client().Get(page);
    ASSERT_TRUE(res && res->status == 200) << page;
    EXPECT_EQ(res->body.find(mark_), std::string::npos) << page;
  }
  auto gone = Client().Get(path.c_str());
  ASSERT_TRUE(gone);
  EXPECT_EQ(gone->status, 404);

  // The same report again is a new result; this time sent and deleted
  // through the forms, the token shown on the page the upload lands on.
  httplib::MultipartFormDataItems form = {{"file", file, "info.txt.verify", "application/octet-stream"}};
  auto sent = Client().Post("/submit", form);
  ASSERT_TRUE(sent && sent->status == 303);
  const std::string location = sent->get_header_value("Location");
  EXPECT_EQ(location.find("/results/" + id + "?"), std::string::npos) << "a new id: " << location;
  auto landed = Client().Get(location.c_str());
  ASSERT_TRUE(landed && landed->status == 200);
  const std::string marker = "id=\"delete-link\" href=\"";
  const size_t link = landed->body.find(marker);
  ASSERT_NE(link, std::string::npos) << "no delete link on " << location;
  const size_t start = link + marker.size();
  const std::string deletePage = landed->body.substr(start, landed->body.find('"', start) - start);
  const std::string newToken = deletePage.substr(deletePage.find("token=") + 6);
  EXPECT_NE(landed->body.find("<code>" + newToken + "</code>"), std::string::npos);
  auto forged = Client().Get((location.substr(0, location.find('?')) + "?token=" + token).c_str());
  ASSERT_TRUE(forged && forged->status == 200);
  EXPECT_EQ(forged->body.find("delete-token"), std::string::npos) << "another result's token is not shown";

  auto formPage = Client().Get(deletePage.c_str());
  ASSERT_TRUE(formPage && formPage->status == 200);
  EXPECT_NE(formPage->body.find("value=\"" + newToken + "\""), std::string::npos);
  const std::string action = deletePage.substr(0, deletePage.find('?'));
  auto wrong = Client().Post(action.c_str(), "token=" + token, "application/x-www-form-urlencoded");
  ASSERT_TRUE(wrong);
  EXPECT_EQ(wrong->status, 403);
  EXPECT_EQ(Marked(), 1);
  auto right = Client().Post(action.c_str(), "token=" + newToken, "application/x-www-form-urlencoded");
  ASSERT_TRUE(right);
  EXPECT_EQ(right->status, 200) << right->body;
  EXPECT_NE(right->body.find("is no longer on the board"), std::string::npos);
  EXPECT_EQ(Marked(), 0);
}

TEST_P(Board, ResultsSurviveARestart) {
  auto res = Upload(File());
  ASSERT_TRUE(res && res->status == 201);
  const int64_t id = json::parse(res->body)["id"];
  Stop();
  Start(0);
  auto one = Client().Get(("/api/results/" + std::to_string(id)).c_str());
  ASSERT_TRUE(one);
  EXPECT_EQ(one->status, 200);
  EXPECT_EQ(json::parse(one->body)["driveModel"], Model());
  auto again = Upload(File());
  ASSERT_TRUE(again);
  EXPECT_EQ(again->status, 200) << "still known after the restart";
}

TEST_P(Board, ConcurrentUploadsLoseNone) {
  constexpr int CLIENTS = 8, EACH = 12;
  std::vector<std::string> files;
  for (int n = 0; n < CLIENTS * EACH; ++n) files.push_back(File(n));
  std::atomic<int> added{0};
  std::mutex idsMutex;
  std::set<int64_t> ids;
  std::vector<std::thread> clients;
  for (int c = 0; c < CLIENTS; ++c) {
    clients.emplace_back([&, c] {
      httplib::Client client = Client();
      client.set_keep_alive(true);
      for (int k = 0; k < EACH; ++k) {
        auto res = client.Post("/api/results", files[c * EACH + k], "application/octet-stream");
        if (!res || res->status != 201) continue;
        ++added;
        std::lock_guard<std::mutex> lock(idsMutex);
        ids.insert(json::parse(res->body)["id"].get<int64_t>());
      }
    });
  }
  for (auto& t : clients) t.join();
  EXPECT_EQ(added.load(), CLIENTS * EACH);
  EXPECT_EQ(ids.size(), size_t{CLIENTS * EACH});
  EXPECT_EQ(Marked(), CLIENTS * EACH);
}

TEST_P(Board, UploadsPerAddressAreCapped) {
  Stop();
  Start(3);
  for (int n = 0; n < 3; ++n) {
    auto res = Upload(n == 2 ? std::string("junk") : File(n));
    ASSERT_TRUE(res);
    EXPECT_NE(res->status, 429) << "upload " << n + 1 << " of 3";
  }
  auto capped = Upload(File(3));
  ASSERT_TRUE(capped);
  EXPECT_EQ(capped->status, 429);
  const int retry = std::atoi(capped->get_header_value("Retry-After").c_str());
  EXPECT_GE(retry, 1);
  EXPECT_LE(retry, 60);
  EXPECT_TRUE(json::parse(capped->body, nullptr, false).contains("error"));
  httplib::MultipartFormDataItems form = {{"file", File(4), "x.verify", "application/octet-stream"}};
  auto page = Client().Post("/submit", form);
  ASSERT_TRUE(page);
  EXPECT_EQ(page->status, 429);
  EXPECT_NE(page->body.find("Too many uploads"), std::string::npos);
  auto reading = Client().Get("/");
  ASSERT_TRUE(reading);
  EXPECT_EQ(reading->status, 200) << "reading is never capped";
  EXPECT_EQ(Marked(), 2);
}

// Results side by side: the page shows each with the differing fields
// marked, the twin gives each as /api/results/<id> does, in the order asked.
TEST_P(Board, CompareShowsResultsSideBySide) {
  std::vector<std::string> ids;
  for (int n = 0; n < 4; ++n) {
    auto added = Upload(File(n));
    ASSERT_TRUE(added && added->status == 201);
    ids.push_back(std::to_string(json::parse(added->body)["id"].get<int64_t>()));
  }
  const auto page = [&](const std::string& query) {
    auto res = Client().Get(("/compare?" + query).c_str());
    EXPECT_TRUE(res && res->status == 200) << query << ": " << (res ? res->body.substr(0, 300) : "");
    return res ? res->body : std::string();
  };
  const std::string two = page("ids=" + ids[0] + "," + ids[1]);
  EXPECT_NE(two.find(Model(0)), std::string::npos);
  EXPECT_NE(two.find(Model(1)), std::string::npos);
  EXPECT_EQ(two.find(Model(2)), std::string::npos);
  EXPECT_NE(two.find("<tr class=\"differs\"><th scope=\"row\">Drive model <span class=\"mark\""),
            std::string::npos)
      << "the models differ";
  EXPECT_NE(two.find("<tr><th scope=\"row\">Processor</th>"), std::string::npos) << "the processors do not";
  EXPECT_NE(two.find("Result " + ids[1] + ": " + Model(1)), std::string::npos) << "a bar in the chart";
  EXPECT_NE(two.find("WD Black SN850 - 500 GB"), std::string::npos) << "the reference drives beside them";

  // As a form of checkboxes sends it, with spaces typed around a number.
  const std::string four = page("ids=" + ids[3] + "&ids=" + ids[1] + "&ids=%20" + ids[0] + "%20," + ids[2]);
  size_t at = 0;
  for (size_t k : {3, 1, 0, 2}) {
    const size_t column = four.find("<th scope=\"col\" id=\"result-" + ids[k] + "\">");
    EXPECT_NE(column, std::string::npos) << ids[k];
    EXPECT_GT(column, at) << "the columns in the order asked";
    at = column;
    EXPECT_NE(four.find(Model(static_cast<int>(k))), std::string::npos);
  }

  auto twin = Client().Get(("/api/compare?ids=" + ids[2] + "," + ids[0] + "," + ids[3]).c_str());
  ASSERT_TRUE(twin && twin->status == 200) << (twin ? twin->body : "");
  const json results = json::parse(twin->body)["results"];
  ASSERT_EQ(results.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    const std::string id = ids[std::vector<size_t>{2, 0, 3}[i]];
    auto one = Client().Get(("/api/results/" + id).c_str());
    ASSERT_TRUE(one && one->status == 200);
    EXPECT_EQ(results[i], json::parse(one->body)) << "as /api/results/" << id << " gives it";
  }

  // The listings and the result page pick results for it without script.
  auto board = Client().Get("/");
  ASSERT_TRUE(board && board->status == 200);
  EXPECT_NE(board->body.find("<form class=\"compare-pick\" method=\"get\" action=\"/compare\">"),
            std::string::npos);
  EXPECT_NE(board->body.find("<input type=\"checkbox\" name=\"ids\" value=\"" + ids[2] + "\""),
            std::string::npos);
  auto result = Client().Get(("/results/" + ids[0]).c_str());
  ASSERT_TRUE(result && result->status == 200);
  EXPECT_NE(result->body.find("action=\"/compare\"><input type=\"hidden\" name=\"ids\" value=\"" + ids[0]),
            std::string::npos);
}

TEST_P(Board, CompareRefusesBadIds) {
  std::vector<std::string> ids;
  for (int n = 0; n < 2; ++n) {
    auto added = Upload(File(n));
    ASSERT_TRUE(added && added->status == 201);
    ids.push_back(std::to_string(json::parse(added->body)["id"].get<int64_t>()));
  }
  const std::string a = ids[0], b = ids[1];
  const struct {
    std::string query;
    int status;
    std::string named;  // in the explanation
  } cases[] = {
      {"", 400, "two to four"},
      {"ids=" + a, 400, "two to four"},
      {"ids=" + a + "&ids=", 400, "two to four"},  // the result page's empty text field
      {"ids=" + a + "," + b + ",7,8,9", 400, "two to four"},
      {"ids=" + a + ",x", 400, "whole numbers"},
      {"ids=" + a + ",-3", 400, "whole numbers"},
      {"ids=" + a + ",0", 400, "whole numbers"},
      {"ids=" + a + ",1.5", 400, "whole numbers"},
      {"ids=" + a + ",99999999999999999999", 400, "whole numbers"},
      {"ids=" + a + "&ids=" + a, 400, "Result " + a + " is given twice"},
      {"ids=" + a + ",999999999", 404, "999999999"},
      {"ids=" + a + "," + b, 200, ""},
  };
  for (const auto& c : cases) {
    auto res = Client().Get(("/compare?" + c.query).c_str());
    ASSERT_TRUE(res) << c.query;
    EXPECT_EQ(res->status, c.status) << c.query << ": " << res->body.substr(0, 300);
    EXPECT_NE(res->get_header_value("Content-Type").find("text/html"), std::string::npos) << c.query;
    EXPECT_NE(res->body.find(c.named), std::string::npos) << c.query;
    auto twin = Client().Get(("/api/compare?" + c.query).c_str());
    ASSERT_TRUE(twin) << c.query;
    EXPECT_EQ(twin->status, c.status) << "/api " << c.query;
    const json body = json::parse(twin->body, nullptr, false);
    if (c.status != 200) {
      EXPECT_NE(body.value("error", std::string()).find(c.named), std::string::npos) << twin->body;
    }
  }
}

// The ids a page's results table shows, in order, and those it marks as
// outliers.
std::vector<int64_t> RowIds(const std::string& html, bool outliersOnly = false) {
  std::vector<int64_t> ids;
  const std::string marker = "<tr id=\"result-";
  for (size_t at = html.find(marker); at != std::string::npos;) {
    const size_t next = html.find(marker, at + 1);
    const std::string row = html.substr(at, next == std::string::npos ? std::string::npos : next - at);
    if (!outliersOnly || row.substr(0, row.find("</tr>")).find("badge outlier") != std::string::npos)
      ids.push_back(std::stoll(row.substr(marker.size())));
    at = next;
  }
  return ids;
}

std::vector<int64_t> JsonIds(const json& results, bool outliersOnly = false) {
  std::vector<int64_t> ids;
  for (const json& r : results)
    if (!outliersOnly || r.at("outlier").get<bool>()) ids.push_back(r.at("id").get<int64_t>());
  return ids;
}

// The fastest average a report may give, and the usual results of the
// spread model twenty times slower.
constexpr int64_t FAST_MS = SHORTEST_CYCLE_MS;

class BoardOutliers : public Board {
 protected:
  std::string SpreadModel() const { return "Drive " + mark_ + " spread"; }
  std::string DrivePath() const { return "/drives/" + PercentEncode(SpreadModel()); }

  // A result of the spread model at averageMs: its id and delete token.
  std::pair<int64_t, std::string> UploadAt(int64_t averageMs) {
    SampleReport fields;
    fields.driveModel = FromUtf8(SpreadModel());
    fields.averageMs = averageMs;
    auto res = Upload(SampleValidationFile(fields));
    EXPECT_TRUE(res && res->status == 201) << averageMs;
    if (!res || res->status != 201) return {0, ""};
    const json body = json::parse(res->body);
    return {body["id"].get<int64_t>(), body["deleteToken"].get<std::string>()};
  }

  std::string Body(const std::string& path) {
    auto res = Client().Get(path.c_str());
    EXPECT_TRUE(res && res->status == 200) << path << ": " << (res ? res->body.substr(0, 300) : "no answer");
    return res && res->status == 200 ? res->body : std::string();
  }

  // The ids each listing, page, API answer and export marks as outliers;
  // ids are the results to ask about one by one.
  std::map<std::string, std::set<int64_t>> MarkedEverywhere(const std::vector<int64_t>& ids) {
    std::map<std::string, std::set<int64_t>> marked;
    const auto add = [&](const std::string& source, const std::vector<int64_t>& found) {
      marked[source].insert(found.begin(), found.end());
    };
    add("/", RowIds(Body("/"), true));
    add("/?q=", RowIds(Body("/?q=" + mark_), true));
    add(DrivePath(), RowIds(Body(DrivePath()), true));
    add("/api/results", JsonIds(json::parse(Body("/api/results?q=" + mark_))["results"], true));
    add("/api/drives/", JsonIds(json::parse(Body("/api" + DrivePath()))["results"], true));
    for (int64_t id : ids) {
      const std::string path = "/results/" + std::to_string(id);
      if (Body(path).find("id=\"outlier\"") != std::string::npos) marked["/results/"].insert(id);
      if (json::parse(Body("/api" + path))["outlier"].get<bool>()) marked["/api/results/"].insert(id);
    }
    marked["/results/"];
    marked["/api/results/"];
    // Rows end in CR LF (a field may hold a lone LF); the mark is last, unquoted.
    const std::string csv = Body("/results.csv");
    const size_t headerEnd = csv.find("\r\n");
    EXPECT_NE(headerEnd, std::string::npos);
    if (headerEnd == std::string::npos) return marked;
    EXPECT_TRUE(csv.compare(0, 3, "id,") == 0 && csv.compare(headerEnd - 8, 8, ",outlier") == 0)
        << "outlier is the last column: " << csv.substr(0, headerEnd);
    marked["csv"];
    for (size_t at = headerEnd + 2, end; (end = csv.find("\r\n", at)) != std::string::npos; at = end + 2) {
      const std::string row = csv.substr(at, end - at);
      const bool outlier = row.size() > 5 && row.compare(row.size() - 5, 5, ",true") == 0;
      EXPECT_TRUE(outlier || (row.size() > 6 && row.compare(row.size() - 6, 6, ",false") == 0)) << row;
      if (outlier) marked["csv"].insert(std::stoll(row.substr(1)));
    }
    marked["jsonl"];
    const std::string lines = Body("/results.jsonl");
    for (size_t at = 0, end; (end = lines.find('\n', at)) != std::string::npos; at = end + 1) {
      const json line = json::parse(lines.substr(at, end - at));
      if (line.at("outlier").get<bool>()) marked["jsonl"].insert(line["id"].get<int64_t>());
    }
    return marked;
  }
};

// Seven results of one model and one of them twenty times faster: nothing
// is marked until the eighth arrives; then that one is, on every page, in
// the API and in the exports; deleted, it leaves no mark behind.
TEST_P(BoardOutliers, FarFasterResultIsMarkedFromTheEighthOn) {
  const auto fast = UploadAt(FAST_MS);
  std::vector<int64_t> ids = {fast.first};
  for (int64_t step = 0; step < 6; ++step) ids.push_back(UploadAt(20 * FAST_MS + 10 * step).first);
  for (const auto& [source, marked] : MarkedEverywhere(ids))
    EXPECT_TRUE(marked.empty()) << source << " marks an outlier among 7 results";
  EXPECT_TRUE(json::parse(Body("/api" + DrivePath()))["outlierFences"].is_null());

  ids.push_back(UploadAt(20 * FAST_MS + 60).first);
  for (const auto& [source, marked] : MarkedEverywhere(ids))
    EXPECT_EQ(marked, std::set<int64_t>{fast.first}) << source;
  const json drive = json::parse(Body("/api" + DrivePath()));
  EXPECT_EQ(drive["count"], 8);
  EXPECT_GT(drive["bestSpeed"].get<double>(), drive["outlierFences"]["highSpeed"].get<double>());
  const std::string page = Body(DrivePath());
  EXPECT_NE(page.find("id=\"drive-strip\""), std::string::npos);
  size_t dots = 0;
  for (size_t at = page.find("<circle class=\"dot"); at != std::string::npos;
       at = page.find("<circle class=\"dot", at + 1))
    ++dots;
  EXPECT_EQ(dots, 8u) << "every result of a small model on the strip";
  EXPECT_NE(page.find("<circle class=\"dot outlier\""), std::string::npos);
  EXPECT_NE(page.find("class=\"fence\""), std::string::npos);

  auto deleted = Client().Delete(("/api/results/" + std::to_string(fast.first)).c_str(),
                                 {{"Authorization", "Bearer " + fast.second}});
  ASSERT_TRUE(deleted && deleted->status == 204);
  ids.erase(ids.begin());
  for (const auto& [source, marked] : MarkedEverywhere(ids)) EXPECT_TRUE(marked.empty()) << source;
}

// Each page and its JSON twin show the same results, counts and marks.
TEST_P(BoardOutliers, PagesAndTheirTwinsAgree) {
  std::vector<int64_t> ids;
  for (int i = 0; i < 55; ++i) ids.push_back(UploadAt(i == 0 ? FAST_MS : 20 * FAST_MS + 3 * i).first);
  auto other = Upload(File(1));
  ASSERT_TRUE(other && other->status == 201);

  const json list = json::parse(Body("/api/results?limit=50"));
  EXPECT_EQ(RowIds(Body("/")), JsonIds(list["results"]));
  EXPECT_EQ(RowIds(Body("/"), true), JsonIds(list["results"], true));
  EXPECT_EQ(list["total"], 56);
  EXPECT_NE(Body("/").find("56 results"), std::string::npos);
  const json second = json::parse(Body("/api/results?offset=50&limit=50"));
  EXPECT_EQ(RowIds(Body("/?page=2")), JsonIds(second["results"]));

  const json drive = json::parse(Body("/api" + DrivePath()));
  EXPECT_EQ(drive["count"], 55);
  EXPECT_EQ(drive["total"], 55);
  EXPECT_EQ(RowIds(Body(DrivePath())), JsonIds(drive["results"]));
  EXPECT_EQ(JsonIds(drive["results"], true), std::vector<int64_t>{ids.front()});
  ASSERT_TRUE(drive.contains("next"));
  const std::string next = drive["next"];
  const json after = json::parse(Body(next));
  const std::string html = Body(next.substr(4));
  EXPECT_EQ(JsonIds(after["results"]).size(), 5u) << next;
  EXPECT_EQ(RowIds(html), JsonIds(after["results"])) << next;
  EXPECT_FALSE(after.contains("next"));
  EXPECT_EQ(RowIds(Body(DrivePath() + "?page=2")), JsonIds(after["results"]));

  for (int64_t id : {ids.front(), ids.back()}) {
    const std::string path = "/results/" + std::to_string(id);
    const json one = json::parse(Body("/api" + path));
    const std::string page = Body(path);
    EXPECT_EQ(one["id"], id);
    EXPECT_NE(page.find("Faster than " + std::to_string(one["fasterThanPercent"].get<int>()) + " %"),
              std::string::npos)
        << path;
    EXPECT_EQ(page.find("id=\"outlier\"") != std::string::npos, one["outlier"].get<bool>()) << path;
  }

  const json drives = json::parse(Body("/api/drives"))["drives"];
  const std::string drivesPage = Body("/drives");
  size_t at = 0;
  for (const json& d : drives) {
    const size_t found =
        drivesPage.find("href=\"/drives/" + PercentEncode(d["model"].get<std::string>()) + "\"", at);
    ASSERT_NE(found, std::string::npos) << d["model"] << " in the order of /api/drives";
    const size_t count =
        drivesPage.find("<td class=\"num\">" + std::to_string(d["count"].get<int64_t>()) + "</td>", found);
    EXPECT_LT(count, drivesPage.find("</tr>", found)) << d["model"];
    at = found;
  }
  EXPECT_EQ(drives.size(), 2u);

  auto badPage = Client().Get(("/api" + DrivePath() + "?page=0").c_str());
  ASSERT_TRUE(badPage);
  EXPECT_EQ(badPage->status, 400);
  auto badAfter = Client().Get(("/api" + DrivePath() + "?page=2&after=x").c_str());
  ASSERT_TRUE(badAfter);
  EXPECT_EQ(badAfter->status, 400);
  auto missing = Client().Get(("/api/drives/" + mark_ + "-none").c_str());
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->status, 404);
  EXPECT_TRUE(json::parse(missing->body, nullptr, false).contains("error"));
}

INSTANTIATE_TEST_SUITE_P(Stores, BoardOutliers, ::testing::Values("sqlite", "postgres"),
                         [](const auto& info) { return info.param; });

INSTANTIATE_TEST_SUITE_P(Stores, Board, ::testing::Values("sqlite", "postgres"),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace qm
