// Undo in the desktop program: a job in place says it can be taken back, and the window menu's
// entry puts the maps back.
#include <QAction>
#include <QTest>

#include "app/last_undo.h"
#include "app/main_dialog.h"
#include "app/settings.h"
#include "gui/dialog_run.h"
#include "gui/gui_test.h"
#include "support/test_support.h"

using D = CMainDialog;
using pomvelt::test::CrLf;
using pomvelt::test::ReadBytes;
using pomvelt::test::TempDir;
using pomvelt::test::WriteBytes;

namespace {

const std::string kMap = CrLf({"[IMG ID]", "[END-IMG ID]", "[POLYGON]", "Type=0x4b", "[END]",
                               "[POLYGON]", "Type=0x2", "[END]"});

}  // namespace

class UndoRunTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { PomveltSettings().clear(); }

  void theLastJobIsTakenBackFromTheWindowMenu() {
    pomvelt::test::ScopedEnv on("POMVELT_UNDO", std::nullopt);
    TempDir dir;
    pomvelt::test::DialogRun<D> run;
    run.dialog.show();
    QVERIFY(run.dialog.actions().contains(run.dialog.undoAction()));
    QCOMPARE(run.dialog.undoAction()->text(), QString::fromUtf8(kUndoLastText));
    for (const char* name : {"a.mp", "b.mp"}) {
      WriteBytes(dir.File(name), kMap);
      run.files.push_back(dir.File(name));
    }
    run.Press(run.dialog.controls().deleteElements);
    QVERIFY(run.finished.wait(10000));
    QCOMPARE(run.messages.size(), std::size_t{1});
    const std::string& last = run.texts[0];
    QVERIFY2(last.starts_with("Готово\n\n2 файла, изменено 2"), last.c_str());
    QVERIFY(last.find("\n\nОригиналы сохранены в " + dir.File(".pomvelt-undo") + "/") !=
            std::string::npos);
    QVERIFY(last.ends_with(std::string("\n") + kUndoAvailableText));
    QVERIFY(ReadBytes(dir.File("a.mp")) != kMap);

    // A map edited meanwhile stays as it is and is named.
    WriteBytes(dir.File("b.mp"), "edited");
    run.dialog.undoAction()->trigger();
    QCOMPARE(run.messages.size(), std::size_t{2});
    QVERIFY(run.texts[1].find("Восстановлен файл " + dir.File("a.mp")) != std::string::npos);
    QVERIFY(run.texts[1].find("Файл " + dir.File("b.mp") + " изменился") != std::string::npos);
    QCOMPARE(ReadBytes(dir.File("a.mp")), kMap);
    QCOMPARE(ReadBytes(dir.File("b.mp")), std::string("edited"));

    // Once taken back, there is nothing more to take back.
    run.dialog.undoAction()->trigger();
    QCOMPARE(run.messages.back(), std::string("Нет операции для отмены"));
  }

  // The setting turns undo off for good: nothing is kept and the final message does not offer
  // to take the job back.
  void theSettingTurnsUndoOff() {
    pomvelt::test::ScopedEnv on("POMVELT_UNDO", std::nullopt);
    PomveltSettings().setValue(kUndoKey, false);
    TempDir dir;
    pomvelt::test::DialogRun<D> run;
    WriteBytes(dir.File("a.mp"), kMap);
    run.files.push_back(dir.File("a.mp"));
    run.dialog.show();
    run.Press(run.dialog.controls().deleteElements);
    QVERIFY(run.finished.wait(10000));
    QCOMPARE(run.messages.size(), std::size_t{1});
    QVERIFY2(run.texts[0].find("Оригиналы") == std::string::npos, run.texts[0].c_str());
    QVERIFY(run.texts[0].find(kUndoAvailableText) == std::string::npos);
    QVERIFY(ReadBytes(dir.File("a.mp")) != kMap);
    QVERIFY(!pomvelt::test::Exists(dir.File(".pomvelt-undo")));
  }
};

POMVELT_GUI_TEST(UndoRunTest)
#include "test_undo_run.moc"
