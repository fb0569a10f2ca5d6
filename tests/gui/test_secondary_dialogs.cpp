// The search-and-replace and Eurasia dialogs as they open: texts, initial values, focus,
// default button and Tab order; a new dialog at each opening from the main dialog, starting
// from what the last one left; Esc and "Закрыть" close them.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <memory>

#include "app/eurasia_dialog.h"
#include "app/main_dialog.h"
#include "app/search_replace_dialog.h"
#include "app/settings.h"
#include "gui/gui_test.h"

using S = CSearchReplaceDialog;
using E = CEurasiaDialog;

namespace {

QStringList Labels(const QWidget& dialog) {
  QStringList texts;
  for (QLabel* label : dialog.findChildren<QLabel*>()) texts << label->text();
  return texts;
}

QList<QWidget*> TabChain(QWidget* first) {
  QList<QWidget*> chain;
  QWidget* w = first;
  do {
    if (w->focusPolicy() & Qt::TabFocus) chain << w;
    w = w->nextInFocusChain();
  } while (w != first);
  return chain;
}

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
  void init() { PomveltSettings().clear(); }

  void searchAndReplaceOpens() {
    S d;
    QCOMPARE(d.windowTitle(), QStringLiteral("Поиск и замена строки (любой)"));
    QVERIFY(Labels(d).contains(QStringLiteral(
        "Эта функция не следит за целостностью элементов и при неаккуратных действиях "
        "пользователя карта после замены строк может не открыться вовсе. Поэтому все "
        "эксперименты настоятельно рекомендую производить на копиях.")));
    QVERIFY(Labels(d).contains(QStringLiteral("Строка для поиска")));
    QVERIFY(Labels(d).contains(QStringLiteral("Строка для замены")));
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
    QVERIFY(Labels(d).contains(QStringLiteral(
        " Поэтому предлагаются для этого набора карт на выбор следующие действия:")));
    QVERIFY(Labels(d).contains(QStringLiteral(
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
    QVERIFY(d.UpdateData(true));
    QCOMPARE(d.options().m_nAction, -1);
    QCOMPARE(d.options().m_bMakeTdbList, 0);
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
    for (const char* which : {"search", "eurasia"}) {
      std::unique_ptr<JobDialog> d;
      if (QByteArray(which) == "search") {
        d = std::make_unique<S>();
      } else {
        d = std::make_unique<E>();
      }
      QTimer::singleShot(0, [&] { QTest::keyClick(d->focusWidget(), Qt::Key_Escape); });
      QTimer::singleShot(5000, d.get(), &QDialog::accept);  // should Esc not close it
      QCOMPARE(d->exec(), int{QDialog::Rejected});
    }
  }
};

POMVELT_GUI_TEST(SecondaryDialogsTest)
#include "test_secondary_dialogs.moc"
