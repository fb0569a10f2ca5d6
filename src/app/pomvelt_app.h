// The application: shows the main dialog modally and ends when it closes. No command line,
// no settings: every start begins from the dialog's defaults.
#pragma once

#include <QApplication>

class CPomveltApp : public QApplication {
 public:
  CPomveltApp(int& argc, char** argv);

  // Runs the main dialog; returns the program's exit status once it has closed.
  int InitInstance();
};
