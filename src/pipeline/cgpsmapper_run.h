// One run of the map compiler on one path: it decompiles an ".img" into an ".mp" beside it or
// compiles an ".mp"; which one is for the compiler to tell from the file.
#pragma once

#include <string>

#include "pipeline/conversion_state.h"
#include "pipeline/process_runner.h"

namespace pomvelt {

// Runs the compiler (`compiler`, see CompilerProgram) hidden with the path as its one argument
// and waits for it. When it cannot be started, sets state.compilerMissing (the job reports that
// before its next file). With deleteMpAfterCompile, deletes the path after the run, but only
// when the file name ends in ".mp" and the compiler exited with status 0: a failed compile keeps
// its source, which after an in-place translation is the only copy of the translated map.
ProcessOutcome RunCgpsmapper(const std::string& path, const std::string& compiler,
                             bool deleteMpAfterCompile, ConversionState& state);

}  // namespace pomvelt
