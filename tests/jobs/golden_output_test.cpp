// The output of every streaming map command, pinned byte for byte on generated maps and on
// damaged variants of them (LF-only and mixed line ends, lone CRs, NUL bytes, a last line
// without an end, lines longer than the reader's block, marker soup), by hashes taken from the
// plain line-by-line transforms. The fast copying paths must never change a byte, and they
// must not depend on where the reads happen to cut the input: each transform is also run with
// reads of one to seven bytes and compared with its own run over whole blocks.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "bench/map_generator.h"
#include "eurasia/level_passes.h"
#include "jobs/delete_elements.h"
#include "jobs/delete_layer.h"
#include "jobs/polish_format.h"
#include "jobs/replace_type.h"
#include "jobs/search_replace.h"
#include "text/byte_scan.h"

namespace pomvelt {
namespace {

using bench::GenerateMap;
using Transform = std::function<void(LineReader&, LineWriter&)>;

std::uint64_t Fnv1a(std::string_view bytes, std::uint64_t h = 14695981039346656037ull) {
  for (const char c : bytes) {
    h ^= static_cast<unsigned char>(c);
    h *= 1099511628211ull;
  }
  return h;
}

// Gives at most `step` bytes per read, so that block boundaries fall everywhere.
class TrickleSource : public ByteSource {
 public:
  TrickleSource(std::string_view bytes, std::size_t step) : bytes_(bytes), step_(step) {}
  std::ptrdiff_t Read(char* buf, std::size_t n) override {
    const std::size_t k = std::min({n, step_, bytes_.size()});
    std::copy_n(bytes_.data(), k, buf);
    bytes_.remove_prefix(k);
    return static_cast<std::ptrdiff_t>(k);
  }

 private:
  std::string_view bytes_;
  std::size_t step_;
};

std::string RunPieces(const Transform& transform, std::string_view input, std::size_t step,
                      std::size_t block, std::size_t writerBuffer) {
  TrickleSource source(input, step);
  StringSink sink;
  LineReader reader(source, block);
  LineWriter writer(sink, writerBuffer);
  transform(reader, writer);
  EXPECT_TRUE(writer.Flush());
  return sink.bytes;
}

std::string RunWhole(const Transform& transform, std::string_view input) {
  return RunPieces(transform, input, std::string_view::npos, LineReader::kDefaultBlock,
                   LineWriter::kDefaultBuffer);
}

// ---- inputs

std::string ReplaceEach(std::string s, std::string_view from, std::string_view to, int every = 1) {
  std::string out;
  std::size_t done = 0;
  int seen = 0;
  for (std::size_t pos = s.find(from); pos != std::string::npos; pos = s.find(from, done)) {
    out.append(s, done, pos - done);
    out += (++seen % every == 0) ? to : from;
    done = pos + from.size();
  }
  out.append(s, done);
  return out;
}

std::string InsertEvery(const std::string& s, std::size_t every, std::string_view what) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); i += every) {
    out.append(s, i, every);
    out += what;
  }
  return out;
}

// Markers, keys, fragments of them and line ends in random order: every partial match and
// every marker at a line's or a block's edge that a generated map never has.
std::string MarkerSoup(std::uint64_t seed, std::size_t size) {
  static constexpr std::string_view kTokens[] = {"[POLYGON]",
                                                 "[RGN80]",
                                                 "[POLYLINE]",
                                                 "[RGN40]",
                                                 "[POI]",
                                                 "[RGN10]",
                                                 "[END]",
                                                 "[END-RGN80]",
                                                 "[END-RGN40]",
                                                 "[END-RGN10]",
                                                 "[END-IMG ID]",
                                                 "Type=0x4b",
                                                 "Type=0x1",
                                                 "Type=",
                                                 "Data0=(1,2)",
                                                 "Data1=(3,4)",
                                                 "Data=",
                                                 "Origin0=(5,6)",
                                                 "Label=A",
                                                 "City=B",
                                                 "DirIndicator=1",
                                                 "~[0x4]",
                                                 "~[0x2a]",
                                                 "[",
                                                 "[POLY",
                                                 "[RGN",
                                                 "[END-",
                                                 "x",
                                                 "0x",
                                                 "=",
                                                 "\r\n",
                                                 "\r\n",
                                                 "\r\n",
                                                 "\r\n",
                                                 "\n",
                                                 "\r",
                                                 std::string_view("\0", 1)};
  bench::Random r(seed);
  std::string out;
  while (out.size() < size) {
    out += kTokens[r.Below(static_cast<int>(std::size(kTokens)))];
  }
  return out;
}

