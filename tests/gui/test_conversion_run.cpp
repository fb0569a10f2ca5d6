// The conversion driven through the main dialog's button: a job thread with the dialog
// disabled, the options on screen, the compiler named by POMVELT_COMPILER (a fake that logs its
// arguments and turns "x.mp" into "x.img").
#include <QAbstractButton>
#include <QTest>

#include "app/main_dialog.h"
#include "gui/dialog_run.h"
#include "gui/gui_test.h"
#include "pipeline/process_runner.h"
#include "support/test_support.h"
#include "text/cp1251.h"

using D = CMainDialog;
using Run = pomvelt::test::DialogRun<D>;
using pomvelt::operator""_cp;
using pomvelt::test::CrLf;
using pomvelt::test::Exists;
using pomvelt::test::ReadBytes;
using pomvelt::test::ScopedEnv;
using pomvelt::test::TempDir;
using pomvelt::test::WriteBytes;

namespace {

const std::string kMap = CrLf(
    {"[IMG ID]", "Name=Moskva", "[END-IMG ID]", "[POLYLINE]", "Type=0x1", "Label=ULITSA", "[END]"});

void Click(QAbstractButton* button) {
  button->click();
}

}  // namespace

class ConversionRunTest : public QObject {
  Q_OBJECT

 private slots:
  void translateAndCompileOnAJobThread() {
    TempDir bin, dir;
    pomvelt::test::WriteShellProgram(bin.File("fakecc"),
                                     "printf '%s|' \"$#\" \"$@\" >> '" + bin.File("log") +
                                         "'\necho compiled > \"${1%.*}.img\"\n");
    const ScopedEnv compiler(pomvelt::kCompilerEnvironmentVariable, bin.File("fakecc"));
    WriteBytes(dir.File("a.mp"), kMap);
    Run run;
    run.dialog.show();
    run.files = {dir.File("a.mp")};
    Click(run.dialog.controls().translitToRussian);
    Click(run.dialog.controls().makeFileList);
    Click(run.dialog.controls().compile);
    run.Press(run.dialog.controls().convert);
    QVERIFY(!run.dialog.isEnabled());
    QVERIFY(run.finished.wait(10000));
    QVERIFY(run.dialog.isEnabled());
    QCOMPARE(run.messages, std::vector<std::string>{"Готово"});
    QVERIFY(run.dialogsOnGuiThread);
    QCOMPARE(run.asked.at(0).initialFileName.value_or(""), std::string("*.mp"));
    QCOMPARE(run.captions, (QStringList{"a.mp [0%]", "a.mp [50%]", "a.mp [100%]"}));
    // Translated in place, then compiled as it stands.
    QCOMPARE(ReadBytes(bin.File("log")), "1|" + dir.File("a.mp") + "|");
    QVERIFY(Exists(dir.File("a.img")));
    QVERIFY(ReadBytes(dir.File("a.mp")).find("Label=УЛИЦА"_cp) != std::string::npos);
    QCOMPARE(ReadBytes(dir.File("names.txt")),
             CrLf({"Имя карты:  Имя файла:"_cp, "", "  Moskva  a.mp"}));
  }

  void aCompilerThatCannotStartStopsTheJob() {
    TempDir dir;
    const ScopedEnv compiler(pomvelt::kCompilerEnvironmentVariable, dir.File("no-such-compiler"));
    WriteBytes(dir.File("a.mp"), kMap);
    WriteBytes(dir.File("b.mp"), kMap);
    Run run;
    run.dialog.show();
    run.files = {dir.File("a.mp"), dir.File("b.mp")};
    Click(run.dialog.controls().compile);
    run.Press(run.dialog.controls().convert);
    QVERIFY(run.finished.wait(10000));
    // Another compiler than cgpsmapper is named as it was looked for.
    QCOMPARE(run.messages.back(), "Отсутствует файл " + dir.File("no-such-compiler"));
    QCOMPARE(run.captions.size(), 2);  // the second file never started
    QVERIFY(run.dialog.isEnabled());
  }
};

POMVELT_GUI_TEST(ConversionRunTest)
#include "test_conversion_run.moc"
