#include <gtest/gtest.h>

#include <string>

#include "text/cp1251.h"
#include "text/strings.h"
#include "translit/case_normalise.h"
#include "translit/tables.h"

namespace pomvelt {
namespace {

struct Case {
  std::string_view in, out;
};

void ExpectNormalised(const Case& c) {
  EXPECT_EQ(NormaliseCase(std::string(c.in)), c.out) << Cp1251ToUtf8(c.in);
}

TEST(NormaliseCase, WordStartsAreRaised) {
  const Case cases[] = {
      {"НОВГОРОД"_cp, "Новгород"_cp},
      {"NOVGOROD", "Novgorod"},
      {"новгород"_cp, "Новгород"_cp},
      {"САНКТ-ПЕТЕРБУРГ"_cp, "Санкт-Петербург"_cp},
      {"РОСТОВ-НА-ДОНУ"_cp, "Ростов-На-Дону"_cp},
      {"(БЫВШ.)"_cp, "(Бывш.)"_cp},
      {"\"ЗАРЯ\" СТАН.ЁЛКИ"_cp, "\"Заря\" Стан.Ёлки"_cp},
      // Every Cyrillic letter of the page has its pair, not only the Russian ones.
      {"КИЇВ ІВАНО-ФРАНКІВСЬК"_cp, "Київ Івано-Франківськ"_cp},
      {"ЄНАКІЄВЕ ЎЗДА ҐРУНТ ЂУРЂЕВАЦ ЉУБЉАНА ЅВ"_cp, "Єнакієве Ўзда Ґрунт Ђурђевац Љубљана Ѕв"_cp},
      // Not word starts: apostrophe, slash, comma, digit, tab.
      {"SH'UKINO", "Sh'ukino"},
      {"A/B,C1D\tE", "A/b,c1d\te"},
      {"", ""},
  };
  for (const Case& c : cases) ExpectNormalised(c);
}

TEST(NormaliseCase, FixUpsRestoreAbbreviationsAndOrdinals) {
  const Case cases[] = {
      {"УЛ. ЛЕНИНА"_cp, "ул. Ленина"_cp},
      {"УЛ.ЛЕНИНА"_cp, "ул.Ленина"_cp},
      {"Р. ВОЛГА"_cp, "р. Волга"_cp},
      {"ОЗ. СЕЛИГЕР"_cp, "оз. Селигер"_cp},
      {"О. КОТЛИН"_cp, "о. Котлин"_cp},
      {"П-ОВ ЯМАЛ"_cp, "п-ов Ямал"_cp},
      {"Б-Р ГОГОЛЯ"_cp, "б-р Гоголя"_cp},
      {"ПОСТ ГАИ"_cp, "Пост ГАИ"_cp},
      {"1-Я ПАРКОВАЯ"_cp, "1-я Парковая"_cp},
      {"10-Я ЛИНИЯ"_cp, "10-я Линия"_cp},
      {"3-Й ПРОЕЗД"_cp, "3-й Проезд"_cp},
      {"3-Е ОЗЕРО"_cp, "3-е Озеро"_cp},
      // The list covers "-й" after 0 to 3 and "-е" after 1 to 3 only.
      {"4-Й ПРОЕЗД"_cp, "4-Й Проезд"_cp},
      {"5-Е"_cp, "5-Е"_cp},
      {"25 КМ"_cp, "25 км"_cp},
      {"ХОВО-ИВАНОВКА"_cp, "Ново-Ивановка"_cp},
      // Only a raised first letter matches a fix-up.
      {"ЧЕХОВО"_cp, "Чехово"_cp},
      {"ГАИТИ"_cp, "ГАИти"_cp},
  };
  for (const Case& c : cases) ExpectNormalised(c);
}

TEST(NormaliseCase, FixUpsApplyInTableOrder) {
  // "Р." is fixed before "Б-Р" is looked for, so "Б-Р." keeps its capital Б.
  ExpectNormalised({"Б-Р. ГОГОЛЯ"_cp, "Б-р. Гоголя"_cp});
  ExpectNormalised({"Р.О. ОЗ.ОЗ."_cp, "р.о. оз.оз."_cp});
  // Fix-ups see the raised text, not the input: an input already in mixed case is lowered first.
  ExpectNormalised({"уЛ. пОсТ гАи"_cp, "ул. Пост ГАИ"_cp});
  EXPECT_EQ(kCaseFixUpTable.size(), 26u);
}

TEST(CapitaliseWords, TakesLowerCaseTextAsIs) {
  // Capitals inside a word are not lowered here; that is NormaliseCase's first step.
  EXPECT_EQ(CapitaliseWords(std::string("мОСКВА ул."_cp)), "МОСКВА ул."_cp);
}

}  // namespace
}  // namespace pomvelt
