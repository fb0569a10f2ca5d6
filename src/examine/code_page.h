// The code page a map declares in its header ("CodePage=", in any letter case) and what that
// page allows: UTF-8 validity for 65001, for the single-byte Windows pages the bytes they leave
// undefined. Kept small on purpose, so that a code page type of the text layer can replace it.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace pomvelt {

// The page a map without a "CodePage=" line is taken to be in.
inline constexpr int kDefaultCodePage = 1251;
inline constexpr int kUtf8CodePage = 65001;

// The value of a "CodePage=" line (the key in any letter case, at the start of the line), or
// nullopt when the line is no such line.
std::optional<std::string_view> CodePageValue(std::string_view line);

// The number a "CodePage=" value names, or nullopt when it is not a decimal number.
std::optional<int> CodePageNumber(std::string_view value);

class CodePageBytes {
 public:
  explicit CodePageBytes(int codePage);

  int codePage() const { return codePage_; }
  // False for a page whose bytes are not known here: nothing is then reported as invalid.
  bool known() const { return known_; }

  // The first byte in [p, end) that the page does not allow - for UTF-8 the first byte of a
  // malformed sequence - or end. Sequences never span a line end, so any run of whole lines
  // can be checked on its own.
  const char* FindInvalid(const char* p, const char* end) const;

 private:
  int codePage_;
  bool known_ = false;
  bool utf8_ = false;
  std::array<bool, 256> undefined_{};
  std::string_view undefinedList_;  // for the vector scan when there are few of them
};

// Bytes of a map as UTF-8, by the value of its "CodePage=" line: code page 1251 when absent
// or 1251, UTF-8 for 65001 (invalid sequences become U+FFFD), and for other pages every byte
// past ASCII shown as "?".
std::string MapTextToUtf8(std::string_view bytes, std::string_view codePageValue);

// Characters in a text of the page: bytes, or for UTF-8 the code points.
std::size_t CharacterCount(std::string_view text, int codePage);

}  // namespace pomvelt
