#include "pipeline/process_runner.h"

#include "os/path.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <thread>

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
#include <cstdio>
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
    if (!entry.empty() && PathOf(entry).is_absolute()) folders.emplace_back(entry);
  }
  return folders;
}

#ifdef _WIN32

std::wstring Widen(const std::string& text) {
  if (text.empty()) return {};
  const int n =
      ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

// A temporary file for the program's output that goes away with its last handle.
HANDLE CreateOutputFile() {
  wchar_t folder[MAX_PATH + 1];
  wchar_t name[MAX_PATH + 1];
  if (::GetTempPathW(MAX_PATH + 1, folder) == 0 ||
      ::GetTempFileNameW(folder, L"pmv", 0, name) == 0) {
    return INVALID_HANDLE_VALUE;
  }
  SECURITY_ATTRIBUTES inherit{};
  inherit.nLength = sizeof(inherit);
  inherit.bInheritHandle = TRUE;
  return ::CreateFileW(
      name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
}

std::string ReadBack(HANDLE file) {
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file, &size)) return {};
  const long long start =
      size.QuadPart > static_cast<long long>(kOutputKept) ? size.QuadPart - kOutputKept : 0;
  LARGE_INTEGER at{};
  at.QuadPart = start;
  if (!::SetFilePointerEx(file, at, nullptr, FILE_BEGIN)) return {};
  std::string text(static_cast<std::size_t>(size.QuadPart - start), '\0');
  DWORD got = 0;
  if (!::ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &got, nullptr)) return {};
  text.resize(got);
  return text;
}

ProcessOutcome RunWin32(const ProcessRequest& request) {
  // No application name: the system looks for the program by its own rules, beginning with
  // the folder of this executable.
  std::wstring commandLine = QuoteWindowsArgument<wchar_t>(Widen(request.program));
  for (const std::string& arg : request.args) {
    commandLine += L' ';
    commandLine += QuoteWindowsArgument<wchar_t>(Widen(arg));
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(request.mode == WindowMode::kHidden ? SW_HIDE : SW_SHOW);
  HANDLE output = INVALID_HANDLE_VALUE;
  if (request.captureOutput) {
    output = CreateOutputFile();
    if (output != INVALID_HANDLE_VALUE) {
      startup.dwFlags |= STARTF_USESTDHANDLES;
      startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
      startup.hStdOutput = output;
      startup.hStdError = output;
    }
  }
  std::error_code ec;
  const std::wstring folder =
      fs::is_directory(PathOf(request.folder), ec) ? Widen(request.folder) : std::wstring();
  PROCESS_INFORMATION info{};
  const BOOL created = ::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr,
                                        output != INVALID_HANDLE_VALUE, 0, nullptr,
                                        folder.empty() ? nullptr : folder.c_str(), &startup, &info);
  ProcessOutcome outcome;
  if (created) {
    ::CloseHandle(info.hThread);
    if (request.stop) {
      while (::WaitForSingleObject(info.hProcess, 20) == WAIT_TIMEOUT) {
        if (!outcome.stopped && request.stop()) {
          outcome.stopped = true;
          ::TerminateProcess(info.hProcess, 1);
        }
      }
    } else {
      ::WaitForSingleObject(info.hProcess, INFINITE);
    }
    DWORD code = 0;
    outcome.started = true;
    outcome.exitStatus = ::GetExitCodeProcess(info.hProcess, &code) ? static_cast<int>(code) : -1;
    ::CloseHandle(info.hProcess);
  }
  if (output != INVALID_HANDLE_VALUE) {
    if (created) outcome.output = ReadBack(output);
    ::CloseHandle(output);
  }
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

// An unnamed temporary file for the program's output: gone once closed, whatever happens.
int CreateOutputFile() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern =
      std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/pomvelt-output-XXXXXX";
  const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd >= 0) ::unlink(pattern.c_str());
  return fd;
}

