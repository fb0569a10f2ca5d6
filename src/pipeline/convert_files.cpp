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

bool Translates(const ConvertOptions& options) {
  return options.translation != Translation::kNone;
}

// The compiler's runs of one file, as counts.
struct CompilerCounts {
  long long decompiled = 0;
  long long translated = 0;
  long long compiled = 0;
  long long compileFailures = 0;
};

Counts ToCounts(const CompilerCounts& c) {
  return {{"decompiled", "декомпилировано", c.decompiled},
          {"translated", "переведено", c.translated},
          {"compiled", "скомпилировано", c.compiled},
          {"compileFailures", "ошибок компилятора", c.compileFailures}};
}

std::string CompilerFailure(const ProcessOutcome& run) {
  if (!run.started) return "компилятор не запустился";
  return "компилятор завершился с кодом " + std::to_string(run.exitStatus);
}

}  // namespace

JobFileDialogParams ConvertDialogParams(const ConvertOptions& options) {
  JobFileDialogParams params;
  params.flags = kOfnAllowMultiSelect | kOfnNoValidate;
  if (options.decompile) {
    params.initialFileName = "*.img";
    params.filter = "файлы(*.img)|*.img|Все файлы (*.*)|*.*|";
  } else {
    params.initialFileName = "*.mp";
    params.filter = kMapFilesFilter;
  }
  return params;
}

int ConvertStepsPerFile(const ConvertOptions& options) {
  return (Translates(options) ? 1 : 0) + (options.decompile ? 1 : 0) + (options.compile ? 1 : 0);
}

BatchReport ConvertFiles(const ConvertOptions& options, const std::vector<std::string>& files,
                         ConversionState& state, const BatchContext& batch) {
  JobHost& host = batch.host;
  Progress& progress = host.progress();
  CMapListFile* namesList = options.namesList && !batch.dryRun ? &state.namesList : nullptr;
  std::string namesListPath;
  const TranslationOptions translation{options.lowerCase, options.inPlace};

  // One compiler run, or in a dry run the run it would be; false when it failed.
  const auto compile = [&](const std::string& path, FileOutcome& outcome, CompilerCounts& counts,
                           long long& done) {
    bool ran = true;
    if (batch.dryRun) {
      ++done;
    } else if (const ProcessOutcome run =
                   RunCgpsmapper(path, options.compiler, options.deleteMpAfterCompile, state);
               run.Succeeded()) {
      ++done;
    } else {
      ++counts.compileFailures;
      outcome.result = FileResult::kFailed;
      if (outcome.reason.empty()) outcome.reason = CompilerFailure(run);
      ran = false;
    }
    progress.StepIt();
    return ran;
  };

  const FileStep step = [&](const std::string& path) {
    FileOutcome outcome;  // not started until a step has run
    outcome.path = path;
    CompilerCounts counts;
    std::string map = path;
    if (options.decompile) {
      if (options.decompiler == Decompiler::kCgpsmapper) {
        compile(path, outcome, counts, counts.decompiled);
      } else if (batch.dryRun) {
        ++counts.decompiled;
      }
      map = MakeOutputPath(path, ".mp");
    }

    if (Translates(options)) {
      if (batch.dryRun && options.decompile) {
        ++counts.translated;  // what the map will hold is known only once it is decompiled
      } else {
        FileOutcome translated = options.translation == Translation::kToRussian
                                     ? TranslitToRussianFile(map, translation, namesList, batch)
                                     : RussianToTranslitFile(map, translation, namesList, batch);
        const bool failed = translated.Failed();
        if (!failed) ++counts.translated;
        if (!translated.output.empty()) map = translated.output;
        outcome.Then(std::move(translated));
        if (failed) {  // its message is in the outcome; nothing to compile
          AddCounts(outcome.counts, ToCounts(counts));
          return outcome;
        }
      }
      progress.StepIt();
    }
    if (options.compile) compile(map, outcome, counts, counts.compiled);
    if (!outcome.Failed()) {
      if (counts.decompiled > 0 || counts.compiled > 0) {
        outcome.result = FileResult::kChanged;
      } else if (outcome.result == FileResult::kNotStarted) {
        outcome.result = FileResult::kUnchanged;
      }
    }
    AddCounts(outcome.counts, ToCounts(counts));
    return outcome;
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
    if (options.decompile && options.decompiler == Decompiler::kGpsMapEdit && !batch.dryRun) {
      RunConvertScript(namesListPath, host);
    }
    state.compilerMissing = false;
  };
  hooks.stopBeforeFile = [&]() -> std::optional<std::string> {
    if (state.compilerMissing) return std::string(kCompilerMissingMessage);
    return std::nullopt;
  };
  hooks.afterLoop = [&] {
    if (namesList != nullptr) namesList->FlushAndClose(host);
  };
  return RunBatchJob(batch, files, step, hooks);
}

}  // namespace pomvelt
