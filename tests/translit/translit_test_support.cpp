#include "translit/translit_test_support.h"

#include <gtest/gtest.h>

namespace pomvelt::test {

std::string RunLabelTransform(std::string_view input, bool lowerCase,
                              TranslationCounts (*transform)(LineReader&, LineWriter&, bool,
                                                             const NameLineSink&),
                              TranslationCounts* counts) {
  auto run = [&](LineReader& in, LineWriter& out) {
    return ResultOf(transform(in, out, lowerCase, {}));
  };
  const Counted whole = RunCounted(input, run);
  EXPECT_EQ(whole.unchanged, whole.output == input);
  for (std::size_t block : {1u, 3u}) {
    const Counted part = RunCounted(input, run, block);
    EXPECT_EQ(part.output, whole.output) << block;
    EXPECT_EQ(part.Count("labelsChanged"), whole.Count("labelsChanged")) << block;
    EXPECT_EQ(part.Count("headerLinesRewritten"), whole.Count("headerLinesRewritten")) << block;
  }
  if (counts != nullptr) {
    *counts = {whole.Count("labelsChanged"), whole.Count("headerLinesRewritten")};
  }
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
