// pomvelt-cli(1) keeps up with the parser: every command and every option it accepts is in the
// page's synopsis and has an entry of its own.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"

namespace pomvelt {
namespace {

std::vector<std::string> ManualLines() {
  std::ifstream in(POMVELT_SOURCE_DIR "/packaging/pomvelt-cli.1.scd");
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// A line that starts an entry: the name in bold at the start, after the indentation.
bool HasEntry(const std::vector<std::string>& lines, const std::string& name) {
  for (const std::string& line : lines) {
    const std::size_t start = line.find_first_not_of('\t');
    if (start != std::string::npos && line.compare(start, name.size() + 2, "*" + name + "*") == 0) {
      return true;
    }
  }
  return false;
}

std::string SynopsisOf(const std::vector<std::string>& lines, const std::string& command) {
  const std::string head = "*pomvelt-cli* *" + command + "*";
  for (const std::string& line : lines) {
    if (line.compare(0, head.size(), head) == 0) return line;
  }
  return {};
}

TEST(Manual, DescribesEveryCommandAndOptionTheParserKnows) {
  const std::vector<std::string> lines = ManualLines();
  ASSERT_FALSE(lines.empty()) << "packaging/pomvelt-cli.1.scd cannot be read";
  std::vector<std::string> notInSynopsis, withoutEntry;
  ASSERT_FALSE(CliCommands().empty());
  for (const CliCommand* command : CliCommands()) {
    const std::string synopsis = SynopsisOf(lines, command->name);
    if (synopsis.empty()) notInSynopsis.push_back(command->name);
    if (!HasEntry(lines, command->name)) withoutEntry.push_back(command->name);
    for (const CliOption& option : command->options) {
      const std::string shown = command->name + " " + option.name;
      if (synopsis.find("*" + option.name + "*") == std::string::npos) {
        notInSynopsis.push_back(shown);
      }
      if (!HasEntry(lines, option.name)) withoutEntry.push_back(shown);
    }
  }
  for (const char* global : {"--help", "--version"}) {
    if (!HasEntry(lines, global)) withoutEntry.push_back(global);
  }
  const auto join = [](const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& n : names) text += "\n  " + n;
    return text;
  };
  EXPECT_TRUE(notInSynopsis.empty())
      << "missing from the SYNOPSIS of packaging/pomvelt-cli.1.scd:" << join(notInSynopsis);
  EXPECT_TRUE(withoutEntry.empty())
      << "no entry (a line starting with the name in bold) in packaging/pomvelt-cli.1.scd:"
      << join(withoutEntry);
}

}  // namespace
}  // namespace pomvelt
