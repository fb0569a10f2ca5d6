#include "translit/case_normalise.h"

#include "text/cp1251.h"
#include "text/strings.h"
#include "translit/tables.h"

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

std::string NormaliseCase(std::string text) {
  MakeLower1251(text);
  return CapitaliseWords(std::move(text));
}

std::string CapitaliseWords(std::string text) {
  // No word-start character has a case, so testing the raised character is the same as
  // testing the original one.
  char previous = ' ';
  for (char& c : text) {
    if (IsWordStartBefore(previous)) c = ToUpper1251(c);
    previous = c;
  }
  ApplyReplacements(text, kCaseFixUpTable);
  return text;
}

}  // namespace pomvelt
