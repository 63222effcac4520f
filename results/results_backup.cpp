#include "results/results_backup.h"

#include <unistd.h>

#include <cstdio>
#include <vector>

namespace qm {
namespace {

constexpr size_t RESTORE_BATCH = 1000;

bool Fail(const std::string& message, std::string* error) {
  *error = message;
  return false;
}

// Copies every result of from into to, in batches of one transaction each.
bool CopyResults(ResultStore* from, ResultStore* to, int64_t* copied, std::string* error) {
  std::vector<ResultRecord> batch;
  bool written = true;
  const auto flush = [&] {
    written = written && RestoreResults(to, batch) == StoreStatus::Ok;
    if (written) *copied += static_cast<int64_t>(batch.size());
    batch.clear();
    return written;
  };
  *copied = 0;
  const StoreStatus read = ExportWholeResults(from, [&](const ResultRecord& record) {
    batch.push_back(record);
    return batch.size() < RESTORE_BATCH || flush();
  });
  if (read != StoreStatus::Ok) return Fail("reading the results: " + StoreError(from), error);
  if (!batch.empty()) flush();
  if (!written) return Fail("writing the results: " + StoreError(to), error);
  return true;
}

}  // namespace

bool BackupResults(ResultStore* store, const std::string& path, int64_t* copied, std::string* error) {
  if (access(path.c_str(), F_OK) == 0) return Fail(path + " exists already; give a new file", error);
  // Written beside the file and renamed at the end, so a copy cut short
  // never stands under the name.
  const std::string partial = path + ".partial";
  std::remove(partial.c_str());
  bool ok = false;
  if (StoreKind(store) == "sqlite") {
    ok = BackupDatabase(store, partial) == StoreStatus::Ok;
    if (!ok) *error = StoreError(store);
    ResultPage page;
    ResultQuery all;
    all.limit = 0;
    if (ok && ListResults(store, all, &page) == StoreStatus::Ok) *copied = page.total;
  } else {
    ResultStore* copy = OpenResultStore("sqlite:" + partial, error);
    ok = copy != nullptr && CopyResults(store, copy, copied, error);
    CloseResultStore(copy);
  }
  if (ok && std::rename(partial.c_str(), path.c_str()) != 0) ok = Fail("cannot name the copy " + path, error);
  if (!ok) {
    std::remove(partial.c_str());
    std::remove((partial + "-wal").c_str());
    std::remove((partial + "-shm").c_str());
  }
  return ok;
}

bool ImportBackup(ResultStore* store, const std::string& path, int64_t* loaded, std::string* error) {
  if (access(path.c_str(), R_OK) != 0) return Fail("cannot read " + path, error);
  ResultPage held;
  ResultQuery all;
  all.limit = 0;
  if (ListResults(store, all, &held) != StoreStatus::Ok) return Fail(StoreError(store), error);
  if (held.total > 0)
    return Fail("the database holds " + std::to_string(held.total) +
                    " results already; a backup is loaded into an empty one",
                error);
  ResultStore* backup = OpenResultStore("sqlite:" + path, error);
  if (backup == nullptr) return false;
  const bool ok = CopyResults(backup, store, loaded, error);
  CloseResultStore(backup);
  return ok;
}

}  // namespace qm
