// What the conversion job keeps besides its options; the desktop program's main dialog owns
// one for the life of the dialog.
#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <string>

#include "jobs/map_list_file.h"

namespace pomvelt {

struct ConversionState {
  // Set when the compiler could not be started; the job stops before its next file.
  std::atomic<bool> compilerMissing = false;  // also set by the workers of a parallel batch
  // The program that could not be started, as it was looked for.
  std::string missingCompiler;
  // The names list "names.txt", filled by the translations.
  CMapListFile namesList;
  // The compiled maps of this job, each with the map it came from: a second map that would
  // overwrite one of them is not compiled.
  std::map<std::string, std::string> compiledOutputs;
  // Guards missingCompiler and compiledOutputs: the compiles of a parallel batch run at once.
  std::mutex mutex;
};

}  // namespace pomvelt
