#include "jobs/search_replace.h"

#include <gtest/gtest.h>

#include "jobs/file_rewrite.h"
#include "support/test_support.h"
#include "text/cp1251.h"

namespace pomvelt {
namespace {

using test::CrLf;
using test::RunTransform;

struct SearchCase {
  const char* name;
  std::string_view find, replace;
  std::string input;
  std::string expected;
};

TEST(SearchReplace, LinesInMemory) {
  const SearchCase cases[] = {
      {"initial texts", "~[0x4]", "~[0x3]", CrLf({"Label=A~[0x4]B", "Type=0x4", "[END]"}),
       CrLf({"Label=A~[0x3]B", "Type=0x4", "[END]"})},
      {"doubling does not run away", "a", "aa", CrLf({"banana", "xyz", "a"}),
       CrLf({"baanaanaa", "xyz", "aa"})},
      {"two occurrences", "ab", "X", CrLf({"ab-ab"}), CrLf({"X-X"})},
      {"occurrence at the start of the line, and again later", "Label=", "L=",
       CrLf({"Label=x Label=y", "Label=", " Label="}), CrLf({"L=x L=y", "L=", " L="})},
      {"no overlaps, left to right", "aa", "b", CrLf({"aaaaa"}), CrLf({"bba"})},
      {"shrinking to nothing", "~[0x4]", "", CrLf({"~[0x4]~[0x4]x"}), CrLf({"x"})},
      {"case-sensitive", "town", "city", CrLf({"Town town"}), CrLf({"Town city"})},
      {"first byte present but no occurrence", "ab", "X", CrLf({"a a b", "ba"}),
       CrLf({"a a b", "ba"})},
      {"empty search text: rewritten with CR LF", "", "x", "a\nb\r\nc", CrLf({"a", "b", "c"})},
      {"occurrence across a line end is none", "a\r", "X", "a\r\nb", CrLf({"a", "b"})},
      {"bytes of 0x80 and above", "Новгород"_cp, "Псков"_cp,
       CrLf({std::string("Label=") + std::string("Новгород"_cp), "Новгородка"_cp}),
       CrLf({std::string("Label=") + std::string("Псков"_cp), "Псковка"_cp})},
      {"empty input", "a", "b", "", ""},
  };
  for (const SearchCase& c : cases) {
    for (std::size_t block : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{4},
                              LineReader::kDefaultBlock}) {
      EXPECT_EQ(
          RunTransform(
              c.input,
              [&](LineReader& in, LineWriter& out) { SearchReplace(in, out, c.find, c.replace); },
              block),
          c.expected)
          << c.name << ", block " << block;
    }
  }
}

TEST(SearchReplace, JobAlwaysWorksInPlace) {
  test::TempDir dir;
  const std::string a = dir.File("a.mp");
  const std::string b = dir.File("b.mp");
  test::WriteBytes(a, "Label=~[0x4]\n[END]\n");
  test::WriteBytes(b, "nothing to find");

  test::RecordingHost host;
  host.files = std::vector<std::string>{a, b};
  const BatchResult result = SearchReplaceJob(SearchReplaceOptions{}, host);
  EXPECT_EQ(result.filesFailed, 0);
  EXPECT_EQ(test::ReadBytes(a), CrLf({"Label=~[0x3]", "[END]"}));
  EXPECT_EQ(test::ReadBytes(b), CrLf({"nothing to find"}));
  EXPECT_FALSE(test::Exists(dir.File("a_replaced.mp")));
  EXPECT_FALSE(test::Exists(dir.File("b_replaced.mp")));
  EXPECT_EQ(host.messages, std::vector<std::string>{kDoneMessage});

  ASSERT_EQ(host.dialogs.size(), 1u);
  const JobFileDialogParams& params = host.dialogs[0];
  EXPECT_FALSE(params.defaultExtension.has_value());
  EXPECT_EQ(params.initialFileName, "*.mp");
  EXPECT_EQ(params.flags, 0x300u);
  EXPECT_EQ(params.filter, kMapFilesFilter);
}

TEST(SearchReplace, CopyIsWrittenBesideTheInput) {
  test::TempDir dir;
  const std::string a = dir.File("town.mp");
  test::WriteBytes(a, "x~[0x4]\r\n");
  test::RecordingHost host;
  ASSERT_TRUE(SearchReplaceInFile(a, SearchReplaceOptions{}, host, /*inPlace=*/false));
  EXPECT_EQ(test::ReadBytes(a), "x~[0x4]\r\n");
  EXPECT_EQ(test::ReadBytes(dir.File("town_replaced.mp")), "x~[0x3]\r\n");
}

TEST(SearchReplace, UnreadableFileIsNamedInTheMessage) {
  test::TempDir dir;
  const std::string missing = dir.File("missing.mp");
  test::RecordingHost host;
  host.files = std::vector<std::string>{missing};
  const BatchResult result = SearchReplaceJob(SearchReplaceOptions{}, host);
  EXPECT_EQ(result.filesFailed, 1);
  EXPECT_EQ(host.messages,
            (std::vector<std::string>{CannotOpenNamedForReading(missing), kDoneMessage}));
  EXPECT_FALSE(test::Exists(dir.File("missing_replaced.mp")));
}

}  // namespace
}  // namespace pomvelt
