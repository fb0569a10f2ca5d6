#include "jobs/type_rules.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "jobs/batch_job.h"
#include "jobs/file_rewrite.h"
#include "text/file_io.h"
#include "text/strings.h"

namespace pomvelt {

namespace {

struct SectionName {
  std::string_view name;
  TypeRule::Action action;
  ElementKind kind;
};
constexpr SectionName kSections[] = {
    {"[POI]", TypeRule::Action::kReplace, ElementKind::kPoint},
    {"[POLYLINE]", TypeRule::Action::kReplace, ElementKind::kLine},
    {"[POLYGON]", TypeRule::Action::kReplace, ElementKind::kPolygon},
    {"[DELETE-POI]", TypeRule::Action::kDelete, ElementKind::kPoint},
    {"[DELETE-POLYLINE]", TypeRule::Action::kDelete, ElementKind::kLine},
    {"[DELETE-POLYGON]", TypeRule::Action::kDelete, ElementKind::kPolygon},
};

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
    s.remove_suffix(1);
  }
  return s;
}

// Why a code cannot stand in a type line, or "" when it can.
std::string CodeProblem(std::string_view code) {
  if (code.empty()) return "пустой код типа";
  if (code.find_first_of(" \t=[]") != std::string_view::npos) {
    return "код типа \"" + std::string(code) + "\" содержит пробел, \"=\" или скобку";
  }
  return "";
}

}  // namespace

std::variant<std::vector<TypeRule>, std::vector<RulesError>> ParseTypeRules(std::string_view text) {
  std::vector<TypeRule> rules;
  std::vector<RulesError> errors;
  const SectionName* section = nullptr;
  int number = 0;
  auto find = [&](TypeRule::Action action, ElementKind kind,
                  std::string_view code) -> const TypeRule* {
    for (const TypeRule& r : rules) {
      if (r.action == action && r.kind == kind && r.code == code) return &r;
    }
    return nullptr;
  };
  auto replacedTo = [&](ElementKind kind, std::string_view code) -> const TypeRule* {
    for (const TypeRule& r : rules) {
      if (r.action == TypeRule::Action::kReplace && r.kind == kind && r.newCode == code) return &r;
    }
    return nullptr;
  };
  for (std::size_t at = 0; at <= text.size();) {
    std::size_t nl = text.find('\n', at);
    if (nl == std::string_view::npos) nl = text.size();
    std::string_view line = text.substr(at, nl - at);
    at = nl + 1;
    ++number;
    if (const std::size_t c = line.find(';'); c != std::string_view::npos) line = line.substr(0, c);
    line = Trim(line);
    if (line.empty()) continue;
    auto error = [&](std::string message) { errors.push_back({number, std::move(message)}); };
    if (line.front() == '[') {
      section = nullptr;
      for (const SectionName& s : kSections) {
        if (line == s.name) section = &s;
      }
      if (section == nullptr) error("неизвестная секция " + std::string(line));
      continue;
    }
    if (section == nullptr) {
      error("правило вне секции");
      continue;
    }
    TypeRule rule;
    rule.action = section->action;
    rule.kind = section->kind;
    rule.line = number;
    const std::string where = " в строке ";
    if (rule.action == TypeRule::Action::kReplace) {
      const std::size_t eq = line.find('=');
      if (eq == std::string_view::npos) {
        error("ожидалось СТАРЫЙ=НОВЫЙ");
        continue;
      }
      rule.code = Trim(line.substr(0, eq));
      rule.newCode = Trim(line.substr(eq + 1));
      std::string problem = CodeProblem(rule.code);
      if (problem.empty()) problem = CodeProblem(rule.newCode);
      if (!problem.empty()) {
        error(problem);
        continue;
      }
      if (rule.code == rule.newCode) {
        error("код " + rule.code + " заменяется на себя же");
      } else if (const TypeRule* r = find(TypeRule::Action::kReplace, rule.kind, rule.code)) {
        error("код " + rule.code + " уже заменяется" + where + std::to_string(r->line));
      } else if (const TypeRule* d = find(TypeRule::Action::kDelete, rule.kind, rule.code)) {
        error("код " + rule.code + " и заменяется, и удаляется" + where + std::to_string(d->line));
      } else if (const TypeRule* n = find(TypeRule::Action::kDelete, rule.kind, rule.newCode)) {
        error("код " + rule.newCode + " и получается заменой, и удаляется" + where +
              std::to_string(n->line));
      } else {
        rules.push_back(std::move(rule));
      }
      continue;
    }
    rule.code = line;
    if (std::string problem = CodeProblem(rule.code); !problem.empty()) {
      error(line.find('=') != std::string_view::npos ? "ожидался один код типа" : problem);
    } else if (const TypeRule* d = find(TypeRule::Action::kDelete, rule.kind, rule.code)) {
      error("код " + rule.code + " уже удаляется" + where + std::to_string(d->line));
    } else if (const TypeRule* r = find(TypeRule::Action::kReplace, rule.kind, rule.code)) {
      error("код " + rule.code + " и удаляется, и заменяется" + where + std::to_string(r->line));
    } else if (const TypeRule* n = replacedTo(rule.kind, rule.code)) {
      error("код " + rule.code + " и удаляется, и получается заменой" + where +
            std::to_string(n->line));
    } else {
      rules.push_back(std::move(rule));
    }
  }
  if (errors.empty() && rules.empty()) errors.push_back({1, "в файле нет ни одного правила"});
  if (!errors.empty()) return errors;
  return rules;
}

