// The editing commands from the shell: their options, output names and exit statuses.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cstdlib>
#include <sstream>

#include "cli/cli.h"
#include "jobs/undo_journal.h"
#include "support/test_support.h"
#include "text/cp1251.h"

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
      {"delete-layer", "--layer", "1a"},   {"delete-layer", "--layer", "../1"},
      {"replace-type", "--kind", "point"}, {"replace-type", "--to", "漢"},
      {"search-replace", "--find", "漢"},  {"search-replace", "--replace", "€漢"},
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
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), kExitOk) << test::ReadBytes(dir.File("err.txt"));
  EXPECT_EQ(test::ReadBytes(path),
            CrLf({"[POI]", "Type=0x2f06",
                  std::string("Label=") + std::string("Великий Новгород"_cp), "[END]"}));
}

}  // namespace
}  // namespace pomvelt
