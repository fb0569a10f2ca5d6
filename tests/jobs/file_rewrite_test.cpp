#include <gtest/gtest.h>

#include <filesystem>

#include "jobs/file_rewrite.h"
#include "support/test_support.h"

namespace pomvelt {
namespace {

using test::RecordingHost;
using test::TempDir;
using Calls = std::vector<std::string>;

// Copies the map unchanged: these tests are about where the result goes.
TransformResult Copy(LineReader& in, LineWriter& out) {
  std::string_view line;
  while (in.ReadLine(line)) out.WriteLine(line);
  return {};
}

RewriteRequest InPlace(const std::string& input, const std::string& output) {
  RewriteRequest r;
  r.inputPath = input;
  r.outputPath = output;
  r.inPlace = true;
  return r;
}

TEST(RewriteFile, AMapChangedOrDeletedMeanwhileIsNotOverwritten) {
  struct Case {
    const char* what;
    std::function<void(const std::string&)> meddle;
    std::optional<std::string> left;  // what the map path holds afterwards
  } cases[] = {
      {"rewritten", [](const std::string& p) { test::WriteBytes(p, "newer version\r\n"); },
       "newer version\r\n"},
      {"replaced by rename",
       [](const std::string& p) {
         test::WriteBytes(p + ".new", "saved by an editor\r\n");
         std::filesystem::rename(p + ".new", p);
       },
       "saved by an editor\r\n"},
      {"deleted", [](const std::string& p) { std::filesystem::remove(p); }, std::nullopt},
  };
  for (const Case& c : cases) {
    TempDir dir;
    const std::string map = dir.File("m.mp"), out = dir.File("m_out.mp");
    test::WriteBytes(map, "a\nb\n");
    const FileOutcome o = RewriteFile(InPlace(map, out), [&](LineReader& in, LineWriter& w) {
      c.meddle(map);
      return Copy(in, w);
    });
    EXPECT_TRUE(o.Failed()) << c.what;
    EXPECT_EQ(o.messages,
              (Calls{"Не могу заменить файл " + map + ": он изменился во время обработки"}))
        << c.what;
    EXPECT_EQ(test::Exists(map), c.left.has_value()) << c.what;
    if (c.left) {
      EXPECT_EQ(test::ReadBytes(map), *c.left) << c.what;
    }
    EXPECT_FALSE(test::Exists(out)) << c.what;
  }
}

TEST(RewriteFile, ThroughASymbolicLinkTheMapItNamesIsReplaced) {
  TempDir dir;
  std::filesystem::create_directory(dir.path() / "store");
  const std::string real = (dir.path() / "store" / "real.mp").string();
  const std::string link = dir.File("link.mp");
  test::WriteBytes(real, "x\ny\n");
  std::filesystem::create_symlink(real, link);
  const FileOutcome o = RewriteFile(InPlace(link, dir.File("link_out.mp")), Copy);
  EXPECT_EQ(o.result, FileResult::kChanged);  // the bare line ends got their CR
  EXPECT_EQ(o.output, link);
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(test::ReadBytes(real), "x\r\ny\r\n");
  EXPECT_FALSE(test::Exists(dir.File("link_out.mp")));

  // A link to nothing is not a map.
  const std::string dangling = dir.File("dangling.mp");
  std::filesystem::create_symlink(dir.File("nowhere.mp"), dangling);
  EXPECT_EQ(RewriteFile(InPlace(dangling, dir.File("d_out.mp")), Copy).messages,
            (Calls{"Не могу открыть файл для чтения"}));
  EXPECT_TRUE(std::filesystem::is_symlink(dangling));
  EXPECT_FALSE(test::Exists(dir.File("d_out.mp")));
}

TEST(RewriteFile, ARefusingTransformLeavesTheMap) {
  TempDir dir;
  const std::string map = dir.File("m.mp"), out = dir.File("m_out.mp");
  test::WriteBytes(map, "keep\n");
  for (const bool dryRun : {false, true}) {
    RewriteRequest request = InPlace(map, out);
    request.dryRun = dryRun;
    const FileOutcome o = RewriteFile(request, [](LineReader& in, LineWriter& w) {
      TransformResult r = Copy(in, w);
      r.refused = "refused";
      return r;
    });
    EXPECT_EQ(o.messages, (Calls{"refused"}));
    EXPECT_TRUE(o.Failed());
  }
  EXPECT_EQ(test::ReadBytes(map), "keep\n");
  EXPECT_FALSE(test::Exists(out));
}

// Unchanged means byte for byte: the line ends a copy repairs count as a change.
TEST(RewriteFile, UnchangedOnlyWhenTheResultIsTheInputByteForByte) {
  struct Case {
    const char* input;
    FileResult result;
  } cases[] = {
      {"a\r\nb\r\n", FileResult::kUnchanged}, {"", FileResult::kUnchanged},
      {"a\nb\r\n", FileResult::kChanged},     {"a\r\nb", FileResult::kChanged},
      {"a\r\nb\r", FileResult::kChanged},
  };
  for (const Case& c : cases) {
    for (const bool dryRun : {false, true}) {
      TempDir dir;
      const std::string map = dir.File("m.mp");
      test::WriteBytes(map, c.input);
      RewriteRequest request = InPlace(map, dir.File("m_out.mp"));
      request.dryRun = dryRun;
      const FileOutcome o = RewriteFile(request, Copy);
      EXPECT_EQ(o.result, c.result) << c.input;
      EXPECT_EQ(o.bytesIn, std::string_view(c.input).size());
      EXPECT_EQ(test::ReadBytes(map) == c.input, dryRun || c.result == FileResult::kUnchanged);
    }
  }
}

}  // namespace
}  // namespace pomvelt
