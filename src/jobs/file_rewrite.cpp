#include "jobs/file_rewrite.h"

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <memory>
#include <new>
#include <system_error>
#include <thread>

#include "jobs/batch_job.h"
#include "jobs/undo_journal.h"
#include "os/file.h"
#include "os/path.h"
#include "text/strings.h"

namespace pomvelt {

std::string ReadErrorMessage(const std::string& path) {
  return "Ошибка чтения файла " + path;
}
std::string WriteErrorMessage(const std::string& path) {
  return "Ошибка записи файла " + path;
}
std::string ReplaceErrorMessage(const std::string& path) {
  return "Не могу заменить файл " + path;
}
std::string ChangedMeanwhileMessage(const std::string& path) {
  return ReplaceErrorMessage(path) + ": он изменился во время обработки";
}
std::string CannotOpenNamedForReading(const std::string& path) {
  return "Не могу открыть файл " + path + " для чтения";
}
std::string CannotOpenForReading(const std::string& path) {
  return std::string(kCannotOpenForReading) + ": " + path;
}
std::string CannotOpenForOutput(const std::string& path) {
  return std::string(kCannotOpenForOutput) + ": " + path;
}
std::string BusyMessage(const std::string& path) {
  return "Файл " + path + " занят другим запуском Pomvelt";
}
std::string OutOfMemoryMessage(const std::string& path) {
  return "Недостаточно памяти для файла " + path;
}
std::string UnsupportedEncodingMessage(const std::string& path, const std::string& encoding) {
  return "Файл " + path + " в кодировке " + encoding + " не поддерживается";
}

bool ReplaceInputFile(const std::string& inputPath, const std::string& outputPath) {
  return ReplaceFileAtomically(outputPath, inputPath);
}

namespace {

constexpr auto kLockPollInterval = std::chrono::milliseconds(20);
constexpr int kMaxOpenAttempts = 100;

// The input as the transform reads it: it ends early once the job is asked to stop, and the
// frame then drops what was written.
class StoppableSource : public ByteSource {
 public:
  StoppableSource(InputFile& source, const JobHost* host) : source_(source), host_(host) {}
  std::ptrdiff_t Read(char* buf, std::size_t n) override {
    if (host_ && host_->StopRequested()) {
      stopped_ = true;
      return 0;
    }
    return source_.Read(buf, n);
  }
  bool Stopped() const { return stopped_; }
  int Error() const { return source_.Error(); }

 private:
  InputFile& source_;
  const JobHost* host_;
  bool stopped_ = false;
};

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  return std::filesystem::equivalent(PathOf(a), PathOf(b), ec) && !ec;
}

// The byte-order marks of the encodings whose maps the line layer would garble. UTF-32 comes
// first: its little-endian mark begins with UTF-16's.
std::optional<std::string> WideEncodingOf(std::string_view head) {
  using namespace std::string_view_literals;
  if (head.substr(0, 4) == "\xFF\xFE\0\0"sv || head.substr(0, 4) == "\0\0\xFE\xFF"sv) {
    return "UTF-32";
  }
  if (head.substr(0, 2) == "\xFF\xFE"sv || head.substr(0, 2) == "\xFE\xFF"sv) return "UTF-16";
  return std::nullopt;
}

// One run of the frame over one file.
class Rewrite {
 public:
  // The request is kept whole: the replacement may run after the caller's copy is gone.
  explicit Rewrite(const RewriteRequest& request) : request_(request) {
    outcome_.path = request.inputPath;
  }

  // Everything up to the replacement of the map: true when that is what is left to do.
  bool Run(const std::vector<LineTransform>& passes) {
    if (!OpenInput() || !CheckEncoding()) return false;
    if (request_.dryRun) {
      CountPass(passes.front());
      return false;
    }
    if (!ChooseDestination()) return false;
    RemoveLeftoverTemporaries(folder_, name_);
    if (request_.survey) {
      std::optional<bool> go = Survey();
      if (!go) return false;
      if (!*go) {
        outcome_.result = FileResult::kUnchanged;
        outcome_.bytesOut = outcome_.bytesIn;
        return false;
      }
    }
    for (std::size_t i = 0; i < passes.size(); ++i) {
      if (!RunPass(passes[i], i == 0, i + 1 == passes.size())) return false;
    }
    return Finish();
  }

  // Syncs the result and renames it over the map, or drops it.
  void Replace() {
    if (!output_->Sync()) {
      Fail(WriteErrorMessage(WrittenPath()), output_->Error());
      return;
    }
    if (!output_->Close()) {
      Fail(WriteErrorMessage(WrittenPath()), output_->Error());
      return;
    }
    ReplaceSynced();
  }

