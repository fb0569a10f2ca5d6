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

ProcessOutcome RunCgpsmapper(const std::string& path, const MainOptions& options,
                             ConversionState& state) {
  const ProcessOutcome outcome =
      ProcessRunner::Run(CompilerProgram(state.compiler), {path}, WindowMode::kHidden);
  if (!outcome.started) {
    state.m_bCompilerMissing = 1;
    return outcome;
  }
  // A source that cannot be removed only costs disk space; the map itself is safe.
  if (options.m_bDeleteMpAfterCompile && outcome.exitStatus == 0 && NameEndsInMp(path)) {
    RemoveFileQuietly(path);
  }
  return outcome;
}

}  // namespace pomvelt
