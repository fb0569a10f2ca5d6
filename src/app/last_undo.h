// The desktop program's undo: every job keeps the originals of the maps it replaces in an undo
// session, and the batches of the last job that kept any can be put back from the window menu
// ("Отменить последнюю операцию"). Shared by every dialog: the last job is the program's.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "jobs/undo_journal.h"

class LastUndo {
 public:
  static LastUndo& Instance();

  // A session for the job about to start; none when undo is turned off (by the setting or the
  // environment).
  std::unique_ptr<pomvelt::UndoSession> Begin(const std::string& command);
  // After the job: its batches become the last ones, when it kept anything.
  void Finished(const pomvelt::UndoSession& session);
  // Puts the last job's maps back and forgets that job; the lines tell what happened.
  std::vector<std::string> Restore();

 private:
  std::mutex mutex_;
  std::vector<std::string> batches_;
};

// The line the final message of a job that kept originals ends with.
inline constexpr const char* kUndoAvailableText =
    "Операцию можно отменить: \"Отменить последнюю операцию\" в меню окна";
