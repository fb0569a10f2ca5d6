#include "fuzz_support.h"
#include "jobs/delete_elements.h"
#include "support/type_rules_reference.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pomvelt;
  const fuzz::Input in = fuzz::Split(data, size);
  const DeleteElementsOptions options{static_cast<ElementKind>(in.selector % 3), in.param, true};
  const std::string out = fuzz::CheckCounted(
      in.body, in.selector,
      [&](LineReader& r, LineWriter& w) { return ResultOf(DeleteElements(r, w, options)); });
  // Deletion only ever drops lines (a header on the last line gains one empty line).
  if (out.size() > fuzz::Normalised(in.body).size() + 2) std::abort();
  const TypeRule rule{TypeRule::Action::kDelete, options.kind, options.typeCode, {}, 0};
  if (out != test::ApplyByLines(in.body, {rule}).output) std::abort();
  return 0;
}
