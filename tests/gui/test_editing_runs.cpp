// Type replacement and layer deletion driven through the main dialog's buttons, each on a job
// thread with the dialog disabled; Cancel heard while a job's message box is open.
#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <filesystem>
#include <functional>

#include "app/main_dialog.h"
#include "gui/dialog_run.h"
#include "gui/gui_test.h"
#include "support/test_support.h"

using D = CMainDialog;
using Run = pomvelt::test::DialogRun<D>;
using pomvelt::test::CrLf;
using pomvelt::test::Exists;
using pomvelt::test::ReadBytes;
using pomvelt::test::TempDir;
using pomvelt::test::WriteBytes;

namespace {

const std::string kMap =
    CrLf({"[IMG ID]", "Name=Test", "[END-IMG ID]", "[POLYGON]", "Type=0x1", "Label=Lake",
          "Data0=(1,1),(2,2),(3,1)", "[END]", "[POLYLINE]", "Type=0x1", "Label=Road",
          "Data1=(5,5),(6,6)", "Data2=(5,5),(7,7)", "EndLevel=3", "[END]"});

// Answers the real message boxes as they come, while `owner` lives: the first with `first`,
// all with OK, and records their texts.
void AnswerMessageBoxes(QObject* owner, QStringList& texts, const std::function<void()>& first) {
  auto* poll = new QTimer(owner);
  QObject::connect(poll, &QTimer::timeout, [&texts, first, poll] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* box = qobject_cast<QMessageBox*>(w);
      if (!box || !box->isVisible()) continue;
      texts << box->text();
      if (texts.size() == 1) first();
      box->button(QMessageBox::Ok)->click();
      if (texts.last().startsWith(QStringLiteral("Прервано"))) poll->deleteLater();
      return;
    }
  });
  poll->start(20);
}

}  // namespace

class EditingRunsTest : public QObject {
  Q_OBJECT

 private slots:
  void typeReplacementOnAJobThread() {
    TempDir dir;
    Run run;
    run.dialog.show();
    WriteBytes(dir.File("a.mp"), kMap);
    WriteBytes(dir.File("b.mp"), kMap);
    run.files = {dir.File("a.mp"), dir.File("b.mp")};
    run.dialog.controls().replaceInPlace->click();
    run.Press(run.dialog.controls().replaceTypes);
    QVERIFY(!run.dialog.isEnabled());
    QVERIFY(run.finished.wait(10000));
    QVERIFY(run.dialog.isEnabled());
    QCOMPARE(run.messages, std::vector<std::string>{"Готово"});
    QVERIFY(run.dialogsOnGuiThread);
    QCOMPARE(run.asked.at(0).defaultExtension.value_or(""), std::string(".mp"));
    QCOMPARE(run.captions, (QStringList{"a.mp [0%]", "a.mp [50%]", "b.mp [50%]", "b.mp [100%]"}));
    // Copies: only the polygon's type changes.
    for (const char* stem : {"a", "b"}) {
      const std::string in = dir.File(std::string(stem) + ".mp");
      QCOMPARE(ReadBytes(in), kMap);
      QCOMPARE(ReadBytes(dir.File(std::string(stem) + "_0x1_replaced.mp")),
               CrLf({"[IMG ID]", "Name=Test", "[END-IMG ID]", "[POLYGON]", "Type=0xd", "Label=Lake",
                     "Data0=(1,1),(2,2),(3,1)", "[END]", "[POLYLINE]", "Type=0x1", "Label=Road",
                     "Data1=(5,5),(6,6)", "Data2=(5,5),(7,7)", "EndLevel=3", "[END]"}));
    }
  }

  // The second of five maps cannot be read; while its message box is open, Cancel is clicked
  // in the progress window through the window system (which drops clicks on windows a modal
  // box blocks). The job stops before the third map.
  void cancelWhileAMessageBoxIsOpen_data() {
    QTest::addColumn<QString>("command");
    QTest::newRow("layer deletion") << "layer";
    QTest::newRow("element deletion") << "elements";
  }

  void cancelWhileAMessageBoxIsOpen() {
    QFETCH(QString, command);
    TempDir dir;
    Run run;
    run.dialog.host().shower = nullptr;  // the real boxes
    // One map at a time: with more, the maps after b.mp may be done before its box is shown.
    run.dialog.host().SetJobs(1);
    for (const char* name : {"a.mp", "b.mp", "c.mp", "d.mp", "e.mp"}) {
      if (std::string(name) == "b.mp") {
        std::filesystem::create_directory(dir.File(name));
      } else {
        WriteBytes(dir.File(name), kMap);
      }
      run.files.push_back(dir.File(name));
    }
    QStringList texts;
    bool cancelUsable = false;
    AnswerMessageBoxes(&run.dialog, texts, [&] {
      QWidget* progress = &run.dialog.progress();
      auto* cancel = progress->findChild<QPushButton*>(QStringLiteral("cancel"));
      cancelUsable = progress->isVisible() && cancel->isEnabled() && !run.dialog.isEnabled();
      QTest::mouseClick(progress->windowHandle(), Qt::LeftButton, {}, cancel->geometry().center());
      run.dialog.reject();  // refused while the job runs
    });
    connect(&run.dialog, &JobDialog::jobFinished, &run.dialog, &QDialog::reject);
    QTimer::singleShot(0, [&] {
      run.Press(command == QLatin1String("layer") ? run.dialog.controls().deleteLayer
                                                  : run.dialog.controls().deleteElements);
    });
    QTimer::singleShot(20000, &run.dialog, &QDialog::reject);  // should a check above fail
    run.dialog.exec();
    QVERIFY(cancelUsable);
    QCOMPARE(texts.size(), 2);
    // The end message, then the summary of the batch so far.
    QVERIFY(texts.back().startsWith(QStringLiteral("Прервано\n\n5 файлов, ")));
    QCOMPARE(run.captions, (QStringList{"a.mp [0%]", "a.mp [20%]", "b.mp [20%]", "b.mp [40%]"}));
    for (const char* name : {"c.mp", "d.mp", "e.mp"}) QCOMPARE(ReadBytes(dir.File(name)), kMap);
  }

  void layerDeletionTakesTheLayerOnScreen() {
    TempDir dir;
    Run run;
    run.dialog.show();
    WriteBytes(dir.File("a.mp"), kMap);
    run.files = {dir.File("a.mp")};
    QLineEdit* layer = run.dialog.controls().layer;
    layer->setText(QStringLiteral("2"));
    run.dialog.controls().deleteInPlace->click();
    run.Press(run.dialog.controls().deleteLayer);
    QVERIFY(run.finished.wait(10000));
    QCOMPARE(run.finished.count(), 1);
    QCOMPARE(ReadBytes(dir.File("a.mp")), kMap);
    QCOMPARE(ReadBytes(dir.File("a_2_layer_deleted.mp")),
             CrLf({"[IMG ID]", "Name=Test", "[END-IMG ID]", "[POLYGON]", "Type=0x1", "Label=Lake",
                   "Data0=(1,1),(2,2),(3,1)", "[END]"}));
  }
};

POMVELT_GUI_TEST(EditingRunsTest)
#include "test_editing_runs.moc"
