#include "jobs/batch_job.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <exception>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>

#include "jobs/undo_journal.h"
#include "os/file.h"
#include "os/path.h"
#include "text/strings.h"

namespace pomvelt {

RewriteRequest BatchRequest(const BatchContext& batch, const std::string& input,
                            const std::string& output, bool inPlace) {
  RewriteRequest r;
  r.inputPath = input;
  r.outputPath = output;
  r.inPlace = inPlace;
  r.dryRun = batch.dryRun;
  r.host = &batch.host;
  return r;
}

namespace {

// What a worker of a parallel batch keeps of one file until the runner thread shows it: the
// calls its step made to the host, in order, and what it returned.
struct FileSlot;
class ParallelRun;
thread_local FileSlot* tCurrentSlot = nullptr;

class KeptProgress : public Progress {
 public:
  explicit KeptProgress(std::vector<std::function<void()>>& kept) : kept_(kept) {}
  void Target(Progress& real) { real_ = &real; }
  void SetRange(int lower, int upper, int step) override {
    Keep([=](Progress& p) { p.SetRange(lower, upper, step); });
  }
  void Show() override {
    Keep([](Progress& p) { p.Show(); });
  }
  void SetText(const std::string& text) override {
    Keep([text](Progress& p) { p.SetText(text); });
  }
  // The position is the runner's: nothing before the replay can know it.
  int SetPos(int pos) override {
    Keep([pos](Progress& p) { p.SetPos(pos); });
    return 0;
  }
  int StepIt() override {
    Keep([](Progress& p) { p.StepIt(); });
    return 0;
  }
  void Hide() override {
    Keep([](Progress& p) { p.Hide(); });
  }
  bool IsCancelled() const override { return real_->IsCancelled(); }

 private:
  void Keep(std::function<void(Progress&)> call) {
    kept_.push_back([real = real_, call = std::move(call)] { call(*real); });
  }
  std::vector<std::function<void()>>& kept_;
  Progress* real_ = nullptr;
};

struct FileSlot {
  enum class State { kWaiting, kRunning, kDone, kSkipped };
  // Guarded by the batch's mutex. Done: the step has returned and its replacements have run.
  State state = State::kWaiting;
  bool stepReturned = false;
  int replacing = 0;              // replacements handed over and not yet run
  std::vector<OutcomeFix> fixes;  // what they found, in the order they ran
  FileOutcome outcome;
  std::exception_ptr error;
  std::vector<std::function<void()>> kept;
  KeptProgress progress{kept};
  bool turnPassed = false;  // guarded by the batch's mutex
  ParallelRun* run = nullptr;
  std::size_t index = 0;
};

// For each file, the last file before it that is the same file (by name or by identity), or
// npos: that one must be done before this one starts.
std::vector<std::size_t> EarlierTurns(const std::vector<std::string>& files) {
  std::vector<std::string> names;
  std::vector<std::optional<FileIdentity>> ids;
  for (const std::string& path : files) {
    std::error_code ec;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(PathOf(path), ec);
    names.push_back(ec ? path : NameOf(canonical));
    ids.push_back(IdentityOf(path));
  }
  std::vector<std::size_t> earlier(files.size(), std::string::npos);
  for (std::size_t i = 0; i < files.size(); ++i) {
    for (std::size_t j = i; j-- > 0;) {
      if (names[j] == names[i] || (ids[i] && ids[j] && ids[i]->SameFileAs(*ids[j]))) {
        earlier[i] = j;
        break;
      }
    }
  }
  return earlier;
}

// Shows one finished file: its messages, the verbose line, the bar.
void ShowFile(JobHost& host, const BatchHooks& hooks, const std::string& path, FileOutcome outcome,
              BatchReport& report) {
  outcome.path = path;
  ShowNewMessages(host, outcome);
  host.FileDone(outcome);
  report.files.push_back(std::move(outcome));
  if (hooks.stepAfterEachFile) host.progress().StepIt();
}

void RunSerially(const BatchContext& batch, const std::vector<std::string>& files,
                 const FileStep& step, const BatchHooks& hooks, BatchReport& report) {
  JobHost& host = batch.host;
  Progress& progress = host.progress();
  for (const std::string& path : files) {
    if (progress.IsCancelled()) {
      report.end = BatchEnd::kCancelled;
      report.endMessage = kAbortedMessage;
      break;
    }
    if (hooks.stopBeforeFile) {
      if (std::optional<std::string> stop = hooks.stopBeforeFile()) {
        report.end = BatchEnd::kStopped;
        report.endMessage = *stop;
        break;
      }
    }
    progress.SetText(std::string(FileNamePart(path)));
    ShowFile(host, hooks, path, step(path), report);
  }
}

// Runs the replacements the steps hand over on threads of their own, in the order they came,
// with at most `bound` queued or running: a step handing over one more waits.
class ReplaceQueue {
 public:
  ReplaceQueue(std::size_t threads, std::size_t bound) : bound_(bound) {
    for (std::size_t k = 0; k < threads; ++k) threads_.emplace_back([this] { Work(); });
  }
  // Every replacement handed over runs before the queue goes.
  ~ReplaceQueue() {
    {
      std::lock_guard lock(mutex_);
      closing_ = true;
    }
    changed_.notify_all();
    for (std::thread& t : threads_) t.join();
  }
  ReplaceQueue(const ReplaceQueue&) = delete;
  ReplaceQueue& operator=(const ReplaceQueue&) = delete;

