// Element deletion: drops every element of one kind whose type line is exactly the given code.
#pragma once

#include <string>
#include <vector>

#include "jobs/batch_job.h"
#include "jobs/file_rewrite.h"
#include "jobs/polish_format.h"
#include "text/line_io.h"

namespace pomvelt {

struct DeleteElementsOptions {
  ElementKind kind = ElementKind::kPolygon;
  std::string typeCode = "0x4b";  // UTF-8 as typed, compared exactly in the map's page
  bool inPlace = true;            // false: the suffixed copy
};

struct DeleteCounts {
  long long elementsDeleted = 0;
  bool linesChanged = false;  // also a header on the last line, which gets an empty type line
};
TransformResult ResultOf(const DeleteCounts& counts);

// A header of the kind directly followed by "Type=" + typeCode starts an element that is
// dropped up to and including the first line that begins with "[END]" or the kind's own end
// marker (or to the end of the input). Every other line is written unchanged.
DeleteCounts DeleteElements(LineReader& in, LineWriter& out, const DeleteElementsOptions& options);

// Output: the input's stem + "_" + code + "_deleted.mp", or the input itself in place.
FileOutcome DeleteElementsInFile(const std::string& path, const DeleteElementsOptions& options,
                                 const BatchContext& batch);

// The whole batch over the chosen files, final message included.
BatchReport DeleteElementsJob(const DeleteElementsOptions& options,
                              const std::vector<std::string>& files, const BatchContext& batch);

}  // namespace pomvelt
