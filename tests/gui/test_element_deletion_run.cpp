// Element deletion driven through the main dialog's button, as a user runs it: a job thread,
// the dialog disabled meanwhile, the real progress window, a scripted file chooser.
#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QWindow>
#include <filesystem>
#include <stdexcept>

#include "app/main_dialog.h"
#include "gui/dialog_run.h"
#include "gui/gui_test.h"
#include "jobs/delete_elements.h"
#include "support/test_support.h"

using D = CMainDialog;
using pomvelt::test::CrLf;
using pomvelt::test::ReadBytes;
using pomvelt::test::TempDir;
using pomvelt::test::WriteBytes;

namespace {

const std::string kMap = CrLf({"[IMG ID]", "Name=Test", "[END-IMG ID]", "[POLYGON]", "Type=0x4b",
                               "Data0=(1,1),(2,2),(3,1)", "[END]", "[POLYGON]", "Type=0x2",
                               "Data0=(5,5),(6,6),(7,5)", "[END]"});
const std::string kWithout4b = CrLf({"[IMG ID]", "Name=Test", "[END-IMG ID]", "[POLYGON]",
                                     "Type=0x2", "Data0=(5,5),(6,6),(7,5)", "[END]"});

using Run = pomvelt::test::DialogRun<D>;

}  // namespace

class ElementDeletionRunTest : public QObject {
  Q_OBJECT

 private slots:
  void threeFilesInPlace() {
    TempDir dir;
    Run run;
    run.dialog.show();
    for (const char* name : {"a.mp", "b.mp", "c.mp"}) {
      WriteBytes(dir.File(name), kMap);
      run.files.push_back(dir.File(name));
    }
    run.Press(run.dialog.controls().deleteElements);
    QVERIFY(!run.dialog.isEnabled());  // from the click until the job has returned
    QVERIFY(run.finished.wait(10000));
    QVERIFY(run.dialog.isEnabled());
    QVERIFY(!run.dialog.progress().isVisible());

    QCOMPARE(run.asked.size(), std::size_t{1});
    QCOMPARE(run.asked[0].defaultExtension.value_or(""), std::string(".mp"));
    QCOMPARE(run.asked[0].filter, std::string(pomvelt::kMapFilesFilter));
    QCOMPARE(run.asked[0].title, std::string("Выбрать все - Ctr+A"));
    QCOMPARE(run.captions, (QStringList{"a.mp [0%]", "a.mp [33%]", "b.mp [33%]", "b.mp [66%]",
                                        "c.mp [66%]", "c.mp [100%]"}));
    QCOMPARE(run.messages, std::vector<std::string>{"Готово"});
    // The final message says what the batch did.
    QCOMPARE(run.texts.back(),
             std::string("Готово\n\n3 файла, изменено 3, без изменений 0, с ошибками 0; удалено "
                         "элементов: 3"));
    QVERIFY(run.dialogsOnGuiThread);
    for (const std::string& file : run.files) QCOMPARE(ReadBytes(file), kWithout4b);
  }

  void optionsAreThoseOnScreenWhenTheButtonIsPressed() {
    TempDir dir;
    Run run;
    run.dialog.show();
    WriteBytes(dir.File("a.mp"), kMap);
    run.files = {dir.File("a.mp")};
    QLineEdit* type = run.dialog.controls().deleteType;
    type->setText(QStringLiteral("0x2"));
    run.dialog.controls().deleteInPlace->click();
    run.Press(run.dialog.controls().deleteElements);
    QVERIFY(run.finished.wait(10000));
    QCOMPARE(ReadBytes(dir.File("a.mp")), kMap);
    QCOMPARE(ReadBytes(dir.File("a_0x2_deleted.mp")),
             CrLf({"[IMG ID]", "Name=Test", "[END-IMG ID]", "[POLYGON]", "Type=0x4b",
                   "Data0=(1,1),(2,2),(3,1)", "[END]"}));
    QCOMPARE(run.dialog.options().m_strDeleteType, std::string("0x2"));
  }

  void cancelledChooserEndsQuietly() {
    Run run;
    run.dialog.show();
    run.Press(run.dialog.controls().deleteElements);
    QVERIFY(run.finished.wait(10000));
    QCOMPARE(run.asked.size(), std::size_t{1});
    QVERIFY(run.messages.empty());
    QVERIFY(run.captions.isEmpty());
    QVERIFY(run.dialog.isEnabled());
  }

  void aFailingJobIsReportedAndGivesTheDialogBack() {
    Run run;
    run.dialog.show();
    QVERIFY(run.dialog.StartThreadedJob(
        [](pomvelt::JobHost&) { throw std::runtime_error("disk gone"); }));
    QVERIFY(!run.dialog.StartThreadedJob([](pomvelt::JobHost&) {}));  // one at a time
    QVERIFY(run.finished.wait(10000));
    QVERIFY(run.dialog.isEnabled());
    QCOMPARE(run.messages, std::vector<std::string>{"Ошибка: disk gone"});
  }
};

POMVELT_GUI_TEST(ElementDeletionRunTest)
#include "test_element_deletion_run.moc"
