// Statistics against counts made here by a plain reading of the whole map, on every real map
// and on generated maps read in blocks of every small size.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>

#include "bench/map_generator.h"
#include "examine/map_stats.h"
#include "support/test_support.h"

namespace pomvelt {
namespace {

using test::CrLf;

// The reference: the whole text split into lines, each line looked at on its own.
struct Reference {
  std::map<std::string, std::string> header;
  std::uint64_t lines = 0, labels = 0;
  std::map<std::string, std::uint64_t> kinds;                          // "polygon" ...
  std::map<std::pair<std::string, std::string>, std::uint64_t> types;  // (kind, code)
  std::map<int, std::uint64_t> levels;
};

Reference Count(const std::string& text) {
  Reference r;
  std::vector<std::string> lines;
  std::string current;
  for (char c : text) {
    if (c == '\n') {
      if (!current.empty() && current.back() == '\r') current.pop_back();
      lines.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.empty()) lines.push_back(current);
  r.lines = lines.size();

  const std::vector<std::pair<std::string, std::string>> headers = {
      {"[POLYGON]", "polygon"}, {"[RGN80]", "polygon"}, {"[POLYLINE]", "line"},
      {"[RGN40]", "line"},      {"[POI]", "point"},     {"[RGN10]", "point"}};
  std::string kind;  // of the open element, "" outside one
  std::optional<std::string> type;
  std::set<int> levels;
  bool inHeader = false;
  auto close = [&] {
    if (kind.empty()) return;
    ++r.kinds[kind];
    ++r.types[{kind, type.value_or("")}];
    for (int l : levels) ++r.levels[l];
    kind.clear();
  };
  for (const std::string& line : lines) {
    if (line.rfind("[", 0) == 0) {
      close();
      inHeader = line.rfind("[IMG ID]", 0) == 0;
      for (const auto& [marker, name] : headers) {
        if (line.rfind(marker, 0) == 0) kind = name;
      }
      type.reset();
      levels.clear();
      continue;
    }
    if (inHeader) {
      const std::size_t eq = line.find('=');
      if (eq == std::string::npos) continue;
      std::string key = line.substr(0, eq);
      for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      r.header.emplace(key, line.substr(eq + 1));
      continue;
    }
    if (kind.empty()) continue;
    if (line.rfind("Type=", 0) == 0 && !type) type = line.substr(5);
    if (line.rfind("Label=", 0) == 0) ++r.labels;
    for (const std::string key : {"Data", "Origin"}) {
      if (line.rfind(key, 0) != 0) continue;
      std::size_t i = key.size();
      while (i < line.size() && std::isdigit(static_cast<unsigned char>(line[i]))) ++i;
      if (i > key.size() && i < line.size() && line[i] == '=') {
        levels.insert(std::stoi(line.substr(key.size(), i - key.size())));
      }
    }
  }
  close();
  return r;
}

void ExpectEqual(const MapStats& s, const Reference& r, const std::string& text) {
  auto header = [&](const char* key) -> std::optional<std::string> {
    const auto it = r.header.find(key);
    return it == r.header.end() ? std::nullopt : std::optional<std::string>(it->second);
  };
  EXPECT_EQ(s.id, header("id"));
  EXPECT_EQ(s.name, header("name"));
  EXPECT_EQ(s.codePage, header("codepage"));
  EXPECT_EQ(s.levelCount, header("levels"));
  EXPECT_EQ(s.lines, r.lines);
  EXPECT_EQ(s.bytes, text.size());
  EXPECT_EQ(s.labels, r.labels);
  EXPECT_EQ(s.elements[0], r.kinds.count("polygon") ? r.kinds.at("polygon") : 0);
  EXPECT_EQ(s.elements[1], r.kinds.count("line") ? r.kinds.at("line") : 0);
  EXPECT_EQ(s.elements[2], r.kinds.count("point") ? r.kinds.at("point") : 0);
  std::map<std::pair<std::string, std::string>, std::uint64_t> types;
  for (const TypeCount& t : s.types) types[{ElementKindName(t.kind), t.type}] += t.count;
  EXPECT_EQ(types, r.types);
  EXPECT_EQ(s.levels, r.levels);
}

MapStats StatsOf(const std::string& text, std::size_t block = LineReader::kDefaultBlock) {
  MemorySource source(text);
  LineReader reader(source, block);
  return CollectStats(reader);
}

TEST(MapStats, EveryRealMapMatchesTheReferenceAndTotalsAddUp) {
  const std::string folder =
      std::filesystem::path(test::DataMap("zkir_RussiaBkg.mp")).parent_path().string();
  if (folder.empty()) GTEST_SKIP() << "no shared data";
  MapStats total;
  std::uint64_t elements = 0, lines = 0;
  int maps = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() != ".mp") continue;
    SCOPED_TRACE(entry.path().string());
    const std::string text = test::ReadBytes(entry.path().string());
    test::RecordingHost host;
    const std::optional<MapStats> s = StatsOfFile(entry.path().string(), host);
    ASSERT_TRUE(s.has_value());
    ExpectEqual(*s, Count(text), text);
    EXPECT_GT(s->ElementCount(), 0u);
    total.Add(*s);
    elements += s->ElementCount();
    lines += s->lines;
    ++maps;
  }
  EXPECT_EQ(maps, 4);
  EXPECT_EQ(total.ElementCount(), elements);
  EXPECT_EQ(total.lines, lines);
  std::uint64_t byType = 0, byKind = 0;
  for (const TypeCount& t : total.types) byType += t.count;
  for (std::uint64_t k : total.elements) byKind += k;
  EXPECT_EQ(byType, elements);
  EXPECT_EQ(byKind, elements);
}

TEST(MapStats, GeneratedMapInBlocksOfEverySmallSize) {
  const std::string text = bench::GenerateMap(7, 20000);
  const Reference r = Count(text);
  for (std::size_t block : {1u, 2u, 3u, 5u, 64u, 4096u}) {
    SCOPED_TRACE(block);
    ExpectEqual(StatsOf(text, block), r, text);
  }
}

TEST(MapStats, SectionsCutOffAndOddLines) {
  struct Case {
    const char* name;
    std::string text;
  };
  const Case cases[] = {
      {"element cut off by the next one", CrLf({"[POI]", "Type=0x1", "Data0=(1,2)", "[POLYGON]",
                                                "Type=0x4b", "Data1=(1,2)", "[END]"})},
      {"element cut off by the end", CrLf({"[POLYLINE]", "Type=0x2", "Data2=(1,2)"})},
      {"header on the last line, no line end", "[POI]\r\nType=0x1\r\n[END]\r\n[RGN10]"},
      {"type later and twice", CrLf({"[RGN80]", "Label=x", "Type=0x3", "Type=0x4", "[END-RGN80]"})},
      {"no type, origin and high level",
       CrLf({"[RGN10]", "Origin0=(1,2)", "Data99=(1,2)", "Data=(1,2)", "[END]"})},
      {"other sections and keys outside elements",
       CrLf({"[IMG ID]", "Codepage=65001", "ID=1", "Levels=3", "[END-IMG ID]", "Label=stray",
             "[Restrict]", "Type=0x9", "[END-Restrict]"})},
      {"bare line ends", "[POI]\nType=0x1\nLabel=a\nData0=(1,2)\n[END]\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ExpectEqual(StatsOf(c.text), Count(c.text), c.text);
  }
}

TEST(MapStats, AddMergesTypesInOrder) {
  MapStats a = StatsOf(CrLf({"[POI]", "Type=0x2", "[END]", "[POLYGON]", "Type=0x1", "[END]"}));
  const MapStats b =
      StatsOf(CrLf({"[POI]", "Type=0x1", "[END]", "[POI]", "Type=0x2", "Label=x", "[END]"}));
  a.Add(b);
  const std::vector<TypeCount> expected = {{ElementKind::kPolygon, "0x1", 1},
                                           {ElementKind::kPoint, "0x1", 1},
                                           {ElementKind::kPoint, "0x2", 2}};
  EXPECT_EQ(a.types, expected);
  EXPECT_EQ(a.labels, 1u);
  EXPECT_EQ(a.ElementCount(), 4u);
}

}  // namespace
}  // namespace pomvelt