  // The outcome as it will be once the map is replaced.
  FileOutcome Expected() const {
    FileOutcome expected = outcome_;
    Succeeded(expected, request_.inputPath);
    return expected;
  }

  // What Replace found, as a change to the outcome Expected gave: a failure, a stop (the file
  // not done), or a note.
  OutcomeFix FixAfterReplace() const {
    if (outcome_.result == FileResult::kNotStarted) {
      return [](FileOutcome& o) {
        std::string path = std::move(o.path);
        o = FileOutcome{};
        o.path = std::move(path);
      };
    }
    const std::size_t notes = outcome_.messages.size();
    if (outcome_.Failed()) {
      return [message = outcome_.messages.back(), reason = outcome_.reason](FileOutcome& o) {
        o.result = FileResult::kFailed;
        o.output.clear();
        if (o.reason.empty()) o.reason = reason;
        o.messages.push_back(message);
      };
    }
    if (notes == expectedNotes_) return {};
    return [more = std::vector<std::string>(
                outcome_.messages.begin() + static_cast<std::ptrdiff_t>(expectedNotes_),
                outcome_.messages.end())](FileOutcome& o) {
      o.messages.insert(o.messages.end(), more.begin(), more.end());
    };
  }

  FileOutcome TakeOutcome() { return std::move(outcome_); }

 private:
  bool WaitsForBusyFiles() const { return !request_.host || request_.host->WaitsForBusyFiles(); }
  bool Cancelled() const { return request_.host && request_.host->progress().IsCancelled(); }

  // Opens the input; in place also takes its lock, waiting for another run that holds it, and
  // opens the map again when that run replaced it meanwhile. A dry run reads without the lock.
  bool OpenInput() {
    // A map replaced again and again between the open and the lock is given up in the end.
    for (int attempt = 0; attempt < kMaxOpenAttempts; ++attempt) {
      if (!input_.Open(request_.inputPath)) {
        return Refuse(request_.cannotOpenInputMessage.empty()
                          ? CannotOpenForReading(request_.inputPath)
                          : request_.cannotOpenInputMessage,
                      input_.Error());
      }
      if (!request_.inPlace || request_.dryRun) return true;
      LockState state;
      while ((state = input_.TryLock()) == LockState::kBusy) {
        if (!WaitsForBusyFiles()) return Refuse(BusyMessage(request_.inputPath));
        if (Cancelled()) {  // the batch ends with "Прервано"
          outcome_.result = FileResult::kNotStarted;
          return false;
        }
        std::this_thread::sleep_for(kLockPollInterval);
      }
      const std::optional<std::string> real = RealPathOf(request_.inputPath);
      const std::optional<FileIdentity> now = real ? IdentityOf(*real) : std::nullopt;
      if (now && now->SameFileAs(input_.Identity())) {
        realPath_ = *real;
        lockedIdentity_ = *now;
        return true;
      }
      input_.Close();
    }
    return Refuse(ChangedMeanwhileMessage(request_.inputPath));
  }

  bool CheckEncoding() {
    char head[4];
    const std::ptrdiff_t got = input_.ReadHead(head, sizeof head);
    if (got < 0) return Refuse(ReadErrorMessage(request_.inputPath), input_.Error());
    const std::optional<std::string> wide =
        WideEncodingOf(std::string_view(head, static_cast<std::size_t>(got)));
    if (wide) return Refuse(UnsupportedEncodingMessage(request_.inputPath, *wide));
    return true;
  }

  // In place the temporary goes beside the real file, so that the rename never crosses file
  // systems; a copy keeps its name, which may be replaced but never written through.
  bool ChooseDestination() {
    if (request_.inPlace) {
      destination_ = realPath_;
    } else {
      if (SameFile(request_.inputPath, request_.outputPath) ||
          !IsRegularFileOrAbsent(request_.outputPath)) {
        return Refuse(CannotOpenForOutput(request_.outputPath));
      }
      destination_ = request_.outputPath;
    }
    const std::string_view folder = FolderPart(destination_);
    folder_ = folder.empty() ? std::string_view(".") : folder;
    name_ = FileNamePart(destination_);
    return true;
  }

  std::optional<bool> Survey() {
    bool go = false;
    bool readFailed = false;
    try {
      LineReader reader(input_);
      go = request_.survey(reader);
      readFailed = reader.Failed();
      outcome_.bytesIn = reader.BytesRead();
    } catch (const std::bad_alloc&) {
      Refuse(OutOfMemoryMessage(request_.inputPath));
      return std::nullopt;
    }
    if (readFailed || (go && !input_.Rewind())) {
      Refuse(ReadErrorMessage(request_.inputPath), input_.Error());
      return std::nullopt;
    }
    return go;
  }

