#include <gtest/gtest.h>

#include <string>

#include "text/code_page.h"
#include "text/cp1251.h"
#include "text/line_io.h"
#include "text/page_codec.h"
#include "text/platform_codec.h"

namespace pomvelt {
namespace {

TEST(MapHeader, PageLabelCodingAndWhereTheyAreRead) {
  struct Case {
    const char* text;
    int page;
    bool hasPageLine;
    int labelCoding;  // 0: no line
  } cases[] = {
      {"[IMG ID]\r\nID=1\r\nCodePage=1252\r\nLblCoding=9\r\n[END-IMG ID]\r\n", 1252, true, 9},
      {"[IMG ID]\nCodepage=65001\n[END]\n", 65001, true, 0},  // key in any case
      {"[img id]\n  CODEPAGE = 1250 \nlblcoding=6\n[END]\n", 1250, true, 6},
      {"[IMG ID]\nCodePage=0\n[END]\n", 1251, true, 0},                     // 0: the old ASCII maps
      {"[IMG ID]\nName=x\n[END]\n", 1251, false, 0},                        // no line at all
      {"[IMG ID]\nCodePage=1252\nCodePage=65001\n[END]\n", 1252, true, 0},  // the first counts
      {"CodePage=65001\n[IMG ID]\n[END]\n", 1251, false, 0},                // outside the header
      {"[IMG ID]\n[END-IMG ID]\nCodePage=65001\n", 1251, false, 0},         // after its end
      {"[IMG ID]\n;CodePage=65001\nXCodePage=1\n[END]\n", 1251, false, 0},  // other keys
      {"[IMG ID]\nCodePage=cp1252\n[END]\n", -1, true, 0},                  // not a number
      {"[IMG ID]\nCodePage=1255\n[END]\n", 1255, true, 0},                  // kept, unsupported
      {"", 1251, false, 0},
  };
  for (const Case& c : cases) {
    const MapHeaderInfo info = ReadMapHeader(c.text);
    EXPECT_EQ(info.page.number(), c.page) << c.text;
    EXPECT_EQ(info.hasPageLine, c.hasPageLine) << c.text;
    EXPECT_EQ(info.labelCoding.value_or(0), c.labelCoding) << c.text;
  }
  // Peeking sees the header whatever the reader's block, and leaves every line to be read.
  for (const std::size_t block : {std::size_t{1}, std::size_t{3}, LineReader::kDefaultBlock}) {
    MemorySource source("; x\r\n[IMG ID]\r\nCodePage=65001\r\n[END]\r\nLabel=a");
    LineReader reader(source, block);
    EXPECT_EQ(PeekMapHeader(reader).page, CodePage(65001)) << block;
    std::string_view line;
    ASSERT_TRUE(reader.ReadLine(line));
    EXPECT_EQ(line, "; x");
    EXPECT_EQ(reader.PeekLines(), "[IMG ID]\r\nCodePage=65001\r\n[END]\r\n") << block;
  }
  // A page line past the first 64 KiB is not seen, however much of the map a reader holds.
  const std::string longHeader =
      "[IMG ID]\r\n" + std::string(70000, ';') + "\r\nCodePage=65001\r\n[END-IMG ID]\r\n";
  for (const std::size_t block : {std::size_t{3}, std::size_t{1} << 20}) {
    MemorySource source(longHeader);
    LineReader reader(source, block);
    EXPECT_FALSE(PeekMapHeader(reader).hasPageLine) << block;
  }
}

TEST(CodePage, SupportedPagesByName) {
  for (const int n : kSupportedCodePages) {
    ASSERT_TRUE(SupportedCodePageNamed(std::to_string(n))) << n;
    EXPECT_NE(PageCodec::For(CodePage(n)), nullptr) << n;
  }
  for (const char* name : {"0", "1255", "utf8", "", "1251x", "-1251"}) {
    EXPECT_FALSE(SupportedCodePageNamed(name)) << name;
  }
  EXPECT_EQ(PageCodec::For(CodePage(1255)), nullptr);
}

// Every byte a single-byte page defines goes to UTF-8 and back unchanged, through the codec
// and through the platform alike; the page defines nearly all of them.
TEST(PageCodec, EveryByteRoundTrips) {
  for (const int n : kSupportedCodePages) {
    if (n == CodePage::kUtf8) continue;
    const PageCodec& codec = *PageCodec::For(CodePage(n));
    int defined = 0;
    for (int b = 0; b < 256; ++b) {
      const std::string one(1, static_cast<char>(b));
      const std::optional<std::string> utf8 = codec.ToUtf8(one);
      EXPECT_EQ(utf8.has_value(), codec.CanDecode(one)) << n << " " << b;
      if (!utf8) continue;
      ++defined;
      EXPECT_EQ(codec.FromUtf8(*utf8), one) << n << " " << b;
      EXPECT_EQ(PlatformEncode(n, *utf8), one) << n << " " << b;
    }
    EXPECT_GE(defined, 230) << n;
  }
}

// The compile-time table behind the _cp literals says what the platform says.
TEST(PageCodec, LiteralTableAgreesWithThePlatform) {
  const PageCodec& cp1251 = *PageCodec::For(CodePage(1251));
  for (int b = 0x80; b < 256; ++b) {
    const std::string one(1, static_cast<char>(b));
    std::size_t i = 0;
    const char32_t c = cp1251.Decode(one, i);
    const char32_t literal = cp1251_detail::kHighHalf[static_cast<std::size_t>(b - 0x80)];
    EXPECT_EQ(c, literal == 0 ? PageCodec::kInvalid : literal) << b;
    EXPECT_EQ(ToUpper1251(one[0]), [&] {
      std::string s = one;
      cp1251.MakeUpper(s);
      return s[0];
    }()) << b;
  }
}

TEST(PageCodec, Utf8IsReadStrictly) {
  const PageCodec& utf8 = *PageCodec::For(CodePage(65001));
  for (const char* good : {"", "abc", "Łódź", "Ёж", "€", "\xF0\x9F\x97\xBA", "\xEF\xBF\xBF"}) {
    EXPECT_TRUE(utf8.CanDecode(good)) << good;
  }
  for (const char* bad : {"\xC0\x80", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xD0",
                          "a\xD0 b", "\x80", "\xFF", "\xF0\x9F\x97"}) {
    EXPECT_FALSE(utf8.CanDecode(bad)) << bad;
    EXPECT_FALSE(utf8.ToUtf8(bad)) << bad;
  }
}

TEST(PageCodec, CasePairsOfEachPage) {
  struct Case {
    int page;
    const char* upper;  // UTF-8
    const char* lower;
  } cases[] = {
      {1251, "ЂЃЉЊЌЋЏЎЈҐЁЄЇІЅАЯ QZ", "ђѓљњќћџўјґёєїіѕая qz"},
      {1251, "КИЇВ ІВАНО-ФРАНКІВСЬК", "київ івано-франківськ"},
      {1250, "ŁÓDŹ ŚĆŃĘĄŻŠŘŮŐŰ", "łódź śćńęążšřůőű"},
      {1252, "EL PLAYÓN ÑÇÆØÞŠŒŽŸ", "el playón ñçæøþšœžÿ"},
      {1253, "ΑΘΗΝΑ ΆΈΉΊΌΎΏΣ", "αθηνα άέήίόύώσ"},
      {1254, "ĞÜŞÖÇ", "ğüşöç"},
      {1257, "ĀČĒĢĪĶĻŅŠŪŽ ĄĘĖĮŲ", "āčēģīķļņšūž ąęėįų"},
      {65001, "ЂЎҐЄЇІ ÀÉÎÕÜ ŁŚ ΑΩ", "ђўґєїі àéîõü łś αω"},
  };
  for (const Case& c : cases) {
    const PageCodec& codec = *PageCodec::For(CodePage(c.page));
    const std::string upper = *codec.FromUtf8(c.upper);
    const std::string lower = *codec.FromUtf8(c.lower);
    std::string s = lower;
    codec.MakeUpper(s);
    EXPECT_EQ(codec.ToUtf8(s), c.upper) << c.page;
    s = upper;
    codec.MakeLower(s);
    EXPECT_EQ(codec.ToUtf8(s), c.lower) << c.page;
  }
  // Letters without a pair in the page, and bytes that are not UTF-8, stay as they are.
  const PageCodec& utf8 = *PageCodec::For(CodePage(65001));
  std::string s = "ß ı İ ς 漢 \xD0 \xFF";
  utf8.MakeUpper(s);
  EXPECT_EQ(s, "ß ı İ Σ 漢 \xD0 \xFF");
  const PageCodec& cp1252 = *PageCodec::For(CodePage(1252));
  s = "\xB5\xDF\x81";  // µ ß and an unused byte
  cp1252.MakeUpper(s);
  EXPECT_EQ(s, "\xB5\xDF\x81");
}

TEST(ConvertText, StopsOrReplacesWhereThePagesDisagree) {
  const PageCodec& cp1251 = *PageCodec::For(CodePage(1251));
  const PageCodec& cp1250 = *PageCodec::For(CodePage(1250));
  const PageCodec& utf8 = *PageCodec::For(CodePage(65001));
  struct Case {
    const PageCodec& from;
    const PageCodec& to;
    std::string in;
    std::string out;  // with "?" for what did not convert
    std::size_t stopAt;
    char32_t stopCharacter;
  } cases[] = {
      {utf8, cp1251, "Ёж ~[0x4]", std::string("Ёж ~[0x4]"_cp), std::string::npos, 0},
      {cp1251, utf8, std::string("Ёж"_cp), "Ёж", std::string::npos, 0},
      {utf8, cp1251, "Łódź", "??d?", 0, 0x141},
      {utf8, cp1250, "Łódź", *cp1250.FromUtf8("Łódź"), std::string::npos, 0},
      {utf8, cp1251, "ab\xD0z", "ab?z", 2, PageCodec::kInvalid},  // broken UTF-8
      {cp1251, utf8, "a\x98", "a?", 1, PageCodec::kInvalid},      // unused in 1251
      {cp1250, cp1251, "\xA3", "?", 0, 0x141},                    // Ł
  };
  for (const Case& c : cases) {
    std::string out;
    const std::optional<ConversionStop> stop = ConvertText(c.in, c.from, c.to, out);
    if (c.stopAt == std::string::npos) {
      EXPECT_FALSE(stop) << c.in;
      EXPECT_EQ(out, c.out) << c.in;
      continue;
    }
    ASSERT_TRUE(stop) << c.in;
    EXPECT_EQ(stop->offset, c.stopAt) << c.in;
    EXPECT_EQ(stop->character, c.stopCharacter) << c.in;
    out.clear();
    std::size_t replaced = 0;
    EXPECT_FALSE(ConvertText(c.in, c.from, c.to, out, '?', &replaced));
    EXPECT_EQ(out, c.out) << c.in;
    EXPECT_GE(replaced, 1u) << c.in;
  }
  EXPECT_EQ(DescribeCharacter(0x141), "«Ł» (U+0141)");
  EXPECT_EQ(DescribeBytes("\x98\xC3"), "0x98 0xC3");
}

}  // namespace
}  // namespace pomvelt
