#include "app/report_dialog.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/qt_job_host.h"
#include "cli/json_file.h"
#include "cli/json_report.h"
#include "jobs/batch_summary.h"

namespace {

QString FromUtf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : "\n") + line;
  return text;
}

}  // namespace

CReportDialog::CReportDialog(pomvelt::BatchReport report, QWidget* parent)
    : QDialog(parent), m_report(std::move(report)) {
  setWindowTitle(tr("Подробнее"));
  m_table = new QTableWidget(static_cast<int>(m_report.files.size()), 4);
  m_table->setHorizontalHeaderLabels({tr("Файл"), tr("Итог"), tr("Счётчики"), tr("Сообщение")});
  m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_table->verticalHeader()->hide();
  for (int row = 0; row < m_table->rowCount(); ++row) {
    const pomvelt::FileOutcome& file = m_report.files[static_cast<std::size_t>(row)];
    std::string message = Joined(file.messages);
    // A system's reason stands in the message already; a compiler's exit does not.
    if (!file.reason.empty() && message.find(file.reason) == std::string::npos) {
      message += (message.empty() ? "" : ": ") + file.reason;
    }
    const std::string cells[] = {file.path, std::string(pomvelt::ResultWord(file.result)),
                                 pomvelt::CountsText(file.counts), message};
    for (int column = 0; column < 4; ++column) {
      auto* item = new QTableWidgetItem(FromUtf8(cells[column]));
      item->setToolTip(item->text());  // a long message or path in full
      m_table->setItem(row, column, item);
    }
  }
  m_table->resizeColumnsToContents();
  m_table->horizontalHeader()->setStretchLastSection(true);
  m_table->setMinimumSize(760, 240);

  auto* buttons = new QDialogButtonBox;
  m_save = buttons->addButton(tr("Сохранить отчёт..."), QDialogButtonBox::ActionRole);
  m_close = buttons->addButton(tr("Закрыть"), QDialogButtonBox::RejectRole);
  m_close->setDefault(true);
  connect(m_save, &QPushButton::clicked, this, &CReportDialog::OnSave);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_table);
  layout->addWidget(buttons);
}

bool CReportDialog::SaveTo(const QString& path) {
  const std::string name = path.toStdString();
  if (pomvelt::WriteJsonFile(name, pomvelt::ReportJson(m_report))) return true;
  QtJobHost::ShowMessage(this, pomvelt::CannotWriteMessage(name));
  return false;
}

void CReportDialog::OnSave() {
  const QString path = QFileDialog::getSaveFileName(this, tr("Сохранить отчёт"),
                                                    QStringLiteral("pomvelt-report.json"),
                                                    tr("Отчёт JSON (*.json)"));
  if (!path.isEmpty()) SaveTo(path);
}