  void Submit(std::function<void()> task) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return inFlight_ < bound_; });
    ++inFlight_;
    tasks_.push_back(std::move(task));
    changed_.notify_all();
  }

 private:
  void Work() {
    std::unique_lock lock(mutex_);
    for (;;) {
      changed_.wait(lock, [&] { return closing_ || !tasks_.empty(); });
      if (tasks_.empty()) return;
      std::function<void()> task = std::move(tasks_.front());
      tasks_.pop_front();
      lock.unlock();
      task();
      lock.lock();
      --inFlight_;
      changed_.notify_all();
    }
  }

  const std::size_t bound_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::function<void()>> tasks_;
  std::size_t inFlight_ = 0;
  bool closing_ = false;
  std::vector<std::thread> threads_;
};

// Workers take the files in order and run their steps; this thread shows each file once it and
// every file before it are done, so that the host sees what a serial run would show.
class ParallelRun {
 public:
  ParallelRun(const BatchContext& batch, const std::vector<std::string>& files,
              const FileStep& step, const BatchHooks& hooks)
      : host_(batch.host),
        files_(files),
        step_(step),
        hooks_(hooks),
        slots_(files.size()),
        earlier_(EarlierTurns(files)) {}

  ~ParallelRun() {
    JoinWorkers();
    replaces_.reset();  // runs what is still queued, while the slots are there
  }

