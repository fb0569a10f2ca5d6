#include "jobs/file_rewrite.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "text/file_io.h"

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

bool ReplaceInputFile(const std::string& inputPath, const std::string& outputPath) {
  return ReplaceFileAtomically(outputPath, inputPath);
}

namespace {

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  return std::filesystem::equivalent(a, b, ec) && !ec;
}

}  // namespace

std::string SystemReason(int error) {
  return error == 0 ? std::string() : std::system_category().message(error);
}

FileResult ResultOf(const TransformResult& transform, unsigned long long bytesIn,
                    unsigned long long bytesOut) {
  return !transform.linesChanged && bytesIn == bytesOut ? FileResult::kUnchanged
                                                        : FileResult::kChanged;
}

FileOutcome RewriteFile(const RewriteRequest& request, const LineTransform& transform) {
  FileOutcome outcome;
  outcome.path = request.inputPath;
  InputFile input;
  if (!input.Open(request.inputPath)) {
    outcome.Fail(request.cannotOpenInputMessage, SystemReason(input.Error()));
    return outcome;
  }

  if (request.dryRun) {
    CountingSink counter;
    TransformResult done;
    bool readFailed = false;
    {
      LineReader reader(input);
      LineWriter writer(counter);
      done = transform(reader, writer);
      readFailed = reader.Failed();
      writer.Flush();
      outcome.bytesIn = reader.BytesRead();
      outcome.bytesOut = writer.BytesWritten();
    }
    outcome.counts = std::move(done.counts);
    if (done.refused) {
      outcome.Fail(*done.refused);
    } else if (readFailed) {
      outcome.Fail(ReadErrorMessage(request.inputPath), SystemReason(input.Error()));
    } else {
      outcome.result = ResultOf(done, outcome.bytesIn, outcome.bytesOut);
    }
    return outcome;
  }

  const FileIdentity inputIdentity = input.Identity();
  // Creating the output empties it; it must never be the input itself.
  OutputFile output;
  if (SameFile(request.inputPath, request.outputPath)) {
    outcome.Fail(kCannotOpenForOutput);
    return outcome;
  }
  if (!output.Create(request.outputPath)) {
    outcome.Fail(kCannotOpenForOutput, SystemReason(output.Error()));
    return outcome;
  }

  auto fail = [&](const std::string& message, int error) {
    output.Close();
    RemoveFileQuietly(request.outputPath);
    outcome.Fail(message, SystemReason(error));
    return outcome;
  };

  TransformResult done;
  bool writeOk = false;
  bool readFailed = false;
  {
    LineReader reader(input);
    LineWriter writer(output);
    done = transform(reader, writer);
    readFailed = reader.Failed();
    writeOk = writer.Flush();
    outcome.bytesIn = reader.BytesRead();
    outcome.bytesOut = writer.BytesWritten();
  }
  outcome.counts = std::move(done.counts);
  input.Close();
  if (done.refused) return fail(*done.refused, 0);
  if (readFailed) return fail(ReadErrorMessage(request.inputPath), input.Error());
  if (!writeOk || (request.inPlace && !output.Sync()) || !output.Close()) {
    return fail(WriteErrorMessage(request.outputPath), output.Error());
  }
  const std::string& target = request.replacePath.empty() ? request.inputPath : request.replacePath;
  // A map that was replaced, rewritten or deleted while we read it is someone else's newer
  // version: it is kept, and our result is dropped.
  if (request.inPlace && IdentityOf(target) != request.replaceIdentity.value_or(inputIdentity)) {
    RemoveFileQuietly(request.outputPath);
    outcome.Fail(ChangedMeanwhileMessage(target));
    return outcome;
  }
  if (request.inPlace && !ReplaceInputFile(target, request.outputPath)) {
    const int error = errno;
    RemoveFileQuietly(request.outputPath);
    outcome.Fail(ReplaceErrorMessage(target), SystemReason(error));
    return outcome;
  }
  outcome.output = request.inPlace ? target : request.outputPath;
  outcome.result = ResultOf(done, outcome.bytesIn, outcome.bytesOut);
  return outcome;
}

}  // namespace pomvelt
