// The protocol every command follows once its files are chosen: show progress, run a per-file
// step on each file in turn with a cancel check before each, announce "Готово" or "Прервано",
// and return what happened to every file.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "jobs/batch_report.h"
#include "jobs/file_rewrite.h"
#include "jobs/job_host.h"

namespace pomvelt {

inline constexpr const char* kDoneMessage = "Готово";
inline constexpr const char* kAbortedMessage = "Прервано";

// What a batch's file steps are given besides their options.
struct BatchContext {
  JobHost& host;
  // Every transform runs into a counting sink: nothing is written, renamed, deleted, run or
  // listed; the outcomes say what would change.
  bool dryRun = false;
  // How many files run at once. Above 1 the steps run on worker threads while this thread
  // shows what each did, file by file in the order given, as a serial run would; a file named
  // twice waits for its earlier turn; a cancel starts no more files and drops the results of
  // the running ones before they replace anything.
  int jobs = 1;
  // In place, a file's last act (its sync and the rename over the map) may go on beside the
  // next file's work, at most kReplacesInFlightPerJob per job at once, in the jobs whose hooks
  // allow it. The file is shown once its map is replaced (or the replacement failed), so what
  // the host sees stays that of a serial run.
  bool overlapReplace = false;
};

inline constexpr int kReplacesInFlightPerJob = 2;

// What a replacement handed over found once it ran, applied to its file's outcome before the
// file is shown: nothing when the map holds the result.
using OutcomeFix = std::function<void(FileOutcome&)>;

// From a step of a batch that overlaps replacements: queues `replace` to run beside the next
// files (waiting while the batch has its most in flight) and returns true; the step's file is
// shown once it ran. Elsewhere returns false at once: the caller replaces the map itself.
bool HandOverReplace(std::function<OutcomeFix()> replace);

// Runs the action now, or, from a worker of a parallel batch, when the batch shows that
// worker's file: what a step adds to something shared in file order (a list, a table) goes here.
void InFileOrder(const std::function<void()>& action);

// Runs the action once every file before this one of a parallel batch has run its own (or has
// finished without one): for a choice that must fall as in a serial run, such as which of two
// maps gets a name first. Outside a parallel batch, runs it now.
void InFileTurn(const std::function<void()>& action);

// The number of processors, at least 1: the default number of jobs.
int DefaultJobCount();

// The frame's request for one map of the batch: the batch's dry run, and its host to say
// whether to wait for a map another run holds.
RewriteRequest BatchRequest(const BatchContext& batch, const std::string& input,
                            const std::string& output, bool inPlace);

// The per-file step: does all its work and returns what happened. The runner shows the
// outcome's messages on the host after the step (a step that must show one earlier, before a
// progress step of its own, uses ShowNewMessages).
using FileStep = std::function<FileOutcome(const std::string& path)>;

// The departures the conversion and Eurasia jobs make from the plain protocol.
struct BatchHooks {
  int stepsPerFile = 1;           // the progress range is count x stepsPerFile
  bool stepAfterEachFile = true;  // false: the per-file step advances the progress itself
  // Before the progress window is set up (list files open here).
  std::function<void(const std::vector<std::string>& paths)> beforeProgress;
  // After the progress window is shown, before the loop (a run over the whole folder).
  std::function<void()> beforeLoop;
  // Checked after the cancel check before each file: a text stops the job with that message.
  std::function<std::optional<std::string>()> stopBeforeFile;
  // After the loop, also after a cancel, before the progress window is hidden.
  std::function<void()> afterLoop;
  // The step's outcome is that of one rewrite of its map, which is the step's last act on it:
  // with BatchContext::overlapReplace, the replacement may go on beside the next file.
  bool replacesLast = false;
};

// The hooks of a job whose step is one rewrite of its map and nothing after it.
BatchHooks OneRewritePerFile();

// Runs the protocol over the chosen files, final word (JobHost::BatchEnded) included. The
// report holds one outcome per file, in the order given; files never begun because of a cancel
// or a stop are there as not started. A step that throws ends the batch with that exception
// once the files before it are shown (the running ones finish first).
BatchReport RunBatchJob(const BatchContext& batch, const std::vector<std::string>& files,
                        const FileStep& step, const BatchHooks& hooks = {});

// Shows the outcome's messages the host has not been shown yet.
void ShowNewMessages(JobHost& host, FileOutcome& outcome);

// The input path up to its last "." in the file-name part, followed by the suffix. A file name
// without "." keeps the whole path as its stem.
std::string MakeOutputPath(const std::string& inputPath, const std::string& suffix);

}  // namespace pomvelt