  // A dry run: the one pass into a counting sink.
  void CountPass(const LineTransform& transform) {
    CountingSink counter;
    TransformResult done;
    bool readFailed = false;
    try {
      LineReader reader(input_);
      LineWriter writer(counter);
      done = transform(reader, writer);
      readFailed = reader.Failed();
      writer.Flush();
      outcome_.bytesIn = reader.BytesRead();
      outcome_.bytesOut = writer.BytesWritten();
    } catch (const std::bad_alloc&) {
      Refuse(OutOfMemoryMessage(request_.inputPath));
      return;
    }
    outcome_.counts = std::move(done.counts);
    if (done.refused) {
      Refuse(*done.refused);
    } else if (readFailed) {
      Refuse(ReadErrorMessage(request_.inputPath), input_.Error());
    } else {
      outcome_.result = ResultOf(done, outcome_.bytesIn, outcome_.bytesOut);
    }
  }

  bool RunPass(const LineTransform& transform, bool first, bool last) {
    auto output = std::make_unique<OutputFile>();
    if (!output->CreateTemporary(folder_, name_)) {
      return Fail(CannotOpenForOutput(WrittenPath()), output->Error());
    }
    StoppableSource source(previous_ ? *previous_ : input_, request_.host);
    TransformResult done;
    bool readFailed = false;
    bool writeOk = false;
    try {
      LineReader reader(source);
      LineWriter writer(*output);
      done = transform(reader, writer);
      readFailed = reader.Failed();
      writeOk = writer.Flush();
      if (first) outcome_.bytesIn = reader.BytesRead();
      outcome_.bytesOut = writer.BytesWritten();
    } catch (const std::bad_alloc&) {
      output_ = std::move(output);
      return Fail(OutOfMemoryMessage(request_.inputPath));
    }
    AddCounts(outcome_.counts, done.counts);
    linesChanged_ = linesChanged_ || done.linesChanged;
    const int readError = source.Error();
    // The pass before is read: its temporary goes now.
    if (previous_) {
      previous_->Close();
      DropIntermediate();
    }
    // Stopped: what was written is dropped, and the file stays as it was.
    if (source.Stopped()) {
      output_ = std::move(output);
      return Stop();
    }
    if (!last) {
      intermediate_ = std::move(output);
      if (done.refused) return Fail(*done.refused);
      if (readFailed) return Fail(ReadErrorMessage(request_.inputPath), readError);
      previous_ = std::make_unique<InputFile>();
      if (!writeOk || !previous_->OpenWritten(*intermediate_) || !intermediate_->Close()) {
        return Fail(WriteErrorMessage(WrittenPath()), intermediate_->Error());
      }
      return true;
    }
    output_ = std::move(output);
    if (done.refused) return Fail(*done.refused);
    if (readFailed) return Fail(ReadErrorMessage(request_.inputPath), readError);
    if (!writeOk) return Fail(WriteErrorMessage(WrittenPath()), output_->Error());
    return true;
  }

  // True when the map is left to be replaced (in place): Replace does it.
  bool Finish() {
    // Asked once more before anything is renamed, so that a stop never leaves the map changed.
    if (request_.host && request_.host->StopRequested()) return Stop();
    if (request_.inPlace) {
      output_->TakeOwnership(input_.Ownership());
      expectedNotes_ = outcome_.messages.size();
      return true;
    }
    if (!output_->Close()) return Fail(WriteErrorMessage(WrittenPath()), output_->Error());
    input_.Close();
    // A link planted under the copy's name meanwhile is not written through: the check is
    // only for the user's sake, as the rename would replace the link itself.
    if (!IsRegularFileOrAbsent(request_.outputPath) ||
        !RenameOver(output_->path(), request_.outputPath)) {
      return Fail(CannotOpenForOutput(request_.outputPath), errno);
    }
    output_->Release();
    Succeed(request_.outputPath);
    return false;
  }

