#include "app/last_undo.h"

#include <filesystem>

#include "app/settings.h"

LastUndo& LastUndo::Instance() {
  static LastUndo instance;
  return instance;
}

std::unique_ptr<pomvelt::UndoSession> LastUndo::Begin(const std::string& command) {
  if (!pomvelt::UndoEnabledByEnvironment() || !PomveltSettings().value(kUndoKey, true).toBool()) {
    return nullptr;
  }
  return std::make_unique<pomvelt::UndoSession>(pomvelt::UndoSession::Options{command});
}

void LastUndo::Finished(const pomvelt::UndoSession& session) {
  std::vector<std::string> batches = session.BatchFolders();
  if (batches.empty()) return;
  std::lock_guard<std::mutex> lock(mutex_);
  batches_ = std::move(batches);
}

std::vector<std::string> LastUndo::Restore() {
  std::vector<std::string> batches;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    batches.swap(batches_);
  }
  std::vector<std::string> lines;
  for (const std::string& batch : batches) {
    std::error_code ec;
    if (!std::filesystem::is_directory(batch, ec)) {
      lines.push_back("Копии операции больше нет: " + batch);
      continue;
    }
    for (std::string& line : pomvelt::UndoResultLines(pomvelt::RestoreUndoBatch(batch))) {
      lines.push_back(std::move(line));
    }
  }
  if (lines.empty()) lines.push_back("Нет операции для отмены");
  return lines;
}
