#include "translit/translit_test_support.h"

#include <gtest/gtest.h>

namespace pomvelt::test {

std::string RunLabelTransform(std::string_view input, bool lowerCase,
                              TranslationCounts (*transform)(LineReader&, LineWriter&, bool,
                                                             const NameLineSink&),
                              TranslationCounts* counts) {
  TranslationCounts last;
  auto run = [&](LineReader& in, LineWriter& out) {
    last = transform(in, out, lowerCase, {});
    return ResultOf(last);
  };
  const Counted whole = RunCounted(input, run);
  const TranslationCounts wholeCounts = last;
  // A refused map's output is dropped, whatever it holds.
  if (!wholeCounts.refusedPage) {
    EXPECT_EQ(whole.unchanged, whole.output == input);
  }
  for (std::size_t block : {1u, 3u}) {
    const Counted part = RunCounted(input, run, block);
    EXPECT_EQ(part.output, whole.output) << block;
    EXPECT_EQ(last.labelsChanged, wholeCounts.labelsChanged) << block;
    EXPECT_EQ(last.headerLinesRewritten, wholeCounts.headerLinesRewritten) << block;
    EXPECT_EQ(last.labelsNotDecodable, wholeCounts.labelsNotDecodable) << block;
    EXPECT_EQ(last.refusedPage, wholeCounts.refusedPage) << block;
  }
  if (counts != nullptr) *counts = wholeCounts;
  return whole.output;
}

std::vector<std::string> CrLfLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t begin = 0;
  while (begin < bytes.size()) {
    const std::size_t end = bytes.find("\r\n", begin);
    if (end == std::string::npos) {
      ADD_FAILURE() << "the last line has no CR LF";
      break;
    }
    lines.emplace_back(bytes, begin, end - begin);
    EXPECT_EQ(lines.back().find_first_of("\r\n"), std::string::npos)
        << "a lone CR or LF in line " << lines.size();
    begin = end + 2;
  }
  return lines;
}

}  // namespace pomvelt::test
