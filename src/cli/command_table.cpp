// The table of commands and options that the parser, the help, and the checks of the manual
// page and the completion all read.

#include <algorithm>

#include "cli/cli.h"

namespace pomvelt {

namespace {

std::vector<CliCommand>& Registry() {
  static std::vector<CliCommand> commands;
  return commands;
}

}  // namespace

// Options that more than one command takes, one row each: the option as a command's own
// option row would state it, and the scopes of the commands that take it (a command's scope is
// set in its CliCommand). To add one, append a row here and read it in the run functions of
// the commands concerned (args.Has("--no-undo"), args.Value("--report", "")); the parser,
// every command's --help and the manual page check pick it up from here. Short forms must not
// clash with the own options of any command in the row's scopes (a test checks this).
const std::vector<CliSharedOption>& SharedCliOptions() {
  static const std::vector<CliSharedOption> rows = {
      {{"--help", 'h', "", {}, "", "show this help and exit"}, kCliScopeEvery},
      {{"--no-wait",
        0,
        "",
        {},
        "",
        "refuse a map that another run is changing instead of waiting for it"},
       kCliScopeMapWriter},
      {{"--dry-run",
        'n',
        "",
        {},
        "",
        "count what would change; write, rename, delete, compile and list nothing"},
       kCliScopeMapWriter},
      {{"--report",
        0,
        "FILE",
        {},
        "",
        "write the report of the run as JSON to FILE (- for standard output)"},
       kCliScopeMapWriter},
      {{"--verbose", 'v', "", {}, "", "print the counts of each file as it finishes"},
       kCliScopeMapWriter},
      {{kNoUndoOption, 0, "", {}, "", "keep no originals for \"undo\" in this run"},
       kCliScopeMapWriter},
      {{"--jobs",
        'j',
        "N",
        {},
        "",
        "work on N maps at once (by default as many as there are processors); what is shown "
        "and written stays in the order of the files",
        CliValueKind::kCount},
       kCliScopeMapWriter | kCliScopeMapReader},
  };
  return rows;
}

const std::vector<CliOption>& GlobalCliOptions() {
  static const std::vector<CliOption> options = {
      {"--help", 'h', "", {}, "", "list the commands and exit"},
      {"--version", 'V', "", {}, "", "show the version and exit"},
  };
  return options;
}

bool RegisterCliCommand(CliCommand command) {
  Registry().push_back(std::move(command));
  return true;
}

std::vector<const CliCommand*> CliCommands() {
  std::vector<const CliCommand*> sorted;
  for (const CliCommand& c : Registry()) sorted.push_back(&c);
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const CliCommand* a, const CliCommand* b) { return a->order < b->order; });
  return sorted;
}

const CliCommand* FindCliCommand(const std::string& name) {
  for (const CliCommand& c : Registry()) {
    if (c.name == name) return &c;
  }
  return nullptr;
}

std::vector<CliOption> CliOptionsOf(const CliCommand& command) {
  std::vector<CliOption> options = command.options;
  for (const CliSharedOption& row : SharedCliOptions()) {
    if ((row.scopes & command.scope) != 0) options.push_back(row.option);
  }
  return options;
}

}  // namespace pomvelt
