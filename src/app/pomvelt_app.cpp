#include "app/pomvelt_app.h"

#include "app/app_icon.h"
#include "app/main_dialog.h"
#include "pomvelt_version.h"

CPomveltApp::CPomveltApp(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("Pomvelt"));
  setApplicationVersion(QString::fromUtf8(pomvelt::kVersion));
  setWindowIcon(PomveltIcon());
}

int CPomveltApp::InitInstance() {
  CMainDialog dialog;
  dialog.exec();
  return 0;
}
