#include "app/job_dialog.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <exception>
#include <optional>
#include <system_error>

#include "app/last_undo.h"
#include "app/settings.h"
#include "text/cp1251.h"
#include "widgets/radio_group.h"

namespace {

// Refuses text that code page 1251 cannot hold, so that whatever is typed into an edit can be
// searched for in, or written into, a map file.
class Cp1251Validator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int&) const override {
    return pomvelt::Utf8ToCp1251(input.toStdString()) ? Acceptable : Invalid;
  }
};

}  // namespace

JobDialog::JobDialog(QWidget* parent, const QString& settingsGroup)
    : QDialog(parent, kDialogFlags),
      m_progress(this, tr("Конвертирую...")),
      settingsGroup_(settingsGroup),
      host_(this, m_progress) {}

QLineEdit* JobDialog::NewEdit(bool digitsOnly, bool anyText) {
  auto* edit = new QLineEdit(this);
  if (digitsOnly) {
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), edit));
  } else if (!anyText) {
    edit->setValidator(new Cp1251Validator(edit));
  }
  return edit;
}

QPushButton* JobDialog::NewCloseButton() {
  auto* close = new QPushButton(tr("Закрыть"));
  close->setDefault(true);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  return close;
}

void JobDialog::Bind(const char* key, QAbstractButton* box, int& member) {
  options_.push_back({key, box, &member, nullptr, false});
}

void JobDialog::Bind(const char* key, RadioGroup& group, int& member) {
  options_.push_back({key, &group, &member, nullptr, false});
}

void JobDialog::Bind(const char* key, QComboBox* list, int& member) {
  options_.push_back({key, list, &member, nullptr, false});
}

void JobDialog::Bind(const char* key, QLineEdit* edit, std::string& member, bool anyText) {
  options_.push_back({key, edit, nullptr, &member, anyText});
}

bool JobDialog::Exchange(const Option& option, bool save) {
  if (auto* edit = qobject_cast<QLineEdit*>(option.control)) {
    std::string& member = *option.text;
    if (!save) {
      edit->setText(
          QString::fromStdString(option.anyText ? member : pomvelt::Cp1251ToUtf8(member)));
      return true;
    }
    const std::string typed = edit->text().toStdString();
    std::optional<std::string> text = option.anyText ? typed : pomvelt::Utf8ToCp1251(typed);
    if (!text) return false;
    member = std::move(*text);
    return true;
  }
  // A control being loaded shows its member, and the member then holds what the control shows.
  int& member = *option.number;
  if (auto* box = qobject_cast<QAbstractButton*>(option.control)) {
    if (!save) box->setChecked(member != 0);
    member = box->isChecked() ? 1 : 0;
  } else if (auto* group = qobject_cast<RadioGroup*>(option.control)) {
    if (!save) group->Select(member);
    member = group->Selected();
  } else if (auto* list = qobject_cast<QComboBox*>(option.control)) {
    if (!save) list->setCurrentIndex(std::max(0, list->findData(member)));
    member = list->currentData().toInt();
  }
  return true;
}

bool JobDialog::UpdateData(bool save) {
  QLineEdit* failed = nullptr;
  for (const Option& option : options_) {
    if (!Exchange(option, save) && !failed) failed = qobject_cast<QLineEdit*>(option.control);
  }
  if (!failed) return true;
  // The edits refuse such text as it is typed; it can only have been put there otherwise.
  host_.MessageBox("Текст «" + failed->text().toStdString() +
                   "» содержит знаки, которых нет в кодовой странице 1251");
  failed->setFocus();
  return false;
}

void JobDialog::LoadSettings() {
  PomveltSettings store;
  store.beginGroup(settingsGroup_);
  // Options absent from the store, or texts code page 1251 cannot hold, keep their values.
  for (const Option& option : options_) {
    const QVariant value = store.value(QLatin1String(option.key));
    if (!value.isValid()) continue;
    if (option.number) {
      bool ok = false;
      const int number = value.toInt(&ok);
      if (ok) *option.number = number;
    } else if (option.anyText) {
      *option.text = value.toString().toStdString();
    } else if (std::optional<std::string> text =
                   pomvelt::Utf8ToCp1251(value.toString().toStdString())) {
      *option.text = std::move(*text);
    }
  }
  UpdateData(false);
}

void JobDialog::done(int result) {
  if (running_) return;
  if (UpdateData(true)) {
    PomveltSettings store;
    store.beginGroup(settingsGroup_);
    for (const Option& option : options_) {
      const QVariant value =
          option.number    ? QVariant(*option.number)
          : option.anyText ? QVariant(QString::fromStdString(*option.text))
                           : QVariant(QString::fromStdString(pomvelt::Cp1251ToUtf8(*option.text)));
      store.setValue(QLatin1String(option.key), value);
    }
  }
  QDialog::done(result);
}

void JobDialog::RunGuarded(const Job& job) {
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

bool JobDialog::StartThreadedJob(Job job) {
  if (running_ || !UpdateData(true)) return false;
  WaitForJob();
  running_ = true;
  setEnabled(false);
  try {
    thread_ = std::thread([this, job = std::move(job)] {
      RunGuarded(job);
      QMetaObject::invokeMethod(
          this,
          [this] {
            WaitForJob();
            running_ = false;
            setEnabled(true);
            emit jobFinished();
          },
          Qt::QueuedConnection);
    });
  } catch (const std::system_error&) {
    running_ = false;
    setEnabled(true);
    return false;
  }
  return true;
}

void JobDialog::WaitForJob() {
  if (thread_.joinable()) thread_.join();
}

void JobDialog::RunOnChosenFiles(const pomvelt::JobFileDialogParams& params, FilesJob job) {
  StartThreadedJob([params, job = std::move(job)](QtJobHost& host) {
    if (const auto files = host.ChooseFiles(params)) job(*files, host);
  });
}
