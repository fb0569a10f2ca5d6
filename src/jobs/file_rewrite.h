// The frame every per-file step shares: open the input, create the output, run the transform,
// check every read, write and close, and replace the input when working in place. Whatever
// fails, the input keeps its bytes, the partial output is removed, and the user is told which
// file failed.
#pragma once

#include <functional>
#include <optional>
#include <string>

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

// A transform over the lines of one file. It returns nullopt when it wrote its output, or a
// message when the file must be left as it was (the message is shown, the output removed).
using LineTransform = std::function<std::optional<std::string>(LineReader&, LineWriter&)>;

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
};

// Runs the transform from the input to the output. True when the output (or, in place, the
// input) holds the complete result; false after a failure, which has been shown on the host.
bool RewriteFile(const RewriteRequest& request, JobHost& host, const LineTransform& transform);

// Replaces the input by the finished output with one atomic rename. False when that failed;
// the input is then unchanged and the output left where it was.
bool ReplaceInputFile(const std::string& inputPath, const std::string& outputPath);

}  // namespace pomvelt
