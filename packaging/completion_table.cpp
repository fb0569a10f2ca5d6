// Writes pomvelt-cli's bash completion: the template given first, with its table line replaced
// by the commands, options and option values the parser knows, so that the completion cannot
// fall behind the program.
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "cli/cli.h"

namespace {

using pomvelt::CliCommand;
using pomvelt::CliOption;

// What completes an option's value: its choices as the usage line lists them ("--kind
// polygon|line|point"), any program for a PROGRAM, nothing for other free values, "" for a flag.
std::string ValueKind(const CliCommand& command, const CliOption& option) {
  if (!option.takesValue) return {};
  const std::string& usage = command.usage;
  for (std::size_t at = usage.find(option.name); at != std::string::npos;
       at = usage.find(option.name, at + 1)) {
    const std::size_t begin = at + option.name.size();
    if (begin >= usage.size() || usage[begin] != ' ') continue;  // a longer option's prefix
    const std::size_t end = usage.find_first_of(" ]", begin + 1);
    std::string value = usage.substr(begin + 1, end - begin - 1);
    if (value == "PROGRAM") return "@program";
    if (value.find('|') == std::string::npos) return "@text";
    for (char& c : value) {
      if (c == '|') c = ' ';
    }
    return value;
  }
  return "@text";
}

std::string Table() {
  std::ostringstream out;
  out << "_pomvelt_cli_commands='";
  const char* gap = "";
  for (const CliCommand* c : pomvelt::CliCommands()) {
    out << gap << c->name;
    gap = " ";
  }
  out << "'\n\n_pomvelt_cli_options() {\n  case $1 in\n";
  for (const CliCommand* c : pomvelt::CliCommands()) {
    out << "    " << c->name << ") echo '";
    gap = "";
    for (const CliOption& o : c->options) {
      out << gap << o.name;
      gap = " ";
    }
    out << "' ;;\n";
  }
  out << "  esac\n}\n\n_pomvelt_cli_value() {\n  case $1:$2 in\n";
  for (const CliCommand* c : pomvelt::CliCommands()) {
    for (const CliOption& o : c->options) {
      if (o.takesValue) {
        out << "    " << c->name << ':' << o.name << ") echo '" << ValueKind(*c, o) << "' ;;\n";
      }
    }
  }
  out << "  esac\n}";
  return out.str();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: pomvelt-completion-table TEMPLATE OUTPUT\n";
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  std::string script = text.str();
  const std::string mark = "# @COMMAND_TABLE@";
  const std::size_t at = script.find(mark);
  if (!in || at == std::string::npos) {
    std::cerr << argv[1] << ": no line " << mark << '\n';
    return 1;
  }
  script.replace(at, mark.size(), Table());
  std::ofstream out(argv[2], std::ios::binary);
  out << script;
  out.close();
  return out ? 0 : 1;
}
