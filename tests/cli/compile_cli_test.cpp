// Compiling from the shell: where the compiler runs, what mkgmap is told, and that no map is
// lost to a compile that wrote nothing, to a second map of the same name, or to --delete-mp.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <memory>
#include <set>
#include <sstream>

#include "cli/cli.h"
#include "cli/cli_run.h"
#include "os/file.h"
#include "pipeline/process_runner.h"
#include "support/exit_status.h"
#include "support/test_support.h"
#include "text/strings.h"

namespace pomvelt {
namespace {

using test::CrLf;
using test::Exists;
using test::PathPrefix;
using test::ScopedEnv;
using test::TempDir;

using test::CliRun;

CliRun Cli(const std::vector<std::string>& args) {
  return test::RunCliCaptured(args);
}

std::string Map(const std::string& id) {
  return CrLf({"[IMG ID]", "ID=" + id, "Name=Volga", "[END-IMG ID]", "[POLYLINE]", "Type=0x1",
               "Label=REKA", "Data0=(56.1,38.1),(56.2,38.2)", "[END]"});
}

std::set<std::string> Names(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) {
    names.insert(e.path().filename().string());
  }
  return names;
}

// A stand-in for mkgmap, first on PATH under that name: logs where it ran and its arguments,
// then does what the file "mode" beside it says: "write" (the map and the set files, as
// mkgmap does), "nothing" (exit 0 all the same), "fail" (30 lines of output, exit 3) or "meet"
// (waits until two runs have begun, then writes the map and set files naming it).
class FakeMkgmap {
 public:
  FakeMkgmap() : path_(bin_.path().string()) {
    test::WriteShellProgram(
        bin_.File("mkgmap"),
        "echo \"$(pwd)|$*\" >> '" + bin_.File("log") + "'\n" +
            "dir=.; name=63240001\n"
            "for a in \"$@\"; do case $a in --output-dir=*) dir=${a#*=};; --mapname=*) "
            "name=${a#*=};; esac; done\n"
            "for m in \"$dir\"/.pomvelt-run~*.tmp; do [ -f \"$m\" ] || continue; "
            "if flock -n \"$m\" true; then echo free; else echo held; fi >> '" +
            bin_.File("marks") +
            "'; done\n"
            "case $(cat '" +
            bin_.File("mode") +
            "') in\n"
            "write) echo img > \"$dir/$name.img\"; echo set > \"$dir/osmmap.img\"; "
            "echo set > \"$dir/osmmap.tdb\";;\n"
            "fail) i=1; while [ $i -le 30 ]; do echo \"line $i\"; i=$((i+1)); done; exit 3;;\n"
            "meet) touch '" +
            bin_.File("begun.") + "'$name; i=0; while [ $(ls '" + bin_.File("") +
            "' | grep -c begun) -lt 2 ]; do i=$((i+1)); [ $i -lt 200 ] || exit 9; sleep 0.05; "
            "done; echo img > \"$dir/$name.img\"; echo \"set $name\" > \"$dir/osmmap.img\"; "
            "echo set > \"$dir/osmmap.tdb\";;\n"
            "esac\n");
    Mode("write");
  }
  void Mode(const std::string& mode) { test::WriteBytes(bin_.File("mode"), mode); }
  std::string Log() const {
    return Exists(bin_.File("log")) ? test::ReadBytes(bin_.File("log")) : "";
  }
  // "held" or "free" per run, for the mark of the folder it wrote into.
  std::string Marks() const {
    return Exists(bin_.File("marks")) ? test::ReadBytes(bin_.File("marks")) : "";
  }

