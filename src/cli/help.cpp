// The help texts, made from the table alone so that they cannot drift from what the parser
// accepts.

#include <ostream>
#include <sstream>

#include "cli/cli.h"

namespace pomvelt {

namespace {

constexpr std::size_t kWidth = 79;
constexpr std::size_t kOptionColumn = 24;

// What working in place means for every command that writes maps.
constexpr const char* kInPlaceText =
    "each map is replaced by its result in one atomic step: at every moment it holds either its "
    "old bytes or the whole result, and a map that cannot be written whole "
    "keeps its old bytes. The result is a new file, so a map with other hard links is parted "
    "from them: the other names keep the old content. A map that another run is changing is "
    "waited for, or refused with --no-wait. The original is kept in .pomvelt-undo beside the "
    "map, for \"pomvelt-cli undo\".";

// The number of bytes of a UTF-8 text that start a character: its width on a terminal.
std::size_t Columns(const std::string& text) {
  std::size_t n = 0;
  for (const char c : text) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
  return n;
}

// Writes the text in words, lines at most kWidth wide, the first starting at column `first`
// (already reached), the others indented by `indent`.
void Wrap(std::ostream& os, const std::string& text, std::size_t first, std::size_t indent) {
  std::istringstream words(text);
  std::string word;
  std::size_t column = first;
  bool lineEmpty = true;
  while (words >> word) {
    const std::size_t w = Columns(word);
    if (!lineEmpty && column + 1 + w > kWidth) {
      os << '\n' << std::string(indent, ' ');
      column = indent;
      lineEmpty = true;
    }
    if (!lineEmpty) {
      os << ' ';
      ++column;
    }
    os << word;
    column += w;
    lineEmpty = false;
  }
  os << '\n';
}

std::string OptionLabel(const CliOption& o) {
  std::string label = o.shortName != 0 ? std::string("-") + o.shortName + ", " : "    ";
  label += o.name;
  if (o.TakesValue()) label += "=" + o.valueName;
  return label;
}

std::string OptionText(const CliOption& o) {
  std::string text = o.help;
  if (!o.choices.empty()) {
    text += "; " + o.valueName + " is one of";
    for (std::size_t i = 0; i < o.choices.size(); ++i) text += (i ? ", " : " ") + o.choices[i];
  }
  if (o.valueKind == CliValueKind::kTypeCode) {
    text += "; " + o.valueName + " is 0x and hexadecimal digits, decimal digits, or empty";
  }
  if (!o.defaultValue.empty()) text += " (default: " + o.defaultValue + ")";
  if (o.repeatable) text += "; may be given more than once";
  return text;
}

void PrintOptions(std::ostream& os, const std::vector<CliOption>& options) {
  for (const CliOption& o : options) {
    const std::string label = "  " + OptionLabel(o);
    os << label;
    std::size_t column = Columns(label);
    if (column + 2 > kOptionColumn) {
      os << '\n';
      column = 0;
    }
    os << std::string(kOptionColumn - column, ' ');
    Wrap(os, OptionText(o), kOptionColumn, kOptionColumn);
  }
}

}  // namespace

void PrintCliOverview(std::ostream& os) {
  os << "Usage: " << kProgramName << " COMMAND [OPTION]... FILE...\n"
     << "       " << kProgramName << " COMMAND --help | help COMMAND\n"
     << "       " << kProgramName << " --help | --version\n\n";
  Wrap(os,
       "Batch processing of maps in the text Polish format (.mp): the commands of the desktop "
       "program Pomvelt, run on the FILEs in the order given.",
       0, 0);
  os << "\nCommands:\n";
  for (const CliCommand* c : CliCommands()) {
    const std::string label = "  " + c->name;
    os << label
       << std::string(label.size() + 2 > kOptionColumn ? 2 : kOptionColumn - label.size(), ' ');
    Wrap(os, c->summary, kOptionColumn, kOptionColumn);
  }
  os << "\nOptions:\n";
  PrintOptions(os, GlobalCliOptions());
  os << '\n';
  Wrap(os,
       std::string("\"") + kProgramName + " COMMAND --help\" describes a command, its options " +
           "and their defaults. Options may stand anywhere before \"--\", which ends them.",
       0, 0);
  Wrap(os,
       "Messages go to standard error. Exit status: 0 done, 1 a file failed or the compiler "
       "was missing, 2 usage error (nothing was touched), 130 interrupted.",
       0, 0);
}

void PrintCliCommandHelp(const CliCommand& command, std::ostream& os) {
  os << "Usage: " << kProgramName << ' ' << command.name << " [OPTION]...";
  if (!command.operands.empty()) os << ' ' << command.operands;
  os << "\n\n";
  Wrap(os, command.description, 0, 0);
  os << "\nOptions:\n";
  PrintOptions(os, CliOptionsOf(command));
  if (!command.output.empty()) {
    os << '\n';
    Wrap(os, "Output: " + command.output, 0, 0);
  }
  if ((command.scope & kCliScopeMapWriter) != 0) {
    os << '\n';
    Wrap(os, std::string("In place: ") + kInPlaceText, 0, 0);
  }
  if (!command.examples.empty()) {
    os << "\nExamples:\n";
    for (const CliExample& e : command.examples) {
      os << "  " << kProgramName << ' ' << e.commandLine << '\n' << "      ";
      Wrap(os, e.explanation, 6, 6);
    }
  }
}

}  // namespace pomvelt
