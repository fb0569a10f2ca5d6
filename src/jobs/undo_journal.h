// Taking back an in-place batch. Just before a finished output is renamed over a map, the map
// is hard-linked into a batch folder ".pomvelt-undo/<date-time>/" beside it (copied where the
// file system has no hard links), so keeping the original costs no copying; a journal in that
// folder says what replaced it. Undo puts each original back with one rename, but only while
// the map still is what the batch wrote: a map changed since belongs to someone else.
//
// The journal is a text file of complete lines, each synced before the next step, so a run
// killed at any moment leaves it readable: a line cut short is ignored, and an entry whose
// result was never recorded is "incomplete" and left alone by undo.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "jobs/batch_report.h"
#include "text/file_io.h"

namespace pomvelt {

inline constexpr const char* kUndoFolderName = ".pomvelt-undo";
inline constexpr const char* kUndoJournalName = "journal";
inline constexpr int kUndoBatchesKept = 5;

// False when the environment turns undo off for good (POMVELT_UNDO=0).
bool UndoEnabledByEnvironment();

// The map's original, kept in a batch folder.
struct KeptOriginal {
  std::string batchFolder;
  int entry = 0;
  bool copied = false;  // the file system refused a hard link: the bytes were copied
};

// What KeepOriginal and MoveAside did; `error` (a message naming the file) when they could not
// keep it, in which case the map must not be replaced or removed.
struct KeepOutcome {
  std::optional<KeptOriginal> kept;
  std::string error;
};

// One run's undo batches: one batch folder in each folder whose maps it replaces, made when
// the first map there is kept (which also removes that folder's batches beyond the newest
// kUndoBatchesKept). Safe to call from several job threads at once.
class UndoSession {
 public:
  struct Options {
    std::string command;  // what the batch did, as the listing shows it
    std::chrono::system_clock::time_point start = std::chrono::system_clock::now();
    bool hardLinks = true;  // false: copy, as on a file system without hard links
  };
  explicit UndoSession(Options options);
  ~UndoSession();
  UndoSession(const UndoSession&) = delete;
  UndoSession& operator=(const UndoSession&) = delete;

  // Call just before `mapPath` is replaced: keeps its current bytes and journals the entry.
  KeepOutcome KeepOriginal(const std::string& mapPath);
  // Call after the rename: `result` is the identity of what now stands at the map's path. An
  // error message when the journal could not record it (the entry stays incomplete).
  std::optional<std::string> RecordResult(const KeptOriginal& kept, const FileIdentity& result);
  // Instead of deleting `path`: moves it into the batch folder, so undo can bring it back.
  KeepOutcome MoveAside(const std::string& path);

  // The batch folders made so far, in the order they were made.
  std::vector<std::string> BatchFolders() const;
  // Per batch folder, in that order: where the originals went and what is held there now.
  std::vector<UndoFacts> Facts() const;
  int FilesKept() const;
  int FilesCopied() const;  // of those, copied instead of linked

 private:
  struct Batch;
  Batch* BatchFor(const std::string& folder, std::string& error);
  KeepOutcome Keep(const std::string& path, bool move);

  Options options_;
  mutable std::mutex mutex_;
  std::map<std::string, std::unique_ptr<Batch>> batches_;  // by the maps' folder
  std::vector<std::string> order_;
  int kept_ = 0;
  int copied_ = 0;
};

// A kept batch as the listing shows it.
struct UndoBatchInfo {
  std::string folder;  // the batch folder
  std::string name;    // its date-time name
  long long startNanoseconds = 0;
  std::string command;
  int files = 0;            // entries
  int incomplete = 0;       // entries whose result was never recorded
  int undone = 0;           // entries already restored by an undo
  std::uint64_t bytes = 0;  // held by its kept files
};

// The batches kept in `mapFolder`, newest first.
std::vector<UndoBatchInfo> ListUndoBatches(const std::string& mapFolder);

// Bytes the kept batches of `mapFolder` hold (a file linked from several places counted once).
std::uint64_t UndoBytesHeld(const std::string& mapFolder);

struct UndoResult {
  std::string batch;                  // the batch folder, "" when there was none
  std::vector<std::string> restored;  // maps put back
  std::vector<std::string> changed;   // maps changed since the batch: left alone
  std::vector<std::string>
      incomplete;                   // entries never completed, where the map is not the original
  std::vector<std::string> busy;    // maps another run holds locked: left alone
  std::vector<std::string> failed;  // rename failures, with the reason
  bool Succeeded() const {
    return changed.empty() && incomplete.empty() && busy.empty() && failed.empty();
  }
};

// Restores one batch, newest entry first. A batch restored in full is removed; one with maps
// left alone stays, so their originals can still be found there.
UndoResult RestoreUndoBatch(const std::string& batchFolder);
// Restores the newest batch of `mapFolder` (batch "" when it has none).
UndoResult RestoreLatestUndoBatch(const std::string& mapFolder);

// What an undo did, one line per map and a last line for the batch, in the program's own
// texts ("Восстановлен файл ...", "Файл ... изменился после операции, оставлен как есть").
std::vector<std::string> UndoResultLines(const UndoResult& result);

// Removes every kept batch of `mapFolder`. An error message on failure.
std::optional<std::string> PurgeUndoBatches(const std::string& mapFolder);

// "2026-12-07 10:53:29": a batch's start in local time.
std::string FormatUndoBatchTime(long long startNanoseconds);

}  // namespace pomvelt
