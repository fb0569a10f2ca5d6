#include "inspect/map_scan.h"

#include <algorithm>

#include "text/strings.h"

namespace pomvelt {

namespace {

constexpr ElementKind kHeaderKinds[] = {ElementKind::kPolygon, ElementKind::kPolygon,
                                        ElementKind::kLine,    ElementKind::kLine,
                                        ElementKind::kPoint,   ElementKind::kPoint};
static_assert(std::size(kHeaderKinds) == std::size(kHeaderMarkers));

// "Data" or "Origin" already matched: the decimal level and the "=" after it.
bool TakeLevel(std::string_view rest, MapLine& line) {
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

}  // namespace

MapLine ClassifyMapLine(std::string_view text) {
  MapLine line;
  line.text = text;
  if (text.empty()) return line;
  switch (text[0]) {
    case '[':
      if (BeginsWith(text, "[END")) {
        line.kind = MapLineKind::kSectionEnd;
        return line;
      }
      for (std::size_t i = 0; i < std::size(kHeaderMarkers); ++i) {
        if (BeginsWith(text, kHeaderMarkers[i])) {
          line.kind = MapLineKind::kElementHeader;
          line.element = kHeaderKinds[i];
          return line;
        }
      }
      line.kind = BeginsWith(text, "[IMG ID]") ? MapLineKind::kMapHeader
                                                : MapLineKind::kSectionStart;
      return line;
    case 'T':
      if (BeginsWith(text, kTypeKey)) line.kind = MapLineKind::kType;
      return line;
    case 'L':
      if (BeginsWith(text, kLabelKey)) line.kind = MapLineKind::kLabel;
      return line;
    case 'D':
      if (BeginsWith(text, "Data")) TakeLevel(text.substr(4), line);
      return line;
    case 'O':
      if (BeginsWith(text, "Origin") && TakeLevel(text.substr(6), line)) line.origin = true;
      return line;
    default:
      return line;
  }
}

}  // namespace pomvelt
