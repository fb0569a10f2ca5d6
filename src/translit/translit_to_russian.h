// Translit to Russian: labels in Latin transliteration become Russian Cyrillic (code page
// 1251, or UTF-8 in a UTF-8 map), road-shield labels get the shield codes of the Russian maps,
// and the map header is made to declare the page of the result.
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
// "CodePage=1251" ("CodePage=65001" in a UTF-8 map), "LblCoding=9"; a "CodePage=" line is
// dropped; every other line is copied. Labels are read in the page the map declares; one that
// is no text of that page stays as it is, counted. A map in another page than 1251 or UTF-8
// is refused (refusedPage) at its first line that is not ASCII: its letters would be
// declared 1251.
TranslationCounts TranslitToRussianLines(LineReader& in, LineWriter& out, bool lowerCase,
                                         const NameLineSink& onNameLine = {});

// Converts the map at path into stem + "_rus.mp", or in place; names-list entries when
// namesList is not nullptr. An unreadable input is reported as
// "Не могу открыть файл " + path + " для чтения".
FileOutcome TranslitToRussianFile(const std::string& path, const TranslationOptions& options,
                                  CMapListFile* namesList, const BatchContext& batch);

}  // namespace pomvelt
