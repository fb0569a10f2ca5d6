#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <new>
#include <set>
#include <thread>

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
  EXPECT_EQ(
      RewriteFile(InPlace(dangling, dir.File("d_out.mp")), Copy).messages,
      (Calls{"Не могу открыть файл для чтения: " + dangling + ": No such file or directory"}));
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

TransformResult Upper(LineReader& in, LineWriter& out) {
  std::string_view line;
  while (in.ReadLine(line)) {
    std::string up(line);
    for (char& c : up) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    out.WriteLine(up);
  }
  TransformResult r;
  r.linesChanged = true;
  return r;
}

FileOutcome RunWith(RewriteRequest request, RecordingHost& host, const LineTransform& transform) {
  request.host = &host;
  return RewriteFile(request, transform);
}

RewriteRequest InPlaceOf(const std::string& map) {
  RewriteRequest r;
  r.inputPath = map;
  r.outputPath = map + "_copy.mp";
  r.inPlace = true;
  return r;
}

// A map locked by another run: refused at once by a host that does not wait, given up without
// a message when the user cancels, and otherwise edited as that run left it.
TEST(RewriteFile, ALockedMapIsRefusedOrWaitedFor) {
  TempDir dir;
  const std::string map = dir.File("m.mp");
  test::WriteBytes(map, "old\n");
  auto other = std::make_unique<InputFile>();
  ASSERT_TRUE(other->Open(map));
  ASSERT_EQ(other->TryLock(), LockState::kLocked);
  {
    RecordingHost host;
    host.waitsForBusyFiles = false;
    const FileOutcome o = RunWith(InPlaceOf(map), host, Upper);
    EXPECT_TRUE(o.Failed());
    EXPECT_EQ(o.messages, (Calls{"Файл " + map + " занят другим запуском Pomvelt"}));
  }
  {
    RecordingHost host;
    host.cancelled = true;
    const FileOutcome o = RunWith(InPlaceOf(map), host, Upper);
    EXPECT_EQ(o.result, FileResult::kNotStarted);
    EXPECT_EQ(o.messages, Calls{});
  }
  EXPECT_EQ(test::ReadBytes(map), "old\n");
#ifdef _WIN32
  // Windows renames nothing over a file another run holds open: the other run just lets go.
  const std::string expected = "OLD\r\n";
  std::thread release([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    other.reset();
  });
#else
  // The other run replaces the map, then lets go: the waiting run edits the new version.
  const std::string expected = "NEW\r\n";
  std::thread release([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    test::WriteBytes(dir.File("next"), "new\n");
    std::filesystem::rename(dir.File("next"), map);
    other.reset();
  });
#endif
  RecordingHost host;
  EXPECT_EQ(RunWith(InPlaceOf(map), host, Upper).result, FileResult::kChanged);
  release.join();
  EXPECT_EQ(test::ReadBytes(map), expected);
  EXPECT_EQ(test::FileNames(dir), (std::set<std::string>{"m.mp"}));
}

TEST(RewriteFile, PassesSurveysAndFailuresLeaveNoTemporary) {
  const auto refuse = [](LineReader& in, LineWriter& out) {
    TransformResult r = Upper(in, out);
    r.refused = "refused";
    return r;
  };
  const auto outOfMemory = [](LineReader&, LineWriter&) -> TransformResult {
    throw std::bad_alloc();
  };
  const auto readAllThen = [](bool go) {
    return [go](LineReader& in) {
      std::string_view line;
      while (in.ReadLine(line)) {
      }
      return go;
    };
  };
  struct Case {
    const char* what;
    std::vector<LineTransform> passes;
    std::function<bool(LineReader&)> survey;
    bool ok;
    std::string left;
    Calls messages;  // "%" stands for the map's path
  } cases[] = {
      {"two passes", {Copy, Upper}, nullptr, true, "AB\r\nC\r\n", {}},
      {"three passes", {Upper, Copy, Copy}, nullptr, true, "AB\r\nC\r\n", {}},
      {"the middle pass refuses", {Upper, refuse, Copy}, nullptr, false, "ab\nc", {"refused"}},
      {"the last pass refuses", {Upper, refuse}, nullptr, false, "ab\nc", {"refused"}},
      {"memory runs out",
       {Copy, outOfMemory},
       nullptr,
       false,
       "ab\nc",
       {"Недостаточно памяти для файла %"}},
      {"the survey finds nothing to do", {Upper}, readAllThen(false), true, "ab\nc", {}},
      {"the survey reads everything, the pass again",
       {Upper},
       readAllThen(true),
       true,
       "AB\r\nC\r\n",
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const std::string map = dir.File("m.mp");
    test::WriteBytes(map, "ab\nc");
    RecordingHost host;
    RewriteRequest request = InPlaceOf(map);
    request.survey = c.survey;
    request.host = &host;
    const FileOutcome o = RewriteFileInPasses(request, c.passes);
    EXPECT_EQ(!o.Failed(), c.ok);
    EXPECT_EQ(test::ReadBytes(map), c.left);
    Calls expected = c.messages;
    for (std::string& m : expected) {
      if (m.back() == '%') m = m.substr(0, m.size() - 1) + map;
    }
    EXPECT_EQ(o.messages, expected);
    EXPECT_EQ(test::FileNames(dir), (std::set<std::string>{"m.mp"}));
  }
}

// A copy replaces a file of that name (what --copy has always done), but a link under the name
// is neither written through nor replaced.
TEST(RewriteFile, ACopyReplacesAFileButNeverALink) {
  TempDir dir;
  const std::string map = dir.File("m.mp"), copy = dir.File("m_copy.mp");
  test::WriteBytes(map, "ab\n");
  test::WriteBytes(copy, "earlier copy");
  RewriteRequest request = InPlaceOf(map);
  request.inPlace = false;
  request.outputPath = copy;
  RecordingHost host;
  EXPECT_EQ(RunWith(request, host, Upper).result, FileResult::kChanged);
  EXPECT_EQ(test::ReadBytes(copy), "AB\r\n");
  std::filesystem::remove(copy);
  test::WriteBytes(dir.File("victim"), "victim");
  std::filesystem::create_symlink(dir.File("victim"), copy);
  const FileOutcome refused = RunWith(request, host, Upper);
  EXPECT_TRUE(refused.Failed());
  EXPECT_EQ(refused.messages, (Calls{"Не могу открыть файл для вывода: " + copy}));
  EXPECT_TRUE(std::filesystem::is_symlink(copy));
  EXPECT_EQ(test::ReadBytes(dir.File("victim")), "victim");
  EXPECT_EQ(test::ReadBytes(map), "ab\n");
  EXPECT_EQ(test::FileNames(dir), (std::set<std::string>{"m.mp", "m_copy.mp", "victim"}));
}

}  // namespace
}  // namespace pomvelt
