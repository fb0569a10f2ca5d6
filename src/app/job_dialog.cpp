#include "app/job_dialog.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <optional>

#include "text/cp1251.h"
#include "widgets/cp1251_validator.h"
#include "widgets/radio_group.h"

JobDialog::JobDialog(QWidget* parent, const QString& settingsGroup)
    : QDialog(parent, kDialogFlags), settingsGroup_(settingsGroup), jobs_(this, m_progress) {
  m_progress.Create(this, tr("Конвертирую..."), false);
  m_progress.Hide();
}

QLineEdit* JobDialog::NewEdit(bool digitsOnly) {
  auto* edit = new QLineEdit(this);
  edit->setValidator(new Cp1251Validator(digitsOnly, edit));
  return edit;
}

QLineEdit* JobDialog::NewAnyTextEdit() {
  return new QLineEdit(this);
}

void JobDialog::AnyText(bool save, QLineEdit* edit, std::string& member) {
  if (save) {
    member = edit->text().toStdString();
  } else {
    edit->setText(QString::fromStdString(member));
  }
}

void JobDialog::Text(bool save, QLineEdit* edit, std::string& member) {
  if (!save) {
    edit->setText(QString::fromStdString(pomvelt::Cp1251ToUtf8(member)));
    return;
  }
  std::optional<std::string> text = pomvelt::Utf8ToCp1251(edit->text().toStdString());
  if (!text) {
    if (!failedEdit_) failedEdit_ = edit;
    return;
  }
  member = std::move(*text);
}

void JobDialog::Check(bool save, QAbstractButton* box, int& member) {
  if (save) {
    member = box->isChecked() ? 1 : 0;
  } else {
    box->setChecked(member != 0);
  }
}

void JobDialog::Radio(bool save, RadioGroup& group, int& member) {
  if (save) {
    member = group.Selected();
  } else {
    group.Select(member);
  }
}

bool JobDialog::UpdateData(bool save) {
  failedEdit_ = nullptr;
  DoDataExchange(save);
  if (!failedEdit_) return true;
  // The edits refuse such text as it is typed; it can only have been put there otherwise.
  jobs_.host().MessageBox("Текст «" + failedEdit_->text().toStdString() +
                          "» содержит знаки, которых нет в кодовой странице 1251");
  failedEdit_->setFocus();
  return false;
}

void JobDialog::StartThreadedJob(DialogJobRunner::Job job) {
  if (!UpdateData(true)) return;
  jobs_.StartThreadedJob(std::move(job));
}

void JobDialog::LoadSettings() {
  LoadOptions(settingsGroup_, SettingKeys());
  UpdateData(false);
}

void JobDialog::done(int result) {
  if (jobs_.IsRunning()) return;
  if (UpdateData(true)) SaveOptions(settingsGroup_, SettingKeys());
  QDialog::done(result);
}
