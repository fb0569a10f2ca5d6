#include "cli/cli.h"
#include "jobs/delete_elements.h"

namespace pomvelt {
namespace {

const bool kRegistered = RegisterCliCommand({
    .order = 10,
    .name = "delete-elements",
    .summary = "delete the polygons, lines or points of one type",
    .description =
        "Deletes from each map every element of one kind whose type line holds the given type "
        "code, from its header line to its end line; every other line is kept as it is. Codes "
        "are compared as written: 0x4B does not match a map's 0x4b.",
    .options =
        {
            {"--kind",
             'k',
             "KIND",
             {"polygon", "line", "point"},
             "polygon",
             "the kind of element to delete"},
            {"--type",
             't',
             "CODE",
             {},
             "0x4b",
             "the type code of the elements to delete",
             CliValueKind::kTypeCode},
            {"--copy", 'c', "", {}, "", "write the result beside each map instead of in place"},
        },
    .output = "with --copy, MAP_CODE_deleted.mp beside each map (town.mp and the code 0x4b give "
              "town_0x4b_deleted.mp); without it, the map itself.",
    .examples =
        {
            {"delete-elements -k polygon -t 0x4b a.mp b.mp",
             "delete every polygon of type 0x4b from a.mp and b.mp, in place"},
            {"delete-elements --kind=point --type=0x2f06 --copy town.mp",
             "write town_0x2f06_deleted.mp: town.mp without its points of type 0x2f06"},
        },
    .run =
        [](const CliArgs& args, const BatchContext& batch) {
          DeleteElementsOptions options;
          options.kind = static_cast<ElementKind>(CliChoice(
              args, "--kind", {"polygon", "line", "point"}, static_cast<int>(options.kind)));
          options.typeCode = CliTypedText(args.Value("--type", options.typeCode), "--type");
          options.inPlace = !args.Has("--copy");
          BatchReport report = DeleteElementsJob(options, args.files, batch);
          report.options = {{"kind", args.Value("--kind", "polygon")},
                            {"type", options.typeCode},
                            {"inPlace", CliFlag(options.inPlace)}};
          return report;
        },
});

}  // namespace
}  // namespace pomvelt
