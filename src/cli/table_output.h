// Output helpers of the commands that print what they found: aligned tables for a terminal,
// CSV for spreadsheets. Map text is shown as UTF-8 by MapTextToUtf8 (examine/code_page.h).
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "examine/code_page.h"

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

}  // namespace pomvelt
