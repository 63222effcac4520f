// The storage seam, the same tests on both backends.
#include <gtest/gtest.h>

#include <libpq-fe.h>
#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <map>
#include <thread>
#include <vector>

#include "results/page_starts.h"
#include "results/pages/result_page.h"
#include "results/postgres/postgres_schema.h"
#include "results/result_store.h"
#include "results/speed_bins.h"
#include "results/sqlite/sqlite_schema.h"
#include "tests/support/test_database.h"

namespace qm {
namespace {

ResultRecord Record(const std::string& hash, int64_t averageMs, const std::string& model = "Model A",
                    const std::string& processor = "CPU A") {
  ResultRecord record;
  record.reportSha256 = hash;
  record.edition = "Windows";
  record.processor = processor;
  record.board = "Board";
  record.graphics = "GPU";
  record.totalMemory = "16.000 GiB";
  record.osName = "OS";
  record.osBuild = "1";
  record.driveUnderTest = "C:\\";
  record.driveCapacity = "465.762";
  record.driveModel = model;
  record.averageMs = averageMs;
  record.speedText = "1.000";
  record.report = "report " + hash;
  record.validationFile = "file " + hash;
  return record;
}

class Store : public testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    QM_NEED_DATABASE(db);
    store = Open();
    ASSERT_NE(store, nullptr);
  }
  void TearDown() override { CloseResultStore(store); }

  ResultStore* Open() {
    std::string error;
    ResultStore* opened = OpenResultStore(db.url, &error);
    EXPECT_NE(opened, nullptr) << error;
    return opened;
  }

  int64_t Add(ResultRecord record) {
    EXPECT_EQ(AddResult(store, &record), StoreStatus::Ok) << StoreError(store);
    return record.id;
  }

  ResultPage List(const std::string& text = "", const std::string& model = "", int64_t offset = 0,
                  int64_t limit = 50) {
    ResultPage page;
    ResultQuery query;
    query.text = text;
    query.driveModel = model;
    query.offset = offset;
    query.limit = limit;
    EXPECT_EQ(ListResults(store, query, &page), StoreStatus::Ok) << StoreError(store);
    return page;
  }

  std::vector<int64_t> Ids(const ResultPage& page) {
    std::vector<int64_t> ids;
    for (const ResultRecord& record : page.results) ids.push_back(record.id);
    return ids;
  }

  TestDatabase db{GetParam()};
  ResultStore* store = nullptr;
};

TEST_P(Store, EveryFieldComesBackByteForByte) {
  ResultRecord sent = Record(std::string(64, 'a'), 1234);
  // Whatever a sender puts into a report: markup, quotes, control
  // characters, line breaks, non-ASCII; the files may hold any byte.
  const std::string hostile =
      "<script>alert('x')</script> \"q\" & \x01\x07\t\r\n\x1b[2J \xc3\xa9\xe2\x84\xa2 %_\\";
  for (std::string* text :
       {&sent.edition, &sent.processor, &sent.board, &sent.graphics, &sent.totalMemory, &sent.osName,
        &sent.osBuild, &sent.driveUnderTest, &sent.driveCapacity, &sent.driveModel, &sent.speedText})
    *text += hostile;
  for (int byte = 0; byte < 256; ++byte) sent.validationFile += static_cast<char>(byte);
  sent.report += std::string("\0\r\n\xff", 4);
  ResultRecord stored = sent;
  ASSERT_EQ(AddResult(store, &stored), StoreStatus::Ok) << StoreError(store);
  EXPECT_GT(stored.id, 0);
  ASSERT_EQ(stored.submittedUtc.size(), 20u) << stored.submittedUtc;
  EXPECT_EQ(stored.submittedUtc[10], 'T');
  EXPECT_EQ(stored.submittedUtc.back(), 'Z');

  ResultRecord got;
  ASSERT_EQ(GetResult(store, stored.id, &got), StoreStatus::Ok) << StoreError(store);
  EXPECT_EQ(got.id, stored.id);
  EXPECT_EQ(got.reportSha256, sent.reportSha256);
  EXPECT_EQ(got.edition, sent.edition);
  EXPECT_EQ(got.processor, sent.processor);
  EXPECT_EQ(got.board, sent.board);
  EXPECT_EQ(got.graphics, sent.graphics);
  EXPECT_EQ(got.totalMemory, sent.totalMemory);
  EXPECT_EQ(got.osName, sent.osName);
  EXPECT_EQ(got.osBuild, sent.osBuild);
  EXPECT_EQ(got.driveUnderTest, sent.driveUnderTest);
  EXPECT_EQ(got.driveCapacity, sent.driveCapacity);
  EXPECT_EQ(got.driveModel, sent.driveModel);
  EXPECT_EQ(got.averageMs, sent.averageMs);
  EXPECT_EQ(got.speedText, sent.speedText);
  EXPECT_EQ(got.submittedUtc, stored.submittedUtc);
  EXPECT_EQ(got.report, sent.report);
  EXPECT_EQ(got.validationFile, sent.validationFile);

  ResultPage page = List();
  ASSERT_EQ(page.results.size(), 1u);
  EXPECT_EQ(page.results[0].processor, sent.processor);
  EXPECT_EQ(page.results[0].report, "");  // listings leave the bytes out

  EXPECT_EQ(GetResult(store, stored.id + 1, &got), StoreStatus::NotFound);
  EXPECT_EQ(GetResult(store, -1, &got), StoreStatus::NotFound);
}

