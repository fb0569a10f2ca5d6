#include "fuzz_support.h"
#include "jobs/replace_type.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pomvelt;
  const fuzz::Input in = fuzz::Split(data, size);
  const ElementKind kind = ElementKindFromIndex(in.selector % 2);
  // Replacing a code by itself must copy the map.
  const std::string same = fuzz::Check(in.body, in.selector, [&](LineReader& r, LineWriter& w) {
    ReplaceType(r, w, kind, in.param, in.param);
  });
  std::string normal = fuzz::Normalised(in.body);
  if (same != normal && same != normal + "\r\n") std::abort();
  fuzz::Check(in.body, in.selector,
              [&](LineReader& r, LineWriter& w) { ReplaceType(r, w, kind, in.param, "0xd"); });
  return 0;
}
