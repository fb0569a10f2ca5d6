// Element deletion: drops every element of one kind whose type line is exactly the given code.
#pragma once

#include <string>
#include <string_view>

#include "jobs/batch_job.h"
#include "jobs/job_host.h"
#include "jobs/main_options.h"
#include "jobs/polish_format.h"
#include "text/line_io.h"

namespace pomvelt {

// A header of the kind directly followed by "Type=" + typeCode starts an element that is
// dropped up to and including the first line that begins with "[END]" or the kind's own end
// marker (or to the end of the input). Every other line is written unchanged.
void DeleteElements(LineReader& in, LineWriter& out, ElementKind kind, std::string_view typeCode);

// Output: the input's stem + "_" + code + "_deleted.mp", or the input itself when
// m_bDeleteInPlace is set. False when the file failed (the failure has been shown).
bool DeleteElementsInFile(const std::string& path, const std::string& typeCode,
                          const MainOptions& options, JobHost& host);

// The whole job: file dialog, progress, every chosen file, final message.
BatchResult DeleteElementsJob(const MainOptions& options, JobHost& host);

}  // namespace pomvelt
