#include "fuzz_support.h"
#include "translit/case_normalise.h"
#include "translit/russian_to_translit.h"
#include "translit/translit_to_russian.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pomvelt;
  const fuzz::Input in = fuzz::Split(data, size);
  const bool lowerCase = (in.selector & 2) != 0;
  if ((in.selector & 1) != 0) {
    fuzz::CheckCounted(in.body, in.selector, [&](LineReader& r, LineWriter& w) {
      return ResultOf(TranslitToRussianLines(r, w, lowerCase));
    });
  } else {
    fuzz::CheckCounted(in.body, in.selector, [&](LineReader& r, LineWriter& w) {
      return ResultOf(RussianToTranslitLines(r, w, lowerCase));
    });
  }
  // The label functions on their own, with the text as one label.
  const std::string text(in.body.substr(0, 4096));
  TranslitToRussian(text);
  RussianToTranslit(text);
  ShieldLineToRussian("Label=~[" + text);
  ShieldLineToTranslit("Label=~[" + text);
  NormaliseCase(text);
  CapitaliseWords(text);
  return 0;
}