TEST_P(Store, TheSameReportIsOneResult) {
  const int64_t first = Add(Record("h1", 1000));
  ResultRecord again = Record("h1", 999, "Other model");
  EXPECT_EQ(AddResult(store, &again), StoreStatus::Duplicate);
  EXPECT_EQ(again.id, first);
  ResultPage page = List();
  EXPECT_EQ(page.total, 1);
  EXPECT_EQ(page.results.at(0).driveModel, "Model A");  // nothing of the second was written
}

TEST_P(Store, SeveralInOneTransactionAllOrNone) {
  const int64_t earlier = Add(Record("earlier", 700));
  std::vector<ResultRecord> batch = {Record("b1", 900), Record("b2", 800), Record("b1", 901),
                                     Record("earlier", 1)};
  std::vector<StoreStatus> statuses;
  ASSERT_EQ(AddResults(store, &batch, &statuses), StoreStatus::Ok) << StoreError(store);
  EXPECT_EQ(statuses, (std::vector<StoreStatus>{StoreStatus::Ok, StoreStatus::Ok, StoreStatus::Duplicate,
                                                StoreStatus::Duplicate}));
  EXPECT_EQ(batch[2].id, batch[0].id);
  EXPECT_EQ(batch[3].id, earlier);
  EXPECT_EQ(List().total, 3);

  // One that the database refuses (an average of 0) takes the rest with it.
  std::vector<ResultRecord> refused = {Record("c1", 900), Record("c2", 0), Record("c4", 900)};
  EXPECT_EQ(AddResults(store, &refused, &statuses), StoreStatus::Failed);
  EXPECT_EQ(statuses, std::vector<StoreStatus>(3, StoreStatus::Failed));
  EXPECT_NE(StoreError(store), "");
  EXPECT_EQ(List().total, 3);
  ResultRecord single = Record("c3", 0);
  EXPECT_EQ(AddResult(store, &single), StoreStatus::Failed);
  EXPECT_EQ(List().total, 3);
}

TEST_P(Store, ListsFastestFirstWithSearchAndPages) {
  const int64_t slow = Add(Record("h1", 3000, "Samsung SSD 980", "AMD Ryzen"));
  const int64_t fast = Add(Record("h2", 500, "WDC WD10EZEX", "Intel Core i7"));
  const int64_t tieA = Add(Record("h3", 1000, "Samsung SSD 980", "Intel Core i5"));
  const int64_t tieB = Add(Record("h4", 1000, "100%_sure", "AMD Ryzen"));
  EXPECT_EQ(Ids(List()), (std::vector<int64_t>{fast, tieA, tieB, slow}));
  EXPECT_EQ(List().total, 4);

  ResultPage second = List("", "", 1, 2);
  EXPECT_EQ(second.total, 4);
  EXPECT_EQ(Ids(second), (std::vector<int64_t>{tieA, tieB}));
  EXPECT_TRUE(List("", "", 10, 50).results.empty());

  EXPECT_EQ(Ids(List("samsung")), (std::vector<int64_t>{tieA, slow}));  // case folded, model
  EXPECT_EQ(Ids(List("INTEL")), (std::vector<int64_t>{fast, tieA}));    // processor
  EXPECT_EQ(List("intel").total, 2);
  EXPECT_EQ(Ids(List("%_")), (std::vector<int64_t>{tieB}));  // no wildcards: the text itself
  EXPECT_EQ(List("%").total, 1);
  EXPECT_EQ(List("'; DROP TABLE results; --").total, 0);
  EXPECT_EQ(Ids(List("", "Samsung SSD 980")), (std::vector<int64_t>{tieA, slow}));
  EXPECT_EQ(Ids(List("ryzen", "Samsung SSD 980")), (std::vector<int64_t>{slow}));
  EXPECT_EQ(List("", "samsung ssd 980").total, 0);  // the model is matched exactly
  EXPECT_EQ(List().total, 4);
}

// Statements run straight on the database, as another program (or an
// operator) would: the kept indexes must follow.
void RunSql(const std::string& kind, const std::string& url, const std::string& sql) {
  if (kind == "sqlite") {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(url.substr(7).c_str(), &db), SQLITE_OK);
    char* message = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message), SQLITE_OK) << message;
    sqlite3_free(message);
    sqlite3_close(db);
    return;
  }
  PGconn* connection = PQconnectdb(url.c_str());
  PGresult* result = PQexec(connection, sql.c_str());
  EXPECT_EQ(PQresultStatus(result), PGRES_COMMAND_OK) << PQerrorMessage(connection);
  PQclear(result);
  PQfinish(connection);
}

