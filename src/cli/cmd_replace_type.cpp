#include "cli/cli.h"
#include "jobs/replace_type.h"

namespace pomvelt {
namespace {

const bool kRegistered = RegisterCliCommand({
    .order = 20,
    .name = "replace-type",
    .summary = "give the polygons or lines of one type another type",
    .description =
        "Replaces, in each map, the type code of every polygon or line whose type line holds "
        "the code given with --from by the code given with --to; nothing else changes. Codes "
        "are compared as written: 0x1 does not match a map's 0x01.",
    .options =
        {
            {"--kind",
             'k',
             "KIND",
             {"polygon", "line"},
             "polygon",
             "the kind of element whose type is replaced"},
            {"--from", 0, "CODE", {}, "0x1", "the type code to replace", CliValueKind::kTypeCode},
            {"--to", 0, "CODE", {}, "0xd", "the new type code", CliValueKind::kTypeCode},
            {"--copy", 'c', "", {}, "", "write the result beside each map instead of in place"},
        },
    .output = "with --copy, MAP_FROM_replaced.mp beside each map (town.mp and the code 0x1 give "
              "town_0x1_replaced.mp); without it, the map itself.",
    .examples =
        {
            {"replace-type -k line --from 0x1 --to 0x6 --copy town.mp",
             "write town_0x1_replaced.mp, in which the lines of type 0x1 have the type 0x6"},
        },
    .run =
        [](const CliArgs& args, const BatchContext& batch) {
          ReplaceTypeOptions options;
          options.kind = static_cast<ElementKind>(
              CliChoice(args, "--kind", {"polygon", "line"}, static_cast<int>(options.kind)));
          options.fromCode = CliTypedText(args.Value("--from", options.fromCode), "--from");
          options.toCode = CliTypedText(args.Value("--to", options.toCode), "--to");
          options.inPlace = !args.Has("--copy");
          BatchReport report = ReplaceTypeJob(options, args.files, batch);
          report.options = {{"kind", args.Value("--kind", "polygon")},
                            {"from", options.fromCode},
                            {"to", options.toCode},
                            {"inPlace", CliFlag(options.inPlace)}};
          return report;
        },
});

}  // namespace
}  // namespace pomvelt
