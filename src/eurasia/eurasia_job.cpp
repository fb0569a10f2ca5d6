#include "eurasia/eurasia_job.h"

#include "eurasia/level_passes.h"
#include "jobs/file_rewrite.h"
#include "text/file_io.h"
#include "text/strings.h"

namespace pomvelt {

JobFileDialogParams EurasiaDialogParams() {
  JobFileDialogParams p;
  p.initialFileName = "*.mp";
  p.flags = kOfnAllowMultiSelect | kOfnNoValidate;
  return p;
}

FileOutcome AddPreviewEntry(const std::string& path, CMapListFile& list) {
  FileOutcome outcome;
  outcome.path = path;
  InputFile input;
  if (!input.Open(path)) {
    outcome.Fail(CannotOpenNamedForReading(path), SystemReason(input.Error()));
    return outcome;
  }
  outcome.result = FileResult::kUnchanged;
  LineReader reader(input);
  std::string_view line;
  while (reader.ReadLine(line)) {
    if (!Contains(line, "Name=")) continue;
    list.AddText(";");
    list.AddMapName(line);
    list.AddLineEnd();
    list.AddText("img=");
    list.AddImgName(path);
    return outcome;
  }
  if (reader.Failed()) outcome.Fail(ReadErrorMessage(path), SystemReason(input.Error()));
  return outcome;
}

BatchReport EurasiaJob(const EurasiaOptions& options, const std::vector<std::string>& files,
                       CMapListFile& list, const BatchContext& batch) {
  const bool makeList = options.makeTdbList && !batch.dryRun;
  BatchHooks hooks;
  hooks.stepAfterEachFile = false;  // only a file that went through a remedy advances the bar
  hooks.beforeProgress = [&](const std::vector<std::string>& paths) {
    if (makeList && !paths.empty()) {
      list.OpenPreviewList(std::string(FolderPart(paths.back())) + kPreviewListFileName,
                           batch.host);
    }
  };
  hooks.afterLoop = [&] {
    if (!makeList) return;
    list.AddText("[End-Files]");
    list.AddLineEnd();
    list.FlushAndClose(batch.host);
  };
  return RunBatchJob(
      batch, files,
      [&](const std::string& path) {
        FileOutcome outcome;
        outcome.path = path;
        if (options.action != EurasiaAction::kNone) {
          outcome = options.action == EurasiaAction::kRemoveLevels
                        ? RemoveLevels(path, batch, options.kept)
                        : FillEmptyLevels(path, batch);
          // The remedy's message comes before the bar moves, the list entry's after it.
          ShowNewMessages(batch.host, outcome);
          batch.host.progress().StepIt();
          // A cancel dropped the remedy of a file that ran in parallel: no entry for it.
          if (outcome.result == FileResult::kNotStarted && batch.jobs > 1) return outcome;
        }
        if (makeList) {
          // Entries join the list in file order, also when files run in parallel.
          CMapListFile own;
          FileOutcome entry = AddPreviewEntry(path, own);
          InFileOrder([&list, text = own.Text()] { list.AddText(text); });
          if (entry.Failed() || outcome.result == FileResult::kNotStarted) {
            entry.counts.clear();
            entry.bytesIn = outcome.bytesIn;
            entry.bytesOut = outcome.bytesOut;
            outcome.Then(std::move(entry));
          }
        }
        if (outcome.result == FileResult::kNotStarted) outcome.result = FileResult::kUnchanged;
        return outcome;
      },
      hooks);
}

}  // namespace pomvelt
