// The progress window every batch job shows: a caption naming the file in hand with the
// percentage done, a bar, and a Cancel button that asks the job to stop before its next file.
//
// The caption shows in the window's title and again inside it. A job calls it from its own
// thread (one job at a time): the numbers belong to that thread, each visible change is carried
// out on the GUI thread in the order of the calls, and the cancel request is an atomic flag.
// Called on the GUI thread, the changes happen at once.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <atomic>
#include <functional>
#include <string>

#include "jobs/job_host.h"

class QLabel;
class QProgressBar;

// Makes window a transient window of owner's top-level window, so that it stays above it
// without becoming its child (a child of a disabled window is disabled with it). Nothing when
// owner is null.
void KeepAbove(QWidget* window, QWidget* owner);

class CProgressWnd : public QWidget, public pomvelt::Progress {
 public:
  // The hidden window, kept above its owner (see KeepAbove). Make it on the GUI thread.
  CProgressWnd(QWidget* owner, const QString& caption);

  void SetRange(int lower, int upper, int step) override;
  void Show() override;
  // A file name, in the platform's file-name encoding like the paths the job was given.
  void SetText(const std::string& text) override;
  int SetPos(int pos) override;
  int StepIt() override { return SetPos(m_nPos + m_nStep); }
  void Hide() override;
  bool IsCancelled() const override { return m_bCancelled.load(); }

 protected:
  // Offers the user no way to close it: only the job hides it.
  void closeEvent(QCloseEvent* event) override;

 private:
  // Runs a visible change on the GUI thread: now when called there, otherwise queued behind
  // the changes asked for before.
  void Post(std::function<void()> change);
  void ShowCaption();

  std::atomic<bool> m_bCancelled{false};
  int m_nPos = 0;
  int m_nPercent = 0;
  int m_nStep = 1;
  int m_nUpper = 100;
  int m_nLower = 0;
  int barPos_ = 0;  // the bar's position: the last position, kept within the range
  QString m_strCaption = QStringLiteral("Progress");

  QLabel* m_status;
  QProgressBar* m_progressBar;
  QPointer<QWidget> owner_;
};
