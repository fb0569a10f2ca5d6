// The progress window every batch job shows: a caption naming the file in hand with the
// percentage done, a bar, and a Cancel button that asks the job to stop before its next file.
//
// The caption shows in the window's title and again inside it. A job calls it from its own
// thread: each visible change is carried out on the GUI thread in the order of the calls, and
// the cancel request is an atomic flag. Called on the GUI thread, the changes happen at once.
// Until Create has made the window, every operation only keeps its numbers and shows nothing.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "jobs/job_host.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QWidget;

class CProgressWnd : public QObject, public pomvelt::Progress {
 public:
  CProgressWnd();
  ~CProgressWnd() override;
  CProgressWnd(const CProgressWnd&) = delete;
  CProgressWnd& operator=(const CProgressWnd&) = delete;

  // Makes the hidden window, kept above its owner. The owner is never made its parent: a
  // disabled owner would disable the window's Cancel button with it. Call on the GUI thread.
  bool Create(QWidget* owner, const QString& caption, bool smooth = false);

  void SetRange(int lower, int upper, int step) override;
  void Show() override;
  // A file name, in the platform's file-name encoding like the paths the job was given.
  void SetText(const std::string& text) override;
  int SetPos(int pos) override;
  int StepIt() override;
  void Hide() override;
  bool IsCancelled() const override { return m_bCancelled.load(); }

  // The window, or nullptr before Create.
  QWidget* widget() const;

 private:
  void OnCancel() { m_bCancelled.store(true); }
  // Runs a visible change on the GUI thread: now when called there, otherwise queued behind
  // the changes asked for before.
  void Post(std::function<void()> change);
  void ShowCaption(const QString& caption);
  int PercentOf(int pos) const;
  // What a new position changes on the screen, worked out under the lock and applied after.
  struct PosChange {
    std::optional<QString> caption;
    int value = 0;
    int previous = 0;
  };
  PosChange SetPosLocked(int pos);
  void Apply(const PosChange& change);

  std::atomic<bool> m_bCancelled{false};
  std::atomic<bool> created_{false};

  mutable std::mutex mutex_;  // the numbers below, shared by the job thread and the GUI thread
  int m_nPos = 0;
  int m_nPercent = 0;
  int m_nStep = 1;
  int m_nUpper = 100;
  int m_nLower = 0;
  int barPos_ = 0;  // the bar's position: the last position, kept within the range
  QString m_strCaption = QStringLiteral("Progress");

  std::unique_ptr<QWidget> window_;
  QLabel* m_status = nullptr;
  QProgressBar* m_progressBar = nullptr;
  QPushButton* m_cancelButton = nullptr;
  QPointer<QWidget> owner_;
};
