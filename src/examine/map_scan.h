// The one scanner of the read-only commands: it walks a map's lines once, streaming, and tells
// a visitor what each line is to a map reader (a compiler, an editor) - judged by the line's
// first bytes - and in which section it stands. The editing commands recognise markers
// anywhere in a line; the checker reports where the two views part.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "jobs/polish_format.h"
#include "text/byte_scan.h"
#include "text/line_io.h"

namespace pomvelt {

enum class MapLineKind : std::uint8_t {
  kOther,
  kElementHeader,  // "[POLYGON]", "[RGN80]", "[POLYLINE]", "[RGN40]", "[POI]", "[RGN10]"
  kMapHeader,      // "[IMG ID]"
  kSectionStart,   // any other "[...]" that is no end
  kSectionEnd,     // "[END]", "[END-...]"
  kType,           // "Type="
  kLabel,          // "Label="
  kCoordinates,    // "Data" or "Origin", decimal digits, "="
};

struct MapLine {
  std::string_view text;     // without its line end
  std::uint64_t number = 0;  // counted from 1
  int level = 0;             // of kCoordinates (at most kMaxScannedLevel)
  MapLineKind kind = MapLineKind::kOther;
  ElementKind element = ElementKind::kPolygon;  // of a kElementHeader
  bool origin = false;                          // kCoordinates given as "OriginN="
};

enum class MapPlace : std::uint8_t { kOutside, kMapHeader, kElement, kOtherSection };

// The section a line stands in.
struct MapSection {
  MapPlace place = MapPlace::kOutside;
  ElementKind element = ElementKind::kPolygon;
  std::uint64_t start = 0;  // the line of its header
  std::uint64_t index = 0;  // of the current line: 0 the header itself, 1 the line after it
};

inline constexpr int kMaxScannedLevel = 999999;

// What the line is, by its first bytes: fills line.kind (and element, level, origin).
inline void ClassifyMapLine(MapLine& line);

// Walks every line of the input. The visitor provides:
//   void Line(const MapLine&, const MapSection&)  - every line, in order; a section's header
//       and its end line stand in that section
//   void Unended(const MapSection&, std::uint64_t next) - a section that a new section (at
//       line `next`) or the end of the input (next == 0) cut off before its end line
//   void Bytes(std::string_view bytes, std::uint64_t firstLine) - every byte of the input, in
//       runs of whole lines with their ends (the last run may end without one), beginning at
//       line firstLine; called before the runs' lines
// Returns the number of lines.
template <typename Visitor>
std::uint64_t ScanMap(LineReader& in, Visitor& visitor);

// ---------------------------------------------------------------------------------------------

namespace map_scan_detail {

// A section marker line: which of them it is.
void ClassifyMarkerLine(MapLine& line);

// The first bytes of a key as one little-endian word, for a compare of a line's first eight
// bytes in one step: nearly every line is that long, and lines are many.
constexpr std::uint64_t PrefixWord(std::string_view key) {
  std::uint64_t w = 0;
  for (std::size_t i = 0; i < key.size() && i < 8; ++i) {
    w |= std::uint64_t{static_cast<unsigned char>(key[i])} << (8 * i);
  }
  return w;
}
constexpr std::uint64_t PrefixMask(std::size_t n) {
  return n >= 8 ? ~std::uint64_t{0} : (std::uint64_t{1} << (8 * n)) - 1;
}

template <std::size_t N>
inline bool HasPrefix(std::string_view text, const char (&key)[N]) {
  constexpr std::size_t n = N - 1;
  static_assert(n <= 8);
  if constexpr (std::endian::native == std::endian::little) {
    if (text.size() >= 8) {
      std::uint64_t w;
      std::memcpy(&w, text.data(), 8);
      return (w & PrefixMask(n)) == PrefixWord(std::string_view(key, n));
    }
  }
  return text.size() >= n && std::memcmp(text.data(), key, n) == 0;
}

// "Data" or "Origin" already matched: the decimal level and the "=" after it.
inline bool TakeLevel(std::string_view rest, MapLine& line) {
  std::size_t i = 0;
  int level = 0;
  while (i < rest.size() && rest[i] >= '0' && rest[i] <= '9') {
    level = std::min(level * 10 + (rest[i] - '0'), kMaxScannedLevel);
    ++i;
  }
  if (i == 0 || i >= rest.size() || rest[i] != '=') return false;
  line.kind = MapLineKind::kCoordinates;
  line.level = level;
  return true;
}

class SectionTracker {
 public:
  template <typename Visitor>
  void Take(const MapLine& line, Visitor& v) {
    switch (line.kind) {
      case MapLineKind::kElementHeader:
      case MapLineKind::kMapHeader:
      case MapLineKind::kSectionStart:
        if (section_.place != MapPlace::kOutside) v.Unended(section_, line.number);
        section_.place = line.kind == MapLineKind::kElementHeader ? MapPlace::kElement
                         : line.kind == MapLineKind::kMapHeader   ? MapPlace::kMapHeader
                                                                  : MapPlace::kOtherSection;
        section_.element = line.element;
        section_.start = line.number;
        section_.index = 0;
        v.Line(line, section_);
        return;
      case MapLineKind::kSectionEnd:
        ++section_.index;
        v.Line(line, section_);
        section_ = MapSection{};
        return;
      default:
        ++section_.index;
        v.Line(line, section_);
        return;
    }
  }
  template <typename Visitor>
  void Finish(Visitor& v) {
    if (section_.place != MapPlace::kOutside) v.Unended(section_, 0);
  }

