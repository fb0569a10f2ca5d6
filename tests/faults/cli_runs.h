// Runs of the built pomvelt-cli for the fault suite: through a shell with extra settings, or
// spawned directly so that a test can signal or time it.
#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

#include "support/test_support.h"

namespace pomvelt::faults {

struct Outcome {
  int status;  // the exit status, or -1 when the run did not exit
  std::string err;
};

// Runs pomvelt-cli in `dir` through the shell: `prefix` goes before the program (settings,
// prlimit, timeout), `args` after it; standard error is captured.
Outcome RunCli(const test::TempDir& dir, const std::string& prefix, const std::string& args);

// "LD_PRELOAD=" + the fault shim.
std::string Preload();

// Starts pomvelt-cli (args[0] is the program) with standard error going to `errPath`
// ("/dev/null" by default).
pid_t Spawn(const std::vector<std::string>& args, const std::string& errPath = "/dev/null");

// Waits for a spawned run: its exit status, or -1 when a signal ended it.
int WaitFor(pid_t pid);

// `args` after the program's path.
std::vector<std::string> CliArgs(const std::vector<std::string>& args);

// Writes a generated map of about `size` bytes whose level 0 is empty, so that every in-place
// command, the level fill included, has work to do.
void WriteGeneratedMap(const std::string& path, long size, int seed = 7);

// The bytes a command gives for `map`: run on a copy in a folder of its own.
std::string ResultOf(const std::vector<std::string>& command, const std::string& map);

// Every in-place command, with the suffixes of the files it writes with --copy (the level
// removal: the names its passes once used).
struct InPlaceCommand {
  std::vector<std::string> args;
  std::vector<std::string> copySuffixes;
};
const std::vector<InPlaceCommand>& InPlaceCommands();

// Quotes a text for the shell.
std::string Quoted(const std::string& text);

}  // namespace pomvelt::faults