std::string ReadBack(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return {};
  const off_t start = st.st_size > static_cast<off_t>(kOutputKept)
                          ? st.st_size - static_cast<off_t>(kOutputKept)
                          : 0;
  std::string text(static_cast<std::size_t>(st.st_size - start), '\0');
  std::size_t got = 0;
  while (got < text.size()) {
    const ssize_t n =
        ::pread(fd, text.data() + got, text.size() - got, start + static_cast<off_t>(got));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  text.resize(got);
  return text;
}

// Waits for the child; with a stop function, asks it every few milliseconds and, once it says
// stop, sends SIGTERM to the child's process group and waits for the end.
int WaitFor(pid_t pid, const std::function<bool()>& stop, bool& stopped) {
  int status = 0;
  for (;;) {
    const pid_t waited = ::waitpid(pid, &status, stop && !stopped ? WNOHANG : 0);
    if (waited == pid) return status;
    if (waited < 0 && errno != EINTR) return -1;
    if (waited == 0) {
      if (stop()) {
        stopped = true;
        ::kill(-pid, SIGTERM);
      } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
    }
  }
}

ProcessOutcome RunPosix(const ProcessRequest& request) {
  std::optional<std::string> full = ProcessRunner::FindProgram(request.program);
  if (!full) return {};
  // A program named with a relative folder is the one seen from here, not from the folder it
  // runs in.
  std::error_code ec;
  if (const fs::path absolute = fs::absolute(*full, ec); !ec) full = absolute.string();

  SpawnSetup setup;
  // A job thread may have signals blocked, and this program ignores some; the outside program
  // must start with neither.
  sigset_t none;
  sigemptyset(&none);
  ::posix_spawnattr_setsigmask(setup.attr(), &none);
  sigset_t defaults;
  sigemptyset(&defaults);
  for (const int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGXFSZ}) {
    sigaddset(&defaults, sig);
  }
  ::posix_spawnattr_setsigdefault(setup.attr(), &defaults);
  // A process group of its own: the terminal's Ctrl-C reaches this program only, which stops
  // the outside program itself and then knows what became of its file.
  ::posix_spawnattr_setpgroup(setup.attr(), 0);
  ::posix_spawnattr_setflags(
      setup.attr(), POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);
  // Out of the terminal's foreground group, a read from the terminal would stop it for good.
  ::posix_spawn_file_actions_addopen(setup.actions(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  int output = -1;
  if (request.captureOutput) {
    output = CreateOutputFile();
    if (output >= 0) {
      ::posix_spawn_file_actions_adddup2(setup.actions(), output, STDOUT_FILENO);
      ::posix_spawn_file_actions_adddup2(setup.actions(), output, STDERR_FILENO);
    }
  }
  if (!request.folder.empty() && fs::is_directory(request.folder, ec)) {
    ::posix_spawn_file_actions_addchdir_np(setup.actions(), request.folder.c_str());
  }

  std::vector<std::string> argStrings;
  argStrings.reserve(request.args.size() + 1);
  argStrings.push_back(request.program);
  argStrings.insert(argStrings.end(), request.args.begin(), request.args.end());
  std::vector<char*> argv;
  for (std::string& a : argStrings) argv.push_back(a.data());
  argv.push_back(nullptr);

  ProcessOutcome outcome;
  pid_t pid = 0;
  if (::posix_spawn(&pid, full->c_str(), setup.actions(), setup.attr(), argv.data(), environ) ==
      0) {
    const int status = WaitFor(pid, request.stop, outcome.stopped);
    outcome.started = true;
    if (WIFEXITED(status)) {
      outcome.exitStatus = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
      outcome.exitStatus = 128 + WTERMSIG(status);
    }
    if (output >= 0) outcome.output = ReadBack(output);
  }
  if (output >= 0) ::close(output);
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
  return NameOf(fs::path(buffer).parent_path());
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
    if (IsRunnableFile(PathOf(name))) return name;
    return std::nullopt;
  }
  for (const std::string& folder : SearchFolders()) {
    const fs::path candidate = PathOf(folder) / PathOf(name);
    if (IsRunnableFile(candidate)) return NameOf(candidate);
  }
  return std::nullopt;
}

ProcessOutcome ProcessRunner::Run(const std::string& program, const std::vector<std::string>& args,
                                  WindowMode mode) {
  ProcessRequest request;
  request.program = program;
  request.args = args;
  request.mode = mode;
  return Run(request);
}

ProcessOutcome ProcessRunner::Run(const ProcessRequest& request) {
#ifdef _WIN32
  return RunWin32(request);
#else
  return RunPosix(request);
#endif
}

std::string LastLines(std::string_view text, std::size_t count) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
  std::size_t begin = text.size();
  for (std::size_t lines = 0; begin > 0; --begin) {
    if (text[begin - 1] == '\n' && ++lines == count) break;
  }
  return std::string(text.substr(begin));
}

std::string CompilerProgram(const std::string& chosen) {
  if (!chosen.empty()) return chosen;
  const char* fromEnvironment = std::getenv(kCompilerEnvironmentVariable);
  if (fromEnvironment != nullptr && *fromEnvironment != '\0') return fromEnvironment;
  return kDefaultCompiler;
}

}  // namespace pomvelt
