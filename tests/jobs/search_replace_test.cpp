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
  long long occurrences, lines;
};

TEST(SearchReplace, LinesInMemory) {
  const SearchCase cases[] = {
      {"initial texts", "~[0x4]", "~[0x3]", CrLf({"Label=A~[0x4]B", "Type=0x4", "[END]"}),
       CrLf({"Label=A~[0x3]B", "Type=0x4", "[END]"}), 1, 1},
      {"doubling does not run away", "a", "aa", CrLf({"banana", "xyz", "a"}),
       CrLf({"baanaanaa", "xyz", "aa"}), 4, 2},
      {"two occurrences", "ab", "X", CrLf({"ab-ab"}), CrLf({"X-X"}), 2, 1},
      {"occurrence at the start of the line, and again later", "Label=", "L=",
       CrLf({"Label=x Label=y", "Label=", " Label="}), CrLf({"L=x L=y", "L=", " L="}), 4, 3},
      {"no overlaps, left to right", "aa", "b", CrLf({"aaaaa"}), CrLf({"bba"}), 2, 1},
      {"shrinking to nothing", "~[0x4]", "", CrLf({"~[0x4]~[0x4]x"}), CrLf({"x"}), 2, 1},
      {"case-sensitive", "town", "city", CrLf({"Town town"}), CrLf({"Town city"}), 1, 1},
      {"first byte present but no occurrence", "ab", "X", CrLf({"a a b", "ba"}),
       CrLf({"a a b", "ba"}), 0, 0},
      {"empty search text: rewritten with CR LF", "", "x", "a\nb\r\nc", CrLf({"a", "b", "c"}), 0,
       0},
      {"occurrence across a line end is none", "a\r", "X", "a\r\nb", CrLf({"a", "b"}), 0, 0},
      {"bytes of 0x80 and above", "Новгород"_cp, "Псков"_cp,
       CrLf({std::string("Label=") + std::string("Новгород"_cp), "Новгородка"_cp}),
       CrLf({std::string("Label=") + std::string("Псков"_cp), "Псковка"_cp}), 2, 2},
      {"empty input", "a", "b", "", "", 0, 0},
      {"a text replaced by itself changes no line", "a", "a", CrLf({"aa"}), CrLf({"aa"}), 2, 0},
  };
  for (const SearchCase& c : cases) {
    for (std::size_t block : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{4},
                              LineReader::kDefaultBlock}) {
      const SearchReplaceOptions options{std::string(c.find), std::string(c.replace), true};
      const test::Counted r = test::RunCounted(
          c.input,
          [&](LineReader& in, LineWriter& out) {
            return ResultOf(SearchReplace(in, out, options));
          },
          block);
      EXPECT_EQ(r.output, c.expected) << c.name << ", block " << block;
      EXPECT_EQ(r.Count("occurrencesReplaced"), c.occurrences) << c.name;
      EXPECT_EQ(r.Count("linesChanged"), c.lines) << c.name;
      EXPECT_EQ(r.unchanged, r.output == c.input) << c.name;
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
  const BatchReport r = SearchReplaceJob(SearchReplaceOptions{}, {a, b}, {host});
  EXPECT_EQ(r.Totals().failed, 0);
  EXPECT_EQ(r.Totals().changed, 2);  // b gains its missing line end
  EXPECT_EQ(test::ReadBytes(a), CrLf({"Label=~[0x3]", "[END]"}));
  EXPECT_EQ(test::ReadBytes(b), CrLf({"nothing to find"}));
  EXPECT_FALSE(test::Exists(dir.File("a_replaced.mp")));
  EXPECT_FALSE(test::Exists(dir.File("b_replaced.mp")));
  EXPECT_EQ(host.messages, std::vector<std::string>{kDoneMessage});

  const JobFileDialogParams params = SearchReplaceDialogParams();
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
  SearchReplaceOptions options;
  options.inPlace = false;
  const FileOutcome o = SearchReplaceInFile(a, options, {host});
  EXPECT_EQ(o.result, FileResult::kChanged);
  EXPECT_EQ(o.output, dir.File("town_replaced.mp"));
  EXPECT_EQ(test::ReadBytes(a), "x~[0x4]\r\n");
  EXPECT_EQ(test::ReadBytes(dir.File("town_replaced.mp")), "x~[0x3]\r\n");
}

TEST(SearchReplace, UnreadableFileIsNamedInTheMessage) {
  test::TempDir dir;
  const std::string missing = dir.File("missing.mp");
  test::RecordingHost host;
  const BatchReport r = SearchReplaceJob(SearchReplaceOptions{}, {missing}, {host});
  EXPECT_EQ(r.Totals().failed, 1);
  EXPECT_EQ(host.messages,
            (std::vector<std::string>{
                CannotOpenNamedForReading(missing) + ": No such file or directory", kDoneMessage}));
  EXPECT_FALSE(test::Exists(dir.File("missing_replaced.mp")));
}

}  // namespace
}  // namespace pomvelt
