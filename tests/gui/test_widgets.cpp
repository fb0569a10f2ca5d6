// The widgets every job uses: the progress window (its caption, bar and Cancel, called from a
// job thread) and the file dialog (its title, button, filters, patterns and select-all).
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <filesystem>

#include "gui/gui_test.h"
#include "support/test_support.h"
#include "widgets/progress_wnd.h"
#include "widgets/x_file_dialog.h"

using pomvelt::JobFileDialogParams;

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
};

POMVELT_GUI_TEST(ProgressWndTest)

class FileDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void filtersShowTheirDescriptions_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("nameFilters");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("maps") << QString::fromUtf8(pomvelt::kMapFilesFilter)
                          << QStringList{"файлы(*.mp) (*.mp)", "файлы(*.txt) (*.txt)",
                                         "Все файлы (*.*) (*)"}
                          << QStringList{"файлы(*.mp)", "файлы(*.txt)", "Все файлы (*.*)"};
    QTest::newRow("compiled maps") << QStringLiteral("файлы(*.img)|*.img|Все файлы (*.*)|*.*|")
                                   << QStringList{"файлы(*.img) (*.img)", "Все файлы (*.*) (*)"}
                                   << QStringList{"файлы(*.img)", "Все файлы (*.*)"};
    QTest::newRow("several patterns") << QStringLiteral("Maps|*.mp;*.txt|")
                                      << QStringList{"Maps (*.mp *.txt)"} << QStringList{"Maps"};
  }

  void filtersShowTheirDescriptions() {
    QFETCH(QString, filter);
    QFETCH(QStringList, nameFilters);
    QFETCH(QStringList, shown);
    QCOMPARE(CXFileDialog::NameFilters(filter.toStdString()), nameFilters);
    JobFileDialogParams params = pomvelt::MapEditDialogParams();
    params.filter = filter.toStdString();
    CXFileDialog dialog(params);
    auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    QVERIFY(types);
    QStringList texts;
    for (int i = 0; i < types->count(); ++i) texts << types->itemText(i);
    QCOMPARE(texts, shown);
  }

  void dialogOfTheMapEditingJobs() {
    CXFileDialog dialog(pomvelt::MapEditDialogParams());
    QVERIFY(dialog.testOption(QFileDialog::DontUseNativeDialog));
    QCOMPARE(dialog.fileMode(), QFileDialog::ExistingFiles);
    QCOMPARE(dialog.acceptMode(), QFileDialog::AcceptOpen);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Выбрать все - Ctr+A"));
    QCOMPARE(dialog.defaultSuffix(), QStringLiteral("mp"));
    auto* buttons = dialog.findChild<QDialogButtonBox*>();
    QVERIFY(buttons);
    QCOMPARE(buttons->button(QDialogButtonBox::Open)->text(), QStringLiteral("Convert!"));
  }

  // A pattern, given or typed, filters the list; it is never taken for a missing file.
  void patternsFilterTheList() {
    JobFileDialogParams params;
    params.initialFileName = "*.mp";
    params.flags = pomvelt::kOfnAllowMultiSelect | pomvelt::kOfnNoValidate;
    CXFileDialog dialog(params);
    auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    QVERIFY(name->text().isEmpty());
    QCOMPARE(dialog.selectedNameFilter(), QStringLiteral("файлы(*.mp)"));
    dialog.show();
    name->setText(QStringLiteral("*.txt"));
    dialog.accept();
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.selectedNameFilter(), QStringLiteral("файлы(*.txt)"));
    name->setText(QStringLiteral("a*"));
    dialog.accept();
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.selectedNameFilter(), QStringLiteral("a*"));
    QVERIFY(QApplication::activeModalWidget() == nullptr);  // no "File not found"
  }

  // Ctrl+A beside a subfolder selects the maps only, and the button still converts.
  void selectAllTakesFilesOnly() {
    pomvelt::test::TempDir dir;
    pomvelt::test::WriteBytes(dir.File("a.mp"), "");
    std::filesystem::create_directory(dir.File("sub"));
    CXFileDialog::lastFolder = QString::fromStdString(dir.path().string());
    std::optional<std::vector<std::string>> chosen;
    QString buttonText;
    QTimer::singleShot(0, [&] {
      auto* dialog = dynamic_cast<CXFileDialog*>(QApplication::activeModalWidget());
      QVERIFY(dialog);
      auto* list = dialog->findChild<QListView*>(QStringLiteral("listView"));
      QTRY_COMPARE(list->model()->rowCount(list->rootIndex()), 2);
      list->setFocus();
      QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
      QPushButton* accept = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Open);
      buttonText = accept->text();
      accept->click();
      if (dialog->isVisible()) dialog->reject();
    });
    chosen = CXFileDialog::Choose(pomvelt::MapEditDialogParams(), nullptr);
    QCOMPARE(buttonText, QStringLiteral("Convert!"));
    QCOMPARE(chosen.value_or(std::vector<std::string>{}),
             std::vector<std::string>{dir.File("a.mp")});
    QCOMPARE(CXFileDialog::lastFolder, QString::fromStdString(dir.path().string()));

    // A cancelled dialog chooses nothing.
    QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
    QVERIFY(!CXFileDialog::Choose(pomvelt::MapEditDialogParams(), nullptr));
  }

  void everyChosenFileComesBackAsAFullPathInOrder() {
    pomvelt::test::TempDir dir;
    for (const char* name : {"a.mp", "b.mp", "c.mp"}) pomvelt::test::WriteBytes(dir.File(name), "");
    CXFileDialog dialog(pomvelt::MapEditDialogParams());
    dialog.setDirectory(QString::fromStdString(dir.path().string()));
    dialog.show();
    auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    name->setText(QStringLiteral("\"c.mp\" \"a.mp\" \"b.mp\""));
    dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Open)->click();
    QCOMPARE(dialog.result(), static_cast<int>(QDialog::Accepted));
    QCOMPARE(dialog.ChosenPaths(),
             (std::vector<std::string>{dir.File("c.mp"), dir.File("a.mp"), dir.File("b.mp")}));
  }
};

POMVELT_GUI_TEST(FileDialogTest)
#include "test_widgets.moc"
