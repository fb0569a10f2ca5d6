// The main dialog as a user meets it: texts and defaults, the Tab order and the radio groups'
// keys, the enabling rules, the options each control feeds, Enter and Esc, the About box, and
// a size that fits a small screen at a large scale.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/main_dialog.h"
#include "app/secondary_dialogs.h"
#include "app/settings.h"
#include "gui/gui_test.h"
#include "pomvelt_version.h"
#include "support/test_support.h"
#include "widgets/x_file_dialog.h"

using D = CMainDialog;
using pomvelt::test::Type;

namespace {

// Clicks on the button's indicator, as a user does (a button may be wider than its text).
void Click(QAbstractButton* button) {
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

QString GroupOf(const QWidget* widget) {
  QStringList titles;
  for (QWidget* p = widget->parentWidget(); p; p = p->parentWidget()) {
    if (auto* box = qobject_cast<QGroupBox*>(p)) titles.prepend(box->title());
  }
  return titles.join(QLatin1Char('/'));
}

// True when `open` opens an About box (closed again at once).
bool OpensAboutBox(const std::function<void()>& open) {
  bool seen = false;
  QTimer::singleShot(0, [&seen] {
    QWidget* modal = QApplication::activeModalWidget();
    seen = dynamic_cast<CAboutDialog*>(modal) != nullptr;
    if (modal) static_cast<QDialog*>(modal)->reject();
  });
  open();
  return seen;
}

}  // namespace

class MainDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { PomveltSettings().clear(); }

