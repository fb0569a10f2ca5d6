// The commands of the search-and-replace and Eurasia dialogs, run through their buttons with a
// scripted chooser: a job thread, the dialog disabled meanwhile, the dialog's own progress
// window; and texts each map takes in its own code page, or refuses by itself.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include "app/eurasia_dialog.h"
#include "app/main_dialog.h"
#include "app/recode_dialog.h"
#include "app/search_replace_dialog.h"
#include "gui/dialog_run.h"
#include "gui/gui_test.h"
#include "support/test_support.h"
#include "text/cp1251.h"

using S = CSearchReplaceDialog;
using E = CEurasiaDialog;
using pomvelt::operator""_cp;
using pomvelt::test::CrLf;
using pomvelt::test::Exists;
using pomvelt::test::ReadBytes;
using pomvelt::test::TempDir;
using pomvelt::test::WriteBytes;

namespace {

const std::string kLabels =
    CrLf({"[POI]", "Type=0x2f00", "Label=~[0x4]Мост через Волгу"_cp, "Data0=(1,1)", "[END]"});

const std::string kEurasiaMap = CrLf(
    {"[IMG ID]", "Name=Volga", "Preprocess=F", "Levels=6", "Level0=24", "[END-IMG ID]", "[POLYGON]",
     "Type=0x1", "Data0=(1,1)", "[END]", "[POLYGON]", "Type=0x2", "Data3=(2,2)", "[END]"});

}  // namespace

class SecondaryRunsTest : public QObject {
  Q_OBJECT

 private slots:
  void searchAndReplaceOnAJobThread() {
    TempDir dir;
    pomvelt::test::DialogRun<S> run;
    run.dialog.show();
    WriteBytes(dir.File("a.mp"), kLabels);
    WriteBytes(dir.File("b.mp"), kLabels);
    run.files = {dir.File("a.mp"), dir.File("b.mp")};
    // Cyrillic as typed: the map holds its code page 1251 bytes.
    run.dialog.m_find->setText(QStringLiteral("Мост"));
    run.dialog.m_replace->setText(QStringLiteral("Паром"));
    run.Press(run.dialog.m_chooseAndReplace);
    QVERIFY(!run.dialog.isEnabled());
    QVERIFY(run.finished.wait(10000));
    QVERIFY(run.dialog.isEnabled());
    QCOMPARE(run.messages, std::vector<std::string>{"Готово"});
    QVERIFY(run.dialogsOnGuiThread);
    QCOMPARE(run.asked.at(0).initialFileName.value_or(""), std::string("*.mp"));
    QVERIFY(!run.asked.at(0).defaultExtension);
    QCOMPARE(run.captions, (QStringList{"a.mp [0%]", "a.mp [50%]", "b.mp [50%]", "b.mp [100%]"}));
    for (const char* stem : {"a", "b"}) {
      QCOMPARE(ReadBytes(dir.File(std::string(stem) + ".mp")),
               CrLf({"[POI]", "Type=0x2f00", "Label=~[0x4]Паром через Волгу"_cp, "Data0=(1,1)",
                     "[END]"}));
      QVERIFY(!Exists(dir.File(std::string(stem) + "_replaced.mp")));
    }
  }

  // Any character is taken as typed; each map checks it against its own code page, and one
  // that cannot hold it is left as it was while the others are done.
  void textsAreCheckedAgainstEachMapsCodePage() {
    TempDir dir;
    pomvelt::test::DialogRun<S> run;
    run.dialog.show();
    const std::string polish = CrLf({"[IMG ID]", "CodePage=1250", "[END-IMG ID]", "[POI]",
                                     "Label=\xA3\xF3"
                                     "d\x9F",
                                     "[END]"});
    WriteBytes(dir.File("pl.mp"), polish);
    WriteBytes(dir.File("ru.mp"), kLabels);
    run.files = {dir.File("pl.mp"), dir.File("ru.mp")};
    run.dialog.m_find->clear();
    for (const QChar c : QStringLiteral("Łódź")) {  // not refused as it is typed
      QTest::sendKeyEvent(QTest::Click, run.dialog.m_find, Qt::Key_unknown, QString(c),
                          Qt::NoModifier);
    }
    QCOMPARE(run.dialog.m_find->text(), QStringLiteral("Łódź"));
    run.dialog.m_replace->setText(QStringLiteral("Łódź 中"));
    run.Press(run.dialog.m_chooseAndReplace);
    QVERIFY(run.finished.wait(10000));
    QCOMPARE(run.messages.size(), std::size_t{3});
    QVERIFY(QString::fromStdString(run.messages[0]).contains(QStringLiteral("«中» (U+4E2D)")));
    QVERIFY(QString::fromStdString(run.messages[1]).contains(QStringLiteral("«Ł» (U+0141)")));
    QVERIFY(QString::fromStdString(run.messages[1])
                .contains(QString::fromStdString(dir.File("ru.mp"))));
    QCOMPARE(ReadBytes(dir.File("pl.mp")), polish);
    QCOMPARE(ReadBytes(dir.File("ru.mp")), kLabels);
    QCOMPARE(run.dialog.options().m_strReplace, std::string("Łódź 中"));

    run.dialog.m_replace->setText(QStringLiteral("Lodz"));
    run.Press(run.dialog.m_chooseAndReplace);
    QVERIFY(run.finished.wait(10000));
    QCOMPARE(ReadBytes(dir.File("pl.mp")),
             CrLf({"[IMG ID]", "CodePage=1250", "[END-IMG ID]", "[POI]", "Label=Lodz", "[END]"}));
    QCOMPARE(ReadBytes(dir.File("ru.mp")), kLabels);
  }

