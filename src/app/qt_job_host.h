// The desktop program's JobHost. A job may run on its own thread, but Qt shows windows only
// from the GUI thread: the file dialog and the message boxes run there while the job thread
// waits for the answer. A job already on the GUI thread calls them directly (a blocking call
// to one's own thread would never return).
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "jobs/batch_job.h"
#include "jobs/job_host.h"
#include "jobs/undo_journal.h"
#include "widgets/progress_wnd.h"

class QtJobHost : public pomvelt::JobHost {
 public:
  // owner: the dialog the windows are kept above. Must live on the GUI thread.
  QtJobHost(QWidget* owner, CProgressWnd& progress) : owner_(owner), progress_(progress) {}

  // Stand-ins for the file dialog and the message box (tests answer them from a script); empty,
  // the real ones. Both are called on the GUI thread. A dialog opened from another copies them.
  std::function<std::optional<std::vector<std::string>>(const pomvelt::JobFileDialogParams&)>
      chooser;
  std::function<void(const std::string& text)> shower;

  // The file dialog with the job's parameters: the chosen full paths in the dialog's order, or
  // nullopt when the user cancelled.
  std::optional<std::vector<std::string>> ChooseFiles(const pomvelt::JobFileDialogParams& params);
  // One message box: the end message, the summary, the failed files, the warning.
  void BatchEnded(const pomvelt::BatchReport& report) override;
  pomvelt::UndoSession* undoSession() override { return undo_; }
  // The running job's undo session (nullptr: none); its final message then says it can be
  // taken back.
  void SetUndoSession(pomvelt::UndoSession* undo) { undo_ = undo; }

  // How many maps a job works on at once (the processors by default), and the context of a
  // batch run through this host. With one, each map is replaced before the next one begins, so
  // that a Cancel leaves every map after the one in hand untouched.
  void SetJobs(int jobs) { jobs_ = jobs < 1 ? 1 : jobs; }
  pomvelt::BatchContext Batch() { return {*this, false, jobs_, jobs_ > 1}; }

  // The real message box: the text (UTF-8) with an OK button, above the owner, returning once
  // it is dismissed. With a report, a "Подробнее" button opens the table of its files.
  static void ShowMessage(QWidget* owner, const std::string& text,
                          const pomvelt::BatchReport* report = nullptr);
  // The message in the interface's language: the whole text when it is known, else the fixed
  // text before ": " with the rest (a file, the system's reason) as it is.
  static QString TranslatedMessage(const std::string& text);

 protected:
  void ShowMessageBox(const std::string& text) override { Show(text, nullptr); }
  pomvelt::Progress& HostProgress() override { return progress_; }

 private:
  void OnGuiThread(const std::function<void()>& call);
  void Show(const std::string& text, const pomvelt::BatchReport* report);

  QPointer<QWidget> owner_;
  CProgressWnd& progress_;
  pomvelt::UndoSession* undo_ = nullptr;
  int jobs_ = pomvelt::DefaultJobCount();
};

// The lines as one text, a line break between each two.
std::string JoinedLines(const std::vector<std::string>& lines);

// The desktop program's undo: every job keeps the originals of the maps it replaces in an undo
// session, and the batches of the last job that kept any can be put back from the window menu
// ("Отменить последнюю операцию"). Shared by every dialog: the last job is the program's.
class LastUndo {
 public:
  static LastUndo& Instance();

  // A session for the job about to start; none when undo is turned off (by the setting or the
  // environment).
  std::unique_ptr<pomvelt::UndoSession> Begin(const std::string& command);
  // After the job: its batches become the last ones, when it kept anything.
  void Finished(const pomvelt::UndoSession& session);
  // Puts the last job's maps back and forgets that job; the lines tell what happened.
  std::vector<std::string> Restore();

 private:
  std::mutex mutex_;
  std::vector<std::string> batches_;
};

// The line the final message of a job that kept originals ends with.
inline constexpr const char* kUndoAvailableText =
    "Операцию можно отменить: \"Отменить последнюю операцию\" в меню окна";
