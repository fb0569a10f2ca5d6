#include "app/job_dialog.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <exception>
#include <system_error>

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

QLineEdit* JobDialog::NewEdit(bool digitsOnly) {
  auto* edit = new QLineEdit(this);
  if (digitsOnly) {
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), edit));
  } else {
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

JobDialog::~JobDialog() {
  WaitForJob();
}

void JobDialog::Bind(const char* key, QObject* control, const QVariant& byDefault) {
  options_.push_back({key, control});
  SetValue(control, byDefault);
  PomveltSettings store;
  store.beginGroup(settingsGroup_);
  const QVariant stored = store.value(QLatin1String(key));
  if (stored.isValid()) SetValue(control, stored);
}

QVariant JobDialog::ValueOf(QObject* control) {
  if (auto* box = qobject_cast<QAbstractButton*>(control)) return box->isChecked() ? 1 : 0;
  if (auto* group = qobject_cast<RadioGroup*>(control)) return group->Selected();
  if (auto* list = qobject_cast<QComboBox*>(control)) return list->currentData();
  return qobject_cast<QLineEdit*>(control)->text();
}

void JobDialog::SetValue(QObject* control, const QVariant& value) {
  if (auto* edit = qobject_cast<QLineEdit*>(control)) {
    QString text = value.toString();
    int position = 0;
    const QValidator* validator = edit->validator();
    if (!validator || validator->validate(text, position) == QValidator::Acceptable) {
      edit->setText(text);
    }
    return;
  }
  bool ok = false;
  const int number = value.toInt(&ok);
  if (!ok) return;
  if (auto* box = qobject_cast<QAbstractButton*>(control)) {
    box->setChecked(number != 0);
  } else if (auto* group = qobject_cast<RadioGroup*>(control)) {
    group->Select(number);
  } else if (auto* list = qobject_cast<QComboBox*>(control)) {
    list->setCurrentIndex(std::max(0, list->findData(number)));
  }
}

bool JobDialog::TextsFit() {
  for (const Option& option : options_) {
    auto* edit = qobject_cast<QLineEdit*>(option.control);
    // An edit without a check takes any character: each map checks the text itself.
    if (!edit || !edit->validator() || pomvelt::Utf8ToCp1251(edit->text().toStdString())) {
      continue;
    }
    host_.MessageBox("Текст «" + edit->text().toStdString() +
                     "» содержит знаки, которых нет в кодовой странице 1251");
    edit->setFocus();
    return false;
  }
  return true;
}

void JobDialog::done(int result) {
  if (running_) return;
  PomveltSettings store;
  store.beginGroup(settingsGroup_);
  for (const Option& option : options_) {
    store.setValue(QLatin1String(option.key), ValueOf(option.control));
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
  if (running_ || !TextsFit()) return false;
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
