#include "cli/terminal_host.h"

#include <filesystem>

#include "jobs/batch_summary.h"
#include "os/path.h"

namespace pomvelt {

void TerminalProgress::SetRange(int lower, int upper, int step) {
  lower_ = lower;
  upper_ = upper;
  step_ = step;
  pos_ = lower;
  file_ = 0;
}

void TerminalProgress::SetText(const std::string& text) {
  text_ = text;
  ++file_;
  if (isTerminal_) {
    Draw();
  } else {
    err_ << "[" << file_ << "] " << text_ << '\n' << std::flush;
  }
}

int TerminalProgress::SetPos(int pos) {
  const int previous = pos_;
  pos_ = pos;
  if (isTerminal_ && lineShown_) Draw();
  return previous;
}

void TerminalProgress::Hide() {
  ClearLine();
}

void TerminalProgress::Draw() {
  const long long span = static_cast<long long>(upper_) - lower_;
  const long long percent = span > 0 ? (static_cast<long long>(pos_) - lower_) * 100 / span : 0;
  err_ << "\r\x1b[K[" << percent << "%] " << text_ << std::flush;
  lineShown_ = true;
}

void TerminalProgress::ClearLine() {
  if (lineShown_) err_ << "\r\x1b[K" << std::flush;
  lineShown_ = false;
}

void TerminalProgress::KeepLine() {
  if (lineShown_) err_ << '\n';
  lineShown_ = false;
}

void TerminalHost::ShowMessageBox(const std::string& text) {
  progress_.KeepLine();
  err_ << text << '\n' << std::flush;
  ++messages_;
}

void TerminalHost::FileDone(const FileOutcome& file) {
  if (!verbose_) return;
  progress_.ClearLine();
  err_ << FileLine(file) << '\n' << std::flush;
}

void TerminalHost::BatchEnded(const BatchReport& report) {
  if (!summary_) {
    MessageBox(report.endMessage);
    return;
  }
  progress_.ClearLine();
  if (report.Stopped()) {
    MessageBox(report.endMessage);
    err_ << "Итого: " << SummaryLine(report) << '\n';
  } else {
    err_ << report.endMessage << ": " << SummaryLine(report) << '\n';
  }
  if (const std::string warning = NothingChangedWarning(report); !warning.empty()) {
    err_ << warning << '\n';
  }
  for (const UndoFacts& undo : report.undo) {
    // The batch folder sits in ".pomvelt-undo" in the maps' folder, which undo is given.
    const std::string mapFolder = NameOf(PathOf(undo.folder).parent_path().parent_path());
    std::string quoted;
    for (const char c : mapFolder) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    err_ << UndoLine(undo) << "\nОтменить: pomvelt-cli undo '" << quoted << "'\n";
  }
  err_ << std::flush;
}

}  // namespace pomvelt
