// The editing commands from the shell: their options, output names and exit statuses.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "cli/cli.h"
#include "jobs/undo_journal.h"
#include "support/exit_status.h"
#include "support/test_support.h"
#include "text/cp1251.h"
#include "text/page_codec.h"

namespace pomvelt {
namespace {

using test::CrLf;

struct CliRun {
  int status;
  std::string err;
};

CliRun RunInProcess(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int status = RunCli(args, out, err);
  return {status, err.str()};
}

const std::string kMap =
    CrLf({"[IMG ID]", "Name=Town", "[END-IMG ID]", "[POLYGON]", "Type=0x1", "Label=~[0x4]",
          "Data0=(1,2)", "[END]", "[POLYLINE]", "Type=0x1", "Data1=(1,2)", "RoadID=3", "[END]"});

struct CommandCase {
  const char* name;
  std::vector<std::string> args;  // the file is appended
  std::string outputName;         // "" when the file is changed in place
  std::string expected;
};

TEST(CliEditing, CommandsInPlaceAndAsCopies) {
  const std::string typeReplaced =
      CrLf({"[IMG ID]", "Name=Town", "[END-IMG ID]", "[POLYGON]", "Type=0xd", "Label=~[0x4]",
            "Data0=(1,2)", "[END]", "[POLYLINE]", "Type=0x1", "Data1=(1,2)", "RoadID=3", "[END]"});
  const std::string lineTypeReplaced =
      CrLf({"[IMG ID]", "Name=Town", "[END-IMG ID]", "[POLYGON]", "Type=0x1", "Label=~[0x4]",
            "Data0=(1,2)", "[END]", "[POLYLINE]", "Type=0x2", "Data1=(1,2)", "RoadID=3", "[END]"});
  const std::string layer0Deleted = CrLf(
      {"[IMG ID]", "Name=Town", "[END-IMG ID]", "[POLYLINE]", "Type=0x1", "Data1=(1,2)", "[END]"});
  const std::string layer1Deleted = CrLf({"[IMG ID]", "Name=Town", "[END-IMG ID]", "[POLYGON]",
                                          "Type=0x1", "Label=~[0x4]", "Data0=(1,2)", "[END]"});
  const std::string labelReplaced =
      CrLf({"[IMG ID]", "Name=Town", "[END-IMG ID]", "[POLYGON]", "Type=0x1", "Label=~[0x3]",
            "Data0=(1,2)", "[END]", "[POLYLINE]", "Type=0x1", "Data1=(1,2)", "RoadID=3", "[END]"});
  const std::string typeKeyReplaced =
      CrLf({"[IMG ID]", "Name=Town", "[END-IMG ID]", "[POLYGON]", "Kind=0x1", "Label=~[0x4]",
            "Data0=(1,2)", "[END]", "[POLYLINE]", "Kind=0x1", "Data1=(1,2)", "RoadID=3", "[END]"});
  const CommandCase cases[] = {
      {"replace-type defaults", {"replace-type"}, "", typeReplaced},
      {"replace-type copy", {"replace-type", "--copy"}, "m_0x1_replaced.mp", typeReplaced},
      {"replace-type lines",
       {"replace-type", "--kind", "line", "--from=0x1", "--to", "0x2"},
       "",
       lineTypeReplaced},
      {"delete-layer defaults", {"delete-layer"}, "", layer0Deleted},
      {"delete-layer copy", {"delete-layer", "--copy"}, "m_0_layer_deleted.mp", layer0Deleted},
      {"delete-layer 1",
       {"delete-layer", "--layer", "1", "--copy"},
       "m_1_layer_deleted.mp",
       layer1Deleted},
      {"search-replace defaults", {"search-replace"}, "", labelReplaced},
      {"search-replace copy", {"search-replace", "--copy"}, "m_replaced.mp", labelReplaced},
      {"search-replace at line starts",
       {"search-replace", "--find", "Type=", "--replace", "Kind="},
       "",
       typeKeyReplaced},
  };
  for (const CommandCase& c : cases) {
    test::TempDir dir;
    const std::string path = dir.File("m.mp");
    test::WriteBytes(path, kMap);
    std::vector<std::string> args = c.args;
    args.push_back(path);
    const CliRun run = RunInProcess(args);
    EXPECT_EQ(run.status, kExitOk) << c.name << ": " << run.err;
    EXPECT_NE(run.err.find("\nГотово: 1 файл, изменено 1, без изменений 0, с ошибками 0"),
              std::string::npos)
        << c.name << ": " << run.err;
    if (c.outputName.empty()) {
      EXPECT_EQ(test::ReadBytes(path), c.expected) << c.name;
      // Only the map itself is left in the folder, and the originals kept for undo.
      EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                              std::filesystem::directory_iterator()),
                2)
          << c.name;
      EXPECT_TRUE(test::Exists(dir.File(kUndoFolderName))) << c.name;
    } else {
      EXPECT_EQ(test::ReadBytes(path), kMap) << c.name;
      EXPECT_EQ(test::ReadBytes(dir.File(c.outputName)), c.expected) << c.name;
    }
  }
}

