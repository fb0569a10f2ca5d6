// The final message of a batch with its details: "Подробнее" opens the table of the files, the
// table saves the report as JSON, and the message comes back until it is answered with OK.
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <nlohmann/json.hpp>

#include "app/qt_job_host.h"
#include "app/report_dialog.h"
#include "gui/gui_test.h"
#include "support/test_support.h"

namespace {

pomvelt::BatchReport TwoFiles() {
  pomvelt::BatchReport report;
  report.command = "delete-elements";
  report.end = pomvelt::BatchEnd::kDone;
  report.endMessage = "Готово";
  pomvelt::FileOutcome changed;
  changed.path = "/maps/a.mp";
  changed.result = pomvelt::FileResult::kChanged;
  changed.counts = {{"elementsDeleted", "удалено элементов", 3}};
  pomvelt::FileOutcome failed;
  failed.path = "/maps/b.mp";
  failed.Fail("Не могу открыть файл для чтения", "Permission denied");
  report.files = {changed, failed};
  return report;
}

QMessageBox* VisibleBox() {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) return box;
  }
  return nullptr;
}

QPushButton* ButtonNamed(QMessageBox* box, const QString& text) {
  for (QAbstractButton* b : box->buttons()) {
    if (b->text() == text) return qobject_cast<QPushButton*>(b);
  }
  return nullptr;
}

}  // namespace

class ReportWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void detailsShowTheFilesAndSaveTheReport() {
    const pomvelt::BatchReport report = TwoFiles();
    pomvelt::test::TempDir dir;
    const std::string saved = dir.File("report.json");
    QStringList rows;
    int boxesSeen = 0;
    // First box: "Подробнее"; the table is read and saved, then closed; the box is back: OK.
    QTimer poll;
    connect(&poll, &QTimer::timeout, [&] {
      if (auto* table = qobject_cast<CReportDialog*>(QApplication::activeModalWidget())) {
        for (int r = 0; r < table->m_table->rowCount(); ++r) {
          QStringList cells;
          for (int c = 0; c < table->m_table->columnCount(); ++c) {
            cells << table->m_table->item(r, c)->text();
          }
          rows << cells.join(QLatin1Char('|'));
        }
        QVERIFY(table->SaveTo(QString::fromStdString(saved)));
        table->m_close->click();
        return;
      }
      QMessageBox* box = VisibleBox();
      if (!box) return;
      ++boxesSeen;
      QPushButton* details = ButtonNamed(box, QStringLiteral("Подробнее"));
      QVERIFY(details);
      (boxesSeen == 1 ? details : box->button(QMessageBox::Ok))->click();
    });
    poll.start(20);
    QTimer::singleShot(20000, [] {
      if (QMessageBox* box = VisibleBox()) box->button(QMessageBox::Ok)->click();
    });
    QtJobHost::ShowMessage(nullptr, "Готово", &report);
    poll.stop();
    QCOMPARE(boxesSeen, 2);
    QCOMPARE(rows, (QStringList{
                       QStringLiteral("/maps/a.mp|изменён|удалено элементов: 3|"),
                       QStringLiteral("/maps/b.mp|ошибка||Не могу открыть файл для чтения: "
                                      "Permission denied"),
                   }));
    const nlohmann::json j = nlohmann::json::parse(pomvelt::test::ReadBytes(saved));
    QCOMPARE(j["files"].size(), 2u);
    QCOMPARE(j["files"][1]["outcome"].get<std::string>(), std::string("failed"));

    // A plain message has no details button.
    QTimer::singleShot(50, [] {
      QMessageBox* box = VisibleBox();
      QVERIFY(box && !ButtonNamed(box, QStringLiteral("Подробнее")));
      box->button(QMessageBox::Ok)->click();
    });
    QtJobHost::ShowMessage(nullptr, "Готово");
  }
};

POMVELT_GUI_TEST(ReportWindowTest)
#include "test_report_window.moc"
