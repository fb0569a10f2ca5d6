#include "cli/cli.h"
#include "jobs/delete_layer.h"

namespace pomvelt {
namespace {

const bool kRegistered = RegisterCliCommand({
    .order = 30,
    .name = "delete-layer",
    .summary = "delete every element that has coordinates on one level",
    .description =
        "Deletes from each map every element that has coordinates on the given level (a line "
        "holding \"DataN=\", N the level). Every other element keeps only its header, "
        "type, last label, city, direction and coordinate lines and its end line.",
    .options =
        {
            // The level also goes into the output's name: digits only.
            {"--layer",
             0,
             "DIGITS",
             {},
             "0",
             "the level whose elements are deleted",
             CliValueKind::kDigits},
            {"--copy", 'c', "", {}, "", "write the result beside each map instead of in place"},
        },
    .output = "with --copy, MAP_N_layer_deleted.mp beside each map (town.mp and level 1 give "
              "town_1_layer_deleted.mp); without it, the map itself.",
    .examples =
        {
            {"delete-layer --layer 1 *.mp",
             "delete every element with coordinates on level 1 from every map here, in place"},
        },
    .run =
        [](const CliArgs& args, const BatchContext& batch) {
          DeleteLayerOptions options;
          options.layer = args.Value("--layer", options.layer);
          options.inPlace = !args.Has("--copy");
          BatchReport report = DeleteLayerJob(options, args.files, batch);
          report.options = {{"layer", options.layer}, {"inPlace", CliFlag(options.inPlace)}};
          return report;
        },
});

}  // namespace
}  // namespace pomvelt
