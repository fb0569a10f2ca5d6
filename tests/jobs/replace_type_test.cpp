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
};

TEST(ReplaceType, LinesInMemory) {
  const ReplaceCase cases[] = {
      {"polygon header and its alias", ElementKind::kPolygon, "0x1", "0xd",
       CrLf({"[POLYGON]", "Type=0x1", "Label=A", "Data0=(1,2)", "[END]", "[RGN80]", "Type=0x1",
             "[END-RGN80]"}),
       CrLf({"[POLYGON]", "Type=0xd", "Label=A", "Data0=(1,2)", "[END]", "[RGN80]", "Type=0xd",
             "[END-RGN80]"})},
      {"other spellings of the code stay", ElementKind::kPolygon, "0x1", "0xd",
       CrLf({"[POLYGON]", "Type=0x01", "[END]", "[POLYGON]", "Type=0X1", "[END]", "[POLYGON]",
             "Type=0x1 ", "[END]"}),
       CrLf({"[POLYGON]", "Type=0x01", "[END]", "[POLYGON]", "Type=0X1", "[END]", "[POLYGON]",
             "Type=0x1 ", "[END]"})},
      {"polygon mode leaves lines", ElementKind::kPolygon, "0x1", "0xd",
       CrLf({"[POLYLINE]", "Type=0x1", "[END]"}), CrLf({"[POLYLINE]", "Type=0x1", "[END]"})},
      {"line mode leaves polygons", ElementKind::kLine, "0x1", "0xd",
       CrLf({"[POLYGON]", "Type=0x1", "[END]", "[RGN40]", "Type=0x1", "[END-RGN40]"}),
       CrLf({"[POLYGON]", "Type=0x1", "[END]", "[RGN40]", "Type=0xd", "[END-RGN40]"})},
      {"type line not first after the header", ElementKind::kPolygon, "0x1", "0xd",
       CrLf({"[POLYGON]", "Label=A", "Type=0x1", "[END]"}),
       CrLf({"[POLYGON]", "Label=A", "Type=0x1", "[END]"})},
      {"two headers in a row", ElementKind::kPolygon, "0x1", "0xd",
       CrLf({"[POLYGON]", "[POLYGON]", "Type=0x1", "[END]"}),
       CrLf({"[POLYGON]", "[POLYGON]", "Type=0x1", "[END]"})},
      {"same old and new code", ElementKind::kPolygon, "0x1", "0x1",
       CrLf({"[POLYGON]", "Type=0x1", "[END]"}), CrLf({"[POLYGON]", "Type=0x1", "[END]"})},
      {"header on the last line", ElementKind::kPolygon, "0x1", "0xd", "x\n[POLYGON]",
       CrLf({"x", "[POLYGON]", ""})},
      {"lone LF ends and no final end", ElementKind::kPolygon, "0x1", "0xd",
       "[POLYGON]\nType=0x1\n[END]", CrLf({"[POLYGON]", "Type=0xd", "[END]"})},
      {"empty new code", ElementKind::kPolygon, "0x1", "", CrLf({"[RGN80]", "Type=0x1"}),
       CrLf({"[RGN80]", "Type="})},
      {"empty input", ElementKind::kPolygon, "0x1", "0xd", "", ""},
  };
  for (const ReplaceCase& c : cases) {
    for (std::size_t block : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{4},
                              LineReader::kDefaultBlock}) {
      EXPECT_EQ(
          RunTransform(
              c.input,
              [&](LineReader& in, LineWriter& out) { ReplaceType(in, out, c.kind, c.from, c.to); },
              block),
          c.expected)
          << c.name << ", block " << block;
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

  MainOptions options;
  test::RecordingHost host;
  host.files = std::vector<std::string>{a};
  ReplaceTypeJob(options, host);
  EXPECT_EQ(test::ReadBytes(a), kReplaced);
  EXPECT_FALSE(test::Exists(dir.File("a_0x1_replaced.mp")));
  ASSERT_EQ(host.dialogs.size(), 1u);
  EXPECT_EQ(host.dialogs[0].defaultExtension, ".mp");
  EXPECT_EQ(host.dialogs[0].flags, 0x206u);
  EXPECT_EQ(host.messages, std::vector<std::string>{kDoneMessage});

  options.m_bReplaceInPlace = 0;
  test::RecordingHost copyHost;
  copyHost.files = std::vector<std::string>{b};
  ReplaceTypeJob(options, copyHost);
  EXPECT_EQ(test::ReadBytes(b), kMap);
  EXPECT_EQ(test::ReadBytes(dir.File("town_0x1_replaced.mp")), kReplaced);
}

TEST(ReplaceType, UnreadableFileIsReportedAndTheJobGoesOn) {
  test::TempDir dir;
  const std::string good = dir.File("good.mp");
  test::WriteBytes(good, kMap);
  test::RecordingHost host;
  host.files = std::vector<std::string>{dir.File("missing.mp"), good};
  const BatchResult result = ReplaceTypeJob(MainOptions{}, host);
  EXPECT_EQ(result.filesFailed, 1);
  EXPECT_EQ(host.messages, (std::vector<std::string>{kCannotOpenForReading, kDoneMessage}));
  EXPECT_EQ(test::ReadBytes(good), kReplaced);
}

}  // namespace
}  // namespace pomvelt
