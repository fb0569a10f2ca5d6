// Every command on a UTF-8 map gives what it gives on the code page 1251 map the UTF-8 map was
// made from, in UTF-8: the two maps differ in their bytes only, never in what they say.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "cli/cli.h"
#include "support/test_support.h"
#include "text/code_page.h"

namespace pomvelt {
namespace {

// The text through the system's own converter, as a user would make a UTF-8 copy.
std::string Iconv(const test::TempDir& dir, const std::string& bytes) {
  const std::string in = dir.File("iconv_in.txt");
  const std::string out = dir.File("iconv_out.txt");
  test::WriteBytes(in, bytes);
  const std::string cmd = "iconv -f CP1251 -t UTF-8 '" + in + "' > '" + out + "'";
  EXPECT_EQ(std::system(cmd.c_str()), 0);
  return test::ReadBytes(out);
}

// The lines of a map with every code page declaration dropped.
std::string WithoutPageLines(std::string_view map) {
  std::string kept;
  while (!map.empty()) {
    const std::size_t end = map.find('\n');
    const std::string_view line =
        map.substr(0, end == std::string_view::npos ? map.size() : end + 1);
    if (!HeaderValue(line.substr(0, line.find_first_of("\r\n")), "codepage")) kept += line;
    map.remove_prefix(line.size());
  }
  return kept;
}

// The 1251 map in UTF-8, its header made to say so (the key keeps its letter case).
std::string Utf8Copy(const test::TempDir& dir, const std::string& cp1251) {
  std::string utf8 = Iconv(dir, cp1251);
  const std::size_t at = utf8.find("odepage=1251");
  const std::size_t atCamel = utf8.find("odePage=1251");
  const std::size_t first = std::min(at, atCamel);
  EXPECT_NE(first, std::string::npos);
  utf8.replace(first + 8, 4, "65001");
  return utf8;
}

TEST(CodePageCommands, Utf8MapGivesTheUtf8OfWhatItsCp1251MapGives) {
  const std::vector<std::vector<std::string>> commands = {
      {"search-replace", "--find", "Спасс", "--replace", "Спас"},
      {"search-replace", "--find", "Angara", "--replace", "Ангара"},
      {"delete-elements", "--kind", "line", "--type", "0x1f"},
      {"replace-type", "--kind", "polygon", "--from", "0x3b", "--to", "0x3c"},
      {"delete-layer", "--layer", "1"},
      {"convert", "--translit", "to-translit"},
      {"convert", "--translit", "to-translit", "--lower-case"},
      {"convert", "--translit", "to-russian"},
      {"convert", "--translit", "to-russian", "--lower-case"},
      {"eurasia", "--remove-levels"},
      {"eurasia", "--fill-levels"},
  };
  for (const char* name : {"mapsoft2_f11a.mp", "zkir_RussiaBkg.mp"}) {
    test::TempDir dir;
    const std::string cp1251 = test::ReadBytes(std::string(POMVELT_DATA_DIR) + "/" + name);
    const std::string utf8 = Utf8Copy(dir, cp1251);
    ASSERT_EQ(ReadMapHeader(utf8).page, CodePage(CodePage::kUtf8));
    for (const std::vector<std::string>& command : commands) {
      const std::string what = std::string(name) + ": " + command[0] + " " + command.back();
      std::string results[2];
      int statuses[2];
      for (int i = 0; i < 2; ++i) {
        const std::string map = dir.File(i == 0 ? "a.mp" : "b.mp");
        test::WriteBytes(map, i == 0 ? cp1251 : utf8);
        std::vector<std::string> args = command;
        args.push_back(map);
        std::ostringstream out, err;
        statuses[i] = RunCli(args, out, err);
        results[i] = test::ReadBytes(map);
      }
      EXPECT_EQ(statuses[0], kExitOk) << what;
      EXPECT_EQ(statuses[1], kExitOk) << what;
      EXPECT_EQ(ReadMapHeader(results[1]).page, CodePage(CodePage::kUtf8)) << what;
      // The 1251 result declares 1251 or nothing (to translit drops the line).
      EXPECT_EQ(ReadMapHeader(results[0]).page, CodePage()) << what;
      const std::string expected = WithoutPageLines(Iconv(dir, results[0]));
      const std::string got = WithoutPageLines(results[1]);
      EXPECT_EQ(got.size(), expected.size()) << what;
      EXPECT_TRUE(got == expected) << what;
    }
  }
}

}  // namespace
}  // namespace pomvelt