TEST(CliEditing, UsageErrorsTouchNoFile) {
  const std::vector<std::vector<std::string>> cases = {
      {"delete-layer", "--layer", "1a"},    {"delete-layer", "--layer", "../1"},
      {"replace-type", "--kind", "point"},  {"replace-type", "--to", "漢"},
      {"search-replace", "--find", "\xFF"}, {"search-replace", "--replace", "\xE2\x82"},
      {"search-replace", "--where", "x"},
  };
  for (const auto& c : cases) {
    test::TempDir dir;
    const std::string path = dir.File("m.mp");
    test::WriteBytes(path, "Label=~[0x4]\n");
    std::vector<std::string> args = c;
    args.push_back(path);
    const CliRun run = RunInProcess(args);
    EXPECT_EQ(run.status, kExitUsage) << c[0] << " " << c[1];
    EXPECT_EQ(test::ReadBytes(path), "Label=~[0x4]\n") << c[0] << " " << c[1];
    EXPECT_EQ(run.err.find("Готово"), std::string::npos);
  }
}

TEST(CliEditing, EmptyLayerIsAccepted) {
  test::TempDir dir;
  const std::string path = dir.File("m.mp");
  test::WriteBytes(path, kMap);
  const CliRun run = RunInProcess({"delete-layer", "--layer=", "--copy", path});
  EXPECT_EQ(run.status, kExitOk) << run.err;
  EXPECT_TRUE(test::Exists(dir.File("m__layer_deleted.mp")));
}

TEST(CliEditing, UnreadableFileFailsWithItsName) {
  test::TempDir dir;
  const std::string missing = dir.File("missing.mp");
  const CliRun run = RunInProcess({"search-replace", missing});
  EXPECT_EQ(run.status, kExitFailed);
  EXPECT_NE(run.err.find("Не могу открыть файл " + missing + " для чтения"), std::string::npos)
      << run.err;
}

// Through the built program, so that the text arrives as the shell's UTF-8 argument.
TEST(CliEditing, CyrillicSearchTextFindsItsCodePageBytes) {
  test::TempDir dir;
  const std::string path = dir.File("m.mp");
  const std::string map =
      CrLf({"[POI]", "Type=0x2f06", std::string("Label=") + std::string("Новгород"_cp), "[END]"});
  test::WriteBytes(path, map);
  const std::string cmd = std::string("'") + POMVELT_CLI_PATH +
                          "' search-replace --find 'Новгород' --replace 'Великий Новгород' '" +
                          path + "' 2>'" + dir.File("err.txt") + "'";
  const int status = std::system(cmd.c_str());
  EXPECT_EQ(test::ExitStatusOf(status), kExitOk) << test::ReadBytes(dir.File("err.txt"));
  EXPECT_EQ(test::ReadBytes(path),
            CrLf({"[POI]", "Type=0x2f06",
                  std::string("Label=") + std::string("Великий Новгород"_cp), "[END]"}));
}

// The typed texts go into each map's own code page when its turn comes: a map that cannot
// hold them is refused, named with the character, and the rest of the batch is done.
TEST(CliEditing, SearchTextsInEachMapsCodePage) {
  struct Map {
    const char* name;
    const char* page;    // the header's value, "" for none
    std::string label;   // UTF-8, written in the map's page
    std::string result;  // UTF-8 label afterwards; "" when the map is refused
  };
  struct Case {
    std::string find, replace;
    std::vector<Map> maps;
    std::string refusal;  // the one message expected, "" when every map is done
  } cases[] = {
      {"Спасс",
       "Спас",
       {{"a.mp", "1251", "Спасск", "Спаск"},
        {"b.mp", "65001", "Спасск", "Спаск"},
        {"c.mp", "", "Спасск", "Спаск"}},
       ""},
      {"Lodz",
       "Łódź",
       {{"a.mp", "1250", "Lodz", "Łódź"},
        {"b.mp", "1251", "Lodz", ""},
        {"c.mp", "65001", "Lodz", "Łódź"}},
       "Файл B пропущен: символа «Ł» (U+0141) нет в его кодовой странице 1251"},
      {"Łódź",
       "Lodz",
       {{"a.mp", "1250", "Łódź", "Lodz"}, {"b.mp", "1252", "Lodz", ""}},
       "Файл B пропущен: символа «Ł» (U+0141) нет в его кодовой странице 1252"},
  };
  for (const Case& c : cases) {
    test::TempDir dir;
    std::vector<std::string> args = {"search-replace", "--find", c.find, "--replace", c.replace};
    auto mapOf = [](const Map& m, const std::string& label) {
      const PageCodec& codec = *PageCodec::For(CodePage(*m.page ? std::atoi(m.page) : 0));
      std::vector<std::string> lines = {"[IMG ID]", "[END-IMG ID]", "[POI]",
                                        "Label=" + codec.FromUtf8(label).value(), "[END]"};
      if (*m.page) lines.insert(lines.begin() + 1, std::string("CodePage=") + m.page);
      return CrLf({lines.begin(), lines.end()});
    };
    for (const Map& m : c.maps) {
      test::WriteBytes(dir.File(m.name), mapOf(m, m.label));
      args.push_back(dir.File(m.name));
    }
    const CliRun run = RunInProcess(args);
    std::string refusal = c.refusal;
    if (!refusal.empty()) refusal.replace(refusal.find('B'), 1, dir.File("b.mp"));
    EXPECT_EQ(run.status, refusal.empty() ? kExitOk : kExitFailed) << c.find;
    EXPECT_EQ(run.err.find("пропущен") != std::string::npos, !refusal.empty()) << run.err;
    if (!refusal.empty()) {
      EXPECT_NE(run.err.find(refusal), std::string::npos) << run.err;
    }
    for (const Map& m : c.maps) {
      EXPECT_EQ(test::ReadBytes(dir.File(m.name)), mapOf(m, m.result.empty() ? m.label : m.result))
          << c.find << " " << m.name;
    }
  }
}

}  // namespace
}  // namespace pomvelt
