#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "app/main_dialog.h"
#include "gui/gui_test.h"
#include "pomvelt_version.h"
#include "text/cp1251.h"
#include "widgets/about_dialog.h"
#include "widgets/dialog_template.h"

using D = CMainDialog;
using pomvelt::operator""_cp;

namespace {

QAbstractButton* Button(const D& dialog, int id) {
  return qobject_cast<QAbstractButton*>(dialog.Control(id));
}

QLineEdit* Edit(const D& dialog, int id) {
  return qobject_cast<QLineEdit*>(dialog.Control(id));
}

QString GroupOf(const QWidget* widget) {
  QStringList titles;
  for (QWidget* p = widget->parentWidget(); p; p = p->parentWidget()) {
    if (auto* box = qobject_cast<QGroupBox*>(p)) titles.prepend(box->title());
  }
  return titles.join(QLatin1Char('/'));
}

// Types text key by key, as a user would (so the edit's check sees every character).
void Type(QWidget* widget, const QString& text) {
  for (const QChar c : text) {
    QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
  }
}

// Closes the modal window that opens next, after checking it is an About box.
void ExpectAboutBox(bool* seen) {
  QTimer::singleShot(0, [seen] {
    QWidget* modal = QApplication::activeModalWidget();
    *seen = dynamic_cast<CAboutDialog*>(modal) != nullptr;
    if (modal) static_cast<QDialog*>(modal)->reject();
  });
}

}  // namespace

class MainDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void controlsOfTheTemplate_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("group");
    const QString conv = QStringLiteral("Конвертация");
    const QString tr = conv + QStringLiteral("/Перевод");
    const QString comp = conv + QStringLiteral("/Компиляция");
    const QString repl = QStringLiteral("Замена атрибутов");
    const QString del = QStringLiteral("Удаление элементов");
    const QString layer = QStringLiteral("Удаление слоев");
    const struct {
      int id;
      const char* kind;
      const char* text;
      QString group;
    } rows[] = {
        {D::kIdDecompile, "check", "Декомпилировать карту (.img) в польский формат", conv},
        {D::kIdDecompileCgpsmapper, "radio", "cgpsmapper", conv},
        {D::kIdDecompileGpsMapEdit, "radio", "GPSMapEdit (всю директорию)", conv},
        {D::kIdConvert, "push", "Выбрать файл(ы) и конвертировать", conv},
        {D::kIdTranslitToRussian, "radio", "Translit => Русский", tr},
        {D::kIdRussianToTranslit, "radio", "Русский => Translit", tr},
        {D::kIdTranslitNone, "radio", "Не переводить", tr},
        {D::kIdLowerCase, "check",
         "Преобразовывать заглавные буквы в строчные (кроме первых в слове)", tr},
        {D::kIdConvertInPlace, "check", "Делать конвертацию в оригинале (не создавать копию)", tr},
        {D::kIdMakeFileList, "check", "Создавать список файлов", tr},
        {D::kIdCompile, "check", "Компилировать карту (необходимо наличие файла cgpsmapper.exe)",
         comp},
        {D::kIdDeleteMpAfterCompile, "check", "Удалять исходные файлы (.mp) после компиляции",
         comp},
        {D::kIdReplaceInPolygons, "radio", "в полигонах", repl},
        {D::kIdReplaceInLines, "radio", "в линиях", repl},
        {D::kIdReplaceFrom, "edit", "0x1", repl},
        {D::kIdReplaceTo, "edit", "0xd", repl},
        {D::kIdReplaceInPlace, "check", "Делать замену в оригинале (не создавать копию)", repl},
        {D::kIdReplaceTypes, "push", "Выбрать файл(ы) и произвести замену", repl},
        {D::kIdDeletePolygons, "radio", "полигоны", del},
        {D::kIdDeleteLines, "radio", "линии", del},
        {D::kIdDeletePoints, "radio", "точки", del},
        {D::kIdDeleteType, "edit", "0x4b", del},
        {D::kIdDeleteInPlace, "check", "Удалять элементы в оригинале (не делать копию)", del},
        {D::kIdDeleteElements, "push", "Выбрать файл(ы) и удалить элементы", del},
        {D::kIdLayer, "edit", "0", layer},
        {D::kIdDeleteLayer, "push", "Выбрать файл(ы) и удалить элементы", layer},
        {D::kIdEurasia, "push", "Утилиты для \"Евразии\"...", QStringLiteral("Евразия")},
        {D::kIdSearchReplace, "push", "Поиск и замена...", QStringLiteral("Поиск и замена")},
        {D::kIdAbout, "push", "О программе", QString()},
        {D::kIdExit, "push", "Выход", QString()},
    };
    for (const auto& row : rows) {
      QTest::newRow(QByteArray::number(row.id).constData())
          << row.id << QString::fromLatin1(row.kind) << QString::fromUtf8(row.text) << row.group;
    }
  }

  void controlsOfTheTemplate() {
    QFETCH(int, id);
    QFETCH(QString, kind);
    QFETCH(QString, text);
    QFETCH(QString, group);
    D dialog;
    QWidget* control = dialog.findChild<QWidget*>(QString::number(id));
    QVERIFY(control);
    QCOMPARE(dialog.Control(id), control);
    QCOMPARE(GroupOf(control), group);
    if (kind == QLatin1String("edit")) {
      QCOMPARE(qobject_cast<QLineEdit*>(control)->text(), text);
      return;
    }
    const QHash<QString, const char*> classes = {
        {"check", "QCheckBox"}, {"radio", "QRadioButton"}, {"push", "QPushButton"}};
    QVERIFY(control->inherits(classes.value(kind)));
    QCOMPARE(qobject_cast<QAbstractButton*>(control)->text(), text);
  }

  void staticTextsAndGroupBoxes() {
    D dialog;
    QStringList labels;
    for (QLabel* label : dialog.findChildren<QLabel*>()) labels << label->text();
    for (const char* text :
         {"Утилита для пакетной обработки карт в \"польском формате\" (формат используется "
          "программой GPSMapEdit)",
          "Менять:", "Атрибут:", "Заменить на атрибут:", "Удалять:", "С атрибутом:",
          "Удалять все элементы слоя:", "Поиск и замена произвольной строки"}) {
      QVERIFY2(labels.contains(QString::fromUtf8(text)), text);
    }
    QStringList boxes;
    for (QGroupBox* box : dialog.findChildren<QGroupBox*>()) boxes << box->title();
    boxes.sort();
    QStringList expected = {
        "Конвертация",        "Перевод",        "Компиляция", "Замена атрибутов",
        "Удаление элементов", "Удаление слоев", "Евразия",    "Поиск и замена"};
    expected.sort();
    QCOMPARE(boxes, expected);
  }

  void windowIsTheTemplatesAtTheDialogFont() {
    D dialog;
    QCOMPARE(dialog.windowTitle(),
             QStringLiteral("Pomvelt ") + QString::fromUtf8(pomvelt::kVersion));
    const DialogUnits& du = dialog.units();
    QCOMPARE(du.baseY(), DialogUnits(dialog.font()).baseY());
    QVERIFY(du.baseX() >= DialogUnits(dialog.font()).baseX());
    QCOMPARE(dialog.minimumSize(), du.Size(480, 312));
    QCOMPARE(dialog.maximumSize(), du.Size(480, 312));
    const Qt::WindowFlags flags = dialog.windowFlags();
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(flags & Qt::WindowSystemMenuHint);
    for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
      QVERIFY2(!button->isDefault(), qPrintable(button->objectName()));
    }
    QVERIFY(!dialog.windowIcon().isNull());
    const QList<QSize> sizes = dialog.windowIcon().availableSizes();
    QVERIFY(sizes.contains(QSize(16, 16)) && sizes.contains(QSize(32, 32)) &&
            sizes.contains(QSize(256, 256)));

    // Places in dialog units, measured from the dialog whatever the parent group box.
    const struct {
      int id;
      QRect units;
    } places[] = {
        {D::kIdDecompile, {13, 29, 150, 21}},
        {D::kIdDecompileGpsMapEdit, {71, 49, 92, 26}},
        {D::kIdConvert, {13, 282, 147, 17}},
        {D::kIdTranslitNone, {23, 119, 67, 10}},
        {D::kIdDeleteMpAfterCompile, {34, 245, 121, 24}},
        {D::kIdReplaceFrom, {291, 32, 35, 12}},
        {D::kIdDeleteElements, {181, 212, 147, 17}},
        {D::kIdLayer, {292, 263, 35, 12}},
        {D::kIdEurasia, {355, 38, 108, 17}},
        {D::kIdExit, {345, 291, 128, 14}},
    };
    for (const auto& place : places) {
      QWidget* control = dialog.Control(place.id);
      const QRect actual(control->mapTo(&dialog, QPoint(0, 0)), control->size());
      const QRect& u = place.units;
      QCOMPARE(actual, du.Rect(u.x(), u.y(), u.width(), u.height()));
    }
  }

  void everyTextFitsItsControl() {
    D dialog;
    for (QWidget* widget : dialog.findChildren<QWidget*>()) {
      QVERIFY2(TextFits(widget), qPrintable(widget->objectName()));
    }
    // Widened, if at all, only as far as the font needs, never beyond half again.
    const DialogUnits measured(dialog.font());
    QVERIFY(dialog.width() <= measured.X(480) * 3 / 2);
  }

  void tabOrderIsTheTemplateOrder() {
    D dialog;
    const QList<int> order = {D::kIdDecompile,
                              D::kIdTranslitToRussian,
                              D::kIdRussianToTranslit,
                              D::kIdTranslitNone,
                              D::kIdLowerCase,
                              D::kIdConvertInPlace,
                              D::kIdCompile,
                              D::kIdReplaceInPolygons,
                              D::kIdReplaceInLines,
                              D::kIdReplaceInPlace,
                              D::kIdReplaceFrom,
                              D::kIdReplaceTo,
                              D::kIdReplaceTypes,
                              D::kIdDeletePolygons,
                              D::kIdDeleteLines,
                              D::kIdDeletePoints,
                              D::kIdDeleteType,
                              D::kIdDeleteInPlace,
                              D::kIdDeleteElements,
                              D::kIdExit,
                              D::kIdConvert,
                              D::kIdAbout,
                              D::kIdDeleteLayer,
                              D::kIdLayer,
                              D::kIdDeleteMpAfterCompile,
                              D::kIdMakeFileList,
                              D::kIdDecompileCgpsmapper,
                              D::kIdDecompileGpsMapEdit,
                              D::kIdSearchReplace,
                              D::kIdEurasia};
    QList<int> chain;
    QWidget* w = dialog.Control(D::kIdDecompile);
    do {
      bool ok = false;
      const int id = w->objectName().toInt(&ok);
      if (ok && (w->focusPolicy() & Qt::TabFocus)) chain << id;
      w = w->nextInFocusChain();
    } while (w != dialog.Control(D::kIdDecompile));
    QCOMPARE(chain, order);
  }

  void freshStart() {
    D dialog;
    const pomvelt::MainOptions defaults;
    const pomvelt::MainOptions& o = dialog.options();
    QCOMPARE(o.m_nTranslit, 2);
    QCOMPARE(o.m_strDeleteType, defaults.m_strDeleteType);
    QVERIFY(Button(dialog, D::kIdTranslitNone)->isChecked());
    QVERIFY(Button(dialog, D::kIdDecompileCgpsmapper)->isChecked());
    QVERIFY(Button(dialog, D::kIdReplaceInPolygons)->isChecked());
    QVERIFY(Button(dialog, D::kIdDeletePolygons)->isChecked());
    for (int id : {D::kIdReplaceInPlace, D::kIdConvertInPlace, D::kIdDeleteInPlace}) {
      QVERIFY(Button(dialog, id)->isChecked());
    }
    for (int id : {D::kIdLowerCase, D::kIdCompile, D::kIdDecompile, D::kIdDeleteMpAfterCompile,
                   D::kIdMakeFileList}) {
      QVERIFY(!Button(dialog, id)->isChecked());
    }
    QCOMPARE(Edit(dialog, D::kIdReplaceFrom)->text(), QStringLiteral("0x1"));
    QCOMPARE(Edit(dialog, D::kIdReplaceTo)->text(), QStringLiteral("0xd"));
    QCOMPARE(Edit(dialog, D::kIdDeleteType)->text(), QStringLiteral("0x4b"));
    QCOMPARE(Edit(dialog, D::kIdLayer)->text(), QStringLiteral("0"));
    QList<int> disabled;
    for (QWidget* w : dialog.findChildren<QWidget*>()) {
      if (!w->isEnabled()) disabled << w->objectName().toInt();
    }
    std::sort(disabled.begin(), disabled.end());
    QCOMPARE(disabled, (QList<int>{D::kIdConvertInPlace, D::kIdLowerCase,
                                   D::kIdDeleteMpAfterCompile, D::kIdMakeFileList,
                                   D::kIdDecompileCgpsmapper, D::kIdDecompileGpsMapEdit}));
    QCOMPARE(dialog.focusWidget(), dialog.Control(D::kIdDecompile));
  }

  void membersLoadIntoTheControls() {
    D dialog;
    pomvelt::MainOptions& o = dialog.options();
    o.m_nReplaceKind = 1;
    o.m_strReplaceFrom = std::string("Мост"_cp);
    o.m_strReplaceTo = "0x2";
    o.m_bReplaceInPlace = 0;
    o.m_bConvertInPlace = 0;
    o.m_bDeleteInPlace = 0;
    o.m_strDeleteType = "0x16";
    o.m_nDeleteKind = 2;
    o.m_bLowerCase = 1;
    o.m_bCompile = 1;
    o.m_bDecompile = 1;
    o.m_nTranslit = -1;
    o.m_strLayer = "";
    o.m_bDeleteMpAfterCompile = 1;
    o.m_bMakeFileList = 1;
    o.m_nDecompiler = 1;
    QVERIFY(dialog.UpdateData(false));
    QVERIFY(Button(dialog, D::kIdReplaceInLines)->isChecked());
    QCOMPARE(Edit(dialog, D::kIdReplaceFrom)->text(), QStringLiteral("Мост"));
    QCOMPARE(Edit(dialog, D::kIdReplaceTo)->text(), QStringLiteral("0x2"));
    for (int id : {D::kIdReplaceInPlace, D::kIdConvertInPlace, D::kIdDeleteInPlace}) {
      QVERIFY(!Button(dialog, id)->isChecked());
    }
    QCOMPARE(Edit(dialog, D::kIdDeleteType)->text(), QStringLiteral("0x16"));
    QVERIFY(Button(dialog, D::kIdDeletePoints)->isChecked());
    for (int id : {D::kIdLowerCase, D::kIdCompile, D::kIdDecompile, D::kIdDeleteMpAfterCompile,
                   D::kIdMakeFileList, D::kIdDecompileGpsMapEdit}) {
      QVERIFY(Button(dialog, id)->isChecked());
    }
    for (int id : {D::kIdTranslitToRussian, D::kIdRussianToTranslit, D::kIdTranslitNone}) {
      QVERIFY(!Button(dialog, id)->isChecked());
    }
    QCOMPARE(Edit(dialog, D::kIdLayer)->text(), QString());

    // And back: what was loaded is what is saved, the empty radio group included.
    const pomvelt::MainOptions loaded = o;
    o = pomvelt::MainOptions{};
    QVERIFY(dialog.UpdateData(true));
    QCOMPARE(o.m_nReplaceKind, loaded.m_nReplaceKind);
    QCOMPARE(o.m_strReplaceFrom, loaded.m_strReplaceFrom);
    QCOMPARE(o.m_nDeleteKind, 2);
    QCOMPARE(o.m_nTranslit, -1);
    QCOMPARE(o.m_nDecompiler, 1);
    QCOMPARE(o.m_strLayer, std::string());
    QCOMPARE(o.m_bDeleteMpAfterCompile, 1);
    QCOMPARE(o.m_bReplaceInPlace, 0);
  }

  void controlsSaveIntoTheMembers() {
    D dialog;
    dialog.show();
    QTest::mouseClick(Button(dialog, D::kIdRussianToTranslit), Qt::LeftButton);
    QTest::mouseClick(Button(dialog, D::kIdDeleteLines), Qt::LeftButton);
    QTest::mouseClick(Button(dialog, D::kIdReplaceInLines), Qt::LeftButton);
    QTest::mouseClick(Button(dialog, D::kIdDeleteInPlace), Qt::LeftButton);
    QTest::mouseClick(Button(dialog, D::kIdMakeFileList), Qt::LeftButton);
    Edit(dialog, D::kIdDeleteType)->clear();
    Type(Edit(dialog, D::kIdDeleteType), QStringLiteral("Дом"));
    Edit(dialog, D::kIdLayer)->clear();
    Type(Edit(dialog, D::kIdLayer), QStringLiteral("1x2"));  // digits only
    QVERIFY(dialog.UpdateData(true));
    const pomvelt::MainOptions& o = dialog.options();
    QCOMPARE(o.m_nTranslit, 1);
    QCOMPARE(o.m_nDeleteKind, 1);
    QCOMPARE(o.m_nReplaceKind, 1);
    QCOMPARE(o.m_bDeleteInPlace, 0);
    QCOMPARE(o.m_bMakeFileList, 1);
    QCOMPARE(o.m_strDeleteType, std::string("Дом"_cp));
    QCOMPARE(o.m_strLayer, std::string("12"));

    Edit(dialog, D::kIdLayer)->clear();
    QVERIFY(dialog.UpdateData(true));
    QCOMPARE(o.m_strLayer, std::string());
  }

  void textsCodePage1251CannotHoldAreRefused() {
    D dialog;
    std::vector<std::string> messages;
    dialog.jobs().host().SetMessageBox([&](const std::string& m) { messages.push_back(m); });
    QLineEdit* edit = Edit(dialog, D::kIdReplaceTo);
    edit->clear();
    Type(edit, QStringLiteral("0x中2"));  // refused as it is typed
    QCOMPARE(edit->text(), QStringLiteral("0x2"));
    QVERIFY(messages.empty());
    edit->setText(QStringLiteral("中"));  // put there past the edit's check
    QVERIFY(!dialog.UpdateData(true));
    QCOMPARE(dialog.options().m_strReplaceTo, std::string("0xd"));
    QCOMPARE(messages.size(), std::size_t{1});
    QVERIFY(QString::fromStdString(messages[0]).contains(QStringLiteral("中")));
  }

  void enablingRulesKeepTheValues() {
    D dialog;
    dialog.show();
    const auto enabled = [&](int id) { return dialog.Control(id)->isEnabled(); };
    QTest::mouseClick(Button(dialog, D::kIdTranslitToRussian), Qt::LeftButton);
    for (int id : {D::kIdLowerCase, D::kIdConvertInPlace, D::kIdMakeFileList}) QVERIFY(enabled(id));
    QTest::mouseClick(Button(dialog, D::kIdLowerCase), Qt::LeftButton);
    QTest::mouseClick(Button(dialog, D::kIdTranslitNone), Qt::LeftButton);
    for (int id : {D::kIdLowerCase, D::kIdConvertInPlace, D::kIdMakeFileList}) {
      QVERIFY(!enabled(id));
    }
    QVERIFY(Button(dialog, D::kIdLowerCase)->isChecked());
    QVERIFY(Button(dialog, D::kIdConvertInPlace)->isChecked());
    QCOMPARE(dialog.options().m_bLowerCase, 1);  // a disabled control still feeds its member
    QTest::mouseClick(Button(dialog, D::kIdRussianToTranslit), Qt::LeftButton);
    QVERIFY(enabled(D::kIdLowerCase) && Button(dialog, D::kIdLowerCase)->isChecked());

    QTest::mouseClick(Button(dialog, D::kIdDecompile), Qt::LeftButton);
    QVERIFY(enabled(D::kIdDecompileCgpsmapper) && enabled(D::kIdDecompileGpsMapEdit));
    QTest::mouseClick(Button(dialog, D::kIdDecompileGpsMapEdit), Qt::LeftButton);
    QTest::mouseClick(Button(dialog, D::kIdDecompile), Qt::LeftButton);
    QVERIFY(!enabled(D::kIdDecompileCgpsmapper) && !enabled(D::kIdDecompileGpsMapEdit));
    QCOMPARE(dialog.options().m_nDecompiler, 1);

    QTest::mouseClick(Button(dialog, D::kIdCompile), Qt::LeftButton);
    QVERIFY(enabled(D::kIdDeleteMpAfterCompile));
    QTest::mouseClick(Button(dialog, D::kIdDeleteMpAfterCompile), Qt::LeftButton);
    QTest::mouseClick(Button(dialog, D::kIdCompile), Qt::LeftButton);
    QVERIFY(!enabled(D::kIdDeleteMpAfterCompile));
    QCOMPARE(dialog.options().m_bDeleteMpAfterCompile, 1);
  }

  void clickingTheTextOfATwoLineBoxTicksIt() {
    D dialog;
    dialog.show();
    QAbstractButton* box = Button(dialog, D::kIdDeleteInPlace);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->width() - 3, box->height() - 3));
    QVERIFY(!box->isChecked());
  }

  void escapeAndEnterEndTheDialog_data() {
    QTest::addColumn<int>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("ends");
    QTest::newRow("Esc") << int{D::kIdDecompile} << int{Qt::Key_Escape} << true;
    QTest::newRow("Enter on a check box") << int{D::kIdDecompile} << int{Qt::Key_Return} << true;
    QTest::newRow("Enter in an edit") << int{D::kIdDeleteType} << int{Qt::Key_Enter} << true;
    QTest::newRow("Enter on Exit") << int{D::kIdExit} << int{Qt::Key_Return} << true;
    // A focused push button takes Enter itself (here a job whose file choice is cancelled).
    QTest::newRow("Enter on a push button")
        << int{D::kIdDeleteLayer} << int{Qt::Key_Return} << false;
  }

  void escapeAndEnterEndTheDialog() {
    QFETCH(int, focus);
    QFETCH(int, key);
    QFETCH(bool, ends);
    D dialog;
    dialog.jobs().host().SetFileChooser([](const pomvelt::JobFileDialogParams&) {
      return std::optional<std::vector<std::string>>();
    });
    bool ended = true;
    QTimer::singleShot(0, [&] {
      dialog.activateWindow();
      dialog.Control(focus)->setFocus();
      QTest::keyClick(dialog.Control(focus), static_cast<Qt::Key>(key));
      if (dialog.isVisible()) {
        ended = false;
        dialog.reject();
      }
    });
    dialog.exec();
    QCOMPARE(ended, ends);
  }

  void aboutBoxFromTheButtonAndTheWindowMenu() {
    D dialog;
    dialog.show();
    bool seen = false;
    ExpectAboutBox(&seen);
    Button(dialog, D::kIdAbout)->click();
    QVERIFY(seen);

    QAction* about = dialog.aboutAction();
    QCOMPARE(about->text(), QStringLiteral("&About Pomvelt..."));
    QVERIFY(dialog.actions().contains(about));
#ifndef Q_OS_WIN
    QCOMPARE(dialog.contextMenuPolicy(), Qt::ActionsContextMenu);
#endif
    seen = false;
    ExpectAboutBox(&seen);
    about->trigger();
    QVERIFY(seen);
  }
};

POMVELT_GUI_TEST(MainDialogTest)
#include "test_main_dialog.moc"
