#include "app/pomvelt_app.h"

#include <QLibraryInfo>
#include <QTranslator>

#include "app/main_dialog.h"
#include "app/settings.h"
#include "pomvelt_version.h"
#include "widgets/x_file_dialog.h"

CPomveltApp::CPomveltApp(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("Pomvelt"));
  setApplicationVersion(QString::fromUtf8(pomvelt::kVersion));
  setWindowIcon(Icon());
}

QIcon CPomveltApp::Icon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    icon.addFile(QStringLiteral(":/pomvelt/icon_%1.png").arg(size), QSize(size, size));
  }
  return icon;
}

QString CPomveltApp::ProgramLanguage(const QString& setting, const QLocale& system) {
  if (setting == QLatin1String("ru") || setting == QLatin1String("en")) return setting;
  const QLocale::Language language = system.language();
  const bool russian = language == QLocale::Russian || language == QLocale::Ukrainian ||
                       language == QLocale::Belarusian;
  return russian ? QStringLiteral("ru") : QStringLiteral("en");
}

void CPomveltApp::LoadTranslations(const QString& setting, const QLocale& system) {
  static QTranslator qt;
  static QTranslator program;
  removeTranslator(&qt);
  removeTranslator(&program);
  const QString language = ProgramLanguage(setting, system);
  // Qt's texts follow the system, unless the setting chose a language.
  const QLocale qtLocale = setting.isEmpty() ? system : QLocale(language);
  if (qt.load(qtLocale, QStringLiteral("qtbase"), QStringLiteral("_"),
              QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    installTranslator(&qt);
  }
  // The program's texts are written in Russian; other languages come from a translation.
  if (language != QLatin1String("ru") &&
      program.load(QStringLiteral(":/i18n/pomvelt_") + language)) {
    installTranslator(&program);
  }
}

int CPomveltApp::InitInstance() {
  LoadTranslations(PomveltSettings().value(kLanguageKey).toString(), QLocale::system());
  CXFileDialog::lastFolder = PomveltSettings().value(kFolderKey).toString();
  CMainDialog dialog;
  dialog.exec();
  return 0;
}
