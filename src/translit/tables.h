// The ordered replacement tables of the label translations and of case normalisation. Each
// table is applied row after row, every row replacing all its occurrences, so the order of the
// rows is part of the result: whole words and stems stand before the letter groups they hold,
// longer groups before their prefixes, single letters last. The Cyrillic texts are code page
// 1251 bytes, fixed at compile time.
#pragma once

#include <array>

#include "text/cp1251.h"
#include "text/strings.h"

namespace pomvelt {

// Latin transliteration (upper case) to Russian. Many place names are spelt with "H" for "Н"
// and "C" for "С" in the maps this table was made for; only the listed words read them so.
// clang-format off
inline constexpr std::array<ReplacementPair, 151> kTranslitToRussianTable = {{
    // 1-10
    {"ENGEL'S", "ЭНГЕЛЬС"_cp}, {"ELISTA", "ЭЛИСТА"_cp}, {"AIRPORT", "АЭРОПОРТ"_cp},
    {"DAVLEKAHOVO", "ДАВЛЕКАНОВО"_cp}, {"TAGAHROG", "ТАГАНРОГ"_cp},
    {"HOVOSHAHTIHSK", "НОВОШАХТИНСК"_cp}, {"KOTEL'HIKOVO", "КОТЕЛЬНИКОВО"_cp},
    {"HOVOAZOVSK", "НОВОАЗОВСК"_cp}, {"KROPOTKIH", "КРОПОТКИН"_cp}, {"CLAVYANSK", "СЛАВЯНСК"_cp},
    // 11-20
    {"IZOBIL'HYY", "ИЗОБИЛЬНЫЙ"_cp}, {"ZERHOGRAD", "ЗЕРНОГРАД"_cp}, {"MARTYHOVKA", "МАРТЫНОВКА"_cp},
    {"KRASAVIHO", "КРАСАВИНО"_cp}, {"DOBRYAHKA", "ДОБРЯНКА"_cp}, {"KARAHTIHHOE", "КАРАНТИННОЕ"_cp},
    {"HOVOLESHYY", "НОВОЛЕШИЙ"_cp}, {"CTRELECKIY", "СТРЕЛЕЦКИЙ"_cp}, {"CTARAYA", "СТАРАЯ"_cp},
    {"HEVIDIMKA", "НЕВИДИМКА"_cp},
    // 21-30
    {"HARIMAN", "НАРИМАН"_cp}, {"NA-DOHU", "НА-ДОНУ"_cp}, {"HOV.", "НОВ."_cp},
    {"VODOHRAHILISH'E", "ВОДОХРАНИЛИЩЕ"_cp}, {"HAUMOV", "НАУМОВ"_cp}, {"HOVGOROD", "НОВГОРОД"_cp},
    {"BEDHODEM'YAHOVSK", "БЕДНОДЕМЬЯНОВСК"_cp}, {"ZVEHIGOVO", "ЗВЕНИГОВО"_cp},
    {"TATARSTAH", "ТАТАРСТАН"_cp}, {"KAZAHSTAH", "КАЗАХСТАН"_cp},
    // 31-40
    {"KALIHIHSK", "КАЛИНИНСК"_cp}, {"HEREHTA", "НЕРЕХТА"_cp}, {"HEBYKOV", "НЕБЫКОВ"_cp},
    {"HEFTYANIKOV", "НЕФТЯНИКОВ"_cp}, {"COLYANKA", "СОЛЯНКА"_cp}, {"KALYAZIH", "КАЛЯЗИН"_cp},
    {"ZATOH", "ЗАТОН"_cp}, {"HOVOPETROVO", "НОВОПЕТРОВО"_cp},
    {"HOVOBIKTIMIROVO", "НОВОБИКТИМИРОВО"_cp}, {"SUROVIKIHO", "СУРОВИКИНО"_cp},
    // 41-50
    {"AER", "АЭР"_cp}, {"EKONOM", "ЭКОНОМ"_cp}, {"ENTUZIAST", "ЭНТУЗИАСТ"_cp},
    {"ENERG", "ЭНЕРГ"_cp}, {"KOLTSO", "КОЛЬЦО"_cp}, {"MOSCOW", "МОСКВА"_cp},
    {"YEGORYEVSKOYE", "ЕГОРЬЕВСКОЕ"_cp}, {"SIMFEROPOLSKOYE", "СИМФЕРОПОЛЬСКОЕ"_cp},
    {"BOLSH", "БОЛЬШ"_cp}, {"GLAVNY", "ГЛАВНЫЙ"_cp},
    // 51-60
    {"EKSPEDITS", "ЭКСПЕДИЦ"_cp}, {"NATSIONALNY", "НАЦИОНАЛЬНЫЙ"_cp}, {"YEGOR", "ЕГОР"_cp},
    {"ESTAFET", "ЭСТАФЕТ"_cp}, {"YEVRO", "ЕВРО"_cp}, {"SPETS", "СПЕЦ"_cp},
    {"KHARKOV", "ХАРЬКОВ"_cp}, {"POLSKAYA", "ПОЛЬСКАЯ"_cp}, {"ELEKTRO", "ЭЛЕКТРО"_cp},
    {"NEPEYCYVO", "НЕПЕЙЦЫНО"_cp},
    // 61-70
    {"RYBHOE", "РЫБНОЕ"_cp}, {"KRASHYY", "КРАСНЫЙ"_cp}, {"KRASHO", "КРАСНО"_cp},
    {"HIKOL'SK", "НИКОЛЬСК"_cp}, {"HEKRASOV", "НЕКРАСОВ"_cp}, {"IHGHAVIHO", "ИНЖАВИНО"_cp},
    {"HARO-FOMIHSK", "НАРО-ФОМИНСК"_cp}, {"AHDROVSK", "АНДРОВСК"_cp}, {"YAHSK", "ЯНСК"_cp},
    {"AHSK", "АНСК"_cp},
    // 71-80
    {"OHSK", "ОНСК"_cp}, {"IHSK", "ИНСК"_cp}, {"HIGHNE", "НИЖНЕ"_cp}, {"HIGHH", "НИЖН"_cp},
    {"HIGH.", "НИЖН."_cp}, {"EHSK", "ЕНСК"_cp}, {"ZVEHIGOROD", "ЗВЕНИГОРОД"_cp},
    {"SOBIHKA", "СОБИНКА"_cp}, {"KOLOMHA", "КОЛОМНА"_cp}, {"STUPIHO", "СТУПИНО"_cp},
    // 81-90
    {"PAVELETSKOYE", "ПАВЕЛЕЦКОЕ"_cp}, {"TROITSKAYA", "ТРОИЦКАЯ"_cp}, {"ULITSA", "УЛИЦА"_cp},
    {"POET", "ПОЭТ"_cp}, {"YAYA", "ЯЯ"_cp}, {"OYE", "ОЕ"_cp}, {"EYE", "ЕЕ"_cp}, {"IYE", "ИЕ"_cp},
    {"YYE", "ЫЕ"_cp}, {"YAY", "ЯЙ"_cp},
    // 91-100
    {"YEG", "ЕГ"_cp}, {"YIY", "ЫЙ"_cp}, {"YI", "Ы"_cp}, {"GH", "Ж"_cp}, {"ZH", "Ж"_cp},
    {"KH", "Х"_cp}, {"YA", "Я"_cp}, {"YU", "Ю"_cp}, {"YY", "ЫЙ"_cp},
    {"DOLGOPRUDNY", "ДОЛГОПРУДНЫЙ"_cp},
    // 101-110
    {"AY", "АЙ"_cp}, {"OY", "ОЙ"_cp}, {"IY", "ИЙ"_cp}, {"EY", "ЕЙ"_cp}, {"UY", "УЙ"_cp},
    {"-Y", "-Й"_cp}, {"NY ", "НЫЙ "_cp}, {"N1", "№1"_cp}, {"N2", "№2"_cp}, {"N3", "№3"_cp},
    // 111-120
    {"N4", "№4"_cp}, {"N5", "№5"_cp}, {"VY", "ВЫ"_cp}, {"PY", "ПЫ"_cp}, {"TSY", "ЦЫ"_cp},
    {"TSA", "ЦА"_cp}, {"TSI", "ЦИ"_cp}, {"TSE", "ЦЕ"_cp}, {"TSO", "ЦО"_cp}, {"TS-", "Ц-"_cp},
    // 121-130
    {"TS ", "Ц "_cp}, {"SHCH", "Щ"_cp}, {"SHC", "Щ"_cp}, {"SH'", "Щ"_cp}, {"SH", "Ш"_cp},
    {"CH", "Ч"_cp}, {"H'", "НЬ"_cp}, {"'", "Ь"_cp}, {"A", "А"_cp}, {"B", "Б"_cp},
    // 131-140
    {"V", "В"_cp}, {"G", "Г"_cp}, {"D", "Д"_cp}, {"E", "Е"_cp}, {"J", "Ж"_cp}, {"Z", "З"_cp},
    {"I", "И"_cp}, {"K", "К"_cp}, {"L", "Л"_cp}, {"M", "М"_cp},
    // 141-150
    {"N", "Н"_cp}, {"O", "О"_cp}, {"P", "П"_cp}, {"R", "Р"_cp}, {"S", "С"_cp}, {"T", "Т"_cp},
    {"U", "У"_cp}, {"F", "Ф"_cp}, {"H", "Х"_cp}, {"C", "Ц"_cp},
    // 151
    {"Y", "Ы"_cp},
}};

// Russian capitals to Latin transliteration. Every inserted text is Latin and every searched
// text Cyrillic, so no row can undo another.
inline constexpr std::array<ReplacementPair, 33> kRussianToTranslitTable = {{
    {"А"_cp, "A"}, {"Б"_cp, "B"}, {"В"_cp, "V"}, {"Г"_cp, "G"}, {"Д"_cp, "D"}, {"Е"_cp, "E"},
    {"Ё"_cp, "E"}, {"Ж"_cp, "GH"}, {"З"_cp, "Z"}, {"И"_cp, "I"}, {"Й"_cp, "Y"}, {"К"_cp, "K"},
    {"Л"_cp, "L"}, {"М"_cp, "M"}, {"Н"_cp, "N"}, {"О"_cp, "O"}, {"П"_cp, "P"}, {"Р"_cp, "R"},
    {"С"_cp, "S"}, {"Т"_cp, "T"}, {"У"_cp, "U"}, {"Ф"_cp, "F"}, {"Х"_cp, "H"}, {"Ц"_cp, "C"},
    {"Ч"_cp, "CH"}, {"Ш"_cp, "SH"}, {"Щ"_cp, "SH'"}, {"Ь"_cp, "'"}, {"Ы"_cp, "Y"}, {"Ъ"_cp, "'"},
    {"Э"_cp, "E"}, {"Ю"_cp, "YU"}, {"Я"_cp, "YA"},
}};

// Road-shield codes of the Russian maps and the codes the Latin maps use for the same shields.
inline constexpr std::array<ReplacementPair, 6> kShieldToTranslitTable = {{
    {"~[0x01]", "~[0x2a]"}, {"~[0x02]", "~[0x2b]"}, {"~[0x03]", "~[0x2c]"},
    {"~[0x04]", "~[0x2d]"}, {"~[0x05]", "~[0x2e]"}, {"~[0x06]", "~[0x2f]"},
}};

// The fixed part of the shield rewrite towards Russian, before the "~[0x2e]" decision. Road
// letters stay Latin but become the capitals that look like the Cyrillic ones of the Russian
// road numbers ("r" of Р as "P", "m" of М as "M", "e-" and "a-" raised); the codes go back to
// the Russian shields, where "~[0x2d]" has no shield of its own and joins "~[0x03]".
inline constexpr std::array<ReplacementPair, 9> kShieldToRussianTable = {{
    {"r", "P"}, {"R", "P"}, {"m", "M"}, {"e-", "E-"}, {"a-", "A-"},
    {"~[0x2a]", "~[0x01]"}, {"~[0x2b]", "~[0x02]"}, {"~[0x2c]", "~[0x03]"},
    {"~[0x2d]", "~[0x03]"},
}};

// Abbreviations and ordinal endings put back into their usual case after every word start was
// raised.
inline constexpr std::array<ReplacementPair, 26> kCaseFixUpTable = {{
    // 1-7
    {"Оз."_cp, "оз."_cp}, {"О."_cp, "о."_cp}, {"Р."_cp, "р."_cp}, {"Ул."_cp, "ул."_cp},
    {"Б-Р"_cp, "б-р"_cp}, {"П-Ов"_cp, "п-ов"_cp}, {"Гаи"_cp, "ГАИ"_cp},
    // 8-17
    {"1-Я"_cp, "1-я"_cp}, {"2-Я"_cp, "2-я"_cp}, {"3-Я"_cp, "3-я"_cp}, {"4-Я"_cp, "4-я"_cp},
    {"5-Я"_cp, "5-я"_cp}, {"6-Я"_cp, "6-я"_cp}, {"7-Я"_cp, "7-я"_cp}, {"8-Я"_cp, "8-я"_cp},
    {"9-Я"_cp, "9-я"_cp}, {"0-Я"_cp, "0-я"_cp},
    // 18-21
    {"0-Й"_cp, "0-й"_cp}, {"1-Й"_cp, "1-й"_cp}, {"2-Й"_cp, "2-й"_cp}, {"3-Й"_cp, "3-й"_cp},
    // 22-24
    {"1-Е"_cp, "1-е"_cp}, {"2-Е"_cp, "2-е"_cp}, {"3-Е"_cp, "3-е"_cp},
    // 25-26
    {" Км"_cp, " км"_cp}, {"Хово"_cp, "Ново"_cp},
}};
// clang-format on

}  // namespace pomvelt
