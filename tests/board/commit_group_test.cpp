// Uploads to a SQLite board at once share commits: each caller is still
// told its own outcome and id, a refused or duplicate upload leaves the
// rest of its group stored, and a commit that fails acknowledges none. A
// commit hook on every connection the store opens counts the commits,
// holds the first until every thread has started (so groups form), and
// can be made to refuse them.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <atomic>
#include <chrono>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "results/result_store.h"
#include "tests/support/test_database.h"

namespace qm {
namespace {

std::atomic<bool> holdFirstCommit{false};
std::atomic<bool> refuseCommits{false};
std::atomic<int> started{0};
std::atomic<int> commits{0};
int awaited = 0;

int OnCommit(void*) {
  ++commits;
  if (holdFirstCommit.exchange(false)) {
    const auto bound = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (started < awaited && std::chrono::steady_clock::now() < bound)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return refuseCommits ? 1 : 0;  // not 0: the commit becomes a rollback
}

int HookCommits(sqlite3* db, char**, const sqlite3_api_routines*) {
  sqlite3_commit_hook(db, OnCommit, nullptr);
  return SQLITE_OK;
}

ResultRecord Record(const std::string& hash, int64_t averageMs) {
  ResultRecord record;
  record.reportSha256 = hash;
  record.driveModel = "Model " + hash;
  record.averageMs = averageMs;  // 0 is refused by the table's check
  record.report = "report " + hash;
  record.validationFile = "file " + hash;
  return record;
}

class CommitGroup : public testing::Test {
 protected:
  static constexpr int THREADS = 16;
  static constexpr int EACH = 12;

  void SetUp() override {
    QM_NEED_DATABASE(db);
    sqlite3_auto_extension(reinterpret_cast<void (*)(void)>(HookCommits));
    std::string error;
    store = OpenResultStore(db.url, &error);
    ASSERT_NE(store, nullptr) << error;
    started = 0;
    commits = 0;
    awaited = THREADS;
    holdFirstCommit = true;
  }
  void TearDown() override {
    holdFirstCommit = false;
    refuseCommits = false;
    CloseResultStore(store);
    sqlite3_cancel_auto_extension(reinterpret_cast<void (*)(void)>(HookCommits));
  }

  // Each thread adds its records in order; their statuses and ids, by record.
  void AddAtOnce(std::vector<std::vector<ResultRecord>>* records,
                 std::vector<std::vector<StoreStatus>>* statuses) {
    statuses->assign(records->size(), {});
    std::vector<std::thread> threads;
    for (size_t t = 0; t < records->size(); ++t) {
      threads.emplace_back([&, t] {
        ++started;
        for (ResultRecord& record : (*records)[t]) (*statuses)[t].push_back(AddResult(store, &record));
      });
    }
    for (std::thread& thread : threads) thread.join();
  }

  int64_t Total() {
    ResultPage page;
    EXPECT_EQ(ListResults(store, ResultQuery(), &page), StoreStatus::Ok) << StoreError(store);
    return page.total;
  }

  TestDatabase db{"sqlite"};
  ResultStore* store = nullptr;
};

TEST_F(CommitGroup, EachCallerIsToldItsOwnOutcomeAndId) {
  // Per thread: its own reports, a report every thread sends, and now and
  // then one the table refuses.
  std::vector<std::vector<ResultRecord>> records(THREADS);
  for (int t = 0; t < THREADS; ++t) {
    for (int i = 0; i < EACH; ++i) {
      records[t].push_back(Record("own-" + std::to_string(t) + "-" + std::to_string(i), 1000 + i));
      records[t].push_back(Record("shared-" + std::to_string(i), 2000 + i));
      if (i % 4 == t % 4)
        records[t].push_back(Record("refused-" + std::to_string(t) + "-" + std::to_string(i), 0));
    }
  }
  std::vector<std::vector<StoreStatus>> statuses;
  AddAtOnce(&records, &statuses);

  std::set<int64_t> ids;
  std::map<std::string, int64_t> sharedIds;
  std::map<std::string, int> sharedAdded;
  for (int t = 0; t < THREADS; ++t) {
    for (size_t r = 0; r < records[t].size(); ++r) {
      const ResultRecord& record = records[t][r];
      const std::string& hash = record.reportSha256;
      const StoreStatus status = statuses[t][r];
      if (hash.rfind("refused-", 0) == 0) {
        EXPECT_EQ(status, StoreStatus::Failed) << hash;
        continue;
      }
      if (hash.rfind("shared-", 0) == 0) {
        ASSERT_NE(status, StoreStatus::Failed) << hash << ": " << StoreError(store);
        if (status == StoreStatus::Ok) ++sharedAdded[hash];
        const int64_t first = sharedIds.emplace(hash, record.id).first->second;
        EXPECT_EQ(record.id, first) << hash << " has two ids";
        if (status == StoreStatus::Duplicate) continue;
      } else {
        ASSERT_EQ(status, StoreStatus::Ok) << hash << ": " << StoreError(store);
      }
      EXPECT_TRUE(ids.insert(record.id).second) << "id " << record.id << " given twice";
      ResultRecord stored;
      ASSERT_EQ(GetResult(store, record.id, &stored), StoreStatus::Ok) << hash;
      EXPECT_EQ(stored.reportSha256, hash) << "the id told for " << hash << " is another result's";
    }
  }
  for (int i = 0; i < EACH; ++i) EXPECT_EQ(sharedAdded["shared-" + std::to_string(i)], 1);
  EXPECT_EQ(Total(), THREADS * EACH + EACH);
  std::printf("%d uploads stored in %d commits\n", THREADS * EACH + EACH, commits.load());
}

TEST_F(CommitGroup, ACommitThatFailsAcknowledgesNone) {
  refuseCommits = true;
  std::vector<std::vector<ResultRecord>> records(THREADS);
  for (int t = 0; t < THREADS; ++t)
    for (int i = 0; i < 3; ++i)
      records[t].push_back(Record(std::to_string(t) + "-" + std::to_string(i), 1000));
  std::vector<std::vector<StoreStatus>> statuses;
  AddAtOnce(&records, &statuses);
  for (int t = 0; t < THREADS; ++t)
    for (StoreStatus status : statuses[t]) EXPECT_EQ(status, StoreStatus::Failed);

  refuseCommits = false;
  EXPECT_EQ(Total(), 0) << "a refused commit left results";
  ResultRecord again = Record("0-0", 1000);
  EXPECT_EQ(AddResult(store, &again), StoreStatus::Ok) << StoreError(store);
  EXPECT_EQ(Total(), 1);
}

}  // namespace
}  // namespace qm
