#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "text/cp1251.h"
#include "translit/case_normalise.h"
#include "translit/tables.h"
#include "translit/translit_test_support.h"
#include "translit/translit_to_russian.h"

namespace pomvelt {
namespace {

using test::CrLf;

struct Case {
  std::string_view in, out;
};

TEST(TranslitTables, EveryRowIsFilledAndSearchedOnce) {
  // A row left out of a fixed-size table would silently be an empty, inert pair.
  auto check = [](std::span<const ReplacementPair> table, const char* name) {
    std::set<std::string_view> seen;
    for (const ReplacementPair& row : table) {
      EXPECT_FALSE(row.from.empty()) << name;
      EXPECT_TRUE(seen.insert(row.from).second) << name << " repeats " << row.from;
    }
  };
  check(kTranslitToRussianTable, "translit to Russian");
  check(kRussianToTranslitTable, "Russian to translit");
  check(kShieldToTranslitTable, "shield codes");
  check(kShieldToRussianTable, "shield rewrite");
  check(kCaseFixUpTable, "fix-ups");
}

TEST(TranslitToRussian, Words) {
  const Case cases[] = {
      {"HOVGOROD", "НОВГОРОД"_cp},
      {"hovgorod", "НОВГОРОД"_cp},  // upper-cased first
      {"HOROD", "ХОРОД"_cp},        // "H" reads as "Н" only inside the listed words
      {"NOVYY URENGOY", "НОВЫЙ УРЕНГОЙ"_cp},
      {"SHCHUKINO", "ЩУКИНО"_cp},
      {"MOSCOW", "МОСКВА"_cp},
      {"KHABAROVSK", "ХАБАРОВСК"_cp},
      {"BOL'SHAYA", "БОЛЬШАЯ"_cp},
      {"VODOHRAHILISH'E", "ВОДОХРАНИЛИЩЕ"_cp},
      {"LESNY PEREULOK", "ЛЕСНЫЙ ПЕРЕУЛОК"_cp},
      {"SKLAD N1 N6", "СКЛАД №1 Н6"_cp},
      {"TSENTR", "ЦЕНТР"_cp},
      {"QWX-12, (7)", "QWX-12, (7)"},  // no row for Q, W, X, digits or punctuation
      {"Новгород"_cp, "НОВГОРОД"_cp},  // Cyrillic only upper-cased
      {"", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TranslitToRussian(std::string(c.in)), c.out) << c.in;
  }
}

TEST(TranslitToRussian, TableOrderDecides) {
  // Each of these comes out differently when a shorter group or a single letter is applied
  // before the longer row that holds it.
  const Case cases[] = {
      {"SHCH SHC SH' SH CH", "Щ Щ Щ Ш Ч"_cp},
      {"ZAH' ZAH", "ЗАНЬ ЗАХ"_cp},                             // "H'" before "'" and "H"
      {"KOLTSO TSO", "КОЛЬЦО ЦО"_cp},                          // the word before "TSO"
      {"KHARKOV KH", "ХАРЬКОВ Х"_cp},                          // the word before "KH"
      {"YAYA YAY", "ЯЯ ЯЙ"_cp},                                // "YAYA" before "YAY" before "YA"
      {"YEGORYEVSKOYE YEGORYEVO", "ЕГОРЬЕВСКОЕ ЕГОРЫЕВО"_cp},  // the word before its stem
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TranslitToRussian(std::string(c.in)), c.out) << c.in;
  }
}

TEST(TranslitToRussian, RomanNumeralEnding) {
  const Case cases[] = {
      {"ZVEHIGOROD-II", "ЗВЕНИГОРОД-2"_cp},
      {"A-IVANOVKA-I", "А-1ВАНОВКА-1"_cp},   // every "-I", not only the last
      {"A-IVANOVKA-II", "А-ИВАНОВКА-2"_cp},  // "-II" rule: other "-I" groups stay letters
      {"ZVEHIGOROD-III", "ЗВЕНИГОРОД-ИИИ"_cp},
      {"ZVEHIGOROD-2", "ЗВЕНИГОРОД-2"_cp},
      {"zvehigorod-ii", "ЗВЕНИГОРОД-2"_cp},  // tested after upper-casing
      {"I", "И"_cp},
      {"-I", "-1"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TranslitToRussian(std::string(c.in)), c.out) << c.in;
  }
}

TEST(ShieldLineToRussian, Steps) {
  const Case cases[] = {
      {"Label=~[0x2e]r-22", "Label=~[0x03]P-22"},
      {"Label=~[0x2e]R-22", "Label=~[0x03]P-22"},
      {"Label=~[0x2e]a-107", "Label=~[0x03]A-107"},
      {"Label=~[0x2e]12", "Label=~[0x05]12"},
      {"Label=~[0x2e]12 Anapa", "Label=~[0x03]12 Anapa"},  // any capital A of the line counts
      {"Label=~[0x2e]12 road", "Label=~[0x03]12 Poad"},    // P made by step 1 counts
      {"Label=~[0x2a]m-4 Don", "Label=~[0x01]M-4 Don"},
      {"Label=~[0x2b]e-30", "Label=~[0x02]E-30"},
      {"Label=~[0x2c]7", "Label=~[0x03]7"},
      {"Label=~[0x2d]e-95", "Label=~[0x03]E-95"},  // not 0x04
      {"Label=~[0x2f]5", "Label=~[0x06]5"},
      {"Label=~[0x2E]12 ~[0x2A]", "Label=~[0x2E]12 ~[0x2A]"},  // capital hex digits stay
      {"Label=~[0x1d]ABC", "Label=~[0x1d]ABC"},                // other codes: letters stay Latin
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ShieldLineToRussian(std::string(c.in)), c.out) << c.in;
  }
}

