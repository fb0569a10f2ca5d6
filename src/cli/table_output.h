// Output helpers of the commands that print what they found: aligned tables for a terminal,
// CSV for spreadsheets, and map text shown as UTF-8.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace pomvelt {

// Columns padded to their widest cell (counted in UTF-8 characters), two blanks apart; the
// columns named in `rightAligned` (numbers) are aligned to the right.
class AlignedTable {
 public:
  explicit AlignedTable(std::vector<std::string> header, std::vector<bool> rightAligned = {});
  void AddRow(std::vector<std::string> cells);
  void Print(std::ostream& os) const;

 private:
  std::vector<std::vector<std::string>> rows_;
  std::vector<bool> right_;
};

// One CSV record (RFC 4180: fields with a comma, quote or line end quoted, quotes doubled),
// ended by CR LF.
std::string CsvRecord(const std::vector<std::string>& fields);

// Bytes of a map as UTF-8, by the value of its "CodePage=" line: code page 1251 when absent
// or 1251, UTF-8 for 65001 (invalid sequences become U+FFFD), and for other pages every byte
// past ASCII shown as "?".
std::string MapTextToUtf8(std::string_view bytes, std::string_view codePageValue);

}  // namespace pomvelt
