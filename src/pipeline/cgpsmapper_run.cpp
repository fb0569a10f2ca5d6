#include "pipeline/cgpsmapper_run.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <system_error>

#include "jobs/batch_job.h"
#include "jobs/undo_journal.h"
#include "os/file.h"
#include "os/path.h"
#include "text/file_io.h"
#include "text/strings.h"

namespace pomvelt {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kOutputLinesShown = 20;
// mkgmap writes these beside every map it compiles, for a map set that has one map here.
constexpr const char* kMkgmapSetFiles[] = {"osmmap.img", "osmmap.tdb"};
// mkgmap's own output folders: this and 12 hexadecimal digits.
constexpr const char kRunFolderPrefix[] = ".pomvelt-mkgmap-";
constexpr std::size_t kRunFolderDigits = 12;
// The name whose temporary marks a run folder as a live run's.
constexpr const char* kRunMarkName = "pomvelt-run";
// A run folder without a mark is a killed run's only when nothing changed in it for this long:
// a live run makes its mark at once after the folder, and a folder older than this is not one
// whose mark is still to come.
constexpr std::chrono::seconds kUnmarkedRunFolderAge{60};

bool NameEndsInMp(const std::string& path) {
  const std::string_view name = FileNamePart(path);
  return name.size() >= 3 && name.substr(name.size() - 3) == ".mp";
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

// The folder a path's program runs in and its output lands in, absolute.
std::string AbsoluteFolderOf(const std::string& path) {
  std::error_code ec;
  const fs::path absolute = fs::absolute(PathOf(path), ec);
  return NameOf((ec ? PathOf(path) : absolute).parent_path());
}

std::string AbsolutePath(const std::string& path) {
  std::error_code ec;
  const fs::path absolute = fs::absolute(PathOf(path), ec);
  return ec ? path : NameOf(absolute);
}

// The header's "ID=" value when it is a number of 1 to 8 digits.
std::optional<std::string> HeaderId(const std::string& path) {
  InputFile file;
  if (!file.Open(path)) return std::nullopt;
  LineReader reader(file, 64 * 1024);
  std::string_view line;
  for (int n = 0; n < 10000 && reader.ReadLine(line); ++n) {
    if (line.starts_with("[END-IMG ID]") || line.starts_with("[END]")) break;
    if (!line.starts_with("ID=")) continue;
    const std::string_view id = line.substr(3);
    if (id.empty() || id.size() > 8 || !std::all_of(id.begin(), id.end(), IsDigit)) {
      return std::nullopt;
    }
    return std::string(8 - id.size(), '0') + std::string(id);
  }
  return std::nullopt;
}

// The first run of exactly 8 digits in the file's name.
std::optional<std::string> FileNameId(const std::string& path) {
  const std::string_view name = FileNamePart(path);
  for (std::size_t i = 0; i < name.size();) {
    if (!IsDigit(name[i])) {
      ++i;
      continue;
    }
    std::size_t end = i;
    while (end < name.size() && IsDigit(name[end])) ++end;
    if (end - i == 8) return std::string(name.substr(i, 8));
    i = end;
  }
  return std::nullopt;
}

// A number no map of this job has and no compiled map in the folder has.
std::string FreshName(const std::string& path, const std::string& folder,
                      const ConversionState& state) {
  std::size_t n = std::hash<std::string>{}(AbsolutePath(path)) % 90000000;
  for (;; n = (n + 1) % 90000000) {
    const std::string name = std::to_string(10000000 + n);
    const std::string output = NameOf(PathOf(folder) / PathOf(name + ".img"));
    std::error_code ec;
    if (state.compiledOutputs.count(output) == 0 && !fs::exists(PathOf(output), ec)) return name;
  }
}

// One mkgmap run's own output folder, and the locked mark that tells every other run it is alive.
struct RunFolder {
  std::string path;  // "" when there is none
  std::shared_ptr<OutputFile> mark;
};

// A new folder for one mkgmap run, hidden inside `folder` and marked as this run's before
// anything goes in; none when it cannot be made there (the run then writes into `folder`).
RunFolder MakeRunFolder(const std::string& folder) {
  static std::atomic<unsigned> made{0};
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    char name[48];
    std::snprintf(name, sizeof name, "%s%08x%04x", kRunFolderPrefix,
                  static_cast<unsigned>(random()), made++ & 0xFFFFu);
    const std::string candidate = NameOf(PathOf(folder) / PathOf(name));
    std::error_code ec;
    if (!fs::create_directory(PathOf(candidate), ec)) {
      if (ec) return {};  // not a name taken: the folder takes no new entry
      continue;
    }
    // Fails when another run took the unlocked new mark for a leftover and removed the folder.
    auto mark = std::make_shared<OutputFile>();
    if (mark->CreateTemporary(candidate, kRunMarkName)) return {candidate, std::move(mark)};
    RemoveFolderQuietly(candidate);
  }
  return {};
}

// Drops the run's mark, then its folder with what is left in it.
void RemoveRunFolder(const RunFolder& run) {
  run.mark->Release();
  RemoveFolderQuietly(run.path);
}

// What a run wrote into its own folder besides the compiled map comes beside the map, in file
// order as a serial batch leaves it (a later map's set files over an earlier one's); the set
// files only when kept. Then the folder goes. It stays marked until then, so that no other run
// takes it for a leftover while it waits for its turn.
void SettleRunFolder(const RunFolder& run, const std::string& folder, bool keepSetFiles) {
  InFileOrder([=] {
    std::error_code ec;
    const std::size_t nameMax = MaxNameLength(run.path);
    for (const fs::directory_entry& entry : fs::directory_iterator(PathOf(run.path), ec)) {
      const std::string name = NameOf(entry.path().filename());
      const bool setFile = std::find(std::begin(kMkgmapSetFiles), std::end(kMkgmapSetFiles),
                                     name) != std::end(kMkgmapSetFiles);
      if ((setFile && !keepSetFiles) || IsTemporaryNameOf(name, kRunMarkName, nameMax)) continue;
      std::error_code moveError;
      fs::rename(entry.path(), PathOf(folder) / entry.path().filename(), moveError);
    }
    RemoveRunFolder(run);
  });
}

std::string FailureText(const std::string& path, CompilerStage stage, const ProcessOutcome& run) {
  return std::string(stage == CompilerStage::kCompile ? "Ошибка компиляции файла "
                                                      : "Ошибка декомпиляции файла ") +
         path + " (код " + std::to_string(run.exitStatus) + ")";
}

}  // namespace

