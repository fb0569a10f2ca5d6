// Letter case by code point, for every letter of the code pages the program reads: Latin
// (ASCII, Latin-1 and the Latin Extended-A letters of the Central European, Turkish and Baltic
// pages), Greek and Cyrillic. The pairs are those of the platforms' own case mapping of these
// pages; a character without a pair (digits, signs, ß, the dotted and dotless Turkish i, final
// sigma when lowered) maps to itself. Upper and lower case of a pair take the same number of
// bytes in UTF-8, so a text can be re-cased where it stands.
#pragma once

namespace pomvelt {

constexpr char32_t UpperOf(char32_t c) {
  if (c < 0x80) return c >= 'a' && c <= 'z' ? c - 0x20 : c;
  if (c >= 0xE0 && c <= 0xFE) return c == 0xF7 ? c : c - 0x20;  // à..þ, not ÷
  if (c == 0xFF) return 0x178;                                  // ÿ
  // Latin Extended-A alternates capital and small letter, the capital first in the runs
  // from Ā, from Ŋ, and second in the runs from Ĺ and from Ź.
  if ((c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) {
    return c & ~char32_t{1};
  }
  if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return c % 2 == 0 ? c - 1 : c;
  if (c == 0x3AC) return 0x386;                   // ά
  if (c >= 0x3AD && c <= 0x3AF) return c - 0x25;  // έ ή ί
  if (c == 0x3CC) return 0x38C;                   // ό
  if (c == 0x3CD || c == 0x3CE) return c - 0x3F;  // ύ ώ
  if (c == 0x3C2) return 0x3A3;                   // ς
  if (c >= 0x3B1 && c <= 0x3CB) return c - 0x20;  // α..ϋ
  if (c >= 0x430 && c <= 0x44F) return c - 0x20;  // а..я
  if (c >= 0x450 && c <= 0x45F) return c - 0x50;  // ѐ..џ
  if (c == 0x491) return 0x490;                   // ґ
  return c;
}

constexpr char32_t LowerOf(char32_t c) {
  if (c < 0x80) return c >= 'A' && c <= 'Z' ? c + 0x20 : c;
  if (c >= 0xC0 && c <= 0xDE) return c == 0xD7 ? c : c + 0x20;  // À..Þ, not ×
  if (c == 0x178) return 0xFF;                                  // Ÿ
  if ((c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) {
    return c | 1;
  }
  if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return c % 2 == 1 ? c + 1 : c;
  if (c == 0x386) return 0x3AC;
  if (c >= 0x388 && c <= 0x38A) return c + 0x25;
  if (c == 0x38C) return 0x3CC;
  if (c == 0x38E || c == 0x38F) return c + 0x3F;
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 0x20;
  if (c >= 0x400 && c <= 0x40F) return c + 0x50;
  if (c >= 0x410 && c <= 0x42F) return c + 0x20;
  if (c == 0x490) return 0x491;
  return c;
}

}  // namespace pomvelt
