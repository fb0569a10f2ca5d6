#include "jobs/batch_summary.h"

#include <gtest/gtest.h>

#include <functional>

namespace pomvelt {
namespace {

FileOutcome File(std::string path, FileResult result, long long deleted) {
  FileOutcome f;
  f.path = std::move(path);
  f.result = result;
  f.counts = {{"elementsDeleted", "удалено элементов", deleted}};
  return f;
}

FileOutcome Failed(std::string path, std::string reason = {}) {
  FileOutcome f;
  f.path = std::move(path);
  f.Fail("Не могу открыть файл для чтения", std::move(reason));
  return f;
}

TEST(BatchSummary, FilesPhraseTakesTheRussianPlural) {
  const std::pair<int, const char*> cases[] = {
      {0, "0 файлов"}, {1, "1 файл"},     {2, "2 файла"},      {4, "4 файла"},
      {5, "5 файлов"}, {11, "11 файлов"}, {12, "12 файлов"},   {14, "14 файлов"},
      {21, "21 файл"}, {22, "22 файла"},  {111, "111 файлов"}, {101, "101 файл"},
  };
  for (const auto& [count, text] : cases) EXPECT_EQ(FilesPhrase(count), text);
}

TEST(BatchSummary, SummaryLineWarningAndFinalMessage) {
  BatchReport r;
  r.endMessage = "Готово";
  r.files = {File("/m/a.mp", FileResult::kChanged, 3), File("/m/b.mp", FileResult::kUnchanged, 0),
             Failed("/m/c.mp", "No such file or directory")};
  EXPECT_EQ(SummaryLine(r),
            "3 файла, изменено 1, без изменений 1, с ошибками 1; удалено элементов: 3");
  EXPECT_EQ(NothingChangedWarning(r), "");
  EXPECT_EQ(FinalMessageText(r),
            "Готово\n\n3 файла, изменено 1, без изменений 1, с ошибками 1; удалено элементов: 3"
            "\n\nФайлы с ошибками:\n/m/c.mp: Не могу открыть файл для чтения: No such file or "
            "directory");

  r.files[0].result = FileResult::kUnchanged;
  r.files.push_back(FileOutcome{});  // after a cancel
  r.files.back().path = "/m/d.mp";
  r.dryRun = true;
  EXPECT_EQ(SummaryLine(r),
            "4 файла, изменится 0, без изменений 2, с ошибками 1, не начато 1; удалено "
            "элементов: 3 (пробный прогон: ничего не записано)");
  EXPECT_EQ(NothingChangedWarning(r), "Внимание: ни один файл не изменится");
  r.dryRun = false;
  EXPECT_EQ(NothingChangedWarning(r), "Внимание: ни один файл не изменён");
  EXPECT_NE(FinalMessageText(r).find("\n\nВнимание: ни один файл не изменён"), std::string::npos);

  // Nothing ran at all: no warning.
  BatchReport none;
  none.files = {FileOutcome{}};
  EXPECT_EQ(NothingChangedWarning(none), "");
}

TEST(BatchSummary, TheFirstTenFailuresThenHowManyMore) {
  BatchReport r;
  for (int i = 0; i < 13; ++i) r.files.push_back(Failed("/m/" + std::to_string(i) + ".mp"));
  const std::vector<std::string> lines = FailureLines(r, 10);
  ASSERT_EQ(lines.size(), 11u);
  EXPECT_EQ(lines[0], "/m/0.mp: Не могу открыть файл для чтения");
  EXPECT_EQ(lines[9], "/m/9.mp: Не могу открыть файл для чтения");
  EXPECT_EQ(lines[10], "и ещё 3 файла");
}

// One line per failed file: the message's first line, the reason after it unless the message
// says it already.
TEST(BatchSummary, FailureLinesShowTheReasonOnce) {
  const auto line = [](const std::function<void(FileOutcome&)>& fail) {
    BatchReport r;
    r.files.emplace_back();
    r.files[0].path = "/m/a.mp";
    fail(r.files[0]);
    return FailureLines(r, 10).at(0);
  };
  EXPECT_EQ(line([](FileOutcome& f) {
              f.Fail("Не могу открыть файл для чтения: /m/a.mp", "No such file or directory");
            }),
            "/m/a.mp: Не могу открыть файл для чтения: /m/a.mp: No such file or directory");
  EXPECT_EQ(line([](FileOutcome& f) {
              f.Fail("Ошибка компиляции файла /m/a.mp (код 3):\nline 1\nline 2");
              f.reason = "компилятор завершился с кодом 3";
            }),
            "/m/a.mp: Ошибка компиляции файла /m/a.mp (код 3) (компилятор завершился с кодом 3)");
  EXPECT_EQ(line([](FileOutcome& f) {
              f.result = FileResult::kFailed;
              f.reason = "компилятор не запустился";
            }),
            "/m/a.mp: ошибка (компилятор не запустился)");
}

TEST(BatchSummary, FileLineAndUndoLine) {
  FileOutcome f = File("/m/a.mp", FileResult::kChanged, 3);
  f.bytesIn = 120;
  f.bytesOut = 98;
  EXPECT_EQ(FileLine(f), "/m/a.mp: изменён; удалено элементов: 3; байт: 120 -> 98");
  EXPECT_EQ(FileLine(Failed("/m/b.mp")), "/m/b.mp: ошибка; байт: 0 -> 0");

  EXPECT_EQ(UndoLine(UndoFacts{"/m/.pomvelt-undo/x", 3 * 1024 * 1024 / 2, false}),
            "Оригиналы сохранены в /m/.pomvelt-undo/x; сохранённые пакеты занимают 1,5 МБ");
  EXPECT_EQ(
      UndoLine(UndoFacts{"/n/.pomvelt-undo/y", 12, true}),
      "Оригиналы сохранены в /n/.pomvelt-undo/y (копиями); сохранённые пакеты занимают 12 байт");
}

TEST(BatchSummary, SizeText) {
  const struct {
    unsigned long long bytes;
    const char* text;
  } sizes[] = {{0, "0 байт"},
               {1023, "1023 байт"},
               {1024, "1 КБ"},
               {1536, "1,5 КБ"},
               {10239, "10 КБ"},
               {5ull << 20, "5 МБ"},
               {(5ull << 20) + (1ull << 19), "5,5 МБ"},
               {3ull << 30, "3 ГБ"}};
  for (const auto& c : sizes) EXPECT_EQ(SizeText(c.bytes), c.text) << c.bytes;
}

TEST(BatchSummary, FinalMessageEndsWithOneUndoLinePerFolder) {
  BatchReport r;
  r.endMessage = "Готово";
  r.files.push_back(File("/m/a.mp", FileResult::kChanged, 1));
  r.undo = {{"/m/.pomvelt-undo/x", 2048, false}, {"/n/.pomvelt-undo/y", 100, true}};
  const std::string text = FinalMessageText(r);
  EXPECT_TRUE(text.ends_with(
      "\n\nОригиналы сохранены в /m/.pomvelt-undo/x; сохранённые пакеты занимают 2 КБ\n"
      "Оригиналы сохранены в /n/.pomvelt-undo/y (копиями); сохранённые пакеты занимают 100 байт"))
      << text;
}

}  // namespace
}  // namespace pomvelt
