// The conversion job: for every chosen file, decompile (the compiler per file, or the map editor
// once over the whole folder), translate the labels, compile; and a names list of the maps met.
#pragma once

#include <string>
#include <vector>

#include "jobs/batch_job.h"
#include "jobs/job_host.h"
#include "pipeline/conversion_state.h"

namespace pomvelt {

enum class Decompiler { kCgpsmapper, kGpsMapEdit };
enum class Translation { kToRussian, kToTranslit, kNone };

struct ConvertOptions {
  bool decompile = false;  // the chosen files are compiled maps (".img")
  Decompiler decompiler = Decompiler::kCgpsmapper;
  Translation translation = Translation::kNone;
  bool lowerCase = false;  // with a translation: capitals to small letters inside words
  bool inPlace = true;     // the translation replaces the map instead of writing "_rus.mp" ...
  bool namesList = false;  // "names.txt" of the maps' names, beside the chosen files
  bool compile = false;
  bool deleteMpAfterCompile = false;
  // The program run for decompiling and compiling; empty: CompilerProgram() (the environment
  // variable, then the default name) at each run.
  std::string compiler;
  std::vector<std::string> compilerArgs;  // passed before the map's path, to any compiler
  // Leave mkgmap's by-products ("osmmap.img", "osmmap.tdb") where it wrote them.
  bool keepCompilerFiles = false;
};

// Compiled maps when decompiling, Polish-format maps otherwise.
JobFileDialogParams ConvertDialogParams(const ConvertOptions& options);

// One step for the translation unless it is "none", one for decompiling, one for compiling.
int ConvertStepsPerFile(const ConvertOptions& options);

// The whole batch over the chosen files, final message included. Runs on a job thread; every
// outside program is waited for there. A file fails when its translation failed or a compiler
// run did not start or did not exit with status 0; the job stops before the next file with
// "Отсутствует файл cgpsmapper.exe" once the compiler could not be started. A dry run runs no
// program and writes no list or script: it counts the runs it would make and previews the
// translation of maps that exist already.
BatchReport ConvertFiles(const ConvertOptions& options, const std::vector<std::string>& files,
                         ConversionState& state, const BatchContext& batch);

}  // namespace pomvelt