TEST(TranslitToRussianLines, LabelLines) {
  const std::string in =
      CrLf({"Label=HOVGOROD", "  Label=ELISTA", "Label=A=B", "Label=", "Label2=ELISTA",
            "Label=~[0x2a]m-4 Don", "Label=~[0x1d]ABC", ""});
  TranslationCounts counts;
  EXPECT_EQ(test::RunLabelTransform(in, false, TranslitToRussianLines, &counts),
            CrLf({"Label=НОВГОРОД"_cp, "Label=ЭЛИСТА"_cp, "Label=Б"_cp, "Label=", "Label2=ELISTA",
                  "Label=~[0x01]M-4 Don", "Label=~[0x1d]ABC", ""}));
  // An empty label and a shield without a code to turn are written as they were.
  EXPECT_EQ(counts.labelsChanged, 4);
  EXPECT_EQ(counts.headerLinesRewritten, 0);
  // Case normalisation touches label texts only, never a shield line.
  EXPECT_EQ(test::RunLabelTransform(in, true, TranslitToRussianLines),
            CrLf({"Label=Новгород"_cp, "Label=Элиста"_cp, "Label=Б"_cp, "Label=", "Label2=ELISTA",
                  "Label=~[0x01]M-4 Don", "Label=~[0x1d]ABC", ""}));
}

TEST(TranslitToRussianLines, HeaderLines) {
  struct HeaderCase {
    const char* what;
    std::vector<std::string_view> in, out;
    long long headerLines;
  } cases[] = {
      {"Preprocess gives the three lines, CodePage goes, LblCoding stays",
       {"[IMG ID]", "CodePage=1252", "LblCoding=9", "Name=X", "Preprocess=F", "[END-IMG ID]"},
       {"[IMG ID]", "LblCoding=9", "Name=X", "Preprocess=Y", "CodePage=1251", "LblCoding=9",
        "[END-IMG ID]"},
       2},
      {"the other spelling", {"PreProcess=N"}, {"Preprocess=Y", "CodePage=1251", "LblCoding=9"}, 1},
      {"the header as it ends up still gets the three lines",
       {"Preprocess=Y", "CodePage=1251", "LblCoding=9"},
       {"Preprocess=Y", "CodePage=1251", "LblCoding=9", "LblCoding=9"},
       2},
      {"no Preprocess line: nothing added",
       {"[IMG ID]", "CodePage=1251", "[END-IMG ID]"},
       {"[IMG ID]", "[END-IMG ID]"},
       1},
      {"other keys copied",
       {"Codepage=1251", "preprocess=F", "Type=0x1", ""},
       {"Codepage=1251", "preprocess=F", "Type=0x1", ""},
       0},
  };
  for (const HeaderCase& c : cases) {
    TranslationCounts counts;
    EXPECT_EQ(test::RunLabelTransform(CrLf(c.in), false, TranslitToRussianLines, &counts),
              CrLf(c.out))
        << c.what;
    EXPECT_EQ(counts.headerLinesRewritten, c.headerLines) << c.what;
  }
  // Lines ended by LF alone come out with CR LF; a last line without an end gets one.
  EXPECT_EQ(test::RunLabelTransform("a\nLabel=I\nb", false, TranslitToRussianLines),
            CrLf({"a", "Label=И"_cp, "b"}));
}

TEST(TranslitToRussianLines, EveryNameLineIsHandedOver) {
  std::vector<std::string> names;
  test::RunTransform(CrLf({"Name=Big  River", "LocalName=x", "Label=Name=HOV", "Type=0x1"}),
                     [&](LineReader& in, LineWriter& out) {
                       TranslitToRussianLines(in, out, false, [&](std::string_view line) {
                         names.emplace_back(line);
                       });
                     });
  EXPECT_EQ(names, (std::vector<std::string>{"Name=Big  River", "LocalName=x", "Label=Name=HOV"}));
}

}  // namespace
}  // namespace pomvelt

namespace pomvelt {
namespace {

// A map's labels are translated once per text: repeated texts, and more different texts than
// the memo keeps, come out as each text translated on its own, and every changed line counts.
TEST(TranslitToRussianLines, RepeatedAndManyLabelsAsEachOnItsOwn) {
  const std::string words[] = {"MOSCOW", "HOVGOROD", "ULITSA LENINA", "TVER'",
                               std::string("Москва"_cp)};
  std::vector<std::string> in = {"[IMG ID]", "[END-IMG ID]"};
  std::vector<std::string> rus = in, lower = in;
  const auto crLf = [](const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) bytes += line + "\r\n";
    return bytes;
  };
  for (int i = 0; i < 40000; ++i) {
    // Past about twenty thousand different texts the memo is full.
    const std::string text = i % 3 == 0 ? words[i % 5] + " " + std::to_string(i) : words[i % 5];
    in.push_back("Label=" + text);
    rus.push_back("Label=" + TranslitToRussian(text));
    lower.push_back("Label=" + NormaliseCase(TranslitToRussian(text)));
  }
  int changed = 0;
  for (std::size_t i = 0; i < in.size(); ++i) changed += in[i] != rus[i];
  TranslationCounts counts;
  EXPECT_EQ(test::RunLabelTransform(crLf(in), false, TranslitToRussianLines, &counts), crLf(rus));
  EXPECT_EQ(counts.labelsChanged, changed);
  EXPECT_EQ(test::RunLabelTransform(crLf(in), true, TranslitToRussianLines), crLf(lower));
}

}  // namespace
}  // namespace pomvelt
