// The frame every per-file step shares: open the input, create the output, run the transform,
// check every read, write and close, and replace the input when working in place. Whatever
// fails, the input keeps its bytes, the partial output is removed, and the user is told which
// file failed.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

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
// "Файл " + path + " занят другим запуском Pomvelt": a run that may not wait met a locked map.
std::string BusyMessage(const std::string& path);
// "Недостаточно памяти для файла " + path
std::string OutOfMemoryMessage(const std::string& path);
// "Файл " + path + " в кодировке " + encoding + " не поддерживается"
std::string UnsupportedEncodingMessage(const std::string& path, const std::string& encoding);

// A transform over the lines of one file. It returns nullopt when it wrote its output, or a
// message when the file must be left as it was (the message is shown, the output removed).
using LineTransform = std::function<std::optional<std::string>(LineReader&, LineWriter&)>;

struct RewriteRequest {
  std::string inputPath;
  // Where the result goes without inPlace. In place it is never created, opened or removed:
  // the result is written to a hidden temporary beside the real file instead.
  std::string outputPath;
  bool inPlace = false;  // replace the input by the finished output
  std::string cannotOpenInputMessage = kCannotOpenForReading;
  // Reads the whole input before the transform, under the same lock; false leaves the file as
  // it is, without a message, as a success.
  std::function<bool(LineReader&)> survey;
};

// Runs the transform from the input to the output. True when the output (or, in place, the
// input) holds the complete result; false after a failure, which has been shown on the host.
// In place, the map is locked for the whole run: another run on it waits, or with a host that
// does not wait, is refused with BusyMessage.
bool RewriteFile(const RewriteRequest& request, JobHost& host, const LineTransform& transform);

// The same with passes that run one after another, each over the output of the one before;
// only the result of the last reaches the output (or replaces the input).
bool RewriteFileInPasses(const RewriteRequest& request, JobHost& host,
                         const std::vector<LineTransform>& passes);

// Replaces the input by the finished output with one atomic rename. False when that failed;
// the input is then unchanged and the output left where it was.
bool ReplaceInputFile(const std::string& inputPath, const std::string& outputPath);

}  // namespace pomvelt
