#include "translit/label_page.h"

#include <gtest/gtest.h>

#include "support/test_support.h"
#include "translit/case_normalise.h"
#include "translit/russian_to_translit.h"
#include "translit/translit_to_russian.h"

namespace pomvelt {
namespace {

using Translation = std::string (*)(std::string, const LabelPage&);

std::string Untouched(std::string text, const LabelPage&) {
  return text;
}

// A label of the page, written in the test as UTF-8, through a translation and back.
std::string Translated(int page, std::string_view utf8, Translation translate, bool lowerCase) {
  const LabelPage& labels = *LabelPage::For(CodePage(page));
  const PageCodec& codec = *PageCodec::For(CodePage(page));
  std::string text = translate(*codec.FromUtf8(utf8), labels);
  if (lowerCase) text = NormaliseCase(std::move(text), labels);
  return codec.ToUtf8(text).value_or("(not decodable)");
}

TEST(LabelPage, TranslationsInEachPage) {
  struct Case {
    int page;
    const char* in;
    Translation translate;
    bool lowerCase;
    const char* out;
  } cases[] = {
      {65001, "Спасс", RussianToTranslit, false, "SPASS"},
      {65001, "Щукино", RussianToTranslit, true, "Sh'ukino"},
      {65001, "hovgorod", TranslitToRussian, false, "НОВГОРОД"},
      {65001, "ZVEHIGOROD-II", TranslitToRussian, true, "Звенигород-2"},
      {65001, "УЛ. ЛЕНИНА 1-Я ХОВО-ИВАНОВКА", Untouched, true, "ул. Ленина 1-я Ново-Ивановка"},
      {65001, "КИЇВ ІВАНО-ФРАНКІВСЬК", Untouched, true, "Київ Івано-Франківськ"},
      {65001, "Łódź Ёлки ґ ў є", RussianToTranslit, false, "ŁÓDŹ ELKI Ґ Ў Є"},
      {65001, "漢字 ß", RussianToTranslit, false, "漢字 ß"},
      // A page without Cyrillic: letters are raised by its own pairs, no row applies.
      {1252, "El Playón", RussianToTranslit, false, "EL PLAYÓN"},
      {1252, "EL PLAYÓN", RussianToTranslit, true, "El Playón"},
      {1250, "ŁÓDŹ KALISKA", Untouched, true, "Łódź Kaliska"},
      {1253, "ΑΘΗΝΑ", Untouched, true, "Αθηνα"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Translated(c.page, c.in, c.translate, c.lowerCase), c.out) << c.page << " " << c.in;
  }
}

// Every label of the real maps in code page 1251 and in UTF-8 gives the same text.
TEST(LabelPage, Utf8LabelsTranslateAsTheir1251Spelling) {
  const PageCodec& cp1251 = *PageCodec::For(CodePage(1251));
  const LabelPage& utf8 = *LabelPage::For(CodePage(65001));
  EXPECT_EQ(utf8.translitToRussian().size(), LabelPage::Cp1251().translitToRussian().size());
  EXPECT_EQ(utf8.caseFixUp().size(), LabelPage::Cp1251().caseFixUp().size());
  int labels = 0;
  for (const char* name : {"zkir_RussiaBkg.mp", "mapsoft2_f11a.mp"}) {
    const std::string path = test::DataMap(name);
    if (path.empty()) GTEST_SKIP() << "no shared data";
    const std::string map = test::ReadBytes(path);
    for (std::size_t at = map.find("Label="); at != std::string::npos;
         at = map.find("Label=", at + 1)) {
      const std::size_t end = map.find_first_of("\r\n", at);
      const std::string label = map.substr(at + 6, end - at - 6);
      const std::string inUtf8 = *cp1251.ToUtf8(label);
      for (const Translation translate :
           std::initializer_list<Translation>{RussianToTranslit, TranslitToRussian, Untouched}) {
        for (const bool lower : {false, true}) {
          std::string expected = translate(label, LabelPage::Cp1251());
          if (lower) expected = NormaliseCase(std::move(expected));
          std::string got = translate(inUtf8, utf8);
          if (lower) got = NormaliseCase(std::move(got), utf8);
          ASSERT_EQ(got, *cp1251.ToUtf8(expected)) << name << ": " << inUtf8;
        }
      }
      ++labels;
    }
  }
  EXPECT_GT(labels, 300);
}

TEST(LabelPage, WhatDecodes) {
  EXPECT_TRUE(LabelPage::Cp1251().CanDecode("\xC0\xFF abc"));
  EXPECT_FALSE(LabelPage::Cp1251().CanDecode("a\x98"));
  EXPECT_TRUE(LabelPage::For(CodePage(65001))->CanDecode("Ёж"));
  EXPECT_FALSE(LabelPage::For(CodePage(65001))->CanDecode("\xD0"));
  EXPECT_TRUE(LabelPage::AsciiOnly().CanDecode("ABC ~[0x4]"));
  EXPECT_FALSE(LabelPage::AsciiOnly().CanDecode("\xC0"));
  EXPECT_EQ(LabelPage::For(CodePage(1255)), nullptr);
}

}  // namespace
}  // namespace pomvelt
