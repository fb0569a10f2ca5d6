#include "translit/russian_to_translit.h"

#include "jobs/file_rewrite.h"
#include "jobs/polish_format.h"
#include "text/cp1251.h"
#include "text/strings.h"
#include "translit/tables.h"

namespace pomvelt {

std::string RussianToTranslit(std::string text) {
  MakeUpper1251(text);
  ApplyReplacements(text, kRussianToTranslitTable);
  return text;
}

std::string ShieldLineToTranslit(std::string line) {
  ApplyReplacements(line, kShieldToTranslitTable);
  return line;
}

void RussianToTranslitLines(LineReader& in, LineWriter& out, bool lowerCase,
                            const NameLineSink& onNameLine) {
  std::string_view line;
  while (in.ReadLine(line)) {
    if (onNameLine && Contains(line, kNameKey)) onNameLine(line);
    if (Contains(line, kLabelKey)) {
      WriteTranslatedLabel(out, line, lowerCase, ShieldLineToTranslit, RussianToTranslit);
    } else if (!Contains(line, "CodePage=1251") && !Contains(line, "LblCoding=9")) {
      out.WriteLine(line);
    }
  }
}

std::optional<std::string> RussianToTranslitFile(const std::string& path,
                                                 const MainOptions& options,
                                                 CMapListFile* namesList, JobHost& host) {
  return ConvertLabelFile({path, "_translit.mp", kCannotOpenForReading}, options, namesList, host,
                          RussianToTranslitLines);
}

}  // namespace pomvelt
