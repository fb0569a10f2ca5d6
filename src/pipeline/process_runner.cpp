#include "pipeline/process_runner.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
extern char** environ;
#endif

namespace pomvelt {

namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
constexpr char kPathListSeparator = ';';
constexpr const char* kDefaultCompiler = "cgpsmapper.exe";
#else
constexpr char kPathListSeparator = ':';
constexpr const char* kDefaultCompiler = "cgpsmapper";
#endif

bool HoldsFolder(const std::string& name) {
#ifdef _WIN32
  return name.find_first_of("\\/:") != std::string::npos;
#else
  return name.find('/') != std::string::npos;
#endif
}

bool IsRunnableFile(const fs::path& p) {
  std::error_code ec;
  if (!fs::is_regular_file(p, ec)) return false;
#ifdef _WIN32
  return true;
#else
  return ::access(p.c_str(), X_OK) == 0;
#endif
}

std::vector<std::string> SearchFolders() {
  std::vector<std::string> folders;
  if (std::string own = ProcessRunner::OwnExecutableFolder(); !own.empty()) {
    folders.push_back(std::move(own));
  }
  const char* pathList = std::getenv("PATH");
  std::string_view rest = pathList != nullptr ? pathList : "";
  while (!rest.empty()) {
    const std::size_t end = rest.find(kPathListSeparator);
    const std::string_view entry = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    // Empty and relative entries stand for the current folder or a folder below it.
    if (!entry.empty() && fs::path(entry).is_absolute()) folders.emplace_back(entry);
  }
  return folders;
}

#ifdef _WIN32

std::wstring Widen(const std::string& text) {
  if (text.empty()) return {};
  const int n =
      ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

ProcessOutcome RunWin32(const std::string& program, const std::vector<std::string>& args,
                        WindowMode mode) {
  // No application name: the system looks for the program by its own rules, beginning with
  // the folder of this executable.
  std::wstring commandLine = QuoteWindowsArgument<wchar_t>(Widen(program));
  for (const std::string& arg : args) {
    commandLine += L' ';
    commandLine += QuoteWindowsArgument<wchar_t>(Widen(arg));
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(mode == WindowMode::kHidden ? SW_HIDE : SW_SHOW);
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
    return {};
  }
  ::CloseHandle(info.hThread);
  ::WaitForSingleObject(info.hProcess, INFINITE);
  DWORD code = 0;
  ProcessOutcome outcome;
  outcome.started = true;
  outcome.exitStatus = ::GetExitCodeProcess(info.hProcess, &code) ? static_cast<int>(code) : -1;
  ::CloseHandle(info.hProcess);
  return outcome;
}

#else

// posix_spawn's attribute and file-action objects, released whatever happens.
class SpawnSetup {
 public:
  SpawnSetup() {
    ::posix_spawnattr_init(&attr_);
    ::posix_spawn_file_actions_init(&actions_);
  }
  ~SpawnSetup() {
    ::posix_spawn_file_actions_destroy(&actions_);
    ::posix_spawnattr_destroy(&attr_);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;
  posix_spawnattr_t* attr() { return &attr_; }
  posix_spawn_file_actions_t* actions() { return &actions_; }

 private:
  posix_spawnattr_t attr_;
  posix_spawn_file_actions_t actions_;
};

ProcessOutcome RunPosix(const std::string& program, const std::vector<std::string>& args,
                        WindowMode mode) {
  const std::optional<std::string> full = ProcessRunner::FindProgram(program);
  if (!full) return {};

  SpawnSetup setup;
  // A job thread may have signals blocked; the program must not start with them blocked.
  sigset_t none;
  sigemptyset(&none);
  ::posix_spawnattr_setsigmask(setup.attr(), &none);
  ::posix_spawnattr_setflags(setup.attr(), POSIX_SPAWN_SETSIGMASK);
  if (mode == WindowMode::kHidden) {
    ::posix_spawn_file_actions_addopen(setup.actions(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  }

  std::vector<std::string> argStrings;
  argStrings.reserve(args.size() + 1);
  argStrings.push_back(program);
  argStrings.insert(argStrings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : argStrings) argv.push_back(a.data());
  argv.push_back(nullptr);

  pid_t pid = 0;
  if (::posix_spawn(&pid, full->c_str(), setup.actions(), setup.attr(), argv.data(), environ) !=
      0) {
    return {};
  }
  int status = 0;
  pid_t waited = 0;
  do {
    waited = ::waitpid(pid, &status, 0);
  } while (waited < 0 && errno == EINTR);

  ProcessOutcome outcome;
  outcome.started = true;
  if (waited == pid && WIFEXITED(status)) {
    outcome.exitStatus = WEXITSTATUS(status);
  } else if (waited == pid && WIFSIGNALED(status)) {
    outcome.exitStatus = 128 + WTERMSIG(status);
  }
  return outcome;
}

#endif

}  // namespace

std::string ProcessRunner::OwnExecutableFolder() {
#ifdef _WIN32
  std::wstring buffer(32768, L'\0');
  const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  if (n == 0 || n >= buffer.size()) return {};
  buffer.resize(n);
  return fs::path(buffer).parent_path().string();
#elif defined(__linux__)
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : self.parent_path().string();
#else
  return {};
#endif
}

std::optional<std::string> ProcessRunner::FindProgram(const std::string& name) {
  if (name.empty()) return std::nullopt;
  if (HoldsFolder(name)) {
    if (IsRunnableFile(name)) return name;
    return std::nullopt;
  }
  for (const std::string& folder : SearchFolders()) {
    const fs::path candidate = fs::path(folder) / name;
    if (IsRunnableFile(candidate)) return candidate.string();
  }
  return std::nullopt;
}

ProcessOutcome ProcessRunner::Run(const std::string& program, const std::vector<std::string>& args,
                                  WindowMode mode) {
#ifdef _WIN32
  return RunWin32(program, args, mode);
#else
  return RunPosix(program, args, mode);
#endif
}

std::string CompilerProgram(const std::string& chosen) {
  if (!chosen.empty()) return chosen;
  const char* fromEnvironment = std::getenv(kCompilerEnvironmentVariable);
  if (fromEnvironment != nullptr && *fromEnvironment != '\0') return fromEnvironment;
  return kDefaultCompiler;
}

}  // namespace pomvelt
