// The type rules as plainly as they can be written, for the tests and fuzz targets to hold the
// element scanner to: the input split into whole lines in memory, each rule applied to all of
// them before the next, the markers spelled out afresh.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "jobs/element_scanner.h"

namespace pomvelt::test {

inline std::vector<std::string> SplitLines(std::string_view bytes) {
  std::vector<std::string> lines;
  while (!bytes.empty()) {
    const std::size_t nl = bytes.find('\n');
    std::string_view line = bytes.substr(0, nl);
    bytes.remove_prefix(nl == std::string_view::npos ? bytes.size() : nl + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
  }
  return lines;
}

inline bool HoldsHeader(const std::string& line, ElementKind kind) {
  static const char* const kHeads[3][2] = {
      {"[POLYGON]", "[RGN80]"}, {"[POLYLINE]", "[RGN40]"}, {"[POI]", "[RGN10]"}};
  for (const char* h : kHeads[static_cast<int>(kind)]) {
    if (line.find(h) != std::string::npos) return true;
  }
  return false;
}

inline bool StartsEnd(const std::string& line, ElementKind kind) {
  static const char* const kEnds[3] = {"[END-RGN80]", "[END-RGN40]", "[END-RGN10]"};
  return line.starts_with("[END]") || line.starts_with(kEnds[static_cast<int>(kind)]);
}

// What the rules make of a map: its lines, each ended by CR LF, and the counts.
struct Reference {
  std::string output;
  TypeRuleCounts counts;
};

inline Reference ApplyByLines(std::string_view input, const std::vector<TypeRule>& rules) {
  std::vector<std::string> lines = SplitLines(input);
  Reference ref;
  for (const TypeRule& rule : rules) {
    const std::string from = "Type=" + rule.code;
    long long count = 0;
    std::vector<std::string> out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      out.push_back(lines[i]);
      if (!HoldsHeader(lines[i], rule.kind)) continue;
      const bool last = i + 1 == lines.size();
      const std::string type = last ? "" : lines[++i];
      if (last) ref.counts.linesChanged = true;
      if (type != from) {
        out.push_back(type);
      } else if (rule.action == TypeRule::Action::kReplace) {
        ++count;
        out.push_back("Type=" + rule.newCode);
        if (rule.newCode != rule.code) ref.counts.linesChanged = true;
      } else {
        ++count;
        ref.counts.linesChanged = true;
        out.pop_back();
        while (++i < lines.size() && !StartsEnd(lines[i], rule.kind)) {
        }
      }
    }
    ref.counts.perRule.push_back(count);
    lines = std::move(out);
  }
  for (const std::string& line : lines) ref.output += line + "\r\n";
  return ref;
}

}  // namespace pomvelt::test
