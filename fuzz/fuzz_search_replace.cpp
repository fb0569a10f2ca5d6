#include "fuzz_support.h"
#include "jobs/search_replace.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pomvelt;
  const fuzz::Input in = fuzz::Split(data, size);
  const std::size_t bar = in.param.find('|');
  const std::string find = in.param.substr(0, bar);
  const std::string replace = bar == std::string::npos ? "" : in.param.substr(bar + 1);
  const SearchReplaceOptions options{find, replace, true};
  fuzz::CheckCounted(in.body, in.selector, [&](LineReader& r, LineWriter& w) {
    return ResultOf(SearchReplace(r, w, options));
  });
  // Replacing a text by itself copies the map.
  const SearchReplaceOptions itself{find, find, true};
  const std::string same = fuzz::CheckCounted(
      in.body, in.selector,
      [&](LineReader& r, LineWriter& w) { return ResultOf(SearchReplace(r, w, itself)); });
  if (same != fuzz::Normalised(in.body)) std::abort();
  return 0;
}
