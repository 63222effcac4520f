// The board with its database in trouble: a lock held by another program,
// a full disk, a disk forced read-only, a PostgreSQL table lock and
// database made read-only. While the fault lasts
// uploads are refused at once with 503 and Retry-After and the pages
// answer; once it is gone the next upload is stored, without a restart.
#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <poll.h>
#include <sqlite3.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "results/http/board_server.h"
#include "results/result_store.h"
#include "tests/board/raw_client.h"
#include "tests/support/result_samples.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/test_database.h"

namespace qm {
namespace {

// How soon a refusal must come while the database is in trouble; the
// store's lock wait is a fraction of it.
constexpr auto REFUSAL_BOUND = std::chrono::seconds(2);
constexpr int64_t LOCK_WAIT_MS = 200;

RawReply Upload(int port, int64_t averageMs) {
  SampleReport fields;
  fields.averageMs = averageMs;
  const std::string file = SampleValidationFile(fields);
  return AskRaw(port, UploadRequest(file));
}

struct Board {
  ResultStore* store = nullptr;
  BoardServer* server = nullptr;
  int port = 0;
  std::string error;

  explicit Board(const std::string& url, int64_t lockWaitMs = LOCK_WAIT_MS) {
    StoreOptions options;
    options.lockWaitMs = lockWaitMs;
    store = OpenResultStore(url, options, &error);
    if (store == nullptr) return;
    BoardSettings settings;
    settings.logRequests = false;
    settings.expensiveWaitMs = lockWaitMs;
    settings.maxUploadsPerMinute = 0;
    server = StartBoardServer(store, "127.0.0.1", 0, settings, &error);
    if (server != nullptr) port = BoardServerPort(server);
  }
  ~Board() {
    if (server != nullptr) StopBoardServer(server);
    if (store != nullptr) CloseResultStore(store);
  }
};

// While the fault lasts: uploads get 503 with Retry-After, soon; /healthz
// answers 200 and the leaderboard answers (200, or 503 where the fault
// keeps it from reading).
void ExpectRefusedWhilePagesAnswer(int port, int64_t firstAverageMs) {
  for (int64_t n = 0; n < 3; ++n) {
    const auto start = std::chrono::steady_clock::now();
    const RawReply refused = Upload(port, firstAverageMs + n);
    EXPECT_LT(std::chrono::steady_clock::now() - start, REFUSAL_BOUND) << "an upload waited on the fault";
    EXPECT_EQ(refused.status, 503) << refused.body;
    EXPECT_EQ(RawHeader(refused, "Retry-After"), "1");
  }
  EXPECT_EQ(AskRaw(port, "GET /healthz HTTP/1.1\r\nHost: x\r\n\r\n").status, 200);
  const int page = AskRaw(port, "GET / HTTP/1.1\r\nHost: x\r\n\r\n").status;
  EXPECT_TRUE(page == 200 || page == 503) << "the leaderboard answered " << page;
}

TEST(Fault, ALockHeldElsewhereGets503AndPassesWithoutARestart) {
  TestDatabase db("sqlite");
  QM_NEED_DATABASE(db);
  Board board(db.url);
  ASSERT_NE(board.server, nullptr) << board.error;

  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(db.url.substr(7).c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  ExpectRefusedWhilePagesAnswer(board.port, 1000);
  EXPECT_EQ(AskRaw(board.port, "GET /api/results HTTP/1.1\r\nHost: x\r\n\r\n").status, 200)
      << "reading goes on";
  ASSERT_EQ(sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(other);

  const RawReply stored = Upload(board.port, 1000);
  EXPECT_EQ(stored.status, 201) << stored.body;
}

// A small tmpfs of the test's own, unmounted however the test ends.
struct SmallDisk {
  std::filesystem::path path;
  std::string skip;
  explicit SmallDisk(const std::filesystem::path& at) : path(at) {
    if (geteuid() != 0) {
      skip = "filling a disk needs a tmpfs of its own, and mounting one needs root";
      return;
    }
    std::filesystem::create_directory(path);
    if (mount("tmpfs", path.c_str(), "tmpfs", 0, "size=4m") != 0) {
      skip = std::string("cannot mount a tmpfs here: ") + std::strerror(errno);
      path.clear();
    }
  }
  ~SmallDisk() {
    if (!path.empty() && umount2(path.c_str(), 0) != 0) umount2(path.c_str(), MNT_DETACH);
  }
};

// Writes to the file until the disk refuses; true when it did.
bool FillUp(const std::filesystem::path& file) {
  FILE* filler = std::fopen(file.c_str(), "wb");
  if (filler == nullptr) return false;
  const std::string block(4096, 'x');
  bool full = false;
  for (int n = 0; n < 4096 && !full; ++n)  // 16 MB at most, far past the disk's 4
    full = std::fwrite(block.data(), 1, block.size(), filler) != block.size() || std::fflush(filler) != 0;
  std::fclose(filler);
  return full;
}

TEST(Fault, AFullDiskGets503AndPassesOnceSpaceIsFreed) {
  ScratchFolder folder;
  SmallDisk disk(folder.Path() / "disk");
  if (!disk.skip.empty()) GTEST_SKIP() << disk.skip;
  {
    Board board("sqlite:" + (disk.path / "results.db").string());
    ASSERT_NE(board.server, nullptr) << board.error;
    ASSERT_EQ(Upload(board.port, 900).status, 201);

    ASSERT_TRUE(FillUp(disk.path / "filler")) << "the tmpfs never filled";
    ExpectRefusedWhilePagesAnswer(board.port, 1000);
    std::filesystem::remove(disk.path / "filler");

    const RawReply stored = Upload(board.port, 1000);
    EXPECT_EQ(stored.status, 201) << stored.body;
    const RawReply kept = AskRaw(board.port, "GET /api/results HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_NE(kept.body.find("\"total\":2"), std::string::npos) << kept.body;
  }
}

// An ext4 file system of 32 MB on a loop device, mounted with
// errors=remount-ro, so that an error forces it read-only under the files
// open on it, as a failing disk does. Repair mounts a checked copy of it
// in its place (the broken one stays until its last file is closed).
// Unmounted however the test ends.
struct BreakableDisk {
  std::filesystem::path folder, path;
  std::string skip;
  bool mounted = false;

  explicit BreakableDisk(const std::filesystem::path& in) : folder(in), path(in / "disk") {
    if (geteuid() != 0) {
      skip = "a disk to break needs a loop mount, and mounting needs root";
      return;
    }
    std::filesystem::create_directory(path);
    if (!Shell("truncate -s 32M disk.img && mkfs.ext4 -q -F disk.img") || !Mount("disk.img"))
      skip = "cannot make and mount an ext4 image on a loop device here (e2fsprogs, loop devices)";
  }
  ~BreakableDisk() {
    if (mounted) Shell("umount disk || umount -l disk");
  }
  bool Shell(const std::string& command) const {
    return std::system(("cd '" + folder.string() + "' && { " + command + "; } >/dev/null 2>&1").c_str()) == 0;
  }
  bool Mount(const std::string& image) {
    mounted = Shell("mount -o loop,errors=remount-ro " + image + " disk");
    return mounted;
  }
  // The file system's name under /sys/fs/ext4: its loop device's.
  std::string Device() const {
    std::ifstream mounts("/proc/mounts");
    for (std::string device, at, rest; mounts >> device >> at && std::getline(mounts, rest);)
      if (at == path.string() && device.rfind("/dev/", 0) == 0) return device.substr(5);
    return "";
  }
  bool Break() const {
    std::ofstream error("/sys/fs/ext4/" + Device() + "/trigger_fs_error");
    error << "a fault the board's test asked for\n";
    return error.good();
  }
  bool Repair() {
    mounted = !Shell("umount -l disk");
    return !mounted && Shell("cp disk.img mended.img && { e2fsck -fy mended.img || [ $? -le 1 ]; }") &&
           Mount("mended.img");
  }
};

// Leaves count connections in the store's pool: as many exports at once,
// each holding its connection until all have one.
void WarmConnections(ResultStore* store, int count) {
  std::mutex mutex;
  std::condition_variable arrived;
  int holding = 0;
  std::vector<std::thread> readers;
  for (int n = 0; n < count; ++n) {
    readers.emplace_back([&] {
      bool first = true;
      ExportResults(store, [&](const ResultRecord&) {
        std::unique_lock<std::mutex> lock(mutex);
        if (first) ++holding;
        first = false;
        arrived.notify_all();
        EXPECT_TRUE(arrived.wait_for(lock, std::chrono::seconds(30), [&] { return holding == count; }))
            << "waited for " << count << " exports to be reading at once";
        return true;
      });
    });
  }
  for (std::thread& reader : readers) reader.join();
}

TEST(Fault, ADiskForcedReadOnlyGets503AndPassesOnceMended) {
  ScratchFolder folder;
  BreakableDisk disk(folder.Path());
  if (!disk.skip.empty()) GTEST_SKIP() << disk.skip;
  Board board("sqlite:" + (disk.path / "results.db").string());
  ASSERT_NE(board.server, nullptr) << board.error;
  ASSERT_EQ(Upload(board.port, 900).status, 201);
  // Connections opened before the fault and idle through it are on the
  // broken file system as much as those it failed.
  constexpr int WARM = 8;
  WarmConnections(board.store, WARM);

  ASSERT_TRUE(disk.Break()) << "no ext4 error could be raised on " << disk.Device();
  ExpectRefusedWhilePagesAnswer(board.port, 1000);
  ASSERT_TRUE(disk.Repair()) << "the copy of the disk could not be checked and mounted";

  for (int n = 0; n < WARM; ++n) {
    const RawReply stored = Upload(board.port, 1000 + n);
    EXPECT_EQ(stored.status, 201) << "upload " << n << " after the mend: " << stored.body;
    const RawReply kept = AskRaw(board.port, "GET /api/results HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_NE(kept.body.find("\"total\":" + std::to_string(n + 2)), std::string::npos)
        << "page " << n << " after the mend: " << kept.body;
  }
}

// A connection for the test's own statements, as another program's.
struct Session {
  PGconn* connection;
  explicit Session(const std::string& url) : connection(PQconnectdb(url.c_str())) {
    PQsetNoticeProcessor(
        connection, [](void*, const char*) {}, nullptr);
  }
  ~Session() { PQfinish(connection); }
  bool Run(const std::string& sql) {
    PGresult* result = PQexec(connection, sql.c_str());
    const ExecStatusType status = PQresultStatus(result);
    const bool ok = status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
    if (!ok) ADD_FAILURE() << sql << ": " << PQerrorMessage(connection);
    PQclear(result);
    return ok;
  }
};

TEST(Fault, APostgresTableLockGets503WithinTheLockWait) {
  TestDatabase db("postgres");
  QM_NEED_DATABASE(db);
  Board board(db.url);
  ASSERT_NE(board.server, nullptr) << board.error;
  ASSERT_EQ(Upload(board.port, 900).status, 201);

  Session other(db.url);
  ASSERT_TRUE(other.Run("BEGIN") && other.Run("LOCK TABLE results IN ACCESS EXCLUSIVE MODE"));
  ExpectRefusedWhilePagesAnswer(board.port, 1000);
  ASSERT_TRUE(other.Run("COMMIT"));

  const RawReply stored = Upload(board.port, 1000);
  EXPECT_EQ(stored.status, 201) << stored.body;
}

// How many of the clients have a reply to read, waited for until at least
// wanted have (or the wait's bound).
int Answered(const std::vector<RawClient>& clients, int wanted) {
  const auto bound = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  int ready = 0;
  while (ready < wanted && std::chrono::steady_clock::now() < bound) {
    std::vector<pollfd> polled;
    for (const RawClient& client : clients) polled.push_back({client.fd, POLLIN, 0});
    poll(polled.data(), polled.size(), 100);
    ready = 0;
    for (const pollfd& p : polled) ready += (p.revents & POLLIN) != 0;
  }
  return ready;
}

// Searches held up by a locked table: two run, a line waits for a turn, and
// the rest are refused at once while /healthz answers. Once the lock goes,
// every search in the line is answered.
TEST(Fault, SearchesBeyondTheirTurnsWaitInLineAndTheRestAreRefused) {
  TestDatabase db("postgres");
  QM_NEED_DATABASE(db);
  Board board(db.url, 60000);  // longer than the test holds the lock
  ASSERT_NE(board.server, nullptr) << board.error;
  ASSERT_EQ(Upload(board.port, 900).status, 201);
  Session other(db.url);
  ASSERT_TRUE(other.Run("BEGIN") && other.Run("LOCK TABLE results IN ACCESS EXCLUSIVE MODE"));

  const BoardSettings defaults;
  const int admitted = defaults.expensiveAtOnce + defaults.expensiveLine, refused = 3;
  std::vector<RawClient> clients(admitted + refused);
  for (RawClient& client : clients)
    ASSERT_TRUE(ConnectRaw(&client, board.port) &&
                SendRaw(&client, "GET /api/results?q=samsung HTTP/1.1\r\nHost: x\r\n\r\n"));
  ASSERT_EQ(Answered(clients, refused), refused) << "the searches beyond the line were not refused at once";
  EXPECT_EQ(AskRaw(board.port, "GET /healthz HTTP/1.1\r\nHost: x\r\n\r\n").status, 200);

  ASSERT_TRUE(other.Run("COMMIT"));
  int ok = 0, busy = 0;
  for (RawClient& client : clients) {
    std::string pending;
    const RawReply reply = ReadRawReply(&client, &pending);
    ok += reply.status == 200;
    busy += reply.status == 503 && RawHeader(reply, "Retry-After") == "1";
    CloseRaw(&client);
  }
  EXPECT_EQ(ok, admitted);
  EXPECT_EQ(busy, refused);
}

// The database made read-only and its sessions ended: the sessions the
// board opens meanwhile are read-only for good, so they must not be kept.
TEST(Fault, APostgresDatabaseMadeReadOnlyGets503AndPassesOnceWritable) {
  TestDatabase db("postgres");
  QM_NEED_DATABASE(db);
  Board board(db.url);
  ASSERT_NE(board.server, nullptr) << board.error;
  ASSERT_EQ(Upload(board.port, 900).status, 201);

  Session admin(db.postgresAdmin);
  ASSERT_TRUE(admin.Run("ALTER DATABASE " + db.postgresName + " SET default_transaction_read_only = on"));
  ASSERT_TRUE(admin.Run("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = '" +
                        db.postgresName + "'"));
  ExpectRefusedWhilePagesAnswer(board.port, 1000);
  ASSERT_TRUE(admin.Run("ALTER DATABASE " + db.postgresName + " SET default_transaction_read_only = off"));

  const RawReply stored = Upload(board.port, 1000);
  EXPECT_EQ(stored.status, 201) << stored.body;
}

}  // namespace
}  // namespace qm
