// The element scanner against the plain reference of the tests (whole lines in memory, each
// rule applied to all of them before the next): real and generated maps and damaged or odd
// inputs, read in blocks of every size from one byte on, must give the same bytes and counts.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "bench/map_generator.h"
#include "jobs/delete_elements.h"
#include "jobs/element_scanner.h"
#include "jobs/replace_type.h"
#include "support/test_support.h"
#include "support/type_rules_reference.h"

namespace pomvelt {
namespace {

using Action = TypeRule::Action;
using K = ElementKind;
using test::ApplyByLines;
using test::Reference;

// ---- inputs

std::string Replaced(std::string s, std::string_view from, std::string_view to) {
  for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size())) {
    s.replace(at, from.size(), to);
  }
  return s;
}

struct Input {
  std::string name;
  std::string bytes;
};

std::vector<Input> Inputs() {
  std::vector<Input> inputs;
  const std::string any = test::DataMap("zkir_RussiaBkg.mp");
  if (!any.empty()) {
    for (const auto& e :
         std::filesystem::directory_iterator(std::filesystem::path(any).parent_path())) {
      if (e.path().extension() == ".mp") {
        inputs.push_back({e.path().filename().string(), test::ReadBytes(e.path().string())});
      }
    }
  }
  const std::string map = bench::GenerateMap(21, 40000);
  inputs.push_back({"generated", map});
  inputs.push_back({"LF only", Replaced(map, "\r\n", "\n")});
  inputs.push_back({"no final line end", map + "[POLYGON]\r\nType=0x4b\r\nData0=(1,2)"});
  inputs.push_back({"header last", map + "[RGN80]"});
  inputs.push_back({"NUL bytes", Replaced(map, "Type=", std::string("Ty\0pe=", 6))});
  const std::string longLine = "Label=" + std::string(9000, 'x') + "[POLYGON]";
  inputs.push_back(
      {"long lines", test::CrLf({"[POLYGON]", "Type=0x4b", longLine, "[END]", longLine, "Type=0x4b",
                                 "Data0=" + std::string(9000, '1'), "[END-RGN80]"})});
  // Markers the rules must not take, and some they must: odd case, blanks around them, a
  // marker inside a text, a header right after a header, ends that do not begin their line.
  inputs.push_back({"odd markers", test::CrLf({"[polygon]",   "Type=0x4b",       "[END]",
                                               "[POLYGON] ",  "Type=0x4b",       "x",
                                               "[END] ",      " [POLYGON]",      "Type=0x4b ",
                                               "[END]",       "Label=a[RGN80]b", "Type=0x4b",
                                               "y",           " [END]",          "[END-RGN40]",
                                               "[END-RGN80]", "[POLYGON][POI]",  "Type=0x1",
                                               "[END]",       "[POLYGON]",       "[POLYGON]",
                                               "Type=0x4b",   "[END]",           "[RGN40]",
                                               "Type=0x1",    "Data0=(1,2)",     "[END-RGN40]",
                                               "[POI]",       "Type=0x2f06",     "[END-RGN10]",
                                               "[POLYGON]",   "Type=",           "[END]"}) +
                                       "\r\n\n\r\r\n[RGN10]\rType=0x2f06\r\n[END]\r"});
  return inputs;
}

std::vector<std::vector<TypeRule>> RuleSets() {
  auto replace = [](K kind, std::string code, std::string to) {
    return TypeRule{Action::kReplace, kind, std::move(code), std::move(to), 0};
  };
  auto drop = [](K kind, std::string code) {
    return TypeRule{Action::kDelete, kind, std::move(code), {}, 0};
  };
  return {
      {drop(K::kPolygon, "0x4b")},
      {drop(K::kPoint, "0x2f06")},
      {drop(K::kLine, "0x1")},
      {drop(K::kPolygon, "")},
      {replace(K::kPolygon, "0x1", "0xd")},
      {replace(K::kLine, "0x4b", "0x4b")},  // by itself: nothing changes
      {replace(K::kPoint, "", "0x1")},
      // Several rules: a replacement feeding a deletion of another kind through a header with
      // two markers, deletions of every kind, a chain of replacements.
      {replace(K::kPolygon, "0x1", "0x4b"), drop(K::kPoint, "0x4b"), drop(K::kLine, "0x1")},
      {drop(K::kPoint, "0x2f06"), drop(K::kPolygon, "0x4b"), drop(K::kLine, "0x1"),
       replace(K::kPolygon, "0x1", "0x2")},
      {replace(K::kPolygon, "0x4b", "0x1"), replace(K::kPolygon, "0x1", "0x3"),
       drop(K::kPolygon, "0x3"), replace(K::kLine, "0x16", "0x6")},
      {drop(K::kPolygon, "0x4b"), drop(K::kPolygon, "0x1")},
      // Codes real maps use.
      {replace(K::kPolygon, "0x4e", "0x4b"), replace(K::kLine, "0x1", "0x2"),
       drop(K::kPolygon, "0x3"), drop(K::kPoint, "0x700")},
  };
}

