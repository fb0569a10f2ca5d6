// Converting the texts of a map between its code page and UTF-8, and its letter case. A codec
// is built once per page from the platform's converter (platform_codec.h) and then works from
// tables: a single-byte page through 256-entry tables, so that a map in code page 1251 costs
// what it always did, UTF-8 by its own rules.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "text/code_page.h"

namespace pomvelt {

class PageCodec {
 public:
  static constexpr char32_t kInvalid = 0xFFFFFFFF;

  // The codec of a supported page, or nullptr when the page is not one the program supports
  // or the platform cannot convert it. Built on first use; shared and immutable afterwards.
  static const PageCodec* For(CodePage page);

  CodePage page() const { return page_; }
  bool IsUtf8() const { return page_.IsUtf8(); }

  // The character at s[i], advancing i past it; kInvalid, advancing one byte, where the page
  // defines no character (a byte unused in a single-byte page, broken UTF-8).
  char32_t Decode(std::string_view s, std::size_t& i) const;
  // Appends the character in this page; false when the page cannot hold it.
  bool Encode(char32_t c, std::string& out) const;

  // True when every byte of the text decodes.
  bool CanDecode(std::string_view bytes) const;
  // The text as UTF-8, or nullopt when it does not decode.
  std::optional<std::string> ToUtf8(std::string_view bytes) const;
  // UTF-8 text in this page, or nullopt (with the first character the page cannot hold in
  // *missing, kInvalid for broken UTF-8).
  std::optional<std::string> FromUtf8(std::string_view text, char32_t* missing = nullptr) const;

  // Letter case by the pairs of letter_case.h that the page holds both letters of; every other
  // byte or character, and every byte that does not decode, stays as it is.
  void MakeUpper(std::string& text) const;
  void MakeLower(std::string& text) const;
  // The character at text[i] upper-cased where it stands; advances i past it.
  void RaiseAt(std::string& text, std::size_t& i) const;

 private:
  explicit PageCodec(CodePage page) : page_(page) {}
  bool BuildSingleByte();  // false when the platform lacks the page
  void Recase(std::string& text, bool upper) const;

  CodePage page_;
  // Single-byte pages only.
  std::array<char32_t, 256> decode_{};
  std::vector<std::pair<char32_t, unsigned char>> encode_;  // sorted by character
  std::array<unsigned char, 256> upper_{};
  std::array<unsigned char, 256> lower_{};
};

// Where a conversion between two pages stopped: the bytes of the source at `offset` with
// `length`, and the character they hold (kInvalid when the source page does not define them).
struct ConversionStop {
  std::size_t offset = 0;
  std::size_t length = 0;
  char32_t character = PageCodec::kInvalid;
};

// Appends `bytes` of page `from` in page `to` to `out`. Stops at the first bytes `from` does
// not define or character `to` cannot hold and says where (out then holds what came before),
// unless `replacement` is given: it then stands in for each, counted in *replaced.
std::optional<ConversionStop> ConvertText(std::string_view bytes, const PageCodec& from,
                                          const PageCodec& to, std::string& out,
                                          std::optional<char> replacement = std::nullopt,
                                          std::size_t* replaced = nullptr);

// UTF-8 of one character ("Ł"); U+FFFD for kInvalid.
std::string Utf8Of(char32_t c);
// How a message names a character: «Ł» (U+0141).
std::string DescribeCharacter(char32_t c);
// How a message names bytes: 0x98 0xC3.
std::string DescribeBytes(std::string_view bytes);

}  // namespace pomvelt
