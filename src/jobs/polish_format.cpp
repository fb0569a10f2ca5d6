#include "jobs/polish_format.h"

#include <cstring>
#include <iterator>

#include "text/byte_scan.h"
#include "text/strings.h"

namespace pomvelt {

namespace {

struct KindMarkers {
  std::string_view header1;
  std::string_view header2;
  std::string_view end;
};

constexpr KindMarkers kMarkers[] = {
    {kHeaderMarkers[0], kHeaderMarkers[1], kEndMarkers[1]},
    {kHeaderMarkers[2], kHeaderMarkers[3], kEndMarkers[2]},
    {kHeaderMarkers[4], kHeaderMarkers[5], kEndMarkers[3]},
};

const KindMarkers& MarkersOf(ElementKind kind) {
  return kMarkers[static_cast<int>(kind)];
}

}  // namespace

bool IsElementHeader(std::string_view line, ElementKind kind) {
  const KindMarkers& m = MarkersOf(kind);
  return Contains(line, m.header1) || Contains(line, m.header2);
}

bool IsAnyElementHeader(std::string_view line) {
  // Every header marker begins with "[", so lines without one are settled at once.
  if (line.find('[') == std::string_view::npos) return false;
  for (const KindMarkers& m : kMarkers) {
    if (Contains(line, m.header1) || Contains(line, m.header2)) return true;
  }
  return false;
}

namespace {

// The start of the line holding lines[at].
std::size_t LineStart(std::string_view lines, std::size_t at) {
  const std::size_t nl = lines.rfind('\n', at);
  return nl == std::string_view::npos ? 0 : nl + 1;
}

// Where a header marker differs from every other header marker: a byte that filters the
// candidates of one kind out of all the "[" of a map.
constexpr ByteAt DistinctByte(std::string_view marker) {
  for (std::size_t i = 1; i < marker.size(); ++i) {
    bool distinct = true;
    for (const KindMarkers& m : kMarkers) {
      for (std::string_view other : {m.header1, m.header2}) {
        if (other != marker && i < other.size() && other[i] == marker[i]) distinct = false;
      }
    }
    if (distinct) return ByteAt{i, marker[i]};
  }
  return ByteAt{0, marker[0]};
}

constexpr bool HeadersAreDistinctAndBeginWithPOrR() {
  for (const KindMarkers& m : kMarkers) {
    for (std::string_view h : {m.header1, m.header2}) {
      if (h.size() < 3 || h[0] != '[' || (h[1] != 'P' && h[1] != 'R')) return false;
      if (DistinctByte(h).offset == 0) return false;
    }
  }
  return true;
}
static_assert(HeadersAreDistinctAndBeginWithPOrR(), "the header searches rely on these bytes");

bool BeginsWithMarker(std::string_view rest, std::string_view marker) {
  if (rest.size() < marker.size()) return false;
  for (std::size_t i = 1; i < marker.size(); ++i) {
    if (rest[i] != marker[i]) return false;
  }
  return true;
}

// Markers hold no line end, so a marker found in the run lies inside one line.
template <typename Matches>
std::size_t FindMarkedLine(std::string_view lines, ByteAt a, ByteAt b, Matches matches) {
  const char* const data = lines.data();
  const char* const end = data + lines.size();
  for (const char* p = data; (p = FindLeadWith(p, end, '[', a, b)) != end; ++p) {
    const std::size_t at = static_cast<std::size_t>(p - data);
    if (matches(lines.substr(at))) return LineStart(lines, at);
  }
  return lines.size();
}

}  // namespace

std::size_t FindElementHeaderLine(std::string_view lines, ElementKind kind) {
  static constexpr ByteAt kDistinct[][2] = {
      {DistinctByte(kMarkers[0].header1), DistinctByte(kMarkers[0].header2)},
      {DistinctByte(kMarkers[1].header1), DistinctByte(kMarkers[1].header2)},
      {DistinctByte(kMarkers[2].header1), DistinctByte(kMarkers[2].header2)},
  };
  const KindMarkers& m = MarkersOf(kind);
  const ByteAt(&d)[2] = kDistinct[static_cast<int>(kind)];
  return FindMarkedLine(lines, d[0], d[1], [&](std::string_view rest) {
    return BeginsWithMarker(rest, m.header1) || BeginsWithMarker(rest, m.header2);
  });
}

std::size_t FindAnyElementHeaderLine(std::string_view lines) {
  return FindMarkedLine(lines, ByteAt{1, 'P'}, ByteAt{1, 'R'}, [](std::string_view rest) {
    for (const KindMarkers& m : kMarkers) {
      if (BeginsWithMarker(rest, m.header1) || BeginsWithMarker(rest, m.header2)) return true;
    }
    return false;
  });
}

std::size_t FindHeaderLineOfKinds(std::string_view lines, ElementKinds kinds) {
  switch (kinds & kAllElementKinds) {
    case 0:
      return lines.size();
    case KindBit(ElementKind::kPolygon):
      return FindElementHeaderLine(lines, ElementKind::kPolygon);
    case KindBit(ElementKind::kLine):
      return FindElementHeaderLine(lines, ElementKind::kLine);
    case KindBit(ElementKind::kPoint):
      return FindElementHeaderLine(lines, ElementKind::kPoint);
    case kAllElementKinds:
      return FindAnyElementHeaderLine(lines);
    default:
      break;
  }
  return FindMarkedLine(lines, ByteAt{1, 'P'}, ByteAt{1, 'R'}, [&](std::string_view rest) {
    for (unsigned k = 0; k < std::size(kMarkers); ++k) {
      const KindMarkers& m = kMarkers[k];
      if ((kinds & (1u << k)) != 0 &&
          (BeginsWithMarker(rest, m.header1) || BeginsWithMarker(rest, m.header2))) {
        return true;
      }
    }
    return false;
  });
}

std::size_t FindElementEndLine(std::string_view lines, ElementKind kind) {
  const std::string_view end = MarkersOf(kind).end;
  auto beginsEnd = [&](std::string_view rest) {
    return BeginsWithMarker(rest, kEndMarkers[0]) || BeginsWithMarker(rest, end);
  };
  if (!lines.empty() && lines[0] == '[' && beginsEnd(lines)) return 0;
  const char* const data = lines.data();
  const char* const stop = data + lines.size();
  // A line beginning with "[" follows a "\n" directly.
  for (const char* p = data;
       (p = FindLeadWith(p, stop, '\n', ByteAt{1, '['}, ByteAt{1, '['})) != stop; ++p) {
    const std::size_t at = static_cast<std::size_t>(p - data) + 1;
    if (beginsEnd(lines.substr(at))) return at;
  }
  return lines.size();
}

bool BeginsElementEnd(std::string_view line, ElementKind kind) {
  return BeginsWith(line, kEndMarkers[0]) || BeginsWith(line, MarkersOf(kind).end);
}

bool ContainsElementEnd(std::string_view line) {
  // Asked of every line inside an element, most of them long coordinate lines without a "[".
  if (line.find('[') == std::string_view::npos) return false;
  for (std::string_view end : kEndMarkers) {
    if (Contains(line, end)) return true;
  }
  return false;
}

bool IsTypeLine(std::string_view line, std::string_view code) {
  return line.size() == kTypeKey.size() + code.size() && BeginsWith(line, kTypeKey) &&
         line.substr(kTypeKey.size()) == code;
}

}  // namespace pomvelt
