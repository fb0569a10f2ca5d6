#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include "app/about_dialog.h"
#include "gui/gui_test.h"
#include "pomvelt_version.h"

namespace {

// Stands in for the desktop's URL handler.
class UrlRecorder : public QObject {
  Q_OBJECT

 public:
  QList<QUrl> opened;

 public slots:
  void open(const QUrl& url) { opened << url; }
};

// The mouse onto the link (true) or off it.
void Hover(QLabel* link, bool over) {
  emit link->linkHovered(over ? QString::fromUtf8(kHomePageUrl) : QString());
}

}  // namespace

class AboutDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder_, "open");
  }
  void cleanupTestCase() { QDesktopServices::unsetUrlHandler(QStringLiteral("https")); }

  void showsItsTexts() {
    CAboutDialog about;
    QCOMPARE(about.windowTitle(), QStringLiteral("About Pomvelt"));
    QStringList texts;
    for (QLabel* label : about.findChildren<QLabel*>()) texts << label->text();
    QVERIFY(
        texts.contains(QStringLiteral("Pomvelt Version ") + QString::fromUtf8(pomvelt::kVersion)));
    QVERIFY(texts.contains(QStringLiteral("Свежую версию смотрите здесь:")));
    QVERIFY(texts.contains(QString::fromUtf8(kAuthorLine)));
    QVERIFY(about.link()->text().contains(QString::fromUtf8(kHomePageText)));
    QCOMPARE(about.link()->toolTip(), QStringLiteral("Открыть сайт"));
    QCOMPARE(about.link()->cursor().shape(), Qt::PointingHandCursor);
    auto* ok = about.findChild<QPushButton*>();
    QVERIFY(ok && ok->isDefault() && ok->text() == QStringLiteral("OK"));
    QCOMPARE(about.focusWidget(), ok);
    QVERIFY(!about.findChild<QLabel*>(QStringLiteral("icon"))->pixmap().isNull());
  }

  // Red, blue under the mouse, dark green once followed, red again in a new About box.
  void linkColours() {
    CAboutDialog about;
    about.show();
    QLabel* link = about.link();
    QCOMPARE(about.LinkColor(), QColor(255, 0, 0));
    QVERIFY(link->text().contains(QStringLiteral("#ff0000")));
    Hover(link, true);
    QCOMPARE(about.LinkColor(), QColor(0, 0, 255));
    Hover(link, false);
    QCOMPARE(about.LinkColor(), QColor(255, 0, 0));

    recorder_.opened.clear();
    emit link->linkActivated(QString::fromUtf8(kHomePageUrl));
    QCOMPARE(recorder_.opened, QList<QUrl>{QUrl(QString::fromUtf8(kHomePageUrl))});
    Hover(link, true);
    QCOMPARE(about.LinkColor(), QColor(0, 13, 0));
    QVERIFY(link->text().contains(QStringLiteral("#000d00")));
    CAboutDialog again;
    QCOMPARE(again.LinkColor(), QColor(255, 0, 0));
  }

 private:
  UrlRecorder recorder_;
};

POMVELT_GUI_TEST(AboutDialogTest)
#include "test_about_dialog.moc"
