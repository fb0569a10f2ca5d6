#include <variant>

#include "fuzz_support.h"
#include "jobs/delete_elements.h"
#include "jobs/replace_type.h"
#include "jobs/type_rules.h"
#include "support/type_rules_reference.h"

// The parameter is a rules file with "|" for its line ends; a file that parses must change the
// map in one pass exactly as the single commands run one after another, and as the plain
// line-by-line reference does.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pomvelt;
  const fuzz::Input in = fuzz::Split(data, size);
  std::string text = in.param;
  for (char& c : text) {
    if (c == '|') c = '\n';
  }
  const auto parsed = ParseTypeRules(text);
  const auto* rules = std::get_if<std::vector<TypeRule>>(&parsed);
  if (rules == nullptr) return 0;
  const std::string once = fuzz::CheckCounted(
      in.body, in.selector,
      [&](LineReader& r, LineWriter& w) { return ResultOf(ApplyTypeRules(r, w, *rules), *rules); });
  std::string map(in.body);
  for (const TypeRule& rule : *rules) {
    map = fuzz::RunWithBlock(map, 1 << 16, [&](LineReader& r, LineWriter& w) {
      if (rule.action == TypeRule::Action::kReplace) {
        ReplaceType(r, w, ReplaceTypeOptions{rule.kind, rule.code, rule.newCode, true});
      } else {
        DeleteElements(r, w, DeleteElementsOptions{rule.kind, rule.code, true});
      }
    });
  }
  if (once != map) std::abort();
  if (once != test::ApplyByLines(in.body, *rules).output) std::abort();
  return 0;
}
