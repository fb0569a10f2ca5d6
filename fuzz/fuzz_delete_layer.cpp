#include "fuzz_support.h"
#include "jobs/delete_layer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pomvelt;
  const fuzz::Input in = fuzz::Split(data, size);
  const LayerKeys keys = (in.selector & 1) != 0 ? DataOrOriginLevelKeys((in.selector >> 1) % 2)
                                                : DataLayerKeys(in.param);
  const std::string out = fuzz::Check(
      in.body, in.selector, [&](LineReader& r, LineWriter& w) { DeleteLayer(r, w, keys); });
  if (out.size() > fuzz::Normalised(in.body).size()) std::abort();  // never adds a line
  return 0;
}