// Enough results that a common text matches more than the capped count
// (the speed order is walked) and a rare one fewer (its index is read and
// sorted); every page must be what reading every result would give.
TEST_P(Store, SearchesMatchWhatReadingEveryResultWouldFind) {
  const char* const models[] = {"Samsung SSD 980", "WDC WD10EZEX", "100%_sure \"q\"",
                                "Crucial \xc3\xa9\xe2\x84\xa2"};
  std::vector<ResultRecord> records;
  for (int i = 0; i < SEARCH_TOTAL_CAP + 300; ++i) {
    const bool common = i % 10 != 0;
    records.push_back(Record("s" + std::to_string(i), 100 + (i * 7919) % 5000,
                             common ? "Samsung SSD 970" : models[(i / 10) % 4],
                             i % 3 ? "AMD Ryzen" : "Intel i5"));
  }
  std::vector<StoreStatus> statuses;
  ASSERT_EQ(AddResults(store, &records, &statuses), StoreStatus::Ok) << StoreError(store);
  // The reference: ranked fastest first, then matched as a folded substring.
  std::sort(records.begin(), records.end(), [](const ResultRecord& a, const ResultRecord& b) {
    return a.averageMs != b.averageMs ? a.averageMs < b.averageMs : a.id < b.id;
  });
  const auto lower = [](std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
  };
  for (const std::string text :
       {"samsung", "SSD 98", "%_s", "\"q\"", "\xc3\xa9\xe2\x84\xa2", "intel", "zzz", "970\nintel", "ryzen"}) {
    SCOPED_TRACE(text);
    std::vector<int64_t> expected;
    std::vector<const ResultRecord*> matched;
    for (const ResultRecord& r : records)
      if ((lower(r.driveModel) + "\n" + lower(r.processor)).find(lower(text)) != std::string::npos) {
        expected.push_back(r.id);
        matched.push_back(&r);
      }
    const int64_t matches = static_cast<int64_t>(expected.size());
    for (int64_t offset : {int64_t{0}, int64_t{50}, int64_t{777}}) {
      ResultPage page = List(text, "", offset, 50);
      EXPECT_EQ(page.total, std::min(matches, SEARCH_TOTAL_CAP));
      EXPECT_EQ(page.totalCapped, matches > SEARCH_TOTAL_CAP);
      std::vector<int64_t> want;
      for (int64_t i = offset; i < std::min(matches, offset + 50); ++i) want.push_back(expected[i]);
      EXPECT_EQ(Ids(page), want) << "offset " << offset;
      // The same page entered after the result before it (for the texts the
      // index serves, the only ones the board searches for).
      if (offset == 0 || offset > matches || !IndexServesSearch(text)) continue;
      ResultQuery after;
      after.text = text;
      after.limit = 50;
      after.after = true;
      after.afterAverageMs = matched[offset - 1]->averageMs;
      after.afterId = matched[offset - 1]->id;
      ResultPage followed;
      ASSERT_EQ(ListResults(store, after, &followed), StoreStatus::Ok) << StoreError(store);
      EXPECT_EQ(Ids(followed), want) << "after the result at " << offset - 1;
      EXPECT_EQ(followed.total, page.total);
      EXPECT_EQ(followed.totalCapped, page.totalCapped);
    }
  }
}

TEST_P(Store, ADeletedResultLeavesTheSearch) {
  const int64_t gone = Add(Record("d1", 1000, "Gone Drive"));
  Add(Record("d2", 1100, "Gone Drive Too"));
  ASSERT_EQ(List("gone drive").total, 2);
  RunSql(GetParam(), db.url, "DELETE FROM results WHERE id = " + std::to_string(gone));
  ResultPage left = List("gone drive");
  EXPECT_EQ(left.total, 1);
  ASSERT_EQ(left.results.size(), 1u);
  EXPECT_EQ(left.results[0].driveModel, "Gone Drive Too");
}

// A text over the cap is not counted again on its next pages; a delete
// brings the exact count back at once.
TEST_P(Store, ASearchOverTheCapKeepsSayingSoUntilADelete) {
  std::vector<ResultRecord> many;
  for (int64_t n = 0; n <= SEARCH_TOTAL_CAP; ++n)
    many.push_back(Record("cap" + std::to_string(n), 1000 + n, "Capped Drive"));
  std::vector<StoreStatus> statuses;
  ASSERT_EQ(AddResults(store, &many, &statuses), StoreStatus::Ok) << StoreError(store);
  std::vector<int64_t> expected;  // the page after the 100 fastest
  for (size_t n = 100; n < 150; ++n) expected.push_back(many[n].id);
  for (int round = 0; round < 2; ++round) {
    const ResultPage page = List("capped", "", 100);
    EXPECT_TRUE(page.totalCapped) << "round " << round;
    EXPECT_EQ(page.total, SEARCH_TOTAL_CAP);
    EXPECT_EQ(Ids(page), expected);
  }
  ASSERT_EQ(DeleteResult(store, many[0].id), StoreStatus::Ok);
  const ResultPage exact = List("capped");
  EXPECT_FALSE(exact.totalCapped);
  EXPECT_EQ(exact.total, SEARCH_TOTAL_CAP);
}

