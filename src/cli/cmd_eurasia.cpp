#include "cli/cli.h"
#include "eurasia/eurasia_job.h"

namespace pomvelt {
namespace {

const char* const kEurasiaActions[] = {"none", "remove-levels", "fill-levels"};

const bool kRegistered = RegisterCliCommand({
    .order = 60,
    .name = "eurasia",
    .summary = "remove or fill the empty levels 0 and 1 of the Eurasia map set",
    .description =
        "For maps whose levels 0 and 1 are empty: --remove-levels deletes every element with "
        "coordinates on level 0 or 1, renumbers the levels above down by two and rewrites the "
        "header's level definitions; --fill-levels copies the coordinates of the lowest level "
        "that has elements to the empty ones. --tdb-list lists the maps for a preview project, "
        "alone or after either.",
    .options =
        {
            {"--remove-levels", 0, "", {}, "", "remove levels 0 and 1 and renumber the rest"},
            {"--keep-whole",
             0,
             "",
             {},
             "",
             "with --remove-levels: keep the other elements whole instead of reducing them"},
            {"--fill-levels", 0, "", {}, "", "fill levels 0 and 1 from the nearest level"},
            {"--tdb-list",
             0,
             "",
             {},
             "",
             "write the preview project list eurasia_pdb.txt into the folder of the maps"},
        },
    .output = "the map itself, always in place; with --tdb-list, eurasia_pdb.txt in the folder "
              "of the maps.",
    .examples =
        {
            {"eurasia --remove-levels --tdb-list tiles/*.mp",
             "remove the empty levels of every tile and list the tiles for a preview project"},
            {"eurasia --fill-levels tiles/*.mp", "fill the empty levels instead (the maps grow)"},
        },
    .run =
        [](const CliArgs& args, const BatchContext& batch) {
          if (args.Has("--remove-levels") && args.Has("--fill-levels")) {
            throw CliUsageError{"--remove-levels and --fill-levels exclude each other"};
          }
          if (!args.Has("--remove-levels") && !args.Has("--fill-levels") &&
              !args.Has("--tdb-list")) {
            throw CliUsageError{"nothing to do: give --remove-levels, --fill-levels or --tdb-list"};
          }
          if (args.Has("--keep-whole") && !args.Has("--remove-levels")) {
            throw CliUsageError{"--keep-whole goes with --remove-levels"};
          }
          EurasiaOptions options;
          if (args.Has("--remove-levels")) options.action = EurasiaAction::kRemoveLevels;
          if (args.Has("--fill-levels")) options.action = EurasiaAction::kFillLevels;
          options.makeTdbList = args.Has("--tdb-list");
          if (args.Has("--keep-whole")) options.kept = KeptForm::kWhole;
          CMapListFile list;
          BatchReport report = EurasiaJob(options, args.files, list, batch);
          report.options = {{"action", kEurasiaActions[static_cast<int>(options.action)]},
                            {"tdbList", CliFlag(options.makeTdbList)},
                            {"keepWhole", CliFlag(options.kept == KeptForm::kWhole)}};
          return report;
        },
});

}  // namespace
}  // namespace pomvelt
