// The frame every per-file step shares: open the input, create the output, run the transform,
// check every read, write and close, and replace the input when working in place. Whatever
// fails, the input keeps its bytes, the partial output is removed, and the outcome says which
// file failed and why. A dry run reads the input into the transform and counts what it would
// write, and touches nothing.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "jobs/batch_report.h"
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

// A transform over the lines of one file.
using LineTransform = std::function<TransformResult(LineReader&, LineWriter&)>;

// The result of a run that wrote `bytesOut` bytes for `bytesIn` read, as the outcome tells it.
FileResult ResultOf(const TransformResult& transform, unsigned long long bytesIn,
                    unsigned long long bytesOut);

struct RewriteRequest {
  std::string inputPath;
  std::string outputPath;
  bool inPlace = false;  // replace the input by the finished output
  std::string cannotOpenInputMessage = kCannotOpenForReading;
  // With inPlace: the path the finished output replaces when it is not the input itself (the
  // last step of a chain of passes over temporary files replaces the original map).
  std::string replacePath;
  // The identity the replaced file must still have; by default the input's, as opened.
  std::optional<FileIdentity> replaceIdentity;
  // Read and count only: no output is created and nothing is replaced.
  bool dryRun = false;
};

// Runs the transform from the input to the output. The outcome is changed or unchanged when
// the output (or, in place, the input) holds the complete result, failed otherwise, with the
// transform's counts either way. Its path is the request's input.
FileOutcome RewriteFile(const RewriteRequest& request, const LineTransform& transform);

// The operating system's text for an error number ("No such file or directory").
std::string SystemReason(int error);

// Replaces the input by the finished output with one atomic rename. False when that failed;
// the input is then unchanged and the output left where it was.
bool ReplaceInputFile(const std::string& inputPath, const std::string& outputPath);

}  // namespace pomvelt
