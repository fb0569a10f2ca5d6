#include "pipeline/convert_files.h"

#include <optional>
#include <string>

#include "pipeline/cgpsmapper_run.h"
#include "pipeline/convert_script.h"
#include "text/strings.h"
#include "translit/russian_to_translit.h"
#include "translit/translit_to_russian.h"

namespace pomvelt {

namespace {

constexpr int kTranslitToRussian = 0;
constexpr int kRussianToTranslit = 1;
constexpr int kDecompilerGpsMapEdit = 1;

bool Translates(const MainOptions& options) {
  return options.m_nTranslit == kTranslitToRussian || options.m_nTranslit == kRussianToTranslit;
}

}  // namespace

JobFileDialogParams ConvertDialogParams(const MainOptions& options) {
  JobFileDialogParams params;
  params.flags = kOfnAllowMultiSelect | kOfnNoValidate;
  if (options.m_bDecompile) {
    params.initialFileName = "*.img";
    params.filter = "файлы(*.img)|*.img|Все файлы (*.*)|*.*|";
  } else {
    params.initialFileName = "*.mp";
    params.filter = kMapFilesFilter;
  }
  return params;
}

int ConvertStepsPerFile(const MainOptions& options) {
  return (Translates(options) ? 1 : 0) + (options.m_bDecompile ? 1 : 0) +
         (options.m_bCompile ? 1 : 0);
}

BatchResult ConvertFiles(const MainOptions& options, ConversionState& state, JobHost& host) {
  Progress& progress = host.progress();
  CMapListFile* namesList = options.m_bMakeFileList ? &state.m_listFile : nullptr;
  std::string namesListPath;

  // One compiler run; false when the file did not get what it asked for.
  const auto compile = [&](const std::string& path) {
    const bool ran = RunCgpsmapper(path, options, state).Succeeded();
    progress.StepIt();
    return ran;
  };

  const FileStep step = [&](const std::string& path) {
    bool ok = true;
    std::string map = path;
    if (options.m_bDecompile) {
      if (options.m_nDecompiler != kDecompilerGpsMapEdit) ok = compile(path);
      map = MakeOutputPath(path, ".mp");
    }

    if (Translates(options)) {
      const std::optional<std::string> translated =
          options.m_nTranslit == kTranslitToRussian
              ? TranslitToRussianFile(map, options, namesList, host)
              : RussianToTranslitFile(map, options, namesList, host);
      if (!translated) return false;  // its message has been shown; nothing to compile
      progress.StepIt();
      map = *translated;  // the new file, or the same path when working in place
    }
    if (options.m_bCompile) ok = compile(map) && ok;
    return ok;
  };

  BatchHooks hooks;
  hooks.stepsPerFile = ConvertStepsPerFile(options);
  hooks.stepAfterEachFile = false;
  hooks.beforeProgress = [&](const std::vector<std::string>& paths) {
    // All chosen files come from one folder; the list and the script go there.
    namesListPath = std::string(paths.empty() ? std::string_view() : FolderPart(paths.back())) +
                    kNamesListFileName;
    if (namesList != nullptr) namesList->OpenNamesList(namesListPath, host);
  };
  hooks.beforeLoop = [&] {
    if (options.m_bDecompile && options.m_nDecompiler == kDecompilerGpsMapEdit) {
      RunConvertScript(namesListPath, host);
    }
    state.m_bCompilerMissing = 0;
  };
  hooks.stopBeforeFile = [&]() -> std::optional<std::string> {
    if (state.m_bCompilerMissing) return std::string(kCompilerMissingMessage);
    return std::nullopt;
  };
  hooks.afterLoop = [&] {
    if (namesList != nullptr) namesList->FlushAndClose(host);
  };
  return RunBatchJob(host, ConvertDialogParams(options), step, hooks);
}

}  // namespace pomvelt
