// The search-and-replace and Eurasia dialogs as they open: every control of their templates
// with its text, id and place, the initial values, and their opening from the main dialog.
#include <QAbstractButton>
#include <QApplication>
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
#include "gui/gui_test.h"
#include "widgets/dialog_template.h"

using S = CSearchReplaceDialog;
using E = CEurasiaDialog;

namespace {

std::unique_ptr<JobDialog> Make(const QString& which) {
  if (which == QLatin1String("search")) return std::make_unique<S>();
  return std::make_unique<E>();
}

QString TextOf(const QWidget* control) {
  if (const auto* button = qobject_cast<const QAbstractButton*>(control)) return button->text();
  if (const auto* label = qobject_cast<const QLabel*>(control)) return label->text();
  return qobject_cast<const QLineEdit*>(control)->text();
}

// Runs `check` on the modal dialog that opens next, then closes it with its "Закрыть" button.
template <class Dialog, class Check>
void OnNextModal(bool* seen, Check check) {
  QTimer::singleShot(0, [seen, check] {
    auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
    *seen = dialog != nullptr;
    if (!dialog) return;
    check(*dialog);
    static_cast<QAbstractButton*>(dialog->Control(Dialog::kIdClose))->click();
  });
}

}  // namespace

class SecondaryDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void controlsOfTheTemplates_data() {
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("name");  // the id in decimal, or the name of a static text
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("units");
    const struct {
      const char* dialog;
      const char* name;
      const char* kind;
      const char* text;
      QRect units;
    } rows[] = {
        {"search",
         "warning",
         "QLabel",
         "Эта функция не следит за целостностью элементов и при неаккуратных действиях "
         "пользователя карта после замены строк может не открыться вовсе. Поэтому все "
         "эксперименты настоятельно рекомендую производить на копиях.",
         {7, 7, 214, 35}},
        {"search", "labelFind", "QLabel", "Строка для поиска", {7, 46, 214, 9}},
        {"search", "1038", "QLineEdit", "~[0x4]", {7, 60, 214, 15}},
        {"search", "labelReplace", "QLabel", "Строка для замены", {7, 82, 214, 10}},
        {"search", "1039", "QLineEdit", "~[0x3]", {7, 97, 214, 15}},
        {"search", "1040", "QPushButton", "Выбрать файлы и конвертировать", {7, 120, 214, 26}},
        {"search", "1", "QPushButton", "Закрыть", {171, 154, 50, 14}},
        {"eurasia", "1", "QPushButton", "Закрыть", {189, 160, 50, 14}},
        {"eurasia",
         "about",
         "QLabel",
         "В сети можно найти набор карт под названием \"Евразия\". Большое покрытие, но самые "
         "первые слои почти у всех файлов пустые и поэтому в приборе при определенном "
         "приближении экран навигатора будет пуст.",
         {7, 7, 111, 66}},
        {"eurasia",
         "offer",
         "QLabel",
         " Поэтому предлагаются для этого набора карт на выбор следующие действия:",
         {7, 78, 111, 32}},
        {"eurasia",
         "1032",
         "QRadioButton",
         "Удалить слои 0 и 1 (подробные карты городов будут утрачены)",
         {128, 26, 107, 28}},
        {"eurasia",
         "1033",
         "QRadioButton",
         "Заполнить слои 0 и 1 копированием объектов ближайшего непустого слоя (увеличится "
         "размер)",
         {128, 64, 107, 32}},
        {"eurasia", "1036", "QCheckBox", "Сделать список для tdb", {129, 109, 96, 10}},
        {"eurasia", "1030", "QPushButton", "Выбрать файлы и сконвертировать", {7, 132, 232, 17}},
    };
    for (const auto& row : rows) {
      QTest::newRow(QByteArray(row.dialog) + " " + row.name)
          << QString::fromLatin1(row.dialog) << QString::fromLatin1(row.name)
          << QString::fromLatin1(row.kind) << QString::fromUtf8(row.text) << row.units;
    }
  }

  void controlsOfTheTemplates() {
    QFETCH(QString, dialog);
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QString, text);
    QFETCH(QRect, units);
    const std::unique_ptr<JobDialog> d = Make(dialog);
    QWidget* control = d->findChild<QWidget*>(name);
    QVERIFY(control);
    QVERIFY(control->inherits(kind.toLatin1().constData()));
    QCOMPARE(TextOf(control), text);
    QVERIFY2(TextFits(control), qPrintable(name));
    const DialogUnits& du = dialog == QLatin1String("search") ? static_cast<S&>(*d).units()
                                                              : static_cast<E&>(*d).units();
    QCOMPARE(QRect(control->mapTo(d.get(), QPoint(0, 0)), control->size()), du.Rect(units));
    bool isId = false;
    const int id = name.toInt(&isId);
    if (isId) {
      QCOMPARE(dialog == QLatin1String("search") ? static_cast<S&>(*d).Control(id)
                                                 : static_cast<E&>(*d).Control(id),
               control);
    }
  }

  void windowsOfTheTemplates_data() {
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("focus");
    QTest::newRow("search") << "search" << QStringLiteral("Поиск и замена строки (любой)")
                            << QSize(228, 175) << int{S::kIdFind};
    QTest::newRow("eurasia") << "eurasia" << QStringLiteral("Набор карт \"Евразия\"")
                             << QSize(246, 181) << int{E::kIdClose};
  }

  void windowsOfTheTemplates() {
    QFETCH(QString, dialog);
    QFETCH(QString, title);
    QFETCH(QSize, size);
    QFETCH(int, focus);
    const std::unique_ptr<JobDialog> d = Make(dialog);
    QCOMPARE(d->windowTitle(), title);
    const DialogUnits& du = dialog == QLatin1String("search") ? static_cast<S&>(*d).units()
                                                              : static_cast<E&>(*d).units();
    QCOMPARE(d->minimumSize(), du.Size(size.width(), size.height()));
    QCOMPARE(d->maximumSize(), d->minimumSize());
    QVERIFY(!(d->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QVERIFY(d->windowFlags() & Qt::WindowSystemMenuHint);
    QStringList defaults;
    for (QPushButton* button : d->findChildren<QPushButton*>()) {
      if (button->isDefault()) defaults << button->text();
    }
    QCOMPARE(defaults, QStringList{QStringLiteral("Закрыть")});
    QCOMPARE(d->focusWidget()->objectName(), QString::number(focus));
    // Its own progress window: made hidden, parented by no dialog, with its usual caption.
    QWidget* progress = d->progress().widget();
    QVERIFY(progress && !progress->isVisible() && !progress->parentWidget());
    QCOMPARE(progress->windowTitle(), QStringLiteral("Конвертирую..."));
  }

  void eurasiaOpensWithNothingChosen() {
    E dialog;
    for (int id : {E::kIdRemoveLevels, E::kIdFillLevels, E::kIdMakeTdbList}) {
      QVERIFY(!static_cast<QAbstractButton*>(dialog.Control(id))->isChecked());
    }
    QVERIFY(dialog.UpdateData(true));
    QCOMPARE(dialog.options().m_nAction, -1);
    QCOMPARE(dialog.options().m_bMakeTdbList, 0);
    // The two remedies are one radio group.
    dialog.show();
    QTest::mouseClick(static_cast<QAbstractButton*>(dialog.Control(E::kIdFillLevels)),
                      Qt::LeftButton);
    QTest::mouseClick(static_cast<QAbstractButton*>(dialog.Control(E::kIdRemoveLevels)),
                      Qt::LeftButton);
    QTest::mouseClick(static_cast<QAbstractButton*>(dialog.Control(E::kIdMakeTdbList)),
                      Qt::LeftButton);
    QVERIFY(!static_cast<QAbstractButton*>(dialog.Control(E::kIdFillLevels))->isChecked());
    QVERIFY(dialog.UpdateData(true));
    QCOMPARE(dialog.options().m_nAction, 0);
    QCOMPARE(dialog.options().m_bMakeTdbList, 1);
  }

  // Each opening is a new dialog over the main one, from the initial values whatever the
  // last opening left.
  void openedFromTheMainDialogAndClosedWithClose() {
    CMainDialog main;
    main.show();
    for (int opening = 0; opening < 2; ++opening) {
      bool seen = false;
      bool modalOverMain = false;
      OnNextModal<S>(&seen, [&](S& dialog) {
        modalOverMain = dialog.isModal() && dialog.parentWidget() == &main;
        QCOMPARE(static_cast<QLineEdit*>(dialog.Control(S::kIdFind))->text(),
                 QStringLiteral("~[0x4]"));
        QCOMPARE(static_cast<QLineEdit*>(dialog.Control(S::kIdReplace))->text(),
                 QStringLiteral("~[0x3]"));
        static_cast<QLineEdit*>(dialog.Control(S::kIdFind))->setText(QStringLiteral("x"));
      });
      static_cast<QAbstractButton*>(main.Control(CMainDialog::kIdSearchReplace))->click();
      QVERIFY(seen);
      QVERIFY(modalOverMain);
    }
    for (int opening = 0; opening < 2; ++opening) {
      bool seen = false;
      OnNextModal<E>(&seen, [](E& dialog) {
        QVERIFY(dialog.UpdateData(true));
        QCOMPARE(dialog.options().m_nAction, -1);
        static_cast<QAbstractButton*>(dialog.Control(E::kIdFillLevels))->click();
      });
      static_cast<QAbstractButton*>(main.Control(CMainDialog::kIdEurasia))->click();
      QVERIFY(seen);
    }
    QVERIFY(QApplication::activeModalWidget() == nullptr);
  }

  void escapeClosesThem() {
    for (const char* which : {"search", "eurasia"}) {
      const std::unique_ptr<JobDialog> d = Make(QString::fromLatin1(which));
      QTimer::singleShot(0, [&] { QTest::keyClick(d->focusWidget(), Qt::Key_Escape); });
      QTimer::singleShot(5000, d.get(), &QDialog::accept);  // should Esc not close it
      QCOMPARE(d->exec(), int{QDialog::Rejected});
    }
  }
};

POMVELT_GUI_TEST(SecondaryDialogsTest)
#include "test_secondary_dialogs.moc"
