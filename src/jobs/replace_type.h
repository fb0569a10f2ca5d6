// Type replacement: gives every polygon (or line) of one type code a new type code.
#pragma once

#include <string>
#include <vector>

#include "jobs/batch_job.h"
#include "jobs/file_rewrite.h"
#include "jobs/polish_format.h"
#include "text/line_io.h"

namespace pomvelt {

struct ReplaceTypeOptions {
  ElementKind kind = ElementKind::kPolygon;  // polygons or lines
  std::string fromCode = "0x1";              // UTF-8 as typed, compared in the map's page
  std::string toCode = "0xd";
  bool inPlace = true;  // false: the suffixed copy
};

struct ReplaceTypeCounts {
  long long typeLinesReplaced = 0;
  bool linesChanged = false;
};
TransformResult ResultOf(const ReplaceTypeCounts& counts);

// Only the line directly after a header of the kind can change: when it is exactly
// "Type=" + fromCode it becomes "Type=" + toCode. Every other line is written unchanged; a
// header on the last line is followed by an empty line.
ReplaceTypeCounts ReplaceType(LineReader& in, LineWriter& out, const ReplaceTypeOptions& options);

// Output: the input's stem + "_" + fromCode + "_replaced.mp", or the input itself in place.
FileOutcome ReplaceTypeInFile(const std::string& path, const ReplaceTypeOptions& options,
                              const BatchContext& batch);

// The whole batch over the chosen files, final message included.
BatchReport ReplaceTypeJob(const ReplaceTypeOptions& options, const std::vector<std::string>& files,
                           const BatchContext& batch);

}  // namespace pomvelt
