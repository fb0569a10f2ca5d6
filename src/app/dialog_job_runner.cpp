#include "app/dialog_job_runner.h"

#include <exception>
#include <string>
#include <system_error>

#include "app/last_undo.h"

DialogJobRunner::DialogJobRunner(QWidget* dialog, CProgressWnd& progress)
    : dialog_(dialog), host_(dialog, progress) {}

DialogJobRunner::~DialogJobRunner() {
  Wait();
}

void DialogJobRunner::Wait() {
  if (thread_.joinable()) thread_.join();
}

void DialogJobRunner::RunGuarded(const Job& job) {
  // An escaping exception would end the whole program from the job thread; the user is told
  // instead and the dialog comes back.
  const std::unique_ptr<pomvelt::UndoSession> undo = LastUndo::Instance().Begin("pomvelt");
  host_.SetUndoSession(undo.get());
  try {
    job(host_);
  } catch (const std::exception& e) {
    host_.MessageBox(std::string("Ошибка: ") + e.what());
  } catch (...) {
    host_.MessageBox("Ошибка");
  }
  host_.SetUndoSession(nullptr);
  if (undo) LastUndo::Instance().Finished(*undo);
}

bool DialogJobRunner::StartThreadedJob(Job job) {
  if (running_) return false;
  if (thread_.joinable()) thread_.join();
  running_ = true;
  if (dialog_) dialog_->setEnabled(false);
  try {
    thread_ = std::thread([this, job = std::move(job)] {
      RunGuarded(job);
      QMetaObject::invokeMethod(
          this, [this] { OnThreadFinished(); }, Qt::QueuedConnection);
    });
  } catch (const std::system_error&) {
    running_ = false;
    if (dialog_) dialog_->setEnabled(true);
    return false;
  }
  return true;
}

void DialogJobRunner::OnThreadFinished() {
  if (thread_.joinable()) thread_.join();
  running_ = false;
  if (dialog_) dialog_->setEnabled(true);
  emit jobFinished();
}
