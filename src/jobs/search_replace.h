// Search and replace: replaces one text by another in every line of each chosen file, with no
// knowledge of the map format.
#pragma once

#include <string>
#include <vector>

#include "jobs/batch_job.h"
#include "jobs/file_rewrite.h"
#include "jobs/job_host.h"
#include "text/line_io.h"

namespace pomvelt {

// The texts as typed, in UTF-8; each map gets them in its own code page (SearchReplace itself
// takes them in the page of the lines it reads). The initial texts turn the label code 0x4
// into 0x3.
struct SearchReplaceOptions {
  std::string find = "~[0x4]";
  std::string replace = "~[0x3]";
  bool inPlace = true;  // the desktop program always works in place
};

struct SearchReplaceCounts {
  long long occurrencesReplaced = 0;
  long long linesChanged = 0;  // lines that hold an occurrence, when the texts differ
};
TransformResult ResultOf(const SearchReplaceCounts& counts);

// What the job asks of the file dialog: no default extension, "*.mp" as the initial name,
// multiple selection without validation.
JobFileDialogParams SearchReplaceDialogParams();

// Replaces every occurrence of `find` in every line by `replace` - left to right, without
// overlaps, the inserted text not searched again, wherever in the line it stands - and writes
// every line, changed or not, followed by "\r\n". An empty `find` changes nothing.
SearchReplaceCounts SearchReplace(LineReader& in, LineWriter& out,
                                  const SearchReplaceOptions& options);

// Output: the input's stem + "_replaced.mp", which then replaces the input unless inPlace is
// false. A file that cannot be read is reported with its name; a map whose code page cannot
// hold a text is left as it was, with a message naming it and the character.
FileOutcome SearchReplaceInFile(const std::string& path, const SearchReplaceOptions& options,
                                const BatchContext& batch);

// The whole batch over the chosen files, final message included.
BatchReport SearchReplaceJob(const SearchReplaceOptions& options,
                             const std::vector<std::string>& files, const BatchContext& batch);

}  // namespace pomvelt
