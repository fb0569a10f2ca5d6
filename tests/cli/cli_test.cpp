#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "cli/cli.h"
#include "cli/terminal_host.h"
#include "jobs/undo_journal.h"
#include "os/path.h"
#include "support/exit_status.h"
#include "support/test_support.h"

namespace pomvelt {
namespace {

using test::CrLf;
using test::TempDir;

struct CliRun {
  int status;
  std::string out, err;
};

CliRun Cli(std::vector<std::string> args) {
  std::ostringstream out, err;
  const int status = RunCli(args, out, err);
  return {status, out.str(), err.str()};
}

const std::string kMap = CrLf({"[IMG ID]", "[END-IMG ID]", "[POLYGON]", "Type=0x4b", "[END]",
                               "[POLYLINE]", "Type=0x4b", "[END]"});
const std::string kNoPolygon =
    CrLf({"[IMG ID]", "[END-IMG ID]", "[POLYLINE]", "Type=0x4b", "[END]"});

TEST(Cli, DeleteElementsInPlaceAndCopy) {
  TempDir dir;
  const std::string a = dir.File("a.mp"), b = dir.File("b.mp");
  test::WriteBytes(a, kMap);
  test::WriteBytes(b, kMap);
  CliRun r = Cli({"delete-elements", "--kind", "polygon", "--type", "0x4b", a, b});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(test::ReadBytes(a), kNoPolygon);
  EXPECT_EQ(test::ReadBytes(b), kNoPolygon);
  EXPECT_TRUE(r.err.starts_with(
      "[1] a.mp\n[2] b.mp\nГотово: 2 файла, изменено 2, без изменений 0, с ошибками 0; "
      "удалено элементов: 2\nОригиналы сохранены в " +
      NameOf(PathOf(dir.File(kUndoFolderName)) / "")))
      << r.err;

  test::WriteBytes(a, kMap);
  r = Cli({"delete-elements", "--copy", "--kind=line", a});
  EXPECT_EQ(r.status, 0);
  // Nothing replaced: nothing to take back.
  EXPECT_EQ(r.err,
            "[1] a.mp\nГотово: 1 файл, изменено 1, без изменений 0, с ошибками 0; удалено "
            "элементов: 1\n");
  EXPECT_EQ(test::ReadBytes(a), kMap);
  EXPECT_EQ(test::ReadBytes(dir.File("a_0x4b_deleted.mp")),
            CrLf({"[IMG ID]", "[END-IMG ID]", "[POLYGON]", "Type=0x4b", "[END]"}));
}

// Started in a folder with the maps named relative to it: a failure names the file as typed,
// then the system's reason after the message's own text.
TEST(Cli, AFailureNamesTheFileAsGivenAndTheSystemsReason) {
  const struct {
    std::string args, line;
  } cases[] = {
      {"delete-elements maps/a.mp",
       "Не могу открыть файл для чтения: maps/a.mp: No such file or directory"},
      {"delete-elements maps", "Не могу открыть файл для чтения: maps: Is a directory"},
      {"delete-elements --copy maps/b.mp",
       "Не могу открыть файл для вывода: maps/b_0x4b_deleted.mp"},
      {"search-replace --find A --replace B maps/a.mp",
       "Не могу открыть файл maps/a.mp для чтения: No such file or directory"},
      {"convert --translit to-translit maps/a.mp",
       "Не могу открыть файл для чтения: maps/a.mp: No such file or directory"},
  };
  for (const auto& c : cases) {
    TempDir dir;
    std::filesystem::create_directories(dir.File("maps/b_0x4b_deleted.mp"));
    test::WriteBytes(dir.File("maps/b.mp"), kMap);
    const std::string command =
        "cd '" + dir.path().string() + "' && '" + POMVELT_CLI_PATH + "' " + c.args + " 2>err.txt";
    const int status = std::system(command.c_str());
    const std::string err = test::ReadBytes(dir.File("err.txt"));
    EXPECT_EQ(test::ExitStatusOf(status), 1) << c.args << "\n" << err;
    EXPECT_NE(err.find("\n" + c.line + "\n"), std::string::npos) << c.args << "\n" << err;
    EXPECT_EQ(test::ReadBytes(dir.File("maps/b.mp")), kMap);
  }
}

TEST(Cli, UnreadableFileFailsButTheOthersAreDone) {
  TempDir dir;
  const std::string a = dir.File("a.mp");
  test::WriteBytes(a, kMap);
  const CliRun r = Cli({"delete-elements", dir.File("missing.mp"), a});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(test::ReadBytes(a), kNoPolygon);
  EXPECT_NE(r.err.find("Не могу открыть файл для чтения: " + dir.File("missing.mp") +
                       ": No such file or directory\n"),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("\nГотово: 2 файла, изменено 1, без изменений 0, с ошибками 1"),
            std::string::npos);
}

TEST(Cli, BuiltProgramEndToEnd) {
  TempDir dir;
  const std::string a = dir.File("a b.mp");  // a blank in the name
  test::WriteBytes(a, kMap);
  const std::string command = std::string("cd '") + dir.path().string() + "' && '" +
                              POMVELT_CLI_PATH + "' delete-elements --copy 'a b.mp' 2>err.txt";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(test::ReadBytes(dir.File("a b_0x4b_deleted.mp")), kNoPolygon);
  EXPECT_EQ(test::ReadBytes(a), kMap);
  EXPECT_EQ(test::ReadBytes(dir.File("err.txt")),
            "[1] a b.mp\nГотово: 1 файл, изменено 1, без изменений 0, с ошибками 0; удалено "
            "элементов: 1\n");
  const std::string usage = std::string("'") + POMVELT_CLI_PATH + "' delete-elements 2>/dev/null";
  const int status = std::system(usage.c_str());
  EXPECT_EQ(test::ExitStatusOf(status), 2);
}

}  // namespace
}  // namespace pomvelt