struct Input {
  std::string name;
  std::string bytes;
};

std::vector<Input> Inputs(std::size_t mapSize, bool withLongLines) {
  std::vector<Input> inputs;
  const std::string base = GenerateMap(1, mapSize);
  inputs.push_back({"seed 1", base});
  inputs.push_back({"seed 2", GenerateMap(2, mapSize)});
  inputs.push_back({"seed 3", GenerateMap(3, mapSize)});
  inputs.push_back({"LF only", ReplaceEach(base, "\r\n", "\n")});
  inputs.push_back(
      {"mixed ends", ReplaceEach(ReplaceEach(base, "\r\n", "\n", 5), "]\r\n", "]\r\r\n", 3)});
  inputs.push_back({"lone CRs", InsertEvery(GenerateMap(4, mapSize), 97, "\r")});
  inputs.push_back({"NUL bytes", InsertEvery(GenerateMap(5, mapSize), 61, std::string(1, '\0'))});
  // Cut inside a line, after a header, after a type line, and on a lone CR.
  inputs.push_back({"cut mid-line", base.substr(0, base.size() - 9)});
  inputs.push_back({"cut after header", base + "[POLYGON]"});
  inputs.push_back({"cut after type", base + "[RGN80]\r\nType=0x4b"});
  inputs.push_back({"cut in element", base + "[POI]\r\nType=0x1\r\nData0=(1,2)\r\n"});
  inputs.push_back({"ends on CR", base.substr(0, base.size() - 1)});
  inputs.push_back({"soup 1", MarkerSoup(11, mapSize)});
  inputs.push_back({"soup 2", MarkerSoup(12, mapSize)});
  inputs.push_back({"soup LF", ReplaceEach(MarkerSoup(13, mapSize), "\r\n", "\n")});
  inputs.push_back({"empty", ""});
  inputs.push_back({"blank lines", "\n\r\n\n\r\n\r"});
  if (withLongLines) {
    // Lines of hundreds of kilobytes, far beyond the 4 KiB blocks every input also runs with: a
    // coordinate line inside an element, a label with markers at its far end, and a plain line
    // without a CR.
    std::string coords = "Data0=";
    while (coords.size() < 300 * 1024) coords += "(55.123456,37.654321),";
    std::string label = "Label=" + std::string(280 * 1024, 'L') + "~[0x4][POLYGON]";
    const std::string plain(270 * 1024, 'p');
    const std::size_t mid = base.find("[POLYGON]\r\nType=0x4b\r\n", base.size() / 2);
    if (mid == std::string::npos) ADD_FAILURE() << "no polygon 0x4b in the second half";
    std::string longLines = base.substr(0, mid) + "[POLYGON]\r\nType=0x4b\r\n" + coords +
                            "\r\n[END]\r\n" + "[POLYGON]\r\nType=0x1\r\n" + label + "\r\n" +
                            coords + "\r\n[END]\r\n" + plain + "\n" + base.substr(mid) + label;
    inputs.push_back({"long lines", std::move(longLines)});
  }
  return inputs;
}

// ---- commands

struct Command {
  std::string name;
  Transform run;
};

