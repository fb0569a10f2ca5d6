#include <gtest/gtest.h>

#include "jobs/batch_job.h"
#include "support/test_support.h"

namespace pomvelt {
namespace {

using test::RecordingHost;
using Calls = std::vector<std::string>;

FileOutcome Outcome(FileResult result, long long deleted = 0) {
  FileOutcome o;
  o.result = result;
  o.counts = {{"elementsDeleted", "удалено элементов", deleted}};
  return o;
}

TEST(RunBatchJob, ProgressCallsInOrderAndEveryOutcomeInTheReport) {
  RecordingHost host;
  const std::vector<std::string> files = {"/m/a.mp", "C:\\m\\b.mp", "c"};
  std::vector<std::string> seen;
  const BatchReport r = RunBatchJob({host}, files, [&](const std::string& p) {
    seen.push_back(p);
    if (p == "c") {
      FileOutcome failed;
      failed.Fail("Не могу открыть файл для чтения", "No such file or directory");
      return failed;
    }
    return Outcome(p == "/m/a.mp" ? FileResult::kChanged : FileResult::kUnchanged, 2);
  });
  EXPECT_EQ(seen, files);
  EXPECT_EQ(host.calls, (Calls{"SetRange 0 3 1", "Show", "SetText a.mp", "StepIt", "SetText b.mp",
                               "StepIt", "SetText c", "StepIt", "Hide"}));
  // The system's reason comes after the text, in what the user sees.
  EXPECT_EQ(host.messages,
            (Calls{"Не могу открыть файл для чтения: No such file or directory", "Готово"}));
  ASSERT_EQ(r.files.size(), 3u);
  EXPECT_EQ(r.files[2].path, "c");
  EXPECT_EQ(r.files[2].reason, "No such file or directory");
  EXPECT_EQ(r.end, BatchEnd::kDone);
  EXPECT_EQ(r.endMessage, "Готово");
  EXPECT_LE(r.started, r.finished);
  const BatchTotals t = r.Totals();
  EXPECT_EQ(t.files, 3);
  EXPECT_EQ(t.changed, 1);
  EXPECT_EQ(t.unchanged, 1);
  EXPECT_EQ(t.failed, 1);
  ASSERT_EQ(t.counts.size(), 1u);
  EXPECT_EQ(t.counts[0].value, 4);
}

TEST(RunBatchJob, CancelTakesEffectBetweenFiles) {
  struct Case {
    int cancelDuringFile;
    int expectedDone;
    const char* message;
  } cases[] = {{0, 1, "Прервано"}, {1, 2, "Прервано"}, {2, 3, "Готово"}};
  for (const Case& c : cases) {
    RecordingHost host;
    host.onFile = [&](int i) {
      if (i == c.cancelDuringFile) host.cancelled = true;
    };
    int done = 0;
    const BatchReport r = RunBatchJob({host}, {"a.mp", "b.mp", "c.mp"}, [&](const std::string&) {
      ++done;
      return Outcome(FileResult::kChanged);
    });
    EXPECT_EQ(done, c.expectedDone);
    EXPECT_EQ(host.messages, (Calls{c.message}));
    EXPECT_EQ(r.Cancelled(), std::string(c.message) == "Прервано");
    EXPECT_EQ(host.calls.back(), "Hide");
    // The files never begun are in the report, not started.
    ASSERT_EQ(r.files.size(), 3u);
    EXPECT_EQ(r.Totals().notStarted, 3 - c.expectedDone);
    EXPECT_EQ(r.files[2].path, "c.mp");
  }
}

TEST(RunBatchJob, ShowClearsAnEarlierCancel) {
  RecordingHost host;
  host.cancelled = true;  // left over from an earlier job
  int done = 0;
  RunBatchJob({host}, {"a.mp"}, [&](const std::string&) {
    ++done;
    return Outcome(FileResult::kUnchanged);
  });
  EXPECT_EQ(done, 1);
  EXPECT_EQ(host.messages, (Calls{"Готово"}));
}

TEST(RunBatchJob, HooksRunAroundTheLoop) {
  RecordingHost host;
  std::vector<std::string> order;
  BatchHooks hooks;
  hooks.stepsPerFile = 3;
  hooks.stepAfterEachFile = false;
  hooks.beforeProgress = [&](const std::vector<std::string>& p) {
    order.push_back("before " + std::to_string(p.size()));
  };
  hooks.beforeLoop = [&] { order.push_back("loop"); };
  hooks.stopBeforeFile = [&]() -> std::optional<std::string> {
    if (order.size() > 2) return std::string("stop");
    return std::nullopt;
  };
  hooks.afterLoop = [&] { order.push_back("after"); };
  const BatchReport r = RunBatchJob(
      {host}, {"/d/a.img", "/d/b.img"},
      [&](const std::string& p) {
        order.push_back(p);
        return Outcome(FileResult::kChanged);
      },
      hooks);
  EXPECT_EQ(order, (Calls{"before 2", "loop", "/d/a.img", "after"}));
  EXPECT_EQ(host.calls, (Calls{"SetRange 0 6 1", "Show", "SetText a.img", "Hide"}));
  EXPECT_EQ(host.messages, (Calls{"stop"}));
  EXPECT_TRUE(r.Stopped());
  EXPECT_EQ(r.endMessage, "stop");
}

// A step that shows a message itself, before a progress step of its own, has it shown once.
TEST(RunBatchJob, MessagesShownByTheStepAreNotShownAgain) {
  RecordingHost host;
  BatchHooks hooks;
  hooks.stepAfterEachFile = false;
  RunBatchJob(
      {host}, {"a.mp"},
      [&](const std::string&) {
        FileOutcome o;
        o.Fail("first");
        ShowNewMessages(host, o);
        host.StepIt();
        o.Then(Outcome(FileResult::kUnchanged));
        FileOutcome second;
        second.Fail("second");
        o.Then(std::move(second));
        return o;
      },
      hooks);
  EXPECT_EQ(host.messages, (Calls{"first", "second", "Готово"}));
}

TEST(FileOutcome, ThenKeepsAFailureAndAChangeAndAddsTheCounts) {
  struct Case {
    FileResult first, later, expected;
  } cases[] = {
      {FileResult::kNotStarted, FileResult::kUnchanged, FileResult::kUnchanged},
      {FileResult::kUnchanged, FileResult::kChanged, FileResult::kChanged},
      {FileResult::kChanged, FileResult::kUnchanged, FileResult::kChanged},
      {FileResult::kFailed, FileResult::kChanged, FileResult::kFailed},
      {FileResult::kChanged, FileResult::kFailed, FileResult::kFailed},
      {FileResult::kUnchanged, FileResult::kNotStarted, FileResult::kUnchanged},
  };
  for (const Case& c : cases) {
    FileOutcome o = Outcome(c.first, 1);
    o.Then(Outcome(c.later, 2));
    EXPECT_EQ(o.result, c.expected) << FileResultName(c.first) << " " << FileResultName(c.later);
    ASSERT_EQ(o.counts.size(), 1u);
    EXPECT_EQ(o.counts[0].value, 3);
  }
}

TEST(BatchReport, TotalsLeaveOutCountsThatDoNotAddUp) {
  BatchReport r;
  for (long long level : {2, 3}) {
    FileOutcome o;
    o.result = FileResult::kChanged;
    o.bytesIn = 10;
    o.bytesOut = 12;
    o.counts = {{"levelCopiedFrom", "", level, false}, {"elementsFilled", "", 5}};
    r.files.push_back(o);
  }
  const BatchTotals t = r.Totals();
  ASSERT_EQ(t.counts.size(), 1u);
  EXPECT_EQ(t.counts[0].key, "elementsFilled");
  EXPECT_EQ(t.counts[0].value, 10);
  EXPECT_EQ(t.bytesIn, 20u);
  EXPECT_EQ(t.bytesOut, 24u);
}

}  // namespace
}  // namespace pomvelt
