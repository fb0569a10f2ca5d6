// Layer deletion: drops every element that has coordinates on one map level and rewrites every
// other element in a reduced form. The level-removal pass of the Eurasia utilities is the same
// transform with other keys.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "jobs/batch_job.h"
#include "jobs/job_host.h"
#include "jobs/main_options.h"
#include "text/line_io.h"

namespace pomvelt {

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
void DeleteLayer(LineReader& in, LineWriter& out, const LayerKeys& keys);

// Output: the input's stem + "_" + m_strLayer + "_layer_deleted.mp", or the input itself
// when m_bDeleteInPlace is set. False when the file failed (the failure has been shown).
bool DeleteLayerInFile(const std::string& path, const MainOptions& options, JobHost& host);

// The whole job: file dialog, progress, every chosen file, final message.
BatchResult DeleteLayerJob(const MainOptions& options, JobHost& host);

}  // namespace pomvelt