bool IsRunFolderName(std::string_view name) {
  const std::string_view prefix = kRunFolderPrefix;
  if (name.size() != prefix.size() + kRunFolderDigits || !name.starts_with(prefix)) return false;
  return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                     [](char c) { return IsDigit(c) || (c >= 'a' && c <= 'f'); });
}

void RemoveLeftoverRunFolders(const std::string& folder) {
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(PathOf(folder), ec)) {
    if (IsRunFolderName(NameOf(entry.path().filename()))) {
      RemoveLeftoverFolder(NameOf(entry.path()), kRunMarkName, kUnmarkedRunFolderAge);
    }
  }
}

bool IsMkgmap(const std::string& program) {
  std::string name = Lower(FileNamePart(program));
  for (const char* extension : {".exe", ".bat", ".cmd", ".jar", ".sh"}) {
    const std::string_view e = extension;
    if (name.size() > e.size() && name.compare(name.size() - e.size(), e.size(), e) == 0) {
      name.resize(name.size() - e.size());
      break;
    }
  }
  return name == "mkgmap";
}

std::optional<std::string> MapNameOf(const std::string& path) {
  if (std::optional<std::string> id = HeaderId(path)) return id;
  return FileNameId(path);
}

std::string CompilerMissingMessage(const std::string& program) {
  const std::string name = Lower(FileNamePart(program));
  if (program.empty() || name == "cgpsmapper" || name == "cgpsmapper.exe") {
    return "Отсутствует файл cgpsmapper.exe";
  }
  return "Отсутствует файл " + program;
}

std::string ShownFailure(const CompilerRun& run) {
  if (!run.failure) return {};
  // What the compiler said, at its end, is what tells why.
  const std::string tail = LastLines(run.process.output, kOutputLinesShown);
  return tail.empty() ? *run.failure : *run.failure + ":\n" + tail;
}

