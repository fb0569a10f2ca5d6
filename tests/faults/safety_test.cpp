// What other runs, planted names, limits and odd files can do to an in-place run of the built
// pomvelt-cli: never destroy a map or a file beside it, and never leave debris.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>
#include <thread>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "faults/cli_runs.h"
#include "support/test_support.h"

namespace pomvelt {
namespace {

namespace fs = std::filesystem;
using faults::CliArgs;
using faults::Quoted;
using faults::RunCli;
using faults::Spawn;
using faults::WaitFor;
using test::TempDir;
using Names = std::set<std::string>;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// A map every command has work in, shared by the tests (generated once).
const std::string& SmallMap() {
  static const std::string bytes = [] {
    TempDir dir;
    faults::WriteGeneratedMap(dir.File("m.mp"), 300000, 3);
    return test::ReadBytes(dir.File("m.mp"));
  }();
  return bytes;
}

// --- naming ---------------------------------------------------------------------------------

// A file of the user's under a --copy name, or a link planted there, is left exactly as it was
// by every in-place command; nothing else appears or stays behind.
TEST(Naming, InPlaceRunsNeverTouchTheCopyNames) {
  for (const faults::InPlaceCommand& command : faults::InPlaceCommands()) {
    SCOPED_TRACE(command.args[0] + " " + (command.args.size() > 1 ? command.args[1] : ""));
    TempDir reference;
    test::WriteBytes(reference.File("map.mp"), SmallMap());
    const std::string expected = faults::ResultOf(command.args, reference.File("map.mp"));
    ASSERT_NE(expected, SmallMap());
    for (const bool links : {false, true}) {
      TempDir dir;
      test::WriteBytes(dir.File("map.mp"), SmallMap());
      test::WriteBytes(dir.File("victim.txt"), "victim\n");
      Names names = {"map.mp", "victim.txt", "stderr.txt"};
      for (const std::string& suffix : command.copySuffixes) {
        if (links) {
          fs::create_symlink(dir.File("victim.txt"), dir.File("map" + suffix));
        } else {
          test::WriteBytes(dir.File("map" + suffix), "mine " + suffix);
        }
        names.insert("map" + suffix);
      }
      std::string args;
      for (const std::string& a : command.args) args += Quoted(a) + " ";
      const faults::Outcome o = RunCli(dir, "", args + "map.mp");
      EXPECT_EQ(o.status, 0) << o.err;
      EXPECT_TRUE(test::ReadBytes(dir.File("map.mp")) == expected);
      EXPECT_EQ(test::ReadBytes(dir.File("victim.txt")), "victim\n");
      for (const std::string& suffix : command.copySuffixes) {
        const std::string name = dir.File("map" + suffix);
        EXPECT_EQ(fs::is_symlink(name), links) << suffix;
        if (!links) {
          EXPECT_EQ(test::ReadBytes(name), "mine " + suffix);
        }
      }
      EXPECT_EQ(test::FileNames(dir), names);
    }
  }
}

// Maps whose names or places made the old temporary impossible or harmful.
TEST(Naming, AnyMapTheFileSystemHoldsIsEditedInPlace) {
  const std::vector<std::string> command = {"search-replace", "--find", "Type=0x1", "--replace",
                                            "Type=0x2"};
  TempDir reference;
  test::WriteBytes(reference.File("m.mp"), SmallMap());
  const std::string expected = faults::ResultOf(command, reference.File("m.mp"));
  std::string cyrillic;
  while (cyrillic.size() + 2 <= 252) cyrillic += "к";  // two bytes each: the cut must not split
  struct Case {
    const char* what;
    std::vector<std::string> maps;  // the files given, relative to the folder, all maps
  } cases[] = {
      {"a 255-byte name", {std::string(252, 'n') + ".mp"}},
      {"a 253-byte name in Cyrillic", {cyrillic + ".mp"}},
      {"a hidden map", {".m.mp"}},
      // The second map's name is the first one's old temporary.
      {"a batch of a map and its copy name", {"a.mp", "a_replaced.mp"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    Names names = {"stderr.txt"};
    std::string args;
    for (const std::string& a : command) args += Quoted(a) + " ";
    for (const std::string& m : c.maps) {
      test::WriteBytes(dir.File(m), SmallMap());
      names.insert(m);
      args += Quoted(m) + " ";
    }
    const faults::Outcome o = RunCli(dir, "", args);
    EXPECT_EQ(o.status, 0) << o.err;
    for (const std::string& m : c.maps) EXPECT_TRUE(test::ReadBytes(dir.File(m)) == expected);
    EXPECT_EQ(test::FileNames(dir), names);
  }
}

// Through a link the real map is edited in its own folder, whatever file system that is on;
// its owner, group and permission bits stay.
TEST(Naming, ThroughALinkOnAnotherFileSystemWithItsOwner) {
  const std::vector<std::string> command = {"delete-elements"};
  TempDir reference;
  test::WriteBytes(reference.File("m.mp"), SmallMap());
  const std::string expected = faults::ResultOf(command, reference.File("m.mp"));

  const std::string shm = "/dev/shm/pomvelt-faults-" + std::to_string(::getpid());
  fs::create_directories(shm);
  const std::string real = shm + "/real.mp";
  test::WriteBytes(real, SmallMap());
  struct stat st {};
  ASSERT_EQ(::stat(real.c_str(), &st), 0);
  const bool root = ::geteuid() == 0;
  if (root) {  // "nobody"
    ASSERT_EQ(::chown(real.c_str(), 65534, 65534), 0);
  }
  ASSERT_EQ(::chmod(real.c_str(), 0640), 0);

  TempDir dir;
  fs::create_symlink(real, dir.File("link.mp"));
  const faults::Outcome o = RunCli(dir, "", "delete-elements link.mp");
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_TRUE(fs::is_symlink(dir.File("link.mp")));
  EXPECT_TRUE(test::ReadBytes(real) == expected);
  struct stat after {};
  ASSERT_EQ(::stat(real.c_str(), &after), 0);
  EXPECT_EQ(after.st_mode & 07777, 0640u);
  if (root) {
    EXPECT_EQ(after.st_uid, 65534u);
    EXPECT_EQ(after.st_gid, 65534u);
  }
  // The map, and the folder of the original kept for undo beside the real file.
  EXPECT_EQ(std::distance(fs::directory_iterator(shm), fs::directory_iterator()), 2);
  EXPECT_TRUE(test::Exists((fs::path(shm) / ".pomvelt-undo").string()));
  fs::remove_all(shm);
  if (!root) GTEST_SKIP() << "the owner is kept only where the process may set it (root)";
}

// --- locking --------------------------------------------------------------------------------

// Two different edits started at once on one map: the map ends as both applied, in one order
// or the other, never a mixture and never one of them lost. A run given --no-wait may instead
// refuse the locked map, and then the other's edit alone is there.
TEST(Locking, TwoRunsAtOnceBothLand) {
  // The full figures (a 64 MiB map, 20 rounds) with POMVELT_FAULTS_FULL=1.
  const bool full = std::getenv("POMVELT_FAULTS_FULL") != nullptr;
  const long size = full ? 64L << 20 : 8L << 20;
  const int rounds = full ? 20 : 4;
  TempDir dir;
  const std::string original = dir.File("original.mp");
  faults::WriteGeneratedMap(original, size);
  const std::vector<std::string> a = {"search-replace", "--find", "Type=0x1", "--replace",
                                      "Type=0x2"};
  const std::vector<std::string> b = {"delete-elements", "--type", "0x4b"};
  const auto then = [&](const std::vector<std::string>& command, const std::string& bytes) {
    TempDir scratch;
    test::WriteBytes(scratch.File("x.mp"), bytes);
    return faults::ResultOf(command, scratch.File("x.mp"));
  };
  const std::string onlyA = faults::ResultOf(a, original);
  const std::string onlyB = faults::ResultOf(b, original);
  const std::string aThenB = then(b, onlyA);
  const std::string bThenA = then(a, onlyB);
  ASSERT_NE(onlyA, onlyB);
  const std::string map = dir.File("map.mp");
  for (const bool noWait : {false, true}) {
    int refused = 0;
    for (int round = 0; round < rounds; ++round) {
      SCOPED_TRACE((noWait ? "--no-wait, round " : "waiting, round ") + std::to_string(round));
      fs::copy_file(original, map, fs::copy_options::overwrite_existing);
      std::vector<std::string> argsA = CliArgs(a), argsB = CliArgs(b);
      if (noWait) argsB.push_back("--no-wait");
      argsA.push_back(map);
      argsB.push_back(map);
      const pid_t pa = Spawn(argsA);
      // Every other round the second run surely finds the first one's lock.
      if (round % 2 == 1) std::this_thread::sleep_for(std::chrono::milliseconds(30));
      const pid_t pb = Spawn(argsB, dir.File("b.txt"));
      const int statusA = WaitFor(pa), statusB = WaitFor(pb);
      const std::string now = test::ReadBytes(map);
      EXPECT_EQ(statusA, 0);
      if (statusB == 1) {
        ++refused;
        EXPECT_TRUE(noWait);
        EXPECT_TRUE(Contains(test::ReadBytes(dir.File("b.txt")),
                             "Файл " + map + " занят другим запуском Pomvelt"));
        EXPECT_TRUE(now == onlyA);
      } else {
        EXPECT_EQ(statusB, 0);
        EXPECT_TRUE(now == aThenB || now == bThenA) << now.size() << " bytes";
      }
      EXPECT_EQ(test::FileNames(dir), (Names{"original.mp", "map.mp", "b.txt"}));
    }
    if (noWait) {  // the runs did meet
      EXPECT_GT(refused, 0);
    }
  }
}

// --- limits ---------------------------------------------------------------------------------

// A limit that makes one map fail names that map; the next map of the batch is still done.
TEST(Limits, AFileSizeOrMemoryLimitFailsOneMapCleanly) {
  const std::string small = SmallMap();
  TempDir reference;
  test::WriteBytes(reference.File("m.mp"), small);
  const std::vector<std::string> command = {"search-replace", "--find", "Type=0x1", "--replace",
                                            "Type=0x2"};
  const std::string expected = faults::ResultOf(command, reference.File("m.mp"));
  // The full figure is a line of 1 GiB; 192 MiB make the same point in a fraction of the time.
  const bool full = std::getenv("POMVELT_FAULTS_FULL") != nullptr;
  const std::size_t lineSize = full ? std::size_t{1} << 30 : std::size_t{192} << 20;
  struct Case {
    const char* what;
    std::string limit;
    std::function<std::string()> bigMap;
    std::string message;  // followed by the big map's path and the system's reason, if any
  } cases[] = {
      {"file size", "prlimit --fsize=" + std::to_string(small.size() * 2),
       [&] {
         std::string big;
         while (big.size() < small.size() * 4) big += small;
         return big;
       },
       "Ошибка записи файла big.mp: File too large\n"},
      {"memory", "prlimit --as=" + std::to_string(lineSize / 2),
       [&] { return ";" + std::string(lineSize, 'a') + "\r\n"; },
       "Недостаточно памяти для файла big.mp\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const std::string big = c.bigMap();
    test::WriteBytes(dir.File("big.mp"), big);
    test::WriteBytes(dir.File("small.mp"), small);
    std::string args;
    for (const std::string& a : command) args += Quoted(a) + " ";
    const faults::Outcome o = RunCli(dir, c.limit, args + "big.mp small.mp");
    EXPECT_EQ(o.status, 1) << o.err;
    EXPECT_TRUE(Contains(o.err, c.message)) << o.err;
    EXPECT_TRUE(Contains(o.err, "Готово"));
    EXPECT_TRUE(test::ReadBytes(dir.File("big.mp")) == big);
    EXPECT_TRUE(test::ReadBytes(dir.File("small.mp")) == expected);
    EXPECT_EQ(test::FileNames(dir), (Names{"big.mp", "small.mp", "stderr.txt"}));
  }
}

// --- odd files ------------------------------------------------------------------------------

// Files no command can treat as a map are refused at once, left as they are, and the batch
// goes on.
TEST(OddFiles, AreRefusedWithoutBlockingOrWriting) {
  const std::string small = SmallMap();
  TempDir reference;
  test::WriteBytes(reference.File("m.mp"), small);
  const std::string expected = faults::ResultOf({"delete-elements"}, reference.File("m.mp"));
  using namespace std::string_literals;
  struct Case {
    const char* what;
    std::function<void(const std::string&)> make;
    std::string message;  // "" + path: the message names the file
  } cases[] = {
      {"a FIFO", [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0); },
       "Не могу открыть файл для чтения"},
      {"a socket",
       [](const std::string& p) {
         const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
         sockaddr_un addr{};
         addr.sun_family = AF_UNIX;
         p.copy(addr.sun_path, sizeof addr.sun_path - 1);
         ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
         ::close(fd);
       },
       "Не могу открыть файл для чтения"},
      {"a device", [](const std::string& p) { fs::create_symlink("/dev/zero", p); },
       "Не могу открыть файл для чтения"},
      {"UTF-16, little-endian", [](const std::string& p) { test::WriteBytes(p, "\xFF\xFE;\0"s); },
       "в кодировке UTF-16 не поддерживается"},
      {"UTF-16, big-endian", [](const std::string& p) { test::WriteBytes(p, "\xFE\xFF\0;"s); },
       "в кодировке UTF-16 не поддерживается"},
      {"UTF-32, little-endian",
       [](const std::string& p) { test::WriteBytes(p, "\xFF\xFE\0\0;\0\0\0"s); },
       "в кодировке UTF-32 не поддерживается"},
      {"UTF-32, big-endian",
       [](const std::string& p) { test::WriteBytes(p, "\0\0\xFE\xFF\0\0\0;"s); },
       "в кодировке UTF-32 не поддерживается"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const std::string odd = dir.File("odd.mp");
    c.make(odd);
    const std::string oddBytes = fs::is_regular_file(odd) ? test::ReadBytes(odd) : "";
    test::WriteBytes(dir.File("good.mp"), small);
    for (const bool copy : {false, true}) {
      const faults::Outcome o =
          RunCli(dir, "timeout 20",
                 std::string("delete-elements ") + (copy ? "--copy " : "") + "odd.mp good.mp");
      EXPECT_EQ(o.status, 1) << o.err;
      const bool named = Contains(c.message, "UTF");
      EXPECT_TRUE(Contains(o.err, named ? "Файл odd.mp " + c.message : c.message)) << o.err;
      if (fs::is_regular_file(odd)) {
        EXPECT_TRUE(test::ReadBytes(odd) == oddBytes);
      }
      EXPECT_FALSE(test::Exists(dir.File("odd_0x4b_deleted.mp")));
    }
    EXPECT_TRUE(test::ReadBytes(dir.File("good.mp")) == expected);
    EXPECT_TRUE(test::ReadBytes(dir.File("good_0x4b_deleted.mp")) == expected);
    EXPECT_EQ(test::FileNames(dir),
              (Names{"odd.mp", "good.mp", "good_0x4b_deleted.mp", "stderr.txt"}));
  }
}

}  // namespace
}  // namespace pomvelt
