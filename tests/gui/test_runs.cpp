// The main dialog's map commands driven through their buttons as a user runs them: a job thread
// with the dialog disabled, the options on screen, the real progress window, a scripted file
// chooser; Cancel heard while a job's message box is open; the final message with its details
// and the undo entry of the window menu; the statistics, check and rules commands, whose
// windows show what was found (a diagnostic's double click copies its place).
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "app/main_dialog.h"
#include "app/qt_job_host.h"
#include "app/result_windows.h"
#include "app/settings.h"
#include "gui/dialog_run.h"
#include "gui/gui_test.h"
#include "pipeline/process_runner.h"
#include "support/test_support.h"
#include "text/cp1251.h"

using D = CMainDialog;
using Run = pomvelt::test::DialogRun<D>;
using pomvelt::operator""_cp;
using pomvelt::test::CrLf;
using pomvelt::test::Exists;
using pomvelt::test::ReadBytes;
using pomvelt::test::ScopedEnv;
using pomvelt::test::WriteBytes;

namespace {

const std::string kHead = CrLf({"[IMG ID]", "Name=Test", "[END-IMG ID]"});
const std::string kPark = CrLf({"[POLYGON]", "Type=0x4b", "Data0=(1,1),(2,2),(3,1)", "[END]"});
const std::string kLake =
    CrLf({"[POLYGON]", "Type=0x1", "Label=Lake", "Data0=(5,5),(6,6),(7,5)", "[END]"});
const std::string kRoad = CrLf({"[POLYLINE]", "Type=0x1", "Label=Road", "Data1=(5,5),(6,6)",
                                "Data2=(5,5),(7,7)", "EndLevel=3", "[END]"});
const std::string kMap = kHead + kPark + kLake + kRoad;

// The real message boxes, polled for while `owner` lives: each one's text is recorded and it is
// answered with the button `answer` names (OK when it has no such button).
void AnswerMessageBoxes(QObject* owner, QStringList& texts,
                        const std::function<QString(QMessageBox* box)>& answer) {
  auto* poll = new QTimer(owner);
  QObject::connect(poll, &QTimer::timeout, [&texts, answer] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* box = qobject_cast<QMessageBox*>(w);
      if (!box || !box->isVisible()) continue;
      texts << box->text();
      const QString name = answer(box);
      QAbstractButton* button = box->button(QMessageBox::Ok);
      for (QAbstractButton* b : box->buttons()) button = b->text() == name ? b : button;
      button->click();
      return;
    }
  });
  poll->start(20);
}

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

class RunsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { PomveltSettings().clear(); }

  // Each edit takes the options on screen when its button is pressed.
  void mapEditsTakeTheOptionsOnScreen() {
    const std::string lakeAsD =
        CrLf({"[POLYGON]", "Type=0xd", "Label=Lake", "Data0=(5,5),(6,6),(7,5)", "[END]"});
    const struct {
      const char* name;
      std::function<void(const D::Controls&)> set;
      QPushButton* D::Controls::*button;
      int files;
      const char* output;  // beside a.mp, which keeps kMap; nullptr: a.mp itself
      std::string expected;
    } cases[] = {
        {"types replaced in copies", [](const D::Controls& c) { c.replaceInPlace->click(); },
         &D::Controls::replaceTypes, 2, "a_0x1_replaced.mp", kHead + kPark + lakeAsD + kRoad},
        {"elements of the type on screen",
         [](const D::Controls& c) {
           c.deleteType->setText(QStringLiteral("0x1"));
           c.deleteInPlace->click();
         },
         &D::Controls::deleteElements, 1, "a_0x1_deleted.mp", kHead + kPark + kRoad},
        {"layer on screen",
         [](const D::Controls& c) {
           c.layer->setText(QStringLiteral("2"));
           c.deleteInPlace->click();
         },
         &D::Controls::deleteLayer, 1, "a_2_layer_deleted.mp", kHead + kPark + kLake},
        {"layer 0, the rest kept whole", [](const D::Controls& c) { c.keepWhole->click(); },
         &D::Controls::deleteLayer, 1, nullptr, kHead + kRoad},
    };
    for (const auto& t : cases) {
      Run run;
      const std::string names[] = {"a.mp", "b.mp", "c.mp"};
      for (int i = 0; i < t.files; ++i) run.Maps({{names[i], kMap}});
      t.set(run.dialog.controls());
      QVERIFY2(run.Run(run.dialog.controls().*t.button), t.name);
      QCOMPARE(run.messages, std::vector<std::string>{"Готово"});
      QCOMPARE(run.asked.at(0).title, std::string("Выбрать все - Ctr+A"));
      QCOMPARE(run.asked.at(0).filter, std::string(pomvelt::kMapFilesFilter));
      QCOMPARE(run.asked.at(0).defaultExtension.value_or(""), std::string(".mp"));
      QCOMPARE(run.captions.size(), 2 * t.files);
      QCOMPARE(run.captions.back(), QString::fromStdString(names[t.files - 1] + " [100%]"));
      QCOMPARE(run.Read(t.output ? t.output : "a.mp"), t.expected);
      if (t.output) QCOMPARE(run.Read("a.mp"), kMap);
    }
  }

  void progressAndFinalMessageOfABatch() {
    Run run;
    run.Maps({{"a.mp", kMap}, {"b.mp", kMap}, {"c.mp", kMap}});
    QVERIFY(run.Run(run.dialog.controls().deleteElements));
    QVERIFY(!run.dialog.progress().isVisible());
    for (const char* name : {"a.mp", "b.mp", "c.mp"})
      QCOMPARE(run.Read(name), kHead + kLake + kRoad);
    QCOMPARE(run.captions, (QStringList{"a.mp [0%]", "a.mp [33%]", "b.mp [33%]", "b.mp [66%]",
                                        "c.mp [66%]", "c.mp [100%]"}));
    QCOMPARE(run.texts, std::vector<std::string>{"Готово\n\n3 файла, изменено 3, без изменений 0, "
                                                 "с ошибками 0; удалено элементов: 3"});
  }

  // A cancelled file dialog ends a job quietly; a failing job is reported, and either gives the
  // dialog back.
  void cancelledOrFailingJobs() {
    Run run;
    QVERIFY(run.Run(run.dialog.controls().deleteElements));
    QCOMPARE(run.asked.size(), std::size_t{1});
    QVERIFY(run.messages.empty() && run.captions.isEmpty());
    QVERIFY(run.dialog.StartThreadedJob(
        [](pomvelt::JobHost&) { throw std::runtime_error("disk gone"); }));
    QVERIFY(!run.dialog.StartThreadedJob([](pomvelt::JobHost&) {}));  // one at a time
    QVERIFY(run.finished.wait(10000));
    QVERIFY(run.dialog.isEnabled());
    QCOMPARE(run.messages, std::vector<std::string>{"Ошибка: disk gone"});
  }

  // The compiler named by POMVELT_COMPILER, a fake that logs its arguments and turns "x.mp"
  // into "x.img".
  void translateAndCompile() {
    pomvelt::test::TempDir bin;
    pomvelt::test::WriteShellProgram(bin.File("fakecc"),
                                     "printf '%s|' \"$#\" \"$@\" >> '" + bin.File("log") +
                                         "'\necho compiled > \"${1%.*}.img\"\n");
    const ScopedEnv compiler(pomvelt::kCompilerEnvironmentVariable, bin.File("fakecc"));
    Run run;
    run.Maps({{"a.mp", CrLf({"[IMG ID]", "Name=Moskva", "[END-IMG ID]", "[POLYLINE]", "Type=0x1",
                             "Label=ULITSA", "[END]"})}});
    const D::Controls& c = run.dialog.controls();
    for (QAbstractButton* b :
         std::initializer_list<QAbstractButton*>{c.translitToRussian, c.makeFileList, c.compile}) {
      b->click();
    }
    QVERIFY(run.Run(run.dialog.controls().convert));
    QCOMPARE(run.messages, std::vector<std::string>{"Готово"});
    QCOMPARE(run.asked.at(0).initialFileName.value_or(""), std::string("*.mp"));
    QCOMPARE(run.captions, (QStringList{"a.mp [0%]", "a.mp [50%]", "a.mp [100%]"}));
    // Translated in place, then compiled as it stands.
    QCOMPARE(ReadBytes(bin.File("log")), "1|" + run.dir.File("a.mp") + "|");
    QVERIFY(Exists(run.dir.File("a.img")));
    QVERIFY(run.Read("a.mp").find("Label=УЛИЦА"_cp) != std::string::npos);
    QCOMPARE(run.Read("names.txt"), CrLf({"Имя карты:  Имя файла:"_cp, "", "  Moskva  a.mp"}));

    // A compiler that cannot start stops the job; another than cgpsmapper is named as it was
    // looked for.
    const ScopedEnv missing(pomvelt::kCompilerEnvironmentVariable, bin.File("no-such-compiler"));
    run.Maps({{"b.mp", kHead}});
    run.captions.clear();
    QVERIFY(run.Run(run.dialog.controls().convert));
    QCOMPARE(run.messages.back(), "Отсутствует файл " + bin.File("no-such-compiler"));
    QVERIFY(
        !run.captions.join(QLatin1Char(' ')).contains(QStringLiteral("b.mp")));  // never started
  }

  // The second of five maps cannot be read; while its message box is open, Cancel is clicked
  // in the progress window through the window system (which drops clicks on windows a modal
  // box blocks). The job stops before the third map.
  void cancelWhileAMessageBoxIsOpen_data() {
    QTest::addColumn<QString>("command");
    QTest::newRow("layer deletion") << "layer";
    QTest::newRow("element deletion") << "elements";
  }

  void cancelWhileAMessageBoxIsOpen() {
    QFETCH(QString, command);
    Run run;
    run.dialog.host().shower = nullptr;  // the real boxes
    // One map at a time: with more, the maps after b.mp may be done before its box is shown.
    run.dialog.host().SetJobs(1);
    run.Maps({{"a.mp", kMap}});
    std::filesystem::create_directory(run.dir.File("b.mp"));
    run.files.push_back(run.dir.File("b.mp"));
    run.Maps({{"c.mp", kMap}, {"d.mp", kMap}, {"e.mp", kMap}});
    QStringList texts;
    bool cancelUsable = false;
    AnswerMessageBoxes(&run.dialog, texts, [&](QMessageBox*) {
      if (texts.size() > 1) return QString();
      CProgressWnd& progress = run.dialog.progress();
      auto* cancel = progress.findChild<QPushButton*>(QStringLiteral("cancel"));
      cancelUsable = progress.isVisible() && cancel->isEnabled() && !run.dialog.isEnabled();
      QTest::mouseClick(progress.windowHandle(), Qt::LeftButton, {}, cancel->geometry().center());
      run.dialog.reject();  // refused while the job runs
      return QString();
    });
    connect(&run.dialog, &JobDialog::jobFinished, &run.dialog, &QDialog::reject);
    QTimer::singleShot(0, [&] {
      (command == QLatin1String("layer") ? run.dialog.controls().deleteLayer
                                         : run.dialog.controls().deleteElements)
          ->click();
    });
    QTimer::singleShot(20000, &run.dialog, &QDialog::reject);  // should a check above fail
    run.dialog.exec();
    QVERIFY(cancelUsable);
    QCOMPARE(texts.size(), 2);
    // The end message, then the summary of the batch so far.
    QVERIFY(texts.back().startsWith(QStringLiteral("Прервано\n\n5 файлов, ")));
    QCOMPARE(run.captions, (QStringList{"a.mp [0%]", "a.mp [20%]", "b.mp [20%]", "b.mp [40%]"}));
    for (const char* name : {"c.mp", "d.mp", "e.mp"}) QCOMPARE(run.Read(name), kMap);
  }

  // "Подробнее" opens the table of the files, which saves the report as JSON; the message comes
  // back until it is answered with OK. A plain message has no such button.
  void finalMessageWithItsDetails() {
    pomvelt::BatchReport report;
    report.command = "delete-elements";
    report.end = pomvelt::BatchEnd::kDone;
    report.endMessage = "Готово";
    report.files.resize(2);
    report.files[0].path = "/maps/a.mp";
    report.files[0].result = pomvelt::FileResult::kChanged;
    report.files[0].counts = {{"elementsDeleted", "удалено элементов", 3}};
    report.files[1].path = "/maps/b.mp";
    report.files[1].Fail("Не могу открыть файл для чтения", "Permission denied");
    pomvelt::test::TempDir dir;
    const std::string saved = dir.File("report.json");
    QStringList rows, texts;
    QTimer table;
    connect(&table, &QTimer::timeout, [&] {
      auto* details = qobject_cast<CReportDialog*>(QApplication::activeModalWidget());
      if (!details) return;
      for (int r = 0; r < details->m_table->rowCount(); ++r) {
        rows << Row(details->m_table, r).join(QLatin1Char('|'));
      }
      QVERIFY(details->SaveTo(QString::fromStdString(saved)));
      details->m_close->click();
    });
    table.start(20);
    QObject owner;
    bool detailsOnlyWithTheReport = true;
    AnswerMessageBoxes(&owner, texts, [&](QMessageBox* box) {
      detailsOnlyWithTheReport &= (box->buttons().size() == 2) == (texts.size() < 3);
      return texts.size() == 1 ? QStringLiteral("Подробнее") : QString();
    });
    QtJobHost::ShowMessage(nullptr, "Готово", &report);
    QCOMPARE(texts.size(), 2);
    QCOMPARE(rows, (QStringList{
                       QStringLiteral("/maps/a.mp|изменён|удалено элементов: 3|"),
                       QStringLiteral("/maps/b.mp|ошибка||Не могу открыть файл для чтения: "
                                      "Permission denied"),
                   }));
    const nlohmann::json j = nlohmann::json::parse(ReadBytes(saved));
    QCOMPARE(j["files"].size(), 2u);
    QCOMPARE(j["files"][1]["outcome"].get<std::string>(), std::string("failed"));
    QtJobHost::ShowMessage(nullptr, "Готово");
    QCOMPARE(texts.size(), 3);
    QVERIFY(detailsOnlyWithTheReport);
  }

  void theLastJobIsTakenBackFromTheWindowMenu() {
    const ScopedEnv on("POMVELT_UNDO", std::nullopt);
    Run run;
    QCOMPARE(run.dialog.undoAction()->text(), QStringLiteral("Отменить последнюю операцию"));
    QVERIFY(run.dialog.actions().contains(run.dialog.undoAction()));
    run.Maps({{"a.mp", kMap}, {"b.mp", kMap}});
    QVERIFY(run.Run(run.dialog.controls().deleteElements));
    const std::string& last = run.texts.at(0);
    QVERIFY2(last.starts_with("Готово\n\n2 файла, изменено 2"), last.c_str());
    QVERIFY(last.find("\n\nОригиналы сохранены в " + run.dir.File(".pomvelt-undo") + "/") !=
            std::string::npos);
    QVERIFY(last.ends_with(std::string("\n") + kUndoAvailableText));

    // A map edited meanwhile stays as it is and is named.
    WriteBytes(run.dir.File("b.mp"), "edited");
    run.dialog.undoAction()->trigger();
    QVERIFY(run.texts.at(1).find("Восстановлен файл " + run.dir.File("a.mp")) != std::string::npos);
    QVERIFY(run.texts[1].find("Файл " + run.dir.File("b.mp") + " изменился") != std::string::npos);
    QCOMPARE(run.Read("a.mp"), kMap);
    QCOMPARE(run.Read("b.mp"), std::string("edited"));

    // Once taken back, there is nothing more to take back.
    run.dialog.undoAction()->trigger();
    QCOMPARE(run.messages.back(), std::string("Нет операции для отмены"));

    // The setting turns undo off for good: nothing is kept and the final message does not offer
    // to take the job back.
    PomveltSettings().setValue(kUndoKey, false);
    std::filesystem::remove_all(run.dir.File(".pomvelt-undo"));
    WriteBytes(run.dir.File("b.mp"), kMap);
    QVERIFY(run.Run(run.dialog.controls().deleteElements));
    QCOMPARE(QString::fromStdString(run.texts.back()),
             QStringLiteral("Готово\n\n2 файла, изменено 2, без изменений 0, с ошибками 0; "
                            "удалено элементов: 2"));
    QVERIFY(!Exists(run.dir.File(".pomvelt-undo")));
  }

  // Both windows over the same maps, one of them unreadable.
  void statisticsAndCheckWindows() {
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

    // The check: only the broken map has problems; the unreadable one is named again.
    run.messages.clear();
    QVERIFY(run.Run(run.dialog.controls().check));
    QCOMPARE(run.messages.size(), std::size_t{1});
    auto* checks = run.dialog.findChild<CCheckWindow*>();
    QVERIFY(checks && checks->isVisible());
    QCOMPARE(checks->windowTitle(), QStringLiteral("Проверка"));
    QListWidget* list = checks->m_list;
    QVERIFY(list->count() >= 2);
    const QString broken = QString::fromStdString(run.dir.File("broken.mp"));
    for (int i = 0; i < list->count(); ++i) {
      QVERIFY2(list->item(i)->text().startsWith(broken + ":"), qPrintable(list->item(i)->text()));
    }
    QCOMPARE(list->item(0)->text().section(QLatin1Char(':'), 1, 1), QStringLiteral("2"));
    QCOMPARE(
        checks->m_summary->text(),
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
    checks->close();
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

POMVELT_GUI_TEST(RunsTest)
#include "test_runs.moc"
