#include "fuzz_support.h"
#include "jobs/replace_type.h"
#include "support/type_rules_reference.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pomvelt;
  const fuzz::Input in = fuzz::Split(data, size);
  const ElementKind kind = static_cast<ElementKind>(in.selector % 2);
  // Replacing a code by itself must copy the map.
  const ReplaceTypeOptions same{kind, in.param, in.param, true};
  const std::string copy = fuzz::CheckCounted(
      in.body, in.selector,
      [&](LineReader& r, LineWriter& w) { return ResultOf(ReplaceType(r, w, same)); });
  std::string normal = fuzz::Normalised(in.body);
  if (copy != normal && copy != normal + "\r\n") std::abort();
  const ReplaceTypeOptions other{kind, in.param, "0xd", true};
  const std::string replaced = fuzz::CheckCounted(
      in.body, in.selector,
      [&](LineReader& r, LineWriter& w) { return ResultOf(ReplaceType(r, w, other)); });
  const TypeRule rule{TypeRule::Action::kReplace, kind, other.fromCode, other.toCode, 0};
  if (replaced != test::ApplyByLines(in.body, {rule}).output) std::abort();
  return 0;
}
