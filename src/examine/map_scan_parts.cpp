#include "examine/map_scan_parts.h"

#include <cstring>
#include <memory>

namespace pomvelt {

namespace {

// How far past an evenly spaced point a part's first line is looked for.
constexpr std::uint64_t kSearchBytes = 1u << 20;
constexpr std::size_t kWindow = 64 * 1024;

// The offset of the first line at or after `from` (0 < from: a line begins after a "\n") that
// opens a section, looked for before `limit`; 0 when there is none (or the file could not be
// read).
std::uint64_t SectionLineAfter(const InputFile& file, std::uint64_t from, std::uint64_t limit) {
  const std::unique_ptr<char[]> buf(new char[kWindow]);
  // buf[0] is the byte before the first place looked at; windows overlap by the four bytes a
  // line's beginning is told by.
  for (std::uint64_t at = from - 1; at < limit;) {
    int error = 0;
    const std::ptrdiff_t got = file.ReadAt(buf.get(), kWindow, at, error);
    if (got < 5) return 0;
    const auto n = static_cast<std::size_t>(got);
    for (std::size_t j = 1; j + 4 <= n && at + j < limit; ++j) {
      if (buf[j - 1] == '\n' && buf[j] == '[' && std::memcmp(buf.get() + j, "[END", 4) != 0) {
        return at + j;
      }
    }
    at += n - 4;
  }
  return 0;
}

}  // namespace

std::vector<std::uint64_t> MapPartStarts(const InputFile& file, std::uint64_t size,
                                         const ScanPartsOptions& options) {
  std::size_t parts = options.parts;
  if (parts == 0) parts = std::min(std::max(std::thread::hardware_concurrency(), 1u), 4u);
  const std::uint64_t minPart = std::max<std::uint64_t>(options.minPartBytes, 1);
  parts = static_cast<std::size_t>(
      std::min<std::uint64_t>(parts, std::max<std::uint64_t>(size / minPart, 1)));
  std::vector<std::uint64_t> starts = {0};
  for (std::size_t k = 1; k < parts; ++k) {
    const std::uint64_t point = std::max(size / parts * k, starts.back() + 1);
    if (point >= size) break;
    const std::uint64_t start = SectionLineAfter(file, point, std::min(size, point + kSearchBytes));
    if (start == 0) continue;
    if (start > starts.back()) starts.push_back(start);
  }
  return starts;
}

}  // namespace pomvelt
