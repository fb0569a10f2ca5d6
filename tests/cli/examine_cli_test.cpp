// stats and check from the shell: what they print, the files they write, their exit status.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/cli.h"
#include "cli/cli_run.h"
#include "cli/table_output.h"
#include "support/test_support.h"
#include "text/cp1251.h"

namespace pomvelt {
namespace {

using test::CrLf;
using test::TempDir;

using test::CliRun;

CliRun Cli(const std::vector<std::string>& args) {
  return test::RunCliCaptured(args);
}

const std::string kMap =
    CrLf({"[IMG ID]",    "ID=7",        "Name=Город"_cp, "CodePage=1251", "Levels=2",
          "Level0=24",   "Level1=22",   "[END-IMG ID]",  "[POLYGON]",     "Type=0x4b",
          "Label=a",     "Data0=(1,2)", "[END]",         "[POI]",         "Type=0x2f06",
          "Data0=(1,2)", "[END]",       "[POI]",         "Type=0x2f06",   "[END]"});

TEST(ExamineCli, StatsTablesCsvAndReport) {
  TempDir dir;
  const std::string a = dir.File("a.mp"), b = dir.File("b.mp");
  test::WriteBytes(a, kMap);
  test::WriteBytes(b, CrLf({"[POLYLINE]", "Type=0x1", "Data1=(1,2)", "[END]"}));
  const CliRun r = Cli({"stats", "--csv", dir.File("s.csv"), "--report", dir.File("s.json"), a, b});
  ASSERT_EQ(r.status, 0) << r.err;
  // The name is shown in UTF-8; the total row adds both maps up.
  EXPECT_NE(r.out.find("a.mp   7   Город  1251       2"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("total"), std::string::npos);
  EXPECT_NE(r.out.find("a.mp   point    0x2f06         2"), std::string::npos) << r.out;
  EXPECT_EQ(test::ReadBytes(dir.File("s.csv")),
            "file,id,name,kind,type,elements\r\n" + a + ",7,Город,polygon,0x4b,1\r\n" + a +
                ",7,Город,point,0x2f06,2\r\n" + b + ",,,line,0x1,1\r\n");
  const nlohmann::json j = nlohmann::json::parse(test::ReadBytes(dir.File("s.json")));
  EXPECT_EQ(j["files"][0]["name"], "Город");
  EXPECT_EQ(j["files"][1]["id"], nullptr);
  EXPECT_EQ(j["total"]["elements"]["total"], 4);
  EXPECT_EQ(j["total"]["levels"][0]["elements"], 2);  // level 0: the polygon and one point
  EXPECT_EQ(j["total"]["levels"][1]["level"], 1);

  const CliRun byLevel = Cli({"stats", "--by", "level", a});
  EXPECT_NE(byLevel.out.find("file   level  elements\na.mp   0             2\n"), std::string::npos)
      << byLevel.out;
  EXPECT_EQ(Cli({"stats", "--by", "colour", a}).status, 2);
}

TEST(ExamineCli, CheckPrintsFileLineMessageAndFailsOnProblems) {
  TempDir dir;
  const std::string clean = dir.File("clean.mp"), bad = dir.File("bad.mp");
  test::WriteBytes(clean, kMap);
  test::WriteBytes(bad, CrLf({"[IMG ID]", "ID=1", "[END-IMG ID]", "[POI]", "Label=x", "Type=0x1",
                              "[END]", "[POI]"}));
  const CliRun ok = Cli({"check", clean});
  EXPECT_EQ(ok.status, 0) << ok.out;
  EXPECT_EQ(ok.out, "");

  const CliRun r = Cli({"check", "--report", dir.File("c.json"), clean, bad});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, bad + ":6: Type= не первая строка после заголовка элемента в строке 4: " +
                       "команды правки её не увидят\n" + bad +
                       ":8: заголовок элемента в последней строке файла\n");
  const nlohmann::json j = nlohmann::json::parse(test::ReadBytes(dir.File("c.json")));
  EXPECT_EQ(j["problems"], 2);
  EXPECT_EQ(j["files"][1]["diagnostics"][0]["problem"], "type-not-first");
  EXPECT_EQ(j["files"][1]["diagnostics"][1]["line"], 8);

  const CliRun missing = Cli({"check", dir.File("none.mp")});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("Не могу открыть файл"), std::string::npos);
}

TEST(ExamineCli, TableAndCsvForms) {
  AlignedTable t({"a", "bb", "n"}, {false, false, true});
  t.AddRow({"Жж", "x", "10"});
  t.AddRow({"y", "", "7"});
  std::ostringstream os;
  t.Print(os);
  EXPECT_EQ(os.str(), "a   bb   n\nЖж  x   10\ny        7\n");
  EXPECT_EQ(CsvRecord({"plain", "a,b", "say \"hi\"", ""}), "plain,\"a,b\",\"say \"\"hi\"\"\",\r\n");
  EXPECT_EQ(MapTextToUtf8("\xC3\xEE\xF0\xEE\xE4", ""), "Город");
  EXPECT_EQ(MapTextToUtf8("\xD0\x96\xFF", "65001"), "Ж\xEF\xBF\xBD");
  EXPECT_EQ(MapTextToUtf8("Se\xF1or", "1252"), "Se?or");
}

}  // namespace
}  // namespace pomvelt
