#include <gtest/gtest.h>

#include <string>

#include "support/test_support.h"
#include "text/cp1251.h"
#include "translit/russian_to_translit.h"
#include "translit/translit_test_support.h"
#include "translit/translit_to_russian.h"

namespace pomvelt {
namespace {

using test::CrLf;

struct Case {
  std::string_view in, out;
};

TEST(RussianToTranslit, Letters) {
  const Case cases[] = {
      {"Новгород"_cp, "NOVGOROD"},
      {"новгород"_cp, "NOVGOROD"},
      {"Щукино"_cp, "SH'UKINO"},
      {"Жуковский"_cp, "GHUKOVSKIY"},
      {"Объезд"_cp, "OB'EZD"},
      {"Подъезд Юрьев"_cp, "POD'EZD YUR'EV"},
      {"Ёлки Эхо"_cp, "ELKI EHO"},
      {"Чайковский Цех Шатура Ясная Мыс"_cp, "CHAYKOVSKIY CEH SHATURA YASNAYA MYS"},
      {"Moscow 1-й"_cp, "MOSCOW 1-Y"},  // Latin only upper-cased
      {"Київ"_cp, "KIЇV"_cp},           // raised by the page's own pair; no row for "Ї"
      {"", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RussianToTranslit(std::string(c.in)), c.out) << Cp1251ToUtf8(c.in);
  }
}

TEST(ShieldLineToTranslit, CodesOnly) {
  const Case cases[] = {
      {"Label=~[0x01]М-4"_cp, "Label=~[0x2a]М-4"_cp},  // the Cyrillic letter stays
      {"Label=~[0x02]~[0x03]~[0x04]~[0x05]~[0x06]r", "Label=~[0x2b]~[0x2c]~[0x2d]~[0x2e]~[0x2f]r"},
      {"Label=~[0x07]Ж"_cp, "Label=~[0x07]Ж"_cp},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ShieldLineToTranslit(std::string(c.in)), c.out) << Cp1251ToUtf8(c.in);
  }
  // A shield the Russian maps lack does not come back.
  EXPECT_EQ(ShieldLineToTranslit(ShieldLineToRussian("Label=~[0x2d]e-95")), "Label=~[0x2c]E-95");
}

TEST(RussianToTranslitLines, LabelAndHeaderLines) {
  const std::string in =
      CrLf({"[IMG ID]", "CodePage=1251", "LblCoding=9", "CodePage=1252", "LblCoding=6",
            "Preprocess=Y", "[END-IMG ID]", "Label=Новгород"_cp, " Label=x=Щукино"_cp,
            "Label=~[0x01]М-4"_cp, "Label3=Новгород"_cp, "Label=", ""});
  TranslationCounts counts;
  EXPECT_EQ(test::RunLabelTransform(in, false, RussianToTranslitLines, &counts),
            CrLf({"[IMG ID]", "CodePage=1252", "LblCoding=6", "Preprocess=Y", "[END-IMG ID]",
                  "Label=NOVGOROD", "Label=SH'UKINO", "Label=~[0x2a]М-4"_cp, "Label3=Новгород"_cp,
                  "Label=", ""}));
  EXPECT_EQ(counts.labelsChanged, 3);
  EXPECT_EQ(counts.headerLinesRewritten, 2);
  EXPECT_EQ(test::RunLabelTransform(in, true, RussianToTranslitLines),
            CrLf({"[IMG ID]", "CodePage=1252", "LblCoding=6", "Preprocess=Y", "[END-IMG ID]",
                  "Label=Novgorod", "Label=Sh'ukino", "Label=~[0x2a]М-4"_cp, "Label3=Новгород"_cp,
                  "Label=", ""}));
}

}  // namespace
}  // namespace pomvelt
