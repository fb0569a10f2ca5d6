#include <gtest/gtest.h>

#include "jobs/batch_job.h"
#include "support/test_support.h"

namespace pomvelt {
namespace {

using test::RecordingHost;
using Calls = std::vector<std::string>;

TEST(RunBatchJob, CancelledFileDialogShowsNothing) {
  RecordingHost host;
  int steps = 0;
  const BatchResult r = RunBatchJob(host, MapEditDialogParams(), [&](const std::string&) {
    ++steps;
    return true;
  });
  EXPECT_FALSE(r.filesChosen);
  EXPECT_EQ(steps, 0);
  EXPECT_TRUE(host.calls.empty());
  EXPECT_TRUE(host.messages.empty());
  ASSERT_EQ(host.dialogs.size(), 1u);
  EXPECT_EQ(host.dialogs[0].title, "Выбрать все - Ctr+A");
  EXPECT_EQ(host.dialogs[0].flags, 0x206u);
  EXPECT_EQ(host.dialogs[0].defaultExtension, ".mp");
  EXPECT_FALSE(host.dialogs[0].initialFileName);
  EXPECT_EQ(host.dialogs[0].filter, "файлы(*.mp)|*.mp|файлы(*.txt)|*.txt|Все файлы (*.*)|*.*|");
}

TEST(RunBatchJob, ProgressCallsInOrderAndFailuresCounted) {
  RecordingHost host;
  host.files = {{"/m/a.mp", "C:\\m\\b.mp", "c"}};
  std::vector<std::string> seen;
  const BatchResult r = RunBatchJob(host, MapEditDialogParams(), [&](const std::string& p) {
    seen.push_back(p);
    return p != "c";
  });
  EXPECT_EQ(seen, *host.files);
  EXPECT_EQ(host.calls, (Calls{"SetRange 0 3 1", "Show", "SetText a.mp", "StepIt", "SetText b.mp",
                               "StepIt", "SetText c", "StepIt", "Hide"}));
  EXPECT_EQ(host.messages, (Calls{"Готово"}));
  EXPECT_EQ(r.filesDone, 3);
  EXPECT_EQ(r.filesFailed, 1);
  EXPECT_FALSE(r.cancelled);
}

TEST(RunBatchJob, CancelTakesEffectBetweenFiles) {
  struct Case {
    int cancelDuringFile;
    int expectedDone;
    const char* message;
  } cases[] = {{0, 1, "Прервано"}, {1, 2, "Прервано"}, {2, 3, "Готово"}};
  for (const Case& c : cases) {
    RecordingHost host;
    host.files = {{"a.mp", "b.mp", "c.mp"}};
    host.onFile = [&](int i) {
      if (i == c.cancelDuringFile) host.cancelled = true;
    };
    int done = 0;
    const BatchResult r = RunBatchJob(host, MapEditDialogParams(), [&](const std::string&) {
      ++done;
      return true;
    });
    EXPECT_EQ(done, c.expectedDone);
    EXPECT_EQ(host.messages, (Calls{c.message}));
    EXPECT_EQ(r.cancelled, std::string(c.message) == "Прервано");
    EXPECT_EQ(host.calls.back(), "Hide");
  }
}

TEST(RunBatchJob, ShowClearsAnEarlierCancel) {
  RecordingHost host;
  host.files = {{"a.mp"}};
  host.cancelled = true;  // left over from an earlier job
  int done = 0;
  RunBatchJob(host, MapEditDialogParams(), [&](const std::string&) { return ++done > 0; });
  EXPECT_EQ(done, 1);
  EXPECT_EQ(host.messages, (Calls{"Готово"}));
}

TEST(RunBatchJob, HooksRunAroundTheLoop) {
  RecordingHost host;
  host.files = {{"/d/a.img", "/d/b.img"}};
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
  const BatchResult r = RunBatchJob(
      host, MapEditDialogParams(),
      [&](const std::string& p) {
        order.push_back(p);
        return true;
      },
      hooks);
  EXPECT_EQ(order, (Calls{"before 2", "loop", "/d/a.img", "after"}));
  EXPECT_EQ(host.calls, (Calls{"SetRange 0 6 1", "Show", "SetText a.img", "Hide"}));
  EXPECT_EQ(host.messages, (Calls{"stop"}));
  EXPECT_TRUE(r.stopped);
}

}  // namespace
}  // namespace pomvelt
