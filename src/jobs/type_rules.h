// Type rules from a file: type replacements and element deletions for points, lines and
// polygons, applied to a map in one pass with exactly the effect of running the single
// commands one after another in the order of the rules.
#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "jobs/batch_job.h"
#include "jobs/element_scanner.h"
#include "jobs/file_rewrite.h"
#include "jobs/polish_format.h"
#include "text/line_io.h"

namespace pomvelt {

struct RulesError {
  int line = 0;
  std::string message;  // UTF-8
  bool operator==(const RulesError&) const = default;
};

// Sections "[POI]", "[POLYLINE]", "[POLYGON]" hold "OLD=NEW" lines; "[DELETE-POI]",
// "[DELETE-POLYLINE]", "[DELETE-POLYGON]" hold one code a line. ";" begins a comment; blanks
// around names and codes do not count. The rules in file order, or every error found.
std::variant<std::vector<TypeRule>, std::vector<RulesError>> ParseTypeRules(std::string_view text);

// path + ":" + line + ": " + message
std::string FormatRulesError(const std::string& rulesPath, const RulesError& error);

struct TypeRulesOptions {
  std::vector<TypeRule> rules;
  bool inPlace = true;  // false: the suffixed copy
};

// One count per rule, keyed by the rule as its file has it (DescribeRule).
TransformResult ResultOf(const TypeRuleCounts& counts, const std::vector<TypeRule>& rules);

// The rules of a rules file, or its errors as "path:line: message" (a file that cannot be
// read gives one error naming it).
std::variant<std::vector<TypeRule>, std::vector<std::string>> ReadTypeRules(
    const std::string& path);

// Output: the input's stem + "_rules.mp", or the input itself in place.
FileOutcome ApplyTypeRulesInFile(const std::string& path, const TypeRulesOptions& options,
                                 const BatchContext& batch);

// The whole batch over the chosen files, final message included.
BatchReport ApplyTypeRulesJob(const TypeRulesOptions& options,
                              const std::vector<std::string>& files, const BatchContext& batch);

// What the desktop program's file dialog offers for a rules file: text files first.
JobFileDialogParams RulesFileDialogParams();

// "[POLYGON] 0x4b=0x1", "[DELETE-POI] 0x2f06": a rule as its file has it.
std::string DescribeRule(const TypeRule& rule);

}  // namespace pomvelt
