// Undo through the command line: every in-place command, then "undo", gives back the very files
// the batch replaced; a map changed since is left alone and named.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "cli/cli.h"
#include "cli/cli_run.h"
#include "jobs/undo_journal.h"
#include "os/path.h"
#include "support/test_support.h"
#include "text/cp1251.h"

namespace pomvelt {
namespace {

namespace fs = std::filesystem;
using test::CrLf;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

using test::CliRun;

CliRun Cli(const std::vector<std::string>& args) {
  return test::RunCliCaptured(args);
}

// A map every in-place command changes: levels 0 and 1 empty, labels in both scripts, a
// polygon of type 0x4b, the label code "~[0x4]".
std::string UndoMap() {
  return CrLf({"[IMG ID]",
               "Name=Undo",
               "Levels=4",
               "Level0=24",
               "Level1=22",
               "Level2=20",
               "Level3=18",
               "[END-IMG ID]",
               "[POLYGON]",
               "Type=0x4b",
               "Label=REKA ~[0x4]",
               "Data2=(1,2),(3,4)",
               "[END]",
               "[POLYGON]",
               "Type=0x1",
               "Label=GOROD",
               "Data3=(1,2),(3,4)",
               "[END]",
               "[POLYLINE]",
               "Type=0x1",
               "Label=" + *Utf8ToCp1251("Река"),
               "Data2=(1,2),(3,4)",
               "[END]"});
}

const std::vector<std::vector<std::string>>& InPlaceCommands() {
  static const std::vector<std::vector<std::string>> commands = {
      {"delete-elements"},
      {"replace-type", "--kind", "line"},
      {"delete-layer", "--layer", "2"},
      {"search-replace"},
      {"convert", "--translit", "to-russian"},
      {"convert", "--translit", "to-translit", "--lower-case"},
      {"eurasia", "--remove-levels"},
      {"eurasia", "--fill-levels"},
      {"recode", "--to", "65001"},
      {"apply-rules", "RULES"},
  };
  return commands;
}

// The rules apply-rules is given, in a folder of their own.
std::string RulesFile() {
  static const TempDir folder;
  const std::string path = folder.File("rules.txt");
  WriteBytes(path, "[POLYGON]\n0x4b=0x1\n[DELETE-POLYLINE]\n0x1\n");
  return path;
}

std::vector<std::string> With(std::vector<std::string> args, const std::vector<std::string>& more) {
  for (std::string& arg : args) {
    if (arg == "RULES") arg = RulesFile();
  }
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

TEST(UndoCli, EveryInPlaceCommandIsTakenBackByteForByte) {
  for (const char* jobs : {"1", "2"}) {
    for (const std::vector<std::string>& command : InPlaceCommands()) {
      SCOPED_TRACE(command[0] + (command.size() > 1 ? " " + command[1] : "") + " -j " + jobs);
      TempDir dir;
      const std::string a = dir.File("a.mp"), b = dir.File("b.mp");
      WriteBytes(a, UndoMap());
      WriteBytes(b, UndoMap() + CrLf({";b"}));
      const std::optional<FileIdentity> before = IdentityOf(a);

      const CliRun run = Cli(With(command, {"--jobs", jobs, a, b}));
      ASSERT_EQ(run.status, 0) << run.err;
      EXPECT_NE(ReadBytes(a), UndoMap());
      EXPECT_NE(run.err.find("pomvelt-cli undo '" + dir.path().string() + "'"), std::string::npos)
          << run.err;

      const CliRun undo = Cli({"undo", dir.path().string()});
      EXPECT_EQ(undo.status, 0) << undo.err;
      EXPECT_EQ(ReadBytes(a), UndoMap());
      EXPECT_EQ(ReadBytes(b), UndoMap() + CrLf({";b"}));
      EXPECT_EQ(IdentityOf(a), before);  // the very file, times and all
      EXPECT_NE(undo.err.find("Восстановлен файл " + b), std::string::npos) << undo.err;
      // Nothing else is left behind: no temporaries, no batch.
      std::vector<std::string> names;
      for (const auto& e : fs::directory_iterator(dir.path())) {
        names.push_back(e.path().filename().string());
      }
      std::sort(names.begin(), names.end());
      EXPECT_EQ(names, (std::vector<std::string>{kUndoFolderName, "a.mp", "b.mp"}));
      EXPECT_TRUE(ListUndoBatches(dir.path().string()).empty());
    }
  }
}

TEST(UndoCli, RealMapsComeBackByteForByte) {
  TempDir dir;
  std::vector<std::string> args = {"replace-type", "--from", "0x28", "--to", "0x29"};
  std::vector<std::pair<std::string, std::string>> maps;
  for (const char* name :
       {"gpsve_MapaDePrueba.mp", "gpsve_ViaTipo0x0.mp", "mapsoft2_f11a.mp", "zkir_RussiaBkg.mp"}) {
    const std::string source = test::DataMap(name);
    if (source.empty()) GTEST_SKIP() << "no shared data folder";
    maps.emplace_back(dir.File(name), ReadBytes(source));
    WriteBytes(maps.back().first, maps.back().second);
    args.push_back(maps.back().first);
  }
  ASSERT_EQ(Cli(args).status, 0);
  EXPECT_NE(ReadBytes(maps.back().first), maps.back().second);
  const CliRun undo = Cli({"undo", dir.path().string()});
  EXPECT_EQ(undo.status, 0) << undo.err;
  for (const auto& [path, bytes] : maps) EXPECT_TRUE(ReadBytes(path) == bytes) << path;
}

// Several jobs keep their originals at once: every entry of the journal is complete and
// numbered once, and undo puts back every map, the one named twice (also under another
// spelling) to what it was before the first of its turns.
TEST(UndoCli, MapsKeptByParallelJobsAllComeBack) {
  TempDir one, two;
  std::vector<std::pair<std::string, std::string>> maps;
  std::vector<std::string> args = {"search-replace", "--find", "A", "--replace", "AA",
                                   "--jobs",         "3"};
  for (int i = 0; i < 12; ++i) {
    const TempDir& dir = i % 3 == 0 ? two : one;
    maps.emplace_back(dir.File("m" + std::to_string(i) + ".mp"),
                      UndoMap() + CrLf({";" + std::to_string(i)}));
    WriteBytes(maps.back().first, maps.back().second);
    args.push_back(maps.back().first);
  }
  args.push_back(maps[1].first);
  args.push_back(one.File("./m1.mp"));
  const CliRun run = Cli(args);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(ReadBytes(maps[1].first), maps[1].second);

  int entries = 0;
  for (const TempDir* dir : {&one, &two}) {
    const std::vector<UndoBatchInfo> batches = ListUndoBatches(dir->path().string());
    ASSERT_EQ(batches.size(), 1u);
    EXPECT_EQ(batches[0].incomplete, 0);
    entries += batches[0].files;
  }
  EXPECT_EQ(entries, 14);

  for (const TempDir* dir : {&one, &two}) {
    const CliRun undo = Cli({"undo", dir->path().string()});
    EXPECT_EQ(undo.status, 0) << undo.err;
  }
  for (const auto& [path, bytes] : maps) EXPECT_EQ(ReadBytes(path), bytes) << path;
}

TEST(UndoCli, ACompiledSourceDeletedAfterTheCompileComesBack) {
  TempDir bin, dir;
  test::WriteShellProgram(bin.File("fakec"), "exit 0\n");
  test::PathPrefix path(bin.path().string());
  const std::string map = dir.File("map.mp");
  WriteBytes(map, UndoMap());
  const CliRun run = Cli({"convert", "--translit", "to-russian", "--compile", "--delete-mp",
                          "--compiler", "fakec", map});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_FALSE(test::Exists(map));
  const CliRun undo = Cli({"undo", dir.path().string()});
  EXPECT_EQ(undo.status, 0) << undo.err;
  EXPECT_EQ(ReadBytes(map), UndoMap());  // moved back, then its translation taken back
}

// The report says where the originals went, per folder; a dry run keeps nothing at all.
TEST(UndoCli, TheReportNamesTheBatchFoldersAndADryRunKeepsNothing) {
  TempDir one, two;
  const std::string a = one.File("a.mp"), b = two.File("b.mp");
  WriteBytes(a, UndoMap());
  WriteBytes(b, UndoMap());

  CliRun run = Cli({"delete-elements", "--dry-run", "--report", "-", a, b});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(nlohmann::json::parse(run.out).at("undo"), nlohmann::json::array());
  EXPECT_FALSE(test::Exists(one.File(kUndoFolderName)));
  EXPECT_FALSE(test::Exists(two.File(kUndoFolderName)));
  EXPECT_EQ(run.err.find("Оригиналы"), std::string::npos) << run.err;
  EXPECT_EQ(ReadBytes(a), UndoMap());

  // Two jobs: the folders come in the order of the files, whichever map was kept first.
  run = Cli({"delete-elements", "-j", "2", "--report", "-", a, b});
  ASSERT_EQ(run.status, 0) << run.err;
  const nlohmann::json undo = nlohmann::json::parse(run.out).at("undo");
  ASSERT_EQ(undo.size(), 2u) << undo;
  const std::vector<UndoBatchInfo> batches = ListUndoBatches(one.path().string());
  ASSERT_EQ(batches.size(), 1u);
  EXPECT_EQ(undo[0].at("folder"), batches[0].folder);
  EXPECT_EQ(undo[0].at("bytesKept"), UndoBytesHeld(one.path().string()));
  EXPECT_EQ(undo[0].at("bytesKept"), UndoMap().size());  // the original, linked: its bytes
  EXPECT_EQ(undo[0].at("copied"), false);
  EXPECT_EQ(undo[1].at("folder"), ListUndoBatches(two.path().string()).at(0).folder);
  // The summary reads the same facts: two lines for each folder.
  for (const TempDir* dir : {&one, &two}) {
    EXPECT_NE(
        run.err.find("Оригиналы сохранены в " + NameOf(PathOf(dir->File(kUndoFolderName)) / "")),
        std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("Отменить: pomvelt-cli undo '" + dir->path().string() + "'\n"),
              std::string::npos)
        << run.err;
  }

  // Copies keep nothing either: the maps are not replaced.
  run = Cli({"delete-elements", "--copy", "--report", "-", a});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(nlohmann::json::parse(run.out).at("undo"), nlohmann::json::array());
  EXPECT_EQ(ListUndoBatches(one.path().string()).size(), 1u);
}

TEST(UndoCli, AMapChangedSinceIsLeftAloneAndNamed) {
  TempDir dir;
  const std::string a = dir.File("a.mp"), b = dir.File("b.mp");
  WriteBytes(a, UndoMap());
  WriteBytes(b, UndoMap());
  ASSERT_EQ(Cli({"delete-elements", a, b}).status, 0);
  WriteBytes(b, "edited by hand");
  const CliRun undo = Cli({"undo", dir.path().string()});
  EXPECT_EQ(undo.status, 1);
  EXPECT_NE(undo.err.find("Файл " + b + " изменился после операции, оставлен как есть"),
            std::string::npos)
      << undo.err;
  EXPECT_EQ(ReadBytes(a), UndoMap());
  EXPECT_EQ(ReadBytes(b), "edited by hand");
  // Asking again changes nothing more and says the same.
  EXPECT_EQ(Cli({"undo", dir.path().string()}).status, 1);
  EXPECT_EQ(ReadBytes(b), "edited by hand");
}

TEST(UndoCli, ListPurgeAndTurningUndoOff) {
  TempDir dir;
  const std::string a = dir.File("a.mp");
  WriteBytes(a, UndoMap());
  ASSERT_EQ(Cli({"delete-elements", "--type", "0x1", a}).status, 0);
  ASSERT_EQ(Cli({"replace-type", "--kind", "line", a}).status, 0);
  CliRun list = Cli({"undo", "--list", dir.path().string()});
  EXPECT_EQ(list.status, 0);
  const std::size_t newer = list.out.find("replace-type --kind line  файлов: 1");
  const std::size_t older = list.out.find("delete-elements --type 0x1  файлов: 1");
  EXPECT_NE(newer, std::string::npos) << list.out;
  EXPECT_NE(older, std::string::npos) << list.out;
  EXPECT_LT(newer, older);
  EXPECT_NE(list.out.find("Копии для отмены в "), std::string::npos);

  // Runs without undo leave the kept batches as they are.
  ASSERT_EQ(Cli({"search-replace", "--no-undo", a}).status, 0);
  {
    test::ScopedEnv off("POMVELT_UNDO", "0");
    ASSERT_EQ(Cli({"delete-layer", "--layer", "3", a}).status, 0);
  }
  EXPECT_EQ(ListUndoBatches(dir.path().string()).size(), 2u);

  const CliRun purge = Cli({"undo", "--purge", dir.path().string()});
  EXPECT_EQ(purge.status, 0) << purge.err;
  EXPECT_FALSE(test::Exists(dir.File(kUndoFolderName)));
  list = Cli({"undo", "--list", dir.path().string()});
  EXPECT_NE(list.out.find("Нет операций для отмены"), std::string::npos);
  EXPECT_EQ(Cli({"undo", dir.path().string()}).status, 1);
}

TEST(UndoCli, UsageErrors) {
  TempDir dir;
  WriteBytes(dir.File("a.mp"), "x");
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"undo", "--list", "--purge", dir.path().string()},
           {"undo", dir.path().string(), dir.path().string()},
           {"undo", dir.File("a.mp")},
           {"undo", "--no-undo", dir.path().string()},
       }) {
    EXPECT_EQ(Cli(args).status, 2) << args[1];
  }
}

}  // namespace
}  // namespace pomvelt
