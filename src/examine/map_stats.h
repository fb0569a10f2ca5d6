// Statistics of a map: what its header declares and what it holds, counted in one streaming
// pass over its lines.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "examine/map_scan_parts.h"
#include "jobs/job_host.h"
#include "jobs/polish_format.h"
#include "text/line_io.h"

namespace pomvelt {

struct TypeCount {
  ElementKind kind;
  std::string type;  // the value of the element's first "Type=" line; empty when it has none
  std::uint64_t count;
  bool operator==(const TypeCount&) const = default;
};

struct MapStats {
  // The first "ID=", "Name=", "CodePage=" (any letter case) and "Levels=" values of the map
  // header ("[IMG ID]"), as bytes of the map; nullopt when the header has none.
  std::optional<std::string> id, name, codePage, levelCount;

  std::uint64_t lines = 0;
  std::uint64_t bytes = 0;
  std::uint64_t labels = 0;                 // "Label=" lines of elements
  std::array<std::uint64_t, 3> elements{};  // by ElementKind
  std::vector<TypeCount> types;             // by kind, then type code, byte order
  std::map<int, std::uint64_t> levels;      // elements with a "DataN="/"OriginN=" line of level N

  std::uint64_t ElementCount() const { return elements[0] + elements[1] + elements[2]; }
  // Adds another map's counts (the header values stay).
  void Add(const MapStats& other);
  bool operator==(const MapStats&) const = default;
};

// Element headers, "Type=", "Label=", "DataN="/"OriginN=" and the header keys are recognised
// at the start of a line. An element runs from its header to an end line or to the next
// section; its type is the value of its first "Type=" line.
MapStats CollectStats(LineReader& in);

// The statistics of a map file; nullopt when it could not be read (the failure has been shown
// on the host). A large file is read in parts at once (see ScanMapParts).
std::optional<MapStats> StatsOfFile(const std::string& path, JobHost& host,
                                    const ScanPartsOptions& options = {});

// "polygon", "line", "point".
const char* ElementKindName(ElementKind kind);

}  // namespace pomvelt
