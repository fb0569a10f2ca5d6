#include "jobs/file_rewrite.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <new>
#include <system_error>
#include <thread>

#include "os/file.h"
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

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  return std::filesystem::equivalent(a, b, ec) && !ec;
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
  Rewrite(const RewriteRequest& request, JobHost& host) : request_(request), host_(host) {}

  bool Run(const std::vector<LineTransform>& passes) {
    if (!OpenInput() || !CheckEncoding() || !ChooseDestination()) return false;
    RemoveLeftoverTemporaries(folder_, name_);
    if (request_.survey) {
      std::optional<bool> go = Survey();
      if (!go) return false;
      if (!*go) return true;
    }
    for (std::size_t i = 0; i < passes.size(); ++i) {
      if (!RunPass(passes[i], i + 1 == passes.size())) return false;
    }
    return Finish();
  }

 private:
  // Opens the input; in place also takes its lock, waiting for another run that holds it, and
  // opens the map again when that run replaced it meanwhile.
  bool OpenInput() {
    // A map replaced again and again between the open and the lock is given up in the end.
    for (int attempt = 0; attempt < kMaxOpenAttempts; ++attempt) {
      if (!input_.Open(request_.inputPath)) return Refuse(request_.cannotOpenInputMessage);
      if (!request_.inPlace) return true;
      LockState state;
      while ((state = input_.TryLock()) == LockState::kBusy) {
        if (!host_.WaitsForBusyFiles()) return Refuse(BusyMessage(request_.inputPath));
        if (host_.progress().IsCancelled()) return false;  // the batch ends with "Прервано"
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
    if (got < 0) return Refuse(ReadErrorMessage(request_.inputPath));
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
        return Refuse(kCannotOpenForOutput);
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
    } catch (const std::bad_alloc&) {
      Refuse(OutOfMemoryMessage(request_.inputPath));
      return std::nullopt;
    }
    if (readFailed || (go && !input_.Rewind())) {
      Refuse(ReadErrorMessage(request_.inputPath));
      return std::nullopt;
    }
    return go;
  }

  bool RunPass(const LineTransform& transform, bool last) {
    auto output = std::make_unique<OutputFile>();
    if (!output->CreateTemporary(folder_, name_)) return Fail(kCannotOpenForOutput);
    InputFile& source = previous_ ? *previous_ : input_;
    std::optional<std::string> refused;
    bool readFailed = false;
    bool writeOk = false;
    try {
      LineReader reader(source);
      LineWriter writer(*output);
      refused = transform(reader, writer);
      readFailed = reader.Failed();
      writeOk = writer.Flush();
    } catch (const std::bad_alloc&) {
      output_ = std::move(output);
      return Fail(OutOfMemoryMessage(request_.inputPath));
    }
    // The pass before is read: its temporary goes now.
    if (previous_) {
      previous_->Close();
      DropIntermediate();
    }
    if (!last) {
      intermediate_ = std::move(output);
      if (refused) return Fail(*refused);
      if (readFailed) return Fail(ReadErrorMessage(request_.inputPath));
      previous_ = std::make_unique<InputFile>();
      if (!writeOk || !previous_->OpenWritten(*intermediate_) || !intermediate_->Close()) {
        return Fail(WriteErrorMessage(WrittenPath()));
      }
      return true;
    }
    output_ = std::move(output);
    if (refused) return Fail(*refused);
    if (readFailed) return Fail(ReadErrorMessage(request_.inputPath));
    if (!writeOk) return Fail(WriteErrorMessage(WrittenPath()));
    return true;
  }

  bool Finish() {
    if (request_.inPlace) {
      output_->TakeOwnership(input_.Ownership());
      if (!output_->Sync()) return Fail(WriteErrorMessage(WrittenPath()));
    }
    if (!output_->Close()) return Fail(WriteErrorMessage(WrittenPath()));
    if (!request_.inPlace) {
      input_.Close();
      // A link planted under the copy's name meanwhile is not written through: the check is
      // only for the user's sake, as the rename would replace the link itself.
      if (!IsRegularFileOrAbsent(request_.outputPath) ||
          !RenameOver(output_->path(), request_.outputPath)) {
        return Fail(kCannotOpenForOutput);
      }
      output_->Release();
      return true;
    }
    // A map that was replaced, rewritten or deleted while we read it is someone else's newer
    // version: it is kept, and our result is dropped. Another Pomvelt run cannot have done it,
    // as it waits for our lock; an editor can.
    if (IdentityOf(realPath_) != lockedIdentity_) {
      return Fail(ChangedMeanwhileMessage(request_.inputPath));
    }
    // The map is about to change: whatever must be done with the old version is done here,
    // under the lock, with the finished result beside it.
    if (!ReplaceLockedFile(input_, output_->path(), realPath_)) {
      return Fail(ReplaceErrorMessage(request_.inputPath));
    }
    output_->Release();
    return true;
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
  bool Refuse(const std::string& message) {
    host_.MessageBox(message);
    return false;
  }

  // After: every temporary of the run is removed, the input left as it was.
  bool Fail(const std::string& message) {
    if (previous_) previous_->Close();
    DropIntermediate();
    if (output_) {
      RemoveFileQuietly(output_->path());
      output_->Release();
    }
    input_.Close();
    return Refuse(message);
  }

  const RewriteRequest& request_;
  JobHost& host_;
  InputFile input_;
  std::string realPath_;
  FileIdentity lockedIdentity_;
  std::string destination_, folder_, name_;
  std::unique_ptr<InputFile> previous_;       // reads the last intermediate result
  std::unique_ptr<OutputFile> intermediate_;  // the temporary previous_ reads
  std::unique_ptr<OutputFile> output_;        // the temporary of the final result
};

}  // namespace

bool RewriteFile(const RewriteRequest& request, JobHost& host, const LineTransform& transform) {
  return RewriteFileInPasses(request, host, {transform});
}

bool RewriteFileInPasses(const RewriteRequest& request, JobHost& host,
                         const std::vector<LineTransform>& passes) {
  return Rewrite(request, host).Run(passes);
}

}  // namespace pomvelt
