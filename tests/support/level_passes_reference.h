// The level passes as plainly as they can be written, line by line with substring tests, for the
// tests and fuzz targets to hold the scanner-driven passes to.
#pragma once

#include <array>
#include <iterator>
#include <string>
#include <string_view>

#include "eurasia/level_passes.h"
#include "jobs/polish_format.h"
#include "text/code_page.h"
#include "text/line_io.h"
#include "text/strings.h"

namespace pomvelt::test {

inline ShiftCounts ReferenceShift(LineReader& in, LineWriter& out) {
  static constexpr std::string_view kBlock[] = {
      "Levels=5", "Level0=20", "Level1=18", "Level2=16", "Level3=13", "Level4=12",
      "Zoom0=2",  "Zoom1=3",   "Zoom2=4",   "Zoom3=5",   "Zoom4=6",
  };
  static constexpr ReplacementPair kShift[] = {
      {"Data2", "Data0"},     {"Data3", "Data1"},     {"Data4", "Data2"},
      {"Data5", "Data3"},     {"Origin2", "Origin0"}, {"Origin3", "Origin1"},
      {"Origin4", "Origin2"}, {"Origin5", "Origin3"},
  };
  ShiftCounts counts;
  const MapHeaderInfo header = PeekMapHeader(in);
  const std::string pageLine =
      "CodePage=" + (header.pageReadable ? header.page : CodePage()).Name();
  bool headerEndFound = false;
  std::string headerEnd;
  std::string changed;
  std::string_view line;
  while (in.ReadLine(line)) {
    if (Contains(line, "Levels=")) {
      bool same = !headerEndFound && line == kBlock[0];
      if (!headerEndFound) {
        std::size_t at = 1;
        std::string_view skipped;
        while (in.ReadLine(skipped)) {
          if (Contains(skipped, "[END-IMG ID]")) {
            headerEnd = skipped;
            headerEndFound = true;
            break;
          }
          same = same && at < std::size(kBlock) && skipped == kBlock[at];
          ++at;
        }
        if (!headerEndFound) {
          counts.headerEndFound = false;
          return counts;
        }
        same = same && at == std::size(kBlock);
      }
      if (!same) counts.linesChanged = true;
      for (std::string_view l : kBlock) out.WriteLine(l);
      out.WriteLine(headerEnd);
    } else if (Contains(line, "Data") || Contains(line, "Origin")) {
      changed = line;
      ApplyReplacements(changed, kShift);
      out.WriteLine(changed);
      if (changed != line) ++counts.linesRenumbered;
    } else if (Contains(line, "Preprocess=") || Contains(line, "PreProcess=")) {
      out.WriteLine("Preprocess=N");
      out.WriteLine(pageLine);
      out.WriteLine("LblCoding=9");
      counts.linesChanged = true;
    } else if (!Contains(line, "CodePage=")) {
      out.WriteLine(line);
    } else {
      counts.linesChanged = true;
    }
  }
  if (counts.linesRenumbered > 0) counts.linesChanged = true;
  return counts;
}

inline LevelScan ReferenceScan(LineReader& in) {
  LevelScan scan;
  bool previousHoldsBackground = false;
  std::string_view line;
  while (in.ReadLine(line)) {
    std::array<bool, 10> seen{};
    for (std::string_view key : {"Data", "Origin"}) {
      for (std::size_t at = line.find(key); at != std::string_view::npos;
           at = line.find(key, at + 1)) {
        const std::size_t d = at + key.size();
        if (d < line.size() && line[d] >= '0' && line[d] <= '9') {
          seen[static_cast<std::size_t>(line[d] - '0')] = true;
        }
      }
    }
    for (std::size_t level = 0; level < 8; ++level) {
      if (seen[level] && (level > 1 || !previousHoldsBackground)) scan.empty[level] = false;
    }
    previousHoldsBackground = Contains(line, "Background");
  }
  return scan;
}

inline FillCounts ReferenceFill(LineReader& in, LineWriter& out, int k, bool level1Empty) {
  const std::string dataKey = "Data" + std::to_string(k);
  const std::string originKey = "Origin" + std::to_string(k);
  FillCounts counts;
  bool elementFilled = false;
  std::string copy;
  std::string_view line;
  while (in.ReadLine(line)) {
    out.WriteLine(line);
    if (IsAnyElementHeader(line)) elementFilled = false;
    if (!Contains(line, dataKey) && !Contains(line, originKey)) continue;
    if (!elementFilled) ++counts.elementsFilled;
    elementFilled = true;
    copy = line;
    ReplaceAll(copy, dataKey, "Data0");
    ReplaceAll(copy, originKey, "Data0");
    out.WriteLine(copy);
    if (level1Empty) {
      copy = line;
      ReplaceAll(copy, dataKey, "Data1");
      ReplaceAll(copy, originKey, "Origin1");
      out.WriteLine(copy);
    }
  }
  return counts;
}

}  // namespace pomvelt::test
