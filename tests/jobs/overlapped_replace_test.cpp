// In-place batches hand each map's sync and rename to a thread of their own while the next file
// runs: what the host sees and the report must stay those of a run that replaces each map before
// the next file begins, with a bounded number of replacements waiting.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
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

struct Seen {
  Calls calls, messages, report;
  int mostInFlight = 0;     // replacements handed over and not yet run, at most
  bool overlapped = false;  // a step began while an earlier file's replacement waited
};

// Steps that hand over a replacement which takes a while; the ones of "bad" files fail, those
// of "noted" files add a note, those of "gone" files find the batch stopped.
Seen RunHandingOver(const std::vector<std::string>& files, int jobs, bool overlap) {
  RecordingHost host;
  std::mutex mutex;
  int inFlight = 0;
  Seen seen;
  BatchHooks hooks;
  hooks.replacesLast = true;
  const FileStep step = [&](const std::string& path) {
    {
      std::lock_guard lock(mutex);
      if (inFlight > 0) seen.overlapped = true;
    }
    host.MessageBox("begin " + path);
    FileOutcome o;
    o.result = FileResult::kChanged;
    o.output = path;
    o.messages.push_back("done " + path);
    const auto replace = [&, path]() -> OutcomeFix {
      std::this_thread::sleep_for(4ms);
      std::lock_guard lock(mutex);
      --inFlight;
      if (path.find("bad") != std::string::npos) {
        return [path](FileOutcome& f) {
          f.result = FileResult::kFailed;
          f.output.clear();
          f.messages.push_back("replace failed " + path);
        };
      }
      if (path.find("noted") != std::string::npos) {
        return [path](FileOutcome& f) { f.messages.push_back("note " + path); };
      }
      if (path.find("gone") != std::string::npos) {
        return [path](FileOutcome& f) { f = FileOutcome{}; };
      }
      return {};
    };
    {
      std::lock_guard lock(mutex);
      seen.mostInFlight = std::max(seen.mostInFlight, ++inFlight);
    }
    if (!HandOverReplace(replace)) {
      if (const OutcomeFix fix = replace()) fix(o);
    }
    return o;
  };
  BatchContext batch{host, false, jobs};
  batch.overlapReplace = overlap;
  const BatchReport r = RunBatchJob(batch, files, step, hooks);
  seen.calls = host.calls;
  seen.messages = host.messages;
  for (const FileOutcome& f : r.files) {
    seen.report.push_back(f.path + " " + std::string(FileResultName(f.result)) + " " + f.output);
  }
  return seen;
}

TEST(OverlappedReplace, ShowsWhatReplacingEachMapFirstShows) {
  const struct Case {
    const char* what;
    std::vector<std::string> files;
    int jobs;
  } cases[] = {
      {"one job", {"m1", "m2", "m3", "m4", "m5", "m6", "m7", "m8"}, 1},
      {"two jobs", {"m1", "m2", "m3", "m4", "m5", "m6", "m7", "m8"}, 2},
      {"failures and notes", {"m1", "bad2", "noted3", "bad4", "m5", "noted6"}, 1},
      {"a stop in a replacement", {"m1", "gone2", "m3"}, 2},
      {"a file named twice", {"m1", "m1", "m2", "m1"}, 2},
  };
  bool overlappedAny = false;
  for (const Case& c : cases) {
    const Seen serial = RunHandingOver(c.files, 1, false);
    const Seen overlapped = RunHandingOver(c.files, c.jobs, true);
    EXPECT_EQ(serial.mostInFlight, 1) << c.what;
    EXPECT_EQ(overlapped.calls, serial.calls) << c.what;
    EXPECT_EQ(overlapped.messages, serial.messages) << c.what;
    EXPECT_EQ(overlapped.report, serial.report) << c.what;
    EXPECT_LE(overlapped.mostInFlight, kReplacesInFlightPerJob * c.jobs + c.jobs) << c.what;
    overlappedAny = overlappedAny || overlapped.overlapped;
  }
  EXPECT_TRUE(overlappedAny);  // the next file did begin before a map was replaced
}

