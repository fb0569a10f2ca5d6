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
    TerminalHost host(parsed.files, err, errIsTerminal, g_interrupted);
    host.SetWaitsForBusyFiles(!parsed.Has("--no-wait"));
    const BatchResult result = command->run(parsed, host);
    if (result.cancelled) return kExitInterrupted;
    if (result.filesFailed > 0 || result.stopped) return kExitFailed;
    return kExitOk;
  } catch (const CliUsageError& e) {
    return UsageError(err, e.text, command);
  }
}

}  // namespace pomvelt
