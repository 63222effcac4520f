// Backups: a board copied to a SQLite file, loaded into PostgreSQL, copied
// from there and loaded into SQLite again answers every API request and
// export as the first board did, byte for byte, and keeps the senders'
// delete tokens.
#include <gtest/gtest.h>
#include <httplib.h>

#include <filesystem>
#include <fstream>

#include "results/http/board_server.h"
#include "results/result_store.h"
#include "results/results_backup.h"
#include "tests/support/test_database.h"

namespace qm {
namespace {

ResultRecord Record(int n) {
  const char* const models[] = {"Samsung SSD 980 PRO 1TB", "WDC WD10EZEX-08WN4A0", "KINGSTON SA400S37240G",
                                "<b>\"odd\" & \xc3\xa9\xe2\x84\xa2 \x01 model</b>"};
  ResultRecord record;
  record.reportSha256 = "backup-" + std::to_string(n);
  record.edition = n % 2 ? "Windows" : "Linux";
  record.processor = n % 3 ? "AMD Ryzen 7 5800X" : "Intel(R) Core(TM) i5-8250U";
  record.board = "Board " + std::to_string(n % 5);
  record.graphics = "GPU";
  record.totalMemory = "16.000 GiB";
  record.osName = "OS";
  record.osBuild = std::to_string(n);
  record.driveUnderTest = "C:\\";
  record.driveCapacity = "931.513";
  record.driveModel = models[n % 4];
  record.averageMs = 300 + (n * 37) % 900;
  record.speedText = "1.234";
  record.report = "report " + std::to_string(n) + std::string("\0\r\n\xff", 4);
  for (int byte = 0; byte < 256; ++byte) record.validationFile += static_cast<char>((byte + n) % 256);
  // Some senders kept a delete token; it must come through every move.
  if (n % 3 == 0) record.deleteTokenSha256 = std::string(64, "0123456789abcdef"[n % 16]);
  return record;
}

// The delete token hash the store keeps for each record's id.
std::vector<std::string> DeleteTokens(ResultStore* store, const std::vector<ResultRecord>& records) {
  std::vector<std::string> tokens;
  for (const ResultRecord& record : records) {
    std::string sha256;
    EXPECT_EQ(GetDeleteTokenSha256(store, record.id, &sha256), StoreStatus::Ok) << record.id;
    tokens.push_back(sha256);
  }
  return tokens;
}

ResultStore* Open(const std::string& url) {
  std::string error;
  ResultStore* store = OpenResultStore(url, &error);
  EXPECT_NE(store, nullptr) << url << ": " << error;
  return store;
}

// Each path's status and body, as the board serving store answers them.
std::vector<std::string> Answers(ResultStore* store, const std::vector<std::string>& paths) {
  std::string error;
  BoardSettings settings;
  settings.logRequests = false;
  BoardServer* server = StartBoardServer(store, "127.0.0.1", 0, settings, &error);
  EXPECT_NE(server, nullptr) << error;
  std::vector<std::string> answers;
  if (server == nullptr) return answers;
  httplib::Client client("127.0.0.1", BoardServerPort(server));
  client.set_read_timeout(60);
  for (const std::string& path : paths) {
    auto res = client.Get(path.c_str());
    answers.push_back(path + " " + (res ? std::to_string(res->status) + "\n" + res->body : "no answer"));
  }
  StopBoardServer(server);
  return answers;
}

TEST(Backup, RestoresToTheSameAnswersOnBothDatabases) {
  TestDatabase first("sqlite"), postgres("postgres"), last("sqlite");
  QM_NEED_DATABASE(postgres);
  ScratchFolder files;
  const std::string fromSqlite = (files.Path() / "from-sqlite.db").string();
  const std::string fromPostgres = (files.Path() / "from-postgres.db").string();

  ResultStore* original = Open(first.url);
  ASSERT_NE(original, nullptr);
  std::vector<ResultRecord> records;
  for (int n = 0; n < 260; ++n) records.push_back(Record(n));
  std::vector<StoreStatus> statuses;
  ASSERT_EQ(AddResults(original, &records, &statuses), StoreStatus::Ok) << StoreError(original);
  const std::vector<std::string> paths = {"/api/results",
                                          "/api/results?offset=50&limit=120",
                                          "/api/results?q=samsung",
                                          "/api/results?q=%C3%A9%E2%84%A2",
                                          "/api/results/" + std::to_string(records[7].id),
                                          "/api/results/" + std::to_string(records[200].id),
                                          "/results/" + std::to_string(records[9].id) + ".verify",
                                          "/api/drives",
                                          "/results.csv",
                                          "/results.jsonl"};
  const std::vector<std::string> expected = Answers(original, paths);
  const std::vector<std::string> tokens = DeleteTokens(original, records);
  ASSERT_EQ(tokens[3], std::string(64, '3'));

  int64_t count = 0;
  std::string error;
  ASSERT_TRUE(BackupResults(original, fromSqlite, &count, &error)) << error;
  EXPECT_EQ(count, 260);
  EXPECT_FALSE(BackupResults(original, fromSqlite, &count, &error)) << "an existing file is not overwritten";
  EXPECT_NE(error.find("exists already"), std::string::npos) << error;
  CloseResultStore(original);

  ResultStore* restored = Open(postgres.url);
  ASSERT_NE(restored, nullptr);
  ASSERT_TRUE(ImportBackup(restored, fromSqlite, &count, &error)) << error;
  EXPECT_EQ(count, 260);
  EXPECT_EQ(Answers(restored, paths), expected) << "PostgreSQL from the SQLite copy";
  EXPECT_EQ(DeleteTokens(restored, records), tokens) << "PostgreSQL from the SQLite copy";
  EXPECT_FALSE(ImportBackup(restored, fromSqlite, &count, &error)) << "only into an empty database";
  EXPECT_NE(error.find("holds 260 results already"), std::string::npos) << error;
  ASSERT_TRUE(BackupResults(restored, fromPostgres, &count, &error)) << error;
  EXPECT_EQ(count, 260);

  ResultRecord later = Record(1000);  // takes an id after the restored ones
  ASSERT_EQ(AddResult(restored, &later), StoreStatus::Ok) << StoreError(restored);
  EXPECT_GT(later.id, records.back().id);
  CloseResultStore(restored);

  ResultStore* again = Open(last.url);
  ASSERT_NE(again, nullptr);
  ASSERT_TRUE(ImportBackup(again, fromPostgres, &count, &error)) << error;
  EXPECT_EQ(Answers(again, paths), expected) << "SQLite from the PostgreSQL copy";
  EXPECT_EQ(DeleteTokens(again, records), tokens) << "SQLite from the PostgreSQL copy";
  CloseResultStore(again);
}

}  // namespace
}  // namespace qm
