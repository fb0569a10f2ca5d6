// Type rules: the rules file's errors with their lines, and one pass over a map giving what
// the single commands give when run one after another.
#include <gtest/gtest.h>

#include <filesystem>

#include "bench/map_generator.h"
#include "jobs/delete_elements.h"
#include "jobs/replace_type.h"
#include "jobs/type_rules.h"
#include "support/test_support.h"

namespace pomvelt {
namespace {

using test::CrLf;

std::vector<TypeRule> Rules(std::string_view text) {
  auto parsed = ParseTypeRules(text);
  EXPECT_TRUE(std::holds_alternative<std::vector<TypeRule>>(parsed)) << text;
  return std::holds_alternative<std::vector<TypeRule>>(parsed)
             ? std::get<std::vector<TypeRule>>(parsed)
             : std::vector<TypeRule>{};
}

// The single commands, one after another, in the order of the rules.
std::string OneAfterAnother(std::string map, const std::vector<TypeRule>& rules) {
  for (const TypeRule& r : rules) {
    map = test::RunTransform(map, [&](LineReader& in, LineWriter& out) {
      if (r.action == TypeRule::Action::kReplace) {
        ReplaceType(in, out, ReplaceTypeOptions{r.kind, r.code, r.newCode, true});
      } else {
        DeleteElements(in, out, DeleteElementsOptions{r.kind, r.code, true});
      }
    });
  }
  return map;
}

std::string OnePass(const std::string& map, const std::vector<TypeRule>& rules,
                    std::size_t block = LineReader::kDefaultBlock,
                    std::vector<long long>* counts = nullptr) {
  return test::RunTransform(
      map,
      [&](LineReader& in, LineWriter& out) {
        const TypeRuleCounts c = ApplyTypeRules(in, out, rules);
        if (counts != nullptr) *counts = c.perRule;
      },
      block);
}

// Three replacements and two deletions, a chain among them.
constexpr std::string_view kFiveRules =
    "; five rules\r\n"
    "[POLYGON]\r\n"
    "0x4b = 0x1   ; background to city\r\n"
    "0x1=0x3\r\n"
    "[POLYLINE]\r\n"
    "0x16=0x6\r\n"
    "[DELETE-POI]\r\n"
    "0x2f06\r\n"
    "\r\n"
    "[DELETE-POLYLINE]\r\n"
    "0x4b\r\n";

TEST(TypeRules, OnePassEqualsTheCommandsOneAfterAnotherOnRealAndGeneratedMaps) {
  const std::vector<TypeRule> rules = Rules(kFiveRules);
  ASSERT_EQ(rules.size(), 5u);
  std::vector<std::string> maps = {bench::GenerateMap(11, 60000)};
  const std::string any = test::DataMap("zkir_RussiaBkg.mp");
  if (!any.empty()) {
    for (const auto& e :
         std::filesystem::directory_iterator(std::filesystem::path(any).parent_path())) {
      if (e.path().extension() == ".mp") maps.push_back(test::ReadBytes(e.path().string()));
    }
  }
  // Real maps use other codes: rules with theirs as well.
  const std::vector<TypeRule> realRules = Rules(
      "[POLYGON]\n0x4e=0x4b\n[POLYLINE]\n0x1=0x2\n0x2=0x3\n[DELETE-POLYGON]\n0x3\n"
      "[DELETE-POI]\n0x700\n");
  for (const std::string& map : maps) {
    for (const auto* r : {&rules, &realRules}) {
      const std::string expected = OneAfterAnother(map, *r);
      EXPECT_EQ(OnePass(map, *r), expected);
      EXPECT_EQ(OnePass(map, *r, 7), expected) << "in blocks of 7 bytes";
    }
  }
}

TEST(TypeRules, EdgesOfTheSingleCommandsCarryOver) {
  const std::vector<TypeRule> rules = Rules(kFiveRules);
  const std::string cases[] = {
      CrLf({"[POLYGON]", "[POLYGON]", "Type=0x4b", "[END]"}),  // two headers in a row
      CrLf({"[POI]", "Type=0x2f06", "Data0=(1,2)", "[POLYGON]", "Type=0x4b", "[END]"}),
      CrLf({"[POLYLINE]", "Type=0x4b", " [END]", "[END-RGN80]", "x", "[END-RGN40]", "y"}),
      CrLf({"a", "[RGN80]"}),   // header on the last line
      "[POLYGON]\r\nType=0x1",  // no line end
      CrLf({"Label=[POLYGON]", "Type=0x4b", "[POI] [POLYLINE]", "Type=0x16", "[END]"}),
      CrLf({"[POI]", "Type=0x2f06"}),  // cut off by the end
  };
  for (const std::string& map : cases) {
    EXPECT_EQ(OnePass(map, rules), OneAfterAnother(map, rules)) << map;
    EXPECT_EQ(OnePass(map, rules, 1), OneAfterAnother(map, rules)) << map;
  }
}

TEST(TypeRules, CountsPerRule) {
  const std::vector<TypeRule> rules = Rules(kFiveRules);
  std::vector<long long> counts;
  OnePass(CrLf({"[POLYGON]", "Type=0x4b", "[END]", "[RGN80]", "Type=0x1", "[END]", "[POI]",
                "Type=0x2f06", "[END]", "[POLYLINE]", "Type=0x16", "[END]"}),
          rules, LineReader::kDefaultBlock, &counts);
  // The first polygon becomes 0x1 and then 0x3: both replacements count it.
  EXPECT_EQ(counts, (std::vector<long long>{1, 2, 1, 1, 0}));

  // The report names each rule as its file has it; the map changed exactly when a rule hit.
  const TransformResult result = ResultOf(TypeRuleCounts{counts, true}, rules);
  ASSERT_EQ(result.counts.size(), 5u);
  EXPECT_EQ(result.counts[0].key, "[POLYGON] 0x4b=0x1");
  EXPECT_EQ(result.counts[0].label, "заменено по правилу [POLYGON] 0x4b=0x1");
  EXPECT_EQ(result.counts[3].key, "[DELETE-POI] 0x2f06");
  EXPECT_EQ(result.counts[3].label, "удалено по правилу [DELETE-POI] 0x2f06");
  const struct {
    std::string map;
    bool unchanged;
  } maps[] = {
      {CrLf({"[POLYGON]", "Type=0x4e", "[END]", "[POI]", "Type=0x2f07", "[END]"}), true},
      {CrLf({"[POLYLINE]", "Type=0x4b", "[END]"}), false},  // deleted
      {CrLf({"[POLYLINE]", "Type=0x16", "[END]"}), false},  // replaced
      {"[POI]\r\n", false},                                 // gains an empty type line
  };
  for (const auto& m : maps) {
    const test::Counted r = test::RunCounted(m.map, [&](LineReader& in, LineWriter& out) {
      return ResultOf(ApplyTypeRules(in, out, rules), rules);
    });
    EXPECT_EQ(r.unchanged, m.unchanged) << m.map;
  }
}

TEST(TypeRules, ErrorsNameTheirLines) {
  struct Case {
    std::string_view text;
    std::vector<RulesError> errors;
  };
  const Case cases[] = {
      {"0x1=0x2\n", {{1, "правило вне секции"}}},
      {"[POINTS]\n0x1\n", {{1, "неизвестная секция [POINTS]"}, {2, "правило вне секции"}}},
      {"[POI]\n0x1\n", {{2, "ожидалось СТАРЫЙ=НОВЫЙ"}}},
      {"[POI]\n0x1=\n", {{2, "пустой код типа"}}},
      {"[POI]\n0x1=0x 2\n", {{2, "код типа \"0x 2\" содержит пробел, \"=\" или скобку"}}},
      {"[POI]\n0x1=0x1\n", {{2, "код 0x1 заменяется на себя же"}}},
      {"[POI]\n0x1=0x2\n0x1=0x3\n", {{3, "код 0x1 уже заменяется в строке 2"}}},
      {"[DELETE-POI]\n0x1=0x2\n", {{2, "ожидался один код типа"}}},
      {"[DELETE-POLYGON]\n0x4b\n; again\n0x4b\n", {{4, "код 0x4b уже удаляется в строке 2"}}},
      {"[POLYGON]\n0x1=0x2\n[DELETE-POLYGON]\n0x1\n",
       {{4, "код 0x1 и удаляется, и заменяется в строке 2"}}},
      {"[DELETE-POLYGON]\n0x2\n[POLYGON]\n0x1=0x2\n",
       {{4, "код 0x2 и получается заменой, и удаляется в строке 2"}}},
      {"; nothing\n", {{1, "в файле нет ни одного правила"}}},
  };
  for (const Case& c : cases) {
    auto parsed = ParseTypeRules(c.text);
    ASSERT_TRUE(std::holds_alternative<std::vector<RulesError>>(parsed)) << c.text;
    EXPECT_EQ(std::get<std::vector<RulesError>>(parsed), c.errors) << c.text;
  }
  // The same code for two kinds is two rules.
  EXPECT_EQ(Rules("[POI]\n0x1=0x2\n[POLYLINE]\n0x1=0x2\n[DELETE-POLYGON]\n0x1\n").size(), 3u);
  EXPECT_EQ(FormatRulesError("r.txt", {3, "x"}), "r.txt:3: x");
}

}  // namespace
}  // namespace pomvelt
