// Saves pictures of the desktop program for the documentation: the main dialog, the progress
// window during an element deletion, the search-and-replace, Eurasia and settings dialogs, and
// the About box. Run under a display (make screenshots starts it under Xvfb); takes the folder
// to write into.
#include <sys/stat.h>
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "app/about_dialog.h"
#include "app/app_icon.h"
#include "app/eurasia_dialog.h"
#include "app/main_dialog.h"
#include "app/search_replace_dialog.h"
#include "app/settings_dialog.h"
#include "widgets/progress_wnd.h"

namespace {

// Without a window manager a grab has no frame: draw a plain caption bar above the client.
QImage Framed(QWidget* window) {
  QPixmap client = window->grab();
  client.setDevicePixelRatio(1);  // in the screen's pixels, at any scale
  const QFontMetrics metrics(window->font());
  const int bar = metrics.height() + 10;
  QImage image(client.width() + 2, client.height() + bar + 1, QImage::Format_RGB32);
  QPainter painter(&image);
  painter.fillRect(image.rect(), QColor(60, 60, 60));
  painter.fillRect(QRect(1, 1, client.width(), bar - 1), QColor(44, 86, 148));
  int textLeft = 8;
  if (!window->windowIcon().isNull()) {
    painter.drawPixmap(6, (bar - 16) / 2, window->windowIcon().pixmap(16, 16));
    textLeft = 28;
  }
  painter.setPen(Qt::white);
  painter.drawText(QRect(textLeft, 0, client.width() - textLeft, bar), Qt::AlignVCenter,
                   window->windowTitle());
  painter.drawPixmap(1, bar, client);
  return image;
}

void Wait(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

void WriteMap(const std::string& path) {
  std::ofstream(path, std::ios::binary) << "[IMG ID]\r\nName=Demo\r\n[END-IMG ID]\r\n";
}

}  // namespace

// pomvelt_screenshots FOLDER [--scaled]: with --scaled only the main window, named for the
// scale factor (QT_SCALE_FACTOR) it runs under.
int main(int argc, char** argv) {
  const QTemporaryDir settings;  // the defaults, whatever the user has chosen
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
  QApplication app(argc, argv);
  app.setWindowIcon(PomveltIcon());
  const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs");
  QDir().mkpath(out);

  CMainDialog dialog;
  dialog.show();
  Wait(300);
  if (argc > 2 && QByteArray(argv[2]) == "--scaled") {
    Framed(&dialog).save(out + QStringLiteral("/main_dialog_scaled.png"));
    return 0;
  }
  Framed(&dialog).save(out + QStringLiteral("/main_dialog.png"));

  // A real element deletion over three maps. The second is a folder, so the job stops inside
  // it to report that; the picture is taken while the report is pending.
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("pomvelt-shots-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder / "Pskov.mp");
  const std::string a = (folder / "Moscow.mp").string();
  const std::string b = (folder / "Pskov.mp").string();
  const std::string c = (folder / "Tver.mp").string();
  WriteMap(a);
  WriteMap(c);
  dialog.jobs().host().SetFileChooser([&](const pomvelt::JobFileDialogParams&) {
    return std::vector<std::string>{a, b, c};
  });
  bool taken = false;
  dialog.jobs().host().SetMessageBox([&](const std::string&) {
    if (taken) return;
    taken = true;
    Wait(300);
    QImage during = Framed(&dialog);
    const QImage window = Framed(dialog.progress().widget());
    QPainter painter(&during);
    painter.drawImage((during.width() - window.width()) / 2,
                      (during.height() - window.height()) / 2, window);
    during.save(out + QStringLiteral("/progress_window.png"));
  });
  dialog.controls().deleteElements->click();
  for (int i = 0; i < 250 && (dialog.jobs().IsRunning() || !taken); ++i) Wait(20);

  const auto shoot = [&](QWidget& window, const char* name) {
    window.show();
    Wait(300);
    Framed(&window).save(out + QLatin1Char('/') + QLatin1String(name));
    window.hide();
  };
  CSearchReplaceDialog search(&dialog);
  shoot(search, "search_replace_dialog.png");
  CEurasiaDialog eurasia(&dialog);
  shoot(eurasia, "eurasia_dialog.png");

  CSettingsDialog settingsDialog(&dialog);
  shoot(settingsDialog, "settings_dialog.png");

  CAboutDialog about(&dialog);
  about.show();
  Wait(300);
  Framed(&about).save(out + QStringLiteral("/about_box.png"));

  std::filesystem::remove_all(folder);
  std::printf("screenshots written to %s\n", qPrintable(out));
  return 0;
}
