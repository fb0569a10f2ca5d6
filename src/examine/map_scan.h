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

// The same walk over input that is handed in by the caller: runs of whole lines (Lines), then
// at most one last line without an end (LastLine), then Finish.
template <typename Visitor>
class MapScanner;

// ---------------------------------------------------------------------------------------------

namespace map_scan_detail {

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

// A line's first eight bytes as a little-endian word, read from p where `avail` bytes may be
// read. Past the line's text the word holds its line end and what follows it, or zeros: bytes
// that no key holds, so a key compared within the word needs no check of the line's length.
inline std::uint64_t HeadWord(const char* p, std::size_t avail) {
  std::uint64_t w = 0;
  if (std::endian::native == std::endian::little && avail >= 8) {
    std::memcpy(&w, p, 8);  // one load: a copy of a length the compiler cannot see is a call
    return w;
  }
  for (std::size_t i = 0; i < avail && i < 8; ++i) {
    w |= std::uint64_t{static_cast<unsigned char>(p[i])} << (8 * i);
  }
  return w;
}

// A key of at most eight bytes, none of them "\r", "\n" or NUL, as a word and a mask, made when
// the program is compiled.
struct HeadKey {
  std::uint64_t word, mask;
  template <std::size_t N>
  consteval HeadKey(const char (&key)[N])  // NOLINT: made from a literal on purpose
      : word(PrefixWord(std::string_view(key, N - 1))), mask(PrefixMask(N - 1)) {
    static_assert(N - 1 <= 8);
  }
};

// The word begins with the key.
template <HeadKey K>
constexpr bool Begins(std::uint64_t head) {
  return (head & K.mask) == K.word;
}

// Byte i of the word.
constexpr unsigned ByteOf(std::uint64_t head, unsigned i) {
  return static_cast<unsigned>(head >> (8 * i)) & 0xFF;
}

constexpr bool IsDigit(unsigned c) {
  return c - '0' < 10;
}

// "Data" or "Origin" already matched, the level's digits begin at text[at]: the decimal
// level and the "=" after it.
inline bool TakeLevel(std::string_view text, std::size_t at, MapLine& line) {
  std::size_t i = at;
  int level = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    level = std::min(level * 10 + (text[i] - '0'), kMaxScannedLevel);
    ++i;
  }
  if (i == at || i >= text.size() || text[i] != '=') return false;
  line.kind = MapLineKind::kCoordinates;
  line.level = level;
  return true;
}

// A level of one digit, the common case, is read from the word.
inline bool TakeLevelAt(std::uint64_t head, unsigned at, MapLine& line) {
  const unsigned d = ByteOf(head, at);
  if (at + 1 < 8 && IsDigit(d) && ByteOf(head, at + 1) == '=') {
    line.kind = MapLineKind::kCoordinates;
    line.level = static_cast<int>(d - '0');
    return true;
  }
  return TakeLevel(line.text, at, line);
}

// A line beginning with "[".
inline void ClassifyMarker(std::uint64_t head, MapLine& line) {
  const std::string_view t = line.text;
  if (Begins<"[END">(head)) {
    line.kind = MapLineKind::kSectionEnd;
    return;
  }
  line.kind = MapLineKind::kElementHeader;
  if (Begins<"[RGN80]">(head)) {
    line.element = ElementKind::kPolygon;
  } else if (Begins<"[RGN40]">(head)) {
    line.element = ElementKind::kLine;
  } else if (Begins<"[RGN10]">(head) || Begins<"[POI]">(head)) {
    line.element = ElementKind::kPoint;
  } else if (Begins<"[POLYGON">(head) && t.size() >= 9 && t[8] == ']') {
    line.element = ElementKind::kPolygon;
  } else if (Begins<"[POLYLIN">(head) && t.size() >= 10 && t[8] == 'E' && t[9] == ']') {
    line.element = ElementKind::kLine;
  } else {
    line.kind = Begins<"[IMG ID]">(head) ? MapLineKind::kMapHeader : MapLineKind::kSectionStart;
  }
}

