#include "app/job_dialog.h"

#include "widgets/dialog_data.h"

JobDialog::JobDialog(QWidget* parent) : QDialog(parent, kWindowFlags), jobs_(this, m_progress) {
  m_progress.Create(this, QStringLiteral("Конвертирую..."), false);
  m_progress.Hide();
}

bool JobDialog::UpdateData(bool save) {
  DataExchange dx(save);
  DoDataExchange(dx);
  return dx.Report(jobs_.host());
}

void JobDialog::StartThreadedJob(DialogJobRunner::Job job) {
  if (!UpdateData(true)) return;
  jobs_.StartThreadedJob(std::move(job));
}

void JobDialog::RunJobOnGuiThread(const DialogJobRunner::Job& job) {
  if (!UpdateData(true)) return;
  jobs_.RunJobOnGuiThread(job);
}

void JobDialog::done(int result) {
  if (jobs_.IsRunning()) return;
  QDialog::done(result);
}
