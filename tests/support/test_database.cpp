#include "tests/support/test_database.h"

#include <libpq-fe.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>

namespace qm {
namespace {

std::atomic<int> databasesMade{0};

bool Run(PGconn* connection, const std::string& sql, std::string* error) {
  PGresult* result = PQexec(connection, sql.c_str());
  const bool ok = PQresultStatus(result) == PGRES_COMMAND_OK;
  if (!ok) *error = PQerrorMessage(connection);
  PQclear(result);
  return ok;
}

// The server's URL with another database: postgresql://user@host:port/name.
std::string WithDatabase(const std::string& url, const std::string& name, std::string* error) {
  char* message = nullptr;
  PQconninfoOption* options = PQconninfoParse(url.c_str(), &message);
  if (options == nullptr) {
    *error = message != nullptr ? message : "cannot parse the URL";
    PQfreemem(message);
    return std::string();
  }
  std::string user, host, port;
  for (PQconninfoOption* option = options; option->keyword != nullptr; ++option) {
    if (option->val == nullptr) continue;
    const std::string keyword = option->keyword;
    if (keyword == "user") user = option->val;
    if (keyword == "host") host = option->val;
    if (keyword == "port") port = option->val;
  }
  PQconninfoFree(options);
  return "postgresql://" + (user.empty() ? "" : user + "@") + host + (port.empty() ? "" : ":" + port) + "/" +
         name;
}

constexpr char KEPT_DATABASE[] = "qm_bench_kept";

// The kept database's URL, the database made first when it is not there.
std::string KeptDatabase(PGconn* admin, const std::string& server, std::string* failure) {
  PGresult* found = PQexec(
      admin, (std::string("SELECT 1 FROM pg_database WHERE datname = '") + KEPT_DATABASE + "'").c_str());
  const bool exists = PQresultStatus(found) == PGRES_TUPLES_OK && PQntuples(found) == 1;
  PQclear(found);
  std::string error;
  if (!exists &&
      !Run(admin, std::string("CREATE DATABASE ") + KEPT_DATABASE + " ENCODING 'UTF8' TEMPLATE template0",
           &error)) {
    *failure = "cannot create the kept database: " + error;
    return std::string();
  }
  return WithDatabase(server, KEPT_DATABASE, failure);
}

}  // namespace

TestDatabase::TestDatabase(const std::string& kind, const std::string& keptFolder) {
  if (kind == "sqlite" && !keptFolder.empty()) {
    url = "sqlite:" + keptFolder + "/kept.db";
    return;
  }
  if (kind == "sqlite") {
    folder = std::make_unique<ScratchFolder>();
    url = "sqlite:" + (folder->Path() / "results.db").string();
    return;
  }
  const char* server = std::getenv("QM_TEST_POSTGRES_URL");
  if (server == nullptr || *server == '\0') {
    skip =
        "QM_TEST_POSTGRES_URL is not set: no PostgreSQL server to test against "
        "(scripts/test.sh starts one with scripts/postgres-session.sh)";
    return;
  }
  PGconn* admin = PQconnectdb(server);
  PQsetNoticeProcessor(
      admin, [](void*, const char*) {}, nullptr);
  if (PQstatus(admin) != CONNECTION_OK) {
    failure = std::string("QM_TEST_POSTGRES_URL=") + server + " cannot be reached: " + PQerrorMessage(admin);
    PQfinish(admin);
    return;
  }
  if (!keptFolder.empty()) {
    url = KeptDatabase(admin, server, &failure);
    PQfinish(admin);
    return;
  }
  postgresName = "qm_test_" + std::to_string(getpid()) + "_" + std::to_string(databasesMade++);
  std::string error;
  if (!Run(admin, "DROP DATABASE IF EXISTS " + postgresName, &error) ||
      !Run(admin, "CREATE DATABASE " + postgresName + " ENCODING 'UTF8' TEMPLATE template0", &error)) {
    failure = "cannot create a test database: " + error;
    postgresName.clear();
  } else {
    postgresAdmin = server;
    url = WithDatabase(server, postgresName, &failure);
  }
  PQfinish(admin);
}

TestDatabase::~TestDatabase() {
  if (postgresName.empty()) return;
  PGconn* admin = PQconnectdb(postgresAdmin.c_str());
  std::string ignored;
  if (PQstatus(admin) == CONNECTION_OK)
    Run(admin, "DROP DATABASE IF EXISTS " + postgresName + " WITH (FORCE)", &ignored);
  PQfinish(admin);
}

}  // namespace qm
