#include "cli/cli.h"
#include "jobs/recode.h"

namespace pomvelt {
namespace {

const bool kRegistered = RegisterCliCommand({
    .order = 65,
    .name = "recode",
    .summary = "rewrite the maps in another code page",
    .description =
        "Rewrites every line of each map from the code page its header declares (1251 when it "
        "declares none, or 0) into another, and makes the header declare it: the first "
        "CodePage= line gets the new number, or one is added after [IMG ID]; LblCoding=6 "
        "becomes LblCoding=9, which is added when the header has no LblCoding= line. A map "
        "holding a character the target lacks, or bytes its own page does not define, is left "
        "as it was and named with the line and the character.",
    .options =
        {
            {"--to",
             0,
             "PAGE",
             {"1250", "1251", "1252", "1253", "1254", "1257", "65001"},
             "",
             "the code page to write (65001 is UTF-8)"},
            {"--replace-missing",
             0,
             "",
             {},
             "",
             "write \"?\" for what the target cannot hold instead of leaving the map as it was"},
            {"--copy", 'c', "", {}, "", "write the result beside each map instead of in place"},
        },
    .output = "with --copy, MAP_cpPAGE.mp beside each map (town.mp gives town_cp65001.mp); "
              "without it, the map itself.",
    .examples =
        {
            {"recode --to 65001 maps/*.mp", "every map of the folder in UTF-8, in place"},
            {"recode --to 1251 --replace-missing -c town.mp",
             "town_cp1251.mp in code page 1251, with \"?\" for what it lacks"},
        },
    .run =
        [](const CliArgs& args, const BatchContext& batch) {
          const std::optional<CodePage> to = SupportedCodePageNamed(args.Value("--to", ""));
          if (!to) throw CliUsageError{"recode needs --to PAGE"};
          RecodeOptions options;
          options.to = *to;
          options.replaceMissing = args.Has("--replace-missing");
          options.inPlace = !args.Has("--copy");
          BatchReport report = RecodeJob(options, args.files, batch);
          report.options = {{"to", options.to.Name()},
                            {"replaceMissing", CliFlag(options.replaceMissing)},
                            {"inPlace", CliFlag(options.inPlace)}};
          return report;
        },
});

}  // namespace
}  // namespace pomvelt