 private:
  MapSection section_;
};

}  // namespace map_scan_detail

inline void ClassifyMapLine(MapLine& line) {
  const std::string_view text = line.text;
  line.kind = MapLineKind::kOther;
  if (text.empty()) return;
  switch (text[0]) {
    case '[':
      map_scan_detail::ClassifyMarkerLine(line);
      return;
    case 'T':
      if (map_scan_detail::HasPrefix(text, "Type=")) line.kind = MapLineKind::kType;
      return;
    case 'L':
      if (map_scan_detail::HasPrefix(text, "Label=")) line.kind = MapLineKind::kLabel;
      return;
    case 'D':
      if (map_scan_detail::HasPrefix(text, "Data"))
        map_scan_detail::TakeLevel(text.substr(4), line);
      return;
    case 'O':
      if (map_scan_detail::HasPrefix(text, "Origin") &&
          map_scan_detail::TakeLevel(text.substr(6), line)) {
        line.origin = true;
      }
      return;
    default:
      return;
  }
}

template <typename Visitor>
std::uint64_t ScanMap(LineReader& in, Visitor& visitor) {
  map_scan_detail::SectionTracker sections;
  std::uint64_t number = 0;
  MapLine line;
  auto take = [&](std::string_view text) {
    line.text = text;
    line.number = ++number;
    ClassifyMapLine(line);
    sections.Take(line, visitor);
  };
  // Line ends are found 64 bytes at a time, so that a line costs a bit test, not a search.
  constexpr std::size_t kChunk = 4096;
  std::uint64_t bits[kChunk / 64];
  for (std::string_view run; !(run = in.PeekLines()).empty(); in.Skip(run.size())) {
    visitor.Bytes(run, number + 1);
    const char* const data = run.data();
    std::size_t start = 0;
    for (std::size_t chunk = 0; chunk < run.size(); chunk += kChunk) {
      const std::size_t len = std::min(kChunk, run.size() - chunk);
      MarkBytes(data + chunk, len, "\n", bits);
      for (std::size_t w = 0; w * 64 < len; ++w) {
        for (std::uint64_t m = bits[w]; m != 0; m &= m - 1) {
          const std::size_t at = chunk + w * 64 + static_cast<std::size_t>(std::countr_zero(m));
          std::size_t end = at;
          if (end > start && data[end - 1] == '\r') --end;
          take(std::string_view(data + start, end - start));
          start = at + 1;
        }
      }
    }
  }
  std::string_view text;
  while (in.ReadLine(text)) {  // a last line without an end
    visitor.Bytes(text, number + 1);
    take(text);
  }
  sections.Finish(visitor);
  return number;
}

}  // namespace pomvelt
