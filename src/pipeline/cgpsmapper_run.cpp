#include "pipeline/cgpsmapper_run.h"

#include "text/file_io.h"
#include "text/strings.h"

namespace pomvelt {

namespace {

bool NameEndsInMp(const std::string& path) {
  const std::string_view name = FileNamePart(path);
  return name.size() >= 3 && name.substr(name.size() - 3) == ".mp";
}

}  // namespace

ProcessOutcome RunCgpsmapper(const std::string& path, const std::string& compiler,
                             bool deleteMpAfterCompile, ConversionState& state) {
  const ProcessOutcome outcome =
      ProcessRunner::Run(CompilerProgram(compiler), {path}, WindowMode::kHidden);
  if (!outcome.started) {
    state.compilerMissing = true;
    return outcome;
  }
  // A source that cannot be removed only costs disk space; the map itself is safe.
  if (deleteMpAfterCompile && outcome.exitStatus == 0 && NameEndsInMp(path)) {
    RemoveFileQuietly(path);
  }
  return outcome;
}

}  // namespace pomvelt
