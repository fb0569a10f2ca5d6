// The few markers and keys of the Polish map format that the commands recognise, and the exact
// rules by which a line is recognised. Lines are never trimmed, case-folded or split: every
// test is a literal, case-sensitive substring test.
#pragma once

#include <string_view>

namespace pomvelt {

enum class ElementKind { kPolygon = 0, kLine = 1, kPoint = 2 };

// True when the line contains either header marker of the kind ("[POLYGON]"/"[RGN80]",
// "[POLYLINE]"/"[RGN40]", "[POI]"/"[RGN10]").
bool IsElementHeader(std::string_view line, ElementKind kind);

// True when the line contains any of the six header markers.
bool IsAnyElementHeader(std::string_view line);

// Where, in whole lines as LineReader::PeekLines gives them, the first line begins that
// IsElementHeader (or IsAnyElementHeader) accepts; lines.size() when there is none. One search
// for the "[" that starts every marker, instead of one search per marker and line.
std::size_t FindElementHeaderLine(std::string_view lines, ElementKind kind);

// A set of element kinds, one bit each.
using ElementKinds = unsigned;
constexpr ElementKinds KindBit(ElementKind kind) {
  return 1u << static_cast<unsigned>(kind);
}
inline constexpr ElementKinds kAllElementKinds = 7;

// As FindElementHeaderLine, for a header of any kind of the set (none: lines.size()).
std::size_t FindHeaderLineOfKinds(std::string_view lines, ElementKinds kinds);
std::size_t FindAnyElementHeaderLine(std::string_view lines);
// Where, in whole lines, the first line begins that BeginsElementEnd accepts, or lines.size().
std::size_t FindElementEndLine(std::string_view lines, ElementKind kind);

// True when the line begins with "[END]" or with the kind's own end marker.
bool BeginsElementEnd(std::string_view line, ElementKind kind);

// True when the line contains any of "[END]", "[END-RGN80]", "[END-RGN40]", "[END-RGN10]".
bool ContainsElementEnd(std::string_view line);

// True when the line is exactly "Type=" followed by the code.
bool IsTypeLine(std::string_view line, std::string_view code);

inline constexpr std::string_view kTypeKey = "Type=";
inline constexpr std::string_view kLabelKey = "Label=";  // not the numbered "Label2=", "Label3="
inline constexpr std::string_view kNameKey = "Name=";    // also found in "LocalName=" and the like

// Every header marker (polygon, line, point, each in its two spellings) and every end marker,
// for the scans that look for all of them at once.
inline constexpr std::string_view kHeaderMarkers[] = {"[POLYGON]", "[RGN80]", "[POLYLINE]",
                                                      "[RGN40]",   "[POI]",   "[RGN10]"};
inline constexpr std::string_view kEndMarkers[] = {"[END]", "[END-RGN80]", "[END-RGN40]",
                                                   "[END-RGN10]"};

}  // namespace pomvelt