// A deep page found once is entered at its start afterwards; a result
// that arrives or leaves moves it, as offsets would.
TEST_P(Store, ADeepPageIsTheSameWhetherFoundOrEnteredAtItsKeptStart) {
  std::vector<ResultRecord> many;
  for (int64_t n = 0; n < DEEP_PAGE_OFFSET + 60; ++n)
    many.push_back(Record("deep" + std::to_string(n), 2000 + 2 * n, n % 2 ? "Deep A" : "Deep B"));
  std::vector<StoreStatus> statuses;
  ASSERT_EQ(AddResults(store, &many, &statuses), StoreStatus::Ok) << StoreError(store);
  const auto ids = [&many](size_t from, size_t to) {
    std::vector<int64_t> wanted;
    for (size_t n = from; n < to; ++n) wanted.push_back(many[n].id);
    return wanted;
  };
  const int64_t deep = DEEP_PAGE_OFFSET;
  for (int round = 0; round < 2; ++round) EXPECT_EQ(Ids(List("", "", deep)), ids(deep, deep + 50)) << round;

  const int64_t fastest = Add(Record("deep-fastest", 1000, "Deep B"));
  std::vector<int64_t> shifted = {fastest};  // every result one place slower
  const std::vector<int64_t> rest = ids(0, deep + 60);
  shifted.insert(shifted.end(), rest.begin(), rest.end());
  const std::vector<int64_t> wanted(shifted.begin() + deep, shifted.begin() + deep + 50);
  EXPECT_EQ(Ids(List("", "", deep)), wanted) << "after an arrival";
  ASSERT_EQ(DeleteResult(store, fastest), StoreStatus::Ok);
  EXPECT_EQ(Ids(List("", "", deep)), ids(deep, deep + 50)) << "after a delete";
  EXPECT_TRUE(List("", "", deep + 100).results.empty()) << "past the end";
}

// The sender's and the operator's delete: the result leaves the listing,
// its count, the drive figures and the speeds at once, and the same report
// sent again gets an id never given before, even where the deleted one was
// the newest.
TEST_P(Store, ADeletedResultLeavesEveryFigureAndItsIdIsNotGivenAgain) {
  ResultRecord tokened = Record("x1", 1000, "Kept Drive");
  tokened.deleteTokenSha256 = std::string(64, 'a');
  const int64_t kept = Add(tokened);
  const int64_t gone = Add(Record("x2", 500, "Kept Drive"));
  std::vector<DriveSummary> drives;
  ASSERT_EQ(ListDrives(store, &drives), StoreStatus::Ok);
  ASSERT_EQ(drives.size(), 1u);
  EXPECT_EQ(drives[0].count, 2);
  std::string sha256;
  ASSERT_EQ(GetDeleteTokenSha256(store, kept, &sha256), StoreStatus::Ok);
  EXPECT_EQ(sha256, std::string(64, 'a'));
  ASSERT_EQ(GetDeleteTokenSha256(store, gone, &sha256), StoreStatus::Ok);
  EXPECT_EQ(sha256, "");

  ASSERT_EQ(DeleteResult(store, gone), StoreStatus::Ok) << StoreError(store);
  EXPECT_EQ(DeleteResult(store, gone), StoreStatus::NotFound);
  EXPECT_EQ(GetDeleteTokenSha256(store, gone, &sha256), StoreStatus::NotFound);
  ResultRecord record;
  EXPECT_EQ(GetResult(store, gone, &record), StoreStatus::NotFound);
  const ResultPage all = List();
  EXPECT_EQ(all.total, 1);
  EXPECT_EQ(Ids(all), (std::vector<int64_t>{kept}));
  ASSERT_EQ(ListDrives(store, &drives), StoreStatus::Ok);
  ASSERT_EQ(drives.size(), 1u);
  EXPECT_EQ(drives[0].count, 1);
  EXPECT_EQ(drives[0].medianSpeed, drives[0].bestSpeed) << "the median of the one result left";
  std::vector<SpeedCount> speeds;
  ASSERT_EQ(SpeedCounts(store, &speeds), StoreStatus::Ok);
  ASSERT_EQ(speeds.size(), 1u);
  EXPECT_EQ(speeds[0].count, 1);

  const int64_t again = Add(Record("x2", 500, "Kept Drive"));
  EXPECT_GT(again, gone);
  EXPECT_EQ(List().total, 2);
}

// Results that land while an export is being read are not in it, and
// every result that was stored is in it once, in rank order: the export is
// one snapshot, however the new ones rank among the old.
TEST_P(Store, AnExportIsOneSnapshotWhileResultsArrive) {
  std::vector<ResultRecord> before;
  for (int i = 0; i < 3000; ++i) before.push_back(Record("e" + std::to_string(i), 100 + (i * 31) % 4000));
  std::vector<StoreStatus> statuses;
  ASSERT_EQ(AddResults(store, &before, &statuses), StoreStatus::Ok) << StoreError(store);
  std::vector<int64_t> exported;
  std::vector<int64_t> averages;
  bool added = false;
  const StoreStatus status = ExportResults(store, [&](const ResultRecord& record) {
    exported.push_back(record.id);
    averages.push_back(record.averageMs);
    if (exported.size() == 1000) {
      // Fifty uploads, one by one, from another thread while the walk is open.
      std::thread uploads([&] {
        for (int i = 0; i < 50; ++i) Add(Record("late" + std::to_string(i), 90 + i * 80));
      });
      uploads.join();
      added = true;
    }
    return true;
  });
  ASSERT_EQ(status, StoreStatus::Ok) << StoreError(store);
  ASSERT_TRUE(added);
  EXPECT_EQ(List().total, 3050);
  std::vector<int64_t> sortedIds = exported;
  std::sort(sortedIds.begin(), sortedIds.end());
  std::vector<int64_t> storedIds;
  for (const ResultRecord& record : before) storedIds.push_back(record.id);
  std::sort(storedIds.begin(), storedIds.end());
  EXPECT_EQ(sortedIds, storedIds) << "each result stored before the export, once, and no other";
  EXPECT_TRUE(std::is_sorted(averages.begin(), averages.end())) << "fastest first";

  int taken = 0;
  EXPECT_EQ(ExportResults(store, [&](const ResultRecord&) { return ++taken < 10; }), StoreStatus::Ok);
  EXPECT_EQ(taken, 10) << "a reader that goes away stops the walk";
}

