// The checker: each problem in a map made for it, found at its line; nothing on a clean map;
// on the real maps only the problems they really have.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "bench/map_generator.h"
#include "examine/map_check.h"
#include "support/test_support.h"

namespace pomvelt {
namespace {

using test::CrLf;

using Found = std::vector<std::pair<std::uint64_t, MapProblem>>;

Found Check(const std::string& text, std::size_t block = LineReader::kDefaultBlock) {
  MemorySource source(text);
  LineReader reader(source, block);
  Found found;
  for (const Diagnostic& d : CheckMap(reader)) found.push_back({d.line, d.problem});
  return found;
}

// A clean map header of three levels: lines 1 to 9.
std::vector<std::string_view> Header(std::vector<std::string_view> more = {}) {
  std::vector<std::string_view> lines = {"[IMG ID]",      "ID=63240001", "Name=Test",
                                         "CodePage=1251", "Levels=3",    "Level0=24",
                                         "Level1=22",     "Level2=20",   "[END-IMG ID]"};
  lines.insert(lines.end(), more.begin(), more.end());
  return lines;
}

const std::string kLongLabel = "Label=" + std::string(81, 'a');
const std::string kLongestLabel = "Label=" + std::string(80, 'a');
std::string Repeat(std::string_view s, int n) {
  std::string r;
  for (int i = 0; i < n; ++i) r += s;
  return r;
}
// 80 Cyrillic letters in UTF-8: 160 bytes, 80 characters.
const std::string kUtf8Label = "Label=" + Repeat("Ж", 80);

TEST(MapCheck, EachProblemAtItsLine) {
  using P = MapProblem;
  struct Case {
    const char* name;
    std::string text;
    Found expected;
  };
  const Case cases[] = {
      {"clean",
       CrLf(Header({"[POLYGON]", "Type=0x4b", kLongestLabel, "Data0=(1,2)", "Data1=(1,2)", "[END]",
                    "", "; comment", "[RGN10]", "Type=0x1", "Origin1=(1,2)", "[END-RGN10]"})),
       {}},
      {"element cut off by the next",
       CrLf(Header({"[POI]", "Type=0x1", "Data0=(1,2)", "[POLYGON]", "Type=0x1", "[END]"})),
       {{10, P::kUnendedElement}}},
      {"element cut off by the end of the file",
       CrLf(Header({"[POI]", "Type=0x1", "Data0=(1,2)"})),
       {{10, P::kUnendedElement}}},
      {"header on the last line",
       CrLf(Header({"[POI]", "Type=0x1", "[END]", "[POLYLINE]"})),
       {{13, P::kHeaderOnLastLine}}},
      {"header on the last line without a line end",
       CrLf(Header({"[POI]", "Type=0x1", "[END]"})) + "[POI]",
       {{13, P::kHeaderOnLastLine}}},
      {"type line not first",
       CrLf(Header({"[POI]", "Label=x", "Type=0x1", "[END]"})),
       {{12, P::kTypeNotFirst}}},
      {"no type line", CrLf(Header({"[POLYLINE]", "Data0=(1,2)", "[END]"})), {{10, P::kNoType}}},
      {"levels without header end",
       CrLf({"[IMG ID]", "ID=1", "Levels=2", "Level0=24", "Level1=22", "[POI]", "Type=0x1",
             "[END]"}),
       {{3, P::kLevelsWithoutEnd}}},
      {"coordinates on the last level and above",
       CrLf(Header({"[POLYGON]", "Type=0x1", "Data1=(1,2)", "Data2=(1,2)", "Data3=(1,2)",
                    "Origin2=(1,2)", "[END]"})),
       {{13, P::kLevelTooHigh}, {14, P::kLevelTooHigh}, {15, P::kLevelTooHigh}}},
      {"level values not decreasing",
       CrLf(
           {"[IMG ID]", "ID=1", "Levels=3", "Level0=24", "Level1=24", "Level2=26", "[END-IMG ID]"}),
       {{5, P::kLevelsNotDecreasing}, {6, P::kLevelsNotDecreasing}}},
      {"label of 81 characters",
       CrLf(Header({"[POI]", "Type=0x1", kLongLabel, "[END]"})),
       {{12, P::kLongLabel}}},
      {"80 UTF-8 characters in 160 bytes",
       CrLf({"[IMG ID]", "ID=1", "CodePage=65001", "[END-IMG ID]", "[POI]", "Type=0x1", kUtf8Label,
             "[END]"}),
       {}},
      {"byte 0x98 in code page 1251",
       CrLf(Header({"[POI]", "Type=0x1", "Label=a\x98z\x98", "[END]"})),
       {{12, P::kInvalidByte}}},
      {"byte 0x81 in code page 1252, key in other letter case",
       CrLf({"[IMG ID]", "ID=1", "codepage=1252", "[END-IMG ID]", "; \x98 is fine here",
             "Label=\x81"}),
       {{6, P::kInvalidByte}}},
      {"overlong and cut UTF-8",
       CrLf({"[IMG ID]", "ID=1", "CodePage=65001", "[END-IMG ID]", "Label=\xC0\x80",
             "Label=\xD0\x96\xD0", "Label=\xED\xA0\x80", "Label=\xF0\x9F\x98\x80"}),
       {{5, P::kInvalidByte}, {6, P::kInvalidByte}, {7, P::kInvalidByte}}},
      {"UTF-16 with a byte order mark",
       std::string("\xFF\xFE[\0I\0M\0G\0 \0I\0D\0]\0\r\0\n\0I\0D\0=\0\x31\0\r\0\n\0", 30),
       {{1, P::kUtf16}}},
      {"mixed line ends",
       CrLf(Header({"[POI]", "Type=0x1"})) + "Label=x\n" + CrLf({"[END]"}) + "\n",
       {{12, P::kMixedLineEnds}}},
      {"LF first, then CR LF", "[IMG ID]\nID=1\n[END-IMG ID]\r\n", {{3, P::kMixedLineEnds}}},
      {"NUL bytes",
       CrLf(Header({"[POI]", "Type=0x1"})) + std::string("Label=\0\0\r\n[END]\r\n", 17),
       {{12, P::kNulByte}}},
      {"no ID", CrLf({"; map", "[IMG ID]", "Name=x", "[END-IMG ID]"}), {{2, P::kNoId}}},
      {"ID not a number", CrLf({"[IMG ID]", "ID=0x10", "ID=5", "[END-IMG ID]"}), {{2, P::kBadId}}},
      {"empty ID", CrLf({"[IMG ID]", "ID=", "[END-IMG ID]"}), {{2, P::kBadId}}},
      {"no map header", CrLf({"[POI]", "Type=0x1", "[END]"}), {{1, P::kNoMapHeader}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Check(c.text), c.expected);
    EXPECT_EQ(Check(c.text, 3), c.expected) << "read in blocks of 3 bytes";
  }
}

TEST(MapCheck, ManyProblemsOfOneKindAreListedUpToTheLimit) {
  std::vector<std::string_view> lines = Header({"[POI]", "Type=0x1"});
  for (int i = 0; i < 150; ++i) lines.push_back("Data2=(1,2)");
  lines.push_back("[END]");
  const Found found = Check(CrLf(lines));
  ASSERT_EQ(found.size(), kMaxListedPerProblem + 1);
  EXPECT_EQ(found.front(), (std::pair<std::uint64_t, MapProblem>{12, MapProblem::kLevelTooHigh}));
  EXPECT_EQ(found.back(), (std::pair<std::uint64_t, MapProblem>{112, MapProblem::kOmitted}));
}

TEST(MapCheck, GeneratedMapIsClean) {
  EXPECT_EQ(Check(bench::GenerateMap(3, 50000)), Found{});
}

TEST(MapCheck, RealMapsHaveOnlyTheirKnownProblems) {
  // What these maps really hold: an empty "ID=" (the map editor that wrote it left it so).
  const std::map<std::string, std::set<MapProblem>> known = {
      {"zkir_RussiaBkg.mp", {MapProblem::kBadId}},
      {"gpsve_ViaTipo0x0.mp", {}},
      {"gpsve_MapaDePrueba.mp", {}},
      {"mapsoft2_f11a.mp", {}},
  };
  for (const auto& [name, problems] : known) {
    const std::string path = test::DataMap(name);
    if (path.empty()) GTEST_SKIP() << "no shared data";
    SCOPED_TRACE(name);
    test::RecordingHost host;
    const auto found = CheckFile(path, host);
    ASSERT_TRUE(found.has_value());
    std::set<MapProblem> kinds;
    for (const Diagnostic& d : *found) kinds.insert(d.problem);
    EXPECT_EQ(kinds, problems);
  }
}

TEST(MapCheck, DiagnosticForm) {
  EXPECT_EQ(FormatDiagnostic("/maps/a.mp", {12, MapProblem::kNulByte, "x"}), "/maps/a.mp:12: x");
}

}  // namespace
}  // namespace pomvelt
