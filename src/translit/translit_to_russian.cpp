#include "translit/translit_to_russian.h"

#include "jobs/file_rewrite.h"
#include "jobs/polish_format.h"
#include "text/code_page.h"
#include "text/cp1251.h"
#include "text/strings.h"
#include "translit/tables.h"

namespace pomvelt {

std::string TranslitToRussian(std::string text, const LabelPage& page) {
  page.MakeUpper(text);
  // Roman numbers at the end of a name ("ZVEHIGOROD-II") would otherwise become letters.
  if (text.ends_with("-II")) {
    ReplaceAll(text, "-II", "-2");
  } else if (text.ends_with("-I")) {
    ReplaceAll(text, "-I", "-1");
  }
  ApplyReplacements(text, page.translitToRussian());
  return text;
}

std::string TranslitToRussian(std::string text) {
  return TranslitToRussian(std::move(text), LabelPage::Cp1251());
}

std::string ShieldLineToRussian(std::string line) {
  const bool hasGeneralShield = Contains(line, "~[0x2e]");
  ApplyReplacements(line, kShieldToRussianTable);
  // The general shield is chosen by the road's letter: roads lettered Р or А (spelt with the
  // Latin look-alikes P and A) share one shield, a bare number gets another.
  if (hasGeneralShield) {
    const bool lettered = Contains(line, "P") || Contains(line, "A");
    ReplaceAll(line, "~[0x2e]", lettered ? "~[0x03]" : "~[0x05]");
  }
  ReplaceAll(line, "~[0x2f]", "~[0x06]");
  return line;
}

TranslationCounts TranslitToRussianLines(LineReader& in, LineWriter& out, bool lowerCase,
                                         const NameLineSink& onNameLine) {
  TranslationCounts counts;
  // Russian letters can be declared as code page 1251 or kept in UTF-8, whose map keeps its
  // own "CodePage=" line; a map in another page is translated only while its texts are ASCII,
  // the same in either, and its page line, in any letter case, goes.
  const CodePage declared = PeekMapHeader(in).page;
  const bool utf8 = declared.IsUtf8() && LabelPage::For(declared) != nullptr;
  const bool asciiOnly = !utf8 && declared != CodePage();
  const LabelPage& page = utf8 ? *LabelPage::For(declared) : LabelPage::Cp1251();
  LabelMemo memo;
  std::string_view line;
  while (in.ReadLine(line)) {
    if (asciiOnly && !IsAscii(line)) {
      counts.refusedPage = declared;
      return counts;
    }
    if (onNameLine && Contains(line, kNameKey)) onNameLine(line);
    if (Contains(line, kLabelKey)) {
      WriteTranslatedLabel(out, line, lowerCase, page, ShieldLineToRussian, TranslitToRussian,
                           counts, memo);
    } else if (Contains(line, "Preprocess=") || Contains(line, "PreProcess=")) {
      out.WriteLine("Preprocess=Y");
      if (!utf8) out.WriteLine("CodePage=1251");
      out.WriteLine("LblCoding=9");
      ++counts.headerLinesRewritten;
    } else if (utf8 || (asciiOnly ? !HeaderValue(line, "codepage").has_value()
                                  : !Contains(line, "CodePage="))) {
      out.WriteLine(line);
    } else {
      ++counts.headerLinesRewritten;
    }
  }
  return counts;
}

FileOutcome TranslitToRussianFile(const std::string& path, const TranslationOptions& options,
                                  CMapListFile* namesList, const BatchContext& batch) {
  return ConvertLabelFile({path, "_rus.mp", CannotOpenNamedForReading(path)}, options, namesList,
                          batch, TranslitToRussianLines);
}

}  // namespace pomvelt
