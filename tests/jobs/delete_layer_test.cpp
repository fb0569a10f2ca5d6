#include "jobs/delete_layer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <random>

#include "jobs/polish_format.h"
#include "support/test_support.h"

namespace pomvelt {
namespace {

using test::CrLf;
using test::RunTransform;

struct LayerCase {
  const char* name;
  LayerKeys keys;
  std::string input;
  std::string expected;
  // elements deleted, kept elements written otherwise than they came, lines those left out
  std::array<long long, 3> counts;
};

void ExpectCases(const std::vector<LayerCase>& cases) {
  for (const LayerCase& c : cases) {
    for (std::size_t block : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{4},
                              LineReader::kDefaultBlock}) {
      const test::Counted r = test::RunCounted(
          c.input,
          [&](LineReader& in, LineWriter& out) { return ResultOf(DeleteLayer(in, out, c.keys)); },
          block);
      EXPECT_EQ(r.output, c.expected) << c.name << ", block " << block;
      EXPECT_EQ((std::array<long long, 3>{r.Count("elementsDeleted"), r.Count("elementsReduced"),
                                          r.Count("linesDropped")}),
                c.counts)
          << c.name << ", block " << block;
      EXPECT_EQ(r.unchanged, r.output == c.input) << c.name;
    }
  }
}

TEST(DeleteLayer, LayerElementsInMemory) {
  const LayerKeys layer0 = DataLayerKeys("0");
  const LayerKeys layer1 = DataLayerKeys("1");
  const std::string onLevel0 = CrLf({"[POLYGON]", "Type=0x4", "Label=A", "Data0=(1,2)", "[END]"});
  const std::string onLevel1 = CrLf({"[POLYGON]", "Type=0x4", "Label=A", "Data1=(1,2)", "[END]"});
  const std::string onBoth =
      CrLf({"[POLYLINE]", "Type=0x1", "Data0=(1,2)", "Data1=(3,4)", "[END-RGN40]"});
  ExpectCases({
      {"level 0 vanishes", layer0, "a\r\n" + onLevel0 + "b\r\n", CrLf({"a", "b"}), {1, 0, 0}},
      {"level 1 kept unchanged", layer0, onLevel1, onLevel1, {0, 0, 0}},
      // A key longer than the two words the scan compares first, also where the run ends
      // before the key would.
      {"a layer of 24 digits",
       DataLayerKeys("123456789012345678901234"),
       onLevel0 +
           CrLf({"[POI]", "Type=0x1", "Data123456789012345678901234=(1,2)", "[END]", "[POI]",
                 "Type=0x2"}) +
           "Data12345678901234567890123",
       onLevel0 + CrLf({"[POI]", "Type=0x2", "Data12345678901234567890123"}),
       {1, 0, 0}},
      {"levels 0 and 1, layer 0", layer0, onBoth, "", {1, 0, 0}},
      {"levels 0 and 1, layer 1", layer1, onBoth, "", {1, 0, 0}},
      {"reduced form: last coordinates, city before direction, the rest dropped",
       layer0,
       CrLf({"[RGN40]", "Type=0x1", "Label=A", "Data1=(1,2)", "DirIndicator=1", "RoadID=7",
             "City=Y", "Data2=(3,4)", "Label=B", "[END-RGN40]"}),
       CrLf({"[RGN40]", "Type=0x1", "Label=B", "City=Y", "DirIndicator=1", "Data2=(3,4)",
             "[END-RGN40]"}),
       {0, 1, 3}},
      {"one line fills several slots",
       layer1,
       CrLf({"[POI]", "Type=0x1", "Label=City=DirIndicator Data0=", "[END]"}),
       CrLf({"[POI]", "Type=0x1",
             "Label=City=DirIndicator Data0=", "Label=City=DirIndicator Data0=",
             "Label=City=DirIndicator Data0=", "Label=City=DirIndicator Data0=", "[END]"}),
       {0, 1, 0}},
      {"a line filling a slot and the layer",
       layer0,
       CrLf({"[POI]", "Type=0x1", "Label=Data0=", "[END]"}),
       "",
       {1, 0, 0}},
      {"origin lines are not coordinates here",
       layer0,
       CrLf({"[POI]", "Type=0x2f06", "Label=P", "Origin0=(1,2)", "[END]"}),
       CrLf({"[POI]", "Type=0x2f06", "Label=P", "[END]"}),
       {0, 1, 1}},
      {"layer 1 is not level 10 or 11",
       layer1,
       CrLf({"[POLYGON]", "Type=0x4", "Data10=(1,2)", "Data11=(1,2)", "[END]"}),
       CrLf({"[POLYGON]", "Type=0x4", "Data11=(1,2)", "[END]"}),
       {0, 1, 1}},
      {"empty layer deletes nothing but reduces",
       DataLayerKeys(""),
       CrLf({"[POLYGON]", "Type=0x4", "EndLevel=2", "Data0=(1,2)", "[END]"}),
       CrLf({"[POLYGON]", "Type=0x4", "Data0=(1,2)", "[END]"}),
       {0, 1, 1}},
      {"lines outside elements stay",
       layer0,
       CrLf({"[IMG ID]", "Data0=header", "[END-IMG ID]", "[Restrict]", "Data0=(1,2)",
             "[END-Restrict]"}),
       CrLf({"[IMG ID]", "Data0=header", "[END-IMG ID]", "[Restrict]", "Data0=(1,2)",
             "[END-Restrict]"}),
       {0, 0, 0}},
      {"the line after the header is never tested",
       layer0,
       CrLf({"[POI]", "Data0=(1,2)", "[END]"}),
       CrLf({"[POI]", "Data0=(1,2)", "[END]"}),
       {0, 0, 0}},
      {"any end marker anywhere in the line ends the element",
       layer1,
       CrLf({"[RGN80]", "Type=0x4", "Data0=(1,2)", " [END-RGN80]", "after"}),
       CrLf({"[RGN80]", "Type=0x4", "Data0=(1,2)", " [END-RGN80]", "after"}),
       {0, 0, 0}},
      {"cut off by the end of the input",
       layer0,
       "[POLYGON]\r\nType=0x4\r\nLabel=A\r\nExtra=1\r\nData1=(1,2)",
       CrLf({"[POLYGON]", "Type=0x4", "Label=A", "Data1=(1,2)"}),
       {0, 1, 1}},
      {"cut off and on the layer",
       layer0,
       CrLf({"x", "[POLYGON]", "Type=0x4", "Data0=(1,2)"}),
       CrLf({"x"}),
       {1, 0, 0}},
      {"header on the last line", layer0, "x\r\n[POI]", CrLf({"x", "[POI]"}), {0, 0, 0}},
      {"header directly followed by its end",
       layer0,
       CrLf({"[POI]", "[END]", "[POI]", "Type=0x1", "Data0=(1,2)", "[END]", "z"}),
       CrLf({"[POI]", "[END]", "z"}),
       {1, 0, 0}},
      {"empty input", layer0, "", "", {0, 0, 0}},
  });
}

TEST(DeleteLayer, DataOrOriginLevelsInMemory) {
  const LayerKeys level0 = DataOrOriginLevelKeys(0);
  const LayerKeys level1 = DataOrOriginLevelKeys(1);
  const std::string level2Only = CrLf({"[POI]", "Type=0x1", "Origin2=(1,2)", "[END]"});
  ExpectCases({
      {"levels 0 and 2, level 0",
       level0,
       CrLf({"[POLYGON]", "Type=0x4", "Data0=(1,2)", "Data2=(1,2)", "[END]"}),
       "",
       {1, 0, 0}},
      {"origin of level 0",
       level0,
       CrLf({"[POI]", "Type=0x1", "Origin0=(1,2)", "[END]"}),
       "",
       {1, 0, 0}},
      {"origin of level 2 survives level 0", level0, level2Only, level2Only, {0, 0, 0}},
      {"origin of level 2 survives level 1", level1, level2Only, level2Only, {0, 0, 0}},
      {"the last of data and origin lines is kept",
       level0,
       CrLf({"[POI]", "Type=0x1", "Data2=(1,2)", "Origin3=(1,2)", "Label=A", "[END]"}),
       CrLf({"[POI]", "Type=0x1", "Label=A", "Origin3=(1,2)", "[END]"}),
       {0, 1, 1}},
      {"first line after the header is never tested",
       level0,
       CrLf({"[POI]", "Origin0=(1,2)", "Data3=(1,2)", "[END]"}),
       CrLf({"[POI]", "Origin0=(1,2)", "Data3=(1,2)", "[END]"}),
       {0, 0, 0}},
  });
}

// The rule restated over line numbers, as slow and plain as it can be: which lines of each
// element the written form holds, in which order, and the counts that follow from that.
struct ByIndex {
  std::string output;
  std::array<long long, 3> counts{};
};

bool HoldsAnyKey(std::string_view line, const std::vector<std::string>& keys) {
  for (const std::string& k : keys) {
    if (line.find(k) != std::string_view::npos) return true;
  }
  return false;
}

ByIndex ReduceByIndex(const std::vector<std::string>& lines, const LayerKeys& keys, bool whole) {
  ByIndex r;
  const auto write = [&](std::size_t i) { r.output += lines[i] + "\r\n"; };
  for (std::size_t i = 0; i < lines.size();) {
    if (!IsAnyElementHeader(lines[i])) {
      write(i++);
      continue;
    }
    // Places: header, type, label, city, direction, coordinates, end; -1 while empty.
    std::array<long, 7> place;
    place.fill(-1);
    place[0] = static_cast<long>(i);
    std::size_t last = i;  // the element's last line
    bool onLayer = false;
    if (i + 1 < lines.size()) {
      last = i + 1;
      place[ContainsElementEnd(lines[i + 1]) ? 6 : 1] = static_cast<long>(i + 1);
      for (std::size_t j = i + 2; place[6] < 0 && j < lines.size(); ++j) {
        const std::string& l = lines[j];
        last = j;
        const bool coordinates = HoldsAnyKey(l, keys.coordinate);
        if (l.find("Label=") != std::string::npos) place[2] = static_cast<long>(j);
        if (l.find("City=") != std::string::npos) place[3] = static_cast<long>(j);
        if (l.find("DirIndicator") != std::string::npos) place[4] = static_cast<long>(j);
        if (coordinates) place[5] = static_cast<long>(j);
        if (coordinates && HoldsAnyKey(l, keys.onLayer)) onLayer = true;
        if (ContainsElementEnd(l)) place[6] = static_cast<long>(j);
      }
    }
    std::vector<long> written;
    for (long p : place) {
      if (p >= 0) written.push_back(p);
    }
    if (onLayer) {
      ++r.counts[0];
    } else if (whole) {
      for (std::size_t j = i; j <= last; ++j) write(j);
    } else {
      for (long p : written) write(static_cast<std::size_t>(p));
      std::vector<long> asItCame;
      for (std::size_t j = i; j <= last; ++j) asItCame.push_back(static_cast<long>(j));
      if (written != asItCame) {
        ++r.counts[1];
        std::sort(written.begin(), written.end());
        const auto distinct = std::unique(written.begin(), written.end()) - written.begin();
        r.counts[2] += static_cast<long long>(asItCame.size()) - distinct;
      }
    }
    i = last + 1;
  }
  return r;
}

// Random maps from lines that fill several places at once, fill one twice, come in another
// order than the written one, hold no key, or end an element early; some lines end in a bare
// LF, some maps stop inside an element. Output and counts must equal the rule restated.
TEST(DeleteLayer, RandomMapsCountedAsTheRuleByLineNumbers) {
  const std::vector<std::string> vocabulary = {"[POI]",
                                               "[POLYLINE]",
                                               "[RGN40]",
                                               "Type=0x1",
                                               "Label=A",
                                               "Label=B",
                                               "City=Y",
                                               "CityIdx=1",
                                               "DirIndicator=1",
                                               "Data0=(1,2)",
                                               "Data1=(3,4)",
                                               "Data2=(5,6)",
                                               "Origin0=(1,2)",
                                               "Origin1=(7,8)",
                                               "RoadID=7",
                                               "Label=City=X",
                                               "City=Z DirIndicator=0",
                                               "Data1=(1,2) Label=C",
                                               "[END]",
                                               "[END-RGN40]",
                                               "",
                                               "x [END] y",
                                               "Levels=2"};
  const std::vector<LayerKeys> keySets = {DataLayerKeys("0"), DataLayerKeys("1"),
                                          DataOrOriginLevelKeys(0), DataOrOriginLevelKeys(1)};
  std::mt19937 random(20261207);
  for (int map = 0; map < 300; ++map) {
    std::vector<std::string> lines;
    std::string input;
    bool bareLf = false;
    const int count = 1 + static_cast<int>(random() % 60);
    for (int k = 0; k < count; ++k) {
      // Headers and ends more often than the rest, so that most lines are inside elements.
      const std::size_t pick = random() % 4 == 0 ? (random() % 2 == 0 ? random() % 3 : 18)
                                                 : random() % vocabulary.size();
      lines.push_back(vocabulary[pick]);
      const bool bare = random() % 8 == 0;
      bareLf = bareLf || bare;
      input += lines.back() + (bare ? "\n" : "\r\n");
    }
    if (random() % 4 == 0 && !lines.back().empty())
      input.resize(input.rfind(lines.back()) + lines.back().size());
    for (const LayerKeys& keys : keySets) {
      for (const KeptForm form : {KeptForm::kReduced, KeptForm::kWhole}) {
        const ByIndex expected = ReduceByIndex(lines, keys, form == KeptForm::kWhole);
        for (std::size_t block :
             {std::size_t{1}, std::size_t{3}, std::size_t{7}, LineReader::kDefaultBlock}) {
          const test::Counted r = test::RunCounted(
              input,
              [&](LineReader& in, LineWriter& out) {
                return ResultOf(DeleteLayer(in, out, keys, form));
              },
              block);
          ASSERT_EQ(r.output, expected.output) << "map " << map << ", block " << block << "\n"
                                               << input;
          ASSERT_EQ((std::array<long long, 3>{r.Count("elementsDeleted"),
                                              r.Count("elementsReduced"), r.Count("linesDropped")}),
                    expected.counts)
              << "map " << map << ", block " << block << "\n"
              << input;
          if (!bareLf) {
            EXPECT_EQ(r.unchanged, r.output == input) << "map " << map;
          }
        }
      }
    }
  }
}

const std::string kMap =
    CrLf({"[IMG ID]", "Name=Town", "[END-IMG ID]", "[POLYGON]", "Type=0x4", "Data0=(1,2)", "[END]",
          "[POI]", "Type=0x1", "Label=A", "Data1=(1,2)", "Levels=2", "[END]"});
const std::string kLayer0Deleted = CrLf({"[IMG ID]", "Name=Town", "[END-IMG ID]", "[POI]",
                                         "Type=0x1", "Label=A", "Data1=(1,2)", "[END]"});

TEST(DeleteLayer, JobInPlaceAndAsCopy) {
  test::TempDir dir;
  const std::string a = dir.File("a.mp");
  const std::string b = dir.File("town.mp");
  test::WriteBytes(a, kMap);
  test::WriteBytes(b, kMap);

  DeleteLayerOptions options;
  test::RecordingHost host;
  const BatchReport r = DeleteLayerJob(options, {a}, {host});
  EXPECT_EQ(test::ReadBytes(a), kLayer0Deleted);
  EXPECT_FALSE(test::Exists(dir.File("a_0_layer_deleted.mp")));
  EXPECT_EQ(host.messages, std::vector<std::string>{kDoneMessage});
  EXPECT_EQ(r.Totals().changed, 1);

  options.inPlace = false;
  test::RecordingHost copyHost;
  DeleteLayerJob(options, {b}, {copyHost});
  EXPECT_EQ(test::ReadBytes(b), kMap);
  EXPECT_EQ(test::ReadBytes(dir.File("town_0_layer_deleted.mp")), kLayer0Deleted);
}

std::vector<std::string> SplitCrLf(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

// Splits a map into its elements (header to end line) and the lines outside them.
struct MapParts {
  std::vector<std::vector<std::string>> elements;
  std::vector<std::string> outside;
};

MapParts SplitMap(const std::vector<std::string>& lines) {
  MapParts parts;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!IsAnyElementHeader(lines[i])) {
      parts.outside.push_back(lines[i]);
      continue;
    }
    std::vector<std::string> element{lines[i]};
    while (++i < lines.size()) {
      element.push_back(lines[i]);
      if (ContainsElementEnd(lines[i])) break;
    }
    parts.elements.push_back(element);
  }
  return parts;
}