  // Opened from the main dialog, the dialog answers with the main dialog's chooser and
  // messages, and shows its own progress window, not the main one's.
  void searchAndReplaceFromTheMainDialog() {
    TempDir dir;
    pomvelt::test::DialogRun<CMainDialog> run;
    run.dialog.show();
    WriteBytes(dir.File("a.mp"), kLabels);
    run.files = {dir.File("a.mp")};
    QStringList captions;
    bool finished = false;
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<S*>(QApplication::activeModalWidget());
      if (!dialog) return;
      pomvelt::test::RecordCaptions(dialog->progress(), captions);
      QSignalSpy done(dialog, &JobDialog::jobFinished);
      dialog->m_chooseAndReplace->click();
      finished = done.wait(10000);
      dialog->m_close->click();
    });
    run.Press(run.dialog.controls().searchReplace);
    QVERIFY(finished);
    QCOMPARE(run.messages, std::vector<std::string>{"Готово"});
    QCOMPARE(captions, (QStringList{"a.mp [0%]", "a.mp [100%]"}));
    QVERIFY(run.captions.isEmpty());
    QCOMPARE(
        ReadBytes(dir.File("a.mp")),
        CrLf({"[POI]", "Type=0x2f00", "Label=~[0x3]Мост через Волгу"_cp, "Data0=(1,1)", "[END]"}));
  }

  void eurasiaRemovalWithTheListOnAJobThread() {
    TempDir dir;
    pomvelt::test::DialogRun<E> run;
    run.dialog.show();
    WriteBytes(dir.File("volga.mp"), kEurasiaMap);
    run.files = {dir.File("volga.mp")};
    run.dialog.m_removeLevels->click();
    run.dialog.m_makeTdbList->click();
    run.Press(run.dialog.m_chooseAndConvert);
    QVERIFY(!run.dialog.isEnabled());
    QVERIFY(run.finished.wait(10000));
    QVERIFY(run.dialog.isEnabled());
    QCOMPARE(run.messages, std::vector<std::string>{"Готово"});
    QCOMPARE(run.asked.at(0).initialFileName.value_or(""), std::string("*.mp"));
    QCOMPARE(run.captions, (QStringList{"volga.mp [0%]", "volga.mp [100%]"}));
    QCOMPARE(ReadBytes(dir.File("volga.mp")),
             CrLf({"[IMG ID]",  "Name=Volga",   "Preprocess=N", "CodePage=1251", "LblCoding=9",
                   "Levels=5",  "Level0=20",    "Level1=18",    "Level2=16",     "Level3=13",
                   "Level4=12", "Zoom0=2",      "Zoom1=3",      "Zoom2=4",       "Zoom3=5",
                   "Zoom4=6",   "[END-IMG ID]", "[POLYGON]",    "Type=0x2",      "Data1=(2,2)",
                   "[END]"}));
    const std::string list = ReadBytes(dir.File("eurasia_pdb.txt"));
    QVERIFY(list.starts_with("[Map]\r\n"));
    QVERIFY(list.ends_with(CrLf({"[Files]", ";  Volga  ", "img=volga.img", "[End-Files]"})));
  }

  void eurasiaWithNothingChosenChangesNothing() {
    TempDir dir;
    pomvelt::test::DialogRun<E> run;
    run.dialog.show();
    WriteBytes(dir.File("volga.mp"), kEurasiaMap);
    run.files = {dir.File("volga.mp")};
    run.Press(run.dialog.m_chooseAndConvert);
    QVERIFY(run.finished.wait(10000));
    QCOMPARE(run.messages, std::vector<std::string>{"Готово"});
    QCOMPARE(ReadBytes(dir.File("volga.mp")), kEurasiaMap);
    QVERIFY(!Exists(dir.File("eurasia_pdb.txt")));
  }

  // Reached from the main window; the page and the copy choice on screen go to the job.
  void recodeFromTheMainDialog() {
    TempDir dir;
    pomvelt::test::DialogRun<CMainDialog> run;
    const std::string map =
        CrLf({"[IMG ID]", "CodePage=1251", "[END-IMG ID]", "[POI]", "Label=Мост"_cp, "[END]"});
    WriteBytes(dir.File("a.mp"), map);
    run.files = {dir.File("a.mp")};
    bool finished = false;
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<CRecodeDialog*>(QApplication::activeModalWidget());
      if (!dialog) return;
      QCOMPARE(dialog->m_page->currentText(), QStringLiteral("65001 (UTF-8)"));
      QVERIFY(dialog->m_recodeInPlace->isChecked() && !dialog->m_replaceMissing->isChecked());
      dialog->m_recodeInPlace->click();
      QSignalSpy done(dialog, &JobDialog::jobFinished);
      dialog->m_chooseAndRecode->click();
      finished = done.wait(10000);
      dialog->m_close->click();
    });
    run.Press(run.dialog.controls().recode);
    QVERIFY(finished);
    QCOMPARE(run.messages.front(), std::string("Готово"));
    QCOMPARE(ReadBytes(dir.File("a.mp")), map);
    QCOMPARE(ReadBytes(dir.File("a_cp65001.mp")),
             CrLf({"[IMG ID]", "CodePage=65001", "LblCoding=9", "[END-IMG ID]", "[POI]",
                   "Label=Мост", "[END]"}));
  }
};

POMVELT_GUI_TEST(SecondaryRunsTest)
#include "test_secondary_runs.moc"
