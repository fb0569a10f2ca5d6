#include "cli/table_output.h"

#include <algorithm>
#include <ostream>

namespace pomvelt {

namespace {

std::size_t Utf8Width(std::string_view s) {
  return static_cast<std::size_t>(std::count_if(
      s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

}  // namespace

AlignedTable::AlignedTable(std::vector<std::string> header, std::vector<bool> rightAligned)
    : right_(std::move(rightAligned)) {
  rows_.push_back(std::move(header));
}

void AlignedTable::AddRow(std::vector<std::string> cells) {
  rows_.push_back(std::move(cells));
}

void AlignedTable::Print(std::ostream& os) const {
  std::vector<std::size_t> width;
  for (const auto& row : rows_) {
    if (width.size() < row.size()) width.resize(row.size(), 0);
    for (std::size_t c = 0; c < row.size(); ++c) width[c] = std::max(width[c], Utf8Width(row[c]));
  }
  for (const auto& row : rows_) {
    std::string line;
    for (std::size_t c = 0; c < row.size(); ++c) {
      const std::string pad(width[c] - Utf8Width(row[c]), ' ');
      const bool right = c < right_.size() && right_[c];
      if (c > 0) line += "  ";
      line += right ? pad + row[c] : row[c] + (c + 1 < row.size() ? pad : "");
    }
    os << line << '\n';
  }
}

std::string CsvRecord(const std::vector<std::string>& fields) {
  std::string record;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) record += ',';
    const std::string& f = fields[i];
    if (f.find_first_of(",\"\r\n") == std::string::npos) {
      record += f;
      continue;
    }
    record += '"';
    for (char c : f) {
      if (c == '"') record += '"';
      record += c;
    }
    record += '"';
  }
  return record + "\r\n";
}

}  // namespace pomvelt
