#include <gtest/gtest.h>

#include <string>

#include "support/test_support.h"
#include "text/cp1251.h"
#include "text/line_io.h"
#include "text/strings.h"

namespace pomvelt {
namespace {

TEST(Cp1251, LiteralsBecomeSingleBytes) {
  constexpr std::string_view novgorod = "Новгород"_cp;
  EXPECT_EQ(novgorod, "\xCD\xEE\xE2\xE3\xEE\xF0\xEE\xE4");
  EXPECT_EQ("ЁёАЯаяAz №"_cp,
            "\xA8\xB8\xC0\xDF\xE0\xFF"
            "Az \xB9");
  EXPECT_EQ(""_cp, "");
  static_assert("Ж"_cp.size() == 1);
}

TEST(Cp1251, CaseMappingPairsEveryLetterOfThePage) {
  std::string s = std::string("abcxyzабвэюяё ђѓљњќћџўјґєїіѕ 0-9.[]"_cp) + "\x98";
  MakeUpper1251(s);
  // Every non-letter, and the byte the page leaves unused, stays as it is.
  EXPECT_EQ(s, std::string("ABCXYZАБВЭЮЯЁ ЂЃЉЊЌЋЏЎЈҐЄЇІЅ 0-9.[]"_cp) + "\x98");
  MakeLower1251(s);
  EXPECT_EQ(s, std::string("abcxyzабвэюяё ђѓљњќћџўјґєїіѕ 0-9.[]"_cp) + "\x98");
  for (int b = 0; b < 256; ++b) {
    const char c = static_cast<char>(b);
    EXPECT_EQ(ToLower1251(ToUpper1251(ToLower1251(c))), ToLower1251(c)) << b;
  }
}

TEST(Cp1251, RuntimeConversionBothWays) {
  EXPECT_EQ(Utf8ToCp1251("Щукино ~[0x4]"), std::string("Щукино ~[0x4]"_cp));
  EXPECT_EQ(Utf8ToCp1251("Ёлки № 5"), std::string("Ёлки № 5"_cp));
  EXPECT_FALSE(Utf8ToCp1251("漢字"));          // no such characters in the code page
  EXPECT_FALSE(Utf8ToCp1251("\xD0"));          // cut UTF-8 sequence
  EXPECT_FALSE(Utf8ToCp1251("\xC0\x80\xFF"));  // not UTF-8 at all
  for (int b = 0; b < 256; ++b) {
    if (b == 0x98) continue;  // the one unused byte
    const std::string one(1, static_cast<char>(b));
    EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(one)), one) << b;
  }
}

TEST(ReplaceAll, LeftToRightWithoutRescanning) {
  struct Case {
    std::string text, from, to, expected;
  } cases[] = {
      {"banana", "a", "aa", "baanaanaa"},  // inserted text is not searched again
      {"aaaa", "aa", "b", "bb"},           // no overlaps
      {"aaa", "aa", "a", "aa"},
      {"abc", "", "x", "abc"},  // empty search text changes nothing
      {"abc", "abc", "", ""},
      {"~[0x4]12~[0x4]", "~[0x4]", "~[0x3]", "~[0x3]12~[0x3]"},
      {"none here", "zz", "y", "none here"},
      {"abb", "ab", "ba", "bab"},  // same length, overwritten in place: still not rescanned
      {"aab", "ab", "ba", "aba"},
  };
  std::string scratch = "left over";
  for (Case& c : cases) {
    std::string s = c.text;
    ReplaceAll(s, c.from, c.to);
    EXPECT_EQ(s, c.expected) << c.text << " " << c.from << " -> " << c.to;
    s = c.text;  // the same through a scratch buffer that is used again and again
    ReplaceAll(s, c.from, c.to, scratch);
    EXPECT_EQ(s, c.expected) << c.text << " " << c.from << " -> " << c.to << " (scratch)";
  }
}

TEST(ApplyReplacements, RowsInTableOrder) {
  constexpr ReplacementPair table[] = {
      {"SHCH", "Щ"_cp}, {"SH", "Ш"_cp}, {"H", "Х"_cp}, {"Ш"_cp, "never"}, {"A", "AAA"}};
  std::string text = "SHCHA SHA HA";
  ApplyReplacements(text, table);
  // A later row sees what earlier rows wrote ("Ш" becomes "never"), not the other way round.
  EXPECT_EQ(text, "ЩAAA neverAAA ХAAA"_cp);
  std::string empty;
  ApplyReplacements(empty, table);
  EXPECT_EQ(empty, "");
}

