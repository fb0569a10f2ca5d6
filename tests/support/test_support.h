// Shared test helpers: a recording JobHost, temporary folders, file bytes, transforms over
// strings, and the real maps of the shared data folder.
#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "jobs/file_rewrite.h"
#include "jobs/job_host.h"
#include "text/line_io.h"

namespace pomvelt::test {

// Records every call a job makes.
class RecordingHost : public JobHost, public Progress {
 public:
  // Called after each SetText, with the index of the file (0-based): lets a test press Cancel.
  std::function<void(int)> onFile;

  std::vector<std::string> messages;
  std::vector<std::string> calls;  // progress calls in order: "SetRange 0 3 1", "Show", ...
  std::atomic<bool> cancelled = false;
  bool waitsForBusyFiles = true;

  bool WaitsForBusyFiles() const override { return waitsForBusyFiles; }

  void SetRange(int lower, int upper, int step) override;
  void Show() override;
  void SetText(const std::string& text) override;
  int SetPos(int pos) override;
  int StepIt() override;
  void Hide() override { calls.push_back("Hide"); }
  bool IsCancelled() const override { return cancelled; }

 protected:
  void ShowMessageBox(const std::string& text) override { messages.push_back(text); }
  Progress& HostProgress() override { return *this; }

 private:
  int pos_ = 0;
  int step_ = 1;
  int texts_ = 0;
};

// A fresh folder under the system's temporary folder, removed with the object.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, std::string_view bytes);
bool Exists(const std::string& path);
// The names in a folder (links and hidden files included, the undo folder left out), for tests
// that no debris is left.
std::set<std::string> FileNames(const TempDir& dir);

// Lines joined with CR LF after each, as every command writes them.
std::string CrLf(const std::vector<std::string_view>& lines);

// Runs a transform over bytes in memory, with the given reader block size.
std::string RunTransform(std::string_view input,
                         const std::function<void(LineReader&, LineWriter&)>& transform,
                         std::size_t blockSize = LineReader::kDefaultBlock);

// A counting transform's output and its word on what it did.
struct Counted {
  std::string output;
  TransformResult result;
  // The transform's own verdict, which must be "the output is the input" exactly.
  bool unchanged = false;
  long long Count(std::string_view key) const;  // -1 when the transform has no such count
};
Counted RunCounted(std::string_view input,
                   const std::function<TransformResult(LineReader&, LineWriter&)>& transform,
                   std::size_t blockSize = LineReader::kDefaultBlock);

// The path of a real map in the shared data folder, or "" when that folder is absent.
std::string DataMap(const std::string& name);

// Sets an environment variable (nullopt: removes it) for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(std::string name, const std::optional<std::string>& value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

// Writes a fake outside program: "#!/bin/sh", a line end, the body; executable.
void WriteShellProgram(const std::string& path, const std::string& body);

// Puts a folder first on PATH for the life of the object.
class PathPrefix {
 public:
  explicit PathPrefix(const std::string& folder);

 private:
  ScopedEnv env_;
};

}  // namespace pomvelt::test