// Pages taken one after another from the last result of the page before
// are the pages taken by offset, for all results and for one model, ties
// in the average included; and the kept counts follow a delete.
TEST_P(Store, PagesAfterAResultAndKeptCounts) {
  std::vector<ResultRecord> records;
  for (int i = 0; i < 230; ++i)
    records.push_back(Record("k" + std::to_string(i), 100 + (i * 37) % 40, i % 3 ? "Popular" : "Rare"));
  std::vector<StoreStatus> statuses;
  ASSERT_EQ(AddResults(store, &records, &statuses), StoreStatus::Ok) << StoreError(store);
  for (const std::string model : {"", "Popular", "Rare"}) {
    SCOPED_TRACE("model \"" + model + "\"");
    ResultQuery query;
    query.driveModel = model;
    query.limit = 50;
    for (int64_t offset = 0;; offset += 50) {
      ResultPage byOffset = List("", model, offset, 50), byAfter;
      ASSERT_EQ(ListResults(store, query, &byAfter), StoreStatus::Ok) << StoreError(store);
      EXPECT_EQ(Ids(byAfter), Ids(byOffset)) << "offset " << offset;
      EXPECT_EQ(byAfter.total, byOffset.total);
      if (byOffset.results.empty()) break;
      query.after = true;
      query.afterAverageMs = byOffset.results.back().averageMs;
      query.afterId = byOffset.results.back().id;
    }
  }
  EXPECT_EQ(List("", "Popular").total, 153);
  EXPECT_EQ(List("", "Rare").total, 77);

  RunSql(GetParam(), db.url,
         "DELETE FROM results WHERE drive_model = 'Rare' OR id = " + std::to_string(records[1].id));
  EXPECT_EQ(List("", "Popular").total, 152);
  EXPECT_EQ(List("", "Rare").total, 0);
  std::vector<DriveSummary> drives;
  ASSERT_EQ(ListDrives(store, &drives), StoreStatus::Ok) << StoreError(store);
  ASSERT_EQ(drives.size(), 1u);
  EXPECT_EQ(drives[0].count, 152);
  std::vector<SpeedCount> speeds;
  ASSERT_EQ(SpeedCounts(store, &speeds), StoreStatus::Ok) << StoreError(store);
  int64_t counted = 0;
  for (const SpeedCount& s : speeds) counted += s.count;
  EXPECT_EQ(counted, 152);
}

// A result's standing from the kept bins and one bin's averages is what
// reading every stored speed gives: every bin's edges and their
// neighbours, ties, averages so long that neighbours share a speed, and
// after results leave.
TEST_P(Store, KeptBinsGiveWhatReadingEverySpeedGives) {
  std::vector<int64_t> averages = {1,
                                   2,
                                   3,
                                   1500,
                                   1500,
                                   2000,
                                   INT64_MAX,
                                   INT64_MAX - 1,
                                   (int64_t{1} << 54) + 1,
                                   (int64_t{1} << 54) + 2,
                                   (int64_t{1} << 54) + 3};
  // Each edge and its neighbours within 1 .. INT64_MAX - 1, the sums made
  // only where they cannot overflow.
  for (int bin = 0; bin < HISTOGRAM_BINS; ++bin)
    for (int64_t edge : {LowestAverageInBin(bin), HighestAverageInBin(bin)}) {
      if (edge > 1) averages.push_back(edge - 1);
      if (edge > 0 && edge < INT64_MAX) averages.push_back(edge);
      if (edge > -1 && edge < INT64_MAX - 1) averages.push_back(edge + 1);
    }
  for (int i = 0; i < 300; ++i) averages.push_back(100 + (i * 7919) % 60000);
  std::vector<ResultRecord> records;
  for (size_t i = 0; i < averages.size(); ++i)
    records.push_back(Record("b" + std::to_string(i), averages[i]));
  std::vector<StoreStatus> statuses;
  ASSERT_EQ(AddResults(store, &records, &statuses), StoreStatus::Ok) << StoreError(store);

  const auto expectAgreement = [&](const std::string& when) {
    SCOPED_TRACE(when);
    std::vector<SpeedCount> speeds;
    ASSERT_EQ(SpeedCounts(store, &speeds), StoreStatus::Ok) << StoreError(store);
    for (int64_t average : averages) {
      ResultRecord one;
      one.averageMs = average;
      const SpeedStanding read = StandingAmong(ResultSpeed(one), speeds);
      SpeedStanding kept;
      ASSERT_EQ(GetSpeedStanding(store, average, &kept), StoreStatus::Ok) << StoreError(store);
      ASSERT_EQ(kept.binCounts, read.binCounts) << average << " ms";
      ASSERT_EQ(kept.total, read.total) << average << " ms";
      ASSERT_EQ(kept.slower, read.slower) << average << " ms";
      ASSERT_EQ(FasterThanPercent(kept), FasterThanPercent(read));
    }
  };
  expectAgreement("as added");
  RunSql(GetParam(), db.url, "DELETE FROM results WHERE id % 3 = 0 OR average_ms > 1000000000");
  expectAgreement("after deletes");
}

