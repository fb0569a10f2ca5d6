// The declared code page and its bytes: the undefined bytes of each single-byte page agree
// with the platform's converter, and UTF-8 validity follows the standard's table.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <iconv.h>
#endif

#include "examine/code_page.h"

namespace pomvelt {
namespace {

bool Invalid(const CodePageBytes& page, std::string_view bytes) {
  return page.FindInvalid(bytes.data(), bytes.data() + bytes.size()) != bytes.data() + bytes.size();
}

#ifndef _WIN32
bool ConverterTakes(int codePage, char byte) {
  const iconv_t cd = iconv_open("UTF-8", ("CP" + std::to_string(codePage)).c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return true;
  char in[1] = {byte};
  char out[8];
  char* inp = in;
  char* outp = out;
  std::size_t inLeft = 1, outLeft = sizeof out;
  const bool ok = iconv(cd, &inp, &inLeft, &outp, &outLeft) != static_cast<std::size_t>(-1);
  iconv_close(cd);
  return ok;
}
#endif

TEST(CodePage, SingleBytePagesAgreeWithTheConverter) {
#ifdef _WIN32
  GTEST_SKIP() << "the reference is iconv's tables, which Windows does not have";
#else
  for (int page : {874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258}) {
    const CodePageBytes bytes(page);
    ASSERT_TRUE(bytes.known()) << page;
    for (int b = 0; b < 256; ++b) {
      const char c = static_cast<char>(b);
      EXPECT_EQ(Invalid(bytes, std::string_view(&c, 1)), !ConverterTakes(page, c))
          << "page " << page << " byte " << b;
    }
  }
#endif
}

TEST(CodePage, FindsTheFirstInvalidByteInLongRuns) {
  // Past the vector scan's 64-byte words and 4096-byte chunks.
  for (std::size_t at : {0u, 63u, 64u, 4095u, 4096u, 9000u}) {
    std::string text(10000, 'x');
    text[at] = '\x98';
    text[at + 1] = '\x98';
    for (int page : {1251, 1253}) {  // a handful of undefined bytes, and many
      const CodePageBytes bytes(page);
      EXPECT_EQ(bytes.FindInvalid(text.data(), text.data() + text.size()), text.data() + at)
          << page << " " << at;
    }
  }
}

TEST(CodePage, Utf8Validity) {
  const CodePageBytes utf8(kUtf8CodePage);
  struct Case {
    std::string_view bytes;
    bool valid;
  };
  const Case cases[] = {
      {"plain", true},
      {"\xD0\x96", true},           // Ж
      {"\xE2\x82\xAC", true},       // euro sign
      {"\xF0\x9F\x98\x80", true},   // past the basic plane
      {"\xF4\x8F\xBF\xBF", true},   // the last code point
      {"\xC0\x80", false},          // overlong
      {"\xE0\x9F\xBF", false},      // overlong
      {"\xED\xA0\x80", false},      // a surrogate
      {"\xF4\x90\x80\x80", false},  // past U+10FFFF
      {"\xD0", false},              // cut off
      {"\x96", false},              // a continuation alone
      {"\xFF", false},
  };
  for (const Case& c : cases) EXPECT_EQ(!Invalid(utf8, c.bytes), c.valid) << c.bytes;
}

TEST(CodePage, DeclaredPage) {
  EXPECT_EQ(CodePageValue("CodePage=1251"), "1251");
  EXPECT_EQ(CodePageValue("Codepage=1252"), "1252");
  EXPECT_EQ(CodePageValue("CODEPAGE=65001"), "65001");
  EXPECT_EQ(CodePageValue(" CodePage=1251"), std::nullopt);
  EXPECT_EQ(CodePageValue("CodePage1251"), std::nullopt);
  EXPECT_EQ(CodePageNumber("1251"), 1251);
  EXPECT_EQ(CodePageNumber("1251 "), std::nullopt);
  EXPECT_EQ(CodePageNumber(""), std::nullopt);
  EXPECT_FALSE(CodePageBytes(437).known());
  EXPECT_FALSE(Invalid(CodePageBytes(437), "\x98\xFF"));
  EXPECT_EQ(CharacterCount("\xD0\x96z", kUtf8CodePage), 2u);
  EXPECT_EQ(CharacterCount("\xD0\x96z", 1251), 3u);
}

}  // namespace
}  // namespace pomvelt
