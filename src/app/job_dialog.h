// What every dialog that runs jobs shares: its own progress window (hidden, with the caption
// "Конвертирую..."), its job host and job thread, its options (each bound to a control and to
// a key in the settings, copied into the members when a command starts and remembered when the
// dialog closes), and the refusal to close while a job runs (the job uses the dialog's
// members).
#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/qt_job_host.h"
#include "widgets/progress_wnd.h"

class QAbstractButton;
class QComboBox;
class QLineEdit;
class QPushButton;
class RadioGroup;

// A fixed-size dialog with a caption, a window menu and a close box, but no minimise or
// maximise box.
inline constexpr Qt::WindowFlags kDialogFlags = Qt::Dialog | Qt::CustomizeWindowHint |
                                                Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                                Qt::WindowCloseButtonHint;

class JobDialog : public QDialog {
  Q_OBJECT

 public:
  using Job = std::function<void(QtJobHost& host)>;
  using FilesJob = std::function<void(const std::vector<std::string>& files, QtJobHost& host)>;

  // Copies the members into the controls (save false) or the controls into the members (save
  // true). False when an edit holds text that code page 1251 cannot hold; the user has then
  // been told, that member keeps its value and the edit has the focus.
  bool UpdateData(bool save);

  CProgressWnd& progress() { return m_progress; }
  QtJobHost& host() { return host_; }
  bool IsRunning() const { return running_; }

  // The job on a thread of its own, with the controls copied into the members first and the
  // dialog disabled until the job has returned. False (and nothing done) while another job
  // runs, when a control holds what its member cannot, or when no thread can be started.
  bool StartThreadedJob(Job job);

 signals:
  // After a job has returned and the dialog is enabled again.
  void jobFinished();

 protected:
  // Its options are remembered under the settings group.
  JobDialog(QWidget* parent, const QString& settingsGroup);

  // Binds an option member to its control and its key in the settings: a check box and its 0
  // or 1; a radio group and the index of its selected button (-1: none); a list and the number
  // its chosen item carries; an edit and its text of code page 1251 bytes, or, with anyText,
  // its UTF-8 text (each map checks such a text against its own code page).
  void Bind(const char* key, QAbstractButton* box, int& member);
  void Bind(const char* key, RadioGroup& group, int& member);
  void Bind(const char* key, QComboBox* list, int& member);
  void Bind(const char* key, QLineEdit* edit, std::string& member, bool anyText = false);
  // The remembered options into the members and the controls; call once all are bound.
  void LoadSettings();

  // A new edit that takes only what code page 1251 can hold (only digits when asked), or, with
  // anyText, any character.
  QLineEdit* NewEdit(bool digitsOnly = false, bool anyText = false);
  // The "Закрыть" button of a secondary dialog, its default button.
  QPushButton* NewCloseButton();
  // A job that asks for the files with these parameters and works on them; a cancelled file
  // dialog ends it there.
  void RunOnChosenFiles(const pomvelt::JobFileDialogParams& params, FilesJob job);

  // A job uses the members of the derived dialog, which are gone before this base is
  // destroyed: its destructor calls this first. (Closing is refused while a job runs, so this
  // only waits when the program is torn down some other way.)
  void WaitForJob();
  // Refused while a job runs; otherwise remembers the options.
  void done(int result) override;

  CProgressWnd m_progress;

 private:
  struct Option {
    const char* key;
    QObject* control;  // a check box, a radio group, a list or an edit
    int* number;
    std::string* text;
    bool anyText;
  };
  // False for an edit whose text code page 1251 cannot hold.
  bool Exchange(const Option& option, bool save);
  void RunGuarded(const Job& job);

  QString settingsGroup_;
  std::vector<Option> options_;
  QtJobHost host_;
  std::thread thread_;
  bool running_ = false;
};

// Sets the Tab order of the widgets to the order given.
template <class... Widgets>
void SetTabOrder(QWidget* first, Widgets*... rest) {
  QWidget* previous = first;
  ((QWidget::setTabOrder(previous, rest), previous = rest), ...);
}
