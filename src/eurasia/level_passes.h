// The two level passes of the Eurasia utilities that are not element deletion: renumbering the
// levels after levels 0 and 1 were removed, and filling empty levels 0 and 1 from the nearest
// non-empty level. Each pass replaces the map in place with one atomic rename, or leaves it as
// it was.
#pragma once

#include <array>
#include <string>

#include "jobs/batch_job.h"
#include "jobs/delete_layer.h"
#include "jobs/file_rewrite.h"
#include "text/line_io.h"

namespace pomvelt {

// Drops every element with a "Data" or "Origin" coordinate line of the level and rewrites the
// others in the reduced form of layer deletion, in place (temporary output: stem + "_" + level
// + "_layer_deleted.mp").
FileOutcome DeleteLevelElements(const std::string& path, int level, const BatchContext& batch);

// Level removal of one map: levels 0 and 1 deleted, then the shift. The passes run through
// temporary files (stem + "_0_layer_deleted.mp", "_1_layer_deleted.mp", "_shifted.mp") and
// only the finished result replaces the map, so the map is never seen half-processed. A pass
// that fails stops the chain with its message and leaves the map as it was. Counts: elements
// deleted by both passes, lines renumbered. A dry run streams the passes through unnamed
// temporary files the system removes, and touches nothing of the map's folder. The elements
// that stay are reduced as in layer deletion, or kept whole.
FileOutcome RemoveLevels(const std::string& path, const BatchContext& batch,
                         KeptForm form = KeptForm::kReduced);

struct ShiftCounts {
  bool headerEndFound = true;  // false: nothing useful was written
  long long linesRenumbered = 0;
  bool linesChanged = false;
};
TransformResult ResultOf(const ShiftCounts& counts, const std::string& path);

// Renumbers levels 2..5 of coordinate keys down by two, replaces the header's level
// definitions (from "Levels=" up to "[END-IMG ID]") by the fixed five-level block, turns a
// "Preprocess=" line into "Preprocess=N", "CodePage=1251", "LblCoding=9" and drops other
// "CodePage=" lines. headerEndFound is false, with nothing useful written, when a "Levels="
// line is not followed by "[END-IMG ID]": the map body would be lost.
ShiftCounts ShiftLevelLines(LineReader& in, LineWriter& out);

// "Не найден конец заголовка карты в файле " + path
std::string HeaderEndMissingMessage(const std::string& path);

// ShiftLevelLines over a file, in place (temporary output: stem + "_shifted.mp").
FileOutcome ShiftLevels(const std::string& path, const BatchContext& batch);

// Which of the levels 0..9 hold no element so far (levels 8 and 9 are never examined). A
// coordinate line of level 0 or 1 right after a line holding "Background" does not count.
struct LevelScan {
  std::array<bool, 10> empty{};
  LevelScan() { empty.fill(true); }
  // The source level K: the lowest non-empty level from 1 up, or -1 when there is none.
  int SourceLevel() const;
};
LevelScan ScanLevels(LineReader& in);

struct FillCounts {
  long long elementsFilled = 0;  // elements that got copied coordinate lines
};

// Writes every line, and after each line of level k ("Data"k or "Origin"k) its level-0 copy
// and, when level 1 is empty, its level-1 copy.
FillCounts CopyLevelLines(LineReader& in, LineWriter& out, int k, bool level1Empty);

// When level 0 is empty and some level from 1 to 7 holds elements, fills the map in place
// (temporary output: stem + "_fixed.mp"); otherwise leaves it untouched (unchanged). Counts:
// the level copied from (none: -1), the elements filled.
FileOutcome FillEmptyLevels(const std::string& path, const BatchContext& batch);

}  // namespace pomvelt
