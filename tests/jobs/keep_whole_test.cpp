// Layer deletion and level removal that keep the other elements whole: the same elements go,
// every other line stays as it was.
#include <gtest/gtest.h>

#include <filesystem>

#include "bench/map_generator.h"
#include "eurasia/level_passes.h"
#include "jobs/delete_layer.h"
#include "jobs/polish_format.h"
#include "support/test_support.h"
#include "text/strings.h"

namespace pomvelt {
namespace {

using test::CrLf;

bool HoldsAny(std::string_view line, const std::vector<std::string>& keys) {
  for (const std::string& k : keys) {
    if (Contains(line, k)) return true;
  }
  return false;
}

// The map with the elements on the layer taken out, every other line written back as it was:
// an element runs from its header over the line after it (its type line, never examined, unless
// it ends the element) to the first line holding an end marker; a coordinate line holding a
// layer key after the type line puts it on the layer.
std::string WithoutLayer(const std::string& text, const LayerKeys& keys) {
  std::vector<std::string> lines;
  std::string line;
  for (char c : text) {
    if (c != '\n') {
      line += c;
      continue;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    line.clear();
  }
  if (!line.empty()) lines.push_back(line);
  std::string out;
  for (std::size_t i = 0; i < lines.size();) {
    if (!IsAnyElementHeader(lines[i])) {
      out += lines[i++] + "\r\n";
      continue;
    }
    std::size_t end = i + 1;  // one past the element's last line
    bool onLayer = false;
    if (end < lines.size() && !ContainsElementEnd(lines[end])) {
      for (++end; end < lines.size(); ++end) {
        if (HoldsAny(lines[end], keys.coordinate) && HoldsAny(lines[end], keys.onLayer)) {
          onLayer = true;
        }
        if (ContainsElementEnd(lines[end])) break;
      }
    }
    end = std::min(end + 1, lines.size());
    if (!onLayer) {
      for (std::size_t k = i; k < end; ++k) out += lines[k] + "\r\n";
    }
    i = end;
  }
  return out;
}

std::string KeptWhole(const std::string& map, const LayerKeys& keys, std::size_t block) {
  return test::RunTransform(
      map, [&](LineReader& in, LineWriter& out) { DeleteLayer(in, out, keys, KeptForm::kWhole); },
      block);
}

std::vector<std::string> Maps() {
  std::vector<std::string> maps = {
      bench::GenerateMap(5, 40000),
      // Holes and parts, routing keys, an Origin point: all that the reduced form loses.
      CrLf({"[IMG ID]",    "Data0=header", "[END-IMG ID]",      "[POLYGON]",
            "Type=0x4e",   "Label=Park",   "Data1=(1,2),(3,4)", "Data1=(5,6),(7,8)",
            "Data2=(1,2)", "[END]",        "[POLYLINE]",        "Type=0x1",
            "RoadID=7",    "Nod1=0,1,0",   "Data0=(1,2)",       "[END]",
            "[POI]",       "Type=0x2f06",  "Origin1=(1,2)",     "City=Y",
            "[END]"}),
      CrLf({"[POI]", "[END]", "[POLYGON]", "Data0=(1,2)", "[END]", "[RGN40]", "[RGN10]",
            "Data1=(1,2)", "[END-RGN10]",
            "x"}),  // an end first, a coordinate line first, two headers
      CrLf({"a", "[POLYLINE]", "Type=0x1", "Data2=(1,2)"}),  // cut off by the end
      "b\r\n[POI]",                                          // a header on the last line
  };
  const std::string any = test::DataMap("zkir_RussiaBkg.mp");
  if (!any.empty()) {
    for (const auto& e :
         std::filesystem::directory_iterator(std::filesystem::path(any).parent_path())) {
      if (e.path().extension() == ".mp") maps.push_back(test::ReadBytes(e.path().string()));
    }
  }
  return maps;
}

TEST(KeepWhole, KeptElementsAreByteIdentical) {
  for (const std::string& map : Maps()) {
    for (const LayerKeys& keys : {DataLayerKeys("0"), DataLayerKeys("1"), DataLayerKeys("2"),
                                  DataOrOriginLevelKeys(0), DataOrOriginLevelKeys(1)}) {
      const std::string expected = WithoutLayer(map, keys);
      EXPECT_EQ(KeptWhole(map, keys, LineReader::kDefaultBlock), expected) << keys.onLayer[0];
      EXPECT_EQ(KeptWhole(map, keys, 5), expected) << keys.onLayer[0] << " in blocks of 5";
    }
  }
}

TEST(KeepWhole, TheSameElementsGoAsInTheReducedForm) {
  // Both forms write the same headers in the same order.
  auto headers = [](const std::string& text) {
    std::string h;
    for (std::size_t at = 0; (at = text.find('[', at)) != std::string::npos; ++at)
      h += text[at + 1];
    return h;
  };
  for (const std::string& map : Maps()) {
    const LayerKeys keys = DataLayerKeys("1");
    const std::string reduced = test::RunTransform(
        map, [&](LineReader& in, LineWriter& out) { DeleteLayer(in, out, keys); });
    EXPECT_EQ(headers(KeptWhole(map, keys, LineReader::kDefaultBlock)), headers(reduced));
  }
}

TEST(KeepWhole, CountsOnlyTheDeletedElements) {
  const std::string map = CrLf({"[POLYGON]", "Type=0x1", "Label=a", "Label=b", "Data0=(1,2)",
                                "Data0=(3,4)", "[END]", "[POI]", "Type=0x2", "Data1=(1,2)", "[END]",
                                "[POI]", "Type=0x3", "Data0=(1,2)", "x", "[END]"});
  struct Case {
    std::string layer;
    long long deleted;
    bool unchanged;
  };
  for (const Case& c : {Case{"0", 2, false}, Case{"1", 1, false}, Case{"2", 0, true}}) {
    const test::Counted r = test::RunCounted(map, [&](LineReader& in, LineWriter& out) {
      return ResultOf(DeleteLayer(in, out, DataLayerKeys(c.layer), KeptForm::kWhole));
    });
    EXPECT_EQ(r.Count("elementsDeleted"), c.deleted) << c.layer;
    EXPECT_EQ(r.Count("elementsReduced"), 0) << c.layer;
    EXPECT_EQ(r.Count("linesDropped"), 0) << c.layer;
    EXPECT_EQ(r.unchanged, c.unchanged) << c.layer;
  }
}

TEST(KeepWhole, LevelRemovalKeepsElementsWholeBeforeRenumbering) {
  test::TempDir dir;
  const std::string path = dir.File("tile.mp");
  const std::string map =
      CrLf({"[IMG ID]",   "ID=1",     "Levels=7",    "Level0=24",     "[END-IMG ID]",
            "[POLYGON]",  "Type=0x1", "Data2=(1,2)", "Data2=(3,4)",   "Data3=(1,2)",
            "[END]",      "[POI]",    "Type=0x2",    "Origin1=(1,2)", "[END]",
            "[POLYLINE]", "Type=0x3", "RoadID=1",    "Data4=(1,2)",   "[END]"});
  test::WriteBytes(path, map);
  test::RecordingHost host;
  const FileOutcome outcome = RemoveLevels(path, {host}, KeptForm::kWhole);
  ASSERT_EQ(outcome.result, FileResult::kChanged) << host.messages.size();
  const std::string kept =
      WithoutLayer(WithoutLayer(map, DataOrOriginLevelKeys(0)), DataOrOriginLevelKeys(1));
  const std::string expected = test::RunTransform(kept, [](LineReader& in, LineWriter& out) {
    ASSERT_TRUE(ShiftLevelLines(in, out).headerEndFound);
  });
  EXPECT_EQ(test::ReadBytes(path), expected);
  EXPECT_NE(expected.find("Data0=(1,2)\r\nData0=(3,4)\r\nData1=(1,2)\r\n"), std::string::npos);
  EXPECT_NE(expected.find("RoadID=1\r\nData2=(1,2)"), std::string::npos);
  EXPECT_EQ(expected.find("Origin1"), std::string::npos);
}

}  // namespace
}  // namespace pomvelt
