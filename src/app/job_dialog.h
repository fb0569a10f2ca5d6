// What every dialog that runs jobs shares: its own progress window (created hidden with the
// caption "Конвертирую..."), its job runner and host, the copying of its controls into its
// option members when a command starts, and the refusal to close while a job runs (the job
// uses the dialog's members).
#pragma once

#include <QDialog>

#include "app/dialog_job_runner.h"
#include "widgets/progress_wnd.h"

class DataExchange;

class JobDialog : public QDialog {
  Q_OBJECT

 public:
  // A fixed-size dialog with a caption, a window menu and a close box, but no minimise or
  // maximise box.
  static constexpr Qt::WindowFlags kWindowFlags =
      Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
      Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;

  // Copies the members into the controls (save false) or the controls into the members (save
  // true). False when an edit holds text that code page 1251 cannot hold; the user has then
  // been told, that member keeps its value and the edit has the focus.
  bool UpdateData(bool save);

  CProgressWnd& progress() { return m_progress; }
  DialogJobRunner& jobs() { return jobs_; }

 protected:
  explicit JobDialog(QWidget* parent);

  virtual void DoDataExchange(DataExchange& dx) = 0;

  // A job uses the members of the derived dialog, which are gone before this base is
  // destroyed: its destructor calls this first. (Closing is refused while a job runs, so this
  // only waits when the program is torn down some other way.)
  void WaitForJob() { jobs_.Wait(); }

  // A command's job on a thread of its own, with the controls copied into the members first
  // and the dialog disabled until the job returns.
  void StartThreadedJob(DialogJobRunner::Job job);
  // A command's job on the GUI thread, inside the button's handler.
  void RunJobOnGuiThread(const DialogJobRunner::Job& job);

  void done(int result) override;

  CProgressWnd m_progress;

 private:
  DialogJobRunner jobs_;
};
