// Re-encoding maps: every line of a map from the code page its header declares into another,
// the header made to declare the new page.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "jobs/batch_job.h"
#include "jobs/file_rewrite.h"
#include "jobs/job_host.h"
#include "text/code_page.h"
#include "text/line_io.h"

namespace pomvelt {

struct RecodeOptions {
  CodePage to{CodePage::kUtf8};
  // "?" in place of each character the target cannot hold (and of bytes the map's own page
  // does not define), instead of leaving the map as it was.
  bool replaceMissing = false;
  bool inPlace = true;  // otherwise the copy stem + "_cp" + page + ".mp"
};

struct RecodeCounts {
  std::size_t linesChanged = 0;  // lines whose bytes differ, added header lines included
  std::size_t charactersReplaced = 0;
};

// Writes every line in the target page. The header's first "CodePage=" line gets the target's
// number (a "CodePage=" line is added after "[IMG ID]" when there is none), an "LblCoding=6"
// line becomes "LblCoding=9" and one is added when there is none, since every target page
// needs 8-bit labels. Returns why the map cannot be converted (its output is then to be
// dropped): its page is not supported, a line holds a character the target lacks or bytes its
// own page does not define (without replaceMissing), or it has no header to declare a page
// other than the default in.
std::optional<std::string> Recode(LineReader& in, LineWriter& out, const RecodeOptions& options,
                                  RecodeCounts& counts);

// The output name of a copy: stem + "_cp65001.mp".
std::string RecodeOutputPath(const std::string& path, CodePage to);

// One map: the copy or, in place, the map itself; a map that cannot be converted is named with
// the reason and keeps its bytes.
FileOutcome RecodeFile(const std::string& path, const RecodeOptions& options,
                       const BatchContext& batch);

// The whole batch over the chosen files, final message included.
BatchReport RecodeJob(const RecodeOptions& options, const std::vector<std::string>& files,
                      const BatchContext& batch);

}  // namespace pomvelt