// What the line is, its first eight bytes given as HeadWord gives them.
[[gnu::always_inline]] inline void Classify(std::uint64_t head, MapLine& line) {
  line.kind = MapLineKind::kOther;  // an empty line too: its head is a line end or zeros
  switch (ByteOf(head, 0)) {
    case 'D':
      if (Begins<"Data">(head)) TakeLevelAt(head, 4, line);
      return;
    case '[':
      ClassifyMarker(head, line);
      return;
    case 'T':
      if (Begins<"Type=">(head)) line.kind = MapLineKind::kType;
      return;
    case 'L':
      if (Begins<"Label=">(head)) line.kind = MapLineKind::kLabel;
      return;
    case 'O':
      if (Begins<"Origin">(head) && TakeLevelAt(head, 6, line)) line.origin = true;
      return;
    default:
      return;
  }
}

class SectionTracker {
 public:
  template <typename Visitor>
  [[gnu::always_inline]] void Take(const MapLine& line, Visitor& v) {
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
  void Finish(Visitor& v, std::uint64_t next) {
    if (section_.place != MapPlace::kOutside) v.Unended(section_, next);
  }

 private:
  MapSection section_;
};

}  // namespace map_scan_detail

inline void ClassifyMapLine(MapLine& line) {
  line.origin = false;
  map_scan_detail::Classify(map_scan_detail::HeadWord(line.text.data(), line.text.size()), line);
}

template <typename Visitor>
class MapScanner {
 public:
  explicit MapScanner(Visitor& visitor) : visitor_(visitor) {}

  // Whole lines, each with its end; the run must end with a "\n".
  void Lines(std::string_view run) {
    visitor_.Bytes(run, number_ + 1);
    const char* const data = run.data();
    const char* const runEnd = data + run.size();
    const char* start = data;
    // Line ends are found 64 bytes at a time, so that a line costs a bit test, not a search.
    constexpr std::size_t kChunk = 4096;
    std::uint64_t bits[kChunk / 64];
    for (std::size_t chunk = 0; chunk < run.size(); chunk += kChunk) {
      const std::size_t len = std::min(kChunk, run.size() - chunk);
      MarkBytes(data + chunk, len, "\n", bits);
      for (std::size_t w = 0; w * 64 < len; ++w) {
        const char* const base = data + chunk + w * 64;
        for (std::uint64_t m = bits[w]; m != 0; m &= m - 1) {
          const char* const nl = base + std::countr_zero(m);
          const char* const end = nl > start && nl[-1] == '\r' ? nl - 1 : nl;
          Take(std::string_view(start, static_cast<std::size_t>(end - start)),
               map_scan_detail::HeadWord(start, static_cast<std::size_t>(runEnd - start)));
          start = nl + 1;
        }
      }
    }
  }

  // A last line without an end.
  void LastLine(std::string_view text) {
    visitor_.Bytes(text, number_ + 1);
    Take(text, map_scan_detail::HeadWord(text.data(), text.size()));
  }

  std::uint64_t LineCount() const { return number_; }

  // Reports the section left open as cut off by line `next` (0: by the end of the input).
  // Returns the number of lines.
  std::uint64_t Finish(std::uint64_t next = 0) {
    sections_.Finish(visitor_, next);
    return number_;
  }

 private:
  [[gnu::always_inline]] void Take(std::string_view text, std::uint64_t head) {
    line_.text = text;
    line_.number = ++number_;
    line_.origin = false;
    map_scan_detail::Classify(head, line_);
    sections_.Take(line_, visitor_);
  }

  Visitor& visitor_;
  map_scan_detail::SectionTracker sections_;
  std::uint64_t number_ = 0;
  MapLine line_;
};

template <typename Visitor>
std::uint64_t ScanMap(LineReader& in, Visitor& visitor) {
  MapScanner<Visitor> scanner(visitor);
  for (std::string_view run; !(run = in.PeekLines()).empty(); in.Skip(run.size())) {
    scanner.Lines(run);
  }
  std::string_view text;
  while (in.ReadLine(text)) scanner.LastLine(text);
  return scanner.Finish();
}

}  // namespace pomvelt
