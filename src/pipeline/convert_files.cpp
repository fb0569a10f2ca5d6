#include "pipeline/convert_files.h"

#include <functional>
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

CompilerRecord RecordOf(const CompilerRun& run, CompilerStage stage) {
  CompilerRecord r;
  r.stage = stage == CompilerStage::kCompile ? "compile" : "decompile";
  r.program = run.program;
  r.started = run.process.started;
  r.stopped = run.process.stopped;
  r.exitStatus = run.process.exitStatus;
  r.output = run.process.output;
  r.compiledMap = run.outputPath;
  r.freshName = run.freshName;
  return r;
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
  CMapListFile* namesList = options.namesList && !batch.dryRun ? &state.namesList : nullptr;
  std::string namesListPath;
  const TranslationOptions translation{options.lowerCase, options.inPlace};

  const CompilerCall call{options.compiler,          options.compilerArgs,
                          options.keepCompilerFiles, options.deleteMpAfterCompile,
                          host.undoSession(),        batch.jobs > 1 && files.size() > 1};
  // A signal on the command line stops a running compiler as well; its file is not done.
  const std::function<bool()> stop = [&host] { return host.StopRequested(); };

  // One compiler run, or in a dry run the run it would be.
  const auto compile = [&](const std::string& path, CompilerStage stage, FileOutcome& outcome,
                           CompilerCounts& counts, long long& done) {
    if (batch.dryRun) {
      ++done;
      host.progress().StepIt();
      return;
    }
    const CompilerRun run = RunCgpsmapper(path, stage, call, state, stop);
    host.progress().StepIt();
    outcome.compilerRuns.push_back(RecordOf(run, stage));
    if (run.done) {
      ++done;
      if (run.notice) outcome.messages.push_back(*run.notice);
      return;
    }
    if (run.process.stopped) return;  // not done; the batch ends with "Прервано"
    ++counts.compileFailures;
    // The compiler's exit is no system's reason: its message says it already, the reason only
    // keeps it for the summary.
    const ProcessOutcome& process = run.process;
    if (run.failure) {
      outcome.Fail(ShownFailure(run));
    } else {  // not started: the batch ends with the missing compiler's message
      outcome.result = FileResult::kFailed;
      outcome.output.clear();
    }
    const bool missing = !process.started && !run.failure;  // not a name taken already
    if (outcome.reason.empty() && (missing || (process.started && process.exitStatus != 0))) {
      outcome.reason = CompilerFailure(process);
    }
  };

  const FileStep step = [&](const std::string& path) {
    FileOutcome outcome;  // not started until a step has run
    outcome.path = path;
    CompilerCounts counts;
    std::string map = path;
    if (options.decompile) {
      if (options.decompiler == Decompiler::kCgpsmapper) {
        compile(path, CompilerStage::kDecompile, outcome, counts, counts.decompiled);
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
        if (!failed && translated.result != FileResult::kNotStarted) ++counts.translated;
        if (!translated.output.empty()) map = translated.output;
        outcome.Then(std::move(translated));
        if (failed) {  // its message is in the outcome; nothing to compile
          AddCounts(outcome.counts, ToCounts(counts));
          return outcome;
        }
      }
      host.progress().StepIt();
    }
    if (options.compile && !host.StopRequested()) {
      compile(map, CompilerStage::kCompile, outcome, counts, counts.compiled);
    }
    // Stopped in hand: the file is not done; what an earlier stage finished is told as it is.
    if (host.StopRequested()) {
      AddCounts(outcome.counts, ToCounts(counts));
      return outcome;
    }
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
    state.compiledOutputs.clear();
  };
  hooks.stopBeforeFile = [&]() -> std::optional<std::string> {
    if (state.compilerMissing) {
      const std::lock_guard lock(state.mutex);
      return CompilerMissingMessage(state.missingCompiler);
    }
    return std::nullopt;
  };
  hooks.afterLoop = [&] {
    if (namesList != nullptr) namesList->FlushAndClose(host);
  };
  // Outside programs run one per job once the program is known to be there. One that cannot be
  // found makes the batch go one file at a time: its start fails on the first file and must
  // stop the batch before any later file begins, as it does with one job.
  const bool runsPrograms =
      options.compile || (options.decompile && options.decompiler == Decompiler::kCgpsmapper);
  const bool oneByOne = runsPrograms && !batch.dryRun &&
                        !ProcessRunner::FindProgram(CompilerProgram(options.compiler));
  const BatchContext oneAtATime{batch.host, batch.dryRun, 1};
  return RunBatchJob(oneByOne ? oneAtATime : batch, files, step, hooks);
}

}  // namespace pomvelt
