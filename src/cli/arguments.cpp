// Arguments in the GNU manner: options anywhere before "--", "--opt=value" and "--opt value",
// short forms alone ("-k line"), glued to their value ("-kline") or bundled ("-cn"), and every
// argument that begins with "-" and is none of the command's options refused.

#include <algorithm>
#include <optional>

#include "cli/cli.h"
#include "text/page_codec.h"

namespace pomvelt {

namespace {

bool AllDigits(std::string_view text, bool hex) {
  return std::all_of(text.begin(), text.end(), [hex](char c) {
    return (c >= '0' && c <= '9') || (hex && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')));
  });
}

std::string Joined(const std::vector<std::string>& choices) {
  std::string text;
  for (const std::string& c : choices) text += (text.empty() ? "" : ", ") + c;
  return text;
}

// Throws when the value is not one the option takes.
void CheckValue(const CliOption& option, const std::string& value) {
  if (!option.choices.empty()) {
    if (std::find(option.choices.begin(), option.choices.end(), value) == option.choices.end()) {
      throw CliUsageError{"option " + option.name + " takes one of " + Joined(option.choices) +
                          ", not \"" + value + "\""};
    }
    return;
  }
  switch (option.valueKind) {
    case CliValueKind::kText:
      return;
    case CliValueKind::kTypeCode: {
      const std::string_view v = value;
      const bool hex = v.size() > 2 && v.substr(0, 2) == "0x" && AllDigits(v.substr(2), true);
      if (!v.empty() && !hex && !AllDigits(v, false)) {
        throw CliUsageError{"option " + option.name +
                            " takes a type code (0x and hexadecimal digits, or decimal digits), "
                            "not \"" +
                            value + "\""};
      }
      return;
    }
    case CliValueKind::kDigits:
      if (!AllDigits(value, false)) {
        throw CliUsageError{"option " + option.name + " takes decimal digits, not \"" + value +
                            "\""};
      }
      return;
    case CliValueKind::kCount:
      if (value.empty() || !AllDigits(value, false) ||
          value.find_first_not_of('0') == std::string::npos || value.size() > 9) {
        throw CliUsageError{"option " + option.name + " takes a number from 1, not \"" + value +
                            "\""};
      }
      return;
  }
}

class Parser {
 public:
  Parser(const CliCommand& command, const std::vector<std::string>& args)
      : options_(CliOptionsOf(command)), args_(args) {}

  CliArgs Run(const CliCommand& command) {
    bool onlyOperands = false;
    for (i_ = 0; i_ < args_.size(); ++i_) {
      const std::string& arg = args_[i_];
      if (onlyOperands || arg.size() < 2 || arg[0] != '-') {
        if (arg.empty()) throw CliUsageError{"an empty file name was given"};
        parsed_.files.push_back(arg);
      } else if (arg == "--") {
        onlyOperands = true;
      } else if (arg[1] == '-') {
        Long(arg);
      } else {
        Short(arg);
      }
      // Help asked for: whatever else the line holds, the help is what the user wants.
      if (parsed_.Has("--help")) return parsed_;
    }
    if (parsed_.files.size() < command.minOperands) {
      throw CliUsageError{command.minOperands == 1 && command.operands == "FILE..."
                              ? "no files given"
                              : "too few arguments: " + command.operands};
    }
    if (parsed_.files.size() > command.maxOperands) {
      throw CliUsageError{"too many arguments: " + command.operands};
    }
    return parsed_;
  }

 private:
  void Long(const std::string& arg) {
    const std::size_t eq = arg.find('=');
    const std::string name = arg.substr(0, eq);
    const auto known = std::find_if(options_.begin(), options_.end(),
                                    [&](const CliOption& o) { return o.name == name; });
    if (known == options_.end()) throw CliUsageError{"unknown option " + name};
    if (!known->TakesValue()) {
      if (eq != std::string::npos) throw CliUsageError{"option " + name + " takes no value"};
      parsed_.flags.insert(name);
      return;
    }
    if (eq != std::string::npos) {
      Store(*known, arg.substr(eq + 1));
    } else {
      Store(*known, NextValue(*known, name));
    }
  }

  void Short(const std::string& arg) {
    for (std::size_t k = 1; k < arg.size(); ++k) {
      const char c = arg[k];
      const auto known = std::find_if(options_.begin(), options_.end(),
                                      [&](const CliOption& o) { return o.shortName == c; });
      if (known == options_.end()) {
        throw CliUsageError{"unknown option -" + std::string(1, c) +
                            (k > 1 ? " (in " + arg + ")" : "")};
      }
      if (!known->TakesValue()) {
        parsed_.flags.insert(known->name);
        continue;
      }
      // The rest of the argument, when there is any, is the value ("-kline").
      if (k + 1 < arg.size()) {
        Store(*known, arg.substr(k + 1));
      } else {
        Store(*known, NextValue(*known, "-" + std::string(1, c)));
      }
      return;
    }
  }

  std::string NextValue(const CliOption& option, const std::string& given) {
    if (i_ + 1 >= args_.size()) {
      throw CliUsageError{"option " + given + " needs a value (" + option.valueName + ")"};
    }
    return args_[++i_];
  }

  void Store(const CliOption& option, const std::string& value) {
    CheckValue(option, value);
    parsed_.values[option.name] = value;
    parsed_.lists[option.name].push_back(value);
  }

  std::vector<CliOption> options_;
  const std::vector<std::string>& args_;
  std::size_t i_ = 0;
  CliArgs parsed_;
};

}  // namespace

CliArgs ParseCliArgs(const CliCommand& command, const std::vector<std::string>& args) {
  return Parser(command, args).Run(command);
}

std::string CliArgs::Value(const std::string& name, const std::string& fallback) const {
  const auto it = values.find(name);
  return it == values.end() ? fallback : it->second;
}

std::vector<std::string> CliArgs::Values(const std::string& name) const {
  const auto it = lists.find(name);
  return it == lists.end() ? std::vector<std::string>() : it->second;
}

std::string CliTypedText(const std::string& text, const std::string& option) {
  if (!PageCodec::For(CodePage(CodePage::kUtf8))->CanDecode(text)) {
    throw CliUsageError{"the text of " + option + " is not UTF-8"};
  }
  return text;
}

int CliChoice(const CliArgs& args, const std::string& option,
              const std::vector<std::string>& choices, int fallback) {
  const auto it = args.values.find(option);
  if (it == args.values.end()) return fallback;
  const auto found = std::find(choices.begin(), choices.end(), it->second);
  if (found == choices.end()) {
    throw CliUsageError{"option " + option + " takes one of " + Joined(choices) + ", not \"" +
                        it->second + "\""};
  }
  return static_cast<int>(found - choices.begin());
}

}  // namespace pomvelt
