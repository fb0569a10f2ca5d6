#include "jobs/polish_format.h"

#include "text/strings.h"

namespace pomvelt {

namespace {

struct KindMarkers {
  std::string_view header1;
  std::string_view header2;
  std::string_view end;
};

constexpr KindMarkers kMarkers[] = {
    {"[POLYGON]", "[RGN80]", "[END-RGN80]"},
    {"[POLYLINE]", "[RGN40]", "[END-RGN40]"},
    {"[POI]", "[RGN10]", "[END-RGN10]"},
};

const KindMarkers& MarkersOf(ElementKind kind) {
  return kMarkers[static_cast<int>(kind)];
}

}  // namespace

ElementKind ElementKindFromIndex(int index) {
  switch (index) {
    case 1:
      return ElementKind::kLine;
    case 2:
      return ElementKind::kPoint;
    default:
      return ElementKind::kPolygon;
  }
}

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

bool BeginsElementEnd(std::string_view line, ElementKind kind) {
  return BeginsWith(line, "[END]") || BeginsWith(line, MarkersOf(kind).end);
}

bool ContainsElementEnd(std::string_view line) {
  // Asked of every line inside an element, most of them long coordinate lines without a "[".
  if (line.find('[') == std::string_view::npos) return false;
  return Contains(line, "[END]") || Contains(line, "[END-RGN80]") ||
         Contains(line, "[END-RGN40]") || Contains(line, "[END-RGN10]");
}

bool IsTypeLine(std::string_view line, std::string_view code) {
  return line.size() == kTypeKey.size() + code.size() && BeginsWith(line, kTypeKey) &&
         line.substr(kTypeKey.size()) == code;
}

}  // namespace pomvelt
