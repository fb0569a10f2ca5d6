// pomvelt-cli undo: takes back the latest in-place batch of a folder, lists the kept batches or
// removes them.
#include <filesystem>
#include <ostream>

#include "cli/cli.h"
#include "jobs/batch_summary.h"
#include "jobs/undo_journal.h"
#include "os/path.h"

namespace pomvelt {
namespace {

std::string FolderArgument(const CliArgs& args) {
  std::error_code ec;
  const std::string folder =
      args.files.empty() ? NameOf(std::filesystem::current_path(ec)) : args.files.front();
  if (ec || !std::filesystem::is_directory(PathOf(folder), ec)) {
    throw CliUsageError{"not a folder: " + folder};
  }
  return folder;
}

std::string HeldLine(const std::string& folder) {
  return "Копии для отмены в " + NameOf(PathOf(folder) / kUndoFolderName) + ": " +
         SizeText(UndoBytesHeld(folder));
}

int ListBatches(const std::string& folder, std::ostream& out) {
  const std::vector<UndoBatchInfo> batches = ListUndoBatches(folder);
  for (const UndoBatchInfo& b : batches) {
    out << FormatUndoBatchTime(b.startNanoseconds) << "  " << b.command << "  файлов: " << b.files
        << "  " << SizeText(b.bytes);
    if (b.incomplete > 0) out << "  не завершено: " << b.incomplete;
    if (b.undone > 0) out << "  уже восстановлено: " << b.undone;
    out << '\n';
  }
  if (batches.empty()) {
    out << "Нет операций для отмены в " << folder << '\n';
  } else {
    out << HeldLine(folder) << '\n';
  }
  return kExitOk;
}

int Purge(const std::string& folder, std::ostream& err) {
  const std::uint64_t held = UndoBytesHeld(folder);
  if (const std::optional<std::string> failed = PurgeUndoBatches(folder)) {
    err << "Не могу удалить копии для отмены: " << *failed << '\n';
    return kExitFailed;
  }
  err << "Копии для отмены удалены, освобождено " << SizeText(held) << '\n';
  return kExitOk;
}

int Restore(const std::string& folder, std::ostream& err) {
  const std::vector<UndoBatchInfo> batches = ListUndoBatches(folder);
  if (batches.empty()) {
    err << "Нет операций для отмены в " << folder << '\n';
    return kExitFailed;
  }
  const UndoBatchInfo& batch = batches.front();
  err << "Отмена операции " << FormatUndoBatchTime(batch.startNanoseconds) << " (" << batch.command
      << ")\n";
  const UndoResult result = RestoreUndoBatch(batch.folder);
  for (const std::string& line : UndoResultLines(result)) err << line << '\n';
  return result.Succeeded() ? kExitOk : kExitFailed;
}

const bool kRegistered = RegisterCliCommand({
    .order = 90,
    .name = "undo",
    .summary = "take back the latest in-place run in a folder",
    .description =
        "Every in-place run keeps the original of each map it replaces in a batch folder "
        ".pomvelt-undo/DATE_TIME/ in the map's folder (a hard link: no copying). undo puts the "
        "maps of the latest batch of FOLDER (default: the current folder) back, each only while "
        "it still is the file that batch wrote; a map changed since is left alone and named, and "
        "the exit status is 1. The last 5 batches of a folder are kept.",
    .operands = "[FOLDER]",
    .minOperands = 0,
    .maxOperands = 1,
    .options =
        {
            {"--list", 0, "", {}, "", "list the kept batches: date, command, files, size"},
            {"--purge", 0, "", {}, "", "remove every kept batch of the folder"},
        },
    .output = "the maps of the batch, put back in their folder; the batch folder is removed once "
              "every map of it is back.",
    .examples =
        {
            {"undo maps", "take the latest in-place run on the maps in maps/ back"},
            {"undo --list", "show the batches kept in the current folder, newest first"},
        },
    .scope = kCliScopeOther,
    .run = nullptr,
    .runDirect =
        [](const CliArgs& args, std::ostream& out, std::ostream& err) {
          if (args.Has("--list") && args.Has("--purge")) {
            throw CliUsageError{"--list and --purge exclude each other"};
          }
          const std::string folder = FolderArgument(args);
          if (args.Has("--list")) return ListBatches(folder, out);
          if (args.Has("--purge")) return Purge(folder, err);
          return Restore(folder, err);
        },
});

}  // namespace
}  // namespace pomvelt
