#include "cli/cli.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <optional>
#include <ostream>

#include "cli/json_file.h"
#include "cli/json_report.h"
#include "cli/terminal_host.h"
#include "jobs/undo_journal.h"

namespace pomvelt {

namespace {

std::atomic<bool> g_interrupted{false};

extern "C" void OnStopSignal(int) {
  g_interrupted.store(true);
}

// The signals a run answers, and how: every signal that would end the process asks it to stop
// instead, and a write past the file-size limit fails like any other write (the output is
// removed and the file named) instead of killing the process mid-file.
struct SignalSetting {
  int signal;
  void (*handler)(int);
};

std::vector<SignalSetting> RunSignals() {
  std::vector<SignalSetting> settings = {{SIGINT, OnStopSignal}, {SIGTERM, OnStopSignal}};
#ifndef _WIN32
  settings.push_back({SIGHUP, OnStopSignal});
  settings.push_back({SIGQUIT, OnStopSignal});
  settings.push_back({SIGXFSZ, SIG_IGN});
#endif
  return settings;
}

// Writes the report to standard output ("-") or to a file; false, with a word on err, when the
// file could not be written.
bool WriteReport(const std::string& path, const BatchReport& report, std::ostream& out,
                 std::ostream& err) {
  const nlohmann::json json = ReportJson(report);
  if (path == "-") {
    out << json.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n' << std::flush;
    return true;
  }
  if (WriteJsonFile(path, json)) return true;
  err << CannotWriteMessage(path) << '\n';
  return false;
}

class SignalGuard {
 public:
  SignalGuard() {
    g_interrupted.store(false);
    for (const SignalSetting& s : RunSignals()) {
      old_.push_back({s.signal, std::signal(s.signal, s.handler)});
    }
  }
  ~SignalGuard() {
    for (const SignalSetting& s : old_) std::signal(s.signal, s.handler);
  }
  SignalGuard(const SignalGuard&) = delete;
  SignalGuard& operator=(const SignalGuard&) = delete;

 private:
  std::vector<SignalSetting> old_;
};

// The command and its options as the undo listing shows them (the files are in the batch).
std::string CommandDescription(const CliCommand& command, const CliArgs& args) {
  std::string text = command.name;
  const auto quoted = [](const std::string& value) {
    return value.empty() || value.find(' ') != std::string::npos ? "\"" + value + "\"" : value;
  };
  for (const auto& [name, value] : args.values) text += " " + name + " " + quoted(value);
  for (const std::string& flag : args.flags) text += " " + flag;
  return text;
}

}  // namespace

void RequestCliCancel() {
  g_interrupted.store(true);
}

namespace {

// More threads than this only cost memory: each job holds its own buffers.
constexpr int kMaxJobs = 256;

// The parser has checked the value: 1 to 9 digits, not 0.
int JobCount(const std::string& value) {
  if (value.empty()) return DefaultJobCount();
  return std::min(kMaxJobs, std::stoi(value));
}

// One line naming the problem and where to read more; nothing else, so that a script's log
// shows what went wrong.
int UsageError(std::ostream& err, const std::string& text, const CliCommand* command) {
  err << kProgramName << ": " << (command != nullptr ? command->name + ": " : "") << text
      << " (see \"" << kProgramName << (command != nullptr ? " " + command->name : "")
      << " --help\")\n";
  return kExitUsage;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           bool errIsTerminal) {
  if (args.empty()) return UsageError(err, "no command given", nullptr);
  const std::string& first = args[0];
  if (first == "--help" || first == "-h" || (first == "help" && args.size() == 1)) {
    PrintCliOverview(out);
    return kExitOk;
  }
  if (first == "--version" || first == "-V") {
    if (args.size() > 1) return UsageError(err, first + " takes no arguments", nullptr);
    out << kVersionText << '\n';
    return kExitOk;
  }
  if (first == "help") {
    const CliCommand* command = FindCliCommand(args[1]);
    if (command == nullptr) return UsageError(err, "unknown command " + args[1], nullptr);
    if (args.size() > 2) return UsageError(err, "help takes one command", nullptr);
    PrintCliCommandHelp(*command, out);
    return kExitOk;
  }
  const CliCommand* command = FindCliCommand(first);
  if (command == nullptr) {
    return UsageError(
        err, (first.size() > 1 && first[0] == '-' ? "unknown option " : "unknown command ") + first,
        nullptr);
  }
  try {
    CliArgs parsed = ParseCliArgs(*command, std::vector<std::string>(args.begin() + 1, args.end()));
    if (parsed.Has("--help")) {
      PrintCliCommandHelp(*command, out);
      return kExitOk;
    }
    parsed.out = &out;
    if (command->runDirect) return command->runDirect(parsed, out, err);
    SignalGuard signals;
    TerminalHost host(err, errIsTerminal, g_interrupted, parsed.Has("--verbose"),
                      command->scope == kCliScopeMapWriter);
    host.SetWaitsForBusyFiles(!parsed.Has("--no-wait"));
    // A dry run keeps nothing, so it makes no undo folder either.
    std::optional<UndoSession> undo;
    if ((command->scope & kCliScopeMapWriter) != 0 && !parsed.Has(kNoUndoOption) &&
        !parsed.Has("--dry-run") && UndoEnabledByEnvironment()) {
      undo.emplace(UndoSession::Options{CommandDescription(*command, parsed)});
      host.SetUndoSession(&*undo);
    }
    BatchReport report = command->run(
        parsed,
        BatchContext{host, parsed.Has("--dry-run"), JobCount(parsed.Value("--jobs", "")), true});
    report.command = command->name;
    // The batch report belongs to the commands that write maps; stats and check write their
    // own under the same option.
    const bool batchReport = (command->scope & kCliScopeMapWriter) != 0 && parsed.Given("--report");
    const bool reported =
        !batchReport || WriteReport(parsed.Value("--report", "-"), report, out, err);
    if (report.Cancelled()) return kExitInterrupted;
    if (report.Totals().failed > 0 || report.Stopped() || !reported) return kExitFailed;
    return kExitOk;
  } catch (const CliUsageError& e) {
    return UsageError(err, e.text, command);
  }
}

}  // namespace pomvelt
