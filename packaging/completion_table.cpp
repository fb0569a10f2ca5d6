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

// What completes an option's value: its choices, any program for a PROGRAM, nothing for other
// free values, "" for a flag.
std::string ValueKind(const CliOption& option) {
  if (!option.TakesValue()) return {};
  if (!option.choices.empty()) {
    std::string value;
    for (const std::string& choice : option.choices) value += (value.empty() ? "" : " ") + choice;
    return value;
  }
  if (option.valueName == "PROGRAM") return "@program";
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
    for (const CliOption& o : pomvelt::CliOptionsOf(*c)) {
      out << gap << o.name;
      gap = " ";
    }
    out << "' ;;\n";
  }
  out << "  esac\n}\n\n_pomvelt_cli_value() {\n  case $1:$2 in\n";
  for (const CliCommand* c : pomvelt::CliCommands()) {
    for (const CliOption& o : pomvelt::CliOptionsOf(*c)) {
      if (o.TakesValue()) {
        out << "    " << c->name << ':' << o.name << ") echo '" << ValueKind(o) << "' ;;\n";
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
