// The built pomvelt-cli, started as a separate process with an argument list: file names with
// blanks and Cyrillic letters, texts with quotes and backslashes must reach it unchanged, on
// Windows through the UTF-16 command line and its quoting rules.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "jobs/undo_journal.h"
#include "os/path.h"
#include "pipeline/process_runner.h"
#include "support/test_support.h"
#include "text/cp1251.h"

namespace pomvelt {
namespace {

using test::CrLf;

int RunBuilt(const std::vector<std::string>& args) {
  const ProcessOutcome outcome = ProcessRunner::Run(POMVELT_CLI_PATH, args, WindowMode::kHidden);
  EXPECT_TRUE(outcome.started) << POMVELT_CLI_PATH;
  return outcome.exitStatus;
}

// Entries of a folder besides the undo folder an in-place run makes there.
std::size_t EntriesIn(const std::string& folder) {
  std::size_t n = 0;
  for (const auto& entry : std::filesystem::directory_iterator(PathOf(folder))) {
    n += entry.path().filename() != kUndoFolderName;
  }
  return n;
}

std::string MakeFolder(const test::TempDir& dir, const std::string& name) {
  const std::string folder = NameOf(dir.path() / PathOf(name));
  std::filesystem::create_directory(PathOf(folder));
  return folder;
}

const std::string kMap = CrLf({"[IMG ID]", "[END-IMG ID]", "[POLYGON]", "Type=0x4b", "[END]",
                               "[POLYLINE]", "Type=0x4b", "[END]"});
const std::string kNoPolygon =
    CrLf({"[IMG ID]", "[END-IMG ID]", "[POLYLINE]", "Type=0x4b", "[END]"});

TEST(BuiltProgram, ReplacesMapsInPlaceUnderNamesWithBlanksAndCyrillic) {
  for (const std::string name : {"карта 1.mp", "a b.mp", "Ёлки-палки.mp", "plain.mp"}) {
    test::TempDir dir;
    const std::string folder = MakeFolder(dir, "Карты и планы");
    const std::string map = NameOf(PathOf(folder) / PathOf(name));
    test::WriteBytes(map, kMap);
    EXPECT_EQ(RunBuilt({"delete-elements", "--type", "0x4b", map}), kExitOk) << name;
    EXPECT_EQ(test::ReadBytes(map), kNoPolygon) << name;
    EXPECT_EQ(EntriesIn(folder), 1u) << name << ": a temporary was left beside the map";
  }
}

TEST(BuiltProgram, WritesTheCopyBesideACyrillicName) {
  test::TempDir dir;
  const std::string folder = MakeFolder(dir, "Новая папка");
  const std::string map = NameOf(PathOf(folder) / PathOf("город.mp"));
  test::WriteBytes(map, kMap);
  EXPECT_EQ(RunBuilt({"delete-elements", "--copy", map}), kExitOk);
  EXPECT_EQ(test::ReadBytes(map), kMap);
  EXPECT_EQ(test::ReadBytes(NameOf(PathOf(folder) / PathOf("город_0x4b_deleted.mp"))), kNoPolygon);
}

TEST(BuiltProgram, TextsArriveWithTheirBlanksQuotesAndBackslashes) {
  struct Case {
    std::string find, replace;
    std::string label, expected;  // code page 1251 bytes
  };
  const std::vector<Case> cases = {
      {"say \"hi\"", "said", "say \"hi\" now", "said now"},
      {"C:\\maps\\", "D:\\", "C:\\maps\\a", "D:\\a"},  // a trailing backslash
      {"a\\\"b", "c", "xa\\\"by", "xcy"},              // a backslash before a quote
      {"two  blanks", "\t", "two  blanks", "\t"},
      {"Новгород", "Великий Новгород", std::string("Новгород"_cp),
       std::string("Великий Новгород"_cp)},
      {"ёж", "\"Ёж\"", std::string("ёж"_cp), std::string("\"Ёж\""_cp)},
  };
  for (const Case& c : cases) {
    test::TempDir dir;
    const std::string map = dir.File("m.mp");
    test::WriteBytes(map, CrLf({"[POI]", "Label=" + c.label, "[END]"}));
    EXPECT_EQ(RunBuilt({"search-replace", "--find", c.find, "--replace", c.replace, map}), kExitOk)
        << c.find;
    EXPECT_EQ(test::ReadBytes(map), CrLf({"[POI]", "Label=" + c.expected, "[END]"})) << c.find;
  }
}

TEST(BuiltProgram, RewritesARealMapInPlaceInACyrillicFolder) {
  const std::string source = test::DataMap("zkir_RussiaBkg.mp");
  if (source.empty()) GTEST_SKIP() << "the shared data folder is absent";
  test::TempDir dir;
  const std::string folder = MakeFolder(dir, "Россия фон");
  const std::string map = NameOf(PathOf(folder) / PathOf("Россия.mp"));
  const std::string original = test::ReadBytes(source);
  test::WriteBytes(map, original);
  EXPECT_EQ(RunBuilt({"delete-elements", "--type", "0x28", map}), kExitOk);
  const std::string result = test::ReadBytes(map);
  EXPECT_EQ(result.find("\r\nType=0x28\r\n"), std::string::npos);
  EXPECT_NE(original.find("\r\nType=0x28\r\n"), std::string::npos);
  EXPECT_LT(result.size(), original.size());
  EXPECT_EQ(EntriesIn(folder), 1u);
}

}  // namespace
}  // namespace pomvelt
