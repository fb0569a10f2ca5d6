#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "gui/gui_test.h"
#include "support/test_support.h"
#include "widgets/x_file_dialog.h"

using pomvelt::JobFileDialogParams;

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

  void cancelledDialogChoosesNothing() {
    QTimer::singleShot(0, [] {
      QWidget* modal = QApplication::activeModalWidget();
      QVERIFY(dynamic_cast<CXFileDialog*>(modal));
      static_cast<QDialog*>(modal)->reject();
    });
    QVERIFY(!CXFileDialog::Choose(pomvelt::MapEditDialogParams(), nullptr));
  }
};

POMVELT_GUI_TEST(FileDialogTest)
#include "test_file_dialog.moc"
