// Layer deletion: drops every element that has coordinates on one map level and rewrites every
// other element in a reduced form. The level-removal pass of the Eurasia utilities is the same
// transform with other keys.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "jobs/batch_job.h"
#include "jobs/file_rewrite.h"
#include "text/line_io.h"

namespace pomvelt {

// What becomes of the elements that stay: the reduced form below, or every line as it was.
enum class KeptForm { kReduced, kWhole };

struct DeleteLayerOptions {
  std::string layer = "0";  // decimal digits, as typed; also part of the output's name
  bool inPlace = true;      // false: the suffixed copy
  KeptForm kept = KeptForm::kReduced;
};

struct LayerCounts {
  long long elementsDeleted = 0;
  long long elementsReduced = 0;  // kept elements whose written form differs from their lines
  long long linesDropped = 0;     // lines of those elements the written form leaves out
};
TransformResult ResultOf(const LayerCounts& counts);

// Which lines of an element are its coordinate lines, and which of those put the element on
// the level. Both are literal, case-sensitive substring tests.
struct LayerKeys {
  std::vector<std::string> coordinate;  // a line holding any of these is a coordinate line
  std::vector<std::string> onLayer;     // a coordinate line holding any of these: drop it
};

// Layer deletion: coordinate lines hold "Data"; the element is on the layer when one of them
// holds "Data" + layer + "=". The layer text is taken as typed (empty gives "Data=").
LayerKeys DataLayerKeys(std::string_view layer);

// Level removal: coordinate lines hold "Data" or "Origin"; the element is on the level when
// one of them holds "Data" + level + "=" or "Origin" + level + "=".
LayerKeys DataOrOriginLevelKeys(int level);

// Every line outside an element (a line holding none of the six header markers starts none)
// is written unchanged. An element runs from its header to the first line holding an end
// marker; the line after the header is its type line, never examined. Of the lines after it
// the element keeps only the last label, city, direction and coordinate line; it is dropped
// when any coordinate line puts it on the layer, otherwise written as header, type line,
// label, city, direction, coordinates, end - each only when the element had one. So an
// element cut off by the end of the input is written without the lines the input never gave
// it, and a header directly followed by its end line is a complete, empty element.
//
// Kept whole, an element that stays is written with every line it had, each as it was (ended
// by CR LF), whatever keys they hold; which elements are dropped is decided as above.
LayerCounts DeleteLayer(LineReader& in, LineWriter& out, const LayerKeys& keys,
                        KeptForm form = KeptForm::kReduced);

// Output: the input's stem + "_" + layer + "_layer_deleted.mp", or the input itself in place.
FileOutcome DeleteLayerInFile(const std::string& path, const DeleteLayerOptions& options,
                              const BatchContext& batch);

// The whole batch over the chosen files, final message included.
BatchReport DeleteLayerJob(const DeleteLayerOptions& options, const std::vector<std::string>& files,
                           const BatchContext& batch);

}  // namespace pomvelt
