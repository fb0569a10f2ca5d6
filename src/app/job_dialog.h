// What every dialog that runs jobs shares: its own progress window (hidden, with the caption
// "Конвертирую..."), its job host and job thread, its options (each a control, remembered under
// a key in the settings when the dialog closes), and the refusal to close while a job runs.
#pragma once

#include <QDialog>
#include <QVariant>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/qt_job_host.h"
#include "widgets/progress_wnd.h"

class QLineEdit;
class QPushButton;

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

  // Waits for a job still running. Closing is refused while one runs, so this only waits when
  // the program is torn down some other way; a job holds nothing of the derived dialog.
  ~JobDialog() override;

  // False when an edit of code page 1251 text holds a character that page cannot hold (the edit
  // refuses such text as it is typed: it can only have been put there otherwise); the user has
  // then been told and that edit has the focus.
  bool TextsFit();

  CProgressWnd& progress() { return m_progress; }
  QtJobHost& host() { return host_; }
  bool IsRunning() const { return running_; }

  // The job on a thread of its own, with the dialog disabled until the job has returned. False
  // (and nothing done) while another job runs, when the texts do not fit or when no thread can
  // be started.
  bool StartThreadedJob(Job job);

 signals:
  // After a job has returned and the dialog is enabled again.
  void jobFinished();

 protected:
  // Its options are remembered under the settings group.
  JobDialog(QWidget* parent, const QString& settingsGroup);

  // An option: a check box (stored as 0 or 1), a radio group (the index of its selected
  // button, -1: none), a list (the number its chosen item carries) or an edit (its text, UTF-8).
  // The control shows what the settings remember under the key, or else the default.
  void Bind(const char* key, QObject* control, const QVariant& byDefault);

  // A new edit that takes only what code page 1251 can hold (only digits when asked). An edit
  // that takes any character is a plain QLineEdit: each map checks its text against its own
  // code page.
  QLineEdit* NewEdit(bool digitsOnly = false);
  // The "Закрыть" button of a secondary dialog, its default button.
  QPushButton* NewCloseButton();
  // A job that asks for the files with these parameters and works on them; a cancelled file
  // dialog ends it there.
  void RunOnChosenFiles(const pomvelt::JobFileDialogParams& params, FilesJob job);
  // The same for a command of the core that takes its options, the files and the batch.
  template <class Options>
  void RunCommand(const pomvelt::JobFileDialogParams& params, Options options,
                  pomvelt::BatchReport (*command)(const Options&, const std::vector<std::string>&,
                                                  const pomvelt::BatchContext&)) {
    RunOnChosenFiles(params, [options, command](const auto& files, QtJobHost& host) {
      command(options, files, host.Batch());
    });
  }

  // Refused while a job runs; otherwise remembers the options.
  void done(int result) override;

  CProgressWnd m_progress;

 private:
  struct Option {
    const char* key;
    QObject* control;  // a check box, a radio group, a list or an edit
  };
  static QVariant ValueOf(QObject* control);
  // Values a control cannot take leave it as it is.
  static void SetValue(QObject* control, const QVariant& value);
  void RunGuarded(const Job& job);
  void WaitForJob();

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
