#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "eurasia/level_passes.h"
#include "support/level_passes_reference.h"
#include "support/test_support.h"
#include "text/strings.h"

namespace pomvelt {
namespace {

using test::CrLf;
using test::RecordingHost;
using test::TempDir;
using Lines = std::vector<std::string_view>;

const Lines kLevelBlock = {"Levels=5",  "Level0=20", "Level1=18", "Level2=16",
                           "Level3=13", "Level4=12", "Zoom0=2",   "Zoom1=3",
                           "Zoom2=4",   "Zoom3=5",   "Zoom4=6"};

Lines Join(std::initializer_list<Lines> parts) {
  Lines all;
  for (const Lines& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

std::string Shift(const std::string& input, bool* ok = nullptr, long long* renumbered = nullptr) {
  ShiftCounts result;
  const test::Counted out = test::RunCounted(
      input,
      [&](LineReader& in, LineWriter& w) {
        result = ShiftLevelLines(in, w);
        return ResultOf(result, "m.mp");
      },
      3);
  if (result.headerEndFound) {
    EXPECT_EQ(out.unchanged, out.output == input);
  }
  if (ok != nullptr) *ok = result.headerEndFound;
  if (renumbered != nullptr) *renumbered = result.linesRenumbered;
  return out.output;
}

TEST(ShiftLevels, HeaderAndCoordinateRewrites) {
  const std::string in =
      CrLf({"[IMG ID]",    "Name=A",      "CodePage=1252", "Preprocess=F",  "LblCoding=9",
            "Levels=8",    "Level0=24",   "Zoom0=0",       "Other=1",       "[END-IMG ID]",
            "[POLYGON]",   "Type=0x1",    "Data2=(1,2)",   "Data3=(3,4)",   "Data4=(5,6)",
            "Data5=(7,8)", "Data6=(9,9)", "Data1=(0,0)",   "Origin4=(1,1)", "Label=Data2 street",
            "[END]"});
  // The page line moves behind "Preprocess=" and keeps the page the map's texts are in.
  const std::string expected = CrLf(
      Join({{"[IMG ID]", "Name=A", "Preprocess=N", "CodePage=1252", "LblCoding=9", "LblCoding=9"},
            kLevelBlock,
            {"[END-IMG ID]", "[POLYGON]", "Type=0x1", "Data0=(1,2)", "Data1=(3,4)", "Data2=(5,6)",
             "Data3=(7,8)", "Data6=(9,9)", "Data1=(0,0)", "Origin2=(1,1)", "Label=Data0 street",
             "[END]"}}));
  bool ok = false;
  long long renumbered = 0;
  EXPECT_EQ(Shift(in, &ok, &renumbered), expected);
  EXPECT_TRUE(ok);
  EXPECT_EQ(renumbered, 6);  // a label holding a key counts as a coordinate line
  // A shifted map shifted again: the block stays, the header lines do not.
  EXPECT_EQ(Shift(CrLf(Join({kLevelBlock, {"[END-IMG ID]", "Data1=(1,1)"}}))),
            CrLf(Join({kLevelBlock, {"[END-IMG ID]", "Data1=(1,1)"}})));
}

TEST(ShiftLevels, LaterLevelsLineGetsTheBlockWithoutDropping) {
  const std::string in = CrLf({"Levels=2", "Level0=1", "[END-IMG ID]", "x", "Levels=3", "y"});
  const std::string expected =
      CrLf(Join({kLevelBlock, {"[END-IMG ID]", "x"}, kLevelBlock, {"[END-IMG ID]", "y"}}));
  EXPECT_EQ(Shift(in), expected);
}

TEST(ShiftLevels, MissingHeaderEndIsRefusedAndTheFileKept) {
  bool ok = true;
  Shift(CrLf({"Levels=4", "Level0=22", "[POLYGON]", "Type=0x1", "Data0=(1,1)", "[END]"}), &ok);
  EXPECT_FALSE(ok);

  TempDir dir;
  const std::string map = dir.File("a.mp");
  const std::string bytes = CrLf({"[IMG ID]", "Levels=4", "[POI]", "Data2=(1,1)", "[END]"});
  test::WriteBytes(map, bytes);
  RecordingHost host;
  EXPECT_EQ(ShiftLevels(map, {host}).messages,
            std::vector<std::string>{"Не найден конец заголовка карты в файле " + map});
  EXPECT_EQ(test::ReadBytes(map), bytes);
  EXPECT_FALSE(test::Exists(dir.File("a_shifted.mp")));
}

TEST(ShiftLevels, InPlaceOnAFile) {
  TempDir dir;
  const std::string map = dir.File("a.mp");
  test::WriteBytes(map, "Levels=2\n[END-IMG ID]\nData2=(1,1)");
  RecordingHost host;
  EXPECT_EQ(ShiftLevels(map, {host}).result, FileResult::kChanged);
  EXPECT_EQ(test::ReadBytes(map), CrLf(Join({kLevelBlock, {"[END-IMG ID]", "Data0=(1,1)"}})));
  EXPECT_FALSE(test::Exists(dir.File("a_shifted.mp")));
  EXPECT_EQ(ShiftLevels(dir.File("none.mp"), {host}).messages,
            std::vector<std::string>{"Не могу открыть файл для чтения: " + dir.File("none.mp") +
                                     ": No such file or directory"});
}

std::string Fill(const std::string& input, long long& filled) {
  LevelScan scan;
  test::RunTransform(input, [&](LineReader& in, LineWriter&) { scan = ScanLevels(in); });
  const int k = scan.SourceLevel();
  filled = 0;
  if (!scan.empty[0] || k < 0) return input;
  return test::RunTransform(
      input,
      [&](LineReader& in, LineWriter& w) {
        filled = CopyLevelLines(in, w, k, scan.empty[1]).elementsFilled;
      },
      2);
}

TEST(FillEmptyLevels, Cases) {
  struct Case {
    const char* what;
    Lines in;
    Lines out;
    long long filled = 0;
  } cases[] = {
      {"level 0 present: unchanged",
       {"[POLYGON]", "Type=0x1", "Data0=(1,1)", "[END]"},
       {"[POLYGON]", "Type=0x1", "Data0=(1,1)", "[END]"}},
      {"level 0 after Background counts as empty",
       {"Type=0x4b", "Label=Background", "Data0=(1,1)", "Data2=(2,2)"},
       {"Type=0x4b", "Label=Background", "Data0=(1,1)", "Data2=(2,2)", "Data0=(2,2)",
        "Data1=(2,2)"},
       1},
      {"level 1 present: K is 1, one copy",
       {"[POI]", "Data1=(1,1)", "Origin1=(2,2)", "[END]"},
       {"[POI]", "Data1=(1,1)", "Data0=(1,1)", "Origin1=(2,2)", "Data0=(2,2)", "[END]"},
       1},
      {"K is 3, two copies; origins become Data0 and Origin1",
       {"Data3=(1,1)", "Origin3=(2,2)", "Data5=(3,3)"},
       {"Data3=(1,1)", "Data0=(1,1)", "Data1=(1,1)", "Origin3=(2,2)", "Data0=(2,2)",
        "Origin1=(2,2)", "Data5=(3,3)"},
       1},
      {"K is 4", {"Data4=(1,1)"}, {"Data4=(1,1)", "Data0=(1,1)", "Data1=(1,1)"}, 1},
      {"two elements, one of them with two lines of the level",
       {"[POI]", "Data2=(1,1)", "[END]", "[RGN80]", "Data2=(2,2)", "Data2=(3,3)", "[END]"},
       {"[POI]", "Data2=(1,1)", "Data0=(1,1)", "Data1=(1,1)", "[END]", "[RGN80]", "Data2=(2,2)",
        "Data0=(2,2)", "Data1=(2,2)", "Data2=(3,3)", "Data0=(3,3)", "Data1=(3,3)", "[END]"},
       2},
      {"only levels 8 and 9: unchanged",
       {"Data8=(1,1)", "Data9=(1,1)"},
       {"Data8=(1,1)", "Data9=(1,1)"}},
      {"empty map: unchanged", {}, {}},
  };
  for (const Case& c : cases) {
    long long filled = -1;
    EXPECT_EQ(Fill(CrLf(c.in), filled), CrLf(c.out)) << c.what;
    EXPECT_EQ(filled, c.filled) << c.what;
  }
}

TEST(FillEmptyLevels, OnFiles) {
  TempDir dir;
  const std::string filled = dir.File("f.mp"), kept = dir.File("k.mp");
  test::WriteBytes(filled, "Data2=(1,1)\n");
  const std::string keptBytes = "Data0=(1,1)\n";  // not CR LF: an untouched map stays as it is
  test::WriteBytes(kept, keptBytes);
  RecordingHost host;
  const FileOutcome f = FillEmptyLevels(filled, {host});
  EXPECT_EQ(f.result, FileResult::kChanged);
  EXPECT_EQ(f.counts.at(0).value, 2);  // the level copied from
  EXPECT_EQ(f.counts.at(1).value, 1);
  const FileOutcome k = FillEmptyLevels(kept, {host});
  EXPECT_EQ(k.result, FileResult::kUnchanged);
  EXPECT_EQ(k.bytesIn, keptBytes.size());
  EXPECT_EQ(test::ReadBytes(filled), CrLf({"Data2=(1,1)", "Data0=(1,1)", "Data1=(1,1)"}));
  EXPECT_EQ(test::ReadBytes(kept), keptBytes);
  EXPECT_FALSE(test::Exists(dir.File("f_fixed.mp")));
  EXPECT_EQ(FillEmptyLevels(dir.File("none.mp"), {host}).messages,
            std::vector<std::string>{"Не могу открыть файл для чтения: " + dir.File("none.mp") +
                                     ": No such file or directory"});
}

}  // namespace
}  // namespace pomvelt

namespace pomvelt {
namespace {

TEST(LevelRemoval, TwoDeletionPassesAndTheShiftOnAFile) {
  TempDir dir;
  const std::string map = dir.File("e.mp");
  test::WriteBytes(
      map, CrLf({"[IMG ID]",  "CodePage=1251", "Levels=6",      "Level0=24",     "[END-IMG ID]",
                 "[POLYGON]", "Type=0x1",      "Data0=(1,1)",   "Data2=(2,2)",   "[END]",
                 "[POI]",     "Type=0x2",      "Origin1=(1,1)", "[END]",         "[POLYLINE]",
                 "Type=0x3",  "Label=A",       "Data2=(1,1)",   "Data3=(2,2)",   "[END]",
                 "[POI]",     "Data0=(9,9)",   "Type=0x4",      "Origin2=(3,3)", "[END]",
                 "[RGN20]",   "Data0=(5,5)",   "[END]"}));
  RecordingHost host;
  const std::string before = test::ReadBytes(map);
  // Pass by pass, each replacing the map, and chained with one replacement at the end.
  EXPECT_FALSE(DeleteLevelElements(map, 0, {host}).Failed());
  EXPECT_FALSE(DeleteLevelElements(map, 1, {host}).Failed());
  EXPECT_FALSE(ShiftLevels(map, {host}).Failed());
  const std::string passByPass = test::ReadBytes(map);
  test::WriteBytes(map, before);
  // A dry run counts what the passes then do, and leaves the folder as it was.
  const FileOutcome dry = RemoveLevels(map, BatchContext{host, true});
  EXPECT_EQ(test::ReadBytes(map), before);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
  const FileOutcome o = RemoveLevels(map, {host});
  EXPECT_EQ(test::ReadBytes(map), passByPass);
  EXPECT_EQ(o.result, FileResult::kChanged);
  EXPECT_EQ(o.bytesIn, before.size());
  EXPECT_EQ(o.bytesOut, passByPass.size());
  EXPECT_EQ(o.output, map);
  ASSERT_EQ(o.counts.size(), 4u);
  EXPECT_EQ(o.counts[0].key, "elementsDeleted");
  EXPECT_EQ(o.counts[0].value, 2);  // one element of level 0, one of level 1
  EXPECT_EQ(o.counts[3].key, "linesRenumbered");
  EXPECT_EQ(o.counts[3].value, 2);
  EXPECT_EQ(dry.result, o.result);
  EXPECT_EQ(dry.bytesOut, o.bytesOut);
  for (std::size_t i = 0; i < o.counts.size(); ++i) {
    EXPECT_EQ(dry.counts.at(i).value, o.counts[i].value) << o.counts[i].key;
  }
  EXPECT_EQ(passByPass,
            CrLf(Join({{"[IMG ID]"},
                       kLevelBlock,
                       {"[END-IMG ID]", "[POLYLINE]", "Type=0x3", "Label=A", "Data1=(2,2)", "[END]",
                        // The line after a header is never examined.
                        "[POI]", "Data0=(9,9)", "Origin0=(3,3)", "[END]",
                        // Not an element: copied, then renumbered like any other line.
                        "[RGN20]", "Data0=(5,5)", "[END]"}})));
  for (const char* temp : {"e_0_layer_deleted.mp", "e_1_layer_deleted.mp", "e_shifted.mp"}) {
    EXPECT_FALSE(test::Exists(dir.File(temp))) << temp;
  }
}

TEST(LevelRemoval, AMapWithoutHeaderEndIsLeftWhole) {
  TempDir dir;
  const std::string map = dir.File("e.mp");
  const std::string bytes = CrLf({"Levels=2", "[POI]", "Type=0x1", "Data0=(1,1)", "[END]", "[POI]",
                                  "Type=0x1", "Data2=(1,1)", "[END]"});
  test::WriteBytes(map, bytes);
  RecordingHost host;
  for (const bool dryRun : {true, false}) {
    EXPECT_EQ(RemoveLevels(map, BatchContext{host, dryRun}).messages,
              std::vector<std::string>{"Не найден конец заголовка карты в файле " + map});
  }
  EXPECT_EQ(test::ReadBytes(map), bytes);
  for (const char* temp : {"e_0_layer_deleted.mp", "e_1_layer_deleted.mp", "e_shifted.mp"}) {
    EXPECT_FALSE(test::Exists(dir.File(temp))) << temp;
  }
}

}  // namespace
}  // namespace pomvelt

namespace pomvelt {
namespace {

// The element sections of a map, found independently of the passes: from a line holding a
// header marker to the next line holding an end marker.
std::vector<std::vector<std::string>> Elements(const std::string& bytes) {
  std::vector<std::vector<std::string>> elements;
  std::vector<std::string>* open = nullptr;
  std::size_t at = 0;
  while (at < bytes.size()) {
    std::size_t end = bytes.find('\n', at);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    at = end + 1;
    if (open == nullptr) {
      for (const char* h : {"[POLYGON]", "[RGN80]", "[POLYLINE]", "[RGN40]", "[POI]", "[RGN10]"}) {
        if (line.find(h) != std::string::npos) {
          elements.emplace_back();
          open = &elements.back();
          break;
        }
      }
      if (open != nullptr) open->push_back(line);
      continue;
    }
    open->push_back(line);
    if (open->size() > 2 && line.find("[END") != std::string::npos) open = nullptr;
  }
  return elements;
}

bool OnLowLevels(const std::vector<std::string>& element) {
  for (std::size_t i = 2; i < element.size(); ++i) {
    for (const char* key : {"Data0=", "Data1=", "Origin0=", "Origin1="}) {
      if (element[i].find(key) != std::string::npos) return true;
    }
  }
  return false;
}

TEST(LevelRemoval, RealMaps) {
  for (const char* name : {"gpsve_ViaTipo0x0.mp", "mapsoft2_f11a.mp"}) {
    const std::string source = test::DataMap(name);
    if (source.empty()) GTEST_SKIP() << "shared data folder absent";
    SCOPED_TRACE(name);
    TempDir dir;
    const std::string map = dir.File("m.mp");
    const std::string before = test::ReadBytes(source);
    test::WriteBytes(map, before);
    RecordingHost host;
    const FileOutcome o = RemoveLevels(map, {host});
    ASSERT_EQ(o.result, FileResult::kChanged);
    const std::string after = test::ReadBytes(map);

    std::vector<std::vector<std::string>> kept;
    for (const auto& e : Elements(before)) {
      if (!OnLowLevels(e)) kept.push_back(e);
    }
    const auto written = Elements(after);
    ASSERT_EQ(written.size(), kept.size());
    EXPECT_EQ(o.counts.at(0).value, static_cast<long long>(Elements(before).size() - kept.size()));
    for (std::size_t i = 0; i < kept.size(); ++i) {
      EXPECT_EQ(written[i][0], kept[i][0]);  // the same elements, in the same order
      // Its last coordinate line, renumbered down by two.
      std::string last;
      for (std::size_t k = 2; k < kept[i].size(); ++k) {
        if (kept[i][k].find("Data") != std::string::npos ||
            kept[i][k].find("Origin") != std::string::npos) {
          last = kept[i][k];
        }
      }
      for (int level = 2; level <= 5; ++level) {
        for (const char* key : {"Data", "Origin"}) {
          ReplaceAll(last, key + std::to_string(level), key + std::to_string(level - 2));
        }
      }
      if (!last.empty()) {
        EXPECT_NE(std::find(written[i].begin(), written[i].end(), last), written[i].end());
      }
    }
    const std::string block = CrLf(Join({kLevelBlock, {"[END-IMG ID]"}}));
    EXPECT_NE(after.find(block), std::string::npos);
    EXPECT_EQ(after.find("Levels="), after.find(block));
  }
}

TEST(ShiftLevels, TheHeaderKeepsDeclaringTheMapsPage) {
  const struct {
    std::vector<std::string_view> header;
    std::string_view written;
  } cases[] = {
      {{"CodePage=65001"}, "CodePage=65001"}, {{"CodePage=1250"}, "CodePage=1250"},
      {{"CodePage=0"}, "CodePage=1251"},      {{}, "CodePage=1251"},
      {{"CodePage=utf8"}, "CodePage=1251"},  // no number: as it always was
  };
  for (const auto& c : cases) {
    const std::string in = CrLf(
        Join({{"[IMG ID]"}, c.header, {"Preprocess=F", "Levels=8", "[END-IMG ID]", "[POLYGON]"}}));
    const std::string expected = CrLf(Join({{"[IMG ID]", "Preprocess=N", c.written, "LblCoding=9"},
                                            kLevelBlock,
                                            {"[END-IMG ID]", "[POLYGON]"}}));
    EXPECT_EQ(Shift(in), expected) << c.written;
  }
}

// ---- the scanner-driven passes against the plain line-by-line ones

// Lines made of the keys the passes look for, in every mix, with LF and CR LF ends, keys at the
// ends of long lines, and a last line with or without its end.
std::string LevelSoup(std::uint64_t seed, std::size_t size) {
  static constexpr std::string_view kTokens[] = {"Levels=4",
                                                 "Levels=5",
                                                 "Level0=20",
                                                 "Level1=18",
                                                 "Level2=16",
                                                 "Level3=13",
                                                 "Level4=12",
                                                 "Zoom0=2",
                                                 "Zoom1=3",
                                                 "Zoom2=4",
                                                 "Zoom3=5",
                                                 "Zoom4=6",
                                                 "[END-IMG ID]",
                                                 "[IMG ID]",
                                                 "Preprocess=F",
                                                 "PreProcess=G",
                                                 "CodePage=1252",
                                                 "CodePage=",
                                                 "[POLYGON]",
                                                 "[RGN40]",
                                                 "[POI]",
                                                 "[END]",
                                                 "Type=0x1",
                                                 "Label=Data3 Origin2",
                                                 "Data0=(1,2)",
                                                 "Data1=(3,4)",
                                                 "Data2=(5,6)",
                                                 "Data3=(7,8)",
                                                 "Data5=(1,1)",
                                                 "Data7=(2,2)",
                                                 "Data9=(0,0)",
                                                 "Data=",
                                                 "Origin0=(1,2)",
                                                 "Origin1=(1,2)",
                                                 "Origin2=(3,4)",
                                                 "Origin4=(5,6)",
                                                 "Background=Y",
                                                 "Background",
                                                 "Da",
                                                 "Ori",
                                                 "x",
                                                 ""};
  std::uint64_t state = seed;
  const auto next = [&] {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<std::size_t>(state >> 33);
  };
  std::string out;
  while (out.size() < size) {
    const std::size_t parts = 1 + next() % 3;
    for (std::size_t p = 0; p < parts; ++p) out += kTokens[next() % std::size(kTokens)];
    if (next() % 50 == 0) out += std::string(600, 'L') + "Data4=(9,9)";
    out += next() % 4 == 0 ? "\n" : "\r\n";
  }
  if (seed % 2 == 1) out += "Origin3=(1,1)";
  return out;
}

TEST(LevelPassesAgainstPlainOnes, SameBytesAndCountsOnEveryInputAndBlock) {
  std::vector<std::pair<std::string, std::string>> inputs;
  for (std::uint64_t seed = 1; seed <= 4; ++seed) {
    inputs.emplace_back("soup " + std::to_string(seed), LevelSoup(seed, 6000));
  }
  for (const char* name : {"zkir_RussiaBkg.mp", "mapsoft2_f11a.mp", "gpsve_MapaDePrueba.mp"}) {
    const std::string path = test::DataMap(name);
    if (!path.empty()) inputs.emplace_back(name, test::ReadBytes(path));
  }
  for (const auto& [name, input] : inputs) {
    for (std::size_t block : {std::size_t{1}, std::size_t{3}, std::size_t{64}, std::size_t{4096},
                              LineReader::kDefaultBlock}) {
      SCOPED_TRACE(name + ", block " + std::to_string(block));
      ShiftCounts shift, shiftRef;
      const std::string shifted = test::RunTransform(
          input, [&](LineReader& in, LineWriter& w) { shift = ShiftLevelLines(in, w); }, block);
      const std::string shiftedRef = test::RunTransform(
          input, [&](LineReader& in, LineWriter& w) { shiftRef = test::ReferenceShift(in, w); });
      EXPECT_EQ(shift.headerEndFound, shiftRef.headerEndFound);
      if (shiftRef.headerEndFound) {
        EXPECT_TRUE(shifted == shiftedRef);
        EXPECT_EQ(shift.linesRenumbered, shiftRef.linesRenumbered);
        EXPECT_EQ(shift.linesChanged, shiftRef.linesChanged);
      }

      LevelScan scan, scanRef;
      test::RunTransform(
          input, [&](LineReader& in, LineWriter&) { scan = ScanLevels(in); }, block);
      test::RunTransform(input,
                         [&](LineReader& in, LineWriter&) { scanRef = test::ReferenceScan(in); });
      EXPECT_EQ(scan.empty, scanRef.empty);

      for (int k = 1; k <= 7; k += 2) {
        for (bool level1Empty : {false, true}) {
          FillCounts fill, fillRef;
          const std::string filled = test::RunTransform(
              input,
              [&](LineReader& in, LineWriter& w) { fill = CopyLevelLines(in, w, k, level1Empty); },
              block);
          const std::string filledRef =
              test::RunTransform(input, [&](LineReader& in, LineWriter& w) {
                fillRef = test::ReferenceFill(in, w, k, level1Empty);
              });
          EXPECT_TRUE(filled == filledRef) << "fill from " << k;
          EXPECT_EQ(fill.elementsFilled, fillRef.elementsFilled) << "fill from " << k;
        }
      }
    }
  }
}

}  // namespace
}  // namespace pomvelt
