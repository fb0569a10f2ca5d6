#include "app/result_windows.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

#include "app/qt_job_host.h"
#include "cli/json_file.h"
#include "cli/json_report.h"
#include "examine/code_page.h"
#include "jobs/batch_job.h"
#include "jobs/batch_report.h"
#include "jobs/batch_summary.h"

namespace {

// A header value of the map in UTF-8, by the map's own code page.
QString MapText(const std::optional<std::string>& value, const pomvelt::MapStats& s) {
  return value ? QString::fromStdString(pomvelt::MapTextToUtf8(*value, s.codePage.value_or("")))
               : QString();
}

QTableWidget* NewTable(const QStringList& header) {
  auto* table = new QTableWidget(0, static_cast<int>(header.size()));
  table->setHorizontalHeaderLabels(header);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->verticalHeader()->hide();
  table->setWordWrap(false);
  return table;
}

// Counts aligned to the right, as numbers are.
void AddRow(QTableWidget* table, const QStringList& texts, int firstNumber) {
  const int row = table->rowCount();
  table->insertRow(row);
  for (int column = 0; column < texts.size(); ++column) {
    auto* item = new QTableWidgetItem(texts[column]);
    if (column >= firstNumber) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    table->setItem(row, column, item);
  }
}

QString N(std::uint64_t n) {
  return QString::number(n);
}

QDialogButtonBox* CloseButton(QDialog* window) {
  auto* buttons = new QDialogButtonBox;
  QPushButton* close =
      buttons->addButton(CStatsWindow::tr("Закрыть"), QDialogButtonBox::RejectRole);
  close->setObjectName(QStringLiteral("close"));
  QObject::connect(buttons, &QDialogButtonBox::rejected, window, &QDialog::reject);
  return buttons;
}

// The host of a read-only batch: the window that follows is its result, so no final message.
class QuietEnd : public pomvelt::JobHost {
 public:
  explicit QuietEnd(pomvelt::JobHost& host) : host_(host) {}
  bool WaitsForBusyFiles() const override { return host_.WaitsForBusyFiles(); }
  void BatchEnded(const pomvelt::BatchReport&) override {}

 protected:
  void ShowMessageBox(const std::string& text) override { host_.MessageBox(text); }
  pomvelt::Progress& HostProgress() override { return host_.progress(); }

 private:
  pomvelt::JobHost& host_;
};

void Fit(QTableWidget* table) {
  table->resizeColumnsToContents();
  table->horizontalHeader()->setStretchLastSection(true);
}

}  // namespace

