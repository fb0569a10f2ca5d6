#include "jobs/recode.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/test_support.h"
#include "text/page_codec.h"
#include "text/platform_codec.h"

namespace pomvelt {
namespace {

using test::CrLf;

// Lines written as UTF-8 in the test, turned into the map's page.
std::string InPage(int page, const std::string& utf8) {
  return *PageCodec::For(CodePage(page))->FromUtf8(utf8);
}

struct RecodeRun {
  std::string output;
  std::optional<std::string> why;
  RecodeCounts counts;
};

RecodeRun RunRecode(const std::string& input, const RecodeOptions& options, std::size_t block) {
  RecodeRun run;
  run.output = test::RunTransform(
      input,
      [&](LineReader& in, LineWriter& out) { run.why = Recode(in, out, options, run.counts); },
      block);
  return run;
}

TEST(Recode, HeaderAndLinesInEveryCase) {
  struct Case {
    const char* name;
    int from;  // the page the input is written in
    std::vector<std::string_view> input;
    int to;
    bool replaceMissing;
    std::vector<std::string_view> expected;  // UTF-8, written in page `to`
    std::size_t linesChanged, replaced;
    const char* why;  // "" when converted
  } cases[] = {
      {"1251 to UTF-8",
       1251,
       {"; Карта", "[IMG ID]", "CodePage=1251", "LblCoding=9", "[END-IMG ID]", "[POI]",
        "Label=Ёлки", "Data0=(1,2)", "[END]"},
       65001,
       false,
       {"; Карта", "[IMG ID]", "CodePage=65001", "LblCoding=9", "[END-IMG ID]", "[POI]",
        "Label=Ёлки", "Data0=(1,2)", "[END]"},
       3,
       0,
       ""},
      {"key spelling kept, 0 read as 1251",
       1251,
       {"[IMG ID]", "Codepage=0", "LblCoding=9", "[END]", "Label=Щ"},
       65001,
       false,
       {"[IMG ID]", "Codepage=65001", "LblCoding=9", "[END]", "Label=Щ"},
       2,
       0,
       ""},
      {"page and 8-bit coding added after the header's start",
       1251,
       {"[IMG ID]", "Name=Юг", "[END-IMG ID]"},
       1250,
       true,
       {"[IMG ID]", "CodePage=1250", "LblCoding=9", "Name=??", "[END-IMG ID]"},
       3,
       2,
       ""},
      {"6-bit coding becomes 8-bit; only the header's first lines count",
       1252,
       {"[IMG ID]", "LblCoding=6", "CodePage=1252", "CodePage=1", "LblCoding=6", "[END]",
        "CodePage=1252", "Label=Ñu"},
       65001,
       false,
       {"[IMG ID]", "LblCoding=9", "CodePage=65001", "CodePage=1", "LblCoding=6", "[END]",
        "CodePage=1252", "Label=Ñu"},
       3,
       0,
       ""},
      {"UTF-8 to 1251: a character it lacks",
       65001,
       {"[IMG ID]", "CodePage=65001", "LblCoding=9", "[END]", "Label=Łódź"},
       1251,
       false,
       {},
       0,
       0,
       "строка 5: символа «Ł» (U+0141) нет в кодовой странице 1251"},
      {"the same, replaced",
       65001,
       {"[IMG ID]", "CodePage=65001", "LblCoding=9", "[END]", "Label=Łódź Ёж"},
       1251,
       true,
       {"[IMG ID]", "CodePage=1251", "LblCoding=9", "[END]", "Label=??d? Ёж"},
       2,
       3,
       ""},
      {"same page: only what is declared changes",
       1251,
       {"[IMG ID]", "CodePage=1251", "LblCoding=9", "[END]", "Label=Ёж"},
       1251,
       false,
       {"[IMG ID]", "CodePage=1251", "LblCoding=9", "[END]", "Label=Ёж"},
       0,
       0,
       ""},
      {"no header: nowhere to declare another page",
       1251,
       {"Label=Ёж"},
       65001,
       false,
       {},
       0,
       0,
       "нет заголовка [IMG ID], в котором указать кодовую страницу"},
      {"no header, to the page it is read in",
       1251,
       {"Label=Ёж"},
       1251,
       false,
       {"Label=Ёж"},
       0,
       0,
       ""},
      {"a page the program does not convert",
       1251,
       {"[IMG ID]", "CodePage=1255", "[END]"},
       65001,
       false,
       {},
       0,
       0,
       "кодовая страница 1255 не поддерживается"},
  };
  for (const Case& c : cases) {
    std::string input = CrLf(c.input);
    input = InPage(c.from, input);
    RecodeOptions options;
    options.to = CodePage(c.to);
    options.replaceMissing = c.replaceMissing;
    for (const std::size_t block : {std::size_t{3}, LineReader::kDefaultBlock}) {
      const RecodeRun run = RunRecode(input, options, block);
      if (*c.why != '\0') {
        EXPECT_EQ(run.why.value_or(""), c.why) << c.name;
        continue;
      }
      EXPECT_FALSE(run.why) << c.name << ": " << run.why.value_or("");
      EXPECT_EQ(run.output, InPage(c.to, CrLf(c.expected))) << c.name << ", block " << block;
      EXPECT_EQ(run.counts.linesChanged, c.linesChanged) << c.name;
      EXPECT_EQ(run.counts.charactersReplaced, c.replaced) << c.name;
    }
  }
}

TEST(Recode, BytesTheMapsOwnPageDoesNotDefine) {
  const std::string input = CrLf({"[IMG ID]", "CodePage=65001", "[END]", "x", "Label=a\xD0\xFFz"});
  RecodeOptions options;
  options.to = CodePage(1251);
  EXPECT_EQ(RunRecode(input, options, 4096).why,
            "строка 5: байты 0xD0 не читаются в кодовой странице 65001");
  options.replaceMissing = true;
  const RecodeRun run = RunRecode(input, options, 4096);
  EXPECT_FALSE(run.why);
  EXPECT_EQ(run.output,
            CrLf({"[IMG ID]", "CodePage=1251", "LblCoding=9", "[END]", "x", "Label=a??z"}));
  EXPECT_EQ(run.counts.charactersReplaced, 2u);
}

// Every real map goes to UTF-8 exactly as the platform's converter takes it there, header
// aside, and comes back byte for byte.
TEST(Recode, RealMapsToUtf8AndBack) {
  for (const char* name :
       {"zkir_RussiaBkg.mp", "gpsve_ViaTipo0x0.mp", "gpsve_MapaDePrueba.mp", "mapsoft2_f11a.mp"}) {
    const std::string path = test::DataMap(name);
    if (path.empty()) GTEST_SKIP() << "no shared data";
    const std::string original = test::ReadBytes(path);
    const MapHeaderInfo header = ReadMapHeader(original);
    ASSERT_TRUE(header.hasPageLine) << name;
    RecodeOptions options;
    const RecodeRun utf8 = RunRecode(original, options, LineReader::kDefaultBlock);
    ASSERT_FALSE(utf8.why) << name << ": " << *utf8.why;
    std::string expected = *PlatformDecode(header.page.number(), original);
    const std::size_t start = expected.find("[IMG ID]");
    std::size_t at = std::string::npos;
    for (const std::string key : {"CodePage=", "Codepage="}) {
      at = std::min(at, expected.find(key + header.page.Name(), start));
    }
    ASSERT_NE(at, std::string::npos) << name;
    expected.replace(at + 9, header.page.Name().size(), "65001");
    EXPECT_TRUE(utf8.output == expected) << name;
    EXPECT_EQ(ReadMapHeader(utf8.output).page, CodePage(65001)) << name;
    options.to = header.page;
    const RecodeRun back = RunRecode(utf8.output, options, LineReader::kDefaultBlock);
    ASSERT_FALSE(back.why) << name;
    EXPECT_TRUE(back.output == original) << name;
    EXPECT_EQ(back.counts.linesChanged, utf8.counts.linesChanged) << name;
  }
}

TEST(Recode, FileStepNamesTheMapAndKeepsIt) {
  test::TempDir dir;
  const std::string good = dir.File("good.mp");
  const std::string bad = dir.File("bad.mp");
  const std::string goodBytes = CrLf({"[IMG ID]", "CodePage=65001", "[END]", "Label=Ёж"});
  const std::string badBytes = CrLf({"[IMG ID]", "CodePage=65001", "[END]", "Label=Łódź"});
  test::WriteBytes(good, goodBytes);
  test::WriteBytes(bad, badBytes);
  test::RecordingHost host;
  RecodeOptions options;
  options.to = CodePage(1251);
  options.inPlace = false;
  const BatchReport result = RecodeJob(options, {bad, good}, {host});
  EXPECT_EQ(result.Totals().failed, 1);
  EXPECT_EQ(result.files[1].result, FileResult::kChanged);
  ASSERT_EQ(host.messages.size(), 2u);
  EXPECT_EQ(host.messages[0], "Файл " + bad +
                                  " не перекодирован: строка 4: символа «Ł» (U+0141) нет в "
                                  "кодовой странице 1251");
  EXPECT_FALSE(test::Exists(dir.File("bad_cp1251.mp")));
  EXPECT_EQ(test::ReadBytes(bad), badBytes);
  EXPECT_EQ(test::ReadBytes(dir.File("good_cp1251.mp")),
            InPage(1251, CrLf({"[IMG ID]", "CodePage=1251", "LblCoding=9", "[END]", "Label=Ёж"})));
}

}  // namespace
}  // namespace pomvelt
