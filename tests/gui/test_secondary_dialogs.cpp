// The search-and-replace and Eurasia dialogs as they open: texts, initial values, focus,
// default button and Tab order; a new dialog at each opening from the main dialog, starting
// from what the last one left; Esc and "Закрыть" close them. The About box: its texts and its
// link.
#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "app/main_dialog.h"
#include "app/secondary_dialogs.h"
#include "app/settings.h"
#include "gui/gui_test.h"
#include "pomvelt_version.h"

using S = CSearchReplaceDialog;
using E = CEurasiaDialog;
using pomvelt::test::LabelTexts;
using pomvelt::test::TabChain;

namespace {

// Stands in for the desktop's URL handler.
class UrlRecorder : public QObject {
  Q_OBJECT

 public:
  QList<QUrl> opened;

 public slots:
  void open(const QUrl& url) { opened << url; }
};

// Runs `check` on the modal dialog that opens next, then closes it with its "Закрыть" button.
template <class Dialog, class Check>
void OnNextModal(Dialog** seen, Check check) {
  QTimer::singleShot(0, [seen, check] {
    auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
    *seen = dialog;
    if (!dialog) return;
    check(*dialog);
    dialog->m_close->click();
  });
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
    S* first = nullptr;
    bool modalOverMain = false;
    OnNextModal<S>(&first, [&](S& dialog) {
      modalOverMain = dialog.isModal() && dialog.parentWidget() == &main;
      dialog.m_find->setText(QStringLiteral("Мост"));
    });
    main.controls().searchReplace->click();
    QVERIFY(first && modalOverMain);
    S* second = nullptr;
    OnNextModal<S>(&second, [](S& dialog) {
      QCOMPARE(dialog.m_find->text(), QStringLiteral("Мост"));
      QCOMPARE(dialog.m_replace->text(), QStringLiteral("~[0x3]"));
    });
    main.controls().searchReplace->click();
    QVERIFY(second);

    E* eurasia = nullptr;
    OnNextModal<E>(&eurasia, [](E& dialog) { dialog.m_fillLevels->click(); });
    main.controls().eurasia->click();
    OnNextModal<E>(&eurasia, [](E& dialog) { QVERIFY(dialog.m_fillLevels->isChecked()); });
    main.controls().eurasia->click();
    QVERIFY(eurasia);
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
