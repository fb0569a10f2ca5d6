#include "translit/translit_test_support.h"

#include <gtest/gtest.h>

namespace pomvelt::test {

std::string RunLabelTransform(std::string_view input, bool lowerCase,
                              void (*transform)(LineReader&, LineWriter&, bool,
                                                const NameLineSink&)) {
  auto run = [&](LineReader& in, LineWriter& out) { transform(in, out, lowerCase, {}); };
  const std::string whole = RunTransform(input, run);
  for (std::size_t block : {1u, 3u}) EXPECT_EQ(RunTransform(input, run, block), whole) << block;
  return whole;
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
