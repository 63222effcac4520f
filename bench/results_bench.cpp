// qm_results_bench [parts] [results] [files]
//   parts    which parts run, a subset of "abc" (default all that are built):
//            a  import of files, b  uploads over HTTP, c  readers over HTTP,
//            d  every page and answer at a base written through the store
//               (default 1000000 results then), with p50, p99 and req/s
//   results  results stored before the parts run (default 100000)
//   files    files that part (a) imports (default 10000)
// Runs on SQLite in a scratch folder, and on PostgreSQL when
// QM_TEST_POSTGRES_URL names a server (source scripts/postgres-session.sh and
// call postgres_session_start DIR first): a database of its own there.
// QM_BENCH_BASE=DIR keeps the databases instead (DIR/kept.db, and the
// PostgreSQL database qm_bench_kept), so a later run of part (d) finds its
// base already written and fills only what is missing.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "results/submission.h"
#include "results_bench.h"
#include "results_bench_http.h"
#include "results_bench_import.h"
#include "results_bench_million.h"
#include "tests/support/result_samples.h"
#include "tests/support/test_database.h"

namespace qm {

std::string BenchValidationFile(int64_t n, const std::string& tag) {
  SampleReport sample;
  // Averages spread over a plausible range; models and processors repeat
  // as real drives do, so the drive pages have groups.
  sample.averageMs = 300 + (n * 7919) % 9700;
  sample.driveModel = u"Bench Drive " + DecimalText(n % 97) + u" " + Ascii(tag);
  sample.processor = u"Bench CPU " + DecimalText(n % 13);
  sample.osBuild = DecimalText(n);  // the report of each n differs
  // and of each run, so that a kept base takes a later run's files as new
  static const int64_t run =
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
          .count();
  sample.boardModel = u"Bench Board " + DecimalText(run);
  return SampleValidationFile(sample);
}

std::string ResultsProgram() {
  const char* given = std::getenv("QM_RESULTS_PROGRAM");
  return given != nullptr && *given != '\0' ? given : QM_RESULTS_PROGRAM;
}

namespace {

constexpr int FILL_THREADS = 4;

// Stores count results through the submission path, a few threads at once.
bool Fill(const BenchBackend& backend, int64_t count) {
  std::string error;
  ResultStore* store = OpenResultStore(backend.url, &error);
  if (store == nullptr) {
    std::printf("%-8s cannot open %s: %s\n", backend.name.c_str(), backend.url.c_str(), error.c_str());
    return false;
  }
  // A kept base is filled only up to count.
  const int64_t stored = std::max<int64_t>(0, StoredResults(store));
  std::atomic<int64_t> next{stored}, failed{0};
  const auto start = std::chrono::steady_clock::now();
  std::vector<std::thread> threads;
  threads.reserve(FILL_THREADS);
  for (int t = 0; t < FILL_THREADS; ++t) {
    threads.emplace_back([&] {
      for (int64_t n; (n = next++) < count;)
        if (SubmitValidationFile(store, BenchValidationFile(n, "fill")).kind != SubmissionKind::Added)
          ++failed;
    });
  }
  for (std::thread& thread : threads) thread.join();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  CloseResultStore(store);
  const int64_t filled = std::max<int64_t>(0, count - stored);
  std::printf("%-8s filled with %lld results in %.1f s (%.0f/s, %d threads), %lld failed\n",
              backend.name.c_str(), static_cast<long long>(filled), seconds,
              static_cast<double>(filled) / seconds, FILL_THREADS, static_cast<long long>(failed.load()));
  std::fflush(stdout);
  return failed == 0;
}

int64_t Argument(int argc, char** argv, int index, int64_t otherwise) {
  return argc > index ? std::strtoll(argv[index], nullptr, 10) : otherwise;
}

}  // namespace
}  // namespace qm

int main(int argc, char** argv) {
  // A connection the server ends mid-request fails the write, not the run.
  std::signal(SIGPIPE, SIG_IGN);
  const std::string parts = argc > 1 ? argv[1] : "abc";
  const bool million = parts.find('d') != std::string::npos;
  const int64_t results = qm::Argument(argc, argv, 2, million ? 1000000 : 100000);
  const int64_t files = qm::Argument(argc, argv, 3, 10000);
  const char* kept = std::getenv("QM_BENCH_BASE");
  bool ok = true;
  for (const std::string kind : {"sqlite", "postgres"}) {
    qm::TestDatabase db(kind, kept != nullptr ? kept : "");
    if (!db.skip.empty() || !db.failure.empty()) {
      std::printf("%-8s skipped: %s\n", kind.c_str(), (db.skip + db.failure).c_str());
      ok = ok && db.failure.empty();
      continue;
    }
    const qm::BenchBackend backend{kind, db.url};
    if (!(million ? qm::FillThroughStore(backend, results) : qm::Fill(backend, results))) {
      ok = false;
      continue;
    }
    if (parts.find('a') != std::string::npos) ok = qm::RunImportBench(backend, files) && ok;
    const bool uploads = parts.find('b') != std::string::npos, readers = parts.find('c') != std::string::npos;
    if (uploads || readers) ok = qm::RunHttpBench(backend, uploads, readers) && ok;
    if (million) ok = qm::RunPathsBench(backend, qm::MillionPaths(backend)) && ok;
  }
  return ok ? 0 : 1;
}
