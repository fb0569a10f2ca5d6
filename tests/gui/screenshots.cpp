// Saves pictures of the desktop program for the documentation: the main dialog, the progress
// window during an element deletion, the search-and-replace, Eurasia, settings and recode
// dialogs, the statistics and check windows, the details of a batch, and the About box. Run under
// a display (make screenshots starts it under Xvfb); takes the folder to write into.
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

#include "app/main_dialog.h"
#include "app/pomvelt_app.h"
#include "app/result_windows.h"
#include "app/secondary_dialogs.h"
#include "text/cp1251.h"
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

// Lines given with "|" between them, each written with CR LF.
void WriteLines(const std::string& path, std::string_view lines) {
  std::ofstream file(path, std::ios::binary);
  std::size_t at = 0;
  for (std::size_t bar; (bar = lines.find('|', at)) != std::string_view::npos; at = bar + 1) {
    file << lines.substr(at, bar - at) << "\r\n";
  }
  file << lines.substr(at) << "\r\n";
}

// Two small maps for the statistics and check windows; the second has the usual faults.
void WriteDemoMaps(const std::string& moscow, const std::string& tver) {
  using pomvelt::operator""_cp;
  WriteLines(moscow,
             "[IMG ID]|ID=45000001|Name=Москва|CodePage=1251|Levels=3|Level0=24|Level1=22|"
             "Level2=20|[END-IMG ID]|[POLYGON]|Type=0x4e|Label=Парк Горького|"
             "Data0=(55.72,37.60),(55.73,37.61)|Data1=(55.72,37.60),(55.73,37.61)|[END]|"
             "[POLYLINE]|Type=0x1|Label=МКАД|Data0=(55.70,37.40),(55.91,37.54)|[END]|[POLYLINE]|"
             "Type=0x6|Label=Тверская улица|Data0=(55.76,37.60),(55.77,37.59)|[END]|[POI]|"
             "Type=0x2f06|Label=Банк|Data0=(55.75,37.61)|[END]|[POI]|Type=0x2f06|"
             "Data0=(55.74,37.62)|[END]"_cp);
  WriteLines(
      tver,
      std::string("[IMG ID]|ID=45-0002|Name=Тверь|CodePage=1251|Levels=2|Level0=22|Level1=22|"
                  "[END-IMG ID]|[POLYGON]|Type=0x4e|Data0=(56.85,35.90),(56.86,35.91)|[POLYLINE]|"
                  "Type=0x6|Data1=(56.86,35.88),(56.87,35.89)|[END]|[POI]|Label="_cp) +
          std::string(90, 'x') + "|Type=0x2f06|Data0=(56.85,35.89)|[END]");
}

}  // namespace

// pomvelt_screenshots FOLDER [--scaled]: with --scaled only the main window, named for the
// scale factor (QT_SCALE_FACTOR) it runs under.
int main(int argc, char** argv) {
  const QTemporaryDir settings;  // the defaults, whatever the user has chosen
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
  QApplication app(argc, argv);
  app.setWindowIcon(CPomveltApp::Icon());
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
  const QTemporaryDir maps;
  const std::filesystem::path folder = maps.path().toStdString();
  std::filesystem::create_directories(folder / "Pskov.mp");
  const std::string a = (folder / "Moscow.mp").string();
  const std::string b = (folder / "Pskov.mp").string();
  const std::string c = (folder / "Tver.mp").string();
  WriteLines(a, "[IMG ID]|Name=Demo|[END-IMG ID]");
  WriteLines(c, "[IMG ID]|Name=Demo|[END-IMG ID]");
  dialog.host().chooser = ([&](const pomvelt::JobFileDialogParams&) {
    return std::vector<std::string>{a, b, c};
  });
  bool taken = false;
  dialog.host().shower = ([&](const std::string&) {
    if (taken) return;
    taken = true;
    Wait(300);
    QImage during = Framed(&dialog);
    const QImage window = Framed(&dialog.progress());
    QPainter painter(&during);
    painter.drawImage((during.width() - window.width()) / 2,
                      (during.height() - window.height()) / 2, window);
    during.save(out + QStringLiteral("/progress_window.png"));
  });
  dialog.controls().deleteElements->click();
  for (int i = 0; i < 250 && (dialog.IsRunning() || !taken); ++i) Wait(20);

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

  // The statistics and check windows over two maps, as the buttons open them.
  const std::string moscow = (folder / "Moscow.mp").string();
  const std::string tver = (folder / "Tver.mp").string();
  WriteDemoMaps(moscow, tver);
  dialog.host().chooser = ([&](const pomvelt::JobFileDialogParams&) {
    return std::vector<std::string>{moscow, tver};
  });
  dialog.host().shower = [](const std::string&) {};
  const auto findings = [&](QPushButton* button, auto* kind, const char* name) {
    button->click();
    for (int i = 0; i < 250 && dialog.IsRunning(); ++i) Wait(20);
    Wait(300);
    if (auto* window = dialog.findChild<std::remove_pointer_t<decltype(kind)>*>()) {
      Framed(window).save(out + QLatin1Char('/') + QLatin1String(name));
      window->close();
      Wait(50);
    }
  };
  findings(dialog.controls().stats, static_cast<CStatsWindow*>(nullptr), "stats_window.png");
  findings(dialog.controls().check, static_cast<CCheckWindow*>(nullptr), "check_window.png");

  CSettingsDialog settingsDialog(&dialog);
  shoot(settingsDialog, "settings_dialog.png");
  CRecodeDialog recode(&dialog);
  shoot(recode, "recode_dialog.png");

  // The details of a batch as its final message opens them.
  pomvelt::BatchReport report;
  report.end = pomvelt::BatchEnd::kDone;
  for (const long long deleted : {12, 0, 3, -1}) {
    pomvelt::FileOutcome& file = report.files.emplace_back();
    file.path = "/home/user/maps/0" + std::to_string(report.files.size()) + ".mp";
    if (deleted < 0) {
      file.Fail("Не могу открыть файл для чтения", "Permission denied");
      continue;
    }
    file.result = deleted > 0 ? pomvelt::FileResult::kChanged : pomvelt::FileResult::kUnchanged;
    file.counts = {{"elementsDeleted", "удалено элементов", deleted}};
  }
  CReportDialog details(report, &dialog);
  shoot(details, "report_details.png");
  CAboutDialog about(&dialog);
  shoot(about, "about_box.png");

  std::printf("screenshots written to %s\n", qPrintable(out));
  return 0;
}