  void textsGroupsAndDefaults() {
    D dialog;
    const D::Controls& c = dialog.controls();
    const QString conv = QStringLiteral("Конвертация");
    const QString tr = conv + QStringLiteral("/Перевод");
    const QString comp = conv + QStringLiteral("/Компиляция");
    const QString repl = QStringLiteral("Замена атрибутов");
    const QString del = QStringLiteral("Удаление элементов");
    const struct {
      QAbstractButton* button;
      const char* text;
      QString group;
      bool checked;
      bool enabled = true;
    } buttons[] = {
        {c.decompile, "Декомпилировать карту (.img) в польский формат", conv, false},
        {c.cgpsmapper, "cgpsmapper", conv, true, false},
        {c.gpsMapEdit, "GPSMapEdit (всю директорию)", conv, false, false},
        {c.convert, "Выбрать файл(ы) и конвертировать", conv, false},
        {c.translitToRussian, "Translit => Русский", tr, false},
        {c.russianToTranslit, "Русский => Translit", tr, false},
        {c.translitNone, "Не переводить", tr, true},
        {c.lowerCase, "Преобразовывать заглавные буквы в строчные (кроме первых в слове)", tr,
         false, false},
        {c.convertInPlace, "Делать конвертацию в оригинале (не создавать копию)", tr, true, false},
        {c.makeFileList, "Создавать список файлов", tr, false, false},
        {c.compile, "Компилировать карту (необходимо наличие файла cgpsmapper.exe)", comp, false},
        {c.deleteMpAfterCompile, "Удалять исходные файлы (.mp) после компиляции", comp, false,
         false},
        {c.replaceInPolygons, "в полигонах", repl, true},
        {c.replaceInLines, "в линиях", repl, false},
        {c.replaceInPlace, "Делать замену в оригинале (не создавать копию)", repl, true},
        {c.replaceTypes, "Выбрать файл(ы) и произвести замену", repl, false},
        {c.deletePolygons, "полигоны", del, true},
        {c.deleteLines, "линии", del, false},
        {c.deletePoints, "точки", del, false},
        {c.deleteInPlace, "Удалять элементы в оригинале (не делать копию)", del, true},
        {c.deleteElements, "Выбрать файл(ы) и удалить элементы", del, false},
        {c.deleteLayer, "Выбрать файл(ы) и удалить элементы", QStringLiteral("Удаление слоев"),
         false},
        {c.eurasia, "Утилиты для \"Евразии\"...", QStringLiteral("Евразия"), false},
        {c.searchReplace, "Поиск и замена...", QStringLiteral("Поиск и замена"), false},
        {c.recode, "Перекодировка...", QStringLiteral("Поиск и замена"), false},
        {c.keepWhole, "сохранять остальные элементы целиком", QStringLiteral("Удаление слоев"),
         false},
        {c.stats, "Статистика...", QStringLiteral("Анализ и правила"), false},
        {c.check, "Проверка...", QStringLiteral("Анализ и правила"), false},
        {c.rules, "Правила...", QStringLiteral("Анализ и правила"), false},
        {c.settings, "Настройки...", QString(), false},
        {c.about, "О программе", QString(), false},
        {c.exit, "Выход", QString(), false},
    };
    for (const auto& b : buttons) {
      QCOMPARE(b.button->text().replace(QLatin1Char('\n'), QLatin1Char(' ')),
               QString::fromUtf8(b.text));
      QCOMPARE(GroupOf(b.button), b.group);
      QCOMPARE(b.button->isChecked(), b.checked);
      QCOMPARE(b.button->isEnabled(), b.enabled);
      if (auto* push = qobject_cast<QPushButton*>(b.button)) QVERIFY(!push->isDefault());
    }
    QCOMPARE(c.replaceFrom->text(), QStringLiteral("0x1"));
    QCOMPARE(c.replaceTo->text(), QStringLiteral("0xd"));
    QCOMPARE(c.deleteType->text(), QStringLiteral("0x4b"));
    QCOMPARE(c.layer->text(), QStringLiteral("0"));
    const QStringList labels = pomvelt::test::LabelTexts(dialog);
    for (const char* text :
         {"Утилита для пакетной обработки карт в \"польском формате\" (формат используется "
          "программой GPSMapEdit)",
          "Менять:", "Атрибут:", "Заменить на атрибут:", "Удалять:", "С атрибутом:",
          "Удалять все элементы слоя:", "Поиск и замена произвольной строки"}) {
      QVERIFY2(labels.contains(QString::fromUtf8(text)), text);
    }
    QCOMPARE(dialog.windowTitle(),
             QStringLiteral("Pomvelt ") + QString::fromUtf8(pomvelt::kVersion));
    QVERIFY(
        !(dialog.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QVERIFY(!dialog.windowIcon().isNull());

    // Only the controls that depend on another choice, as the table says.
    int disabled = 0;
    for (QWidget* w : dialog.findChildren<QWidget*>()) disabled += w->isEnabled() ? 0 : 1;
    QCOMPARE(disabled, 6);
    QCOMPARE(dialog.focusWidget(), c.decompile);
  }

  // The template's order, each radio group one stop on its selected button.
  void tabOrder() {
    D dialog;
    const D::Controls& c = dialog.controls();
    c.russianToTranslit->click();
    const QList<QWidget*> expected = {c.decompile,      c.russianToTranslit,
                                      c.lowerCase,      c.convertInPlace,
                                      c.compile,        c.replaceInPolygons,
                                      c.replaceInPlace, c.replaceFrom,
                                      c.replaceTo,      c.replaceTypes,
                                      c.deletePolygons, c.deleteType,
                                      c.deleteInPlace,  c.deleteElements,
                                      c.exit,           c.convert,
                                      c.about,          c.settings,
                                      c.deleteLayer,    c.layer,
                                      c.keepWhole,      c.deleteMpAfterCompile,
                                      c.makeFileList,   c.cgpsmapper,
                                      c.searchReplace,  c.recode,
                                      c.eurasia,        c.stats,
                                      c.check,          c.rules};
    QCOMPARE(pomvelt::test::TabChain(c.decompile), expected);

    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    c.decompile->setFocus();
    QTest::keyClick(&dialog, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), c.russianToTranslit);
  }

  // Arrow keys move within a group, wrap round, skip nothing enabled, and select: the
  // enabling rules follow as they do on a click.
  void arrowKeysSelectWithinTheGroup() {
    D dialog;
    const D::Controls& c = dialog.controls();
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    c.translitNone->setFocus();
    QTest::keyClick(c.translitNone, Qt::Key_Down);
    QCOMPARE(QApplication::focusWidget(), c.translitToRussian);
    QVERIFY(c.translitToRussian->isChecked());
    QVERIFY(c.lowerCase->isEnabled());
    QTest::keyClick(c.translitToRussian, Qt::Key_Up);
    QVERIFY(c.translitNone->isChecked());
    QVERIFY(!c.lowerCase->isEnabled());
    QTest::keyClick(c.translitNone, Qt::Key_Left);
    QVERIFY(c.russianToTranslit->isChecked());
    QVERIFY(dialog.ConversionOptions().translation == pomvelt::Translation::kToTranslit);

    c.deletePolygons->setFocus();
    QTest::keyClick(c.deletePolygons, Qt::Key_Right);
    QTest::keyClick(c.deleteLines, Qt::Key_Right);
    QVERIFY(c.deletePoints->isChecked());
  }

  void controlsGiveTheOptions() {
    D dialog;
    const D::Controls& c = dialog.controls();
    dialog.show();
    Click(c.deleteLines);
    Click(c.replaceInLines);
    Click(c.deleteInPlace);
    Click(c.makeFileList);
    c.deleteType->clear();
    Type(c.deleteType, QStringLiteral("Дом"));
    c.layer->clear();
    Type(c.layer, QStringLiteral("1x2"));  // digits only
    QVERIFY(dialog.DeletionOptions().kind == pomvelt::ElementKind::kLine);
    QVERIFY(dialog.ReplaceOptions().kind == pomvelt::ElementKind::kLine);
    QVERIFY(!dialog.DeletionOptions().inPlace && !dialog.LayerOptions().inPlace);
    QCOMPARE(dialog.DeletionOptions().typeCode, std::string("Дом"));
    QCOMPARE(dialog.LayerOptions().layer, std::string("12"));

    // Text code page 1251 cannot hold: refused as typed, reported when put there otherwise, and
    // no job starts.
    std::vector<std::string> messages;
    dialog.host().shower = ([&](const std::string& m) { messages.push_back(m); });
    c.replaceTo->clear();
    Type(c.replaceTo, QStringLiteral("0x中2"));
    QCOMPARE(c.replaceTo->text(), QStringLiteral("0x2"));
    c.replaceTo->setText(QStringLiteral("中"));
    QVERIFY(!dialog.StartThreadedJob([](pomvelt::JobHost&) {}));
    QCOMPARE(messages.size(), std::size_t{1});
    QCOMPARE(dialog.focusWidget(), c.replaceTo);
  }

  // A disabled control keeps its value and still gives it to the command.
  void enablingRulesKeepTheValues() {
    D dialog;
    const D::Controls& c = dialog.controls();
    dialog.show();
    Click(c.translitToRussian);
    Click(c.lowerCase);
    Click(c.translitNone);
    QVERIFY(!c.lowerCase->isEnabled() && c.lowerCase->isChecked());
    Click(c.decompile);
    QVERIFY(c.cgpsmapper->isEnabled() && c.gpsMapEdit->isEnabled());
    Click(c.gpsMapEdit);
    Click(c.decompile);
    QVERIFY(!c.gpsMapEdit->isEnabled());
    Click(c.compile);
    Click(c.deleteMpAfterCompile);
    Click(c.compile);
    QVERIFY(!c.deleteMpAfterCompile->isEnabled());
    const pomvelt::ConvertOptions o = dialog.ConversionOptions();
    QVERIFY(o.lowerCase && o.decompiler == pomvelt::Decompiler::kGpsMapEdit);
    QVERIFY(o.deleteMpAfterCompile);
  }

  void escapeAndEnterEndTheDialog() {
    enum Focus { kCheckBox, kEdit, kExit, kPushButton };
    const struct {
      Focus focus;
      Qt::Key key;
      bool ends;
    } cases[] = {
        {kCheckBox, Qt::Key_Escape, true},
        {kCheckBox, Qt::Key_Return, true},
        {kEdit, Qt::Key_Enter, true},
        {kExit, Qt::Key_Return, true},
        // A focused push button takes Enter itself (here a job whose file choice is cancelled).
        {kPushButton, Qt::Key_Return, false},
    };
    for (const auto& t : cases) {
      D dialog;
      const D::Controls& c = dialog.controls();
      QWidget* focus =
          std::vector<QWidget*>{c.decompile, c.deleteType, c.exit, c.deleteLayer}[t.focus];
      dialog.host().chooser = [](const pomvelt::JobFileDialogParams&) {
        return std::optional<std::vector<std::string>>();
      };
      bool ended = true;
      QTimer::singleShot(0, [&] {
        dialog.activateWindow();
        focus->setFocus();
        QTest::keyClick(focus, t.key);
        QTRY_VERIFY(!dialog.IsRunning());
        if (dialog.isVisible()) {
          ended = false;
          dialog.reject();
        }
      });
      dialog.exec();
      QCOMPARE(ended, t.ends);
    }
  }

  void aboutBoxFromTheButtonAndTheWindowMenu() {
    D dialog;
    dialog.show();
    QVERIFY(OpensAboutBox([&] { dialog.controls().about->click(); }));
    QAction* about = dialog.aboutAction();
    QCOMPARE(about->text(), QStringLiteral("&About Pomvelt..."));
    QCOMPARE(dialog.contextMenuPolicy(), Qt::ActionsContextMenu);
    QVERIFY(OpensAboutBox([&] { about->trigger(); }));
  }

  // Run also with QT_SCALE_FACTOR=1.5: the window with its frame fits 1280 x 800.
  void fitsASmallScreen() {
    D dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const qreal scale = dialog.devicePixelRatio();
    constexpr int kFrame = 40;  // a title bar and borders
    QVERIFY2(
        dialog.width() * scale <= 1280 && (dialog.height() + kFrame) * scale <= 800,
        qPrintable(
            QStringLiteral("%1 x %2 at %3").arg(dialog.width()).arg(dialog.height()).arg(scale)));
  }

  // Maps dropped on the window are the next file dialog's selection.
  void droppedMapsArePreselected() {
    pomvelt::test::TempDir dir;
    for (const char* name : {"a.mp", "b.mp"}) pomvelt::test::WriteBytes(dir.File(name), "");
    D dialog;
    dialog.show();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(dir.File("a.mp"))),
                  QUrl::fromLocalFile(QString::fromStdString(dir.File("b.mp"))),
                  QUrl::fromLocalFile(QString::fromStdString(dir.path().string()))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &drop);
    QVERIFY(dialog.controls().dropped->isVisible());
    CXFileDialog chooser(pomvelt::MapEditDialogParams());
    QCOMPARE(chooser.selectedFiles(), (QStringList{QString::fromStdString(dir.File("a.mp")),
                                                   QString::fromStdString(dir.File("b.mp"))}));
  }
};

POMVELT_GUI_TEST(MainDialogTest)
#include "test_main_dialog.moc"
