// pomvelt-cli: the commands of the desktop program run from a shell. main() only calls RunCli,
// so the tests can run it in-process as well as through the built binary.
#pragma once

#include <functional>
#include <iosfwd>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "jobs/batch_job.h"
#include "jobs/job_host.h"
#include "pomvelt_version.h"

namespace pomvelt {

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitInterrupted = 130;

// `errIsTerminal` redraws one progress line instead of writing a line per file.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           bool errIsTerminal = false);

// Asks a running command to stop after the current file, as SIGINT and SIGTERM do.
void RequestCliCancel();

// --- for the command files -----------------------------------------------------------------

struct CliOption {
  std::string name;  // with its dashes: "--kind"
  bool takesValue = false;
};

struct CliArgs {
  std::map<std::string, std::string> values;  // options given with a value
  std::set<std::string> flags;                // options given without one
  std::vector<std::string> files;             // absolute paths, in the order given

  bool Has(const std::string& flag) const { return flags.count(flag) != 0; }
  std::string Value(const std::string& name, const std::string& fallback) const;
};

// A usage error found by a command: RunCli prints it with the usage and exits with 2.
struct CliUsageError {
  std::string text;
};

// Converts a user's UTF-8 text to code page 1251 or throws CliUsageError naming the option.
std::string CliTextToCp1251(const std::string& text, const std::string& option);

// Picks one of `choices` for an option's value; throws CliUsageError for anything else.
int CliChoice(const CliArgs& args, const std::string& option,
              const std::vector<std::string>& choices, int fallback);

struct CliCommand {
  int order = 0;      // place in the usage text
  std::string name;   // "delete-elements"
  std::string usage;  // the rest of its usage line
  std::vector<CliOption> options;
  // Runs the job on the host; returns the job's result (and may add its own failures).
  std::function<BatchResult(const CliArgs&, JobHost&)> run;
};

// Adds a command; each command file registers itself with a static initialiser.
bool RegisterCliCommand(CliCommand command);

// Every registered command, in the order of the usage text: what the manual page and the shell
// completion are checked against and built from.
std::vector<const CliCommand*> CliCommands();

}  // namespace pomvelt
