// The JobHost of the command line: messages and progress go to standard error, and a cancel
// comes from SIGINT or SIGTERM.
#pragma once

#include <atomic>
#include <ostream>

#include "jobs/job_host.h"

namespace pomvelt {

class TerminalProgress : public Progress {
 public:
  TerminalProgress(std::ostream& err, bool isTerminal, const std::atomic<bool>& interrupted)
      : err_(err), isTerminal_(isTerminal), interrupted_(interrupted) {}
  void SetRange(int lower, int upper, int step) override;
  void Show() override {}  // a signal that arrived is never forgotten
  void SetText(const std::string& text) override;
  int SetPos(int pos) override;
  int StepIt() override { return SetPos(pos_ + step_); }
  void Hide() override;
  bool IsCancelled() const override { return interrupted_.load(); }
  // Clears a redrawn progress line before other text is written.
  void ClearLine();
  // Ends a redrawn progress line where it stands, so that the file it names stays on the screen
  // above the text written next (as the line per file does off a terminal).
  void KeepLine();

 private:
  void Draw();
  std::ostream& err_;
  bool isTerminal_;
  const std::atomic<bool>& interrupted_;
  int lower_ = 0, upper_ = 100, step_ = 1, pos_ = 0, file_ = 0;
  std::string text_;
  bool lineShown_ = false;
};

class TerminalHost : public JobHost {
 public:
  // verbose: a line per file as it finishes; summary: the summary line in place of the bare
  // end message (the commands that write maps).
  TerminalHost(std::ostream& err, bool isTerminal, const std::atomic<bool>& interrupted,
               bool verbose = false, bool summary = false)
      : err_(err), progress_(err, isTerminal, interrupted), verbose_(verbose), summary_(summary) {}
  // With verbose, a line of counts per file.
  void FileDone(const FileOutcome& file) override;
  // "Готово: " (or "Прервано: ") and the summary on one line, the warning when no file changed,
  // and where the originals are kept; a job's own stop message stands on its own line first.
  void BatchEnded(const BatchReport& report) override;
  bool WaitsForBusyFiles() const override { return waits_; }
  void SetWaitsForBusyFiles(bool waits) { waits_ = waits; }
  bool StopRequested() const override { return progress_.IsCancelled(); }
  UndoSession* undoSession() override { return undo_; }
  void SetUndoSession(UndoSession* undo) { undo_ = undo; }
  int messages() const { return messages_; }

 protected:
  void ShowMessageBox(const std::string& text) override;
  Progress& HostProgress() override { return progress_; }

 private:
  std::ostream& err_;
  TerminalProgress progress_;
  bool verbose_;
  bool summary_;
  int messages_ = 0;
  bool waits_ = true;
  UndoSession* undo_ = nullptr;
};

}  // namespace pomvelt
