#include "jobs/batch_job.h"

#include "text/strings.h"

namespace pomvelt {

BatchResult RunBatchJob(JobHost& host, const JobFileDialogParams& params, const FileStep& step) {
  return RunBatchJob(host, params, step, BatchHooks{});
}

BatchResult RunBatchJob(JobHost& host, const JobFileDialogParams& params, const FileStep& step,
                        const BatchHooks& hooks) {
  BatchResult result;
  const std::optional<std::vector<std::string>> chosen = host.ChooseFiles(params);
  if (!chosen) return result;
  result.filesChosen = true;
  const std::vector<std::string>& paths = *chosen;
  const int count = static_cast<int>(paths.size());

  if (hooks.beforeProgress) hooks.beforeProgress(paths);
  Progress& progress = host.progress();
  progress.SetRange(0, count * hooks.stepsPerFile, 1);
  progress.Show();
  if (hooks.beforeLoop) hooks.beforeLoop();

  std::string message = kDoneMessage;
  for (const std::string& path : paths) {
    if (progress.IsCancelled()) {
      message = kAbortedMessage;
      result.cancelled = true;
      break;
    }
    if (hooks.stopBeforeFile) {
      if (std::optional<std::string> stop = hooks.stopBeforeFile()) {
        message = *stop;
        result.stopped = true;
        break;
      }
    }
    progress.SetText(std::string(FileNamePart(path)));
    if (!step(path)) ++result.filesFailed;
    ++result.filesDone;
    if (hooks.stepAfterEachFile) progress.StepIt();
  }

  if (hooks.afterLoop) hooks.afterLoop();
  progress.Hide();
  host.MessageBox(message);
  return result;
}

std::string MakeOutputPath(const std::string& inputPath, const std::string& suffix) {
  const std::size_t nameStart = inputPath.size() - FileNamePart(inputPath).size();
  const std::size_t dot = inputPath.rfind('.');
  const std::size_t stemEnd =
      (dot == std::string::npos || dot < nameStart) ? inputPath.size() : dot;
  return inputPath.substr(0, stemEnd) + suffix;
}

}  // namespace pomvelt
