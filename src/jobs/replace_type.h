// Type replacement: gives every polygon (or line) of one type code a new type code.
#pragma once

#include <string>
#include <string_view>

#include "jobs/batch_job.h"
#include "jobs/job_host.h"
#include "jobs/main_options.h"
#include "jobs/polish_format.h"
#include "text/line_io.h"

namespace pomvelt {

// Only the line directly after a header of the kind can change: when it is exactly
// "Type=" + fromCode it becomes "Type=" + toCode. Every other line is written unchanged; a
// header on the last line is followed by an empty line.
void ReplaceType(LineReader& in, LineWriter& out, ElementKind kind, std::string_view fromCode,
                 std::string_view toCode);

// Output: the input's stem + "_" + fromCode + "_replaced.mp", or the input itself when
// m_bReplaceInPlace is set. Reads m_nReplaceKind. False when the file failed (already shown).
bool ReplaceTypeInFile(const std::string& path, const std::string& fromCode,
                       const std::string& toCode, const MainOptions& options, JobHost& host);

// The whole job: file dialog, progress, every chosen file, final message.
BatchResult ReplaceTypeJob(const MainOptions& options, JobHost& host);

}  // namespace pomvelt
