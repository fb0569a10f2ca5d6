// The commands of the search-and-replace, Eurasia and recode dialogs, run through their buttons
// with a scripted chooser: a job thread, the dialog disabled meanwhile, the dialog's own progress
// window; texts each map takes in its own code page, or refuses by itself; and the dialogs
// opened from the main dialog, answering with its chooser and messages.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/main_dialog.h"
#include "app/secondary_dialogs.h"
#include "gui/dialog_run.h"
#include "gui/gui_test.h"
#include "support/test_support.h"
#include "text/cp1251.h"

using S = CSearchReplaceDialog;
using E = CEurasiaDialog;
using pomvelt::operator""_cp;
using pomvelt::test::CrLf;
using pomvelt::test::DialogRun;
using pomvelt::test::Exists;

namespace {

const std::string kLabels =
    CrLf({"[POI]", "Type=0x2f00", "Label=~[0x4]Мост через Волгу"_cp, "Data0=(1,1)", "[END]"});

const std::string kEurasiaMap = CrLf(
    {"[IMG ID]", "Name=Volga", "Preprocess=F", "Levels=6", "Level0=24", "[END-IMG ID]", "[POLYGON]",
     "Type=0x1", "Data0=(1,1)", "[END]", "[POLYGON]", "Type=0x2", "Data3=(2,2)", "[END]"});

// The main dialog's button opens the dialog; `use` sets it up and the job its button starts is
// waited for before the dialog is closed. False when no such dialog opened or its job did not
// end.
template <class Dialog>
bool RunFromTheMainDialog(QPushButton* open, QPushButton* Dialog::*start,
                          const std::function<void(Dialog&)>& use,
                          QStringList* captions = nullptr) {
  bool finished = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    if (captions) pomvelt::test::RecordCaptions(dialog->progress(), *captions);
    use(*dialog);
    QSignalSpy done(dialog, &JobDialog::jobFinished);
    (dialog->*start)->click();
    finished = done.wait(10000);
    dialog->m_close->click();
  });
  open->click();
  return finished;
}

}  // namespace

class SecondaryRunsTest : public QObject {
  Q_OBJECT

 private slots:
  void searchAndReplaceOnAJobThread() {
    DialogRun<S> run;
    run.Maps({{"a.mp", kLabels}, {"b.mp", kLabels}});
    // Cyrillic as typed: the map holds its code page 1251 bytes.
    run.dialog.m_find->setText(QStringLiteral("Мост"));
    run.dialog.m_replace->setText(QStringLiteral("Паром"));
    QVERIFY(run.Run(run.dialog.m_chooseAndReplace));
    QCOMPARE(run.messages, std::vector<std::string>{"Готово"});
    QCOMPARE(run.asked.at(0).initialFileName.value_or(""), std::string("*.mp"));
    QVERIFY(!run.asked.at(0).defaultExtension);
    QCOMPARE(run.captions, (QStringList{"a.mp [0%]", "a.mp [50%]", "b.mp [50%]", "b.mp [100%]"}));
    for (const char* stem : {"a", "b"}) {
      QCOMPARE(run.Read(std::string(stem) + ".mp"),
               CrLf({"[POI]", "Type=0x2f00", "Label=~[0x4]Паром через Волгу"_cp, "Data0=(1,1)",
                     "[END]"}));
      QVERIFY(!Exists(run.dir.File(std::string(stem) + "_replaced.mp")));
    }
  }

  // Any character is taken as typed; each map checks it against its own code page, and one
  // that cannot hold it is left as it was while the others are done.
  void textsAreCheckedAgainstEachMapsCodePage() {
    DialogRun<S> run;
    const std::string polish = CrLf({"[IMG ID]", "CodePage=1250", "[END-IMG ID]", "[POI]",
                                     "Label=\xA3\xF3"
                                     "d\x9F",
                                     "[END]"});
    run.Maps({{"pl.mp", polish}, {"ru.mp", kLabels}});
    run.dialog.m_find->clear();
    for (const QChar c : QStringLiteral("Łódź")) {  // not refused as it is typed
      QTest::sendKeyEvent(QTest::Click, run.dialog.m_find, Qt::Key_unknown, QString(c),
                          Qt::NoModifier);
    }
    QCOMPARE(run.dialog.m_find->text(), QStringLiteral("Łódź"));
    run.dialog.m_replace->setText(QStringLiteral("Łódź 中"));
    QVERIFY(run.Run(run.dialog.m_chooseAndReplace));
    QCOMPARE(run.messages.size(), std::size_t{3});
    QVERIFY(QString::fromStdString(run.messages[0]).contains(QStringLiteral("«中» (U+4E2D)")));
    QVERIFY(QString::fromStdString(run.messages[1]).contains(QStringLiteral("«Ł» (U+0141)")));
    QVERIFY(QString::fromStdString(run.messages[1])
                .contains(QString::fromStdString(run.dir.File("ru.mp"))));
    QCOMPARE(run.Read("pl.mp"), polish);
    QCOMPARE(run.Read("ru.mp"), kLabels);

    run.dialog.m_replace->setText(QStringLiteral("Lodz"));
    QVERIFY(run.Run(run.dialog.m_chooseAndReplace));
    QCOMPARE(run.Read("pl.mp"),
             CrLf({"[IMG ID]", "CodePage=1250", "[END-IMG ID]", "[POI]", "Label=Lodz", "[END]"}));
    QCOMPARE(run.Read("ru.mp"), kLabels);
  }