std::vector<Command> Commands() {
  std::vector<Command> commands;
  auto deleteElements = [&](ElementKind kind, std::string code, const char* name) {
    commands.push_back({name, [=](LineReader& in, LineWriter& out) {
                          DeleteElements(in, out, {kind, code});
                        }});
  };
  deleteElements(ElementKind::kPolygon, "0x4b", "delete-elements polygon 0x4b");
  deleteElements(ElementKind::kPolygon, "0x1", "delete-elements polygon 0x1");
  deleteElements(ElementKind::kLine, "0x4b", "delete-elements line 0x4b");
  deleteElements(ElementKind::kPoint, "0x1", "delete-elements point 0x1");
  deleteElements(ElementKind::kPolygon, "", "delete-elements polygon empty code");

  auto replaceType = [&](ElementKind kind, std::string from, std::string to, const char* name) {
    commands.push_back({name, [=](LineReader& in, LineWriter& out) {
                          ReplaceType(in, out, {kind, from, to});
                        }});
  };
  replaceType(ElementKind::kPolygon, "0x1", "0xd", "replace-type polygon 0x1 0xd");
  replaceType(ElementKind::kLine, "0x4b", "0x1", "replace-type line 0x4b 0x1");
  replaceType(ElementKind::kPoint, "0x2f06", "", "replace-type point 0x2f06 empty");
  replaceType(ElementKind::kPolygon, "", "0x2", "replace-type polygon empty 0x2");

  auto deleteLayer = [&](LayerKeys keys, const char* name) {
    commands.push_back(
        {name, [=](LineReader& in, LineWriter& out) { DeleteLayer(in, out, keys); }});
  };
  deleteLayer(DataLayerKeys("0"), "delete-layer 0");
  deleteLayer(DataLayerKeys("1"), "delete-layer 1");
  deleteLayer(DataLayerKeys(""), "delete-layer empty");
  deleteLayer(DataOrOriginLevelKeys(0), "remove level 0");
  deleteLayer(DataOrOriginLevelKeys(2), "remove level 2");

  auto searchReplace = [&](std::string find, std::string replace, const char* name) {
    commands.push_back({name, [=](LineReader& in, LineWriter& out) {
                          SearchReplace(in, out, {find, replace});
                        }});
  };
  searchReplace("~[0x4]", "~[0x3]", "search-replace default");
  searchReplace("~[0x2a]", "~[0x3]", "search-replace shield");
  searchReplace("Type=0x4b", "Type=0x4c", "search-replace line start");
  searchReplace("\r", "", "search-replace CR");
  searchReplace("\r\n", "X", "search-replace line end");
  searchReplace("[", "[[", "search-replace bracket");
  searchReplace("0", "", "search-replace delete");
  searchReplace(std::string("\0x", 2), "N", "search-replace NUL");
  searchReplace("", "x", "search-replace empty");

  commands.push_back(
      {"shift levels", [](LineReader& in, LineWriter& out) { ShiftLevelLines(in, out); }});
  auto fill = [&](int k, bool level1Empty, const char* name) {
    commands.push_back(
        {name, [=](LineReader& in, LineWriter& out) { CopyLevelLines(in, out, k, level1Empty); }});
  };
  fill(1, false, "fill levels from 1");
  fill(2, true, "fill levels from 2, level 1 too");
  fill(3, false, "fill levels from 3");
  return commands;
}

// Recorded from the line-by-line transforms, before any fast path existed. Set
// POMVELT_PRINT_GOLDEN=1 to print the table afresh (only when a change of output is intended).
const std::map<std::string, std::uint64_t> kGolden = {
    {"delete-elements polygon 0x4b", 0xb0d6be54fe90d73cull},
    {"delete-elements polygon 0x1", 0xffe69ecff132accbull},
    {"delete-elements line 0x4b", 0x057e4f26380a2cc5ull},
    {"delete-elements point 0x1", 0x7f6c3c812e69658eull},
    {"delete-elements polygon empty code", 0x6bf902ea7cb10a37ull},
    {"replace-type polygon 0x1 0xd", 0xe4b3ae9dedc011e3ull},
    {"replace-type line 0x4b 0x1", 0xe55c2a51040e362aull},
    {"replace-type point 0x2f06 empty", 0x9f55715fd42e53c0ull},
    {"replace-type polygon empty 0x2", 0xc8665aaf667ad1f3ull},
    {"delete-layer 0", 0x283874c95d484f36ull},
    {"delete-layer 1", 0x032f1c8b7978b6b9ull},
    {"delete-layer empty", 0xa65ccdd09ebff4b4ull},
    {"remove level 0", 0x437cad163b9577b7ull},
    {"remove level 2", 0x312b9f0dd951ada2ull},
    {"search-replace default", 0x6858aeab5c14f59cull},
    {"search-replace shield", 0x19f723e8fb44a7cbull},
    {"search-replace line start", 0x383abfaf57544047ull},
    {"search-replace CR", 0x2858e1353ae16c3eull},
    {"search-replace line end", 0x9ae25e96f646d311ull},
    {"search-replace bracket", 0x6e0877799a3a446dull},
    {"search-replace delete", 0xbd7bf198be585e38ull},
    {"search-replace NUL", 0xce8cf894a57447b9ull},
    {"search-replace empty", 0x9ae25e96f646d311ull},
    {"shift levels", 0x86a7603090f89a11ull},
    {"fill levels from 1", 0xc450a61896195c87ull},
    {"fill levels from 2, level 1 too", 0xe150882c3e2e90feull},
    {"fill levels from 3", 0xf7ad7bcd0cabf2b1ull},
};

