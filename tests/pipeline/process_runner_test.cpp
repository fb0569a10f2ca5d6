#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "pipeline/process_runner.h"
#include "support/test_support.h"
#include "text/cp1251.h"

namespace pomvelt {
namespace {

using test::PathPrefix;
using test::ScopedEnv;
using test::TempDir;
using test::WriteShellProgram;

// A program that writes each of its arguments on a line of `log`, then exits with `status`.
void WriteArgLogger(const std::string& path, const std::string& log, int status = 0) {
  WriteShellProgram(path, "for a in \"$@\"; do printf '%s\\n' \"$a\" >> '" + log +
                              "'; done\nexit " + std::to_string(status) + "\n");
}

TEST(ProcessRunner, EachArgumentArrivesWholeAndTheExitStatusComesBack) {
  TempDir dir;
  const std::string log = dir.File("log");
  WriteArgLogger(dir.File("logger"), log, 3);
  PathPrefix path(dir.path().string());

  const std::string cyrillic("Карты 1251"_cp);
  const ProcessOutcome outcome = ProcessRunner::Run(
      "logger", {"/tmp/my maps/a b.img", "", "say \"hi\"", "back\\slash\\", "$HOME", "*", cyrillic},
      WindowMode::kHidden);
  EXPECT_TRUE(outcome.started);
  EXPECT_EQ(outcome.exitStatus, 3);
  EXPECT_FALSE(outcome.Succeeded());
  EXPECT_EQ(test::ReadBytes(log),
            "/tmp/my maps/a b.img\n\nsay \"hi\"\nback\\slash\\\n$HOME\n*\n" + cyrillic + "\n");
}

TEST(ProcessRunner, ReportsWhatBecameOfTheProgram) {
  TempDir dir;
  WriteShellProgram(dir.File("ok"), "exit 0\n");
  WriteShellProgram(dir.File("killed"), "kill -9 $$\n");
  test::WriteBytes(dir.File("not-executable"), "#!/bin/sh\nexit 0\n");
  WriteShellProgram(dir.File("bad-interpreter"), "exit 0\n");
  test::WriteBytes(dir.File("bad-interpreter"), "#!/no/such/shell\nexit 0\n");
  PathPrefix path(dir.path().string());

  struct Case {
    std::string program;
    bool started;
    int status;
  };
  for (const Case& c : std::vector<Case>{
           {"ok", true, 0},
           {"killed", true, 128 + 9},
           {"no-such-program-anywhere", false, -1},
           {"not-executable", false, -1},
           {"bad-interpreter", false, -1},
           {dir.File("ok"), true, 0},  // named with its folder
           {dir.File("missing"), false, -1},
           {"", false, -1},
       }) {
    const ProcessOutcome outcome = ProcessRunner::Run(c.program, {}, WindowMode::kShown);
    EXPECT_EQ(outcome.started, c.started) << c.program;
    EXPECT_EQ(outcome.exitStatus, c.status) << c.program;
  }
}

TEST(ProcessRunner, NeverLooksInTheCurrentFolder) {
  TempDir dir;
  WriteShellProgram(dir.File("here-only"), "exit 0\n");
  struct InFolder {
    std::filesystem::path old = std::filesystem::current_path();
    explicit InFolder(const std::filesystem::path& p) { std::filesystem::current_path(p); }
    ~InFolder() { std::filesystem::current_path(old); }
  } inFolder(dir.path());
  // Empty and relative entries would both mean the current folder.
  {
    ScopedEnv path("PATH", std::string(":.:./:/usr/bin:/bin:"));
    EXPECT_FALSE(ProcessRunner::FindProgram("here-only"));
    EXPECT_FALSE(ProcessRunner::Run("here-only", {}, WindowMode::kHidden).started);
    // Named with a folder, it is what the user asked for.
    EXPECT_TRUE(ProcessRunner::Run("./here-only", {}, WindowMode::kHidden).Succeeded());
  }
}

TEST(ProcessRunner, TheProgramsOwnFolderComesBeforePath) {
  const std::string own = ProcessRunner::OwnExecutableFolder();
  ASSERT_FALSE(own.empty());
  TempDir dir;
  const std::string name = "pomvelt-fake-" + std::to_string(std::random_device{}());
  const std::string beside = (std::filesystem::path(own) / name).string();
  WriteShellProgram(beside, "exit 7\n");
  WriteShellProgram(dir.File(name), "exit 8\n");
  PathPrefix path(dir.path().string());
  const ProcessOutcome outcome = ProcessRunner::Run(name, {}, WindowMode::kHidden);
  std::filesystem::remove(beside);
  EXPECT_EQ(outcome.exitStatus, 7);
  EXPECT_EQ(ProcessRunner::FindProgram(name), dir.File(name));
}

TEST(ProcessRunner, QuotesArgumentsTheWayWindowsProgramsSplitThem) {
  struct Case {
    std::string_view arg, quoted;
  };
  for (const Case& c : std::vector<Case>{
           {"cgpsmapper.exe", "cgpsmapper.exe"},
           {R"(D:\m\a.img)", R"(D:\m\a.img)"},
           {"", R"("")"},
           {R"(D:\my maps\a.img)", R"("D:\my maps\a.img")"},
           {R"(D:\my maps\)", R"("D:\my maps\\")"},
           {R"(say "hi")", R"("say \"hi\"")"},
           {R"(a\"b)", R"("a\\\"b")"},
           {"tab\there", "\"tab\there\""},
       }) {
    EXPECT_EQ(QuoteWindowsArgument(c.arg), c.quoted) << c.arg;
  }
  EXPECT_EQ(QuoteWindowsArgument(std::wstring_view(L"a b")), L"\"a b\"");
}

TEST(ProcessRunner, CompilerNameComesFromTheOptionThenTheEnvironment) {
#ifdef _WIN32
  const std::string kDefault = "cgpsmapper.exe";
#else
  const std::string kDefault = "cgpsmapper";
#endif
  {
    ScopedEnv env(kCompilerEnvironmentVariable, std::nullopt);
    EXPECT_EQ(CompilerProgram(), kDefault);
    EXPECT_EQ(CompilerProgram("mkgmap"), "mkgmap");
  }
  {
    ScopedEnv env(kCompilerEnvironmentVariable, std::string("/opt/bin/mkgmap"));
    EXPECT_EQ(CompilerProgram(), "/opt/bin/mkgmap");
    EXPECT_EQ(CompilerProgram("other"), "other");
  }
  {
    ScopedEnv env(kCompilerEnvironmentVariable, std::string());
    EXPECT_EQ(CompilerProgram(), kDefault);
  }
}

}  // namespace
}  // namespace pomvelt
