#include "app/qt_job_host.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <filesystem>

#include "app/result_windows.h"
#include "app/settings.h"
#include "jobs/batch_summary.h"
#include "widgets/x_file_dialog.h"

void QtJobHost::OnGuiThread(const std::function<void()>& call) {
  QObject* gui = owner_ ? static_cast<QObject*>(owner_.data()) : &progress_;
  if (QThread::currentThread() == gui->thread()) {
    call();
  } else {
    QMetaObject::invokeMethod(gui, call, Qt::BlockingQueuedConnection);
  }
}

std::optional<std::vector<std::string>> QtJobHost::ChooseFiles(
    const pomvelt::JobFileDialogParams& params) {
  std::optional<std::vector<std::string>> chosen;
  OnGuiThread(
      [&] { chosen = chooser ? chooser(params) : CXFileDialog::Choose(params, owner_.data()); });
  return chosen;
}

void QtJobHost::BatchEnded(const pomvelt::BatchReport& report) {
  std::string text = pomvelt::FinalMessageText(report);
  // A job that kept originals can be taken back from the window menu.
  if (!report.undo.empty()) text += std::string("\n") + kUndoAvailableText;
  Show(text, report.files.empty() ? nullptr : &report);
}

void QtJobHost::Show(const std::string& text, const pomvelt::BatchReport* report) {
  OnGuiThread([&] {
    if (shower) {
      shower(text);
    } else {
      ShowMessage(owner_.data(), text, report);
    }
  });
}

QString QtJobHost::TranslatedMessage(const std::string& text) {
  const QString whole = QCoreApplication::translate("QtJobHost", text.c_str());
  if (whole != QString::fromStdString(text)) return whole;
  // A fixed text followed by the file and the system's reason: the text alone is translated.
  const std::size_t colon = text.find(": ");
  if (colon == std::string::npos) return whole;
  const std::string head = text.substr(0, colon);
  return QCoreApplication::translate("QtJobHost", head.c_str()) +
         QString::fromStdString(text.substr(colon));
}

void QtJobHost::ShowMessage(QWidget* owner, const std::string& text,
                            const pomvelt::BatchReport* report) {
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Pomvelt"), TranslatedMessage(text),
                  QMessageBox::Ok);
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(QMessageBox::Ok);
  QPushButton* details = report
                             ? box.addButton(QCoreApplication::translate("QtJobHost", "Подробнее"),
                                             QMessageBox::ActionRole)
                             : nullptr;
  KeepAbove(&box, owner);
  // Not modal: the owner is disabled while its job runs anyway, and a modal box would block
  // the progress window, whose Cancel must still be heard.
  box.setWindowModality(Qt::NonModal);
  for (;;) {
    QEventLoop answered;
    QObject::connect(&box, &QDialog::finished, &answered, &QEventLoop::quit);
    box.show();
    answered.exec();
    if (details == nullptr || box.clickedButton() != details) return;
    // The table of the files; the message comes back when it is closed.
    CReportDialog table(*report, owner);
    table.exec();
  }
}

std::string JoinedLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : "\n") + line;
  return text;
}

LastUndo& LastUndo::Instance() {
  static LastUndo instance;
  return instance;
}

std::unique_ptr<pomvelt::UndoSession> LastUndo::Begin(const std::string& command) {
  if (!pomvelt::UndoEnabledByEnvironment() || !PomveltSettings().value(kUndoKey, true).toBool()) {
    return nullptr;
  }
  return std::make_unique<pomvelt::UndoSession>(pomvelt::UndoSession::Options{command});
}

void LastUndo::Finished(const pomvelt::UndoSession& session) {
  std::vector<std::string> batches = session.BatchFolders();
  if (batches.empty()) return;
  std::lock_guard<std::mutex> lock(mutex_);
  batches_ = std::move(batches);
}

std::vector<std::string> LastUndo::Restore() {
  std::vector<std::string> batches;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    batches.swap(batches_);
  }
  std::vector<std::string> lines;
  for (const std::string& batch : batches) {
    std::error_code ec;
    if (!std::filesystem::is_directory(batch, ec)) {
      lines.push_back("Копии операции больше нет: " + batch);
      continue;
    }
    for (std::string& line : pomvelt::UndoResultLines(pomvelt::RestoreUndoBatch(batch))) {
      lines.push_back(std::move(line));
    }
  }
  if (lines.empty()) lines.push_back("Нет операции для отмены");
  return lines;
}
