#include "translit/russian_to_translit.h"

#include "jobs/file_rewrite.h"
#include "jobs/polish_format.h"
#include "text/code_page.h"
#include "text/cp1251.h"
#include "text/strings.h"
#include "translit/tables.h"

namespace pomvelt {

std::string RussianToTranslit(std::string text, const LabelPage& page) {
  page.MakeUpper(text);
  ApplyReplacements(text, page.russianToTranslit());
  return text;
}

std::string RussianToTranslit(std::string text) {
  return RussianToTranslit(std::move(text), LabelPage::Cp1251());
}

std::string ShieldLineToTranslit(std::string line) {
  ApplyReplacements(line, kShieldToTranslitTable);
  return line;
}

TranslationCounts RussianToTranslitLines(LineReader& in, LineWriter& out, bool lowerCase,
                                         const NameLineSink& onNameLine) {
  TranslationCounts counts;
  const CodePage declared = PeekMapHeader(in).page;
  const LabelPage& page = LabelPage::OfMap(declared);
  // Cyrillic becomes ASCII, which needs no 8-bit label coding; the letters of other pages
  // stay as they are, and need it still.
  const bool dropsCoding = declared == CodePage() || declared.IsUtf8();
  LabelMemo memo;
  std::string_view line;
  while (in.ReadLine(line)) {
    if (onNameLine && Contains(line, kNameKey)) onNameLine(line);
    if (Contains(line, kLabelKey)) {
      WriteTranslatedLabel(out, line, lowerCase, page, ShieldLineToTranslit, RussianToTranslit,
                           counts, memo);
    } else if (!Contains(line, "CodePage=1251") &&
               !(dropsCoding && Contains(line, "LblCoding=9"))) {
      out.WriteLine(line);
    } else {
      ++counts.headerLinesRewritten;
    }
  }
  return counts;
}

FileOutcome RussianToTranslitFile(const std::string& path, const TranslationOptions& options,
                                  CMapListFile* namesList, const BatchContext& batch) {
  return ConvertLabelFile({path, "_translit.mp", {}}, options, namesList, batch,
                          RussianToTranslitLines);
}

}  // namespace pomvelt
