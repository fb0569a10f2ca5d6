// The statistics, check and rules commands of the main dialog, run through their buttons with a
// scripted chooser; the windows show what was found and a diagnostic's double click copies its
// place.
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include "app/main_dialog.h"
#include "app/result_windows.h"
#include "app/settings.h"
#include "gui/dialog_run.h"
#include "gui/gui_test.h"
#include "text/cp1251.h"

using D = CMainDialog;
using pomvelt::operator""_cp;
using pomvelt::test::CrLf;
using pomvelt::test::ReadBytes;
using pomvelt::test::WriteBytes;

namespace {

using Run = pomvelt::test::DialogRun<D>;

const std::string kTown =
    CrLf({"[IMG ID]",    "ID=7",         "Name=Город"_cp, "Levels=2",    "Level0=24",
          "Level1=22",   "[END-IMG ID]", "[POLYGON]",     "Type=0x4b",   "Label=Парк"_cp,
          "Data0=(1,2)", "[END]",        "[POI]",         "Type=0x2f06", "Data0=(1,2)",
          "[END]",       "[POI]",        "Type=0x2f06",   "Data0=(3,4)", "[END]"});

// A map with two problems: an ID that is no number (line 2) and an element that never ends
// before the next one (line 4).
const std::string kBroken = CrLf({"[IMG ID]", "ID=x1", "[END-IMG ID]", "[POLYGON]", "Type=0x1",
                                  "[POLYLINE]", "Type=0x2", "[END]"});

QStringList Row(const QTableWidget* table, int row) {
  QStringList cells;
  for (int c = 0; c < table->columnCount(); ++c) {
    cells << (table->item(row, c) ? table->item(row, c)->text() : QString());
  }
  return cells;
}

}  // namespace

class ExamineWindowsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { PomveltSettings().clear(); }

  void statisticsWindowShowsEveryMapAndTheTotal() {
    Run run;
    run.Maps({{"town.mp", kTown}});
    run.files.push_back(run.dir.File("missing.mp"));
    run.Maps({{"broken.mp", kBroken}});
    QVERIFY(run.Run(run.dialog.controls().stats));
    // The unreadable map is named; there is no final message: the window is the result.
    QCOMPARE(run.messages.size(), std::size_t{1});
    QVERIFY(QString::fromStdString(run.texts[0]).contains(QStringLiteral("missing.mp")));
    auto* window = run.dialog.findChild<CStatsWindow*>();
    QVERIFY(window && window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral("Статистика"));
    const QTableWidget* summary = window->m_summary;
    QCOMPARE(summary->rowCount(), 3);
    QCOMPARE(Row(summary, 0), (QStringList{"town.mp", "7", "Город", "", "2", "1", "0", "2", "1",
                                           QString::number(20), QString::number(kTown.size())}));
    QCOMPARE(Row(summary, 1).mid(0, 8),
             (QStringList{"broken.mp", "x1", "", "", "", "1", "1", "0"}));
    QCOMPARE(Row(summary, 2).mid(0, 9), (QStringList{"Всего", "", "", "", "", "2", "1", "2", "1"}));
    QCOMPARE(summary->item(0, 0)->toolTip(), QString::fromStdString(run.dir.File("town.mp")));
    QCOMPARE(window->m_breakdowns->count(), 2);
    // Each map's types, then the total's.
    QCOMPARE(Row(window->m_byType, 0), (QStringList{"town.mp", "полигон", "0x4b", "1"}));
    QCOMPARE(Row(window->m_byType, 1), (QStringList{"town.mp", "точка", "0x2f06", "2"}));
    QCOMPARE(window->m_byType->rowCount(), 2 + 2 + 4);
    QCOMPARE(Row(window->m_byLevel, 0), (QStringList{"town.mp", "0", "3"}));
    window->findChild<QPushButton*>(QStringLiteral("close"))->click();
    QTRY_VERIFY(run.dialog.findChild<CStatsWindow*>() == nullptr);  // deleted on close
  }

  void checkWindowListsTheProblemsAndCopiesTheirPlace() {
    Run run;
    run.Maps({{"town.mp", kTown}, {"broken.mp", kBroken}});
    QVERIFY(run.Run(run.dialog.controls().check));
    QVERIFY(run.messages.empty());
    auto* window = run.dialog.findChild<CCheckWindow*>();
    QVERIFY(window && window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral("Проверка"));
    QListWidget* list = window->m_list;
    QVERIFY(list->count() >= 2);
    const QString broken = QString::fromStdString(run.dir.File("broken.mp"));
    for (int i = 0; i < list->count(); ++i) {
      QVERIFY2(list->item(i)->text().startsWith(broken + ":"), qPrintable(list->item(i)->text()));
    }
    QCOMPARE(list->item(0)->text().section(QLatin1Char(':'), 1, 1), QStringLiteral("2"));
    QCOMPARE(
        window->m_summary->text(),
        QStringLiteral("Проверено файлов: 2, с проблемами: 1, проблем: %1").arg(list->count()));

    // A double click on the second entry copies its file and line.
    QApplication::clipboard()->clear();
    QListWidgetItem* second = list->item(1);
    const QString line = second->text().section(QLatin1Char(':'), 1, 1);
    list->scrollToItem(second);
    const QPoint at = list->visualItemRect(second).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(QApplication::clipboard()->text(), broken + ":" + line);
    QCOMPARE(CCheckWindow::Location(nullptr), QString());
    window->close();
  }

  void rulesFileThenMaps() {
    Run run;
    const pomvelt::test::TempDir& dir = run.dir;
    WriteBytes(dir.File("town.mp"), kTown);
    WriteBytes(dir.File("good.txt"), "[POLYGON]\n0x4b=0x1\n[DELETE-POI]\n0x2f06\n");
    run.answers = {{dir.File("good.txt")}, {dir.File("town.mp")}};
    QVERIFY(run.Run(run.dialog.controls().rules));
    QCOMPARE(run.asked.size(), std::size_t{2});
    QCOMPARE(run.messages, std::vector<std::string>{"Готово"});
    QVERIFY(QString::fromStdString(run.texts[0])
                .contains(QStringLiteral("заменено по правилу [POLYGON] 0x4b=0x1: 1")));
    const std::string town = ReadBytes(dir.File("town.mp"));
    QVERIFY(town.find("Type=0x1\r\n") != std::string::npos);
    QVERIFY(town.find("[POI]") == std::string::npos);

    // A rules file with an error: its lines are named and no map is asked for.
    WriteBytes(dir.File("bad.txt"), "[POLYGON]\n0x1=0x2\n[DELETE-POLYGON]\n0x1\n");
    run.answers = {{dir.File("bad.txt")}, {dir.File("town.mp")}};
    run.asked.clear();
    run.messages.clear();
    QVERIFY(run.Run(run.dialog.controls().rules));
    QCOMPARE(run.asked.size(), std::size_t{1});
    QCOMPARE(run.messages, std::vector<std::string>{dir.File("bad.txt") +
                                                    ":4: код 0x1 и удаляется, и заменяется в "
                                                    "строке 2"});
    QCOMPARE(ReadBytes(dir.File("town.mp")), town);
  }
};

POMVELT_GUI_TEST(ExamineWindowsTest)
#include "test_examine_windows.moc"