  // The result is on the disk and closed: it replaces the map.
  bool ReplaceSynced() {
    // The sync may have taken a while: a stop that came meanwhile still keeps the map.
    if (request_.host && request_.host->StopRequested()) return Stop();
    // A map that was replaced, rewritten or deleted while we read it is someone else's newer
    // version: it is kept, and our result is dropped. Another Pomvelt run cannot have done it,
    // as it waits for our lock; an editor can.
    if (IdentityOf(realPath_) != lockedIdentity_) {
      return Fail(ChangedMeanwhileMessage(request_.inputPath));
    }
    // The map is about to change: whatever must be done with the old version is done here,
    // under the lock, with the finished result beside it.
    // Kept for undo, or the map is not replaced at all.
    UndoSession* undo = request_.host != nullptr ? request_.host->undoSession() : nullptr;
    std::optional<KeptOriginal> kept;
    const std::optional<FileIdentity> result = IdentityOf(output_->path());
    if (undo != nullptr) {
      if (!result) return Fail(WriteErrorMessage(WrittenPath()));
      KeepOutcome keep = undo->KeepOriginal(realPath_);
      if (!keep.kept) return Fail(keep.error);
      kept = keep.kept;
    }
    if (!ReplaceLockedFile(input_, output_->path(), realPath_)) {
      return Fail(ReplaceErrorMessage(request_.inputPath), errno);
    }
    output_->Release();
    if (kept) {
      if (std::optional<std::string> unrecorded = undo->RecordResult(*kept, *result)) {
        outcome_.messages.push_back(*unrecorded);  // the map holds its result; only undo is lost
      }
    }
    return Succeed(request_.inputPath);
  }

  bool Succeed(const std::string& written) {
    Succeeded(outcome_, written);
    return true;
  }

  void Succeeded(FileOutcome& outcome, const std::string& written) const {
    outcome.output = written;
    TransformResult all;
    all.linesChanged = linesChanged_;
    outcome.result = ResultOf(all, outcome.bytesIn, outcome.bytesOut);
  }

  // In place the user knows the map, not the hidden temporary.
  const std::string& WrittenPath() const {
    return request_.inPlace ? request_.inputPath : request_.outputPath;
  }

  void DropIntermediate() {
    if (!intermediate_) return;
    RemoveFileQuietly(intermediate_->path());
    intermediate_->Release();
    intermediate_.reset();
  }

  // Before anything was written.
  bool Refuse(const std::string& message, int error = 0) {
    outcome_.Fail(message, SystemReason(error));
    return false;
  }

  // After: every temporary of the run is removed, the input left as it was.
  bool Fail(const std::string& message, int error = 0) {
    Abandon();
    return Refuse(message, error);
  }

  // A stop inside the file: it counts as not done, with nothing of what it did so far; the
  // batch ends with "Прервано", which says it all.
  bool Stop() {
    outcome_ = FileOutcome{};
    outcome_.path = request_.inputPath;
    return Abandon();
  }

  // Every temporary of the run is removed, the input left as it was.
  bool Abandon() {
    if (previous_) previous_->Close();
    DropIntermediate();
    if (output_) {
      RemoveFileQuietly(output_->path());
      output_->Release();
    }
    input_.Close();
    return false;
  }

  const RewriteRequest request_;
  std::size_t expectedNotes_ = 0;  // the outcome's messages when the replacement began
  FileOutcome outcome_;
  bool linesChanged_ = false;
  InputFile input_;
  std::string realPath_;
  FileIdentity lockedIdentity_;
  std::string destination_, folder_, name_;
  std::unique_ptr<InputFile> previous_;       // reads the last intermediate result
  std::unique_ptr<OutputFile> intermediate_;  // the temporary previous_ reads
  std::unique_ptr<OutputFile> output_;        // the temporary of the final result
};

}  // namespace

std::string SystemReason(int error) {
  return error == 0 ? std::string() : std::generic_category().message(error);
}

std::string WithSystemReason(std::string text, int error) {
  if (error != 0) text += ": " + SystemReason(error);
  return text;
}

FileResult ResultOf(const TransformResult& transform, unsigned long long bytesIn,
                    unsigned long long bytesOut) {
  return !transform.linesChanged && bytesIn == bytesOut ? FileResult::kUnchanged
                                                        : FileResult::kChanged;
}

FileOutcome RewriteFile(const RewriteRequest& request, const LineTransform& transform) {
  return RewriteFileInPasses(request, {transform});
}

FileOutcome RewriteFileInPasses(const RewriteRequest& request,
                                const std::vector<LineTransform>& passes) {
  const auto rewrite = std::make_shared<Rewrite>(request);
  if (!rewrite->Run(passes)) return rewrite->TakeOutcome();
  // Taken before the hand-over: from then on the rewrite belongs to the replacing thread.
  FileOutcome expected = rewrite->Expected();
  if (HandOverReplace([rewrite] {
        rewrite->Replace();
        return rewrite->FixAfterReplace();
      })) {
    return expected;
  }
  rewrite->Replace();
  return rewrite->TakeOutcome();
}

}  // namespace pomvelt
