#include "examine/map_scan.h"

#include "text/strings.h"

namespace pomvelt::map_scan_detail {

namespace {

constexpr ElementKind kHeaderKinds[] = {ElementKind::kPolygon, ElementKind::kPolygon,
                                        ElementKind::kLine,    ElementKind::kLine,
                                        ElementKind::kPoint,   ElementKind::kPoint};
static_assert(std::size(kHeaderKinds) == std::size(kHeaderMarkers));

}  // namespace

void ClassifyMarkerLine(MapLine& line) {
  const std::string_view text = line.text;
  if (BeginsWith(text, "[END")) {
    line.kind = MapLineKind::kSectionEnd;
    return;
  }
  for (std::size_t i = 0; i < std::size(kHeaderMarkers); ++i) {
    if (BeginsWith(text, kHeaderMarkers[i])) {
      line.kind = MapLineKind::kElementHeader;
      line.element = kHeaderKinds[i];
      return;
    }
  }
  line.kind = BeginsWith(text, "[IMG ID]") ? MapLineKind::kMapHeader : MapLineKind::kSectionStart;
}

}  // namespace pomvelt::map_scan_detail
