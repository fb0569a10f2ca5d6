#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli/cli.h"
#include "cli/cli_run.h"
#include "pipeline/process_runner.h"
#include "support/exit_status.h"
#include "support/test_support.h"

namespace pomvelt {
namespace {

using test::CrLf;
using test::Exists;
using test::PathPrefix;
using test::ScopedEnv;
using test::TempDir;
using test::WriteShellProgram;

using test::CliRun;

CliRun Cli(const std::vector<std::string>& args) {
  return test::RunCliCaptured(args);
}

const std::string kMap = CrLf(
    {"[IMG ID]", "Name=Volga", "[END-IMG ID]", "[POLYLINE]", "Type=0x1", "Label=REKA", "[END]"});

using test::ExitStatusOf;

TEST(ConvertCli, RefusesUnknownChoices) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"convert", "--decompile", "mkgmap", "a.img"},
           {"convert", "--translit", "russian", "a.mp"},
           {"convert", "--compiler"},
           {"convert", "--compile"},
       }) {
    EXPECT_EQ(Cli(args).status, 2) << args[1];
  }
}

TEST(ConvertCli, TranslatesListsAndCompilesWithTheChosenCompiler) {
  TempDir bin, dir;
  WriteShellProgram(bin.File("fakec"), "printf '%s|' \"$@\" >> '" + bin.File("log") + "'\n");
  PathPrefix path(bin.path().string());
  for (const char* name : {"a.mp", "b.mp"}) test::WriteBytes(dir.File(name), kMap);

  const CliRun r = Cli({"convert", "--translit", "to-russian", "--compile", "--copy",
                        "--names-list", "--compiler", "fakec", dir.File("a.mp"), dir.File("b.mp")});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(
      r.err.starts_with("[1] a.mp\n[2] b.mp\nГотово: 2 файла, изменено 2, без изменений 0, с "
                        "ошибками 0; изменено подписей: 2, переведено: 2, "
                        "скомпилировано: 2\n"))
      << r.err;
  // Both compiled; with several jobs in either order.
  const std::string a = dir.File("a_rus.mp") + "|", b = dir.File("b_rus.mp") + "|";
  const std::string log = test::ReadBytes(bin.File("log"));
  EXPECT_TRUE(log == a + b || log == b + a) << log;
  EXPECT_EQ(test::ReadBytes(dir.File("a.mp")), kMap);
  EXPECT_NE(test::ReadBytes(dir.File("names.txt")).find("  Volga  b.mp\r\n"), std::string::npos);
}

TEST(ConvertCli, AMissingCompilerFailsTheRun) {
  TempDir bin, dir;
  ScopedEnv path("PATH", bin.path().string());
  ScopedEnv env(kCompilerEnvironmentVariable, std::nullopt);
  for (const char* name : {"a.mp", "b.mp"}) test::WriteBytes(dir.File(name), kMap);

  CliRun r = Cli({"convert", "--compile", dir.File("a.mp"), dir.File("b.mp")});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "[1] a.mp\nОтсутствует файл cgpsmapper.exe\nИтого: 2 файла, изменено 0, без изменений "
            "0, с ошибками 1, не начато 1; ошибок компилятора: 1\nВнимание: ни один файл не "
            "изменён\n");
  r = Cli({"convert", "--compile", dir.File("b.mp")});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(
      r.err.starts_with("[1] b.mp\nГотово: 1 файл, изменено 0, без изменений 0, с "
                        "ошибками 1"))
      << r.err;
}

TEST(ConvertCli, TheCompilerBesideTheProgramWinsOverPath) {
  TempDir bin, other, dir;
  const std::string cli = bin.File("pomvelt-cli");
  std::filesystem::copy_file(POMVELT_CLI_PATH, cli);
  WriteShellProgram(bin.File("cgpsmapper"), "echo beside > '" + dir.File("who") + "'\n");
  WriteShellProgram(other.File("cgpsmapper"), "echo path > '" + dir.File("who") + "'\n");
  test::WriteBytes(dir.File("a.mp"), kMap);
  const std::string command = "cd '" + dir.path().string() + "' && env -u " +
                              kCompilerEnvironmentVariable + " PATH='" + other.path().string() +
                              ":/usr/bin:/bin' '" + cli + "' convert --compile a.mp 2>/dev/null";
  EXPECT_EQ(ExitStatusOf(std::system(command.c_str())), 0);
  EXPECT_EQ(test::ReadBytes(dir.File("who")), "beside\n");
}

TEST(ConvertCli, CompilesARealMapWithMkgmap) {
  const std::string map = test::DataMap("gpsve_MapaDePrueba.mp");
  if (map.empty()) GTEST_SKIP() << "the shared data folder with the real maps is absent";
  if (!ProcessRunner::FindProgram("mkgmap")) {
    GTEST_SKIP() << "mkgmap is not installed (Debian package mkgmap)";
  }
  TempDir dir;
  std::filesystem::copy_file(map, dir.File("map.mp"));
  const std::string command =
      "cd '" + dir.path().string() + "' && '" + POMVELT_CLI_PATH +
      "' convert --translit to-translit --compile --copy --compiler mkgmap " +
      "map.mp >out.txt 2>err.txt";
  EXPECT_EQ(ExitStatusOf(std::system(command.c_str())), 0) << test::ReadBytes(dir.File("err.txt"));
  EXPECT_TRUE(Exists(dir.File("map_translit.mp")));
  std::vector<std::string> compiled;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    if (entry.path().extension() == ".img") compiled.push_back(entry.path().filename().string());
  }
  EXPECT_FALSE(compiled.empty()) << test::ReadBytes(dir.File("err.txt"));
}

}  // namespace
}  // namespace pomvelt
