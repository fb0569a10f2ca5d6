#include "translit/case_normalise.h"

#include "text/strings.h"

namespace pomvelt {

bool IsWordStartBefore(char previous) {
  switch (previous) {
    case ' ':
    case '.':
    case '-':
    case '"':
    case '(':
      return true;
    default:
      return false;
  }
}

std::string NormaliseCase(std::string text, const LabelPage& page) {
  page.MakeLower(text);
  return CapitaliseWords(std::move(text), page);
}

std::string CapitaliseWords(std::string text, const LabelPage& page) {
  // Every word-start character is ASCII, which no byte of a longer UTF-8 character is: the
  // byte before a character says whether it starts a word, in any page. And none has a case,
  // so testing the raised character is the same as testing the original one.
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (IsWordStartBefore(i == 0 ? ' ' : text[i - 1])) page.RaiseAt(text, i);
  }
  ApplyReplacements(text, page.caseFixUp());
  return text;
}

}  // namespace pomvelt