TEST(OverlappedReplace, ReplacementsWaitingAreBounded) {
  for (const int jobs : {1, 2}) {
    RecordingHost host;
    std::atomic<int> begun = 0;
    std::atomic<bool> open = false;
    BatchHooks hooks;
    hooks.replacesLast = true;
    BatchContext batch{host, false, jobs};
    batch.overlapReplace = true;
    std::vector<std::string> files(12, "m");
    for (std::size_t i = 0; i < files.size(); ++i) files[i] += std::to_string(i);
    // Each job's replacements fill the queue, and each job begins one more file, whose
    // replacement waits to be handed over.
    const int most = kReplacesInFlightPerJob * jobs + jobs;
    int begunWhileClosed = 0;
    std::thread opener([&] {
      for (int i = 0; i < 600 && begun < most; ++i) std::this_thread::sleep_for(5ms);
      std::this_thread::sleep_for(30ms);  // time for a step too many to begin
      begunWhileClosed = begun;
      open = true;
    });
    const BatchReport r = RunBatchJob(
        batch, files,
        [&](const std::string&) {
          ++begun;
          EXPECT_TRUE(HandOverReplace([&]() -> OutcomeFix {
            while (!open) std::this_thread::sleep_for(1ms);
            return {};
          }));
          FileOutcome o;
          o.result = FileResult::kChanged;
          return o;
        },
        hooks);
    opener.join();
    EXPECT_EQ(begunWhileClosed, most) << jobs;
    EXPECT_EQ(r.Totals().changed, 12) << jobs;
  }
}

TEST(OverlappedReplace, NoHandOverWhereTheBatchDoesNotAllowIt) {
  const struct Case {
    const char* what;
    bool overlap, replacesLast, dryRun;
    std::size_t files;
  } cases[] = {
      {"not asked for", false, true, false, 3},
      {"a step that does more after", true, false, false, 3},
      {"a dry run", true, true, true, 3},
      {"one file", true, true, false, 1},
  };
  for (const Case& c : cases) {
    RecordingHost host;
    BatchHooks hooks;
    hooks.replacesLast = c.replacesLast;
    BatchContext batch{host, c.dryRun, 1};
    batch.overlapReplace = c.overlap;
    int handed = 0;
    RunBatchJob(
        batch, std::vector<std::string>(c.files, "m"),
        [&](const std::string&) {
          if (HandOverReplace([] { return OutcomeFix{}; })) ++handed;
          return FileOutcome{};
        },
        hooks);
    EXPECT_EQ(handed, 0) << c.what;
  }
  EXPECT_FALSE(HandOverReplace([] { return OutcomeFix{}; }));  // outside any batch
}

thread_local bool tInStep = false;

// A host with an undo session, whose stop only threads other than the steps' see.
class UndoHost : public RecordingHost {
 public:
  UndoSession* undoSession() override { return undo; }
  bool StopRequested() const override { return stopOffStepThreads && !tInStep; }
  UndoSession* undo = nullptr;
  bool stopOffStepThreads = false;
};

struct MapsRun {
  std::vector<std::string> bytes;  // each map's bytes afterwards
  Calls messages, report;
  std::set<std::string> names;  // what the folder holds
  bool cancelled = false;
};

