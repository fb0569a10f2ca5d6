// Faults injected into runs of the built pomvelt-cli: a full disk, read errors, a failing
// sync, and the process killed at random moments. Whatever happens, a map is never lost: its
// path holds either the old bytes or the whole result, and no partial output stays behind.

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <random>
#include <thread>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "faults/cli_runs.h"
#include "support/test_support.h"
#include "text/strings.h"

namespace pomvelt {
namespace {

using faults::CliArgs;
using faults::Outcome;
using faults::Preload;
using faults::RunCli;
using faults::Spawn;
using test::CrLf;
using test::TempDir;

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
    std::string env;      // besides the preload
    std::string message;  // followed by the map and the system's reason
    std::string reason;
  };
  std::vector<Case> cases;
  const double resultSize = static_cast<double>(map.size()) / 2;  // every other polygon
  for (double at : {0.0, 0.001, 0.3, 0.7, 0.98}) {
    cases.push_back({"full disk",
                     "POMVELT_FAULT_PATH=/.a.mp~ POMVELT_FAULT_WRITE_AFTER=" +
                         std::to_string(static_cast<long long>(at * resultSize)),
                     "Ошибка записи файла ", "No space left on device"});
    cases.push_back(
        {"read error",
         "POMVELT_FAULT_PATH=/a.mp POMVELT_FAULT_READ_AFTER=" +
             std::to_string(static_cast<long long>(at * static_cast<double>(map.size()))),
         "Ошибка чтения файла ", "Input/output error"});
  }
  cases.push_back({"failing sync", "POMVELT_FAULT_PATH=/.a.mp~ POMVELT_FAULT_FSYNC=1",
                   "Ошибка записи файла ", "Input/output error"});
  for (const Case& c : cases) {
    TempDir dir;
    test::WriteBytes(dir.File("a.mp"), map);
    test::WriteBytes(dir.File("b.mp"), map);
    const Outcome o = RunCli(dir, "env " + Preload() + " " + c.env, "delete-elements a.mp b.mp");
    SCOPED_TRACE(std::string(c.what) + " " + c.env);
    EXPECT_EQ(o.status, 1) << o.err;
    EXPECT_NE(o.err.find(c.message + "a.mp: " + c.reason + "\n"), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("Готово"), std::string::npos);
    EXPECT_TRUE(test::ReadBytes(dir.File("a.mp")) == map);
    EXPECT_EQ(test::FileNames(dir), (std::set<std::string>{"a.mp", "b.mp", "stderr.txt"}));
    // The next file is still processed.
    const std::string b = test::ReadBytes(dir.File("b.mp"));
    EXPECT_LT(b.size(), map.size());
    EXPECT_EQ(b.find("Type=0x4b"), std::string::npos);
  }
}

// Kills and stop signals at random moments of in-place runs: the map is always old or new,
// never a mixture, no file appears under a --copy name, and the next run clears away whatever
// temporary a killed run left.
TEST(Signals, KilledRunsNeverLeaveAPartialMapOrDebris) {
  // Signals that stop a run before it has set its handlers must not leave a core file.
  const rlimit noCore{0, 0};
  setrlimit(RLIMIT_CORE, &noCore);
  TempDir dir;
  const std::string original = dir.File("original.mp");
  faults::WriteGeneratedMap(original, 8000000);
  const std::string before = test::ReadBytes(original);
  std::vector<int> signals(30, SIGKILL);
  signals.insert(signals.end(), 5, SIGHUP);
  signals.insert(signals.end(), 5, SIGQUIT);
  std::mt19937 random(12345);
  for (const faults::InPlaceCommand& command : faults::InPlaceCommands()) {
    SCOPED_TRACE(command.args[0] + " " + (command.args.size() > 1 ? command.args[1] : ""));
    // The complete result, and how long a run takes.
    const std::string map = dir.File("map.mp");
    std::filesystem::copy_file(original, map, std::filesystem::copy_options::overwrite_existing);
    std::vector<std::string> args = CliArgs(command.args);
    args.push_back(map);
    const auto start = std::chrono::steady_clock::now();
    faults::WaitFor(Spawn(args));
    const auto duration = std::chrono::steady_clock::now() - start;
    const std::string after = test::ReadBytes(map);
    ASSERT_NE(after, before);
    int killedMidway = 0;
    for (std::size_t i = 0; i < signals.size(); ++i) {
      std::filesystem::copy_file(original, map, std::filesystem::copy_options::overwrite_existing);
      const auto wait = std::chrono::duration_cast<std::chrono::microseconds>(duration) *
                        std::uniform_real_distribution<double>(0.0, 1.0)(random);
      const pid_t pid = Spawn(args);
      std::this_thread::sleep_for(wait);
      kill(pid, signals[i]);
      int status = 0;
      waitpid(pid, &status, 0);
      if (WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) == 130)) {
        ++killedMidway;
      }
      const std::string now = test::ReadBytes(map);
      ASSERT_TRUE(now == before || now == after)
          << "signal " << signals[i] << " (" << i << ") left " << now.size() << " bytes";
      for (const std::string& suffix : command.copySuffixes) {
        ASSERT_FALSE(test::Exists(dir.File("map" + suffix))) << suffix;
      }
    }
    EXPECT_GE(killedMidway, 5);  // most kills land mid-run, unless the machine is very slow
    faults::WaitFor(Spawn(args));
    EXPECT_EQ(test::FileNames(dir), (std::set<std::string>{"map.mp", "original.mp"}));
  }
}

