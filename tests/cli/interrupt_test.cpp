// Signals to the built program: the file in hand is left as it was, with nothing beside it,
// also when it is the last or only one, and a running compiler is stopped.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

#include "support/test_support.h"

extern char** environ;

namespace pomvelt {
namespace {

using test::Exists;
using test::TempDir;

std::set<std::string> Names(const TempDir& dir) {
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
    names.insert(e.path().filename().string());
  }
  return names;
}

// FNV-1a over the file, read in blocks: a map of hundreds of MiB never sits in memory.
std::uint64_t Digest(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> block(1 << 20);
  std::uint64_t h = 1469598103934665603ull;
  while (in.read(block.data(), static_cast<std::streamsize>(block.size())) || in.gcount() > 0) {
    for (std::streamsize i = 0; i < in.gcount(); ++i) {
      h = (h ^ static_cast<unsigned char>(block[static_cast<std::size_t>(i)])) * 1099511628211ull;
    }
  }
  return h;
}

// A map of about `mib` MiB in which every element is one that delete-elements removes and
// whose labels the translation changes.
void WriteBigMap(const std::string& path, int mib) {
  std::string block = "[IMG ID]\r\nName=Big\r\n[END-IMG ID]\r\n";
  std::string element =
      "[POLYGON]\r\nType=0x4b\r\nLabel=SHIROKAYA ULITSA\r\nData0=(56.1,38.1),(56.2,38.2)\r\n"
      "[END]\r\n";
  std::ofstream out(path, std::ios::binary);
  out << block;
  std::string chunk;
  while (chunk.size() < (1 << 20)) chunk += element;
  for (int i = 0; i < mib; ++i) out << chunk;
}

struct Started {
  pid_t pid;
  std::string errPath;
};

Started Start(const std::vector<std::string>& args, const std::string& errPath) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<std::string> all = {POMVELT_CLI_PATH};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  EXPECT_EQ(posix_spawn(&pid, POMVELT_CLI_PATH, &actions, nullptr, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  return {pid, errPath};
}

// Waits until `ready` holds (at most 30 s), then 50 ms more, sends the signal and returns the
// program's exit status (-1 when it did not exit by itself).
int SignalWhen(const Started& run, int sig, const std::function<bool()>& ready) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!ready() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ::kill(run.pid, sig);
  int status = 0;
  ::waitpid(run.pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool ErrHolds(const std::string& errPath, const std::string& text) {
  return Exists(errPath) && test::ReadBytes(errPath).find(text) != std::string::npos;
}

TEST(Interrupt, TheOnlyMapIsLeftAsItWasWithNothingBesideIt) {
  struct Case {
    int sig;
    std::vector<std::string> command;
    int mib;
  };
  for (const Case& c : std::vector<Case>{
           {SIGINT, {"delete-elements"}, 200},
           {SIGTERM, {"delete-elements", "--copy"}, 100},
           {SIGHUP, {"convert", "--translit", "to-russian"}, 100},
       }) {
    SCOPED_TRACE(c.command[0] + " " + strsignal(c.sig));
    TempDir dir, logs;
    const std::string map = dir.File("big.mp");
    WriteBigMap(map, c.mib);
    const std::uint64_t before = Digest(map);
    std::vector<std::string> args = c.command;
    args.push_back(map);
    const Started run = Start(args, logs.File("err.txt"));
    // "[1] big.mp" is written just before the work on the map begins.
    const int status = SignalWhen(run, c.sig, [&] { return ErrHolds(run.errPath, "[1] big.mp"); });
    EXPECT_EQ(status, 130) << test::ReadBytes(run.errPath);
    // Nothing of the stopped file is counted.
    const std::string err = test::ReadBytes(run.errPath);
    const std::string summary =
        "[1] big.mp\nПрервано: 1 файл, изменено 0, без изменений 0, с ошибками 0, не начато 1";
    EXPECT_TRUE(err.starts_with(summary)) << err;
    EXPECT_EQ(err.find_first_of("123456789", summary.size()), std::string::npos) << err;
    EXPECT_EQ(Digest(map), before);
    EXPECT_EQ(Names(dir), std::set<std::string>{"big.mp"});
  }
}

TEST(Interrupt, ARunningCompilerIsStoppedAndItsMapKept) {
  TempDir bin, dir;
  const std::string log = bin.File("log");
  test::WriteShellProgram(bin.File("slowc"), "trap 'echo term >> " + log +
                                                 "; exit 143' TERM\ntouch " + bin.File("started") +
                                                 "\nsleep 60 &\nwait\n");
  test::WriteBytes(dir.File("a.mp"), "[IMG ID]\r\n[END-IMG ID]\r\n");
  test::WriteBytes(dir.File("b.mp"), "[IMG ID]\r\n[END-IMG ID]\r\n");
  const auto start = std::chrono::steady_clock::now();
  // One job: with more, b.mp's compiler may have started too when the signal comes.
  const Started run = Start({"convert", "--compile", "--delete-mp", "--jobs", "1", "--compiler",
                             bin.File("slowc"), dir.File("a.mp"), dir.File("b.mp")},
                            bin.File("err.txt"));
  const int status = SignalWhen(run, SIGINT, [&] { return Exists(bin.File("started")); });
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  EXPECT_EQ(status, 130);
  EXPECT_TRUE(test::ReadBytes(bin.File("err.txt"))
                  .starts_with("[1] a.mp\nПрервано: 2 файла, изменено 0, без изменений 0, с "
                               "ошибками 0, не начато 2; декомпилировано: 0, переведено: 0, "
                               "скомпилировано: 0, ошибок компилятора: 0\n"));
  EXPECT_EQ(test::ReadBytes(log), "term\n");
  EXPECT_EQ(Names(dir), (std::set<std::string>{"a.mp", "b.mp"}));
}

}  // namespace
}  // namespace pomvelt