  // Opened from the main dialog, the dialog answers with the main dialog's chooser and
  // messages, and shows its own progress window, not the main one's.
  void searchAndReplaceFromTheMainDialog() {
    DialogRun<CMainDialog> run;
    run.Maps({{"a.mp", kLabels}});
    QStringList captions;
    QVERIFY(RunFromTheMainDialog<S>(
        run.dialog.controls().searchReplace, &S::m_chooseAndReplace, [](S&) {}, &captions));
    QCOMPARE(run.messages, std::vector<std::string>{"Готово"});
    QCOMPARE(captions, (QStringList{"a.mp [0%]", "a.mp [100%]"}));
    QVERIFY(run.captions.isEmpty());
    QCOMPARE(run.Read("a.mp"), CrLf({"[POI]", "Type=0x2f00", "Label=~[0x3]Мост через Волгу"_cp,
                                     "Data0=(1,1)", "[END]"}));
  }

  void eurasiaRemovalWithTheListOnAJobThread() {
    DialogRun<E> run;
    run.Maps({{"volga.mp", kEurasiaMap}});
    run.dialog.m_removeLevels->click();
    run.dialog.m_makeTdbList->click();
    QVERIFY(run.Run(run.dialog.m_chooseAndConvert));
    QCOMPARE(run.messages, std::vector<std::string>{"Готово"});
    QCOMPARE(run.asked.at(0).initialFileName.value_or(""), std::string("*.mp"));
    QCOMPARE(run.captions, (QStringList{"volga.mp [0%]", "volga.mp [100%]"}));
    QCOMPARE(run.Read("volga.mp"),
             CrLf({"[IMG ID]",  "Name=Volga",   "Preprocess=N", "CodePage=1251", "LblCoding=9",
                   "Levels=5",  "Level0=20",    "Level1=18",    "Level2=16",     "Level3=13",
                   "Level4=12", "Zoom0=2",      "Zoom1=3",      "Zoom2=4",       "Zoom3=5",
                   "Zoom4=6",   "[END-IMG ID]", "[POLYGON]",    "Type=0x2",      "Data1=(2,2)",
                   "[END]"}));
    const std::string list = run.Read("eurasia_pdb.txt");
    QVERIFY(list.starts_with("[Map]\r\n"));
    QVERIFY(list.ends_with(CrLf({"[Files]", ";  Volga  ", "img=volga.img", "[End-Files]"})));
  }

  void eurasiaWithNothingChosenChangesNothing() {
    DialogRun<E> run;
    run.Maps({{"volga.mp", kEurasiaMap}});
    QVERIFY(run.Run(run.dialog.m_chooseAndConvert));
    QCOMPARE(run.messages, std::vector<std::string>{"Готово"});
    QCOMPARE(run.Read("volga.mp"), kEurasiaMap);
    QVERIFY(!Exists(run.dir.File("eurasia_pdb.txt")));
  }

  // Only level removal keeps or reduces elements: its "keep whole" box follows it.
  void eurasiaKeepWhole() {
    E d;
    QCOMPARE(d.m_keepWhole->text(), QStringLiteral("сохранять остальные элементы целиком"));
    QVERIFY(!d.m_keepWhole->isEnabled());  // nothing chosen yet
    d.m_removeLevels->click();
    QVERIFY(d.m_keepWhole->isEnabled());
    d.m_keepWhole->click();
    QVERIFY(d.Options().kept == pomvelt::KeptForm::kWhole);
    d.m_fillLevels->click();
    QVERIFY(!d.m_keepWhole->isEnabled());
    d.accept();  // remembered for the next opening
    E next;
    QVERIFY(next.m_keepWhole->isChecked() && !next.m_keepWhole->isEnabled());
  }

  // Reached from the main window; the page and the copy choice on screen go to the job.
  void recodeFromTheMainDialog() {
    DialogRun<CMainDialog> run;
    const std::string map =
        CrLf({"[IMG ID]", "CodePage=1251", "[END-IMG ID]", "[POI]", "Label=Мост"_cp, "[END]"});
    run.Maps({{"a.mp", map}});
    bool defaults = false;
    QVERIFY(RunFromTheMainDialog<CRecodeDialog>(
        run.dialog.controls().recode, &CRecodeDialog::m_chooseAndRecode,
        [&](CRecodeDialog& dialog) {
          defaults = dialog.m_page->currentText() == QStringLiteral("65001 (UTF-8)") &&
                     dialog.m_recodeInPlace->isChecked() && !dialog.m_replaceMissing->isChecked();
          dialog.m_recodeInPlace->click();
        }));
    QVERIFY(defaults);
    QCOMPARE(run.messages.front(), std::string("Готово"));
    QCOMPARE(run.Read("a.mp"), map);
    QCOMPARE(run.Read("a_cp65001.mp"), CrLf({"[IMG ID]", "CodePage=65001", "LblCoding=9",
                                             "[END-IMG ID]", "[POI]", "Label=Мост", "[END]"}));
  }
};

POMVELT_GUI_TEST(SecondaryRunsTest)
#include "test_secondary_runs.moc"