TEST(GoldenOutput, EveryCommandOnGeneratedAndDamagedMaps) {
  const std::vector<Input> inputs = Inputs(48 * 1024, true);
  const bool print = std::getenv("POMVELT_PRINT_GOLDEN") != nullptr;
  // Every implementation of the vector scans the processor has must give the same bytes.
  for (int level = static_cast<int>(BestScanLevel()); level >= 0; --level) {
    UseScanLevel(static_cast<ScanLevel>(level));
    for (const Command& command : Commands()) {
      std::uint64_t combined = Fnv1a("");
      std::string perInput;
      for (const Input& input : inputs) {
        const std::string whole = RunWhole(command.run, input.bytes);
        // Blocks much smaller than the lines, over the same reads.
        EXPECT_TRUE(RunPieces(command.run, input.bytes, std::string_view::npos, 4096, 1000) ==
                    whole)
            << command.name << " on " << input.name << ", 4 KiB blocks, scan level " << level;
        const std::uint64_t h = Fnv1a(whole);
        combined = Fnv1a(std::string_view(reinterpret_cast<const char*>(&h), sizeof h), combined);
        char line[128];
        std::snprintf(line, sizeof line, "  %s: %016llx\n", input.name.c_str(),
                      static_cast<unsigned long long>(h));
        perInput += line;
      }
      if (print) {
        if (level == 0) {
          std::printf("    {\"%s\", 0x%016llxull},\n", command.name.c_str(),
                      static_cast<unsigned long long>(combined));
        }
        continue;
      }
      const auto golden = kGolden.find(command.name);
      ASSERT_NE(golden, kGolden.end()) << command.name;
      EXPECT_EQ(combined, golden->second)
          << command.name << ", scan level " << level << ", output hashes:\n"
          << perInput;
    }
  }
  UseScanLevel(BestScanLevel());
}

// Keys the vector scan of layer deletion does not take (a line end in a key, too many
// different first bytes) send it to the plain tests; a key with a line end in it is never
// found, so adding one must change nothing.
TEST(GoldenOutput, LayerDeletionGivesTheSameOnItsPlainPath) {
  const std::vector<Input> inputs = Inputs(16 * 1024, false);
  for (LayerKeys keys : {DataLayerKeys("0"), DataOrOriginLevelKeys(1)}) {
    LayerKeys plain = keys;
    plain.coordinate.push_back("never\nfound");
    LayerKeys crowded = keys;
    for (const char* k : {"\x01\x01", "\x02\x02", "\x03\x03", "\x04\x04"}) {
      crowded.onLayer.push_back(k);  // more first bytes than one vector pass looks for
    }
    for (const Input& input : inputs) {
      const std::string fast = RunWhole(
          [&](LineReader& in, LineWriter& out) { DeleteLayer(in, out, keys); }, input.bytes);
      for (const LayerKeys* other : {&plain, &crowded}) {
        EXPECT_TRUE(RunWhole([&](LineReader& in, LineWriter& out) { DeleteLayer(in, out, *other); },
                             input.bytes) == fast)
            << input.name << ", keys " << keys.coordinate.back();
      }
    }
  }
}

TEST(GoldenOutput, ReadsOfAFewBytesGiveTheSameOutput) {
  const std::vector<Input> inputs = Inputs(6 * 1024, false);
  for (const Command& command : Commands()) {
    for (const Input& input : inputs) {
      const std::string whole = RunWhole(command.run, input.bytes);
      for (std::size_t k = 1; k <= 7; ++k) {
        EXPECT_TRUE(RunPieces(command.run, input.bytes, k, k, 5 * k) == whole)
            << command.name << " on " << input.name << ", reads of " << k;
      }
    }
  }
}

TEST(GoldenOutput, TheGeneratorIsDeterministic) {
  const std::string map = GenerateMap(7, 20000);
  EXPECT_EQ(map, GenerateMap(7, 20000));
  EXPECT_NE(map, GenerateMap(8, 20000));
  EXPECT_GE(map.size(), 20000u);
  EXPECT_TRUE(map.starts_with(bench::kMapHead));
  for (std::string_view marker : {"[POLYGON]", "[RGN80]", "[POLYLINE]", "[RGN40]", "[POI]",
                                  "[RGN10]", "Type=0x4b", "~[0x2", "Data0=", "Origin"}) {
    EXPECT_NE(map.find(marker), std::string::npos) << marker;
  }
}

}  // namespace
}  // namespace pomvelt
