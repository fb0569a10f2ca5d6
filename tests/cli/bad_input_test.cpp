// Damaged and unusual inputs through every in-place command: each run ends with a result or a
// clear message, the map is either untouched or whole CR LF lines, and nothing else appears on
// or disappears from the disk.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>

#include "cli/cli.h"
#include "jobs/undo_journal.h"
#include "support/test_support.h"

namespace pomvelt {
namespace {

using test::TempDir;

std::set<std::string> Listing(const TempDir& dir) {
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
    if (e.path().filename() == kUndoFolderName) continue;  // the originals kept for undo
    names.insert(e.path().filename().string());
  }
  return names;
}

bool WholeCrLfLines(const std::string& bytes) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) return false;
  }
  return bytes.empty() || (bytes.size() >= 2 && bytes.compare(bytes.size() - 2, 2, "\r\n") == 0);
}

const std::vector<std::vector<std::string>> kCommands = {
    {"delete-elements"},
    {"replace-type"},
    {"delete-layer"},
    {"search-replace"},
    {"search-replace", "--find", "a", "--replace", "aa"},
    {"eurasia", "--remove-levels"},
    {"eurasia", "--fill-levels"},
    {"convert", "--translit", "to-russian", "--lower-case"},
    {"convert", "--translit", "to-translit"},
};

struct BadInput {
  const char* what;
  std::string bytes;
};

std::vector<BadInput> BadInputs() {
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary.push_back(static_cast<char>((i * 131 + 7) % 256));
  return {
      {"empty file", ""},
      {"binary", binary},
      {"NUL bytes", std::string("[POLYGON]\0\r\nType=0x4b\r\n\0\0[END]\r\n", 33)},
      {"CR-only line ends", "[POLYGON]\rType=0x4b\rData0=(1,1)\r[END]\r"},
      {"no line end at all", "[POLYGON] Type=0x4b Data0=(1,1) [END]"},
      {"header on the last line", "a\r\n[POLYGON]"},
      {"element without an end", "[POLYGON]\r\nType=0x4b\r\nData0=(1,1)\r\n[POI]\r\nType=0x1\r\n"},
      {"Levels= without the header end",
       "[IMG ID]\r\nLevels=3\r\n[POI]\r\nData2=(1,1)\r\n[END]\r\n"},
      {"one long line", "Label=" + std::string(3 << 20, 'a') + "~[0x4]"},
  };
}

TEST(BadInput, EveryCommandEndsCleanly) {
  for (const BadInput& input : BadInputs()) {
    for (const std::vector<std::string>& command : kCommands) {
      SCOPED_TRACE(std::string(input.what) + " / " + command[0] +
                   (command.size() > 1 ? " " + command[1] : ""));
      TempDir dir;
      const std::string map = dir.File("map.mp");
      test::WriteBytes(map, input.bytes);
      const std::set<std::string> before = Listing(dir);
      std::vector<std::string> args = command;
      args.push_back(map);
      std::ostringstream out, err;
      const int status = RunCli(args, out, err);
      EXPECT_TRUE(status == 0 || status == 1) << status << " " << err.str();
      EXPECT_NE(err.str().find("Готово"), std::string::npos) << err.str();
      EXPECT_EQ(Listing(dir), before);
      const std::string after = test::ReadBytes(map);
      EXPECT_TRUE(after == input.bytes || WholeCrLfLines(after));
      if (status == 1) {
        EXPECT_EQ(after, input.bytes);
      }
    }
  }
}

TEST(BadInput, FoldersAndLinksToNothingAreRefused) {
  TempDir dir;
  std::filesystem::create_directory(dir.File("folder.mp"));
  std::filesystem::create_symlink(dir.File("nowhere.mp"), dir.File("dangling.mp"));
  const std::set<std::string> before = Listing(dir);
  for (const std::vector<std::string>& command : kCommands) {
    for (const char* name : {"folder.mp", "dangling.mp"}) {
      std::vector<std::string> args = command;
      args.push_back(dir.File(name));
      std::ostringstream out, err;
      EXPECT_EQ(RunCli(args, out, err), 1) << command[0] << " " << name;
      EXPECT_NE(err.str().find("Не могу открыть файл"), std::string::npos) << err.str();
    }
  }
  EXPECT_EQ(Listing(dir), before);
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("folder.mp")));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("dangling.mp")));
}

TEST(BadInput, MissingHeaderEndIsNamedByTheLevelRemoval) {
  TempDir dir;
  const std::string map = dir.File("map.mp");
  const std::string bytes = "[IMG ID]\r\nLevels=3\r\n[POI]\r\nData2=(1,1)\r\n[END]\r\n";
  test::WriteBytes(map, bytes);
  std::ostringstream out, err;
  EXPECT_EQ(RunCli({"eurasia", "--remove-levels", map}, out, err), 1);
  EXPECT_NE(err.str().find("Не найден конец заголовка карты в файле " + map), std::string::npos);
  EXPECT_EQ(test::ReadBytes(map), bytes);
}

}  // namespace
}  // namespace pomvelt
