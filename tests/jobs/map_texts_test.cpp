#include "jobs/map_texts.h"

#include <gtest/gtest.h>

#include "support/test_support.h"
#include "text/page_codec.h"

namespace pomvelt {
namespace {

TEST(MapTexts, TypedTextsInEachMapsPage) {
  struct Case {
    const char* header;    // the map's first lines
    std::string find;      // UTF-8 as typed
    std::string expected;  // the bytes searched for; "" when the map is skipped
    const char* message;
  } cases[] = {
      {"[IMG ID]\r\nCodePage=65001\r\n[END]\r\n", "Спасс", "Спасс", ""},
      {"[IMG ID]\r\nCodePage=1251\r\n[END]\r\n", "Спасс", "\xD1\xEF\xE0\xF1\xF1", ""},
      {"[IMG ID]\r\n[END]\r\n", "Спасс", "\xD1\xEF\xE0\xF1\xF1", ""},
      {"[IMG ID]\r\nCodePage=1250\r\n[END]\r\n", "Łódź",
       "\xA3\xF3"
       "d\x9F",
       ""},
      {"[IMG ID]\r\nCodePage=1251\r\n[END]\r\n", "Łódź", "",
       "Файл m.mp пропущен: символа «Ł» (U+0141) нет в его кодовой странице 1251"},
      {"[IMG ID]\r\nCodePage=1255\r\n[END]\r\n", "Łódź", "",
       "Файл m.mp пропущен: его кодовая страница 1255 не поддерживается"},
      // ASCII is the same in every page, one the program does not convert included.
      {"[IMG ID]\r\nCodePage=1255\r\n[END]\r\n", "~[0x4]", "~[0x4]", ""},
  };
  for (const Case& c : cases) {
    MemorySource source(c.header);
    LineReader in(source);
    std::string find = c.find;
    std::string other = "0x4b";
    const std::optional<std::string> skipped = PutTextsInMapPage(in, "m.mp", {&find, &other});
    EXPECT_EQ(skipped.value_or(""), c.message) << c.find;
    if (!skipped) {
      EXPECT_EQ(find, c.expected) << c.find;
    }
    EXPECT_EQ(other, "0x4b");
    std::string_view line;
    ASSERT_TRUE(in.ReadLine(line));
    EXPECT_EQ(line, "[IMG ID]");  // nothing read
  }
}

}  // namespace
}  // namespace pomvelt
