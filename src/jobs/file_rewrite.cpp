#include "jobs/file_rewrite.h"

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

bool RewriteFile(const RewriteRequest& request, JobHost& host, const LineTransform& transform) {
  InputFile input;
  if (!input.Open(request.inputPath)) {
    host.MessageBox(request.cannotOpenInputMessage);
    return false;
  }
  const FileIdentity inputIdentity = input.Identity();
  // Creating the output empties it; it must never be the input itself.
  OutputFile output;
  if (SameFile(request.inputPath, request.outputPath) || !output.Create(request.outputPath)) {
    host.MessageBox(kCannotOpenForOutput);
    return false;
  }

  auto fail = [&](const std::string& message) {
    output.Close();
    RemoveFileQuietly(request.outputPath);
    host.MessageBox(message);
    return false;
  };

  std::optional<std::string> refused;
  bool writeOk = false;
  bool readFailed = false;
  {
    LineReader reader(input);
    LineWriter writer(output);
    refused = transform(reader, writer);
    readFailed = reader.Failed();
    writeOk = writer.Flush();
  }
  input.Close();
  if (refused) return fail(*refused);
  if (readFailed) return fail(ReadErrorMessage(request.inputPath));
  if (!writeOk || (request.inPlace && !output.Sync()) || !output.Close()) {
    return fail(WriteErrorMessage(request.outputPath));
  }
  const std::string& target = request.replacePath.empty() ? request.inputPath : request.replacePath;
  // A map that was replaced, rewritten or deleted while we read it is someone else's newer
  // version: it is kept, and our result is dropped.
  if (request.inPlace && IdentityOf(target) != request.replaceIdentity.value_or(inputIdentity)) {
    RemoveFileQuietly(request.outputPath);
    host.MessageBox(ChangedMeanwhileMessage(target));
    return false;
  }
  if (request.inPlace && !ReplaceInputFile(target, request.outputPath)) {
    RemoveFileQuietly(request.outputPath);
    host.MessageBox(ReplaceErrorMessage(target));
    return false;
  }
  return true;
}

}  // namespace pomvelt
