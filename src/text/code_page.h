// The code page of a map: what its header's "CodePage=" line declares. Every text of a map -
// labels, comments, the header itself - is in that page; a map that declares none, or 0 (the
// old 6-bit ASCII), is read as code page 1251, as the maps of this program always were.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pomvelt {

class LineReader;

class CodePage {
 public:
  static constexpr int kDefault = 1251;
  static constexpr int kUtf8 = 65001;

  constexpr CodePage() = default;
  // 0 stands for the default; any other number is kept, supported or not.
  constexpr explicit CodePage(int number) : number_(number == 0 ? kDefault : number) {}

  constexpr int number() const { return number_; }
  constexpr bool IsUtf8() const { return number_ == kUtf8; }
  // One of the pages the program converts: 1250, 1251, 1252, 1253, 1254, 1257, 65001.
  bool IsSupported() const;
  std::string Name() const { return std::to_string(number_); }  // "1251"

  friend constexpr bool operator==(CodePage, CodePage) = default;

 private:
  int number_ = kDefault;
};

// The supported pages, in the order the program offers them.
inline constexpr int kSupportedCodePages[] = {1250, 1251, 1252, 1253, 1254, 1257, 65001};

// A page named on the command line ("1251", "65001"); nullopt unless it is a supported one.
std::optional<CodePage> SupportedCodePageNamed(std::string_view name);

// What a map's header says about its texts.
struct MapHeaderInfo {
  CodePage page;                   // the declared page, the default when none or 0
  bool hasHeader = false;          // an "[IMG ID]" section begins in the lines looked at
  bool hasPageLine = false;        // the section holds a "CodePage=" line
  bool pageReadable = true;        // that line's value is a number
  std::optional<int> labelCoding;  // its first "LblCoding=" line's value, -1 if not a number
};

// The header of a map from its first lines: the "[IMG ID]" section up to its end line, its
// first "CodePage=" and "LblCoding=" lines, the keys in any letter case, blanks around keys
// and values ignored. A value that is not a number makes an unsupported page (-1).
MapHeaderInfo ReadMapHeader(std::string_view lines);

// The same from a map's first 64 KiB, which the reader keeps unread. A header line that does
// not end within them is not seen.
MapHeaderInfo PeekMapHeader(LineReader& in);

// The line rules ReadMapHeader applies, for transforms that rewrite the header as they go.
bool IsHeaderStart(std::string_view line);  // "[IMG ID]"
bool IsSectionEnd(std::string_view line);   // "[END-IMG ID]", "[END]", any "[END..."
// The value of the line when its key is `key` in any letter case ("codepage"), else nullopt.
std::optional<std::string_view> HeaderValue(std::string_view line, std::string_view key);

}  // namespace pomvelt
