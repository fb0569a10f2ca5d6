// Search and replace: replaces one text by another in every line of each chosen file, with no
// knowledge of the map format.
#pragma once

#include <string>
#include <string_view>

#include "jobs/batch_job.h"
#include "jobs/job_host.h"
#include "text/line_io.h"

namespace pomvelt {

// The options of the search-and-replace dialog, with its member names and initial values:
// two label codes, so that the dialog opens ready to turn the code 0x4 into 0x3. Both texts
// are code page 1251 bytes.
struct SearchReplaceOptions {
  std::string m_strFind = "~[0x4]";
  std::string m_strReplace = "~[0x3]";
};

// What the job asks of the file dialog: no default extension, "*.mp" as the initial name,
// multiple selection without validation.
JobFileDialogParams SearchReplaceDialogParams();

// Replaces every occurrence of `find` in every line by `replace` - left to right, without
// overlaps, the inserted text not searched again, wherever in the line it stands - and writes
// every line, changed or not, followed by "\r\n". An empty `find` changes nothing.
void SearchReplace(LineReader& in, LineWriter& out, std::string_view find,
                   std::string_view replace);

// Output: the input's stem + "_replaced.mp", which then replaces the input. The desktop
// program always works in place; `inPlace` false keeps the output beside the input instead.
// A file that cannot be read is reported with its name. False when the file failed.
bool SearchReplaceInFile(const std::string& path, const SearchReplaceOptions& options,
                         JobHost& host, bool inPlace = true);

// The whole job: file dialog, progress, every chosen file, final message.
BatchResult SearchReplaceJob(const SearchReplaceOptions& options, JobHost& host,
                             bool inPlace = true);

}  // namespace pomvelt
