#include "cli/cli.h"

#include <atomic>
#include <csignal>
#include <ostream>

#include "cli/terminal_host.h"

namespace pomvelt {

namespace {

std::atomic<bool> g_interrupted{false};

extern "C" void OnStopSignal(int) {
  g_interrupted.store(true);
}

class SignalGuard {
 public:
  SignalGuard() {
    g_interrupted.store(false);
    oldInt_ = std::signal(SIGINT, OnStopSignal);
    oldTerm_ = std::signal(SIGTERM, OnStopSignal);
  }
  ~SignalGuard() {
    std::signal(SIGINT, oldInt_);
    std::signal(SIGTERM, oldTerm_);
  }
  SignalGuard(const SignalGuard&) = delete;
  SignalGuard& operator=(const SignalGuard&) = delete;

 private:
  void (*oldInt_)(int);
  void (*oldTerm_)(int);
};

}  // namespace

void RequestCliCancel() {
  g_interrupted.store(true);
}

namespace {

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
    SignalGuard signals;
    TerminalHost host(err, errIsTerminal, g_interrupted);
    const BatchReport report = command->run(parsed, BatchContext{host});
    if (report.Cancelled()) return kExitInterrupted;
    if (report.Totals().failed > 0 || report.Stopped()) return kExitFailed;
    return kExitOk;
  } catch (const CliUsageError& e) {
    return UsageError(err, e.text, command);
  }
}

}  // namespace pomvelt