std::string FormatRulesError(const std::string& rulesPath, const RulesError& error) {
  return rulesPath + ":" + std::to_string(error.line) + ": " + error.message;
}

TransformResult ResultOf(const TypeRuleCounts& counts, const std::vector<TypeRule>& rules) {
  TransformResult result{{}, counts.linesChanged, std::nullopt};
  for (std::size_t i = 0; i < rules.size() && i < counts.perRule.size(); ++i) {
    const std::string rule = DescribeRule(rules[i]);
    result.counts.push_back(
        {rule,
         (rules[i].action == TypeRule::Action::kReplace ? "заменено по правилу "
                                                        : "удалено по правилу ") +
             rule,
         counts.perRule[i]});
  }
  return result;
}

std::variant<std::vector<TypeRule>, std::vector<std::string>> ReadTypeRules(
    const std::string& path) {
  InputFile input;
  std::string text;
  bool read = input.Open(path);
  if (read) {
    LineReader reader(input);
    for (std::string_view line; reader.ReadLine(line);) {
      text.append(line);
      text += '\n';
    }
    read = !reader.Failed();
  }
  if (!read) return std::vector<std::string>{CannotOpenNamedForReading(path)};
  auto parsed = ParseTypeRules(text);
  if (auto* rules = std::get_if<std::vector<TypeRule>>(&parsed)) return std::move(*rules);
  std::vector<std::string> messages;
  for (const RulesError& e : std::get<std::vector<RulesError>>(parsed)) {
    messages.push_back(FormatRulesError(path, e));
  }
  return messages;
}

FileOutcome ApplyTypeRulesInFile(const std::string& path, const TypeRulesOptions& options,
                                 const BatchContext& batch) {
  const RewriteRequest request =
      BatchRequest(batch, path, MakeOutputPath(path, "_rules.mp"), options.inPlace);
  return RewriteFile(request, [&](LineReader& in, LineWriter& out) {
    return ResultOf(ApplyTypeRules(in, out, options.rules), options.rules);
  });
}

BatchReport ApplyTypeRulesJob(const TypeRulesOptions& options,
                              const std::vector<std::string>& files, const BatchContext& batch) {
  return RunBatchJob(
      batch, files,
      [&](const std::string& path) { return ApplyTypeRulesInFile(path, options, batch); },
      OneRewritePerFile());
}

JobFileDialogParams RulesFileDialogParams() {
  JobFileDialogParams p;
  p.filter = "файлы(*.txt)|*.txt|Все файлы (*.*)|*.*|";
  p.title = "Выбрать файл правил";
  return p;
}

std::string DescribeRule(const TypeRule& rule) {
  for (const SectionName& s : kSections) {
    if (s.action != rule.action || s.kind != rule.kind) continue;
    return std::string(s.name) + " " + rule.code +
           (rule.action == TypeRule::Action::kReplace ? "=" + rule.newCode : "");
  }
  return {};
}

}  // namespace pomvelt
