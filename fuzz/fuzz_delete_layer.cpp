#include "fuzz_support.h"
#include "jobs/delete_layer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pomvelt;
  const fuzz::Input in = fuzz::Split(data, size);
  const LayerKeys keys = (in.selector & 1) != 0 ? DataOrOriginLevelKeys((in.selector >> 1) % 2)
                                                : DataLayerKeys(in.param);
  const KeptForm form = (in.selector & 4) != 0 ? KeptForm::kWhole : KeptForm::kReduced;
  const std::string out = fuzz::CheckCounted(
      in.body, in.selector,
      [&](LineReader& r, LineWriter& w) { return ResultOf(DeleteLayer(r, w, keys, form)); });
  // Kept whole, the output is some of the input's lines, each once.
  if (form == KeptForm::kWhole && out.size() > fuzz::Normalised(in.body).size()) std::abort();
  // A kept line can fill several slots of its element (label, city, direction, coordinates,
  // end) and is then written once for each, but never more often.
  if (out.size() > 5 * fuzz::Normalised(in.body).size()) std::abort();
  return 0;
}