bool HasLine(const std::vector<std::string>& element, std::string_view key) {
  for (std::size_t i = 2; i < element.size(); ++i) {
    if (element[i].find(key) != std::string::npos) return true;
  }
  return false;
}

TEST(DeleteLayer, RealMapKeepsOnlyElementsOffTheLayerInReducedForm) {
  const std::string source = test::DataMap("gpsve_ViaTipo0x0.mp");
  if (source.empty()) GTEST_SKIP() << "no shared data";
  test::TempDir dir;
  const std::string path = dir.File("via.mp");
  const std::string original = test::ReadBytes(source);
  test::WriteBytes(path, original);

  DeleteLayerOptions options;
  options.layer = "1";
  test::RecordingHost host;
  const FileOutcome outcome = DeleteLayerInFile(path, options, {host});
  ASSERT_EQ(outcome.result, FileResult::kChanged);

  const MapParts before = SplitMap(SplitCrLf(original));
  const MapParts after = SplitMap(SplitCrLf(test::ReadBytes(path)));
  std::vector<std::vector<std::string>> kept;
  for (const auto& element : before.elements) {
    if (!HasLine(element, "Data1=")) kept.push_back(element);
  }
  ASSERT_GT(kept.size(), 0u);
  ASSERT_LT(kept.size(), before.elements.size());
  ASSERT_EQ(after.elements.size(), kept.size());
  // The counts tell exactly what vanished and what was rewritten.
  long long reduced = 0;
  long long dropped = 0;
  for (std::size_t i = 0; i < kept.size(); ++i) {
    if (after.elements[i] != kept[i]) ++reduced;
    dropped += static_cast<long long>(kept[i].size() - after.elements[i].size());
  }
  ASSERT_EQ(outcome.counts.size(), 3u);
  EXPECT_EQ(outcome.counts[0].value, static_cast<long long>(before.elements.size() - kept.size()));
  EXPECT_EQ(outcome.counts[1].value, reduced);
  EXPECT_EQ(outcome.counts[2].value, dropped);
  EXPECT_EQ(after.outside, before.outside);
  for (std::size_t i = 0; i < kept.size(); ++i) {
    const auto& element = after.elements[i];
    EXPECT_EQ(element.front(), kept[i].front());
    EXPECT_EQ(element[1], kept[i][1]);
    EXPECT_EQ(element.back(), kept[i].back());
    EXPECT_LE(element.size(), 7u);
    int coordinateLines = 0;
    for (std::size_t j = 2; j + 1 < element.size(); ++j) {
      EXPECT_EQ(element[j].find("Data1="), std::string::npos);
      if (element[j].find("Data") != std::string::npos) ++coordinateLines;
    }
    EXPECT_LE(coordinateLines, 1);
  }

  // Where mkgmap is installed, the result must still compile.
  if (std::system("command -v mkgmap >/dev/null 2>&1") == 0) {
    const std::string cmd = "cd '" + dir.path().string() + "' && mkgmap --output-dir=out '" + path +
                            "' >mkgmap.log 2>&1";
    EXPECT_EQ(std::system(cmd.c_str()), 0) << test::ReadBytes(dir.File("mkgmap.log"));
  }
}

}  // namespace
}  // namespace pomvelt
