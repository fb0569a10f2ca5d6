// What the desktop program remembers between runs, and the language it speaks.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "app/main_dialog.h"
#include "app/pomvelt_app.h"
#include "app/qt_job_host.h"
#include "app/secondary_dialogs.h"
#include "app/settings.h"
#include "gui/dialog_run.h"
#include "gui/gui_test.h"
#include "pipeline/process_runner.h"
#include "support/test_support.h"
#include "widgets/x_file_dialog.h"

using pomvelt::test::ScopedEnv;
using pomvelt::test::TempDir;

class SettingsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { PomveltSettings().clear(); }

  void optionsSurviveARestart() {
    {
      CMainDialog dialog;
      const CMainDialog::Controls& c = dialog.controls();
      dialog.show();
      for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{
               c.russianToTranslit, c.lowerCase, c.deleteInPlace, c.deletePoints, c.decompile,
               c.gpsMapEdit}) {
        b->click();
      }
      c.deleteType->setText(QStringLiteral("Дом"));
      c.layer->setText(QString());
      dialog.move(40, 30);
      CXFileDialog::lastFolder = QStringLiteral("/tmp");
      dialog.reject();
    }
    CXFileDialog::lastFolder.clear();
    CMainDialog dialog;
    const CMainDialog::Controls& c = dialog.controls();
    QVERIFY(c.russianToTranslit->isChecked() && c.lowerCase->isChecked());
    QVERIFY(c.lowerCase->isEnabled());  // the enabling rules follow the remembered choices
    QVERIFY(!c.deleteInPlace->isChecked() && c.deletePoints->isChecked());
    QVERIFY(c.gpsMapEdit->isChecked() && c.gpsMapEdit->isEnabled());
    QCOMPARE(c.deleteType->text(), QStringLiteral("Дом"));
    QCOMPARE(c.layer->text(), QString());
    QCOMPARE(dialog.pos(), QPoint(40, 30));
    QCOMPARE(PomveltSettings().value(kFolderKey).toString(), QStringLiteral("/tmp"));
  }

  // The settings dialog keeps what it is given; the conversion runs the compiler chosen there
  // with its extra arguments before the map, unless POMVELT_COMPILER names one.
  void compilerOfTheSettings() {
    TempDir bin;
    for (const char* name : {"fromSetting", "fromEnvironment"}) {
      pomvelt::test::WriteShellProgram(
          bin.File(name), "echo " + std::string(name) + " \"$1\" > '" + bin.File("log") + "'\n");
    }
    CSettingsDialog dialog;
    QCOMPARE(dialog.m_compiler->currentText(), QStringLiteral("cgpsmapper"));
    QCOMPARE(dialog.m_language->currentData().toString(), QString());
    QVERIFY(dialog.m_undo->isChecked());
    dialog.m_compiler->setCurrentText(QString::fromStdString(bin.File("fromSetting")));
    dialog.m_arguments->setText(QStringLiteral("\"-c a b\" -v"));
    dialog.m_language->setCurrentIndex(2);
    dialog.m_undo->setChecked(false);
    dialog.accept();
    CSettingsDialog again;
    QVERIFY(!again.m_undo->isChecked());
    QCOMPARE(again.m_compiler->currentText(), QString::fromStdString(bin.File("fromSetting")));
    QCOMPARE(again.m_arguments->text(), QStringLiteral("\"-c a b\" -v"));
    QCOMPARE(again.m_language->currentData().toString(), QStringLiteral("en"));

    pomvelt::test::DialogRun<CMainDialog> run;
    run.Maps({{"a.mp", "[IMG ID]\r\nName=A\r\n[END-IMG ID]\r\n"}});
    run.dialog.controls().compile->click();
    QVERIFY(run.Run(run.dialog.controls().convert));
    QCOMPARE(pomvelt::test::ReadBytes(bin.File("log")), std::string("fromSetting -c a b\n"));
    const ScopedEnv compiler(pomvelt::kCompilerEnvironmentVariable, bin.File("fromEnvironment"));
    QVERIFY(run.Run(run.dialog.controls().convert));
    QCOMPARE(pomvelt::test::ReadBytes(bin.File("log")),
             "fromEnvironment " + run.dir.File("a.mp") + "\n");
  }

  void programLanguage() {
    const struct {
      const char* setting;
      const char* locale;
      const char* language;
    } cases[] = {{"", "ru_RU", "ru"},  {"", "uk_UA", "ru"}, {"", "be_BY", "ru"},
                 {"", "de_DE", "en"},  {"", "en_US", "en"}, {"en", "ru_RU", "en"},
                 {"ru", "en_US", "ru"}};
    for (const auto& c : cases) {
      QCOMPARE(CPomveltApp::ProgramLanguage(QString::fromLatin1(c.setting),
                                            QLocale(QString::fromLatin1(c.locale))),
               QString::fromLatin1(c.language));
    }
  }

  // The program's texts and Qt's own, in the language of the locale (ctest runs this under
  // LANG=ru_RU.UTF-8 and LANG=en_US.UTF-8).
  void textsFollowTheSystemLocale() {
    const QLocale system = QLocale::system();
    CPomveltApp::LoadTranslations(QString(), system);
    CMainDialog dialog;
    CXFileDialog files(pomvelt::MapEditDialogParams());
    const QString cancel =
        files.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->text();
    const QString convert = dialog.controls().convert->text();
    if (system.language() == QLocale::Russian) {
      QCOMPARE(convert, QStringLiteral("Выбрать файл(ы) и конвертировать"));
      QCOMPARE(cancel, QStringLiteral("Отмена"));
      QCOMPARE(files.windowTitle(), QStringLiteral("Выбрать все - Ctr+A"));
    } else if (system.language() == QLocale::English) {
      QCOMPARE(convert, QStringLiteral("Choose file(s) and convert"));
      QCOMPARE(dialog.controls().translitNone->text(), QStringLiteral("Do not translate"));
      QCOMPARE(CEurasiaDialog().m_close->text(), QStringLiteral("Close"));
      QCOMPARE(files.windowTitle(), QStringLiteral("Select all - Ctrl+A"));
      QCOMPARE(files.nameFilters().front(), QStringLiteral("files(*.mp) (*.mp)"));
      QVERIFY(cancel.contains(QStringLiteral("Cancel")));
      // A failure's fixed text is translated, its file and the system's reason kept.
      QCOMPARE(QtJobHost::TranslatedMessage(
                   "Не могу открыть файл для чтения: maps/a.mp: No such file or directory"),
               QStringLiteral("Cannot open the file for reading: maps/a.mp: No such file or "
                              "directory"));
      QCOMPARE(QtJobHost::TranslatedMessage("Готово"), QStringLiteral("Done"));
      QCOMPARE(QtJobHost::TranslatedMessage("Файл: a.mp"), QStringLiteral("Файл: a.mp"));
    }
    CPomveltApp::LoadTranslations(QStringLiteral("ru"), QLocale(QLocale::English));
    CMainDialog russian;
    QCOMPARE(russian.controls().convert->text(),
             QStringLiteral("Выбрать файл(ы) и конвертировать"));
  }
};

POMVELT_GUI_TEST(SettingsTest)
#include "test_settings.moc"
