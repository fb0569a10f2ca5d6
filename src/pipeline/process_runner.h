// Runs an outside program (the map compiler, the script host) and waits for it to end. The one
// piece of the core that calls the operating system's process functions.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pomvelt {

enum class WindowMode { kHidden, kShown };

// One run of an outside program.
struct ProcessRequest {
  std::string program;
  std::vector<std::string> args;
  WindowMode mode = WindowMode::kHidden;
  // The folder it runs in; empty, or a folder that does not exist: this process's current
  // folder (the program then fails on its own arguments, not on a start that seems to show it
  // missing). The program itself is looked for as always.
  std::string folder;
  // Its standard output and error go into ProcessOutcome::output instead of the terminal.
  bool captureOutput = false;
  // Asked every few milliseconds while the program runs: true stops it (POSIX: SIGTERM to its
  // process group; Windows: the process is ended) and it is waited for.
  std::function<bool()> stop;
};

struct ProcessOutcome {
  bool started = false;  // false: the program was not found or could not be started
  int exitStatus = -1;   // once it has ended: its exit status (POSIX: 128 + signal if killed)
  bool stopped = false;  // it was asked to stop (request.stop) before it ended by itself
  std::string output;    // with captureOutput: what it wrote, at most its last kOutputKept bytes

  bool Succeeded() const { return started && !stopped && exitStatus == 0; }
};

inline constexpr std::size_t kOutputKept = 256 * 1024;

// The last `count` lines of a text (all of it when it has fewer), without a final line end.
std::string LastLines(std::string_view text, std::size_t count);

// Programs named without a folder are looked for in the folder of this program's own
// executable first, then in the folders of PATH. On POSIX the current folder is never searched:
// neither an empty PATH entry nor a relative one counts, so a map folder cannot smuggle in a
// program of the same name. On Windows the system's own search applies.
class ProcessRunner {
 public:
  // The full path of the program, or nullopt when it is nowhere to be found. A name that holds a
  // folder separator is taken as it is.
  static std::optional<std::string> FindProgram(const std::string& name);

  // Starts the program with the arguments, each reaching it as one argument whatever blanks or
  // quotes it holds, and waits for it without a time limit. Hidden keeps the program's window
  // out of sight (POSIX: its standard input is the null device, as nobody would see a prompt).
  static ProcessOutcome Run(const std::string& program, const std::vector<std::string>& args,
                            WindowMode mode);
  // The same with a folder to run in, the output captured, and a way to stop it. On POSIX the
  // program runs in a process group of its own, so that the terminal's Ctrl-C reaches only
  // this program, which then decides what becomes of the outside program.
  static ProcessOutcome Run(const ProcessRequest& request);

  // The folder of the running executable ("" when it cannot be told).
  static std::string OwnExecutableFolder();
};

// One argument as Windows programs split their command line (the rules of the C runtime and
// CommandLineToArgvW): left alone when it holds no blank, tab or quote, otherwise quoted with its
// quotes and the backslashes before them escaped.
template <class Char>
std::basic_string<Char> QuoteWindowsArgument(std::basic_string_view<Char> arg) {
  const auto special = [](Char c) {
    return c == Char(' ') || c == Char('\t') || c == Char('\n') || c == Char('\v') ||
           c == Char('"');
  };
  bool needsQuotes = arg.empty();
  for (Char c : arg) needsQuotes = needsQuotes || special(c);
  if (!needsQuotes) return std::basic_string<Char>(arg);

  std::basic_string<Char> quoted(1, Char('"'));
  std::size_t backslashes = 0;
  for (Char c : arg) {
    if (c == Char('\\')) {
      ++backslashes;
      continue;
    }
    // Backslashes are literal unless a quote follows them.
    quoted.append(c == Char('"') ? backslashes * 2 + 1 : backslashes, Char('\\'));
    backslashes = 0;
    quoted.push_back(c);
  }
  quoted.append(backslashes * 2, Char('\\'));  // the closing quote must stay a quote
  quoted.push_back(Char('"'));
  return quoted;
}

// The program run for decompiling and compiling: `chosen` when given (--compiler), else the
// environment variable POMVELT_COMPILER when set and not empty, else "cgpsmapper.exe" on
// Windows and "cgpsmapper" elsewhere.
std::string CompilerProgram(const std::string& chosen = {});

inline constexpr const char* kCompilerEnvironmentVariable = "POMVELT_COMPILER";

}  // namespace pomvelt
