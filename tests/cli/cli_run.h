// Runs pomvelt-cli in-process and keeps what it printed.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"

namespace pomvelt::test {

struct CliRun {
  int status;
  std::string out, err;
};

inline CliRun RunCliCaptured(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int status = RunCli(args, out, err);
  return {status, out.str(), err.str()};
}

}  // namespace pomvelt::test
