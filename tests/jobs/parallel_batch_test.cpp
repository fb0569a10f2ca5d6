// Batches run with several jobs: what the host sees and what the report holds must be what a
// serial run gives, whatever order the files finish in; a cancel starts nothing more and leaves
// the running maps as they were.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>

#include "jobs/batch_job.h"
#include "jobs/undo_journal.h"
#include "support/test_support.h"

namespace pomvelt {
namespace {

using test::RecordingHost;
using test::TempDir;
using Calls = std::vector<std::string>;
using namespace std::chrono_literals;

// Waits (a bounded time) until the host is cancelled.
void AwaitCancel(const RecordingHost& host) {
  for (int i = 0; i < 500 && !host.cancelled; ++i) std::this_thread::sleep_for(10ms);
}

// What a run showed and returned, for comparing runs.
struct Seen {
  Calls calls, messages, inOrder, report;
  BatchEnd end = BatchEnd::kDone;
};

// A host that passes everything on to another, as the desktop's read-only windows do.
class LendingHost : public JobHost {
 public:
  explicit LendingHost(JobHost& host) : host_(host) {}

 protected:
  void ShowMessageBox(const std::string& text) override { host_.MessageBox(text); }
  Progress& HostProgress() override { return host_.progress(); }

 private:
  JobHost& host_;
};

// A step that uses every channel a real one does: messages before and after its own progress
// step, a progress step from the worker, something shared in file order, an outcome with
// messages; earlier files take longer, so that they finish last.
Seen RunMixedBatch(const std::vector<std::string>& files, int jobs, bool lent = false) {
  RecordingHost recording;
  LendingHost lender(recording);
  JobHost& host = lent ? static_cast<JobHost&>(lender) : recording;
  Seen seen;
  BatchHooks hooks;
  hooks.stepsPerFile = 2;
  const FileStep step = [&](const std::string& path) {
    std::this_thread::sleep_for(std::chrono::milliseconds(3 * (9 - (path.back() - '0'))));
    host.MessageBox("begin " + path);
    host.progress().StepIt();
    InFileOrder([&seen, path] { seen.inOrder.push_back(path); });
    FileOutcome o;
    if (path.back() % 3 == 0) {
      o.Fail("failed " + path, "");
    } else {
      o.result = FileResult::kChanged;
      o.messages.push_back("done " + path);
    }
    return o;
  };
  const BatchReport r = RunBatchJob({host, false, jobs}, files, step, hooks);
  seen.calls = recording.calls;
  seen.messages = recording.messages;
  for (const FileOutcome& f : r.files) {
    seen.report.push_back(f.path + " " + std::to_string(static_cast<int>(f.result)));
  }
  seen.end = r.end;
  return seen;
}

TEST(ParallelBatch, ShowsWhatASerialRunShows) {
  const struct Case {
    const char* what;
    std::vector<std::string> files;
    int jobs;
    bool lent = false;
  } cases[] = {
      {"two jobs", {"m1", "m2", "m3", "m4", "m5", "m6"}, 2},
      {"more jobs than files", {"m1", "m2", "m3"}, 8},
      {"one file", {"m3"}, 4},
      {"a file named twice", {"m1", "m2", "m1", "m4"}, 3},
      {"every file the same", {"m5", "m5", "m5"}, 3},
      {"a host lending another's", {"m1", "m2", "m3", "m4"}, 2, true},
  };
  for (const Case& c : cases) {
    const Seen serial = RunMixedBatch(c.files, 1, c.lent);
    const Seen parallel = RunMixedBatch(c.files, c.jobs, c.lent);
    EXPECT_EQ(parallel.calls, serial.calls) << c.what;
    EXPECT_EQ(parallel.messages, serial.messages) << c.what;
    EXPECT_EQ(parallel.inOrder, c.files) << c.what;
    EXPECT_EQ(parallel.report, serial.report) << c.what;
    EXPECT_EQ(parallel.end, serial.end) << c.what;
  }
}

TEST(ParallelBatch, TheSameFileRunsInTurnWhateverItsSpelling) {
  TempDir dir;
  test::WriteBytes(dir.File("a.mp"), "x");
  test::WriteBytes(dir.File("b.mp"), "x");
  std::filesystem::create_hard_link(dir.File("a.mp"), dir.File("hard.mp"));
  const std::string a = dir.File("a.mp");
  const std::string dotted = (dir.path() / "." / "a.mp").string();
  const struct Case {
    const char* what;
    std::vector<std::string> files;
  } cases[] = {
      {"the same name", {a, dir.File("b.mp"), a, a}},
      {"another spelling", {a, dotted, dir.File("b.mp"), dotted}},
      {"a hard link", {dir.File("hard.mp"), a, dir.File("b.mp")}},
  };
  for (const Case& c : cases) {
    RecordingHost host;
    std::mutex mutex;
    int runningA = 0, mostA = 0;
    std::vector<std::size_t> turns;  // the order the runs of a.mp began, by their place
    std::map<std::string, int> started;
    const BatchReport r = RunBatchJob({host, false, 4}, c.files, [&](const std::string& path) {
      const bool isA = path != dir.File("b.mp");
      {
        std::lock_guard lock(mutex);
        if (isA) mostA = std::max(mostA, ++runningA);
      }
      std::this_thread::sleep_for(20ms);
      std::lock_guard lock(mutex);
      if (isA) --runningA;
      FileOutcome o;
      o.result = FileResult::kChanged;
      o.messages.push_back(path + " " + std::to_string(++started[path]));
      return o;
    });
    EXPECT_EQ(mostA, 1) << c.what;
    EXPECT_EQ(r.Totals().changed, static_cast<int>(c.files.size())) << c.what;
    // Each spelling's runs are shown in the order given.
    std::map<std::string, int> shown;
    for (std::size_t i = 0; i < c.files.size(); ++i) {
      EXPECT_EQ(host.messages.at(i), c.files[i] + " " + std::to_string(++shown[c.files[i]]))
          << c.what;
    }
  }
}

TEST(ParallelBatch, ACancelStartsNoMoreFiles) {
  const struct Case {
    int jobs;
    int files;
    int started;
    const char* end;
  } cases[] = {
      {2, 4, 2, "Прервано"},
      {3, 7, 3, "Прервано"},
      {4, 2, 2, "Готово"},  // every file had begun: the batch is done
  };
  for (const Case& c : cases) {
    RecordingHost host;
    std::atomic<int> begun = 0;
    host.onFile = [&](int i) {  // once every job has a file
      for (int k = 0; k < 500 && begun < c.started; ++k) std::this_thread::sleep_for(5ms);
      if (i == 0) host.cancelled = true;
    };
    std::vector<std::string> files;
    for (int i = 0; i < c.files; ++i) files.push_back("f" + std::to_string(i));
    const BatchReport r = RunBatchJob({host, false, c.jobs}, files, [&](const std::string&) {
      ++begun;
      AwaitCancel(host);  // no worker finishes before the cancel
      FileOutcome o;
      o.result = FileResult::kUnchanged;
      return o;
    });
    EXPECT_EQ(r.Totals().unchanged, c.started) << c.jobs;
    ASSERT_EQ(r.files.size(), files.size());
    for (int i = c.started; i < c.files; ++i) {
      EXPECT_EQ(r.files[static_cast<std::size_t>(i)].result, FileResult::kNotStarted);
    }
    EXPECT_EQ(host.messages, Calls{c.end});
    EXPECT_EQ(host.calls.back(), "Hide");
  }
}

// A host whose cancel stops the files in hand too, as the command line's signals do.
class StoppingHost : public RecordingHost {
 public:
  bool StopRequested() const override { return cancelled; }
};

TEST(ParallelBatch, AStopLeavesTheRunningMapsAsTheyWere) {
  for (const bool inPlace : {true, false}) {
    TempDir dir;
    const std::vector<std::string> files = {dir.File("a.mp"), dir.File("b.mp"), dir.File("c.mp")};
    for (const std::string& f : files) test::WriteBytes(f, "[POI]\r\n[END]\r\n");
    const std::set<std::string> before = test::FileNames(dir);
    StoppingHost host;
    host.onFile = [&](int i) {
      if (i == 0) host.cancelled = true;
    };
    const BatchContext batch{host, false, 2};
    const BatchReport r = RunBatchJob(batch, files, [&](const std::string& path) {
      return RewriteFile(BatchRequest(batch, path, path + ".out", inPlace),
                         [&](LineReader& in, LineWriter& out) {
                           std::string_view line;
                           while (in.ReadLine(line)) out.WriteLine("x");
                           AwaitCancel(host);
                           TransformResult t;
                           t.linesChanged = true;
                           return t;
                         });
    });
    EXPECT_TRUE(r.Cancelled()) << inPlace;
    for (const FileOutcome& f : r.files) EXPECT_EQ(f.result, FileResult::kNotStarted) << f.path;
    for (const std::string& f : files) EXPECT_EQ(test::ReadBytes(f), "[POI]\r\n[END]\r\n");
    EXPECT_EQ(test::FileNames(dir), before) << inPlace;
  }
}

TEST(ParallelBatch, TurnsComeInFileOrderWhateverOrderTheFilesGetThere) {
  RecordingHost host;
  std::mutex mutex;
  std::vector<std::string> turns;
  const std::vector<std::string> files = {"f0", "f1", "f2", "f3", "f4", "f5"};
  RunBatchJob({host, false, 3}, files, [&](const std::string& path) {
    const int k = path[1] - '0';
    std::this_thread::sleep_for(std::chrono::milliseconds(4 * (6 - k)));
    if (k != 2) {  // a file that takes no turn does not hold up the ones after it
      InFileTurn([&] {
        std::lock_guard lock(mutex);
        turns.push_back(path);
      });
    }
    FileOutcome o;
    o.result = FileResult::kUnchanged;
    return o;
  });
  EXPECT_EQ(turns, (Calls{"f0", "f1", "f3", "f4", "f5"}));
}

TEST(ParallelBatch, AStopOrAnExceptionEndsTheBatch) {
  {
    RecordingHost host;
    std::atomic<int> begun = 0, done = 0;
    BatchHooks hooks;
    hooks.stopBeforeFile = [&]() -> std::optional<std::string> {
      if (done > 0) return std::string("Нет компилятора");
      return std::nullopt;
    };
    const BatchReport r = RunBatchJob(
        {host, false, 2}, {"a", "b", "c", "d"},
        [&](const std::string&) {
          ++begun;  // the first two files both begin before either ends
          for (int i = 0; i < 500 && begun < 2; ++i) std::this_thread::sleep_for(5ms);
          ++done;
          FileOutcome o;
          o.result = FileResult::kChanged;
          return o;
        },
        hooks);
    EXPECT_EQ(r.end, BatchEnd::kStopped);
    EXPECT_EQ(r.endMessage, "Нет компилятора");
    EXPECT_EQ(r.Totals().changed, 2);
    EXPECT_EQ(r.files.at(3).result, FileResult::kNotStarted);
  }
  {
    RecordingHost host;
    EXPECT_THROW(RunBatchJob({host, false, 3}, {"a", "b", "c", "d", "e"},
                             [&](const std::string& path) {
                               if (path == "b") throw std::runtime_error("disk gone");
                               FileOutcome o;
                               o.result = FileResult::kChanged;
                               return o;
                             }),
                 std::runtime_error);
  }
}

class UndoKeepingHost : public RecordingHost {
 public:
  UndoSession* undoSession() override { return &undo; }
  UndoSession undo{UndoSession::Options{"test"}};
};

// The report names the folders whose originals were kept in the order a serial run makes
// their undo batches, though the later folder's map is done first.
TEST(ParallelBatch, UndoFoldersComeInFileOrder) {
  TempDir one, two, three;
  const std::vector<std::string> files = {one.File("a.mp"), two.File("b.mp"), three.File("c.mp"),
                                          one.File("d.mp")};
  for (const std::string& f : files) test::WriteBytes(f, "[POI]\r\n[END]\r\n");
  UndoKeepingHost host;
  const BatchContext batch{host, false, 3};
  const BatchReport r = RunBatchJob(batch, files, [&](const std::string& path) {
    if (path == files[0]) std::this_thread::sleep_for(60ms);
    if (path == files[1]) std::this_thread::sleep_for(30ms);
    if (path == files[2]) {  // fails: its folder keeps nothing
      FileOutcome o;
      o.Fail("no");
      return o;
    }
    return RewriteFile(BatchRequest(batch, path, "", true), [](LineReader& in, LineWriter& out) {
      std::string_view line;
      while (in.ReadLine(line)) out.WriteLine("x");
      TransformResult t;
      t.linesChanged = true;
      return t;
    });
  });
  ASSERT_EQ(r.undo.size(), 2u);
  EXPECT_EQ(std::filesystem::path(r.undo[0].folder).parent_path().parent_path(),
            std::filesystem::weakly_canonical(one.path()));
  EXPECT_EQ(std::filesystem::path(r.undo[1].folder).parent_path().parent_path(),
            std::filesystem::weakly_canonical(two.path()));
}

}  // namespace
}  // namespace pomvelt
