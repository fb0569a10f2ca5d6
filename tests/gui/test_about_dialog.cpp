#include <QApplication>
#include <QDesktopServices>
#include <QEnterEvent>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

#include "gui/gui_test.h"
#include "pomvelt_version.h"
#include "widgets/about_dialog.h"
#include "widgets/hyper_link.h"

namespace {

// Stands in for the desktop's URL handler.
class UrlRecorder : public QObject {
  Q_OBJECT

 public:
  QList<QUrl> opened;

 public slots:
  void open(const QUrl& url) { opened << url; }
};

void Enter(QWidget* widget) {
  QEnterEvent event(QPointF(2, 2), QPointF(2, 2), widget->mapToGlobal(QPointF(2, 2)));
  QApplication::sendEvent(widget, &event);
}

void Leave(QWidget* widget) {
  QEvent event(QEvent::Leave);
  QApplication::sendEvent(widget, &event);
}

const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kDarkGreen(0, 13, 0);

}  // namespace

class AboutDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder_, "open");
  }
  void cleanupTestCase() { QDesktopServices::unsetUrlHandler(QStringLiteral("https")); }

  void showsTheTemplateTexts() {
    CAboutDialog about;
    QCOMPARE(about.windowTitle(), QStringLiteral("About Pomvelt"));
    QVERIFY(about.minimumSize() == about.maximumSize());
    QStringList texts;
    for (QLabel* label : about.findChildren<QLabel*>()) {
      if (!label->text().isEmpty()) texts << label->text();
    }
    QVERIFY(
        texts.contains(QStringLiteral("Pomvelt Version ") + QString::fromUtf8(pomvelt::kVersion)));
    QVERIFY(texts.contains(QStringLiteral("Свежую версию смотрите здесь:")));
    QVERIFY(texts.contains(QString::fromUtf8(kAuthorLine)));
    QVERIFY(QString::fromUtf8(kAuthorLine).startsWith(QStringLiteral("Автор: ")));
    auto* link = about.findChild<CHyperLink*>(QString::number(CAboutDialog::kIdLink));
    QVERIFY(link);
    QCOMPARE(link->text(), QString::fromUtf8(kHomePageText));
    QCOMPARE(link->LinkUrl(), QString::fromUtf8(kHomePageUrl));
    QVERIFY(link->font().underline());
    QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
    auto* ok = about.findChild<QPushButton*>(QString::number(CAboutDialog::kIdOk));
    QVERIFY(ok && ok->isDefault());
    QCOMPARE(ok->text(), QStringLiteral("OK"));
    auto* icon = about.findChild<QLabel*>(QStringLiteral("icon"));
    QVERIFY(icon && !icon->pixmap().isNull());
  }

  void linkIsRedBlueUnderTheMouseAndDarkGreenOnceVisited() {
    CAboutDialog about;
    about.show();
    CHyperLink& link = about.link();
    QCOMPARE(link.TextColor(), kRed);
    QCOMPARE(link.palette().color(QPalette::WindowText), kRed);

    Enter(&link);
    QCOMPARE(link.TextColor(), kBlue);
    QLabel* tip = link.ToolTipWindow();
    QVERIFY(tip->isVisible());
    QCOMPARE(tip->text(), QStringLiteral("Открыть сайт"));
    QCOMPARE(tip->palette().color(QPalette::Window), QColor(253, 221, 2));
    QCOMPARE(tip->palette().color(QPalette::WindowText), QColor(0, 0, 0));
    Leave(&link);
    QCOMPARE(link.TextColor(), kRed);
    QVERIFY(!tip->isVisible());

    Enter(&link);
    recorder_.opened.clear();
    QTest::mouseClick(&link, Qt::LeftButton, {}, QPoint(3, 3));
    QCOMPARE(recorder_.opened, QList<QUrl>{QUrl(QString::fromUtf8(kHomePageUrl))});
    QCOMPARE(link.TextColor(), kDarkGreen);  // while over it
    Leave(&link);
    QCOMPARE(link.TextColor(), kDarkGreen);
    QCOMPARE(link.palette().color(QPalette::WindowText), kDarkGreen);

    CAboutDialog again;
    QCOMPARE(again.link().TextColor(), kRed);
  }

  void tooltipTextNeedsTheTooltipEnabled() {
    QWidget parent;
    CHyperLink link(QStringLiteral("somewhere"), &parent);
    link.SetToolTipText(QStringLiteral("too early"));
    link.EnableToolTip(true);
    parent.show();
    Enter(&link);
    QVERIFY(link.ToolTipWindow()->text().isEmpty());
    QVERIFY(!link.ToolTipWindow()->isVisible());
    // The control's own colours when nobody sets them.
    QCOMPARE(link.TextColor(), QColor(255, 0, 0));
    Leave(&link);
    QCOMPARE(link.TextColor(), QColor(0, 0, 255));
  }

 private:
  UrlRecorder recorder_;
};

POMVELT_GUI_TEST(AboutDialogTest)
#include "test_about_dialog.moc"
