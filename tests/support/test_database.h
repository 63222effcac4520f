// A fresh, empty database for one test, of either backend:
//   "sqlite"    a file in a scratch folder;
//   "postgres"  a database of its own on the server at QM_TEST_POSTGRES_URL
//               (scripts/postgres-session.sh starts one), dropped afterwards.
// Without QM_TEST_POSTGRES_URL the PostgreSQL cases skip with a message; with
// it set but the server out of reach they fail.
// Given a kept folder, the database outlives the run instead, for a
// benchmark's large base: DIR/kept.db, or the PostgreSQL database
// qm_bench_kept, made when missing and never dropped.
#pragma once

#include <memory>
#include <string>

#include "tests/support/scratch_folder.h"

namespace qm {

struct TestDatabase {
  std::string url;            // for OpenResultStore
  std::string skip;           // not empty: the test should skip, this is why
  std::string failure;        // not empty: the test should fail, this is why
  std::string postgresAdmin;  // where to drop the database from
  std::string postgresName;
  std::unique_ptr<ScratchFolder> folder;

  explicit TestDatabase(const std::string& kind, const std::string& keptFolder = std::string());
  ~TestDatabase();
  TestDatabase(const TestDatabase&) = delete;
  TestDatabase& operator=(const TestDatabase&) = delete;
};

}  // namespace qm

// In a test's body or SetUp: skips or fails as the database says.
#define QM_NEED_DATABASE(db)                           \
  do {                                                 \
    if (!(db).skip.empty()) GTEST_SKIP() << (db).skip; \
    ASSERT_TRUE((db).failure.empty()) << (db).failure; \
  } while (0)
