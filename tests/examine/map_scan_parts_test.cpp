// The fast paths of the read-only scan against plain ones: the line classifier, which compares
// a line's first eight bytes as one word, against string compares; and maps read in parts at
// once against the same maps read whole, down to every byte of every diagnostic.
#include <gtest/gtest.h>

#include <map>

#include "bench/map_generator.h"
#include "examine/map_check.h"
#include "examine/map_scan.h"
#include "examine/map_stats.h"
#include "support/test_support.h"
#include "text/strings.h"

namespace pomvelt {
namespace {

// What a map reader takes the line for, spelled out.
MapLine Reference(std::string_view text) {
  MapLine line;
  line.text = text;
  auto level = [&](std::size_t at) {
    std::size_t i = at;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    if (i == at || i >= text.size() || text[i] != '=' || i - at > 6) return false;
    line.kind = MapLineKind::kCoordinates;
    line.level = std::stoi(std::string(text.substr(at, i - at)));
    return true;
  };
  const std::pair<std::string_view, ElementKind> headers[] = {
      {"[POLYGON]", ElementKind::kPolygon}, {"[RGN80]", ElementKind::kPolygon},
      {"[POLYLINE]", ElementKind::kLine},   {"[RGN40]", ElementKind::kLine},
      {"[POI]", ElementKind::kPoint},       {"[RGN10]", ElementKind::kPoint}};
  if (BeginsWith(text, "[END")) {
    line.kind = MapLineKind::kSectionEnd;
  } else if (BeginsWith(text, "[")) {
    line.kind = BeginsWith(text, "[IMG ID]") ? MapLineKind::kMapHeader : MapLineKind::kSectionStart;
    for (const auto& [marker, kind] : headers) {
      if (BeginsWith(text, marker)) {
        line.kind = MapLineKind::kElementHeader;
        line.element = kind;
      }
    }
  } else if (BeginsWith(text, "Type=")) {
    line.kind = MapLineKind::kType;
  } else if (BeginsWith(text, "Label=")) {
    line.kind = MapLineKind::kLabel;
  } else if (BeginsWith(text, "Data")) {
    level(4);
  } else if (BeginsWith(text, "Origin")) {
    line.origin = level(6);
  }
  return line;
}

void ExpectSame(const MapLine& got, const MapLine& want) {
  SCOPED_TRACE(std::string(want.text));
  EXPECT_EQ(got.kind, want.kind);
  if (want.kind == MapLineKind::kElementHeader) {
    EXPECT_EQ(got.element, want.element);
  }
  if (want.kind == MapLineKind::kCoordinates) {
    EXPECT_EQ(got.level, want.level);
    EXPECT_EQ(got.origin, want.origin);
  }
}

// Collects what the scanner made of each line.
struct LineLog {
  std::vector<MapLine> lines;
  std::vector<std::string> texts;
  void Bytes(std::string_view, std::uint64_t) {}
  void Line(const MapLine& line, const MapSection&) {
    lines.push_back(line);
    texts.emplace_back(line.text);
  }
  void Unended(const MapSection&, std::uint64_t) {}
};

const char* const kTrickyLines[] = {
    "",
    "[",
    "[E",
    "[EN",
    "[END",
    "[END]",
    "[END-RGN10]",
    "[ENDX",
    "[EMD]",
    "[POI",
    "[POI]",
    "[POI]x",
    "[poi]",
    "[POLYGON",
    "[POLYGON]",
    "[POLYGONX",
    "[POLYGON]]",
    "[POLYLIN",
    "[POLYLINE",
    "[POLYLINE]",
    "[POLYLINEX",
    "[RGN8",
    "[RGN80",
    "[RGN80]",
    "[RGN40]",
    "[RGN10]",
    "[RGN20]",
    "[IMG ID",
    "[IMG ID]",
    "[IMG IDX]",
    "[Countries]",
    "T",
    "Typ",
    "Type",
    "Type=",
    "Type=0x4b",
    "type=0x1",
    "L",
    "Label",
    "Label=",
    "Label=x",
    "Label2=x",
    "D",
    "Data",
    "Data=",
    "Data0",
    "Data0=",
    "Data0=(1,2)",
    "Data9=(1,2)",
    "Data10=(1,2)",
    "Data1x=(1,2)",
    "Data123456=",
    "Data00=",
    "DataX=",
    "O",
    "Origin",
    "Origin=",
    "Origin0",
    "Origin0=",
    "Origin0=(1,2)",
    "Origin12=(1,2)",
    "OriginX=",
    " Data0=(1,2)",
    "\tType=0x1",
    "City=1",
    "\x98",
    "Data0=\x98",
};

TEST(MapScanFast, ClassifierAgreesWithStringCompares) {
  for (const char* text : kTrickyLines) {
    MapLine line;
    line.text = text;
    ClassifyMapLine(line);
    ExpectSame(line, Reference(text));
  }
}

// In a run of lines the classifier reads past a line's end into the next lines: whatever comes
// after a line must not change what it is, with either line end, with or without an end.
TEST(MapScanFast, LinesInRunsAgreeWithStringComparesWhateverFollows) {
  for (const char* end : {"\r\n", "\n"}) {
    std::string run;
    std::vector<std::string_view> texts;
    for (const char* a : kTrickyLines) {
      for (const char* b : {"", "]", "=", "0=", "D]", "Data0="}) {
        run += a;
        run += end;
        run += b;
        run += end;
      }
    }
    for (bool lastWithoutEnd : {false, true}) {
      SCOPED_TRACE(lastWithoutEnd);
      const std::string text = lastWithoutEnd ? run + "Data7=" : run;
      LineLog log;
      MemorySource source(text);
      LineReader reader(source, 4096);
      ScanMap(reader, log);
      ASSERT_EQ(log.lines.size(), log.texts.size());
      for (std::size_t i = 0; i < log.lines.size(); ++i) {
        MapLine got = log.lines[i];
        got.text = log.texts[i];
        ExpectSame(got, Reference(log.texts[i]));
      }
    }
  }
}

// Random lines of the letters the keys are made of.
TEST(MapScanFast, RandomLinesAgreeWithStringCompares) {
  bench::Random r(11);
  const std::string_view starts[] = {"[",      "[END", "[POLY", "[RGN",  "Data",
                                     "Origin", "Type", "Label", "[IMG ", ""};
  const char alphabet[] = "[]=0129DEINOPRTYLabeginoptylGCX -\r";
  for (int i = 0; i < 20000; ++i) {
    std::string text(starts[r.Below(static_cast<int>(std::size(starts)))]);
    const int extra = r.Below(12);
    for (int k = 0; k < extra; ++k) text += alphabet[r.Below(sizeof alphabet - 1)];
    if (!text.empty() && text.back() == '\r') text.pop_back();  // would be a line end
    MapLine line;
    line.text = text;
    ClassifyMapLine(line);
    ExpectSame(line, Reference(text));
  }
}

// A generated map spoiled at random places with every kind of problem the checker knows.
std::string SpoiledMap(std::uint64_t seed, std::size_t size) {
  const std::string clean = bench::GenerateMap(seed, size);
  bench::Random r(seed * 31 + 7);
  std::string out;
  std::size_t start = 0;
  bool lf = false;
  while (start < clean.size()) {
    const std::size_t nl = clean.find('\n', start);
    std::string line = clean.substr(start, nl - start - 1);
    start = nl + 1;
    const int roll = r.Below(400);
    if (roll == 0 && line.rfind("[END", 0) == 0) continue;  // an element without an end
    if (roll == 1) line += std::string(90, 'x');            // a long label when it is one
    if (roll == 2) line += '\0';
    if (roll == 3) line += '\x98';
    if (roll == 4) lf = !lf;
    if (roll == 5) out += "Label=before the type\r\n";
    if (roll == 6) line = "Data5=(1,2)";
    if (roll == 7) line = "[Countries]";
    out += line;
    out += lf ? "\n" : "\r\n";
  }
  return out;
}

struct PartsCase {
  const char* name;
  std::string text;
};

std::vector<PartsCase> PartsCases() {
  std::vector<PartsCase> cases;
  cases.push_back({"generated", bench::GenerateMap(3, 200000)});
  cases.push_back({"spoiled", SpoiledMap(5, 300000)});
  cases.push_back({"spoiled, another seed", SpoiledMap(6, 200000)});
  // More than the listed number of one problem, spread over every part.
  std::string many = bench::GenerateMap(8, 100000);
  for (int i = 0; i < 300; ++i) many += "[POI]\r\nType=0x1\r\nData3=(1,2)\r\n[END]\r\n";
  cases.push_back({"many of one kind", many});
  // A second map header later on that declares other levels: its parts must not assume the
  // levels of the first.
  std::string second = bench::GenerateMap(9, 100000);
  second += "[IMG ID]\r\nID=2\r\nLevels=2\r\nLevel0=24\r\nLevel1=22\r\n";
  second += bench::GenerateMap(10, 100000).substr(1000);
  cases.push_back({"second map header", second});
  // Levels declared only by a map header further on: the parts after it know other levels
  // than the top of the map told, and the map is checked again as a whole.
  std::string late = bench::GenerateMap(14, 100000);
  late.replace(late.find("Levels=6"), 8, "Lavels=6");
  late += "[IMG ID]\r\nID=2\r\nLevels=2\r\nLevel0=24\r\nLevel1=22\r\n[END-IMG ID]\r\n";
  late += bench::GenerateMap(15, 100000).substr(1000);
  cases.push_back({"levels declared late", late});
  // No map header at the top: the page is settled by the first element.
  cases.push_back({"no header", bench::GenerateMap(12, 100000).substr(300)});
  cases.push_back({"last line without an end", bench::GenerateMap(13, 100000) + "[POI]"});
  return cases;
}

TEST(MapScanParts, PartsGiveWhatTheWholeMapGives) {
  test::TempDir dir;
  for (const PartsCase& c : PartsCases()) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.File("map.mp");
    test::WriteBytes(path, c.text);
    MemorySource source(c.text);
    LineReader reader(source);
    const MapStats wholeStats = CollectStats(reader);
    MemorySource source2(c.text);
    LineReader reader2(source2);
    const std::vector<Diagnostic> wholeCheck = CheckMap(reader2);
    if (std::string_view(c.name).find("spoiled") == 0) {
      EXPECT_GT(wholeCheck.size(), 30u);
    }
    for (std::size_t parts : {2u, 3u, 5u, 9u, 17u}) {
      SCOPED_TRACE(parts);
      const ScanPartsOptions options{parts, 1};
      InputFile file;
      ASSERT_TRUE(file.Open(path));
      const std::vector<std::uint64_t> starts = MapPartStarts(file, c.text.size(), options);
      EXPECT_GT(starts.size(), parts / 2);
      for (std::size_t i = 1; i < starts.size(); ++i) {
        ASSERT_GT(starts[i], starts[i - 1]);
        EXPECT_EQ(c.text[starts[i] - 1], '\n');
        EXPECT_EQ(c.text[starts[i]], '[');
        EXPECT_NE(c.text.compare(starts[i], 4, "[END"), 0);
      }
      test::RecordingHost host;
      const std::optional<MapStats> stats = StatsOfFile(path, host, options);
      ASSERT_TRUE(stats.has_value());
      EXPECT_TRUE(*stats == wholeStats);
      const std::optional<std::vector<Diagnostic>> found = CheckFile(path, host, options);
      ASSERT_TRUE(found.has_value());
      EXPECT_EQ(*found, wholeCheck);
    }
  }
}

TEST(MapScanParts, RealMapsInPartsGiveWhatTheyGiveWhole) {
  const std::string path = test::DataMap("zkir_RussiaBkg.mp");
  if (path.empty()) GTEST_SKIP() << "no shared data";
  const std::string text = test::ReadBytes(path);
  MemorySource source(text);
  LineReader reader(source);
  const MapStats whole = CollectStats(reader);
  MemorySource source2(text);
  LineReader reader2(source2);
  const std::vector<Diagnostic> wholeCheck = CheckMap(reader2);
  for (std::size_t parts : {2u, 7u}) {
    test::RecordingHost host;
    const std::optional<MapStats> stats = StatsOfFile(path, host, {parts, 1});
    ASSERT_TRUE(stats.has_value());
    EXPECT_TRUE(*stats == whole);
    EXPECT_EQ(CheckFile(path, host, {parts, 1}), wholeCheck);
  }
}

// A map too small to be worth the threads, or with nowhere to cut it, is one part.
TEST(MapScanParts, WhereNoPartsAreMade) {
  test::TempDir dir;
  const std::string path = dir.File("map.mp");
  struct Case {
    const char* name;
    std::string text;
    ScanPartsOptions options;
  };
  const Case cases[] = {
      {"smaller than a part", bench::GenerateMap(1, 50000), {4, 1 << 20}},
      {"one part asked for", bench::GenerateMap(1, 50000), {1, 1}},
      {"no section lines", std::string(100000, 'x') + "\r\n", {4, 1}},
      {"only end lines", test::CrLf(std::vector<std::string_view>(5000, "[END]")), {4, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::WriteBytes(path, c.text);
    InputFile file;
    ASSERT_TRUE(file.Open(path));
    EXPECT_EQ(MapPartStarts(file, c.text.size(), c.options), std::vector<std::uint64_t>{0});
  }
}

// Type codes are told apart by a word of their first bytes and their length: codes of every
// length up to past a word, sharing their beginnings and ends, each counted on its own.
TEST(MapScanFast, TypeCodesOfEveryLengthAreCountedApart) {
  const std::vector<std::string> codes = {"",           "0",           "0x",        "0x1",
                                          "0x10",       "0x01",        "0x100",     "0x1000",
                                          "0x10000",    "0x100000",    "0x1000000", "0x10000000",
                                          "0x10000001", "0x100000000", "1x10",      "0x1\x98"};
  std::vector<std::string> lines = {"[IMG ID]", "ID=1", "[END-IMG ID]"};
  std::map<std::string, std::uint64_t> expected;
  bench::Random r(4);
  for (int i = 0; i < 2000; ++i) {
    const std::string& code =
        codes[static_cast<std::size_t>(r.Below(static_cast<int>(codes.size())))];
    ++expected[code];
    lines.push_back("[POI]");
    lines.push_back("Type=" + code);
    lines.push_back("[END]");
  }
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  MemorySource source(text);
  LineReader reader(source);
  const MapStats stats = CollectStats(reader);
  std::map<std::string, std::uint64_t> counted;
  for (const TypeCount& t : stats.types) {
    EXPECT_EQ(t.kind, ElementKind::kPoint);
    counted[t.type] += t.count;
  }
  EXPECT_EQ(counted, expected);
  EXPECT_EQ(stats.types.size(), expected.size());
}

// A coordinate line after an origin line is named as what it is.
TEST(MapScanFast, CoordinateLineAfterAnOriginIsNamedByItsOwnKey) {
  const std::string text =
      test::CrLf({"[IMG ID]", "ID=1", "Levels=2", "Level0=24", "Level1=22", "[END-IMG ID]", "[POI]",
                  "Type=0x1", "Origin1=(1,2)", "Data1=(1,2)", "[END]"});
  MemorySource source(text);
  LineReader reader(source);
  const std::vector<Diagnostic> found = CheckMap(reader);
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].message.rfind("Origin1 ", 0), 0u) << found[0].message;
  EXPECT_EQ(found[1].message.rfind("Data1 ", 0), 0u) << found[1].message;
}

}  // namespace
}  // namespace pomvelt
