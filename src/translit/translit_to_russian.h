// Translit to Russian: labels in Latin transliteration become Russian Cyrillic (code page
// 1251), road-shield labels get the shield codes of the Russian maps, and the map header is
// made to declare code page 1251.
#pragma once

#include <optional>
#include <string>

#include "jobs/map_list_file.h"
#include "translit/label_file.h"
#include "translit/label_page.h"

namespace pomvelt {

// One label text: upper-cased, a Roman "-II" / "-I" ending turned into "-2" / "-1" (every such
// group of the text, not only the last), then kTranslitToRussianTable row by row. Characters
// no row matches (digits, punctuation, Q, W, X, Cyrillic) stay as they are.
std::string TranslitToRussian(std::string text, const LabelPage& page);
// The same for code page 1251.
std::string TranslitToRussian(std::string text);

// A whole label line holding "~[": only the road letters and the shield codes change; the
// letters stay Latin.
std::string ShieldLineToRussian(std::string line);

// The line rules, first match wins: a "Label=" line with "~[" gets the shield rewrite; another
// "Label=" line becomes "Label=" + the translated text after its last "=" (case-normalised
// with lowerCase); a "Preprocess=" / "PreProcess=" line becomes "Preprocess=Y",
// "CodePage=1251", "LblCoding=9"; a "CodePage=" line is dropped; every other line is copied.
TranslationCounts TranslitToRussianLines(LineReader& in, LineWriter& out, bool lowerCase,
                                         const NameLineSink& onNameLine = {});

// Converts the map at path into stem + "_rus.mp", or in place; names-list entries when
// namesList is not nullptr. An unreadable input is reported as
// "Не могу открыть файл " + path + " для чтения".
FileOutcome TranslitToRussianFile(const std::string& path, const TranslationOptions& options,
                                  CMapListFile* namesList, const BatchContext& batch);

}  // namespace pomvelt
