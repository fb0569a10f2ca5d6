#include "fuzz_support.h"
#include "jobs/delete_elements.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pomvelt;
  const fuzz::Input in = fuzz::Split(data, size);
  const ElementKind kind = ElementKindFromIndex(in.selector % 3);
  const std::string out = fuzz::Check(in.body, in.selector, [&](LineReader& r, LineWriter& w) {
    DeleteElements(r, w, kind, in.param);
  });
  // Deletion only ever drops lines (a header on the last line gains one empty line).
  if (out.size() > fuzz::Normalised(in.body).size() + 2) std::abort();
  return 0;
}
