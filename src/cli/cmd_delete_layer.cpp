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
        "type, last label, city, direction and coordinate lines and its end line, or with "
        "--keep-whole every line it had.",
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
            {"--keep-whole",
             0,
             "",
             {},
             "",
             "keep every other element whole, every line as it was, instead of reducing it"},
            {"--copy", 'c', "", {}, "", "write the result beside each map instead of in place"},
        },
    .output = "with --copy, MAP_N_layer_deleted.mp beside each map (town.mp and level 1 give "
              "town_1_layer_deleted.mp); without it, the map itself.",
    .examples =
        {
            {"delete-layer --layer 1 *.mp",
             "delete every element with coordinates on level 1 from every map here, in place"},
            {"delete-layer --layer 0 --keep-whole --copy town.mp",
             "the same for level 0, the other elements left as they were, into a copy"},
        },
    .run =
        [](const CliArgs& args, const BatchContext& batch) {
          DeleteLayerOptions options;
          options.layer = args.Value("--layer", options.layer);
          options.inPlace = !args.Has("--copy");
          if (args.Has("--keep-whole")) options.kept = KeptForm::kWhole;
          BatchReport report = DeleteLayerJob(options, args.files, batch);
          report.options = {{"layer", options.layer},
                            {"inPlace", CliFlag(options.inPlace)},
                            {"keepWhole", CliFlag(options.kept == KeptForm::kWhole)}};
          return report;
        },
});

}  // namespace
}  // namespace pomvelt
