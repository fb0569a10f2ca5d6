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
std::optional<std::string> Copy(LineReader& in, LineWriter& out) {
  std::string_view line;
  while (in.ReadLine(line)) out.WriteLine(line);
  return std::nullopt;
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
    RecordingHost host;
    const bool ok = RewriteFile(InPlace(map, out), host, [&](LineReader& in, LineWriter& w) {
      c.meddle(map);
      return Copy(in, w);
    });
    EXPECT_FALSE(ok) << c.what;
    EXPECT_EQ(host.messages,
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
  RecordingHost host;
  EXPECT_TRUE(RewriteFile(InPlace(link, dir.File("link_out.mp")), host, Copy));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(test::ReadBytes(real), "x\r\ny\r\n");
  EXPECT_FALSE(test::Exists(dir.File("link_out.mp")));

  // A link to nothing is not a map.
  const std::string dangling = dir.File("dangling.mp");
  std::filesystem::create_symlink(dir.File("nowhere.mp"), dangling);
  EXPECT_FALSE(RewriteFile(InPlace(dangling, dir.File("d_out.mp")), host, Copy));
  EXPECT_EQ(host.messages, (Calls{"Не могу открыть файл для чтения"}));
  EXPECT_TRUE(std::filesystem::is_symlink(dangling));
  EXPECT_FALSE(test::Exists(dir.File("d_out.mp")));
}

TEST(RewriteFile, ARefusingTransformLeavesTheMap) {
  TempDir dir;
  const std::string map = dir.File("m.mp"), out = dir.File("m_out.mp");
  test::WriteBytes(map, "keep\n");
  RecordingHost host;
  EXPECT_FALSE(RewriteFile(InPlace(map, out), host, [](LineReader& in, LineWriter& w) {
    Copy(in, w);
    return std::optional<std::string>("refused");
  }));
  EXPECT_EQ(host.messages, (Calls{"refused"}));
  EXPECT_EQ(test::ReadBytes(map), "keep\n");
  EXPECT_FALSE(test::Exists(out));
}

}  // namespace
}  // namespace pomvelt
