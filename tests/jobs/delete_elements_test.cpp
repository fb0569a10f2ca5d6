#include <gtest/gtest.h>

#include <filesystem>

#include "jobs/delete_elements.h"
#include "support/test_support.h"

namespace pomvelt {
namespace {

using test::CrLf;
using test::RecordingHost;
using test::TempDir;
using Calls = std::vector<std::string>;

test::Counted DeleteCounted(std::string_view input, ElementKind kind, std::string_view code,
                            std::size_t block = LineReader::kDefaultBlock) {
  const DeleteElementsOptions options{kind, std::string(code), true};
  return test::RunCounted(
      input,
      [&](LineReader& in, LineWriter& out) { return ResultOf(DeleteElements(in, out, options)); },
      block);
}

std::string Delete(std::string_view input, ElementKind kind, std::string_view code,
                   std::size_t block = LineReader::kDefaultBlock) {
  return DeleteCounted(input, kind, code, block).output;
}

TEST(DeleteElements, TransformCases) {
  using K = ElementKind;
  struct Case {
    const char* what;
    K kind;
    const char* code;
    std::vector<std::string_view> in;
    std::vector<std::string_view> out;
    long long deleted = 0;
  } cases[] = {
      {"a matching polygon vanishes",
       K::kPolygon,
       "0x4b",
       {"[IMG ID]", "[END-IMG ID]", "[POLYGON]", "Type=0x4b", "Label=A", "Data0=(1,2)", "[END]",
        "after"},
       {"[IMG ID]", "[END-IMG ID]", "after"},
       1},
      {"RGN80 header and own end",
       K::kPolygon,
       "0x4b",
       {"[RGN80]", "Type=0x4b", "[END-RGN80]", "x"},
       {"x"},
       1},
      {"type compared exactly",
       K::kPolygon,
       "0x4b",
       {"[POLYGON]", "Type=0x4B", "[END]", "[POLYGON]", "Type=0x4b ", "[END]"},
       {"[POLYGON]", "Type=0x4B", "[END]", "[POLYGON]", "Type=0x4b ", "[END]"},
       0},
      {"type line not first stays",
       K::kPolygon,
       "0x4b",
       {"[POLYGON]", "Label=A", "Type=0x4b", "[END]"},
       {"[POLYGON]", "Label=A", "Type=0x4b", "[END]"},
       0},
      {"other kind stays",
       K::kLine,
       "0x4b",
       {"[POLYGON]", "Type=0x4b", "[END]"},
       {"[POLYGON]", "Type=0x4b", "[END]"},
       0},
      {"line ended by its own marker",
       K::kLine,
       "0x1",
       {"[POLYLINE]", "Type=0x1", "Data0=(1,2)", "[END-RGN40]", "keep"},
       {"keep"},
       1},
      {"a blank before [END] does not end it",
       K::kLine,
       "0x1",
       {"[POLYLINE]", "Type=0x1", " [END]", "gone", "[END]", "keep"},
       {"keep"},
       1},
      {"polygon not ended by the line marker",
       K::kPolygon,
       "0x4b",
       {"[POLYGON]", "Type=0x4b", "[END-RGN40]", "gone", "[END-RGN80]", "keep"},
       {"keep"},
       1},
      {"no end runs to the end of the file",
       K::kPoint,
       "0x2f06",
       {"a", "[POI]", "Type=0x2f06", "Label=x", "Data0=(1,2)"},
       {"a"},
       1},
      {"two headers in a row keep the element",
       K::kPolygon,
       "0x4b",
       {"[POLYGON]", "[POLYGON]", "Type=0x4b", "[END]"},
       {"[POLYGON]", "[POLYGON]", "Type=0x4b", "[END]"},
       0},
      {"empty code matches a bare key only",
       K::kPolygon,
       "",
       {"[POLYGON]", "Type=", "[END]", "[POLYGON]", "Type=0x1", "[END]"},
       {"[POLYGON]", "Type=0x1", "[END]"},
       1},
      {"header on the last line gets an empty line",
       K::kPolygon,
       "0x4b",
       {"a", "[POLYGON]"},
       {"a", "[POLYGON]", ""},
       0},
      {"point of the code vanishes, line of the code stays",
       K::kPoint,
       "0x1",
       {"[RGN10]", "Type=0x1", "[END-RGN10]", "[RGN40]", "Type=0x1", "[END-RGN40]"},
       {"[RGN40]", "Type=0x1", "[END-RGN40]"},
       1},
  };
  for (const Case& c : cases) {
    for (std::size_t block : {std::size_t{1}, std::size_t{3}, LineReader::kDefaultBlock}) {
      const std::string input = CrLf(c.in);
      const test::Counted r = DeleteCounted(input, c.kind, c.code, block);
      EXPECT_EQ(r.output, CrLf(c.out)) << c.what << " (block " << block << ")";
      EXPECT_EQ(r.Count("elementsDeleted"), c.deleted) << c.what;
      EXPECT_EQ(r.unchanged, r.output == input) << c.what;
    }
  }
}

TEST(DeleteElements, LastLineWithoutEndAndEmptyInput) {
  EXPECT_EQ(Delete("a\r\nb", ElementKind::kPolygon, "0x4b"), "a\r\nb\r\n");
  EXPECT_EQ(Delete("a\nb\n", ElementKind::kPolygon, "0x4b"), "a\r\nb\r\n");
  EXPECT_EQ(Delete("", ElementKind::kPolygon, "0x4b"), "");
}

const std::string kMap = CrLf({"[IMG ID]", "Name=T", "[END-IMG ID]", "[POLYGON]", "Type=0x4b",
                               "Data0=(1,2)", "[END]", "[POLYGON]", "Type=0x1", "[END]"});
const std::string kFiltered =
    CrLf({"[IMG ID]", "Name=T", "[END-IMG ID]", "[POLYGON]", "Type=0x1", "[END]"});

TEST(DeleteElementsInFile, InPlaceAndAsCopy) {
  TempDir dir;
  const std::string a = dir.File("a.mp");
  test::WriteBytes(a, kMap);
  std::filesystem::permissions(a, std::filesystem::perms(0640));
  RecordingHost host;
  DeleteElementsOptions options;

  options.inPlace = false;
  FileOutcome o = DeleteElementsInFile(a, options, {host});
  EXPECT_EQ(o.result, FileResult::kChanged);
  EXPECT_EQ(o.output, dir.File("a_0x4b_deleted.mp"));
  EXPECT_EQ(o.bytesIn, kMap.size());
  EXPECT_EQ(o.bytesOut, kFiltered.size());
  EXPECT_EQ(test::ReadBytes(a), kMap);
  EXPECT_EQ(test::ReadBytes(dir.File("a_0x4b_deleted.mp")), kFiltered);
  // A second run overwrites the first output.
  test::WriteBytes(dir.File("a_0x4b_deleted.mp"), "old junk");
  EXPECT_FALSE(DeleteElementsInFile(a, options, {host}).Failed());
  EXPECT_EQ(test::ReadBytes(dir.File("a_0x4b_deleted.mp")), kFiltered);
  std::filesystem::remove(dir.File("a_0x4b_deleted.mp"));

  options.inPlace = true;
  o = DeleteElementsInFile(a, options, {host});
  EXPECT_EQ(o.result, FileResult::kChanged);
  EXPECT_EQ(o.output, a);
  EXPECT_EQ(test::ReadBytes(a), kFiltered);
  EXPECT_FALSE(test::Exists(dir.File("a_0x4b_deleted.mp")));
#ifndef _WIN32  // where files have permission bits
  EXPECT_EQ(std::filesystem::status(a).permissions(), std::filesystem::perms(0640));
#endif
  EXPECT_TRUE(host.messages.empty());
  // Nothing left to delete: the map is the same, byte for byte.
  EXPECT_EQ(DeleteElementsInFile(a, options, {host}).result, FileResult::kUnchanged);
}

TEST(DeleteElementsInFile, FileNameWithoutDotStaysInItsFolder) {
  TempDir dir;
  std::filesystem::create_directory(dir.path() / "maps.v1");
  const std::string town = (dir.path() / "maps.v1" / "town").string();
  test::WriteBytes(town, kMap);
  RecordingHost host;
  DeleteElementsOptions options;
  options.inPlace = false;
  EXPECT_FALSE(DeleteElementsInFile(town, options, {host}).Failed());
  EXPECT_EQ(test::ReadBytes(town + "_0x4b_deleted.mp"), kFiltered);
}

TEST(DeleteElementsInFile, FailuresLeaveTheInputAndNoOutput) {
  TempDir dir;
  const std::string a = dir.File("a.mp");
  const std::string out = dir.File("a_0x4b_deleted.mp");
  RecordingHost host;
  const DeleteElementsOptions options;
  const auto failure = [&](const std::string& path) {
    const FileOutcome o = DeleteElementsInFile(path, options, {host});
    EXPECT_EQ(o.result, FileResult::kFailed);
    EXPECT_TRUE(o.output.empty());
    return o.messages;
  };

  // A missing input (with the system's reason), and a folder given as the input.
  EXPECT_EQ(failure(dir.File("none.mp")),
            (Calls{"Не могу открыть файл для чтения: " + dir.File("none.mp") +
                   ": No such file or directory"}));
  EXPECT_EQ(DeleteElementsInFile(dir.File("none.mp"), options, {host}).reason,
            "No such file or directory");
  EXPECT_EQ(
      failure(dir.path().string()),
      (Calls{"Не могу открыть файл для чтения: " + dir.path().string() + ": Is a directory"}));
  test::WriteBytes(a, kMap);
  // A copy cannot be made where a folder stands under its name, nor through a link planted
  // there (to a full disk, here); in place, neither is touched.
  for (const bool isLink : {false, true}) {
    if (isLink) {
      std::filesystem::create_symlink("/dev/full", out);
    } else {
      std::filesystem::create_directory(out);
    }
    DeleteElementsOptions copy = options;
    copy.inPlace = false;
    const FileOutcome o = DeleteElementsInFile(a, copy, {host});
    EXPECT_EQ(o.messages, (Calls{"Не могу открыть файл для вывода: " + out}));
    EXPECT_EQ(test::ReadBytes(a), kMap);
    EXPECT_FALSE(DeleteElementsInFile(a, options, {host}).Failed());
    EXPECT_EQ(test::ReadBytes(a), kFiltered);
    EXPECT_EQ(std::filesystem::is_symlink(out), isLink);
    EXPECT_EQ(std::filesystem::is_directory(out), !isLink);
    std::filesystem::remove(out);
    test::WriteBytes(a, kMap);
  }
  // The steps only return their failures; the runner shows them.
  EXPECT_TRUE(host.messages.empty());
}

TEST(DeleteElementsJob, RunsEveryChosenFileAndGoesOnAfterAFailure) {
  TempDir dir;
  const std::string a = dir.File("a.mp"), b = dir.File("b.mp");
  test::WriteBytes(a, kMap);
  test::WriteBytes(b, kMap);
  RecordingHost host;
  const BatchReport r =
      DeleteElementsJob(DeleteElementsOptions{}, {a, dir.File("missing.mp"), b}, {host});
  EXPECT_EQ(test::ReadBytes(a), kFiltered);
  EXPECT_EQ(test::ReadBytes(b), kFiltered);
  EXPECT_EQ(host.messages,
            (Calls{CannotOpenForReading(dir.File("missing.mp")) + ": No such file or directory",
                   "Готово"}));
  EXPECT_EQ(r.Totals().failed, 1);
  EXPECT_EQ(r.Totals().changed, 2);
  ASSERT_EQ(r.Totals().counts.size(), 1u);
  EXPECT_EQ(r.Totals().counts[0].value, 2);
}

// A dry run counts what the real run then does, and touches nothing.
TEST(DeleteElementsInFile, DryRunCountsWithoutWriting) {
  TempDir dir;
  const std::string a = dir.File("a.mp");
  test::WriteBytes(a, kMap);
  const auto before = std::filesystem::last_write_time(a);
  RecordingHost host;
  for (const bool inPlace : {true, false}) {
    const FileOutcome dry =
        DeleteElementsInFile(a, {ElementKind::kPolygon, "0x4b", inPlace}, BatchContext{host, true});
    EXPECT_EQ(dry.result, FileResult::kChanged);
    EXPECT_EQ(dry.counts[0].value, 1);
    EXPECT_EQ(dry.bytesOut, kFiltered.size());
    EXPECT_TRUE(dry.output.empty());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    EXPECT_EQ(std::filesystem::last_write_time(a), before);
  }
  EXPECT_EQ(DeleteElementsInFile(dir.File("none.mp"), {}, BatchContext{host, true}).result,
            FileResult::kFailed);
}

// The count is the number of sections that vanished, found here by counting headers.
TEST(DeleteElementsInFile, RealMapCountsTheSectionsThatVanished) {
  const std::string source = test::DataMap("gpsve_ViaTipo0x0.mp");
  if (source.empty()) GTEST_SKIP() << "shared data folder absent";
  const std::string original = test::ReadBytes(source);
  const auto occurrences = [](const std::string& text, const std::string& key) {
    long long n = 0;
    for (std::size_t p = text.find(key); p != std::string::npos; p = text.find(key, p + 1)) ++n;
    return n;
  };
  for (const char* code : {"0x0", "0x25", "0x28", "0xa", "0x4B"}) {
    TempDir dir;
    const std::string map = dir.File("via.mp");
    test::WriteBytes(map, original);
    RecordingHost host;
    const FileOutcome o = DeleteElementsInFile(map, {ElementKind::kLine, code, true}, {host});
    const std::string after = test::ReadBytes(map);
    const std::string section = std::string("[POLYLINE]\r\nType=") + code + "\r\n";
    ASSERT_EQ(o.counts.size(), 1u);
    EXPECT_EQ(o.counts[0].value, occurrences(original, section)) << code;
    EXPECT_EQ(occurrences(after, "[POLYLINE]"),
              occurrences(original, "[POLYLINE]") - o.counts[0].value)
        << code;
    EXPECT_EQ(occurrences(after, section), 0) << code;
    EXPECT_EQ(o.result, o.counts[0].value > 0 ? FileResult::kChanged : FileResult::kUnchanged);
  }
}

TEST(DeleteElementsInFile, RealMapKeepsEveryOtherLine) {
  const std::string source = test::DataMap("zkir_RussiaBkg.mp");
  if (source.empty()) GTEST_SKIP() << "shared data folder absent";
  TempDir dir;
  const std::string map = dir.File("bkg.mp");
  std::filesystem::copy_file(source, map);
  const std::string original = test::ReadBytes(map);
  // Find a polygon type that occurs in the map and delete it.
  const std::size_t at = original.find("[POLYGON]\r\nType=");
  ASSERT_NE(at, std::string::npos);
  const std::size_t codeAt = at + 16;
  const std::string code = original.substr(codeAt, original.find("\r\n", codeAt) - codeAt);
  RecordingHost host;
  DeleteElementsOptions options{ElementKind::kPolygon, code, false};
  const FileOutcome o = DeleteElementsInFile(map, options, {host});
  ASSERT_FALSE(o.Failed());
  const std::string result = test::ReadBytes(dir.File("bkg_" + code + "_deleted.mp"));
  EXPECT_LT(result.size(), original.size());
  EXPECT_EQ(result.find("[POLYGON]\r\nType=" + code + "\r\n"), std::string::npos);
  // Every element of the code is counted, whichever way its header is spelt.
  long long headers = 0;
  for (std::string_view h : {"[POLYGON]\r\nType=", "[RGN80]\r\nType="}) {
    const std::string key = std::string(h) + code + "\r\n";
    for (std::size_t p = original.find(key); p != std::string::npos; p = original.find(key, p + 1))
      ++headers;
  }
  EXPECT_EQ(o.counts[0].value, headers);
  // Deleting a code no element has copies the map (it is CR LF throughout).
  options.typeCode = "0xnone";
  EXPECT_EQ(DeleteElementsInFile(map, options, {host}).result, FileResult::kUnchanged);
  EXPECT_EQ(test::ReadBytes(dir.File("bkg_0xnone_deleted.mp")), original);
}

}  // namespace
}  // namespace pomvelt

namespace pomvelt {
namespace {

TEST(DeleteElementsInFile, MapFarLargerThanTheBufferWithAHugeLine) {
  TempDir dir;
  const std::string map = dir.File("big.mp");
  std::string input, expected;
  const std::string keep = CrLf({"[POLYGON]", "Type=0x1", "Data0=(1,2),(3,4)", "[END]"});
  const std::string drop = CrLf({"[POLYGON]", "Type=0x4b", "Data0=(1,2),(3,4)", "[END]"});
  for (int i = 0; i < 40000; ++i) {
    input += (i % 3 == 0) ? drop : keep;
    if (i % 3 != 0) expected += keep;
    if (i == 20000) {
      const std::string huge = "Label=" + std::string(5 << 20, 'w') + "\r\n";
      input += huge;
      expected += huge;
    }
  }
  test::WriteBytes(map, input);
  RecordingHost host;
  ASSERT_FALSE(DeleteElementsInFile(map, DeleteElementsOptions{}, {host}).Failed());
  EXPECT_TRUE(test::ReadBytes(map) == expected);
}

}  // namespace
}  // namespace pomvelt
