// Type replacement and layer deletion driven through the main dialog's buttons: the one on a
// job thread with the dialog disabled, the other inside the button's handler with the dialog
// left enabled and the progress window drawn after every step.
#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QProgressBar>
#include <QTest>
#include <QWindow>

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

// The bar's value at each of its paints, and whether its owner was enabled then.
class PaintLog : public QObject {
 public:
  QList<int> values;
  bool ownerAlwaysEnabled = true;
  QWidget* owner = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      const int value = static_cast<QProgressBar*>(watched)->value();
      if (values.isEmpty() || values.back() != value) values << value;
      ownerAlwaysEnabled &= owner->isEnabled();
    }
    return false;
  }
};

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
    static_cast<QAbstractButton*>(run.dialog.Control(D::kIdReplaceInPlace))->click();
    run.Press(D::kIdReplaceTypes);
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

  void layerDeletionInTheHandlerPaintsEveryStep() {
    TempDir dir;
    Run run;
    run.dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&run.dialog));
    for (const char* name : {"a.mp", "b.mp", "c.mp"}) {
      WriteBytes(dir.File(name), kMap);
      run.files.push_back(dir.File(name));
    }
    auto* bar = run.dialog.progress().widget()->findChild<QProgressBar*>(
        QString::number(CProgressWnd::kIdProgressBar));
    PaintLog log;
    log.owner = &run.dialog;
    bar->installEventFilter(&log);

    run.Press(D::kIdDeleteLayer);
    // Over when the click returns: the job ran inside the handler, on the GUI thread. The bar
    // was drawn at every position meanwhile, with the dialog enabled throughout.
    QCOMPARE(run.finished.count(), 1);
    QCOMPARE(log.values, (QList<int>{0, 1, 2, 3}));
    QVERIFY(log.ownerAlwaysEnabled);
    QCOMPARE(run.messages, std::vector<std::string>{"Готово"});
    QCOMPARE(run.captions, (QStringList{"a.mp [0%]", "a.mp [33%]", "b.mp [33%]", "b.mp [66%]",
                                        "c.mp [66%]", "c.mp [100%]"}));
    QVERIFY(!run.dialog.progress().widget()->isVisible());
    for (const std::string& file : run.files) {
      QCOMPARE(ReadBytes(file), CrLf({"[IMG ID]", "Name=Test", "[END-IMG ID]", "[POLYLINE]",
                                      "Type=0x1", "Label=Road", "Data2=(5,5),(7,7)", "[END]"}));
    }
    QVERIFY(!Exists(dir.File("a_0_layer_deleted.mp")));
  }

  void layerDeletionTakesTheLayerOnScreen() {
    TempDir dir;
    Run run;
    run.dialog.show();
    WriteBytes(dir.File("a.mp"), kMap);
    run.files = {dir.File("a.mp")};
    auto* layer = static_cast<QLineEdit*>(run.dialog.Control(D::kIdLayer));
    layer->setText(QStringLiteral("2"));
    static_cast<QAbstractButton*>(run.dialog.Control(D::kIdDeleteInPlace))->click();
    run.Press(D::kIdDeleteLayer);
    QCOMPARE(run.finished.count(), 1);
    QCOMPARE(ReadBytes(dir.File("a.mp")), kMap);
    QCOMPARE(ReadBytes(dir.File("a_2_layer_deleted.mp")),
             CrLf({"[IMG ID]", "Name=Test", "[END-IMG ID]", "[POLYGON]", "Type=0x1", "Label=Lake",
                   "Data0=(1,1),(2,2),(3,1)", "[END]"}));
  }
};

POMVELT_GUI_TEST(EditingRunsTest)
#include "test_editing_runs.moc"
