// What every dialog that runs jobs shares: its own progress window (created hidden with the
// caption "Конвертирую..."), its job runner and host, the copying of its controls into its
// option members when a command starts, and the refusal to close while a job runs (the job
// uses the dialog's members).
#pragma once

#include <QDialog>
#include <string>

#include "app/dialog_job_runner.h"
#include "app/settings.h"
#include "widgets/progress_wnd.h"

class QAbstractButton;
class QLineEdit;
class RadioGroup;

// A fixed-size dialog with a caption, a window menu and a close box, but no minimise or
// maximise box.
inline constexpr Qt::WindowFlags kDialogFlags = Qt::Dialog | Qt::CustomizeWindowHint |
                                                Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                                Qt::WindowCloseButtonHint;

class JobDialog : public QDialog {
  Q_OBJECT

 public:
  // Copies the members into the controls (save false) or the controls into the members (save
  // true). False when an edit holds text that code page 1251 cannot hold; the user has then
  // been told, that member keeps its value and the edit has the focus.
  bool UpdateData(bool save);

  CProgressWnd& progress() { return m_progress; }
  DialogJobRunner& jobs() { return jobs_; }

 protected:
  // Its options are remembered under the settings group.
  JobDialog(QWidget* parent, const QString& settingsGroup);

  // Loads or saves every control; edits through Text.
  virtual void DoDataExchange(bool save) = 0;
  // Each option member under its key in the settings.
  virtual std::vector<OptionKey> SettingKeys() = 0;
  // The remembered options into the members and the controls.
  void LoadSettings();
  // An edit and its member of code page 1251 bytes; a check box and its 0 or 1; a radio group
  // and the index of its selected button (-1: none).
  void Text(bool save, QLineEdit* edit, std::string& member);
  static void Check(bool save, QAbstractButton* box, int& member);
  static void Radio(bool save, RadioGroup& group, int& member);
  // A new edit that takes only what code page 1251 can hold (only digits when asked).
  QLineEdit* NewEdit(bool digitsOnly = false);
  // An edit that takes any character, and its UTF-8 member: each map checks the text against
  // its own code page.
  void AnyText(bool save, QLineEdit* edit, std::string& member);
  QLineEdit* NewAnyTextEdit();

  // A job uses the members of the derived dialog, which are gone before this base is
  // destroyed: its destructor calls this first. (Closing is refused while a job runs, so this
  // only waits when the program is torn down some other way.)
  void WaitForJob() { jobs_.Wait(); }

  // A command's job on a thread of its own, with the controls copied into the members first
  // and the dialog disabled until the job returns.
  void StartThreadedJob(DialogJobRunner::Job job);

  // Refused while a job runs; otherwise remembers the options.
  void done(int result) override;

  CProgressWnd m_progress;

 private:
  QString settingsGroup_;
  DialogJobRunner jobs_;
  QLineEdit* failedEdit_ = nullptr;
};

// Sets the Tab order of the widgets to the order given.
template <class... Widgets>
void SetTabOrder(QWidget* first, Widgets*... rest) {
  QWidget* previous = first;
  ((QWidget::setTabOrder(previous, rest), previous = rest), ...);
}