// Doubles every "a" of each map in place.
MapsRun RunOnMaps(const std::vector<std::string>& names, int jobs, bool overlap,
                  bool blockUndo = false, bool stopInReplacement = false) {
  TempDir dir;
  std::vector<std::string> files;
  for (const std::string& name : names) {
    files.push_back(dir.File(name));
    if (!test::Exists(files.back())) test::WriteBytes(files.back(), "a " + name + "\r\n");
  }
  if (blockUndo) test::WriteBytes(dir.File(kUndoFolderName), "not a folder");
  UndoSession undo(UndoSession::Options{"test"});
  UndoHost host;
  host.undo = &undo;
  host.stopOffStepThreads = stopInReplacement;
  BatchHooks hooks;
  hooks.replacesLast = true;
  BatchContext batch{host, false, jobs};
  batch.overlapReplace = overlap;
  const BatchReport r = RunBatchJob(
      batch, files,
      [&](const std::string& path) {
        tInStep = true;
        FileOutcome o = RewriteFile(BatchRequest(batch, path, path + ".out", true),
                                    [](LineReader& in, LineWriter& out) {
                                      std::string_view line;
                                      while (in.ReadLine(line)) {
                                        std::string doubled;
                                        for (char ch : line)
                                          doubled += ch == 'a' ? "aa" : std::string(1, ch);
                                        out.WriteLine(doubled);
                                      }
                                      TransformResult t;
                                      t.linesChanged = true;
                                      return t;
                                    });
        tInStep = false;
        return o;
      },
      hooks);
  MapsRun run;
  for (const std::string& f : files) run.bytes.push_back(test::ReadBytes(f));
  run.messages = host.messages;
  for (const FileOutcome& f : r.files) {
    run.report.push_back(std::string(FileResultName(f.result)) + " " + f.reason + " " +
                         std::to_string(f.bytesOut) + " " + (f.output.empty() ? "-" : "out"));
  }
  run.names = test::FileNames(dir);
  run.cancelled = r.Cancelled();
  // Messages name the folder, which differs between runs.
  for (std::string& m : run.messages) {
    for (std::size_t at; (at = m.find(dir.path().string())) != std::string::npos;) {
      m.replace(at, dir.path().string().size(), "DIR");
    }
  }
  return run;
}

TEST(OverlappedReplace, MapsEndAsWhenEachIsReplacedBeforeTheNext) {
  const struct Case {
    const char* what;
    std::vector<std::string> maps;
    bool blockUndo = false;
  } cases[] = {
      {"several maps", {"m1.mp", "m2.mp", "m3.mp", "m4.mp", "m5.mp"}},
      {"a map named twice", {"m1.mp", "m2.mp", "m1.mp", "m3.mp", "m1.mp"}},
      {"the originals cannot be kept", {"m1.mp", "m2.mp", "m3.mp"}, true},
  };
  for (const Case& c : cases) {
    const MapsRun serial = RunOnMaps(c.maps, 1, false, c.blockUndo);
    for (const int jobs : {1, 2}) {
      const MapsRun overlapped = RunOnMaps(c.maps, jobs, true, c.blockUndo);
      EXPECT_EQ(overlapped.bytes, serial.bytes) << c.what << jobs;
      EXPECT_EQ(overlapped.messages, serial.messages) << c.what << jobs;
      EXPECT_EQ(overlapped.report, serial.report) << c.what << jobs;
      EXPECT_EQ(overlapped.names, serial.names) << c.what << jobs;
    }
  }
  EXPECT_EQ(RunOnMaps({"m.mp", "m.mp", "n.mp"}, 1, true).bytes.front(), "aaaa m.mp\r\n");
}

TEST(OverlappedReplace, AStopSeenByTheReplacementLeavesEveryMap) {
  const MapsRun run = RunOnMaps({"m1.mp", "m2.mp", "m3.mp"}, 1, true, false, true);
  EXPECT_TRUE(run.cancelled);
  for (std::size_t i = 0; i < run.bytes.size(); ++i) {
    EXPECT_EQ(run.bytes[i], "a m" + std::to_string(i + 1) + ".mp\r\n");
  }
  EXPECT_EQ(run.report, Calls(3, "not-started  0 -"));
  // Nothing but the maps (the undo folder's batch aside, which undo finds incomplete).
  EXPECT_EQ(run.names, (std::set<std::string>{"m1.mp", "m2.mp", "m3.mp"}));
}

}  // namespace
}  // namespace pomvelt