CompilerRun RunCgpsmapper(const std::string& path, CompilerStage stage, const CompilerCall& call,
                          ConversionState& state, const std::function<bool()>& stop) {
  CompilerRun run;
  run.program = CompilerProgram(call.compiler);
  const std::string folder = AbsoluteFolderOf(path);
  ProcessRequest request;
  request.program = run.program;
  request.mode = WindowMode::kHidden;
  request.folder = folder;
  request.captureOutput = true;
  request.stop = stop;

  const bool mkgmap = stage == CompilerStage::kCompile && IsMkgmap(run.program);
  std::optional<FileIdentity> outputBefore;
  std::vector<std::pair<std::string, std::optional<FileIdentity>>> setFilesBefore;
  RunFolder runFolder;  // mkgmap's own output folder, if it has one
  if (mkgmap) {
    std::optional<std::string> name = MapNameOf(path);
    // The maps of a batch take their names in file order, also when they run in parallel.
    InFileTurn([&] {
      const std::lock_guard lock(state.mutex);
      if (!name) {
        name = FreshName(path, folder, state);
        run.freshName = true;
      }
      run.outputPath = NameOf(PathOf(folder) / PathOf(*name + ".img"));
      const auto [first, added] = state.compiledOutputs.emplace(run.outputPath, path);
      if (!added) {
        run.failure = "Карта " + path + " не скомпилирована: файл " + run.outputPath +
                      " уже получен из карты " + first->second;
      }
    });
    if (run.failure) return run;
    RemoveLeftoverRunFolders(folder);
    if (call.ownOutputFolder) runFolder = MakeRunFolder(folder);
    request.args = {"--output-dir=" + (runFolder.path.empty() ? folder : runFolder.path),
                    "--mapname=" + *name};
    outputBefore = IdentityOf(run.outputPath);
    for (const char* setFile : kMkgmapSetFiles) {
      const std::string p = NameOf(PathOf(folder) / PathOf(setFile));
      setFilesBefore.emplace_back(p, IdentityOf(p));
    }
  }
  request.args.insert(request.args.end(), call.extraArgs.begin(), call.extraArgs.end());
  request.args.push_back(AbsolutePath(path));

  run.process = ProcessRunner::Run(request);
  if (!runFolder.path.empty()) {
    // The compiled map of a run that succeeded replaces the old one at once; a failed or
    // stopped run leaves nothing (the old compiled map stays as it was).
    if (run.process.started && !run.process.stopped && run.process.exitStatus == 0) {
      RenameOver(NameOf(PathOf(runFolder.path) / PathOf(run.outputPath).filename()),
                 run.outputPath);
      SettleRunFolder(runFolder, folder, call.keepCompilerFiles);
    } else {
      RemoveRunFolder(runFolder);
    }
  }
  if (!run.process.started) {
    const std::lock_guard lock(state.mutex);
    state.missingCompiler = run.program;
    state.compilerMissing = true;
    return run;
  }
  // By-products of this run only: a set file that was there before and is untouched stays.
  if (mkgmap && runFolder.path.empty() && !call.keepCompilerFiles) {
    for (const auto& [setFile, before] : setFilesBefore) {
      const std::optional<FileIdentity> after = IdentityOf(setFile);
      if (after && after != before) RemoveFileQuietly(setFile);
    }
  }
  if (run.process.stopped) return run;  // not done; the job ends with its own message
  if (run.process.exitStatus != 0) {
    run.failure = FailureText(path, stage, run.process);
  } else if (mkgmap) {
    const std::optional<FileIdentity> after = IdentityOf(run.outputPath);
    if (!after || after == outputBefore) {
      run.failure = "Компилятор не записал файл " + run.outputPath;
    }
  }
  const bool deletes =
      call.deleteMpAfterCompile && stage == CompilerStage::kCompile && NameEndsInMp(path);
  if (run.failure) {
    if (deletes) *run.failure += "; файл " + path + " не удалён";
    return run;
  }
  run.done = true;
  // A number made up here is nowhere else to be seen: the user must learn where the map went.
  if (run.freshName) run.notice = "Карта " + path + " скомпилирована в файл " + run.outputPath;
  // A source that cannot be removed only costs disk space; the map itself is safe.
  if (deletes) {
    if (call.undo != nullptr) {
      call.undo->MoveAside(path);
    } else {
      RemoveFileQuietly(path);
    }
  }
  return run;
}

}  // namespace pomvelt
