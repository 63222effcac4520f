#include "results_bench_million.h"

#include <libpq-fe.h>

#include <chrono>
#include <cstdio>

#include "results/http/request_values.h"
#include "results/pages/html_text.h"
#include "results/result_store.h"

namespace qm {
namespace {

constexpr int64_t FILL_BATCH = 5000;

// The n-th base result: a third of the popular model, the rest over a long
// tail of models and a few processors, as a popular board has them.
ResultRecord BaseRecord(int64_t n) {
  static const char* const PROCESSORS[] = {"AMD Ryzen 7 5800X 8-Core Processor",
                                           "Intel(R) Core(TM) i7-12700K", "Intel(R) Core(TM) i5-8250U CPU",
                                           "AMD Ryzen 5 3600 6-Core Processor"};
  static const char* const MAKERS[] = {"Samsung SSD 980 PRO", "WDC WDS100T", "Crucial CT1000P5",
                                       "KINGSTON SA400",      "ST2000DM008", "TOSHIBA DT01ACA"};
  ResultRecord r;
  r.reportSha256 = "bench-" + std::to_string(n);
  r.edition = "Windows";
  r.processor = PROCESSORS[n % 4];
  r.board = "Bench Board";
  r.graphics = "Bench Graphics";
  r.totalMemory = "16.000 GiB";
  r.osName = "Windows 10 Pro";
  r.osBuild = std::to_string(19041 + n % 7);
  r.driveUnderTest = "C:\\";
  r.driveCapacity = "931.513";
  r.driveModel = n % 3 == 0 ? std::string(POPULAR_MODEL)
                            : std::string(MAKERS[(n / 3) % 6]) + " " + std::to_string((n / 7) % 40);
  r.averageMs = 300 + (n * 7919) % 9700;
  r.speedText = "1.000";
  // Reports and files of about the size the program writes.
  r.report = std::string(1500, 'r') + std::to_string(n);
  r.validationFile = std::string(1600, 'v') + std::to_string(n);
  return r;
}

}  // namespace

int64_t StoredResults(ResultStore* store) {
  ResultQuery query;
  query.limit = 1;
  ResultPage page;
  return ListResults(store, query, &page) == StoreStatus::Ok ? page.total : -1;
}

namespace {

// A board that has grown to a million has been vacuumed and analysed by
// PostgreSQL's autovacuum long before; a base written in minutes has not.
void SettleLikeAutovacuum(const BenchBackend& backend) {
  if (backend.name != "postgres") return;
  const auto start = std::chrono::steady_clock::now();
  PGconn* connection = PQconnectdb(backend.url.c_str());
  PGresult* result = PQexec(connection, "VACUUM (ANALYZE)");
  const bool ok = PQresultStatus(result) == PGRES_COMMAND_OK;
  std::printf("%-8s (d) VACUUM (ANALYZE) %s in %.1f s\n", backend.name.c_str(),
              ok ? "done" : PQerrorMessage(connection),
              std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  PQclear(result);
  PQfinish(connection);
}

}  // namespace

bool FillThroughStore(const BenchBackend& backend, int64_t count) {
  std::string error;
  ResultStore* store = OpenResultStore(backend.url, &error);
  if (store == nullptr) {
    std::printf("%-8s cannot open %s: %s\n", backend.name.c_str(), backend.url.c_str(), error.c_str());
    return false;
  }
  const int64_t stored = std::max<int64_t>(0, StoredResults(store));
  if (stored > 0)
    std::printf("%-8s (d) the kept base holds %lld results already\n", backend.name.c_str(),
                static_cast<long long>(stored));
  const auto start = std::chrono::steady_clock::now();
  bool ok = true;
  std::vector<ResultRecord> batch;
  std::vector<StoreStatus> statuses;
  for (int64_t n = stored; ok && n < count; n += FILL_BATCH) {
    batch.clear();
    for (int64_t k = n; k < std::min(count, n + FILL_BATCH); ++k) batch.push_back(BaseRecord(k));
    ok = AddResults(store, &batch, &statuses) == StoreStatus::Ok;
    if (!ok) std::printf("%-8s filling failed: %s\n", backend.name.c_str(), StoreError(store).c_str());
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  CloseResultStore(store);
  if (stored < count)
    std::printf("%-8s (d) %lld results written through the store in %.1f s (%.0f/s)\n", backend.name.c_str(),
                static_cast<long long>(count - stored), seconds,
                static_cast<double>(count - stored) / seconds);
  SettleLikeAutovacuum(backend);
  std::fflush(stdout);
  return ok;
}

std::vector<std::string> MillionPaths(const BenchBackend& backend) {
  const std::string model = "/drives/" + PercentEncode(POPULAR_MODEL);
  std::vector<std::string> paths = {
      "/",       "/?page=1000", "/?q=Samsung",      "/?q=zzzz-not-there", "/api/results?q=Samsung",
      "/drives", model,         model + "?page=300"};
  std::string error;
  ResultStore* store = OpenResultStore(backend.url, &error);
  if (store == nullptr) return paths;
  // The result that ends page 300 of the model, which page 301 follows.
  ResultQuery query;
  query.driveModel = POPULAR_MODEL;
  query.offset = 300 * 50 - 1;
  query.limit = 1;
  ResultPage page;
  if (ListResults(store, query, &page) == StoreStatus::Ok && !page.results.empty()) {
    const ResultRecord& last = page.results.back();
    paths.push_back(model + "?page=301&after=" + std::to_string(last.averageMs) + "-" +
                    std::to_string(last.id));
  }
  ResultQuery middle;
  middle.offset = page.total / 2;
  middle.limit = 1;
  ResultPage one;
  if (ListResults(store, middle, &one) == StoreStatus::Ok && !one.results.empty())
    paths.push_back("/results/" + std::to_string(one.results[0].id));
  CloseResultStore(store);
  paths.push_back("/api/drives");
  paths.push_back("/results.csv");
  paths.push_back("/results.jsonl");
  return paths;
}

}  // namespace qm
