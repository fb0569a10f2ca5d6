#include "fuzz_support.h"
#include "jobs/search_replace.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pomvelt;
  const fuzz::Input in = fuzz::Split(data, size);
  const std::size_t bar = in.param.find('|');
  const std::string find = in.param.substr(0, bar);
  const std::string replace = bar == std::string::npos ? "" : in.param.substr(bar + 1);
  fuzz::Check(in.body, in.selector,
              [&](LineReader& r, LineWriter& w) { SearchReplace(r, w, find, replace); });
  // Replacing a text by itself copies the map.
  const std::string same = fuzz::Check(
      in.body, in.selector, [&](LineReader& r, LineWriter& w) { SearchReplace(r, w, find, find); });
  if (same != fuzz::Normalised(in.body)) std::abort();
  return 0;
}