namespace pomvelt {
namespace {

TEST(Cli, EurasiaRemovesLevelsAndWritesTheList) {
  TempDir dir;
  const std::string a = dir.File("a.mp");
  test::WriteBytes(
      a, CrLf({"Name=A", "Levels=3", "[END-IMG ID]", "[POI]", "Type=0x1", "Data2=(1,1)", "[END]"}));
  const CliRun r = Cli({"eurasia", "--remove-levels", "--tdb-list", a});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(test::ReadBytes(a).find("[POI]\r\nType=0x1\r\nData0=(1,1)\r\n[END]\r\n"),
            std::string::npos);
  EXPECT_NE(test::ReadBytes(dir.File("eurasia_pdb.txt")).find(";  A  \r\nimg=a.img\r\n"),
            std::string::npos);
  EXPECT_EQ(Cli({"eurasia", "--remove-levels", "--fill-levels", a}).status, 2);
}

}  // namespace
}  // namespace pomvelt

namespace pomvelt {
namespace {

// On a terminal the progress line names the file; a message about it must not wipe that name
// off the screen, and must stand on a line of its own.
TEST(TerminalHost, AMessageKeepsTheFileItIsAbout) {
  std::ostringstream err;
  const std::atomic<bool> interrupted{false};
  TerminalHost host(err, true, interrupted);
  host.progress().SetRange(0, 2, 1);
  host.progress().SetText("a.mp");
  host.MessageBox("Не могу открыть файл для вывода");
  host.progress().StepIt();
  host.progress().SetText("b.mp");
  host.progress().Hide();
  host.MessageBox("Готово");
  EXPECT_EQ(err.str(),
            "\r\x1b[K[0%] a.mp\n"
            "Не могу открыть файл для вывода\n"
            "\r\x1b[K[50%] b.mp\r\x1b[K"
            "Готово\n");
}

}  // namespace
}  // namespace pomvelt
