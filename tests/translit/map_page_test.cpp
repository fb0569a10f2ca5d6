// The translations of whole maps by the code page each declares: labels read and written in
// it, the header made to declare the page of the result, and maps whose letters 1251 would
// misdeclare refused.
#include <gtest/gtest.h>

#include "support/test_support.h"
#include "translit/russian_to_translit.h"
#include "translit/translit_test_support.h"
#include "translit/translit_to_russian.h"

namespace pomvelt {
namespace {

using test::CrLf;
using Lines = TranslationCounts (*)(LineReader&, LineWriter&, bool, const NameLineSink&);

TEST(MapPage, TranslationsFollowTheDeclaredPage) {
  struct Case {
    const char* what;
    Lines transform;
    bool lowerCase;
    std::vector<std::string_view> in, out;  // out is empty when the map is refused
    long long notDecodable;
    std::optional<int> refused;
  } cases[] = {
      {"UTF-8 to Russian keeps its page and gets UTF-8 letters",
       TranslitToRussianLines,
       true,
       {"[IMG ID]", "CodePage=65001", "Preprocess=F", "[END-IMG ID]", "Label=MOSKVA"},
       {"[IMG ID]", "CodePage=65001", "Preprocess=Y", "LblCoding=9", "[END-IMG ID]",
        "Label=Москва"},
       0,
       std::nullopt},
      {"1252 with ASCII texts only is declared 1251",
       TranslitToRussianLines,
       false,
       {"[IMG ID]", "CodePage=1252", "Preprocess=F", "[END-IMG ID]", "Label=OKA"},
       {"[IMG ID]", "Preprocess=Y", "CodePage=1251", "LblCoding=9", "[END-IMG ID]",
        "Label=\xCE\xCA\xC0"},
       0,
       std::nullopt},
      {"1252 with an accented label is refused",
       TranslitToRussianLines,
       false,
       {"[IMG ID]", "CodePage=1252", "Preprocess=F", "[END-IMG ID]", "Label=EL PLAY\xD3N"},
       {},
       0,
       1252},
      {"1250 with a letter outside ASCII in a comment is refused",
       TranslitToRussianLines,
       false,
       {"; \xA3\xF3"
        "d\x9F",
        "[IMG ID]", "CodePage=1250", "[END-IMG ID]", "Label=OKA"},
       {},
       0,
       1250},
      {"a page the program does not convert, ASCII only, is declared 1251",
       TranslitToRussianLines,
       false,
       {"[IMG ID]", "codepage=1255", "[END-IMG ID]", "Label=OKA"},
       {"[IMG ID]", "[END-IMG ID]", "Label=\xCE\xCA\xC0"},
       0,
       std::nullopt},
      {"1252 to translit: an accented letter keeps its letter",
       RussianToTranslitLines,
       false,
       {"[IMG ID]", "CodePage=1252", "LblCoding=9", "[END-IMG ID]", "Label=El Play\xF3n"},
       {"[IMG ID]", "CodePage=1252", "LblCoding=9", "[END-IMG ID]", "Label=EL PLAY\xD3N"},
       0,
       std::nullopt},
      {"UTF-8 to translit keeps its page line",
       RussianToTranslitLines,
       true,
       {"[IMG ID]", "CodePage=65001", "LblCoding=9", "[END-IMG ID]", "Label=Спасск Київ"},
       {"[IMG ID]", "CodePage=65001", "[END-IMG ID]", "Label=Spassk Kiїv"},
       0,
       std::nullopt},
      {"1250 to translit raises by the pairs of 1250",
       RussianToTranslitLines,
       false,
       {"[IMG ID]", "CodePage=1250", "[END-IMG ID]",
        "Label=\xB3\xF3"
        "d\x9F"},
       {"[IMG ID]", "CodePage=1250", "[END-IMG ID]",
        "Label=\xA3\xD3"
        "D\x8F"},
       0,
       std::nullopt},
      {"broken UTF-8: the label stays, other lines too",
       RussianToTranslitLines,
       false,
       {"[IMG ID]", "CodePage=65001", "[END-IMG ID]", "; \xFF\xFE", "Label=Спас\xD0", "Label=Ока"},
       {"[IMG ID]", "CodePage=65001", "[END-IMG ID]", "; \xFF\xFE", "Label=Спас\xD0", "Label=OKA"},
       1,
       std::nullopt},
      {"broken UTF-8 to Russian: the label stays",
       TranslitToRussianLines,
       false,
       {"[IMG ID]", "CodePage=65001", "[END-IMG ID]", "Label=OKA \xC0", "Name=\xC1"},
       {"[IMG ID]", "CodePage=65001", "[END-IMG ID]", "Label=OKA \xC0", "Name=\xC1"},
       1,
       std::nullopt},
      {"the one byte 1251 leaves undefined",
       RussianToTranslitLines,
       false,
       {"[IMG ID]", "CodePage=1251", "[END-IMG ID]", "Label=\xD1\x98", "Label=\xD1"},
       {"[IMG ID]", "[END-IMG ID]", "Label=\xD1\x98", "Label=S"},
       1,
       std::nullopt},
      {"a page the program does not convert: only ASCII labels are translated",
       RussianToTranslitLines,
       false,
       {"[IMG ID]", "CodePage=1255", "[END-IMG ID]", "Label=oka", "Label=\xE0"},
       {"[IMG ID]", "CodePage=1255", "[END-IMG ID]", "Label=OKA", "Label=\xE0"},
       1,
       std::nullopt},
  };
  for (const Case& c : cases) {
    TranslationCounts counts;
    const std::string out = test::RunLabelTransform(CrLf(c.in), c.lowerCase, c.transform, &counts);
    EXPECT_EQ(counts.labelsNotDecodable, c.notDecodable) << c.what;
    EXPECT_EQ(counts.refusedPage, c.refused ? std::optional(CodePage(*c.refused)) : std::nullopt)
        << c.what;
    if (!c.refused) {
      EXPECT_EQ(out, CrLf(c.out)) << c.what;
    }
  }
}

}  // namespace
}  // namespace pomvelt
