#include "jobs/map_texts.h"

#include <algorithm>

#include "text/code_page.h"
#include "text/page_codec.h"
#include "text/strings.h"

namespace pomvelt {

std::optional<std::string> PutTextsInMapPage(LineReader& in, const std::string& path,
                                             std::initializer_list<std::string*> texts) {
  const bool ascii =
      std::all_of(texts.begin(), texts.end(), [](const std::string* t) { return IsAscii(*t); });
  if (ascii) return std::nullopt;
  const CodePage page = PeekMapHeader(in).page;
  const PageCodec* codec = PageCodec::For(page);
  if (codec == nullptr) {
    return "Файл " + path + " пропущен: его кодовая страница " + page.Name() + " не поддерживается";
  }
  for (std::string* text : texts) {
    char32_t missing = PageCodec::kInvalid;
    std::optional<std::string> converted = codec->FromUtf8(*text, &missing);
    if (!converted) {
      return "Файл " + path + " пропущен: символа " + DescribeCharacter(missing) +
             " нет в его кодовой странице " + page.Name();
    }
    *text = std::move(*converted);
  }
  return std::nullopt;
}

}  // namespace pomvelt