TEST(PathParts, SplitAtTheLastSeparatorOfEitherKind) {
  EXPECT_EQ(FileNamePart("C:\\maps\\a.mp"), "a.mp");
  EXPECT_EQ(FileNamePart("/home/u/maps.v2/town"), "town");
  EXPECT_EQ(FileNamePart("a/b\\c.mp"), "c.mp");
  EXPECT_EQ(FileNamePart("plain.mp"), "plain.mp");
  EXPECT_EQ(FolderPart("/home/u/a.mp"), "/home/u/");
  EXPECT_EQ(FolderPart("D:\\m\\a.img"), "D:\\m\\");
  EXPECT_EQ(FolderPart("a.mp"), "");
}

std::vector<std::string> Lines(std::string_view input, std::size_t block) {
  MemorySource source(input);
  LineReader reader(source, block);
  std::vector<std::string> lines;
  std::string_view line;
  while (reader.ReadLine(line)) lines.emplace_back(line);
  EXPECT_FALSE(reader.Failed());
  return lines;
}

TEST(LineReader, SplitsLinesAtEveryBlockSize) {
  const std::string longLine(5000, 'x');
  struct Case {
    std::string input;
    std::vector<std::string> lines;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\nb", {"a", "b"}},  // no final line end
      {"\r\n\r\n", {"", ""}},
      {"a\r\r\nb", {"a\r", "b"}},  // only the CR right before LF belongs to the end
      {"tail\r", {"tail"}},
      {std::string("x\0y\r\n\xC0\xFF", 7), {std::string("x\0y", 3), "\xC0\xFF"}},
      {longLine + "\r\n" + longLine, {longLine, longLine}},
  };
  for (const Case& c : cases) {
    for (std::size_t block : {1u, 2u, 3u, 4u, 7u, 4096u}) {
      EXPECT_EQ(Lines(c.input, block), c.lines) << "block " << block << " input " << c.input;
    }
  }
}

class FailingSource : public ByteSource {
 public:
  explicit FailingSource(std::string_view before) : good_(before) {}
  std::ptrdiff_t Read(char* buf, std::size_t n) override {
    const std::ptrdiff_t got = good_.Read(buf, n);
    return got > 0 ? got : -1;
  }

 private:
  MemorySource good_;
};

TEST(LineReader, ReportsReadErrorsAndDropsTheUnfinishedLine) {
  FailingSource source("one\r\ntwo\r\nunfin");
  LineReader reader(source, 4);
  std::string_view line;
  std::vector<std::string> lines;
  while (reader.ReadLine(line)) lines.emplace_back(line);
  EXPECT_TRUE(reader.Failed());
  EXPECT_EQ(lines, (std::vector<std::string>{"one", "two"}));
}

class LimitedSink : public ByteSink {
 public:
  explicit LimitedSink(std::size_t limit) : limit_(limit) {}
  bool Write(const char* data, std::size_t n) override {
    if (bytes.size() + n > limit_) return false;
    bytes.append(data, n);
    return true;
  }
  std::string bytes;

 private:
  std::size_t limit_;
};

TEST(LineWriter, AppendsCrLfAndReportsAFullSink) {
  StringSink sink;
  {
    LineWriter w(sink, 4);
    w.WriteLine("abc");
    w.WriteLine("");
    w.WriteLine(std::string(10, 'z'));
    EXPECT_TRUE(w.Flush());
  }
  EXPECT_EQ(sink.bytes, "abc\r\n\r\n" + std::string(10, 'z') + "\r\n");

  LimitedSink full(6);
  LineWriter w(full, 4);
  w.WriteLine("abc");
  w.WriteLine("def");
  EXPECT_FALSE(w.Flush());
  EXPECT_TRUE(w.Failed());
}

TEST(LineIo, ManyMegabyteLineThroughSmallBlocks) {
  std::string big(6 << 20, 'q');
  big[12345] = '\0';
  const std::string input = "head\r\n" + big + "\r\ntail";
  const std::string out = test::RunTransform(
      input,
      [](LineReader& in, LineWriter& w) {
        std::string_view l;
        while (in.ReadLine(l)) w.WriteLine(l);
      },
      4096);
  EXPECT_EQ(out, input + "\r\n");
}

}  // namespace
}  // namespace pomvelt