std::string Describe(const std::vector<TypeRule>& rules) {
  std::string s;
  for (const TypeRule& r : rules) {
    s += (r.action == Action::kReplace ? " replace " : " delete ") +
         std::to_string(static_cast<int>(r.kind)) + " '" + r.code + "'";
  }
  return s;
}

TEST(ElementScanner, GivesWhatTheRulesAppliedLineByLineGive) {
  for (const Input& input : Inputs()) {
    for (const std::vector<TypeRule>& rules : RuleSets()) {
      const Reference ref = ApplyByLines(input.bytes, rules);
      for (std::size_t block : {std::size_t{1}, std::size_t{2}, std::size_t{7}, std::size_t{64},
                                std::size_t{4096}, LineReader::kDefaultBlock}) {
        // Blocks of a byte or two on the large maps add nothing the small inputs do not show.
        if (block < 64 && input.bytes.size() > 100000) continue;
        TypeRuleCounts counts;
        const std::string out = test::RunTransform(
            input.bytes,
            [&](LineReader& in, LineWriter& w) { counts = ApplyTypeRules(in, w, rules); }, block);
        EXPECT_TRUE(out == ref.output)
            << input.name << ", rules" << Describe(rules) << ", block " << block;
        EXPECT_EQ(counts.perRule, ref.counts.perRule)
            << input.name << ", rules" << Describe(rules) << ", block " << block;
        EXPECT_EQ(counts.linesChanged, ref.counts.linesChanged)
            << input.name << ", rules" << Describe(rules) << ", block " << block;
      }
    }
  }
}

// The single commands are the scanner with one rule: their counts carry its word.
TEST(ElementScanner, SingleCommandsAreOneRule) {
  for (const Input& input : Inputs()) {
    for (std::size_t block : {std::size_t{3}, LineReader::kDefaultBlock}) {
      if (block < 64 && input.bytes.size() > 100000) continue;
      const Reference dropped =
          ApplyByLines(input.bytes, {TypeRule{Action::kDelete, K::kPolygon, "0x4b", {}, 0}});
      DeleteCounts d;
      EXPECT_TRUE(test::RunTransform(
                      input.bytes,
                      [&](LineReader& in, LineWriter& w) {
                        d = DeleteElements(in, w, {K::kPolygon, "0x4b", true});
                      },
                      block) == dropped.output)
          << input.name;
      EXPECT_EQ(d.elementsDeleted, dropped.counts.perRule[0]) << input.name;
      EXPECT_EQ(d.linesChanged, dropped.counts.linesChanged) << input.name;

      const Reference replaced =
          ApplyByLines(input.bytes, {TypeRule{Action::kReplace, K::kLine, "0x1", "0x2", 0}});
      ReplaceTypeCounts r;
      EXPECT_TRUE(test::RunTransform(
                      input.bytes,
                      [&](LineReader& in, LineWriter& w) {
                        r = ReplaceType(in, w, {K::kLine, "0x1", "0x2", true});
                      },
                      block) == replaced.output)
          << input.name;
      EXPECT_EQ(r.typeLinesReplaced, replaced.counts.perRule[0]) << input.name;
      EXPECT_EQ(r.linesChanged, replaced.counts.linesChanged) << input.name;
    }
  }
}

// The reference itself, on a case small enough to check by eye.
TEST(ElementScanner, ReferenceCase) {
  const Reference ref =
      ApplyByLines("[POLYGON]\nType=0x4b\nData0=(1)\n[END]\n[POI]\r\nType=0x1\r\n[END]\r\n[RGN80]",
                   {TypeRule{Action::kDelete, K::kPolygon, "0x4b", {}, 0},
                    TypeRule{Action::kReplace, K::kPoint, "0x1", "0x2", 0}});
  EXPECT_EQ(ref.output, test::CrLf({"[POI]", "Type=0x2", "[END]", "[RGN80]", ""}));
  EXPECT_EQ(ref.counts.perRule, (std::vector<long long>{1, 1}));
  EXPECT_TRUE(ref.counts.linesChanged);
}

}  // namespace
}  // namespace pomvelt
