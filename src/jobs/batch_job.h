// The protocol every command follows: choose files, show progress, run a per-file step on each
// file in turn with a cancel check before each, announce "Готово" or "Прервано".
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "jobs/job_host.h"

namespace pomvelt {

inline constexpr const char* kDoneMessage = "Готово";
inline constexpr const char* kAbortedMessage = "Прервано";

// The per-file step: does all its work, reports its own failures through the host, and
// returns false when the file failed.
using FileStep = std::function<bool(const std::string& path)>;

struct BatchResult {
  bool filesChosen = false;  // false: the file dialog was cancelled, nothing else happened
  bool cancelled = false;    // the job ended with "Прервано"
  bool stopped = false;      // a stopBeforeFile hook ended the job
  int filesDone = 0;         // files the step ran on
  int filesFailed = 0;       // of those, files whose step returned false
};

// Runs the whole protocol, final message included.
BatchResult RunBatchJob(JobHost& host, const JobFileDialogParams& params, const FileStep& step);

// The same protocol with the departures the conversion and Eurasia jobs make from it.
struct BatchHooks {
  int stepsPerFile = 1;           // the progress range is count x stepsPerFile
  bool stepAfterEachFile = true;  // false: the per-file step advances the progress itself
  // After the files are counted, before the progress window is set up (list files open here).
  std::function<void(const std::vector<std::string>& paths)> beforeProgress;
  // After the progress window is shown, before the loop (a run over the whole folder).
  std::function<void()> beforeLoop;
  // Checked after the cancel check before each file: a text stops the job with that message.
  std::function<std::optional<std::string>()> stopBeforeFile;
  // After the loop, also after a cancel, before the progress window is hidden.
  std::function<void()> afterLoop;
};
BatchResult RunBatchJob(JobHost& host, const JobFileDialogParams& params, const FileStep& step,
                        const BatchHooks& hooks);

// The input path up to its last "." in the file-name part, followed by the suffix. A file name
// without "." keeps the whole path as its stem.
std::string MakeOutputPath(const std::string& inputPath, const std::string& suffix);

}  // namespace pomvelt
