// Russian to translit: Cyrillic labels become upper-case Latin transliteration, road-shield
// labels get the shield codes of the Latin maps, and the header lines declaring code page 1251
// and label coding 9 are dropped (a map in another single-byte page keeps its label coding:
// its own letters stay in its labels).
#pragma once

#include <optional>
#include <string>

#include "jobs/map_list_file.h"
#include "translit/label_file.h"
#include "translit/label_page.h"

namespace pomvelt {

// One label text: upper-cased, then kRussianToTranslitTable row by row. Characters without a
// row (digits, punctuation, Latin letters, non-Russian letters) stay as they are.
std::string RussianToTranslit(std::string text, const LabelPage& page);
// The same for code page 1251.
std::string RussianToTranslit(std::string text);

// A whole label line holding "~[": the shield codes "~[0x01]".."~[0x06]" become
// "~[0x2a]".."~[0x2f]"; no letter changes.
std::string ShieldLineToTranslit(std::string line);

// The line rules, first match wins: a "Label=" line with "~[" gets its shield codes rewritten;
// another "Label=" line becomes "Label=" + the transliterated text after its last "="
// (case-normalised with lowerCase); a line holding "CodePage=1251" or, in a map of code page
// 1251 or UTF-8, "LblCoding=9" is dropped; every other line is copied. Labels are read and written
// in the page the map declares; one that is no text of that page stays as it is, counted.
TranslationCounts RussianToTranslitLines(LineReader& in, LineWriter& out, bool lowerCase,
                                         const NameLineSink& onNameLine = {});

// As TranslitToRussianFile, into stem + "_translit.mp"; an unreadable input is reported as
// "Не могу открыть файл для чтения".
FileOutcome RussianToTranslitFile(const std::string& path, const TranslationOptions& options,
                                  CMapListFile* namesList, const BatchContext& batch);

}  // namespace pomvelt