// An operator who mends rows in place, changing an average, a drive model
// or both: every kept count still equals a count of the rows as they are.
TEST_P(Store, KeptCountsFollowRowsChangedInPlace) {
  std::vector<ResultRecord> records;
  for (int i = 0; i < 40; ++i)
    records.push_back(
        Record("u" + std::to_string(i), 500 + (i % 7) * 900, i % 2 ? "Odd Drive" : "Even Drive"));
  std::vector<StoreStatus> statuses;
  ASSERT_EQ(AddResults(store, &records, &statuses), StoreStatus::Ok) << StoreError(store);
  RunSql(GetParam(), db.url,
         "UPDATE results SET average_ms = 123456 WHERE id = " + std::to_string(records[0].id) +
             ";"
             "UPDATE results SET drive_model = 'Mended Drive' WHERE id IN (" +
             std::to_string(records[1].id) + ", " + std::to_string(records[3].id) +
             ");"
             "UPDATE results SET drive_model = 'Odd Drive', average_ms = 2 WHERE id = " +
             std::to_string(records[2].id) +
             ";"
             "UPDATE results SET average_ms = average_ms WHERE id = " +
             std::to_string(records[4].id));

  std::map<int64_t, int64_t> byAverage;
  std::map<std::string, int64_t> byModel;
  ASSERT_EQ(ExportResults(store,
                          [&](const ResultRecord& r) {
                            ++byAverage[r.averageMs];
                            ++byModel[r.driveModel];
                            return true;
                          }),
            StoreStatus::Ok);
  EXPECT_EQ(byModel,
            (std::map<std::string, int64_t>{{"Even Drive", 19}, {"Mended Drive", 2}, {"Odd Drive", 19}}));
  std::vector<SpeedCount> speeds, fresh;
  ASSERT_EQ(SpeedCounts(store, &speeds), StoreStatus::Ok) << StoreError(store);
  for (const auto& [average, count] : byAverage) {
    ResultRecord one;
    one.averageMs = average;
    fresh.push_back({ResultSpeed(one), count});
  }
  ASSERT_EQ(speeds.size(), fresh.size());
  for (size_t i = 0; i < speeds.size(); ++i) {
    EXPECT_EQ(speeds[i].speed, fresh[i].speed);
    EXPECT_EQ(speeds[i].count, fresh[i].count);
  }
  std::vector<DriveSummary> drives;
  ASSERT_EQ(ListDrives(store, &drives), StoreStatus::Ok) << StoreError(store);
  std::map<std::string, int64_t> kept;
  for (const DriveSummary& drive : drives) kept[drive.model] = drive.count;
  EXPECT_EQ(kept, byModel);
  for (int64_t average : {int64_t{2}, int64_t{500}, int64_t{123456}}) {
    ResultRecord one;
    one.averageMs = average;
    SpeedStanding standing;
    ASSERT_EQ(GetSpeedStanding(store, average, &standing), StoreStatus::Ok) << StoreError(store);
    const SpeedStanding counted = StandingAmong(ResultSpeed(one), fresh);
    EXPECT_EQ(standing.binCounts, counted.binCounts) << average << " ms";
    EXPECT_EQ(standing.slower, counted.slower) << average << " ms";
  }
}

// Rows mended or added straight on the database are found by what they
// now say, as the board's own writes are.
TEST_P(Store, SearchFollowsRowsChangedOrAddedByHand) {
  const int64_t model = Add(Record("m1", 900, "Old Model", "Some Cpu"));
  const int64_t cpu = Add(Record("m2", 800, "Kept Model", "Old Cpu"));
  RunSql(GetParam(), db.url,
         "UPDATE results SET drive_model = 'MENDED Model \xc3\x84' WHERE id = " + std::to_string(model) +
             ";"
             "UPDATE results SET processor = 'New Cpu' WHERE id = " +
             std::to_string(cpu) +
             ";"
             "CREATE TEMP TABLE copied AS SELECT * FROM results WHERE id = " +
             std::to_string(cpu) +
             ";"
             "UPDATE copied SET id = 9999, report_sha256 = 'copied by hand';"
             "INSERT INTO results SELECT * FROM copied");
  EXPECT_EQ(List("old").total, 0);
  EXPECT_EQ(Ids(List("mended model \xc3\x84")), (std::vector<int64_t>{model}));
  EXPECT_EQ(List("model \xc3\xa4").total, 0);  // folded as the board folds: ASCII only
  EXPECT_EQ(Ids(List("new cpu")), (std::vector<int64_t>{cpu, 9999}));
  EXPECT_EQ(Ids(List("kept model")), (std::vector<int64_t>{cpu, 9999}));
}

