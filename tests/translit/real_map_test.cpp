// Whole real maps converted both ways: every line that is neither a label nor one of the
// rewritten header lines must come through byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "text/strings.h"
#include "translit/russian_to_translit.h"
#include "translit/translit_test_support.h"
#include "translit/translit_to_russian.h"

namespace pomvelt {
namespace {

// The lines as the reader delivers them: split at LF, a CR before it removed.
std::vector<std::string> InputLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t begin = 0;
  while (begin < bytes.size()) {
    std::size_t end = bytes.find('\n', begin);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(begin, end - begin);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    begin = end + 1;
  }
  return lines;
}

// А..я, Ё or ё of code page 1251.
bool HasRussianLetter(std::string_view text) {
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c >= 0xC0 || c == 0xA8 || c == 0xB8) return true;
  }
  return false;
}

bool IsLabel(std::string_view line) {
  return Contains(line, "Label=");
}
bool IsShield(std::string_view line) {
  return IsLabel(line) && Contains(line, "~[");
}

std::string ConvertedCopy(const std::string& map, const test::TempDir& dir, const std::string& name,
                          bool toRussian) {
  const std::string copy = dir.File(name);
  test::WriteBytes(copy, test::ReadBytes(map));
  TranslationOptions options;
  options.inPlace = false;
  test::RecordingHost host;
  const FileOutcome out = toRussian ? TranslitToRussianFile(copy, options, nullptr, {host})
                                    : RussianToTranslitFile(copy, options, nullptr, {host});
  EXPECT_TRUE(out.messages.empty());
  return out.output;
}

TEST(RealMaps, TranslitToRussianAndBack) {
  const std::string map = test::DataMap("zkir_RussiaBkg.mp");
  if (map.empty()) GTEST_SKIP() << "no shared data folder";
  test::TempDir dir;
  const std::vector<std::string> in = InputLines(test::ReadBytes(map));
  const std::string rusPath = ConvertedCopy(map, dir, "bkg.mp", true);
  const std::vector<std::string> rus = test::CrLfLines(test::ReadBytes(rusPath));

  std::size_t o = 0;
  int labels = 0;
  for (const std::string& line : in) {
    ASSERT_LT(o, rus.size());
    if (IsShield(line)) {
      EXPECT_EQ(rus[o++], ShieldLineToRussian(line));
    } else if (IsLabel(line)) {
      ++labels;
      const std::string& out = rus[o++];
      ASSERT_TRUE(BeginsWith(out, "Label=")) << out;
      // Every Latin letter has a row except Q, W and X.
      EXPECT_EQ(out.find_first_of("ABDEFGHIJKLMNOPRSTUVYZabcdefghijklmnopqrstuvwxyz", 6),
                std::string::npos)
          << out;
      EXPECT_EQ(out.substr(6), TranslitToRussian(line.substr(line.rfind('=') + 1)));
    } else if (Contains(line, "Preprocess=") || Contains(line, "PreProcess=")) {
      EXPECT_EQ(rus[o++], "Preprocess=Y");
      EXPECT_EQ(rus[o++], "CodePage=1251");
      EXPECT_EQ(rus[o++], "LblCoding=9");
    } else if (!Contains(line, "CodePage=")) {
      EXPECT_EQ(rus[o++], line);
    }
  }
  EXPECT_EQ(o, rus.size());
  EXPECT_GT(labels, 300);

  // Back again: the header lines the first run wrote go, everything else but labels stays.
  const std::string backPath = ConvertedCopy(rusPath, dir, "bkg_rus.mp", false);
  const std::vector<std::string> back = test::CrLfLines(test::ReadBytes(backPath));
  o = 0;
  for (const std::string& line : rus) {
    if (Contains(line, "CodePage=1251") || Contains(line, "LblCoding=9")) continue;
    ASSERT_LT(o, back.size());
    const std::string& out = back[o++];
    if (IsLabel(line) && !IsShield(line)) {
      EXPECT_EQ(out, "Label=" + RussianToTranslit(line.substr(6)));
      EXPECT_FALSE(HasRussianLetter(out)) << out;
    } else {
      EXPECT_EQ(out, IsShield(line) ? ShieldLineToTranslit(line) : line);
    }
  }
  EXPECT_EQ(o, back.size());
}

TEST(RealMaps, RussianToTranslit) {
  const std::string map = test::DataMap("mapsoft2_f11a.mp");
  if (map.empty()) GTEST_SKIP() << "no shared data folder";
  test::TempDir dir;
  const std::vector<std::string> in = InputLines(test::ReadBytes(map));
  const std::vector<std::string> out =
      test::CrLfLines(test::ReadBytes(ConvertedCopy(map, dir, "f11a.mp", false)));
  std::size_t o = 0;
  int labels = 0;
  for (const std::string& line : in) {
    if (Contains(line, "CodePage=1251") || Contains(line, "LblCoding=9")) continue;
    ASSERT_LT(o, out.size());
    if (IsLabel(line)) {
      ++labels;
      EXPECT_EQ(out[o], "Label=" + RussianToTranslit(line.substr(line.rfind('=') + 1)));
      EXPECT_FALSE(HasRussianLetter(out[o])) << out[o];
      ++o;
    } else {
      EXPECT_EQ(out[o++], line);
    }
  }
  EXPECT_EQ(o, out.size());
  EXPECT_GT(labels, 0);
  // The header key spelt "Codepage=" is not the one this direction drops.
  EXPECT_NE(std::find(out.begin(), out.end(), "Codepage=1251"), out.end());
}

}  // namespace
}  // namespace pomvelt
