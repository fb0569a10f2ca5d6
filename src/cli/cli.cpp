#include "cli/cli.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <filesystem>
#include <ostream>
#include <system_error>

#include "cli/terminal_host.h"
#include "text/cp1251.h"

namespace pomvelt {

namespace {

std::atomic<bool> g_interrupted{false};

extern "C" void OnStopSignal(int) {
  g_interrupted.store(true);
}

std::vector<CliCommand>& Registry() {
  static std::vector<CliCommand> commands;
  return commands;
}

void PrintUsage(std::ostream& os) {
  os << "Usage:\n";
  for (const CliCommand* c : CliCommands())
    os << "  pomvelt-cli " << c->name << ' ' << c->usage << '\n';
  os << "  pomvelt-cli --help | --version\n"
        "\n"
        "Each command works through the FILEs in order, as if they had been chosen in the\n"
        "desktop program's file dialog. Without --copy the files are changed in place.\n"
        "Messages go to standard error. Exit status: 0 done, 1 a file failed, 2 usage error,\n"
        "130 interrupted (the current file is finished first).\n";
}

const CliCommand* FindCommand(const std::string& name) {
  for (const CliCommand& c : Registry()) {
    if (c.name == name) return &c;
  }
  return nullptr;
}

CliArgs ParseArgs(const CliCommand& command, const std::vector<std::string>& args) {
  CliArgs parsed;
  bool onlyFiles = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (onlyFiles || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
      if (arg.empty()) throw CliUsageError{"an empty file name was given"};
      std::error_code ec;
      const std::filesystem::path full = std::filesystem::absolute(arg, ec);
      parsed.files.push_back(ec ? arg : full.string());
      continue;
    }
    if (arg == "--") {
      onlyFiles = true;
      continue;
    }
    std::string name = arg;
    std::optional<std::string> value;
    if (const std::size_t eq = arg.find('='); eq != std::string::npos) {
      name = arg.substr(0, eq);
      value = arg.substr(eq + 1);
    }
    const auto known = std::find_if(command.options.begin(), command.options.end(),
                                    [&](const CliOption& o) { return o.name == name; });
    if (known == command.options.end()) {
      throw CliUsageError{"unknown option " + name + " for " + command.name};
    }
    if (known->takesValue) {
      if (!value) {
        if (i + 1 >= args.size()) throw CliUsageError{"option " + name + " needs a value"};
        value = args[++i];
      }
      parsed.values[name] = *value;
    } else {
      if (value) throw CliUsageError{"option " + name + " takes no value"};
      parsed.flags.insert(name);
    }
  }
  if (parsed.files.empty()) throw CliUsageError{"no files given"};
  return parsed;
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

std::string CliArgs::Value(const std::string& name, const std::string& fallback) const {
  const auto it = values.find(name);
  return it == values.end() ? fallback : it->second;
}

std::string CliTextToCp1251(const std::string& text, const std::string& option) {
  std::optional<std::string> converted = Utf8ToCp1251(text);
  if (!converted) {
    throw CliUsageError{"the text of " + option + " (\"" + text +
                        "\") holds a character that code page 1251 cannot hold"};
  }
  return *converted;
}

int CliChoice(const CliArgs& args, const std::string& option,
              const std::vector<std::string>& choices, int fallback) {
  const auto it = args.values.find(option);
  if (it == args.values.end()) return fallback;
  for (std::size_t i = 0; i < choices.size(); ++i) {
    if (choices[i] == it->second) return static_cast<int>(i);
  }
  std::string known;
  for (const std::string& c : choices) known += (known.empty() ? "" : "|") + c;
  throw CliUsageError{"option " + option + " takes " + known + ", not \"" + it->second + "\""};
}

bool RegisterCliCommand(CliCommand command) {
  Registry().push_back(std::move(command));
  return true;
}

std::vector<const CliCommand*> CliCommands() {
  std::vector<const CliCommand*> sorted;
  for (const CliCommand& c : Registry()) sorted.push_back(&c);
  std::sort(sorted.begin(), sorted.end(),
            [](const CliCommand* a, const CliCommand* b) { return a->order < b->order; });
  return sorted;
}

void RequestCliCancel() {
  g_interrupted.store(true);
}

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           bool errIsTerminal) {
  if (args.empty()) {
    err << "pomvelt-cli: no command given\n";
    PrintUsage(err);
    return kExitUsage;
  }
  if (args[0] == "--help" || args[0] == "-h") {
    PrintUsage(out);
    return kExitOk;
  }
  if (args[0] == "--version") {
    out << kVersionText << '\n';
    return kExitOk;
  }
  const CliCommand* command = FindCommand(args[0]);
  try {
    if (command == nullptr) throw CliUsageError{"unknown command " + args[0]};
    const CliArgs parsed = ParseArgs(*command, args);
    SignalGuard signals;
    TerminalHost host(parsed.files, err, errIsTerminal, g_interrupted);
    const BatchResult result = command->run(parsed, host);
    if (result.cancelled) return kExitInterrupted;
    if (result.filesFailed > 0 || result.stopped) return kExitFailed;
    return kExitOk;
  } catch (const CliUsageError& e) {
    err << "pomvelt-cli: " << e.text << "\n";
    PrintUsage(err);
    return kExitUsage;
  }
}

}  // namespace pomvelt
