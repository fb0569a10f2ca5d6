// The frame every per-file step shares: open the input, create the output, run the transform,
// check every read, write and close, and replace the input when working in place. Whatever
// fails, the input keeps its bytes, the partial output is removed, and the outcome says which
// file failed and why. A dry run reads the input into the transform and counts what it would
// write, and touches nothing.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "jobs/batch_report.h"
#include "jobs/job_host.h"
#include "text/file_io.h"
#include "text/line_io.h"

namespace pomvelt {

inline constexpr const char* kCannotOpenForReading = "Не могу открыть файл для чтения";
inline constexpr const char* kCannotOpenForOutput = "Не могу открыть файл для вывода";
std::string ReadErrorMessage(const std::string& path);  // "Ошибка чтения файла " + path
std::string WriteErrorMessage(const std::string& path);  // "Ошибка записи файла " + path
std::string ReplaceErrorMessage(const std::string& path);  // "Не могу заменить файл " + path
// "Не могу заменить файл " + path + ": он изменился во время обработки"
std::string ChangedMeanwhileMessage(const std::string& path);
// "Не могу открыть файл " + path + " для чтения"
std::string CannotOpenNamedForReading(const std::string& path);
// kCannotOpenForReading + ": " + path
std::string CannotOpenForReading(const std::string& path);
// kCannotOpenForOutput + ": " + path
std::string CannotOpenForOutput(const std::string& path);
// "Файл " + path + " занят другим запуском Pomvelt": a run that may not wait met a locked map.
std::string BusyMessage(const std::string& path);
// "Недостаточно памяти для файла " + path
std::string OutOfMemoryMessage(const std::string& path);
// "Файл " + path + " в кодировке " + encoding + " не поддерживается"
std::string UnsupportedEncodingMessage(const std::string& path, const std::string& encoding);

// What a transform tells the frame about the file it went through.
struct TransformResult {
  Counts counts;
  // True when it wrote anything but the lines it read as they were: a line changed, dropped,
  // added or moved. Without that, the result equals the input exactly when the sizes are the
  // same (writing a line as read only ever adds bytes: a "\r" before a bare "\n", a missing
  // last line end).
  bool linesChanged = false;
  // The file must be left as it was: the output is removed and this text shown.
  std::optional<std::string> refused;
};

// The map is to be left as it was, with this text.
inline TransformResult RefusedWith(std::string message) {
  TransformResult result;
  result.refused = std::move(message);
  return result;
}

// A transform over the lines of one file.
using LineTransform = std::function<TransformResult(LineReader&, LineWriter&)>;

// The result of a run that wrote `bytesOut` bytes for `bytesIn` read, as the outcome tells it.
FileResult ResultOf(const TransformResult& transform, unsigned long long bytesIn,
                    unsigned long long bytesOut);

struct RewriteRequest {
  std::string inputPath;
  // Where the result goes without inPlace. In place it is never created, opened or removed:
  // the result is written to a hidden temporary beside the real file instead.
  std::string outputPath;
  bool inPlace = false;  // replace the input by the finished output
  // Empty: CannotOpenForReading(inputPath).
  std::string cannotOpenInputMessage;
  // Reads the whole input before the transform, under the same lock; false leaves the file as
  // it is, unchanged, without a message.
  std::function<bool(LineReader&)> survey;
  // Read and count only: no output is created and nothing is replaced; no lock is taken.
  bool dryRun = false;
  // Whose cancel request ends a wait for a map that another run holds locked, and who says
  // whether to wait at all; without one the run waits.
  JobHost* host = nullptr;
};

// Runs the transform from the input to the output. The outcome is changed or unchanged when
// the output (or, in place, the input) holds the complete result, failed otherwise, with the
// transform's counts either way. Its path is the request's input. In place, the map is locked
// for the whole run: another run on it waits, or with a host that does not wait, is refused
// with BusyMessage.
FileOutcome RewriteFile(const RewriteRequest& request, const LineTransform& transform);

// The operating system's text for an error number ("No such file or directory"); "" for 0.
std::string SystemReason(int error);

// A failure as the user sees it: the text, then the system's reason for `error` after ": ";
// the text alone when error is 0.
std::string WithSystemReason(std::string text, int error);

// The same with passes that run one after another, each over the output of the one before;
// only the result of the last reaches the output (or replaces the input).
// Counts add up over the passes. A dry run takes one pass only.
FileOutcome RewriteFileInPasses(const RewriteRequest& request,
                                const std::vector<LineTransform>& passes);

// Replaces the input by the finished output with one atomic rename. False when that failed;
// the input is then unchanged and the output left where it was.
bool ReplaceInputFile(const std::string& inputPath, const std::string& outputPath);

}  // namespace pomvelt
