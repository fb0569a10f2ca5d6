#include "widgets/dialog_data.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLineEdit>

#include "jobs/job_host.h"
#include "text/cp1251.h"

void DataExchange::Text(QLineEdit* edit, std::string& member) {
  if (!save_) {
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

void DataExchange::Check(QAbstractButton* box, int& member) {
  if (save_) {
    member = box->isChecked() ? 1 : 0;
  } else {
    box->setChecked(member != 0);
  }
}

void DataExchange::Radio(QButtonGroup* group, int& member) {
  if (save_) {
    member = group->checkedId();  // -1 when none is selected
    return;
  }
  if (QAbstractButton* button = group->button(member)) {
    button->setChecked(true);
    return;
  }
  // An exclusive group cannot be emptied button by button.
  group->setExclusive(false);
  for (QAbstractButton* button : group->buttons()) button->setChecked(false);
  group->setExclusive(true);
}

bool DataExchange::Report(pomvelt::JobHost& host) const {
  if (!failedEdit_) return true;
  // The edits refuse such text as it is typed; it can only have been put there otherwise.
  host.MessageBox("Текст «" + failedEdit_->text().toStdString() +
                  "» содержит знаки, которых нет в кодовой странице 1251");
  failedEdit_->setFocus();
  return false;
}
