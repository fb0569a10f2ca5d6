// How a dialog runs its jobs: each on a thread of its own while the dialog is disabled (so no
// second job can start); the progress window, which the dialog does not parent, stays usable.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <thread>

#include "app/qt_job_host.h"

class CProgressWnd;

class DialogJobRunner : public QObject {
  Q_OBJECT

 public:
  using Job = std::function<void(QtJobHost& host)>;

  DialogJobRunner(QWidget* dialog, CProgressWnd& progress);
  // Waits for a job still running. The dialog refuses to close while one runs, so this only
  // waits when the program is torn down some other way.
  ~DialogJobRunner() override;

  QtJobHost& host() { return host_; }
  bool IsRunning() const { return running_; }

  // Disables the dialog, runs the job on a new thread and enables the dialog again once the
  // job has returned. False (and nothing done) while another job runs or when no thread can
  // be started. Call on the GUI thread.
  bool StartThreadedJob(Job job);
  // Returns once no job thread runs any more.
  void Wait();

 signals:
  // After a job has returned and the dialog is enabled again.
  void jobFinished();

 private:
  void RunGuarded(const Job& job);
  void OnThreadFinished();

  QPointer<QWidget> dialog_;
  QtJobHost host_;
  std::thread thread_;
  bool running_ = false;
};