  // overlap: the steps may hand their replacements over.
  void Run(int jobs, bool overlap, BatchReport& report) {
    const std::size_t workers =
        std::min<std::size_t>(static_cast<std::size_t>(std::max(1, jobs)), files_.size());
    if (overlap) {
      replaces_ = std::make_unique<ReplaceQueue>(
          workers, workers * static_cast<std::size_t>(kReplacesInFlightPerJob));
    }
    active_ = workers;
    for (std::size_t k = 0; k < workers; ++k) threads_.emplace_back([this] { Work(); });
    std::exception_ptr error;
    for (std::size_t i = 0; i < files_.size(); ++i) {
      FileSlot& slot = slots_[i];
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [&] { return slot.state != FileSlot::State::kWaiting || Never(i); });
      if (slot.state == FileSlot::State::kWaiting || slot.state == FileSlot::State::kSkipped) {
        FileOutcome left;  // not started
        left.path = files_[i];
        report.files.push_back(std::move(left));
        continue;
      }
      lock.unlock();
      host_.progress().SetText(std::string(FileNamePart(files_[i])));
      lock.lock();
      changed_.wait(lock, [&] { return slot.state == FileSlot::State::kDone; });
      lock.unlock();
      if (slot.error) {
        error = slot.error;
        break;
      }
      for (const OutcomeFix& fix : slot.fixes) fix(slot.outcome);
      for (const std::function<void()>& call : slot.kept) call();
      slot.kept.clear();
      ShowFile(host_, hooks_, files_[i], std::move(slot.outcome), report);
    }
    JoinWorkers();
    if (error) std::rethrow_exception(error);
    report.end = end_;
    report.endMessage = endMessage_;
    // A cancel that came while the last files ran ends the batch as a cancel when it dropped
    // one of them.
    if (report.end == BatchEnd::kDone && host_.progress().IsCancelled()) {
      for (const FileOutcome& f : report.files) {
        if (f.result == FileResult::kNotStarted) {
          report.end = BatchEnd::kCancelled;
          report.endMessage = kAbortedMessage;
          break;
        }
      }
    }
  }

 private:
  // File i will never be handed out. Called under the mutex.
  bool Never(std::size_t i) const { return next_ <= i && (stop_ || active_ == 0); }

  void Work() {
    std::unique_lock lock(mutex_);
    while (!stop_ && next_ < files_.size()) {
      if (host_.progress().IsCancelled()) {
        Stop(BatchEnd::kCancelled, kAbortedMessage);
        break;
      }
      if (hooks_.stopBeforeFile) {
        if (std::optional<std::string> stop = hooks_.stopBeforeFile()) {
          Stop(BatchEnd::kStopped, *stop);
          break;
        }
      }
      const std::size_t i = next_++;
      FileSlot& slot = slots_[i];
      if (earlier_[i] != std::string::npos) {
        const FileSlot& before = slots_[earlier_[i]];
        changed_.wait(lock, [&] {
          return stop_ || before.state == FileSlot::State::kDone ||
                 before.state == FileSlot::State::kSkipped;
        });
        if (stop_) {
          slot.state = FileSlot::State::kSkipped;
          changed_.notify_all();
          break;
        }
      }
      slot.state = FileSlot::State::kRunning;
      slot.run = this;
      slot.index = i;
      changed_.notify_all();
      lock.unlock();
      tCurrentSlot = &slot;
      try {
        slot.outcome = step_(files_[i]);
      } catch (...) {
        slot.error = std::current_exception();
      }
      tCurrentSlot = nullptr;
      lock.lock();
      slot.stepReturned = true;
      if (slot.replacing == 0) slot.state = FileSlot::State::kDone;
      if (slot.error) stop_ = true;
      changed_.notify_all();
    }
    --active_;
    changed_.notify_all();
  }

 public:
  // False when this batch does not overlap replacements.
  bool HandOver(FileSlot& slot, std::function<OutcomeFix()> replace) {
    if (!replaces_) return false;
    {
      std::lock_guard lock(mutex_);
      ++slot.replacing;
    }
    replaces_->Submit([this, &slot, replace = std::move(replace)] {
      OutcomeFix fix;
      std::exception_ptr error;
      try {
        fix = replace();
      } catch (...) {
        error = std::current_exception();
      }
      {
        std::lock_guard lock(mutex_);
        if (fix) slot.fixes.push_back(std::move(fix));
        if (error && !slot.error) slot.error = error;
        if (--slot.replacing == 0 && slot.stepReturned) {
          slot.state = FileSlot::State::kDone;
          if (slot.error) stop_ = true;
        }
      }
      changed_.notify_all();
    });
    return true;
  }

  // Until every file before this one has passed its turn or is done.
  void WaitForTurn(std::size_t i) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] {
      for (std::size_t j = 0; j < i; ++j) {
        const FileSlot& s = slots_[j];
        if (!s.turnPassed && s.state != FileSlot::State::kDone &&
            s.state != FileSlot::State::kSkipped) {
          return false;
        }
      }
      return true;
    });
  }

  void PassTurn(std::size_t i) {
    {
      std::lock_guard lock(mutex_);
      slots_[i].turnPassed = true;
    }
    changed_.notify_all();
  }

 private:
  void Stop(BatchEnd end, const std::string& message) {
    stop_ = true;
    end_ = end;
    endMessage_ = message;
    changed_.notify_all();
  }

  void JoinWorkers() {
    {
      std::lock_guard lock(mutex_);
      if (active_ > 0) stop_ = true;  // the runner left early (an exception): start no more
    }
    changed_.notify_all();
    for (std::thread& t : threads_) t.join();
    threads_.clear();
  }

  JobHost& host_;
  const std::vector<std::string>& files_;
  const FileStep& step_;
  const BatchHooks& hooks_;
  std::vector<FileSlot> slots_;
  const std::vector<std::size_t> earlier_;
  std::vector<std::thread> threads_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::size_t next_ = 0;
  std::size_t active_ = 0;
  bool stop_ = false;
  BatchEnd end_ = BatchEnd::kDone;
  std::string endMessage_ = kDoneMessage;
  std::unique_ptr<ReplaceQueue> replaces_;  // last: goes first, while the rest is there
};

// The folder a map's original is kept beside, as the undo machinery finds it.
std::string MapFolderOf(const std::string& path) {
  std::error_code ec;
  return NameOf(std::filesystem::weakly_canonical(std::filesystem::absolute(PathOf(path), ec), ec)
                    .parent_path());
}

// A serial run makes each folder's undo batch when the first map there is replaced; parallel
// jobs get there in any order. The folders go in the order of their first map that was
// done (or, for a folder without one, of its first map).
void SortUndoFactsAsSerial(BatchReport& report) {
  std::vector<std::pair<std::size_t, std::string>> firsts;  // (place, map folder)
  for (std::size_t i = 0; i < report.files.size(); ++i) {
    const FileOutcome& f = report.files[i];
    const bool done = !f.Failed() && f.result != FileResult::kNotStarted;
    const std::string folder = MapFolderOf(f.path);
    auto it = std::find_if(firsts.begin(), firsts.end(),
                           [&](const auto& first) { return first.second == folder; });
    if (it == firsts.end()) {
      firsts.emplace_back(done ? i : report.files.size() + i, folder);
    } else if (done && it->first >= report.files.size()) {
      it->first = i;
    }
  }
  const auto placeOf = [&](const UndoFacts& facts) {
    std::error_code ec;
    const std::string folder = NameOf(
        std::filesystem::weakly_canonical(PathOf(facts.folder), ec).parent_path().parent_path());
    for (const auto& [place, mapFolder] : firsts) {
      if (mapFolder == folder) return place;
    }
    return 2 * report.files.size();
  };
  std::stable_sort(report.undo.begin(), report.undo.end(),
                   [&](const UndoFacts& a, const UndoFacts& b) { return placeOf(a) < placeOf(b); });
}

}  // namespace

