#include "jobs/replace_type.h"

#include <gtest/gtest.h>

#include "jobs/file_rewrite.h"
#include "support/test_support.h"

namespace pomvelt {
namespace {

using test::CrLf;
using test::RunTransform;

struct ReplaceCase {
  const char* name;
  ElementKind kind;
  std::string_view from, to;
  std::string input;
  std::string expected;
  long long replaced;
};

TEST(ReplaceType, LinesInMemory) {
  const ReplaceCase cases[] = {
      {"polygon header and its alias", ElementKind::kPolygon, "0x1", "0xd",
       CrLf({"[POLYGON]", "Type=0x1", "Label=A", "Data0=(1,2)", "[END]", "[RGN80]", "Type=0x1",
             "[END-RGN80]"}),
       CrLf({"[POLYGON]", "Type=0xd", "Label=A", "Data0=(1,2)", "[END]", "[RGN80]", "Type=0xd",
             "[END-RGN80]"}),
       2},
      {"other spellings of the code stay", ElementKind::kPolygon, "0x1", "0xd",
       CrLf({"[POLYGON]", "Type=0x01", "[END]", "[POLYGON]", "Type=0X1", "[END]", "[POLYGON]",
             "Type=0x1 ", "[END]"}),
       CrLf({"[POLYGON]", "Type=0x01", "[END]", "[POLYGON]", "Type=0X1", "[END]", "[POLYGON]",
             "Type=0x1 ", "[END]"}),
       0},
      {"polygon mode leaves lines", ElementKind::kPolygon, "0x1", "0xd",
       CrLf({"[POLYLINE]", "Type=0x1", "[END]"}), CrLf({"[POLYLINE]", "Type=0x1", "[END]"}), 0},
      {"line mode leaves polygons", ElementKind::kLine, "0x1", "0xd",
       CrLf({"[POLYGON]", "Type=0x1", "[END]", "[RGN40]", "Type=0x1", "[END-RGN40]"}),
       CrLf({"[POLYGON]", "Type=0x1", "[END]", "[RGN40]", "Type=0xd", "[END-RGN40]"}), 1},
      {"type line not first after the header", ElementKind::kPolygon, "0x1", "0xd",
       CrLf({"[POLYGON]", "Label=A", "Type=0x1", "[END]"}),
       CrLf({"[POLYGON]", "Label=A", "Type=0x1", "[END]"}), 0},
      {"two headers in a row", ElementKind::kPolygon, "0x1", "0xd",
       CrLf({"[POLYGON]", "[POLYGON]", "Type=0x1", "[END]"}),
       CrLf({"[POLYGON]", "[POLYGON]", "Type=0x1", "[END]"}), 0},
      {"same old and new code", ElementKind::kPolygon, "0x1", "0x1",
       CrLf({"[POLYGON]", "Type=0x1", "[END]"}), CrLf({"[POLYGON]", "Type=0x1", "[END]"}), 1},
      {"header on the last line", ElementKind::kPolygon, "0x1", "0xd", "x\n[POLYGON]",
       CrLf({"x", "[POLYGON]", ""}), 0},
      {"lone LF ends and no final end", ElementKind::kPolygon, "0x1", "0xd",
       "[POLYGON]\nType=0x1\n[END]", CrLf({"[POLYGON]", "Type=0xd", "[END]"}), 1},
      {"empty new code", ElementKind::kPolygon, "0x1", "", CrLf({"[RGN80]", "Type=0x1"}),
       CrLf({"[RGN80]", "Type="}), 1},
      {"empty input", ElementKind::kPolygon, "0x1", "0xd", "", "", 0},
  };
  for (const ReplaceCase& c : cases) {
    for (std::size_t block : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{4},
                              LineReader::kDefaultBlock}) {
      const ReplaceTypeOptions options{c.kind, std::string(c.from), std::string(c.to), true};
      const test::Counted r = test::RunCounted(
          c.input,
          [&](LineReader& in, LineWriter& out) { return ResultOf(ReplaceType(in, out, options)); },
          block);
      EXPECT_EQ(r.output, c.expected) << c.name << ", block " << block;
      EXPECT_EQ(r.Count("typeLinesReplaced"), c.replaced) << c.name;
      EXPECT_EQ(r.unchanged, r.output == c.input) << c.name;
    }
  }
}

const std::string kMap = CrLf(
    {"[IMG ID]", "Name=Town", "[END-IMG ID]", "[POLYGON]", "Type=0x1", "Data0=(1,2)", "[END]"});
const std::string kReplaced = CrLf(
    {"[IMG ID]", "Name=Town", "[END-IMG ID]", "[POLYGON]", "Type=0xd", "Data0=(1,2)", "[END]"});

TEST(ReplaceType, JobInPlaceAndAsCopy) {
  test::TempDir dir;
  const std::string a = dir.File("a.mp");
  const std::string b = dir.File("town.mp");
  test::WriteBytes(a, kMap);
  test::WriteBytes(b, kMap);

  ReplaceTypeOptions options;
  test::RecordingHost host;
  const BatchReport r = ReplaceTypeJob(options, {a}, {host});
  EXPECT_EQ(test::ReadBytes(a), kReplaced);
  EXPECT_FALSE(test::Exists(dir.File("a_0x1_replaced.mp")));
  EXPECT_EQ(host.messages, std::vector<std::string>{kDoneMessage});
  EXPECT_EQ(r.files.at(0).result, FileResult::kChanged);

  options.inPlace = false;
  test::RecordingHost copyHost;
  ReplaceTypeJob(options, {b}, {copyHost});
  EXPECT_EQ(test::ReadBytes(b), kMap);
  EXPECT_EQ(test::ReadBytes(dir.File("town_0x1_replaced.mp")), kReplaced);
}

TEST(ReplaceType, UnreadableFileIsReportedAndTheJobGoesOn) {
  test::TempDir dir;
  const std::string good = dir.File("good.mp");
  test::WriteBytes(good, kMap);
  test::RecordingHost host;
  const BatchReport r =
      ReplaceTypeJob(ReplaceTypeOptions{}, {dir.File("missing.mp"), good}, {host});
  EXPECT_EQ(r.Totals().failed, 1);
  EXPECT_EQ(host.messages, (std::vector<std::string>{CannotOpenForReading(dir.File("missing.mp")) +
                                                         ": No such file or directory",
                                                     kDoneMessage}));
  EXPECT_EQ(test::ReadBytes(good), kReplaced);
}

}  // namespace
}  // namespace pomvelt