// Runs pomvelt-cli to its end with standard error captured.
Outcome RunToEnd(const std::vector<std::string>& args, const std::string& errFile) {
  const int status = faults::WaitFor(Spawn(args, errFile));
  return {status, test::ReadBytes(errFile)};
}

// Kills in-place batches at random moments, one job and two, then takes them back: every map
// is its original again, or, where the kill came before its undo entry was complete, whole (the
// old bytes or the whole result) and left alone by undo, which names it.
TEST(Faults, KilledBatchesAreTakenBack) {
  TempDir source;
  const std::string original = source.File("original.mp");
  const std::string genmap =
      std::string("'") + POMVELT_GENMAP_PATH + "' '" + original + "' 600000 11";
  ASSERT_EQ(std::system(genmap.c_str()), 0);
  const std::string before = test::ReadBytes(original);
  const std::vector<std::string> maps = {"m1.mp", "m2.mp", "m3.mp", "m4.mp", "m5.mp"};
  const std::vector<std::vector<std::string>> commands = {
      {"delete-elements", "--kind", "line", "--type", "0x1"},
      {"eurasia", "--remove-levels"},
      {"convert", "--translit", "to-russian"},
  };
  std::mt19937 random(777);
  for (const char* jobs : {"1", "2"})
    for (const std::vector<std::string>& command : commands) {
      SCOPED_TRACE(command[0] + " --jobs " + jobs);
      const auto run = [&](const TempDir& dir) {
        std::vector<std::string> args = {POMVELT_CLI_PATH};
        args.insert(args.end(), command.begin(), command.end());
        args.insert(args.end(), {"--jobs", jobs});
        for (const std::string& m : maps) {
          std::filesystem::copy_file(original, dir.File(m));
          args.push_back(dir.File(m));
        }
        return args;
      };
      std::string after;
      std::chrono::steady_clock::duration duration;
      {
        TempDir dir;
        const std::vector<std::string> args = run(dir);
        const auto start = std::chrono::steady_clock::now();
        ASSERT_EQ(RunToEnd(args, dir.File("err.txt")).status, 0);
        duration = std::chrono::steady_clock::now() - start;
        after = test::ReadBytes(dir.File(maps[0]));
        ASSERT_NE(after, before);
      }
      int takenBack = 0;
      for (int i = 0; i < 12; ++i) {
        TempDir dir;
        const std::vector<std::string> args = run(dir);
        const auto wait = std::chrono::duration_cast<std::chrono::microseconds>(duration) *
                          std::uniform_real_distribution<double>(0.0, 1.0)(random);
        const pid_t pid = Spawn(args);
        std::this_thread::sleep_for(wait);
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);

        const Outcome undo =
            RunToEnd({POMVELT_CLI_PATH, "undo", dir.path().string()}, source.File("undo.txt"));
        if (undo.err.find("Восстановлен файл ") != std::string::npos) ++takenBack;
        for (const std::string& m : maps) {
          const std::string now = test::ReadBytes(dir.File(m));
          if (now == before) continue;
          ASSERT_TRUE(now == after)
              << "kill " << i << " left " << m << " with " << now.size() << " bytes\n"
              << undo.err;
          // Still the result: only an entry the kill cut short may leave it so.
          ASSERT_NE(undo.err.find(dir.File(m) + " не была завершена"), std::string::npos)
              << "kill " << i << ": " << m << " was not taken back\n"
              << undo.err;
          EXPECT_EQ(undo.status, 1);
        }
      }
      // With one job most kills come after some map was replaced, unless the machine is very
      // slow; with two the first maps land together, late in the run.
      if (std::string(jobs) == "1") {
        EXPECT_GE(takenBack, 3);
      }
    }
}

// Where the file system refuses hard links, the originals are copied, the run says so, and
// undo still gives them back.
TEST(Faults, OriginalsAreCopiedWhereHardLinksAreRefused) {
  TempDir dir;
  const std::string map = CrLf({"[IMG ID]", "[END-IMG ID]", "[POLYGON]", "Type=0x4b", "[END]"});
  test::WriteBytes(dir.File("a.mp"), map);
  test::WriteBytes(dir.File("b.mp"), map);
  Outcome o = RunCli(dir, Preload() + " POMVELT_FAULT_NO_LINKS=1", "delete-elements a.mp b.mp");
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_NE(o.err.find(" (копиями); сохранённые пакеты занимают "), std::string::npos) << o.err;
  EXPECT_NE(test::ReadBytes(dir.File("a.mp")), map);
  o = RunCli(dir, "", "undo");
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_TRUE(test::ReadBytes(dir.File("a.mp")) == map);
  EXPECT_TRUE(test::ReadBytes(dir.File("b.mp")) == map);
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