TEST_P(Store, DrivesWithCountMedianBestAndWorst) {
  Add(Record("a1", 1000, "A"));
  Add(Record("a2", 2000, "A"));
  Add(Record("a3", 4000, "A"));
  Add(Record("a4", 500, "A"));
  Add(Record("b1", 2000, "B"));
  Add(Record("c1", 1000, "C"));
  Add(Record("c2", 3000, "C"));
  std::vector<DriveSummary> drives;
  ASSERT_EQ(ListDrives(store, &drives), StoreStatus::Ok) << StoreError(store);
  ASSERT_EQ(drives.size(), 3u);
  auto speed = [](int64_t ms) {
    ResultRecord record;
    record.averageMs = ms;
    return ResultSpeed(record);
  };
  EXPECT_EQ(drives[0].model, "A");
  EXPECT_EQ(drives[0].count, 4);
  EXPECT_DOUBLE_EQ(drives[0].medianSpeed, (speed(1000) + speed(2000)) / 2);
  EXPECT_DOUBLE_EQ(drives[0].bestSpeed, speed(500));
  EXPECT_DOUBLE_EQ(drives[0].worstSpeed, speed(4000));
  EXPECT_EQ(drives[1].model, "C");  // two results before one
  EXPECT_EQ(drives[2].model, "B");
  EXPECT_DOUBLE_EQ(drives[2].medianSpeed, speed(2000));
  EXPECT_DOUBLE_EQ(drives[0].upperQuartileSpeed, (speed(500) + speed(1000)) / 2);
  EXPECT_DOUBLE_EQ(drives[0].lowerQuartileSpeed, (speed(2000) + speed(4000)) / 2);

  // A new result of a small model moves its figures at once.
  Add(Record("b2", 1000, "B"));
  ASSERT_EQ(ListDrives(store, &drives), StoreStatus::Ok) << StoreError(store);
  ASSERT_EQ(drives[1].model, "B");  // two results now, as C, and before it by name
  EXPECT_EQ(drives[1].count, 2);
  EXPECT_DOUBLE_EQ(drives[1].medianSpeed, (speed(1000) + speed(2000)) / 2);
  EXPECT_DOUBLE_EQ(drives[1].bestSpeed, speed(1000));

  std::vector<SpeedCount> speeds;
  ASSERT_EQ(SpeedCounts(store, &speeds), StoreStatus::Ok);
  int64_t counted = 0;
  for (const SpeedCount& s : speeds) counted += s.count;
  EXPECT_EQ(counted, 8);
  EXPECT_DOUBLE_EQ(speed(1000), 2097152.0 / 1000 * 1000 / 1024 / 1024);

  // Ranked by median, not by count: one fast result leads.
  Add(Record("d1", 250, "D"));
  ASSERT_EQ(ListDrives(store, &drives), StoreStatus::Ok) << StoreError(store);
  EXPECT_EQ(drives[0].model, "D");
  EXPECT_EQ(drives[1].model, "A");  // as fast a median as B, with more results
}

