// The conversion job: for every chosen file, decompile (the compiler per file, or the map editor
// once over the whole folder), translate the labels, compile; and a names list of the maps met.
#pragma once

#include "jobs/batch_job.h"
#include "jobs/job_host.h"
#include "jobs/main_options.h"
#include "pipeline/conversion_state.h"

namespace pomvelt {

inline constexpr const char* kCompilerMissingMessage = "Отсутствует файл cgpsmapper.exe";

// Compiled maps when decompiling, Polish-format maps otherwise.
JobFileDialogParams ConvertDialogParams(const MainOptions& options);

// One step for the translation unless it is "none", one for decompiling, one for compiling.
int ConvertStepsPerFile(const MainOptions& options);

// The whole job, final message included. Runs on a job thread; every outside program is waited
// for there. A file fails (BatchResult::filesFailed) when its translation failed or a compiler
// run did not start or did not exit with status 0; the job stops before the next file with
// "Отсутствует файл cgpsmapper.exe" once the compiler could not be started.
BatchResult ConvertFiles(const MainOptions& options, ConversionState& state, JobHost& host);

}  // namespace pomvelt
