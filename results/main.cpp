// quillmark-results: the results board. Takes validation files, checks
// them and keeps them in a database, and serves the board over HTTP.
//
//   quillmark-results serve [--db DB] [--listen HOST:PORT] [--max-uploads-per-minute N]
//                           [--max-connections-per-address N] [--trusted-proxy ADDR]...
//                           [--db-lock-wait-ms MS] [--header-deadline-ms MS] [--min-body-rate B]
//   quillmark-results import [--db DB] FILE...
//   quillmark-results backup --db DB FILE
//   quillmark-results import-db --db DB FILE
//   quillmark-results delete [--db DB] ID...
//
// Exit status: serve as RunServe says; import 0 when no file was rejected,
// 1 otherwise (2 when the database cannot be opened); backup and import-db 0
// when done, 1 when not; delete 0 when every result was deleted, 1 when
// one was not there, 2 when the database failed; 64 for wrong arguments.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/program_identity.h"
#include "platform/text.h"
#include "results/http/client_address.h"
#include "results/http/serve.h"
#include "results/import_files.h"
#include "results/results_backup.h"

namespace qm {
namespace {

constexpr int EXIT_OK = 0;
constexpr int EXIT_REJECTED = 1;
constexpr int EXIT_NO_DATABASE = 2;
constexpr int EXIT_USAGE = 64;

constexpr char USAGE[] =
    "Usage: quillmark-results serve [--db DB] [--listen HOST:PORT] [--max-uploads-per-minute N]\n"
    "                               [--max-connections-per-address N] [--trusted-proxy ADDR]...\n"
    "                               [--db-lock-wait-ms MS] [--header-deadline-ms MS]\n"
    "                               [--min-body-rate BYTES_PER_SECOND]\n"
    "       quillmark-results import [--db DB] FILE...\n"
    "       quillmark-results backup --db DB FILE\n"
    "       quillmark-results import-db --db DB FILE\n"
    "       quillmark-results delete [--db DB] ID...\n"
    "       quillmark-results --help | --version\n"
    "\n"
    "serve   the board's pages and API until SIGINT or SIGTERM. --listen defaults\n"
    "        to 127.0.0.1:8080; uploads per client address are capped at N a\n"
    "        minute (default 60, 0: no cap), connections per client address at\n"
    "        N open at once (default 64, 0: no limit). A request from a\n"
    "        --trusted-proxy ADDR (repeatable) is counted and logged under the\n"
    "        client its X-Forwarded-For names; from anyone else the header is\n"
    "        ignored. /metrics answers loopback and the trusted proxies only.\n"
    "        An upload waits at most MS (default 1000) for a database lock held\n"
    "        elsewhere, then is answered 503 with Retry-After. A request's line\n"
    "        and headers must arrive whole within --header-deadline-ms (default\n"
    "        10000), its body at --min-body-rate bytes a second at least\n"
    "        (default 1000, 0: no minimum), or the connection is closed.\n"
    "import  adds validation files received by mail, one line per file:\n"
    "        \"added <id> <file>\", \"duplicate <id> <file>\" or \"rejected <file>: <reason>\".\n"
    "        Exit status 0 when no file was rejected, else 1.\n"
    "backup  writes a consistent copy of every result to FILE, a new SQLite file,\n"
    "        while the board serves.\n"
    "import-db  loads such a copy into DB, which must hold no results yet: the\n"
    "        same ids, times and files, so the board answers as before.\n"
    "delete  removes results from every page, listing and figure, one line per id:\n"
    "        \"deleted <id>\" or \"no result <id>\". Exit status 0 when every one was\n"
    "        deleted, 1 when one was not there.\n"
    "\n"
    "DB is sqlite:PATH (default sqlite:quillmark-results.db, in the current folder)\n"
    "or a PostgreSQL connection URI, postgresql://user@host:port/database.\n";

int Usage(const std::string& problem) {
  std::fprintf(stderr, "quillmark-results: %s\n\n%s", problem.c_str(), USAGE);
  return EXIT_USAGE;
}

bool ParseCount(const std::string& text, int64_t maximum, int64_t* value) {
  uint64_t number = 0;
  if (!ParseWholeNumber(text, static_cast<uint64_t>(maximum), &number)) return false;
  *value = static_cast<int64_t>(number);
  return true;
}

// HOST:PORT, the port after the last colon; [::1]:8080 for an IPv6 host.
bool ParseListen(const std::string& text, ServeOptions* options) {
  const size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0) return false;
  std::string host = text.substr(0, colon);
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
  int64_t port = 0;
  if (host.empty() || !ParseCount(text.substr(colon + 1), 65535, &port)) return false;
  options->host = host;
  options->port = static_cast<int>(port);
  return true;
}

int Serve(const std::vector<std::string>& args) {
  ServeOptions options;
  for (size_t i = 0; i < args.size(); i += 2) {
    const std::string& option = args[i];
    if (i + 1 >= args.size()) return Usage(option + " needs a value");
    const std::string& value = args[i + 1];
    if (option == "--db") {
      options.db = value;
    } else if (option == "--listen") {
      if (!ParseListen(value, &options)) return Usage("--listen wants HOST:PORT, not '" + value + "'");
    } else if (option == "--db-lock-wait-ms") {
      if (!ParseCount(value, 3600000, &options.lockWaitMs))
        return Usage("--db-lock-wait-ms wants a whole number of milliseconds, not '" + value + "'");
    } else if (option == "--header-deadline-ms") {
      if (!ParseCount(value, 3600000, &options.headerDeadlineMs) || options.headerDeadlineMs == 0)
        return Usage("--header-deadline-ms wants a whole number of milliseconds from 1 to 3600000, not '" +
                     value + "'");
    } else if (option == "--min-body-rate") {
      if (!ParseCount(value, 1000000000, &options.minBodyRate))
        return Usage("--min-body-rate wants a whole number of bytes a second, not '" + value + "'");
    } else if (option == "--max-connections-per-address") {
      if (!ParseCount(value, INT64_MAX / 2, &options.maxConnectionsPerAddress))
        return Usage("--max-connections-per-address wants a whole number, not '" + value + "'");
    } else if (option == "--trusted-proxy") {
      const std::string address = CanonicalAddress(value);
      if (address.empty()) return Usage("--trusted-proxy wants an IP address, not '" + value + "'");
      options.trustedProxies.push_back(address);
    } else if (option == "--max-uploads-per-minute") {
      if (!ParseCount(value, INT64_MAX / 2, &options.maxUploadsPerMinute))
        return Usage("--max-uploads-per-minute wants a whole number, not '" + value + "'");
    } else {
      return Usage("unknown option '" + option + "' for serve");
    }
  }
  return RunServe(options);
}

// The store for a command, or nullptr after saying why. mustExist: the
// command works on a board that is there, so a missing SQLite file is an
// error, not a new empty board. manyWrites: it stores results by the
// thousand, which a large page cache speeds up.
constexpr int64_t IMPORT_CACHE_MB = 64;
ResultStore* OpenForCommand(const std::string& db, bool mustExist, bool manyWrites = false) {
  StoreOptions options;
  options.mustExist = mustExist;
  options.cacheMb = manyWrites ? IMPORT_CACHE_MB : 0;
  std::string error;
  ResultStore* store = OpenResultStore(db, options, &error);
  if (store == nullptr)
    std::fprintf(stderr, "quillmark-results: cannot open the database %s: %s\n", db.c_str(), error.c_str());
  return store;
}

int Import(const std::vector<std::string>& args) {
  std::string db = ServeOptions().db;
  std::vector<std::string> files;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--db") {
      if (i + 1 >= args.size()) return Usage("--db needs a value");
      db = args[++i];
    } else if (args[i] == "--") {
      files.insert(files.end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
      break;
    } else if (args[i].size() > 1 && args[i][0] == '-') {
      return Usage("unknown option '" + args[i] + "' for import");
    } else {
      files.push_back(args[i]);
    }
  }
  if (files.empty()) return Usage("import needs at least one FILE");
  ResultStore* store = OpenForCommand(db, false, true);
  if (store == nullptr) return EXIT_NO_DATABASE;
  std::FILE* progress = isatty(STDERR_FILENO) ? stderr : nullptr;
  ImportCounts counts = ImportFiles(store, files, stdout, progress);
  CloseResultStore(store);
  return counts.rejected == 0 ? EXIT_OK : EXIT_REJECTED;
}