TEST_P(Store, ManyThreadsAddingAtOnceLoseNone) {
  constexpr int THREADS = 8;
  constexpr int EACH = 40;
  std::atomic<int> added{0}, duplicates{0}, failed{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < THREADS; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < EACH; ++i) {
        // Every thread also sends the reports "shared-i" that all send.
        ResultRecord own = Record("t" + std::to_string(t) + "-" + std::to_string(i), 1000 + i);
        ResultRecord shared = Record("shared-" + std::to_string(i), 2000 + i);
        for (ResultRecord* record : {&own, &shared}) {
          StoreStatus status = AddResult(store, record);
          if (status == StoreStatus::Ok) ++added;
          if (status == StoreStatus::Duplicate) ++duplicates;
          if (status == StoreStatus::Failed) ++failed;
        }
        ResultPage page;
        if (ListResults(store, ResultQuery(), &page) != StoreStatus::Ok) ++failed;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(failed, 0) << StoreError(store);
  EXPECT_EQ(added, THREADS * EACH + EACH);
  EXPECT_EQ(duplicates, (THREADS - 1) * EACH);
  EXPECT_EQ(List().total, THREADS * EACH + EACH);
}

TEST_P(Store, ResultsSurviveReopening) {
  const int64_t id = Add(Record("kept", 1500));
  CloseResultStore(store);
  store = Open();
  ASSERT_NE(store, nullptr);
  ResultRecord got;
  ASSERT_EQ(GetResult(store, id, &got), StoreStatus::Ok);
  EXPECT_EQ(got.validationFile, "file kept");
  ResultRecord again = Record("kept", 1500);
  EXPECT_EQ(AddResult(store, &again), StoreStatus::Duplicate);
  EXPECT_GT(Add(Record("next", 1600)), id);
}

// A database at an older schema version, with one result in it that was
// stored at the first version, as older boards left it.
bool MakeOlderDatabase(const std::string& kind, const std::string& url, int version, std::string* error) {
  const std::string insert =
      "INSERT INTO results (report_sha256, edition, processor, board, graphics, total_memory, os_name, "
      "os_build, drive_under_test, drive_capacity, drive_model, average_ms, speed_text, submitted_utc, "
      "report, "
      "validation_file) VALUES ('old', 'Linux', 'Old CPU', '', '', '', 'Debian', '6', '/', '1.000', 'Old "
      "Drive', 900, '2.222', '2026-01-01T00:00:00Z', 'r', 'v')";
  const char* const* migrations = kind == "sqlite" ? SQLITE_MIGRATIONS : POSTGRES_MIGRATIONS;
  std::vector<std::string> steps = {migrations[0], insert};
  for (int step = 1; step < version; ++step) steps.push_back(migrations[step]);
  if (kind == "sqlite") {
    steps.push_back("PRAGMA user_version = " + std::to_string(version));
    sqlite3* db = nullptr;
    bool ok = sqlite3_open(url.substr(7).c_str(), &db) == SQLITE_OK;
    for (const std::string& sql : steps)
      ok = ok && sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    if (!ok) *error = sqlite3_errmsg(db);
    sqlite3_close(db);
    return ok;
  }
  steps.insert(steps.begin(), "CREATE TABLE schema_version (version INTEGER NOT NULL)");
  steps.push_back("INSERT INTO schema_version VALUES (" + std::to_string(version) + ")");
  PGconn* connection = PQconnectdb(url.c_str());
  bool ok = PQstatus(connection) == CONNECTION_OK;
  for (const std::string& sql : steps) {
    if (!ok) break;
    PGresult* result = PQexec(connection, sql.c_str());
    ok = PQresultStatus(result) == PGRES_COMMAND_OK;
    PQclear(result);
  }
  if (!ok) *error = PQerrorMessage(connection);
  PQfinish(connection);
  return ok;
}

TEST_P(Store, AnOlderSchemaIsMigratedWithItsResults) {
  CloseResultStore(store);
  store = nullptr;
  const int newest = GetParam() == "sqlite" ? SQLITE_SCHEMA_VERSION : POSTGRES_SCHEMA_VERSION;
  for (int version = 1; version < newest; ++version) {
    SCOPED_TRACE("from version " + std::to_string(version));
    TestDatabase older(GetParam());
    std::string error;
    ASSERT_TRUE(MakeOlderDatabase(GetParam(), older.url, version, &error)) << error;
    store = OpenResultStore(older.url, &error);
    ASSERT_NE(store, nullptr) << error;
    ResultPage found = List("old drive");  // the search key was filled in for it
    ASSERT_EQ(found.total, 1);
    EXPECT_EQ(found.results[0].processor, "Old CPU");
    EXPECT_EQ(found.results[0].averageMs, 900);
    EXPECT_EQ(List().total, 1);  // the kept count starts from the stored results
    SpeedStanding standing;
    ASSERT_EQ(GetSpeedStanding(store, 900, &standing), StoreStatus::Ok) << StoreError(store);
    EXPECT_EQ(standing.total, 1);
    EXPECT_EQ(standing.binCounts[HistogramBinOfAverage(900)], 1) << "the kept bins start from it too";
    EXPECT_EQ(List("", "Old Drive").total, 1);
    ResultRecord newer = Record("new", 800);
    ASSERT_EQ(AddResult(store, &newer), StoreStatus::Ok) << StoreError(store);
    EXPECT_EQ(Ids(List()), (std::vector<int64_t>{newer.id, found.results[0].id}));
    CloseResultStore(store);
    store = OpenResultStore(older.url, &error);  // at the newest version now: opening again changes nothing
    ASSERT_NE(store, nullptr) << error;
    EXPECT_EQ(List().total, 2);
    CloseResultStore(store);
    store = nullptr;
  }
}

TEST_P(Store, ANewerSchemaIsRefused) {
  CloseResultStore(store);
  store = nullptr;
  if (GetParam() == "sqlite") {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(this->db.url.substr(7).c_str(), &db), SQLITE_OK);
    sqlite3_exec(db, "PRAGMA user_version = 99", nullptr, nullptr, nullptr);
    sqlite3_close(db);
  } else {
    PGconn* connection = PQconnectdb(this->db.url.c_str());
    PQclear(PQexec(connection, "UPDATE schema_version SET version = 99"));
    PQfinish(connection);
  }
  std::string error;
  EXPECT_EQ(OpenResultStore(this->db.url, &error), nullptr);
  EXPECT_NE(error.find("newer than this program"), std::string::npos) << error;
}

// A listing's models are looked up a batch at a time: a fenced model that
// sorts after more models than one batch holds is still marked, and a
// result of a model under 8 results never is.
TEST_P(Store, OutliersAreMarkedAcrossMoreModelsThanOneLookup) {
  std::vector<ResultRecord> listed;
  for (int m = 0; m < 60; ++m)
    listed.push_back(Record("m" + std::to_string(m), 2000, "M" + std::to_string(100 + m)));
  for (int k = 0; k < 7; ++k) listed.push_back(Record("f" + std::to_string(k), 2000 + 10 * k, "Z fenced"));
  listed.push_back(Record("fast", 100, "Z fenced"));
  listed.push_back(Record("small-fast", 100, "Y small"));
  for (int k = 0; k < 6; ++k) listed.push_back(Record("s" + std::to_string(k), 2000 + 10 * k, "Y small"));
  for (ResultRecord& record : listed) record.id = Add(record);
  ASSERT_EQ(MarkOutliers(store, &listed), StoreStatus::Ok) << StoreError(store);
  std::vector<std::string> marked;
  for (const ResultRecord& record : listed)
    if (record.outlier) marked.push_back(record.reportSha256);
  EXPECT_EQ(marked, std::vector<std::string>{"fast"});
}

INSTANTIATE_TEST_SUITE_P(Backends, Store, testing::Values("sqlite", "postgres"),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param; });

TEST(OpenResultStore, SaysWhyItCannotOpen) {
  struct Case {
    std::string url;
    std::string error;
  };
  const Case cases[] = {
      {"mysql://localhost/results", "unknown database"},
      {"results.db", "unknown database"},
      {"sqlite:", "needs a file path"},
      {"sqlite:/nonexistent-folder/sub/results.db", "cannot open"},
      {"postgresql://nobody@127.0.0.1:1/none?connect_timeout=5", "cannot connect"},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_EQ(OpenResultStore(c.url, &error), nullptr) << c.url;
    EXPECT_NE(error.find(c.error), std::string::npos) << c.url << ": " << error;
  }
}

}  // namespace
}  // namespace qm
