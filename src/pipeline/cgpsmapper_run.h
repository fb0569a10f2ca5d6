// One run of the map compiler on one path: it decompiles an ".img" into an ".mp" beside it or
// compiles an ".mp"; which one is for the compiler to tell from the file.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pipeline/conversion_state.h"
#include "pipeline/process_runner.h"

namespace pomvelt {

class UndoSession;

enum class CompilerStage { kDecompile, kCompile };

// How the batch calls the compiler.
struct CompilerCall {
  // The program; empty: CompilerProgram() (the environment variable, then the default name).
  std::string compiler;
  std::vector<std::string> extraArgs;  // passed before the map's path, to any compiler
  // Leave mkgmap's by-products ("osmmap.img", "osmmap.tdb") where it wrote them.
  bool keepCompilerFiles = false;
  bool deleteMpAfterCompile = false;
  // Where the source deleteMpAfterCompile deletes goes instead, so that undo can bring it back
  // (it stays where it was when that fails); none: it is deleted.
  UndoSession* undo = nullptr;
  // mkgmap writes into a folder of its own inside the map's folder, and what it wrote is then
  // moved beside the map: for compiles running at once, which would otherwise write one
  // folder's set files together.
  bool ownOutputFolder = false;
};

struct CompilerRun {
  std::string program;  // as looked for
  ProcessOutcome process;
  bool done = false;       // the compiler succeeded and, where it is known, wrote its output
  std::string outputPath;  // the compiled map (mkgmap); "" where the compiler alone knows it
  bool freshName = false;  // the output's name is a number made up for this map
  std::optional<std::string> failure;  // why the file is not done, for the user
  std::optional<std::string> notice;   // what the user must learn of a run that succeeded
};

// True when the program is mkgmap, named with or without its folder and extension.
bool IsMkgmap(const std::string& program);

// The 8-digit name mkgmap gives the compiled map: the map's header "ID=" (1 to 8 decimal
// digits, padded with zeros), else the first run of exactly 8 digits in the file's name, else
// nullopt.
std::optional<std::string> MapNameOf(const std::string& path);

// True for the names of mkgmap's own output folders: ".pomvelt-mkgmap-" and 12 lower-case
// hexadecimal digits.
bool IsRunFolderName(std::string_view name);

// Removes the mkgmap output folders in `folder` that runs killed during a compile left: those
// whose mark no live run holds (see RemoveLeftoverFolder). Every mkgmap compile does this first.
void RemoveLeftoverRunFolders(const std::string& folder);

// Runs the compiler hidden, in the folder of the path, and waits for it; it is stopped when
// `stop` says so (the run then counts as not done). The call: the program, the extra arguments
// and the path; mkgmap compiling gets "--output-dir=FOLDER" and "--mapname=NAME" first, and its
// by-products are removed after the run unless call.keepCompilerFiles. With
// call.ownOutputFolder, FOLDER is a new folder inside the map's: the compiled map is moved
// beside the map once mkgmap succeeded, what else it wrote is moved there in the order of the
// batch's files (the set files only when kept), and the folder is removed. When the compiler
// cannot be started, sets state.compilerMissing (the job reports that before its next file).
// When it fails, the failure says why (ShownFailure adds the end of its output). With
// deleteMpAfterCompile, a compiled path whose name ends in ".mp" is deleted, but only when the
// compiler exited with 0 and, for mkgmap, its output exists and was written by this run:
// otherwise the source is the only copy of the map.
CompilerRun RunCgpsmapper(const std::string& path, CompilerStage stage, const CompilerCall& call,
                          ConversionState& state, const std::function<bool()>& stop = {});

// The failure as the user sees it: with the last 20 lines the compiler wrote, if it wrote any.
std::string ShownFailure(const CompilerRun& run);

// "Отсутствует файл cgpsmapper.exe" for cgpsmapper, "Отсутствует файл " + program otherwise.
std::string CompilerMissingMessage(const std::string& program);

}  // namespace pomvelt
