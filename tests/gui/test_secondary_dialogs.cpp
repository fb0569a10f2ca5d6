// The search-and-replace, Eurasia and recode dialogs as they open: texts, initial values, focus,
// default button and Tab order; a new dialog at each opening from the main dialog, starting
// from what the last one left; Esc and "Закрыть" close them. Their commands, run through their
// buttons with a scripted chooser (a job thread, the dialog disabled meanwhile, the dialog's own
// progress window), and texts each map takes in its own code page, or refuses by itself. The
// About box: its texts and its link.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <functional>

#include "app/main_dialog.h"
#include "app/secondary_dialogs.h"
#include "app/settings.h"
#include "gui/dialog_run.h"
#include "gui/gui_test.h"
#include "pomvelt_version.h"
#include "support/test_support.h"
#include "text/cp1251.h"

using S = CSearchReplaceDialog;
using E = CEurasiaDialog;
using pomvelt::operator""_cp;
using pomvelt::test::CrLf;
using pomvelt::test::DialogRun;
using pomvelt::test::Exists;
using pomvelt::test::LabelTexts;
using pomvelt::test::TabChain;

namespace {

const std::string kLabels =
    CrLf({"[POI]", "Type=0x2f00", "Label=~[0x4]Мост через Волгу"_cp, "Data0=(1,1)", "[END]"});

const std::string kEurasiaMap = CrLf(
    {"[IMG ID]", "Name=Volga", "Preprocess=F", "Levels=6", "Level0=24", "[END-IMG ID]", "[POLYGON]",
     "Type=0x1", "Data0=(1,1)", "[END]", "[POLYGON]", "Type=0x2", "Data3=(2,2)", "[END]"});

// Stands in for the desktop's URL handler.
class UrlRecorder : public QObject {
  Q_OBJECT

 public:
  QList<QUrl> opened;

 public slots:
  void open(const QUrl& url) { opened << url; }
};

// Clicks `open`, runs `use` on the modal dialog of that class it opens and closes that dialog
// with its "Закрыть" button. False when no such dialog opened.
template <class Dialog>
bool OnNextModal(QPushButton* open, const std::function<void(Dialog&)>& use) {
  bool seen = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    seen = true;
    use(*dialog);
    dialog->m_close->click();
  });
  open->click();
  return seen;
}

// The main dialog's button opens the dialog; `use` sets it up and the job its button starts is
// waited for before the dialog is closed. False when no such dialog opened or its job did not
// end.
template <class Dialog>
bool RunFromTheMainDialog(QPushButton* open, QPushButton* Dialog::*start,
                          const std::function<void(Dialog&)>& use,
                          QStringList* captions = nullptr) {
  bool finished = false;
  const bool opened = OnNextModal<Dialog>(open, [&](Dialog& dialog) {
    if (captions) pomvelt::test::RecordCaptions(dialog.progress(), *captions);
    use(dialog);
    QSignalSpy done(&dialog, &JobDialog::jobFinished);
    (dialog.*start)->click();
    finished = done.wait(10000);
  });
  return opened && finished;
}

}  // namespace

class SecondaryDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder_, "open");
  }
  void cleanupTestCase() { QDesktopServices::unsetUrlHandler(QStringLiteral("https")); }
  void init() { PomveltSettings().clear(); }

  void searchAndReplaceOpens() {
    S d;
    QCOMPARE(d.windowTitle(), QStringLiteral("Поиск и замена строки (любой)"));
    QVERIFY(LabelTexts(d).contains(QStringLiteral(
        "Эта функция не следит за целостностью элементов и при неаккуратных действиях "
        "пользователя карта после замены строк может не открыться вовсе. Поэтому все "
        "эксперименты настоятельно рекомендую производить на копиях.")));
    QVERIFY(LabelTexts(d).contains(QStringLiteral("Строка для поиска")));
    QVERIFY(LabelTexts(d).contains(QStringLiteral("Строка для замены")));
    QCOMPARE(d.m_find->text(), QStringLiteral("~[0x4]"));
    QCOMPARE(d.m_replace->text(), QStringLiteral("~[0x3]"));
    QCOMPARE(d.m_chooseAndReplace->text(), QStringLiteral("Выбрать файлы и конвертировать"));
    QCOMPARE(d.m_close->text(), QStringLiteral("Закрыть"));
    QVERIFY(d.m_close->isDefault() && !d.m_chooseAndReplace->isDefault());
    QCOMPARE(d.focusWidget(), d.m_find);
    QCOMPARE(d.m_find->selectedText(), QStringLiteral("~[0x4]"));
    QCOMPARE(TabChain(d.m_find),
             (QList<QWidget*>{d.m_find, d.m_replace, d.m_chooseAndReplace, d.m_close}));
    QWidget* progress = &d.progress();
    QVERIFY(progress && !progress->isVisible() && !progress->parentWidget());
    QCOMPARE(progress->windowTitle(), QStringLiteral("Конвертирую..."));
  }

  void eurasiaOpensWithNothingChosen() {
    E d;
    QCOMPARE(d.windowTitle(), QStringLiteral("Набор карт \"Евразия\""));
    QVERIFY(LabelTexts(d).contains(QStringLiteral(
        " Поэтому предлагаются для этого набора карт на выбор следующие действия:")));
    QVERIFY(LabelTexts(d).contains(QStringLiteral(
        "В сети можно найти набор карт под названием \"Евразия\". Большое покрытие, но самые "
        "первые слои почти у всех файлов пустые и поэтому в приборе при определенном "
        "приближении экран навигатора будет пуст.")));
    QCOMPARE(d.m_removeLevels->text().replace('\n', ' '),
             QStringLiteral("Удалить слои 0 и 1 (подробные карты городов будут утрачены)"));
    QCOMPARE(d.m_fillLevels->text().replace('\n', ' '),
             QStringLiteral("Заполнить слои 0 и 1 копированием объектов ближайшего непустого "
                            "слоя (увеличится размер)"));
    QCOMPARE(d.m_makeTdbList->text(), QStringLiteral("Сделать список для tdb"));
    QCOMPARE(d.m_chooseAndConvert->text(), QStringLiteral("Выбрать файлы и сконвертировать"));
    QVERIFY(d.m_close->isDefault());
    QCOMPARE(d.focusWidget(), d.m_close);
    QCOMPARE(TabChain(d.m_close), (QList<QWidget*>{d.m_close, d.m_removeLevels, d.m_keepWhole,
                                                   d.m_makeTdbList, d.m_chooseAndConvert}));
    QVERIFY(!d.m_removeLevels->isChecked() && !d.m_fillLevels->isChecked());
    QVERIFY(d.Options().action == pomvelt::EurasiaAction::kNone && !d.Options().makeTdbList);
  }

  // Each opening is a new dialog over the main one, starting from what the last one left.
  void openedFromTheMainDialog() {
    CMainDialog main;
    main.show();
    bool modalOverMain = false;
    QVERIFY(OnNextModal<S>(main.controls().searchReplace, [&](S& dialog) {
      modalOverMain = dialog.isModal() && dialog.parentWidget() == &main;
      dialog.m_find->setText(QStringLiteral("Мост"));
    }));
    QVERIFY(modalOverMain);
    QVERIFY(OnNextModal<S>(main.controls().searchReplace, [](S& dialog) {
      QCOMPARE(dialog.m_find->text(), QStringLiteral("Мост"));
      QCOMPARE(dialog.m_replace->text(), QStringLiteral("~[0x3]"));
    }));
    QVERIFY(OnNextModal<E>(main.controls().eurasia, [](E& d) { d.m_fillLevels->click(); }));
    QVERIFY(OnNextModal<E>(main.controls().eurasia,
                           [](E& d) { QVERIFY(d.m_fillLevels->isChecked()); }));
    QVERIFY(QApplication::activeModalWidget() == nullptr);
  }

  void escapeClosesThem() {
    S search;
    E eurasia;
    CRecodeDialog recode;
    for (JobDialog* d : std::initializer_list<JobDialog*>{&search, &eurasia, &recode}) {
      QTimer::singleShot(0, [d] { QTest::keyClick(d->focusWidget(), Qt::Key_Escape); });
      QTimer::singleShot(5000, d, &QDialog::accept);  // should Esc not close it
      QCOMPARE(d->exec(), int{QDialog::Rejected});
    }
  }

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
    pomvelt::test::Type(run.dialog.m_find, QStringLiteral("Łódź"));  // not refused as typed
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

  // Nothing chosen leaves the maps as they are; level removal with the list.
  void eurasiaOnAJobThread() {
    DialogRun<E> run;
    run.Maps({{"volga.mp", kEurasiaMap}});
    QVERIFY(run.Run(run.dialog.m_chooseAndConvert));
    QCOMPARE(run.Read("volga.mp"), kEurasiaMap);
    QVERIFY(!Exists(run.dir.File("eurasia_pdb.txt")));
    run.dialog.m_removeLevels->click();
    run.dialog.m_makeTdbList->click();
    QVERIFY(run.Run(run.dialog.m_chooseAndConvert));
    QCOMPARE(run.messages, (std::vector<std::string>{"Готово", "Готово"}));
    QCOMPARE(run.asked.at(0).initialFileName.value_or(""), std::string("*.mp"));
    QCOMPARE(run.captions.last(), QStringLiteral("volga.mp [100%]"));
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

  void aboutBoxShowsItsTexts() {
    CAboutDialog about;
    QCOMPARE(about.windowTitle(), QStringLiteral("About Pomvelt"));
    const QStringList texts = LabelTexts(about);
    QVERIFY(
        texts.contains(QStringLiteral("Pomvelt Version ") + QString::fromUtf8(pomvelt::kVersion)));
    QVERIFY(texts.contains(QStringLiteral("Свежую версию смотрите здесь:")));
    QVERIFY(texts.contains(QString::fromUtf8(kAuthorLine)));
    QVERIFY(about.link()->text().contains(QString::fromUtf8(kHomePageText)));
    QCOMPARE(about.link()->toolTip(), QStringLiteral("Открыть сайт"));
    QCOMPARE(about.link()->cursor().shape(), Qt::PointingHandCursor);
    auto* ok = about.findChild<QPushButton*>();
    QVERIFY(ok && ok->isDefault() && ok->text() == QStringLiteral("OK"));
    QCOMPARE(about.focusWidget(), ok);
    QVERIFY(!about.findChild<QLabel*>(QStringLiteral("icon"))->pixmap().isNull());
  }

  // Red, blue under the mouse, dark green once followed, red again in a new About box.
  void aboutBoxLinkColours() {
    CAboutDialog about;
    about.show();
    QLabel* link = about.link();
    const auto hover = [link](bool over) {
      emit link->linkHovered(over ? QString::fromUtf8(kHomePageUrl) : QString());
    };
    QCOMPARE(about.LinkColor(), QColor(255, 0, 0));
    QVERIFY(link->text().contains(QStringLiteral("#ff0000")));
    hover(true);
    QCOMPARE(about.LinkColor(), QColor(0, 0, 255));
    hover(false);
    QCOMPARE(about.LinkColor(), QColor(255, 0, 0));

    recorder_.opened.clear();
    emit link->linkActivated(QString::fromUtf8(kHomePageUrl));
    QCOMPARE(recorder_.opened, QList<QUrl>{QUrl(QString::fromUtf8(kHomePageUrl))});
    hover(true);
    QCOMPARE(about.LinkColor(), QColor(0, 13, 0));
    QVERIFY(link->text().contains(QStringLiteral("#000d00")));
    CAboutDialog again;
    QCOMPARE(again.LinkColor(), QColor(255, 0, 0));
  }

 private:
  UrlRecorder recorder_;
};

POMVELT_GUI_TEST(SecondaryDialogsTest)
#include "test_secondary_dialogs.moc"
