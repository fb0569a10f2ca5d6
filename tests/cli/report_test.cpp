// The summary, the JSON report, the dry run and the verbose lines, through RunCli and the
// built program.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/cli.h"
#include "cli/cli_run.h"
#include "support/test_support.h"

namespace pomvelt {
namespace {

using nlohmann::json;
using test::CrLf;
using test::TempDir;

using test::CliRun;

CliRun Cli(const std::vector<std::string>& args) {
  return test::RunCliCaptured(args);
}

const std::string kMap =
    CrLf({"[IMG ID]", "[END-IMG ID]", "[POLYGON]", "Type=0x4b", "[END]", "[POLYGON]", "Type=0x4b",
          "[END]", "[POLYLINE]", "Type=0x4b", "[END]"});

TEST(CliReport, SummaryLineAndTheWarningWhenNothingChanged) {
  TempDir dir;
  const std::string a = dir.File("a.mp"), b = dir.File("b.mp");
  test::WriteBytes(a, kMap);
  test::WriteBytes(b, kMap);
  CliRun r = Cli({"delete-elements", a, b, dir.File("missing.mp")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("\nГотово: 3 файла, изменено 2, без изменений 0, с ошибками 1; удалено "
                       "элементов: 4\n"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(r.err.find("Внимание"), std::string::npos);

  // The maps hold "0x4b"; a code typed in capitals matches nothing.
  r = Cli({"delete-elements", "--type", "0x4B", a, b});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.err.find("Готово: 2 файла, изменено 0, без изменений 2, с ошибками 0; "
                       "удалено элементов: 0\nВнимание: ни один файл не изменён\n"),
            std::string::npos)
      << r.err;
}

TEST(CliReport, JsonOnStandardOutput) {
  TempDir dir;
  const std::string a = dir.File("a.mp");
  test::WriteBytes(a, kMap);
  const CliRun r = Cli({"delete-elements", "--copy", "--report", "-", a, dir.File("none.mp")});
  EXPECT_EQ(r.status, 1);
  const json j = json::parse(r.out);
  EXPECT_EQ(j["command"], "delete-elements");
  EXPECT_EQ(j["options"], json::parse(R"({"kind":"polygon","type":"0x4b","inPlace":false})"));
  EXPECT_EQ(j["dryRun"], false);
  EXPECT_EQ(j["end"], "done");
  EXPECT_EQ(j["endMessage"], "Готово");
  EXPECT_LE(j["started"].get<std::string>(), j["finished"].get<std::string>());
  EXPECT_EQ(j["started"].get<std::string>().size(), 24u);  // 2026-12-07T10:53:28.123Z
  ASSERT_EQ(j["files"].size(), 2u);
  const json& done = j["files"][0];
  EXPECT_EQ(done["path"], a);
  EXPECT_EQ(done["outcome"], "changed");
  EXPECT_EQ(done["counts"], json::parse(R"({"elementsDeleted":2})"));
  EXPECT_EQ(done["bytesIn"], kMap.size());
  EXPECT_EQ(done["bytesOut"], test::ReadBytes(dir.File("a_0x4b_deleted.mp")).size());
  EXPECT_EQ(done["output"], dir.File("a_0x4b_deleted.mp"));
  EXPECT_EQ(done["message"], "");
  const json& failed = j["files"][1];
  EXPECT_EQ(failed["outcome"], "failed");
  EXPECT_EQ(failed["message"], "Не могу открыть файл для чтения: " + dir.File("none.mp") +
                                   ": No such file or directory");
  EXPECT_EQ(failed["reason"], "No such file or directory");
  EXPECT_EQ(j["totals"], json::parse(R"({"files":2,"changed":1,"unchanged":0,"failed":1,
      "notStarted":0,"bytesIn":)" + std::to_string(kMap.size()) +
                                     R"(,"bytesOut":)" +
                                     std::to_string(done["bytesOut"].get<std::size_t>()) +
                                     R"(,"counts":{"elementsDeleted":2}})"));
  EXPECT_EQ(j["undo"], json::array());  // a copy replaces no map: nothing kept
}

TEST(CliReport, AReportThatCannotBeWrittenFailsTheRun) {
  TempDir dir;
  const std::string a = dir.File("a.mp");
  test::WriteBytes(a, kMap);
  const CliRun r = Cli({"delete-elements", "--report", dir.File("no/such/folder.json"), a});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Не могу записать файл " + dir.File("no/such/folder.json")),
            std::string::npos);
  EXPECT_EQ(Cli({"delete-elements", "--report"}).status, 2);
}

// Every name, byte and time of a folder.
std::map<std::string, std::pair<std::string, std::filesystem::file_time_type>> Snapshot(
    const std::filesystem::path& folder) {
  std::map<std::string, std::pair<std::string, std::filesystem::file_time_type>> all;
  for (const auto& e : std::filesystem::recursive_directory_iterator(folder)) {
    all[e.path().string()] = {e.is_regular_file() ? test::ReadBytes(e.path().string()) : "",
                              e.last_write_time()};
  }
  return all;
}

// What a dry run and the real run must agree on: everything but the times, the flag, the
// outputs written and the originals kept.
json Comparable(json j) {
  for (const char* key : {"started", "finished", "dryRun", "undo"}) j.erase(key);
  for (json& f : j["files"]) f.erase("output");
  return j;
}

TEST(CliReport, DryRunOverRealMapsTouchesNothingAndForetellsTheRealRun) {
  TempDir dir, reports;
  const std::filesystem::path maps = dir.path() / "maps";
  std::filesystem::create_directory(maps);
  std::vector<std::string> files;
  for (const char* name :
       {"gpsve_ViaTipo0x0.mp", "gpsve_MapaDePrueba.mp", "mapsoft2_f11a.mp", "zkir_RussiaBkg.mp"}) {
    const std::string source = test::DataMap(name);
    if (source.empty()) GTEST_SKIP() << "shared data folder absent";
    files.push_back((maps / name).string());
    std::filesystem::copy_file(source, files.back());
  }
  const std::string rules = reports.File("a.rules");
  test::WriteBytes(rules, "[POLYGON]\n0x3b=0x3c\n[POLYLINE]\n0x25=0x26\n[DELETE-POI]\n0x2f06\n");
  const std::vector<std::vector<std::string>> commands = {
      {"apply-rules", rules},
      {"delete-layer", "--layer", "1", "--keep-whole"},
      {"delete-layer", "--layer", "1"},
      {"delete-elements", "--kind", "line", "--type", "0x0"},
      {"search-replace", "--find", "Label=", "--replace", "Label=X"},
      {"eurasia", "--remove-levels", "--keep-whole"},
      {"eurasia", "--remove-levels", "--tdb-list"},
      {"convert", "--translit", "to-russian", "--names-list"},
  };
  for (const std::vector<std::string>& command : commands) {
    SCOPED_TRACE(command[0]);
    const auto before = Snapshot(maps);
    std::vector<std::string> args = command;
    args.insert(args.end(), {"--dry-run", "--report", reports.File("dry.json")});
    args.insert(args.end(), files.begin(), files.end());
    const CliRun dry = Cli(args);
    EXPECT_EQ(dry.status, 0) << dry.err;
    EXPECT_TRUE(Snapshot(maps) == before);

    args = command;
    args.insert(args.end(), {"--report", reports.File("real.json")});
    args.insert(args.end(), files.begin(), files.end());
    EXPECT_EQ(Cli(args).status, 0);
    const json dryReport = json::parse(test::ReadBytes(reports.File("dry.json")));
    const json realReport = json::parse(test::ReadBytes(reports.File("real.json")));
    EXPECT_TRUE(dryReport["dryRun"].get<bool>());
    EXPECT_EQ(Comparable(dryReport), Comparable(realReport));
    // Only the real run kept the originals.
    EXPECT_EQ(dryReport["undo"], json::array());
    EXPECT_EQ(realReport["undo"].size(), 1u);
    EXPECT_GT(realReport["totals"]["changed"], 0);
  }
}

TEST(CliReport, VerboseTellsEachFileAsItFinishes) {
  TempDir dir;
  const std::string a = dir.File("a.mp");
  test::WriteBytes(a, kMap);
  const std::string command = std::string("'") + POMVELT_CLI_PATH +
                              "' delete-elements --verbose --dry-run '" + a + "' 2>'" +
                              dir.File("err.txt") + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const std::size_t out =
      CrLf({"[IMG ID]", "[END-IMG ID]", "[POLYLINE]", "Type=0x4b", "[END]"}).size();
  EXPECT_EQ(test::ReadBytes(dir.File("err.txt")),
            "[1] a.mp\n" + a +
                ": изменён; удалено элементов: 2; байт: " + std::to_string(kMap.size()) + " -> " +
                std::to_string(out) + "\nГотово: 1 файл, изменится 1, без " +
                "изменений 0, с ошибками 0; удалено элементов: 2 (пробный прогон: ничего не " +
                "записано)\n");
  EXPECT_EQ(test::ReadBytes(a), kMap);
}

}  // namespace
}  // namespace pomvelt
