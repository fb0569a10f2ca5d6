#include "cli/cli.h"
#include "jobs/type_rules.h"

namespace pomvelt {
namespace {

const bool kRegistered = RegisterCliCommand({
    .order = 67,
    .name = "apply-rules",
    .summary = "apply a file of type replacements and deletions to maps in one pass",
    .description =
        "Reads RULES: sections [POI], [POLYLINE] and [POLYGON] of OLD=NEW type replacements, "
        "[DELETE-POI], [DELETE-POLYLINE] and [DELETE-POLYGON] of type codes whose elements are "
        "deleted, one a line, \";\" beginning a comment. Each rule does what replace-type or "
        "delete-elements does, in the order of the file, all in one pass over each map. Errors "
        "in RULES are shown as RULES:LINE: MESSAGE before any map is touched.",
    .operands = "RULES FILE...",
    .minOperands = 2,
    .options =
        {
            {"--copy", 'c', "", {}, "", "write the result beside each map instead of in place"},
        },
    .output = "with --copy, MAP_rules.mp beside each map (town.mp gives town_rules.mp); without "
              "it, the map itself. The summary and the report count what each rule did.",
    .examples =
        {
            {"apply-rules navitel.rules tiles/*.mp",
             "apply the rules of navitel.rules to every tile, in place"},
        },
    .run =
        [](const CliArgs& args, const BatchContext& batch) {
          const std::string& rulesPath = args.files.front();
          auto read = ReadTypeRules(rulesPath);
          if (auto* errors = std::get_if<std::vector<std::string>>(&read)) {
            for (const std::string& e : *errors) batch.host.MessageBox(e);
            throw CliUsageError{"the rules file has errors: no map was touched"};
          }
          TypeRulesOptions options;
          options.rules = std::move(std::get<std::vector<TypeRule>>(read));
          options.inPlace = !args.Has("--copy");
          BatchReport report =
              ApplyTypeRulesJob(options, {args.files.begin() + 1, args.files.end()}, batch);
          report.options = {{"rules", rulesPath}, {"inPlace", CliFlag(options.inPlace)}};
          return report;
        },
});

}  // namespace
}  // namespace pomvelt
