// recode from the shell: options, output names, a failing map within a batch.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli.h"
#include "support/test_support.h"

namespace pomvelt {
namespace {

using test::CrLf;

int Cli(const std::vector<std::string>& args, std::string* err = nullptr) {
  std::ostringstream out, errs;
  const int status = RunCli(args, out, errs);
  if (err != nullptr) *err = errs.str();
  return status;
}

TEST(CliRecode, UsageErrors) {
  test::TempDir dir;
  const std::string map = dir.File("m.mp");
  test::WriteBytes(map, CrLf({"[IMG ID]", "[END]"}));
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"recode", map},
           {"recode", "--to", "866", map},
           {"recode", "--to=0", map},
           {"recode", "--to", "65001"},
           {"recode", "--to", "65001", "--in-place", map},
       }) {
    EXPECT_EQ(Cli(args), kExitUsage) << args[1];
  }
  EXPECT_EQ(test::ReadBytes(map), CrLf({"[IMG ID]", "[END]"}));
}

TEST(CliRecode, CopiesInPlaceAndFailuresInABatch) {
  test::TempDir dir;
  const std::string map = dir.File("town.mp");
  const std::string other = dir.File("other.mp");
  const std::string cp1251 = CrLf({"[IMG ID]", "CodePage=1251", "LblCoding=9", "[END]",
                                   "Label=\xD1\xEF\xE0\xF1\xF1"});  // Спасс
  const std::string utf8 =
      CrLf({"[IMG ID]", "CodePage=65001", "LblCoding=9", "[END]", "Label=Спасс"});
  test::WriteBytes(map, cp1251);
  EXPECT_EQ(Cli({"recode", "--to", "65001", "--copy", map}), kExitOk);
  EXPECT_EQ(test::ReadBytes(dir.File("town_cp65001.mp")), utf8);
  EXPECT_EQ(test::ReadBytes(map), cp1251);

  EXPECT_EQ(Cli({"recode", "--to=65001", map}), kExitOk);
  EXPECT_EQ(test::ReadBytes(map), utf8);

  // A map 1252 cannot hold fails by itself, named with its line; the batch goes on.
  test::WriteBytes(other, CrLf({"[IMG ID]", "CodePage=65001", "[END]", "Label=Sevilla"}));
  std::string err;
  EXPECT_EQ(Cli({"recode", "--to", "1252", map, other}, &err), kExitFailed);
  EXPECT_NE(err.find("Файл " + map +
                     " не перекодирован: строка 5: символа «С» (U+0421) нет в "
                     "кодовой странице 1252"),
            std::string::npos)
      << err;
  EXPECT_EQ(test::ReadBytes(map), utf8);
  EXPECT_EQ(test::ReadBytes(other),
            CrLf({"[IMG ID]", "CodePage=1252", "LblCoding=9", "[END]", "Label=Sevilla"}));

  EXPECT_EQ(Cli({"recode", "--to", "1252", "--replace-missing", map}), kExitOk);
  EXPECT_EQ(test::ReadBytes(map),
            CrLf({"[IMG ID]", "CodePage=1252", "LblCoding=9", "[END]", "Label=?????"}));
}

}  // namespace
}  // namespace pomvelt