// backup and import-db: --db DB FILE, in either order.
int Copy(const std::string& command, const std::vector<std::string>& args) {
  std::string db, file;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--db" && i + 1 < args.size()) {
      db = args[++i];
    } else if (args[i].size() > 1 && args[i][0] == '-') {
      return Usage("unknown option '" + args[i] + "' for " + command);
    } else if (file.empty()) {
      file = args[i];
    } else {
      return Usage(command + " takes one FILE");
    }
  }
  if (db.empty() || file.empty()) return Usage(command + " needs --db DB and a FILE");
  const bool backup = command == "backup";
  ResultStore* store = OpenForCommand(db, backup, !backup);
  if (store == nullptr) return EXIT_NO_DATABASE;
  std::string error;
  int64_t count = 0;
  const bool ok =
      backup ? BackupResults(store, file, &count, &error) : ImportBackup(store, file, &count, &error);
  CloseResultStore(store);
  if (!ok) {
    std::fprintf(stderr, "quillmark-results: %s: %s\n", command.c_str(), error.c_str());
    return EXIT_REJECTED;
  }
  std::printf(backup ? "copied %lld results to %s\n" : "loaded %lld results from %s\n",
              static_cast<long long>(count), file.c_str());
  return EXIT_OK;
}

int Delete(const std::vector<std::string>& args) {
  std::string db = ServeOptions().db;
  std::vector<int64_t> ids;
  for (size_t i = 0; i < args.size(); ++i) {
    int64_t id = 0;
    if (args[i] == "--db") {
      if (i + 1 >= args.size()) return Usage("--db needs a value");
      db = args[++i];
    } else if (ParseCount(args[i], INT64_MAX / 2, &id) && id > 0) {
      ids.push_back(id);
    } else {
      return Usage("delete wants result ids (whole numbers), not '" + args[i] + "'");
    }
  }
  if (ids.empty()) return Usage("delete needs at least one ID");
  ResultStore* store = OpenForCommand(db, true);
  if (store == nullptr) return EXIT_NO_DATABASE;
  int status = EXIT_OK;
  for (int64_t id : ids) {
    const StoreStatus deleted = DeleteResult(store, id);
    if (deleted == StoreStatus::Ok) {
      std::printf("deleted %lld\n", static_cast<long long>(id));
    } else if (deleted == StoreStatus::NotFound) {
      std::printf("no result %lld\n", static_cast<long long>(id));
      if (status == EXIT_OK) status = EXIT_REJECTED;
    } else {
      std::fprintf(stderr, "quillmark-results: result %lld could not be deleted: %s\n",
                   static_cast<long long>(id), StoreError(store).c_str());
      status = EXIT_NO_DATABASE;
      break;
    }
  }
  std::fflush(stdout);
  CloseResultStore(store);
  return status;
}

int Run(const std::vector<std::string>& args) {
  if (args.size() == 1 && args[0] == "--help") {
    std::fputs(USAGE, stdout);
    return EXIT_OK;
  }
  if (args.size() == 1 && args[0] == "--version") {
    std::printf("quillmark-results %s\n", Utf8(PROGRAM_VERSION).c_str());
    return EXIT_OK;
  }
  if (args.empty()) return Usage("a command is needed");
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (args[0] == "serve") return Serve(rest);
  if (args[0] == "import") return Import(rest);
  if (args[0] == "delete") return Delete(rest);
  if (args[0] == "backup" || args[0] == "import-db") return Copy(args[0], rest);
  return Usage("unknown command '" + args[0] + "'");
}

}  // namespace
}  // namespace qm

int main(int argc, char** argv) { return qm::Run(std::vector<std::string>(argv + 1, argv + argc)); }
