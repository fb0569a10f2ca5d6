#include "jobs/batch_job.h"

#include "jobs/undo_journal.h"
#include "text/strings.h"

namespace pomvelt {

RewriteRequest BatchRequest(const BatchContext& batch, const std::string& input,
                            const std::string& output, bool inPlace) {
  RewriteRequest r;
  r.inputPath = input;
  r.outputPath = output;
  r.inPlace = inPlace;
  r.dryRun = batch.dryRun;
  r.host = &batch.host;
  return r;
}

void JobHost::BatchEnded(const BatchReport& report) {
  MessageBox(report.endMessage);
}

void ShowNewMessages(JobHost& host, FileOutcome& outcome) {
  for (; outcome.shown < outcome.messages.size(); ++outcome.shown) {
    host.MessageBox(outcome.messages[outcome.shown]);
  }
}

BatchReport RunBatchJob(const BatchContext& batch, const std::vector<std::string>& files,
                        const FileStep& step, const BatchHooks& hooks) {
  JobHost& host = batch.host;
  BatchReport report;
  report.dryRun = batch.dryRun;
  report.started = std::chrono::system_clock::now();
  report.files.reserve(files.size());
  const int count = static_cast<int>(files.size());

  if (hooks.beforeProgress) hooks.beforeProgress(files);
  Progress& progress = host.progress();
  progress.SetRange(0, count * hooks.stepsPerFile, 1);
  progress.Show();
  if (hooks.beforeLoop) hooks.beforeLoop();

  report.end = BatchEnd::kDone;
  report.endMessage = kDoneMessage;
  for (const std::string& path : files) {
    if (progress.IsCancelled()) {
      report.end = BatchEnd::kCancelled;
      report.endMessage = kAbortedMessage;
      break;
    }
    if (hooks.stopBeforeFile) {
      if (std::optional<std::string> stop = hooks.stopBeforeFile()) {
        report.end = BatchEnd::kStopped;
        report.endMessage = *stop;
        break;
      }
    }
    progress.SetText(std::string(FileNamePart(path)));
    FileOutcome outcome = step(path);
    outcome.path = path;
    ShowNewMessages(host, outcome);
    host.FileDone(outcome);
    report.files.push_back(std::move(outcome));
    if (hooks.stepAfterEachFile) progress.StepIt();
  }
  for (std::size_t i = report.files.size(); i < files.size(); ++i) {
    FileOutcome left;
    left.path = files[i];
    report.files.push_back(std::move(left));
  }

  // A stop inside the last file left it undone: the job did not finish.
  if (report.end == BatchEnd::kDone && host.StopRequested()) {
    report.end = BatchEnd::kCancelled;
    report.endMessage = kAbortedMessage;
  }
  if (hooks.afterLoop) hooks.afterLoop();
  progress.Hide();
  report.finished = std::chrono::system_clock::now();
  if (const UndoSession* undo = host.undoSession(); undo != nullptr && !batch.dryRun) {
    report.undo = undo->Facts();
  }
  host.BatchEnded(report);
  return report;
}

std::string MakeOutputPath(const std::string& inputPath, const std::string& suffix) {
  const std::size_t nameStart = inputPath.size() - FileNamePart(inputPath).size();
  const std::size_t dot = inputPath.rfind('.');
  const std::size_t stemEnd =
      (dot == std::string::npos || dot < nameStart) ? inputPath.size() : dot;
  return inputPath.substr(0, stemEnd) + suffix;
}

}  // namespace pomvelt
