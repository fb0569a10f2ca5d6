// Case normalisation of a translated label: capitals become small letters except at the start
// of a word, and a few Russian abbreviations and ordinal endings get their usual case back.
// Works on the text of any code page with that page's letter case (code page 1251 unless told),
// Latin and Cyrillic alike.
#pragma once

#include <string>

#include "translit/label_page.h"

namespace pomvelt {

// A word starts at the first character and after a blank, ".", "-", '"' or "(" (not after an
// apostrophe, slash, comma, digit or tab).
bool IsWordStartBefore(char previous);

// Lower-cases the whole text, then CapitaliseWords.
std::string NormaliseCase(std::string text, const LabelPage& page = LabelPage::Cp1251());

// Raises the first character of every word of a lower-cased text and applies the fix-up table
// (kCaseFixUpTable), which only matches a word whose first letter was raised.
std::string CapitaliseWords(std::string text, const LabelPage& page = LabelPage::Cp1251());

}  // namespace pomvelt
