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

std::string Delete(std::string_view input, ElementKind kind, std::string_view code,
                   std::size_t block = LineReader::kDefaultBlock) {
  return test::RunTransform(
      input, [&](LineReader& in, LineWriter& out) { DeleteElements(in, out, kind, code); }, block);
}

TEST(DeleteElements, TransformCases) {
  using K = ElementKind;
  struct Case {
    const char* what;
    K kind;
    const char* code;
    std::vector<std::string_view> in;
    std::vector<std::string_view> out;
  } cases[] = {
      {"a matching polygon vanishes",
       K::kPolygon,
       "0x4b",
       {"[IMG ID]", "[END-IMG ID]", "[POLYGON]", "Type=0x4b", "Label=A", "Data0=(1,2)", "[END]",
        "after"},
       {"[IMG ID]", "[END-IMG ID]", "after"}},
      {"RGN80 header and own end",
       K::kPolygon,
       "0x4b",
       {"[RGN80]", "Type=0x4b", "[END-RGN80]", "x"},
       {"x"}},
      {"type compared exactly",
       K::kPolygon,
       "0x4b",
       {"[POLYGON]", "Type=0x4B", "[END]", "[POLYGON]", "Type=0x4b ", "[END]"},
       {"[POLYGON]", "Type=0x4B", "[END]", "[POLYGON]", "Type=0x4b ", "[END]"}},
      {"type line not first stays",
       K::kPolygon,
       "0x4b",
       {"[POLYGON]", "Label=A", "Type=0x4b", "[END]"},
       {"[POLYGON]", "Label=A", "Type=0x4b", "[END]"}},
      {"other kind stays",
       K::kLine,
       "0x4b",
       {"[POLYGON]", "Type=0x4b", "[END]"},
       {"[POLYGON]", "Type=0x4b", "[END]"}},
      {"line ended by its own marker",
       K::kLine,
       "0x1",
       {"[POLYLINE]", "Type=0x1", "Data0=(1,2)", "[END-RGN40]", "keep"},
       {"keep"}},
      {"a blank before [END] does not end it",
       K::kLine,
       "0x1",
       {"[POLYLINE]", "Type=0x1", " [END]", "gone", "[END]", "keep"},
       {"keep"}},
      {"polygon not ended by the line marker",
       K::kPolygon,
       "0x4b",
       {"[POLYGON]", "Type=0x4b", "[END-RGN40]", "gone", "[END-RGN80]", "keep"},
       {"keep"}},
      {"no end runs to the end of the file",
       K::kPoint,
       "0x2f06",
       {"a", "[POI]", "Type=0x2f06", "Label=x", "Data0=(1,2)"},
       {"a"}},
      {"two headers in a row keep the element",
       K::kPolygon,
       "0x4b",
       {"[POLYGON]", "[POLYGON]", "Type=0x4b", "[END]"},
       {"[POLYGON]", "[POLYGON]", "Type=0x4b", "[END]"}},
      {"empty code matches a bare key only",
       K::kPolygon,
       "",
       {"[POLYGON]", "Type=", "[END]", "[POLYGON]", "Type=0x1", "[END]"},
       {"[POLYGON]", "Type=0x1", "[END]"}},
      {"header on the last line gets an empty line",
       K::kPolygon,
       "0x4b",
       {"a", "[POLYGON]"},
       {"a", "[POLYGON]", ""}},
      {"point of the code vanishes, line of the code stays",
       K::kPoint,
       "0x1",
       {"[RGN10]", "Type=0x1", "[END-RGN10]", "[RGN40]", "Type=0x1", "[END-RGN40]"},
       {"[RGN40]", "Type=0x1", "[END-RGN40]"}},
  };
  for (const Case& c : cases) {
    for (std::size_t block : {std::size_t{1}, std::size_t{3}, LineReader::kDefaultBlock}) {
      EXPECT_EQ(Delete(CrLf(c.in), c.kind, c.code, block), CrLf(c.out))
          << c.what << " (block " << block << ")";
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
  MainOptions options;

  options.m_bDeleteInPlace = 0;
  EXPECT_TRUE(DeleteElementsInFile(a, "0x4b", options, host));
  EXPECT_EQ(test::ReadBytes(a), kMap);
  EXPECT_EQ(test::ReadBytes(dir.File("a_0x4b_deleted.mp")), kFiltered);
  // A second run overwrites the first output.
  test::WriteBytes(dir.File("a_0x4b_deleted.mp"), "old junk");
  EXPECT_TRUE(DeleteElementsInFile(a, "0x4b", options, host));
  EXPECT_EQ(test::ReadBytes(dir.File("a_0x4b_deleted.mp")), kFiltered);
  std::filesystem::remove(dir.File("a_0x4b_deleted.mp"));

  options.m_bDeleteInPlace = 1;
  EXPECT_TRUE(DeleteElementsInFile(a, "0x4b", options, host));
  EXPECT_EQ(test::ReadBytes(a), kFiltered);
  EXPECT_FALSE(test::Exists(dir.File("a_0x4b_deleted.mp")));
  EXPECT_EQ(std::filesystem::status(a).permissions(), std::filesystem::perms(0640));
  EXPECT_TRUE(host.messages.empty());
}

TEST(DeleteElementsInFile, FileNameWithoutDotStaysInItsFolder) {
  TempDir dir;
  std::filesystem::create_directory(dir.path() / "maps.v1");
  const std::string town = (dir.path() / "maps.v1" / "town").string();
  test::WriteBytes(town, kMap);
  RecordingHost host;
  MainOptions options;
  options.m_bDeleteInPlace = 0;
  EXPECT_TRUE(DeleteElementsInFile(town, "0x4b", options, host));
  EXPECT_EQ(test::ReadBytes(town + "_0x4b_deleted.mp"), kFiltered);
}

TEST(DeleteElementsInFile, FailuresLeaveTheInputAndNoOutput) {
  TempDir dir;
  const std::string a = dir.File("a.mp");
  const std::string out = dir.File("a_0x4b_deleted.mp");
  MainOptions options;

  {  // missing input, and a folder given as the input
    RecordingHost host;
    EXPECT_FALSE(DeleteElementsInFile(dir.File("none.mp"), "0x4b", options, host));
    EXPECT_FALSE(DeleteElementsInFile(dir.path().string(), "0x4b", options, host));
    EXPECT_EQ(host.messages,
              (Calls{"Не могу открыть файл для чтения", "Не могу открыть файл для чтения"}));
  }
  test::WriteBytes(a, kMap);
  // A copy cannot be made where a folder stands under its name, nor through a link planted
  // there (to a full disk, here); in place, neither is touched.
  for (const bool isLink : {false, true}) {
    if (isLink) {
      std::filesystem::create_symlink("/dev/full", out);
    } else {
      std::filesystem::create_directory(out);
    }
    RecordingHost host;
    options.m_bDeleteInPlace = 0;
    EXPECT_FALSE(DeleteElementsInFile(a, "0x4b", options, host));
    EXPECT_EQ(host.messages, (Calls{"Не могу открыть файл для вывода"}));
    EXPECT_EQ(test::ReadBytes(a), kMap);
    options.m_bDeleteInPlace = 1;
    EXPECT_TRUE(DeleteElementsInFile(a, "0x4b", options, host));
    EXPECT_EQ(test::ReadBytes(a), kFiltered);
    EXPECT_EQ(std::filesystem::is_symlink(out), isLink);
    EXPECT_EQ(std::filesystem::is_directory(out), !isLink);
    std::filesystem::remove(out);
    test::WriteBytes(a, kMap);
  }
}

TEST(DeleteElementsJob, RunsEveryChosenFileAndGoesOnAfterAFailure) {
  TempDir dir;
  const std::string a = dir.File("a.mp"), b = dir.File("b.mp");
  test::WriteBytes(a, kMap);
  test::WriteBytes(b, kMap);
  RecordingHost host;
  host.files = {{a, dir.File("missing.mp"), b}};
  const BatchResult r = DeleteElementsJob(MainOptions{}, host);
  EXPECT_EQ(test::ReadBytes(a), kFiltered);
  EXPECT_EQ(test::ReadBytes(b), kFiltered);
  EXPECT_EQ(host.messages, (Calls{"Не могу открыть файл для чтения", "Готово"}));
  EXPECT_EQ(r.filesFailed, 1);
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
  MainOptions options;
  options.m_bDeleteInPlace = 0;
  ASSERT_TRUE(DeleteElementsInFile(map, code, options, host));
  const std::string result = test::ReadBytes(dir.File("bkg_" + code + "_deleted.mp"));
  EXPECT_LT(result.size(), original.size());
  EXPECT_EQ(result.find("[POLYGON]\r\nType=" + code + "\r\n"), std::string::npos);
  // Deleting a code no element has copies the map (it is CR LF throughout).
  ASSERT_TRUE(DeleteElementsInFile(map, "0xnone", options, host));
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
  ASSERT_TRUE(DeleteElementsInFile(map, "0x4b", MainOptions{}, host));
  EXPECT_TRUE(test::ReadBytes(map) == expected);
}

}  // namespace
}  // namespace pomvelt
