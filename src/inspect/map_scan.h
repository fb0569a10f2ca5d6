// The one scanner of the read-only commands: it walks a map's lines once, streaming, and tells
// a visitor what each line is to a map reader (a compiler, an editor) - judged by the line's
// first bytes - and in which section it stands. The editing commands recognise markers
// anywhere in a line; the checker reports where the two views part.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

#include "jobs/polish_format.h"
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
  std::string_view text;  // without its line end
  std::uint64_t number = 0;  // counted from 1
  MapLineKind kind = MapLineKind::kOther;
  ElementKind element = ElementKind::kPolygon;  // of a kElementHeader
  int level = 0;        // of kCoordinates (at most kMaxScannedLevel)
  bool origin = false;  // kCoordinates given as "OriginN="
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

// What the line is, by its first bytes.
MapLine ClassifyMapLine(std::string_view text);

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

template <typename Visitor>
std::uint64_t ScanMap(LineReader& in, Visitor& visitor) {
  map_scan_detail::SectionTracker sections;
  std::uint64_t number = 0;
  for (std::string_view run; !(run = in.PeekLines()).empty(); in.Skip(run.size())) {
    visitor.Bytes(run, number + 1);
    const char* p = run.data();
    const char* const end = p + run.size();
    while (p < end) {
      const char* nl = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
      std::string_view text(p, static_cast<std::size_t>(nl - p));
      if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
      MapLine line = ClassifyMapLine(text);
      line.number = ++number;
      sections.Take(line, visitor);
      p = nl + 1;
    }
  }
  std::string_view text;
  while (in.ReadLine(text)) {  // a last line without an end
    visitor.Bytes(text, number + 1);
    MapLine line = ClassifyMapLine(text);
    line.number = ++number;
    sections.Take(line, visitor);
  }
  sections.Finish(visitor);
  return number;
}

}  // namespace pomvelt
