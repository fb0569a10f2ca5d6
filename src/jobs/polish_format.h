// The few markers and keys of the Polish map format that the commands recognise, and the exact
// rules by which a line is recognised. Lines are never trimmed, case-folded or split: every
// test is a literal, case-sensitive substring test.
#pragma once

#include <string_view>

namespace pomvelt {

enum class ElementKind { kPolygon = 0, kLine = 1, kPoint = 2 };

// The kind of a radio index (0 polygon, 1 line, 2 point); out-of-range indexes give polygon.
ElementKind ElementKindFromIndex(int index);

// True when the line contains either header marker of the kind ("[POLYGON]"/"[RGN80]",
// "[POLYLINE]"/"[RGN40]", "[POI]"/"[RGN10]").
bool IsElementHeader(std::string_view line, ElementKind kind);

// True when the line contains any of the six header markers.
bool IsAnyElementHeader(std::string_view line);

// True when the line begins with "[END]" or with the kind's own end marker.
bool BeginsElementEnd(std::string_view line, ElementKind kind);

// True when the line contains any of "[END]", "[END-RGN80]", "[END-RGN40]", "[END-RGN10]".
bool ContainsElementEnd(std::string_view line);

// True when the line is exactly "Type=" followed by the code.
bool IsTypeLine(std::string_view line, std::string_view code);

inline constexpr std::string_view kTypeKey = "Type=";
inline constexpr std::string_view kLabelKey = "Label=";  // not the numbered "Label2=", "Label3="
inline constexpr std::string_view kNameKey = "Name=";    // also found in "LocalName=" and the like

}  // namespace pomvelt