CReportDialog::CReportDialog(pomvelt::BatchReport report, QWidget* parent)
    : QDialog(parent), m_report(std::move(report)) {
  setWindowTitle(tr("Подробнее"));
  m_table = NewTable({tr("Файл"), tr("Итог"), tr("Счётчики"), tr("Сообщение")});
  m_table->setWordWrap(true);
  for (const pomvelt::FileOutcome& file : m_report.files) {
    std::string message = JoinedLines(file.messages);
    // A system's reason stands in the message already; a compiler's exit does not.
    if (!file.reason.empty() && message.find(file.reason) == std::string::npos) {
      message += (message.empty() ? "" : ": ") + file.reason;
    }
    AddRow(
        m_table,
        {QString::fromStdString(file.path),
         QString::fromStdString(std::string(pomvelt::ResultWord(file.result))),
         QString::fromStdString(pomvelt::CountsText(file.counts)), QString::fromStdString(message)},
        4);
    // A long message or path in full.
    for (int column = 0; column < 4; ++column) {
      QTableWidgetItem* item = m_table->item(m_table->rowCount() - 1, column);
      item->setToolTip(item->text());
    }
  }
  Fit(m_table);
  m_table->setCurrentItem(nullptr);  // rows added one by one leave the first one current
  m_table->setMinimumSize(760, 240);

  auto* buttons = new QDialogButtonBox;
  m_save = buttons->addButton(tr("Сохранить отчёт..."), QDialogButtonBox::ActionRole);
  m_close = buttons->addButton(tr("Закрыть"), QDialogButtonBox::RejectRole);
  m_close->setDefault(true);
  connect(m_save, &QPushButton::clicked, this, [this] {
    const QString path = QFileDialog::getSaveFileName(this, tr("Сохранить отчёт"),
                                                      QStringLiteral("pomvelt-report.json"),
                                                      tr("Отчёт JSON (*.json)"));
    if (!path.isEmpty()) SaveTo(path);
  });
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

void ReadEachFile(pomvelt::JobHost& host, const std::vector<std::string>& files,
                  const std::function<bool(const std::string& path)>& read) {
  QuietEnd quiet(host);
  pomvelt::RunBatchJob({quiet}, files, [&](const std::string& path) {
    pomvelt::FileOutcome outcome;
    outcome.path = path;
    outcome.result = read(path) ? pomvelt::FileResult::kUnchanged : pomvelt::FileResult::kFailed;
    return outcome;
  });
}

CStatsWindow::CStatsWindow(QWidget* parent, const std::vector<MapStatsOfFile>& files)
    : QDialog(parent) {
  setWindowTitle(tr("Статистика"));
  setAttribute(Qt::WA_DeleteOnClose);
  m_summary = NewTable({tr("Файл"), tr("ID"), tr("Название"), tr("Кодовая страница"), tr("Уровни"),
                        tr("Полигоны"), tr("Линии"), tr("Точки"), tr("Подписи"), tr("Строки"),
                        tr("Байты")});
  m_byType = NewTable({tr("Файл"), tr("Вид"), tr("Тип"), tr("Элементы")});
  m_byLevel = NewTable({tr("Файл"), tr("Уровень"), tr("Элементы")});

  const QString kinds[] = {tr("полигон"), tr("линия"), tr("точка")};
  pomvelt::MapStats total;
  const auto addBreakdowns = [&](const QString& name, const pomvelt::MapStats& s) {
    for (const pomvelt::TypeCount& t : s.types) {
      AddRow(m_byType,
             {name, kinds[static_cast<std::size_t>(t.kind)], MapText(t.type, s), N(t.count)}, 3);
    }
    for (const auto& [level, count] : s.levels) {
      AddRow(m_byLevel, {name, QString::number(level), N(count)}, 1);
    }
  };
  const auto counts = [](const pomvelt::MapStats& s) {
    return QStringList{N(s.elements[0]), N(s.elements[1]), N(s.elements[2]),
                       N(s.labels),      N(s.lines),       N(s.bytes)};
  };
  for (const MapStatsOfFile& f : files) {
    const pomvelt::MapStats& s = f.stats;
    const QString name = QFileInfo(QString::fromStdString(f.path)).fileName();
    AddRow(m_summary,
           QStringList{name, MapText(s.id, s), MapText(s.name, s), MapText(s.codePage, s),
                       MapText(s.levelCount, s)} +
               counts(s),
           5);
    m_summary->item(m_summary->rowCount() - 1, 0)->setToolTip(QString::fromStdString(f.path));
    addBreakdowns(name, s);
    total.Add(s);
  }
  AddRow(m_summary, QStringList{tr("Всего"), {}, {}, {}, {}} + counts(total), 5);
  addBreakdowns(tr("Всего"), total);
  for (QTableWidget* table : {m_summary, m_byType, m_byLevel}) Fit(table);

  m_breakdowns = new QTabWidget;
  m_breakdowns->addTab(m_byType, tr("По типам"));
  m_breakdowns->addTab(m_byLevel, tr("По уровням"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_summary, 2);
  layout->addWidget(m_breakdowns, 3);
  layout->addWidget(CloseButton(this));
  resize(std::min(m_summary->horizontalHeader()->length() + 40, 1000), 520);
}

CCheckWindow::CCheckWindow(QWidget* parent, const std::vector<DiagnosticsOfFile>& files)
    : QDialog(parent) {
  setWindowTitle(tr("Проверка"));
  setAttribute(Qt::WA_DeleteOnClose);
  m_list = new QListWidget;
  int problems = 0;
  int withProblems = 0;
  for (const DiagnosticsOfFile& f : files) {
    if (!f.diagnostics.empty()) ++withProblems;
    for (const pomvelt::Diagnostic& d : f.diagnostics) {
      ++problems;
      auto* item =
          new QListWidgetItem(QString::fromStdString(pomvelt::FormatDiagnostic(f.path, d)), m_list);
      item->setData(Qt::UserRole, QString::fromStdString(f.path + ":" + std::to_string(d.line)));
      item->setToolTip(item->text());  // a long message runs past the window's edge
    }
  }
  m_summary = new QLabel(tr("Проверено файлов: %1, с проблемами: %2, проблем: %3")
                             .arg(files.size())
                             .arg(withProblems)
                             .arg(problems));
  auto* hint = new QLabel(tr("Двойной щелчок копирует \"файл:строка\" в буфер обмена"));
  hint->setEnabled(false);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_summary);
  layout->addWidget(m_list);
  layout->addWidget(hint);
  layout->addWidget(CloseButton(this));
  connect(m_list, &QListWidget::itemDoubleClicked, this, [](QListWidgetItem* item) {
    const QString location = Location(item);
    if (!location.isEmpty()) QApplication::clipboard()->setText(location);
  });
  resize(900, 420);
}

QString CCheckWindow::Location(const QListWidgetItem* item) {
  return item == nullptr ? QString() : item->data(Qt::UserRole).toString();
}
