// What a batch job needs from whoever runs it: message boxes and a progress window, and a word
// when the batch has ended. The desktop program, the command line and the tests each provide
// one. The files come from the caller: the desktop program asks its file dialog with the
// parameters below before it starts a batch, the command line takes its arguments.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace pomvelt {

struct BatchReport;
struct FileOutcome;

// Flags of the file-open dialog, with the values the jobs have always passed.
inline constexpr unsigned kOfnOverwritePrompt = 0x0002;
inline constexpr unsigned kOfnHideReadOnly = 0x0004;
inline constexpr unsigned kOfnNoValidate = 0x0100;
inline constexpr unsigned kOfnAllowMultiSelect = 0x0200;

// The filter offered by the editing jobs: description and pattern pairs, each ended by "|".
inline constexpr const char* kMapFilesFilter =
    "файлы(*.mp)|*.mp|файлы(*.txt)|*.txt|Все файлы (*.*)|*.*|";

inline constexpr const char* kFileDialogTitle = "Выбрать все - Ctr+A";

// What a job asks of the file dialog. Always a multi-select file-open dialog.
struct JobFileDialogParams {
  std::optional<std::string> defaultExtension;  // e.g. ".mp"
  std::optional<std::string> initialFileName;   // e.g. "*.mp"
  unsigned flags = kOfnAllowMultiSelect | kOfnHideReadOnly | kOfnOverwritePrompt;
  std::string filter = kMapFilesFilter;
  std::string title = kFileDialogTitle;
};

// The parameters shared by element deletion, type replacement and layer deletion.
inline JobFileDialogParams MapEditDialogParams() {
  JobFileDialogParams p;
  p.defaultExtension = ".mp";
  return p;
}

// The progress window as a job sees it. Every call may come from a job thread.
class Progress {
 public:
  virtual ~Progress() = default;
  virtual void SetRange(int lower, int upper, int step) = 0;
  virtual void Show() = 0;  // also clears the cancel request
  virtual void SetText(const std::string& text) = 0;
  virtual int SetPos(int pos) = 0;  // returns the previous position
  virtual int StepIt() = 0;
  virtual void Hide() = 0;
  virtual bool IsCancelled() const = 0;
};

class UndoSession;

class JobHost {
 public:
  virtual ~JobHost() = default;
  // Where in-place runs keep the originals of the maps they replace; none: undo is off.
  virtual UndoSession* undoSession() { return nullptr; }
  // Shows a message (UTF-8) and returns when the user has dismissed it. Called from a worker of
  // a parallel batch, it is kept and shown when the batch reaches that file, in file order.
  void MessageBox(const std::string& text);
  // The progress window; from a worker of a parallel batch, one that keeps the calls for the
  // same moment, asking the real one only whether the user cancelled.
  Progress& progress();
  // Whether a map that another run holds locked is waited for (polling the cancel request)
  // rather than refused.
  virtual bool WaitsForBusyFiles() const { return true; }
  // Each file as it finishes, after its messages; nothing by default.
  virtual void FileDone(const FileOutcome&) {}
  // The batch's last word, after the progress window is hidden: by default its end message
  // ("Готово", "Прервано", ...) in a message box; a front end may add the summary.
  virtual void BatchEnded(const BatchReport& report);
  // True once the job must stop inside the current file as well (the command line's SIGINT,
  // SIGTERM, SIGHUP): the file's partial output is removed, a running outside program is
  // stopped, the file counts as not done and the job ends with "Прервано". The desktop
  // program's Cancel is not this: it takes effect between files.
  virtual bool StopRequested() const { return false; }

 protected:
  virtual void ShowMessageBox(const std::string& text) = 0;
  virtual Progress& HostProgress() = 0;
};

}  // namespace pomvelt
