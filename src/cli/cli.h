// pomvelt-cli: the commands of the desktop program run from a shell. main() only calls RunCli,
// so the tests can run it in-process as well as through the built binary.
//
// Every command describes itself as data (CliCommand: its help texts, its options with their
// short forms, values and defaults) and registers itself from its own file; options that
// several commands share are rows of one table (SharedCliOptions). The parser, the help texts
// and the manual page and completion checks all read the same table through CliCommands() and
// CliOptionsOf().
#pragma once

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "jobs/batch_job.h"
#include "jobs/job_host.h"
#include "pomvelt_version.h"

namespace pomvelt {

inline constexpr const char* kProgramName = "pomvelt-cli";

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitInterrupted = 130;

// `errIsTerminal` redraws one progress line instead of writing a line per file.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           bool errIsTerminal = false);

// Asks a running command to stop, as SIGINT and SIGTERM do.
void RequestCliCancel();

// --- the table ------------------------------------------------------------------------------

// What the parser checks of an option's value before any file is touched.
enum class CliValueKind {
  kText,      // anything, "" included
  kTypeCode,  // "0x" and hexadecimal digits, decimal digits, or "" (a type line with no code)
  kDigits,    // decimal digits or ""
  kCount,     // a decimal number of 1 or more
};

struct CliOption {
  std::string name;                  // the long form with its dashes: "--kind"
  char shortName = 0;                // 'k' for "-k"; 0 when it has none
  std::string valueName;             // "KIND" in the help; empty for an option that takes no value
  std::vector<std::string> choices;  // the only values allowed; empty: any of valueKind
  std::string defaultValue;          // shown in the help; empty when there is none to show
  std::string help;                  // one phrase, lower case, no final full stop
  CliValueKind valueKind = CliValueKind::kText;
  bool repeatable = false;  // every value is kept, in order (CliArgs::lists)

  bool TakesValue() const { return !valueName.empty(); }
};

// Which shared options a command takes: a shared row names the scopes it applies to.
enum CliScope : unsigned {
  kCliScopeMapWriter = 1u << 0,  // writes maps, in place or beside them
  kCliScopeMapReader = 1u << 1,  // only reads maps
  kCliScopeOther = 1u << 2,      // works on something else (an undo folder ...)
  kCliScopeEvery = ~0u,
};

struct CliSharedOption {
  CliOption option;
  unsigned scopes = kCliScopeEvery;
};

// Every command that writes maps takes it: the run keeps no originals for undo.
inline constexpr const char* kNoUndoOption = "--no-undo";

// Options shared by several commands, in the order the help shows them after a command's own.
const std::vector<CliSharedOption>& SharedCliOptions();

struct CliArgs {
  std::map<std::string, std::string> values;              // long name -> its last value
  std::map<std::string, std::vector<std::string>> lists;  // long name -> every value, in order
  std::set<std::string> flags;                            // options given without a value
  std::vector<std::string> files;                         // the operands, in the order given
  std::ostream* out = nullptr;  // standard output, for the commands that print what they found

  bool Has(const std::string& flag) const { return flags.count(flag) != 0; }
  bool Given(const std::string& name) const { return Has(name) || values.count(name) != 0; }
  std::string Value(const std::string& name, const std::string& fallback) const;
  std::vector<std::string> Values(const std::string& name) const;
};

// A usage error found by a command before it touched anything: RunCli prints it on one line
// with a pointer to the command's help and exits with 2.
struct CliUsageError {
  std::string text;
};

struct CliExample {
  std::string commandLine;  // without the program name: "delete-elements -k point town.mp"
  std::string explanation;
};

struct CliCommand {
  int order = 0;            // place in the list of commands
  std::string name;         // "delete-elements"
  std::string summary;      // one line in `pomvelt-cli --help`, lower case, no full stop
  std::string description;  // what it does: two or three sentences
  std::string operands = "FILE...";
  std::size_t minOperands = 1;
  std::size_t maxOperands = std::numeric_limits<std::size_t>::max();
  std::vector<CliOption> options;  // its own; the shared ones follow by scope
  std::string output;              // the name of what it writes and what in place means for it
  std::vector<CliExample> examples;
  unsigned scope = kCliScopeMapWriter;
  // Runs the job over the arguments' files; returns its report. May throw CliUsageError before
  // it touches any file.
  std::function<BatchReport(const CliArgs&, const BatchContext&)> run;
  // Instead of `run`, for a command that runs no batch (undo): returns the exit status.
  std::function<int(const CliArgs&, std::ostream& out, std::ostream& err)> runDirect = nullptr;
};

// Adds a command; each command file registers itself with a static initialiser.
bool RegisterCliCommand(CliCommand command);

// Every command, in the order of the list of commands.
std::vector<const CliCommand*> CliCommands();
const CliCommand* FindCliCommand(const std::string& name);
// A command's own options followed by the shared ones of its scope.
std::vector<CliOption> CliOptionsOf(const CliCommand& command);
// The options that stand in place of a command: --help and --version.
const std::vector<CliOption>& GlobalCliOptions();

// Parses a command's arguments (everything after the command name) in the GNU manner.
// Throws CliUsageError.
CliArgs ParseCliArgs(const CliCommand& command, const std::vector<std::string>& args);

// The help texts.
void PrintCliOverview(std::ostream& os);
void PrintCliCommandHelp(const CliCommand& command, std::ostream& os);

// --- for the command files -------------------------------------------------------------------

// A text the user typed, for the maps to take in their own code pages: any character, but it
// must be UTF-8, or CliUsageError names the option.
std::string CliTypedText(const std::string& text, const std::string& option);

// An output a command meant to write but could not (its message has been shown), as a failed
// entry of the report: the run then fails.
inline FileOutcome UnwrittenOutput(const std::string& path) {
  FileOutcome outcome;
  outcome.path = path;
  outcome.result = FileResult::kFailed;
  return outcome;
}

// "true" or "false", as the report gives a flag.
inline std::string CliFlag(bool on) {
  return on ? "true" : "false";
}

// The index of an option's value in `choices` (the parser has checked it is one of them), or
// `fallback` when the option was not given.
int CliChoice(const CliArgs& args, const std::string& option,
              const std::vector<std::string>& choices, int fallback);

}  // namespace pomvelt
