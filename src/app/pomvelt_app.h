// The application: loads the translations, shows the main dialog modally and ends when it
// closes.
#pragma once

#include <QApplication>
#include <QIcon>
#include <QLocale>

class CPomveltApp : public QApplication {
 public:
  CPomveltApp(int& argc, char** argv);

  // The application icon (a folded map with a river and a pin), in the sizes a desktop asks for.
  static QIcon Icon();

  // Runs the main dialog; returns the program's exit status once it has closed.
  int InitInstance();

  // The language of the program's own texts: the setting's ("ru" or "en") when there is one,
  // otherwise Russian under a Russian, Ukrainian or Belarusian locale and English elsewhere.
  static QString ProgramLanguage(const QString& setting, const QLocale& system);

  // Installs Qt's own translations for the locale (or the setting's language) and, for
  // English, the program's; replaces those installed before.
  static void LoadTranslations(const QString& setting, const QLocale& system);
};
