// What a batch did: one outcome per file, as a value, and the report the runner returns. The
// front ends show it (the summary line, the final message box, the JSON report); the core
// only fills it in.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pomvelt {

// One of a command's counts: a name for machines, a Russian label for people, the value.
// A count that is not `summed` (the level a fill copied from) has no total.
struct Count {
  std::string key;    // "elementsDeleted"
  std::string label;  // "удалено элементов"
  long long value = 0;
  bool summed = true;
};
using Counts = std::vector<Count>;

// Adds `more` to `into`, count by count of the same key; a key not yet there is appended.
void AddCounts(Counts& into, const Counts& more);

enum class FileResult {
  kChanged,     // the result differs from the input
  kUnchanged,   // the result equals the input byte for byte
  kFailed,      // see message and reason; the map is as it was
  kNotStarted,  // the batch ended before this file
};

// "changed", "unchanged", "failed", "not-started".
std::string_view FileResultName(FileResult result);

// One run of an outside compiler for a file, as the report keeps it.
struct CompilerRecord {
  std::string stage;    // "decompile", "compile"
  std::string program;  // as it was looked for
  bool started = false;
  bool stopped = false;  // stopped by a stop signal before it ended
  int exitStatus = -1;   // once it ended by itself
  std::string output;    // what it wrote to its standard output and error, at most the last 256 KiB
  // mkgmap: the compiled map it was to write, and whether its name is a number made up for it.
  std::string compiledMap;
  bool freshName = false;
};

struct FileOutcome {
  std::string path;  // the map as chosen
  FileResult result = FileResult::kNotStarted;
  Counts counts;
  unsigned long long bytesIn = 0;   // the map's bytes as read
  unsigned long long bytesOut = 0;  // the result's bytes (what a dry run would have written)
  // The file that holds the result: the map itself in place, the copy otherwise; empty when
  // nothing was written (a failure, a dry run).
  std::string output;
  // Every text the file produced for the user, in order; the first failure's text first.
  std::vector<std::string> messages;
  std::size_t shown = 0;  // how many of the messages the host has been shown already
  std::string reason;     // the operating system's reason for the failure, when it gave one
  std::vector<CompilerRecord> compilerRuns;  // in the order they were asked for

  bool Failed() const { return result == FileResult::kFailed; }
  // Records a failure: the system's own text and, when there is one, the operating system's
  // reason, which the message the user sees carries after the text ("...: Permission denied").
  void Fail(std::string message, std::string why = {});
  // Folds a later step of the same file into this one: counts add up, a failure wins, a change
  // is kept, the bytes out and the output become the later step's.
  void Then(FileOutcome&& later);
};

// How a batch ended.
enum class BatchEnd {
  kNothingChosen,  // the file dialog was cancelled: nothing happened
  kDone,           // "Готово": the loop ran to its end
  kCancelled,      // "Прервано"
  kStopped,        // a job's own stop, e.g. the compiler is missing
};

struct BatchTotals {
  int files = 0;
  int changed = 0;
  int unchanged = 0;
  int failed = 0;
  int notStarted = 0;
  unsigned long long bytesIn = 0;
  unsigned long long bytesOut = 0;
  Counts counts;  // the summed counts of every file
};

// Where the undo machinery kept the originals of one folder's maps; the front ends show it.
struct UndoFacts {
  std::string folder;                // the batch folder the originals went to
  unsigned long long bytesKept = 0;  // what the folder's kept batches hold on the disk
  bool copied = false;               // some originals were copied (no hard links there)
};

struct BatchReport {
  std::string command;  // "delete-elements", as the command line names it
  // The command's options as name and value, for the report (the front end fills them in).
  std::vector<std::pair<std::string, std::string>> options;
  bool dryRun = false;
  BatchEnd end = BatchEnd::kNothingChosen;
  std::string endMessage;  // "Готово", "Прервано", "Отсутствует файл cgpsmapper.exe"
  std::chrono::system_clock::time_point started;
  std::chrono::system_clock::time_point finished;
  std::vector<FileOutcome> files;  // one per chosen file, in their order
  std::vector<UndoFacts> undo;     // one per folder whose maps were kept; none: undo did not run

  bool FilesChosen() const { return end != BatchEnd::kNothingChosen; }
  bool Cancelled() const { return end == BatchEnd::kCancelled; }
  bool Stopped() const { return end == BatchEnd::kStopped; }
  BatchTotals Totals() const;
};

}  // namespace pomvelt