 private:
  TempDir bin_;
  PathPrefix path_;
};

std::string Real(const std::string& path) {
  return std::filesystem::canonical(path).string();
}

TEST(CompileCli, MkgmapRunsInTheMapsFolderWithItsNameAndTheExtraArguments) {
  FakeMkgmap mkgmap;
  TempDir dir;
  std::filesystem::create_directory(dir.File("maps"));
  test::WriteBytes(dir.File("maps/a.mp"), Map("58000240"));
  test::WriteBytes(dir.File("maps/63240002.mp"), Map(""));
  // Started elsewhere, with the maps named relative to there.
  const std::string command = "cd '" + dir.path().string() + "' && '" + POMVELT_CLI_PATH +
                              "' convert -j 1 --compile --compiler mkgmap --compiler-arg=-v " +
                              "--compiler-arg 'x y' maps/a.mp maps/63240002.mp 2>err.txt";
  const int status = std::system(command.c_str());
  EXPECT_EQ(test::ExitStatusOf(status), 0) << test::ReadBytes(dir.File("err.txt"));
  const std::string maps = Real(dir.File("maps"));
  EXPECT_EQ(mkgmap.Log(), maps + "|--output-dir=" + maps + " --mapname=58000240 -v x y " + maps +
                              "/a.mp\n" + maps + "|--output-dir=" + maps +
                              " --mapname=63240002 -v x y " + maps + "/63240002.mp\n");
  // Two compiled maps beside their sources, and none of the set files.
  EXPECT_EQ(Names(dir.File("maps")),
            (std::set<std::string>{"a.mp", "63240002.mp", "58000240.img", "63240002.img"}));
  EXPECT_EQ(Names(dir.path().string()), (std::set<std::string>{"maps", "err.txt"}));
}

// Compiles at once each write into a hidden folder of their own: the compiled maps come beside
// their sources, the set files kept are the last map's as after a serial run, and no folder is
// left behind.
TEST(CompileCli, CompilesRunAtOnceEachIntoAFolderOfItsOwn) {
  for (const bool keep : {true, false}) {
    SCOPED_TRACE(keep ? "set files kept" : "set files dropped");
    FakeMkgmap mkgmap;
    mkgmap.Mode("meet");  // fails unless two compiles run at once
    TempDir dir;
    std::vector<std::string> args = {"convert", "-j", "2", "--compile", "--compiler", "mkgmap"};
    if (keep) args.push_back("--keep-compiler-files");
    std::set<std::string> expected = {"58000240.img", "58000241.img", "58000242.img"};
    for (const char* id : {"58000240", "58000241", "58000242"}) {
      args.push_back(dir.File(std::string("m") + id + ".mp"));
      test::WriteBytes(args.back(), Map(id));
      expected.insert(std::string("m") + id + ".mp");
    }
    if (keep) expected.insert({"osmmap.img", "osmmap.tdb"});
    const CliRun r = Cli(args);
    EXPECT_EQ(r.status, kExitOk) << r.err;
    EXPECT_EQ(Names(dir.path().string()), expected);
    if (keep) {
      EXPECT_EQ(test::ReadBytes(dir.File("osmmap.img")), "set 58000242\n");
    }
    const std::string own = "--output-dir=" + Real(dir.path().string()) + "/.pomvelt-mkgmap-";
    std::istringstream log(mkgmap.Log());
    int runs = 0;
    for (std::string line; std::getline(log, line); ++runs) {
      EXPECT_NE(line.find(own), std::string::npos) << line;
    }
    EXPECT_EQ(runs, 3);
  }
}

// The run folders compiles killed outright left in a map's folder go at the next compile there;
// a live run's folder, a folder just made whose mark is still to come, and the files a link of
// such a name points to stay. Each compile holds its own folder's mark while mkgmap runs.
TEST(CompileCli, FoldersOfKilledCompilesGoAtTheNextCompile) {
  namespace fs = std::filesystem;
  FakeMkgmap mkgmap;
  mkgmap.Mode("meet");
  TempDir dir;
  TempDir outside;
  test::WriteBytes(outside.File("keep.mp"), "mine");
  std::vector<std::unique_ptr<OutputFile>> marks;
  const auto plant = [&](const std::string& name, bool mark, bool held) {
    fs::create_directory(dir.File(name));
    test::WriteBytes(dir.File(name + "/58000240.img"), "partial");
    if (!mark) return;
    marks.push_back(std::make_unique<OutputFile>());
    ASSERT_TRUE(marks.back()->CreateTemporary(dir.File(name), "pomvelt-run"));
    if (!held) marks.back()->Release();
  };
  plant(".pomvelt-mkgmap-00000000000a", true, false);   // killed: removed
  plant(".pomvelt-mkgmap-00000000000b", true, true);    // alive
  plant(".pomvelt-mkgmap-00000000000c", false, false);  // its mark still to come
  OutputFile outsideMark;
  ASSERT_TRUE(outsideMark.CreateTemporary(outside.path().string(), "pomvelt-run"));
  outsideMark.Release();
  fs::create_directory_symlink(outside.path(), dir.File(".pomvelt-mkgmap-00000000000d"));

  std::vector<std::string> args = {"convert", "-j", "2", "--compile", "--compiler", "mkgmap"};
  for (const char* id : {"58000240", "58000241"}) {
    args.push_back(dir.File(std::string("m") + id + ".mp"));
    test::WriteBytes(args.back(), Map(id));
  }
  const CliRun r = Cli(args);
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(Names(dir.path().string()),
            (std::set<std::string>{"m58000240.mp", "m58000241.mp", "58000240.img", "58000241.img",
                                   ".pomvelt-mkgmap-00000000000b", ".pomvelt-mkgmap-00000000000c",
                                   ".pomvelt-mkgmap-00000000000d"}));
  EXPECT_EQ(test::ReadBytes(dir.File("58000240.img")), "img\n");
  EXPECT_EQ(Names(outside.path().string()),
            (std::set<std::string>{"keep.mp", fs::path(outsideMark.path()).filename().string()}));
  EXPECT_EQ(mkgmap.Marks(), "held\nheld\n");
}

TEST(CompileCli, NoMapIsLostToACompileThatWroteNothingOrToANameTakenAlready) {
  struct Case {
    const char* what;
    std::string mode;
    std::vector<std::string> ids;  // of a.mp, b.mp
    std::vector<std::string> extra;
    std::set<std::string> left;         // a deleted map goes to ".pomvelt-undo", for undo
    std::vector<std::string> messages;  // each a part of standard error
  };
  const std::vector<Case> cases = {
      {"the second map of one name",
       "write",
       {"58000240", "58000240"},
       {"--delete-mp"},
       {"b.mp", "58000240.img", ".pomvelt-undo"},
       {"Карта B не скомпилирована: файл DIR/58000240.img уже получен из карты A"}},
      {"an exit status 0 and no map",
       "nothing",
       {"58000240", "58000241"},
       {"--delete-mp"},
       {"a.mp", "b.mp"},
       {"Компилятор не записал файл DIR/58000240.img; файл A не удалён",
        "Компилятор не записал файл DIR/58000241.img; файл B не удалён"}},
      {"a failed compile",
       "fail",
       {"58000240", "58000241"},
       {"--delete-mp"},
       {"a.mp", "b.mp"},
       {"Ошибка компиляции файла A (код 3); файл A не удалён:\nline 11\n",
        "line 30\n[2] b.mp\nОшибка компиляции файла B"}},
      {"a map without an ID",
       "write",
       {"", "58000241"},
       {"--delete-mp"},
       {"58000241.img", "FRESH", ".pomvelt-undo"},
       {"Карта A скомпилирована в файл DIR/"}},
      {"the set files asked for",
       "write",
       {"58000240", "58000241"},
       {"--keep-compiler-files"},
       {"a.mp", "b.mp", "58000240.img", "58000241.img", "osmmap.img", "osmmap.tdb"},
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeMkgmap mkgmap;
    mkgmap.Mode(c.mode);
    TempDir dir;
    const std::string a = dir.File("a.mp"), b = dir.File("b.mp");
    test::WriteBytes(a, Map(c.ids[0]));
    test::WriteBytes(b, Map(c.ids[1]));
    std::vector<std::string> args = {"convert", "--compile", "--compiler", "mkgmap"};
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    args.push_back(a);
    args.push_back(b);
    const CliRun r = Cli(args);
    const bool fails = !c.messages.empty() && c.left.count("FRESH") == 0;
    EXPECT_EQ(r.status, fails ? kExitFailed : kExitOk) << r.err;
    std::set<std::string> left = Names(dir.path().string());
    if (c.left.count("FRESH") != 0) {
      // The one .img not named in the table: 8 digits, and named in the message.
      std::erase_if(left, [&](const std::string& n) {
        return c.left.count(n) == 0 && n.size() == 12 && n.ends_with(".img") &&
               r.err.find(dir.File(n)) != std::string::npos;
      });
      left.insert("FRESH");
    }
    EXPECT_EQ(left, c.left);
    for (std::string message : c.messages) {
      for (const auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
               {"DIR", dir.path().string()}, {"A", a}, {"B", b}}) {
        for (std::size_t at; (at = message.find(from)) != std::string::npos;) {
          message.replace(at, from.size(), to);
        }
      }
      EXPECT_NE(r.err.find(message), std::string::npos) << message << "\n---\n" << r.err;
    }
    EXPECT_EQ(r.err.find("line 10\n"), std::string::npos);  // only the last 20 lines
  }
}

// The report keeps each compiler run of a file: what it said, how it ended, and the name of
// the compiled map, a made-up one included.
TEST(CompileCli, TheReportKeepsEachRunWithItsOutputAndTheCompiledMapsName) {
  using nlohmann::json;
  FakeMkgmap mkgmap;
  TempDir dir;
  const std::string a = dir.File("a.mp"), b = dir.File("volga.mp"), report = dir.File("r.json");
  test::WriteBytes(a, Map("58000240"));
  test::WriteBytes(b, Map(""));
  const std::vector<std::string> run = {
      "convert", "--compile", "--compiler", "mkgmap", "--report", report, a, b};
  const CliRun done = Cli(run);
  EXPECT_EQ(done.status, kExitOk) << done.err;
  json j = json::parse(test::ReadBytes(report));
  const json& first = j["files"][0]["compilerRuns"];
  ASSERT_EQ(first.size(), 1u) << j.dump(1);
  EXPECT_EQ(first[0], json::parse(R"({"stage": "compile", "program": "mkgmap", "started": true,
      "stopped": false, "exitStatus": 0, "output": "", "freshName": false,
      "compiledMap": ")" + dir.File("58000240.img") +
                                  R"("})"));
  // No ID anywhere: a new number, which the report and the message name alike.
  const json& fresh = j["files"][1]["compilerRuns"][0];
  EXPECT_EQ(fresh["freshName"], true);
  const std::string compiled = fresh["compiledMap"];
  EXPECT_TRUE(Exists(compiled)) << compiled;
  EXPECT_EQ(FileNamePart(compiled).size(), 12u);
  EXPECT_EQ(j["files"][1]["messages"],
            json::array({"Карта " + b + " скомпилирована в файл " + compiled}));

  // A failed run: its whole output is kept, its last lines are in the message, its exit is
  // the reason.
  mkgmap.Mode("fail");
  const CliRun failed = Cli(run);
  EXPECT_EQ(failed.status, kExitFailed);
  j = json::parse(test::ReadBytes(report));
  const json& f = j["files"][0];
  EXPECT_EQ(f["outcome"], "failed");
  EXPECT_EQ(f["reason"], "компилятор завершился с кодом 3");
  EXPECT_EQ(f["compilerRuns"][0]["exitStatus"], 3);
  const std::string output = f["compilerRuns"][0]["output"];
  EXPECT_TRUE(output.starts_with("line 1\nline 2\n") && output.ends_with("line 30\n")) << output;
  EXPECT_TRUE(f["message"].get<std::string>().ends_with("line 30")) << f["message"];

  // A dry run runs nothing and so reports no run.
  const std::string log = mkgmap.Log();
  std::vector<std::string> dry = run;
  dry.insert(dry.begin() + 1, "--dry-run");
  EXPECT_EQ(Cli(dry).status, kExitOk);
  j = json::parse(test::ReadBytes(report));
  EXPECT_FALSE(j["files"][0].contains("compilerRuns"));
  EXPECT_EQ(mkgmap.Log(), log);
}

TEST(CompileCli, AMissingCompilerIsNamedAsItWasLookedFor) {
  TempDir bin, dir;
  ScopedEnv path("PATH", bin.path().string());
  for (const char* name : {"a.mp", "b.mp"}) test::WriteBytes(dir.File(name), Map("58000240"));
  // Also with two jobs: the second map is not begun.
  const CliRun r = Cli({"convert", "-j", "2", "--compile", "--compiler", "mkgmap", dir.File("a.mp"),
                        dir.File("b.mp")});
  EXPECT_EQ(r.status, kExitFailed);
  EXPECT_TRUE(
      r.err.starts_with("[1] a.mp\nОтсутствует файл mkgmap\nИтого: 2 файла, изменено 0, "
                        "без изменений 0, с ошибками 1, не начато 1"))
      << r.err;
}

TEST(CompileCli, RealMkgmapCompilesTwoMapsBesideThemAndOnlyThenDeletesThem) {
  if (!ProcessRunner::FindProgram("mkgmap")) {
    GTEST_SKIP() << "mkgmap is not installed (Debian package mkgmap)";
  }
  const std::string first = test::DataMap("gpsve_MapaDePrueba.mp");
  const std::string second = test::DataMap("gpsve_ViaTipo0x0.mp");
  if (first.empty() || second.empty()) GTEST_SKIP() << "the shared data folder is absent";
  TempDir dir;  // the maps' IDs are 58000240 and 58000010
  std::filesystem::copy_file(first, dir.File("a.mp"));
  std::filesystem::copy_file(second, dir.File("b.mp"));
  const std::string command = "cd / && '" + std::string(POMVELT_CLI_PATH) +
                              "' convert --compile --compiler mkgmap --delete-mp '" +
                              dir.File("a.mp") + "' '" + dir.File("b.mp") + "' 2>'" +
                              dir.File("err.txt") + "'";
  const int status = std::system(command.c_str());
  EXPECT_EQ(test::ExitStatusOf(status), 0) << test::ReadBytes(dir.File("err.txt"));
  EXPECT_EQ(Names(dir.path().string()),
            (std::set<std::string>{"58000240.img", "58000010.img", "err.txt", ".pomvelt-undo"}));
}

}  // namespace
}  // namespace pomvelt