void JobHost::MessageBox(const std::string& text) {
  if (tCurrentSlot != nullptr) {
    tCurrentSlot->kept.push_back([this, text] { MessageBox(text); });
    return;
  }
  ShowMessageBox(text);
}

Progress& JobHost::progress() {
  if (tCurrentSlot != nullptr) {
    // A host that lends another host's progress hands back the kept one itself.
    Progress& real = HostProgress();
    if (&real != &tCurrentSlot->progress) tCurrentSlot->progress.Target(real);
    return tCurrentSlot->progress;
  }
  return HostProgress();
}

void JobHost::BatchEnded(const BatchReport& report) {
  MessageBox(report.endMessage);
}

void InFileTurn(const std::function<void()>& action) {
  FileSlot* slot = tCurrentSlot;
  if (slot == nullptr) {
    action();
    return;
  }
  slot->run->WaitForTurn(slot->index);
  struct Pass {
    FileSlot* slot;
    ~Pass() { slot->run->PassTurn(slot->index); }
  } pass{slot};
  action();
}

bool HandOverReplace(std::function<OutcomeFix()> replace) {
  FileSlot* slot = tCurrentSlot;
  return slot != nullptr && slot->run->HandOver(*slot, std::move(replace));
}

void InFileOrder(const std::function<void()>& action) {
  if (tCurrentSlot != nullptr) {
    tCurrentSlot->kept.push_back(action);
  } else {
    action();
  }
}

BatchHooks OneRewritePerFile() {
  BatchHooks hooks;
  hooks.replacesLast = true;
  return hooks;
}

int DefaultJobCount() {
  return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

void ShowNewMessages(JobHost& host, FileOutcome& outcome) {
  for (; outcome.shown < outcome.messages.size(); ++outcome.shown) {
    host.MessageBox(outcome.messages[outcome.shown]);
  }
}

BatchReport RunBatchJob(const BatchContext& batch, const std::vector<std::string>& files,
                        const FileStep& step, const BatchHooks& hooks) {
  JobHost& host = batch.host;
  BatchReport report;
  report.dryRun = batch.dryRun;
  report.started = std::chrono::system_clock::now();
  report.files.reserve(files.size());
  const int count = static_cast<int>(files.size());

  if (hooks.beforeProgress) hooks.beforeProgress(files);
  Progress& progress = host.progress();
  progress.SetRange(0, count * hooks.stepsPerFile, 1);
  progress.Show();
  if (hooks.beforeLoop) hooks.beforeLoop();

  report.end = BatchEnd::kDone;
  report.endMessage = kDoneMessage;
  const bool overlap = batch.overlapReplace && hooks.replacesLast && !batch.dryRun;
  if ((batch.jobs > 1 || overlap) && files.size() > 1) {
    ParallelRun(batch, files, step, hooks).Run(batch.jobs, overlap, report);
  } else {
    RunSerially(batch, files, step, hooks, report);
  }
  for (std::size_t i = report.files.size(); i < files.size(); ++i) {
    FileOutcome left;
    left.path = files[i];
    report.files.push_back(std::move(left));
  }

  // A stop inside the last file left it undone: the job did not finish.
  if (report.end == BatchEnd::kDone && host.StopRequested()) {
    report.end = BatchEnd::kCancelled;
    report.endMessage = kAbortedMessage;
  }
  if (hooks.afterLoop) hooks.afterLoop();
  progress.Hide();
  report.finished = std::chrono::system_clock::now();
  if (const UndoSession* undo = host.undoSession(); undo != nullptr && !batch.dryRun) {
    report.undo = undo->Facts();
    if (batch.jobs > 1) SortUndoFactsAsSerial(report);
  }
  host.BatchEnded(report);
  return report;
}

std::string MakeOutputPath(const std::string& inputPath, const std::string& suffix) {
  const std::size_t nameStart = inputPath.size() - FileNamePart(inputPath).size();
  const std::size_t dot = inputPath.rfind('.');
  const std::size_t stemEnd =
      (dot == std::string::npos || dot < nameStart) ? inputPath.size() : dot;
  return inputPath.substr(0, stemEnd) + suffix;
}

}  // namespace pomvelt
