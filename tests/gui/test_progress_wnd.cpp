#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>
#include <thread>

#include "gui/gui_test.h"
#include "widgets/progress_wnd.h"

namespace {

QPushButton* CancelButton(const CProgressWnd& progress) {
  return progress.findChild<QPushButton*>(QStringLiteral("cancel"));
}

QProgressBar* Bar(const CProgressWnd& progress) {
  return progress.findChild<QProgressBar*>(QStringLiteral("progressBar"));
}

}  // namespace

class ProgressWndTest : public QObject {
  Q_OBJECT

 private slots:
  void windowHasItsControlsAndNoWayToClose() {
    QWidget owner;
    CProgressWnd progress(&owner, QStringLiteral("Конвертирую..."));
    QVERIFY(progress.parentWidget() == nullptr && !progress.isVisible());
    QCOMPARE(progress.windowTitle(), QStringLiteral("Конвертирую..."));
    QVERIFY(!(progress.windowFlags() & (Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint |
                                        Qt::WindowMinMaxButtonsHint)));
    QCOMPARE(CancelButton(progress)->text(), QStringLiteral("Cancel"));
    progress.Show();
    QVERIFY(!progress.close() && progress.isVisible());
    progress.Hide();
    QVERIFY(!progress.isVisible());
  }

  void captionFollowsThePercentage_data() {
    QTest::addColumn<int>("files");
    QTest::addColumn<QStringList>("captions");  // after SetText, then after each StepIt
    QTest::newRow("four files") << 4
                                << QStringList{"a.mp [0%]", "a.mp [25%]", "a.mp [50%]",
                                               "a.mp [75%]", "a.mp [100%]"};
    QTest::newRow("three files, truncated")
        << 3 << QStringList{"a.mp [0%]", "a.mp [33%]", "a.mp [66%]", "a.mp [100%]"};
    QTest::newRow("no files: always 0")
        << 0 << QStringList{"a.mp [0%]", "a.mp [0%]", "a.mp [0%]", "a.mp [0%]"};
    QTest::newRow("past the end: above 100")
        << 2 << QStringList{"a.mp [0%]", "a.mp [50%]", "a.mp [100%]", "a.mp [150%]"};
  }

  void captionFollowsThePercentage() {
    QFETCH(int, files);
    QFETCH(QStringList, captions);
    CProgressWnd progress(nullptr, QStringLiteral("Конвертирую..."));
    progress.SetRange(0, files, 1);
    QCOMPARE(progress.windowTitle(), QStringLiteral("Конвертирую..."));
    progress.SetText("a.mp");
    QCOMPARE(progress.windowTitle(), captions.front());
    for (qsizetype i = 1; i < captions.size(); ++i) {
      QCOMPARE(progress.StepIt(), std::min(static_cast<int>(i) - 1, files));
      QCOMPARE(progress.windowTitle(), captions[i]);
      // Inside the window as well: a window manager may clip the title.
      QCOMPARE(progress.findChild<QLabel*>(QStringLiteral("status"))->text(), captions[i]);
    }
  }

  void captionIsRewrittenOnlyWhenThePercentageChanges() {
    CProgressWnd progress(nullptr, QStringLiteral("Конвертирую..."));
    // Until the first SetText a new percentage goes with the class's own caption text.
    progress.SetRange(0, 200, 1);
    progress.SetPos(2);
    QCOMPARE(progress.windowTitle(), QStringLiteral("Progress [1%]"));

    progress.SetText("big.mp");
    progress.setWindowTitle(QStringLiteral("left alone"));
    progress.SetPos(3);  // still 1%
    QCOMPARE(progress.windowTitle(), QStringLiteral("left alone"));
    progress.SetPos(4);
    QCOMPARE(progress.windowTitle(), QStringLiteral("big.mp [2%]"));
    QCOMPARE(Bar(progress)->value(), 4);
    // The next job shows the previous caption at 0.
    progress.SetRange(0, 5, 1);
    QCOMPARE(progress.windowTitle(), QStringLiteral("big.mp [0%]"));
  }

  void cancelFlagIsClearedOnlyByShow() {
    QWidget owner;
    owner.setEnabled(false);  // a disabled owner must not disable the Cancel button
    CProgressWnd progress(&owner, QStringLiteral("Конвертирую..."));
    progress.Show();
    QVERIFY(CancelButton(progress)->isEnabled());
    QTest::mouseClick(CancelButton(progress), Qt::LeftButton);
    QVERIFY(progress.IsCancelled());
    QVERIFY(progress.isVisible());  // the job decides when to hide it
    progress.Hide();
    QVERIFY(progress.IsCancelled());
    progress.Show();
    QVERIFY(!progress.IsCancelled());
    QTest::mouseClick(CancelButton(progress), Qt::LeftButton);
    progress.Show();  // already visible: only the flag is cleared
    QVERIFY(!progress.IsCancelled());
    QVERIFY(progress.windowHandle()->transientParent() == owner.windowHandle());
  }

  void callsFromAJobThreadArriveInOrder() {
    CProgressWnd progress(nullptr, QStringLiteral("Конвертирую..."));
    QStringList captions;
    connect(&progress, &QWidget::windowTitleChanged, this,
            [&](const QString& title) { captions << title; });
    std::atomic<bool> sawCancel{false};
    std::thread job([&] {
      progress.SetRange(0, 3, 1);
      progress.Show();
      for (const char* name : {"a.mp", "b.mp", "c.mp"}) {
        progress.SetText(name);
        progress.StepIt();
      }
      // The Cancel pressed on the GUI thread while the job runs is seen here.
      while (!progress.IsCancelled()) std::this_thread::yield();
      sawCancel = true;
      progress.Hide();
    });
    QTRY_VERIFY(progress.isVisible());
    QTest::mouseClick(CancelButton(progress), Qt::LeftButton);
    QTRY_VERIFY(sawCancel.load());
    job.join();
    QTRY_VERIFY(!progress.isVisible());
    QCOMPARE(captions, (QStringList{"a.mp [0%]", "a.mp [33%]", "b.mp [33%]", "b.mp [66%]",
                                    "c.mp [66%]", "c.mp [100%]"}));
    QCOMPARE(Bar(progress)->value(), 3);
  }
};

POMVELT_GUI_TEST(ProgressWndTest)
#include "test_progress_wnd.moc"
