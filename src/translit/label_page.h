// What the label translations need of a map's code page: its letter case and the translation
// tables in its own bytes. Code page 1251, the page the tables are written in, uses them as
// they are; any other page gets the rows it can hold, converted once, so that every label is
// translated where it stands without being converted back and forth.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "text/code_page.h"
#include "text/page_codec.h"
#include "text/strings.h"

namespace pomvelt {

class LabelPage {
 public:
  // The page's tables, or nullptr for a page the program does not convert.
  static const LabelPage* For(CodePage page);
  static const LabelPage& Cp1251();
  // For a page the program does not convert: ASCII labels are translated as in any page, and
  // every other label counts as one that does not decode.
  static const LabelPage& AsciiOnly();
  // The page's tables, or AsciiOnly for a page the program does not convert.
  static const LabelPage& OfMap(CodePage page) {
    const LabelPage* found = For(page);
    return found != nullptr ? *found : AsciiOnly();
  }

  CodePage page() const { return page_; }
  bool IsUtf8() const { return page_.IsUtf8(); }

  // False when the label holds bytes the page does not define: it is then left as it is.
  bool CanDecode(std::string_view text) const;

  void MakeUpper(std::string& text) const;
  void MakeLower(std::string& text) const;
  // Raises the character that starts at text[i] (a character start) where it stands.
  void RaiseAt(std::string& text, std::size_t i) const;

  std::span<const ReplacementPair> translitToRussian() const { return translitToRussian_; }
  std::span<const ReplacementPair> russianToTranslit() const { return russianToTranslit_; }
  std::span<const ReplacementPair> caseFixUp() const { return caseFixUp_; }

 private:
  LabelPage() = default;
  void Take(std::span<const ReplacementPair> table, std::vector<ReplacementPair>& rows,
            std::span<const ReplacementPair>& view);

  CodePage page_;
  const PageCodec* codec_ = nullptr;  // nullptr for code page 1251 (and AsciiOnly)
  bool asciiOnly_ = false;
  // Code page 1251 views the program's own tables; other pages, rows of their own.
  std::span<const ReplacementPair> translitToRussian_;
  std::span<const ReplacementPair> russianToTranslit_;
  std::span<const ReplacementPair> caseFixUp_;
  std::vector<ReplacementPair> rows_[3];
};

}  // namespace pomvelt
