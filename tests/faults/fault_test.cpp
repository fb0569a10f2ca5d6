// Faults injected into runs of the built pomvelt-cli: a full disk, read errors, a failing
// sync, and the process killed at random moments. Whatever happens, a map is never lost: its
// path holds either the old bytes or the whole result, and no partial output stays behind.

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <random>
#include <thread>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/test_support.h"
#include "text/strings.h"

extern char** environ;

namespace pomvelt {
namespace {

using test::CrLf;
using test::TempDir;

struct Outcome {
  int status;
  std::string err;
};

// Runs pomvelt-cli in `dir` with extra environment settings, standard error captured.
Outcome RunCli(const TempDir& dir, const std::string& env, const std::string& args) {
  const std::string errFile = dir.File("stderr.txt");
  const std::string command = "cd '" + dir.path().string() + "' && env " + env + " '" +
                              POMVELT_CLI_PATH + "' " + args + " 2>'" + errFile + "'";
  const int raw = std::system(command.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, test::ReadBytes(errFile)};
}

std::string Preload() {
  return std::string("LD_PRELOAD=") + POMVELT_FAULT_SHIM;
}

std::string SampleMap() {
  std::string map = CrLf({"[IMG ID]", "Name=Faults", "[END-IMG ID]"});
  for (int i = 0; i < 3000; ++i) {
    map += CrLf(
        {"[POLYGON]", i % 2 ? "Type=0x4b" : "Type=0x1", "Label=L", "Data0=(1,2),(3,4)", "[END]"});
  }
  return map;
}

TEST(Faults, FullDiskAndReadErrorsLeaveTheMapAndGoOn) {
  const std::string map = SampleMap();
  struct Case {
    const char* what;
    std::string env;  // besides the preload
    std::string message;
  };
  std::vector<Case> cases;
  const double resultSize = static_cast<double>(map.size()) / 2;  // every other polygon
  for (double at : {0.0, 0.001, 0.3, 0.7, 0.98}) {
    cases.push_back({"full disk",
                     "POMVELT_FAULT_PATH=a_0x4b_deleted POMVELT_FAULT_WRITE_AFTER=" +
                         std::to_string(static_cast<long long>(at * resultSize)),
                     "Ошибка записи файла "});
    cases.push_back(
        {"read error",
         "POMVELT_FAULT_PATH=/a.mp POMVELT_FAULT_READ_AFTER=" +
             std::to_string(static_cast<long long>(at * static_cast<double>(map.size()))),
         "Ошибка чтения файла "});
  }
  cases.push_back({"failing sync", "POMVELT_FAULT_PATH=a_0x4b_deleted POMVELT_FAULT_FSYNC=1",
                   "Ошибка записи файла "});
  for (const Case& c : cases) {
    TempDir dir;
    test::WriteBytes(dir.File("a.mp"), map);
    test::WriteBytes(dir.File("b.mp"), map);
    const Outcome o = RunCli(dir, Preload() + " " + c.env, "delete-elements a.mp b.mp");
    SCOPED_TRACE(std::string(c.what) + " " + c.env);
    EXPECT_EQ(o.status, 1) << o.err;
    EXPECT_NE(o.err.find(c.message), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("Готово"), std::string::npos);
    EXPECT_TRUE(test::ReadBytes(dir.File("a.mp")) == map);
    EXPECT_FALSE(test::Exists(dir.File("a_0x4b_deleted.mp")));
    // The next file is still processed.
    const std::string b = test::ReadBytes(dir.File("b.mp"));
    EXPECT_LT(b.size(), map.size());
    EXPECT_EQ(b.find("Type=0x4b"), std::string::npos);
  }
}

pid_t Spawn(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

// Kills in-place runs at random moments; the map must always be old or new, never a mixture.
TEST(Faults, KilledRunsNeverLeaveAPartialMap) {
  TempDir dir;
  const std::string original = dir.File("original.mp");
  const std::string genmap =
      std::string("'") + POMVELT_GENMAP_PATH + "' '" + original + "' 8000000 7";
  ASSERT_EQ(std::system(genmap.c_str()), 0);
  // Level 0 emptied, so that the level fill has work to do too.
  std::string before = test::ReadBytes(original);
  ReplaceAll(before, "Data0=", "Data6=");
  ReplaceAll(before, "Origin0=", "Origin6=");
  test::WriteBytes(original, before);
  const std::vector<std::vector<std::string>> commands = {
      {"delete-elements"},
      {"replace-type"},
      {"delete-layer", "--layer", "1"},
      {"search-replace", "--find", "Type=0x1", "--replace", "Type=0x2"},
      {"eurasia", "--remove-levels"},
      {"eurasia", "--fill-levels"},
      {"convert", "--translit", "to-russian"},
      {"convert", "--translit", "to-translit", "--lower-case"},
  };
  std::mt19937 random(12345);
  for (const std::vector<std::string>& command : commands) {
    SCOPED_TRACE(command[0]);
    // The complete result, and how long a run takes.
    const std::string map = dir.File("map.mp");
    std::filesystem::copy_file(original, map, std::filesystem::copy_options::overwrite_existing);
    std::vector<std::string> args = {POMVELT_CLI_PATH};
    args.insert(args.end(), command.begin(), command.end());
    args.push_back(map);
    const auto start = std::chrono::steady_clock::now();
    int status = 0;
    waitpid(Spawn(args), &status, 0);
    const auto duration = std::chrono::steady_clock::now() - start;
    const std::string after = test::ReadBytes(map);
    ASSERT_NE(after, before);
    int killedMidway = 0;
    for (int i = 0; i < 50; ++i) {
      std::filesystem::copy_file(original, map, std::filesystem::copy_options::overwrite_existing);
      const auto wait = std::chrono::duration_cast<std::chrono::microseconds>(duration) *
                        std::uniform_real_distribution<double>(0.0, 1.0)(random);
      const pid_t pid = Spawn(args);
      std::this_thread::sleep_for(wait);
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      if (WIFSIGNALED(status)) ++killedMidway;
      const std::string now = test::ReadBytes(map);
      ASSERT_TRUE(now == before || now == after)
          << "kill " << i << " left " << now.size() << " bytes";
    }
    EXPECT_GE(killedMidway, 5);  // most kills land mid-run, unless the machine is very slow
  }
}

}  // namespace
}  // namespace pomvelt

namespace pomvelt {
namespace {

// One line of 100 MiB through every in-place command: it comes out whole, and the program's
// memory stays within a small multiple of that line.
TEST(Faults, AHundredMebibyteLine) {
  TempDir dir;
  const std::string map = dir.File("line.mp");
  const std::string line = ";" + std::string(100 << 20, 'a');  // a comment: no command changes it
  test::WriteBytes(map, line);
  for (const std::vector<std::string>& command : std::vector<std::vector<std::string>>{
           {"delete-elements"},
           {"replace-type"},
           {"delete-layer"},
           {"search-replace"},
           {"eurasia", "--remove-levels"},
           {"eurasia", "--fill-levels"},
           {"convert", "--translit", "to-russian"},
       }) {
    SCOPED_TRACE(command[0]);
    test::WriteBytes(map, line);
    // Measured by time(1): a child spawned from this big test process would be charged with
    // the test's own memory.
    const std::string rss = dir.File("rss.txt");
    std::vector<std::string> args = {"/usr/bin/time", "-f", "%M", "-o", rss, POMVELT_CLI_PATH};
    args.insert(args.end(), command.begin(), command.end());
    args.push_back(map);
    int status = 0;
    waitpid(Spawn(args), &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const std::string after = test::ReadBytes(map);
    EXPECT_TRUE(after == line || after == line + "\r\n");
    EXPECT_LT(std::stol(test::ReadBytes(rss)), 3 * 100 * 1024 + 16 * 1024);  // KiB
  }
}

}  // namespace
}  // namespace pomvelt
