#include "support/test_support.h"

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#ifndef _WIN32
#include <sys/wait.h>
#endif

#include "os/path.h"
#include "support/exit_status.h"

namespace pomvelt::test {

void RecordingHost::SetRange(int lower, int upper, int step) {
  step_ = step;
  pos_ = lower;
  calls.push_back("SetRange " + std::to_string(lower) + " " + std::to_string(upper) + " " +
                  std::to_string(step));
}

void RecordingHost::Show() {
  cancelled = false;
  calls.push_back("Show");
}

void RecordingHost::SetText(const std::string& text) {
  calls.push_back("SetText " + text);
  if (onFile) onFile(texts_);
  ++texts_;
}

int RecordingHost::SetPos(int pos) {
  const int previous = pos_;
  pos_ = pos;
  calls.push_back("SetPos " + std::to_string(pos));
  return previous;
}

int RecordingHost::StepIt() {
  const int previous = pos_;
  pos_ += step_;
  calls.push_back("StepIt");
  return previous;
}

TempDir::TempDir() {
  static std::atomic<int> counter{0};
  std::random_device rd;
  path_ = std::filesystem::temp_directory_path() /
          ("pomvelt-test-" + std::to_string(rd()) + "-" + std::to_string(counter++));
  std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ec;
  // Tests may take permissions away; give them back so everything can be removed.
  for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
  }
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(PathOf(path), std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void WriteBytes(const std::string& path, std::string_view bytes) {
  std::ofstream out(PathOf(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::set<std::string> FileNames(const TempDir& dir) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    // The originals an in-place run keeps for undo are no debris.
    if (entry.path().filename() == ".pomvelt-undo") continue;
    names.insert(entry.path().filename().string());
  }
  return names;
}

bool Exists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(std::filesystem::symlink_status(PathOf(path), ec));
}

std::string CrLf(const std::vector<std::string_view>& lines) {
  std::string out;
  for (std::string_view l : lines) {
    out.append(l);
    out.append("\r\n");
  }
  return out;
}

std::string RunTransform(std::string_view input,
                         const std::function<void(LineReader&, LineWriter&)>& transform,
                         std::size_t blockSize) {
  MemorySource source(input);
  StringSink sink;
  {
    LineReader reader(source, blockSize);
    LineWriter writer(sink, blockSize < 64 ? 64 : blockSize);
    transform(reader, writer);
    writer.Flush();
  }
  return sink.bytes;
}

Counted RunCounted(std::string_view input,
                   const std::function<TransformResult(LineReader&, LineWriter&)>& transform,
                   std::size_t blockSize) {
  Counted c;
  c.output = RunTransform(
      input, [&](LineReader& in, LineWriter& out) { c.result = transform(in, out); }, blockSize);
  c.unchanged = ResultOf(c.result, input.size(), c.output.size()) == FileResult::kUnchanged;
  return c;
}

long long Counted::Count(std::string_view key) const {
  for (const pomvelt::Count& k : result.counts) {
    if (k.key == key) return k.value;
  }
  return -1;
}

std::string DataMap(const std::string& name) {
  const char* env = std::getenv("POMVELT_DATA_DIR");
  const std::filesystem::path dir = env != nullptr ? env : POMVELT_DATA_DIR;
  const std::filesystem::path p = dir / name;
  return std::filesystem::exists(p) ? p.string() : std::string();
}

namespace {
void SetEnv(const std::string& name, const std::optional<std::string>& value) {
#ifdef _WIN32
  // An empty value removes the variable.
  ::_putenv_s(name.c_str(), value ? value->c_str() : "");
#else
  if (value) {
    ::setenv(name.c_str(), value->c_str(), 1);
  } else {
    ::unsetenv(name.c_str());
  }
#endif
}
}  // namespace

ScopedEnv::ScopedEnv(std::string name, const std::optional<std::string>& value)
    : name_(std::move(name)) {
  if (const char* old = std::getenv(name_.c_str())) old_ = old;
  SetEnv(name_, value);
}

ScopedEnv::~ScopedEnv() {
  SetEnv(name_, old_);
}

int ExitStatusOf(int systemResult) {
#ifdef _WIN32
  return systemResult;
#else
  return WIFEXITED(systemResult) ? WEXITSTATUS(systemResult) : -1;
#endif
}

void WriteShellProgram(const std::string& path, const std::string& body) {
  WriteBytes(path, "#!/bin/sh\n" + body);
  std::filesystem::permissions(path, std::filesystem::perms::owner_all |
                                         std::filesystem::perms::group_read |
                                         std::filesystem::perms::group_exec);
}

namespace {
std::string PrefixedPath(const std::string& folder) {
  const char* old = std::getenv("PATH");
#ifdef _WIN32
  const std::string separator = ";";
#else
  const std::string separator = ":";
#endif
  return folder + (old != nullptr && *old != '\0' ? separator + old : std::string());
}
}  // namespace

PathPrefix::PathPrefix(const std::string& folder) : env_("PATH", PrefixedPath(folder)) {}

}  // namespace pomvelt::test
