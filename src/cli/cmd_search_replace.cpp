#include "cli/cli.h"
#include "jobs/search_replace.h"

namespace pomvelt {
namespace {

const bool kRegistered = RegisterCliCommand({
    .order = 40,
    .name = "search-replace",
    .summary = "replace a text wherever it stands in the maps",
    .description =
        "Replaces every occurrence of a text in every line of each map by another text, left to "
        "right, the replacement not searched again. The texts are given in UTF-8 and searched "
        "for in each map's own code page, exactly and case-sensitively; a map whose code page "
        "cannot hold them is left as it is, with a message naming it and the character.",
    .options =
        {
            {"--find", 0, "TEXT", {}, "~[0x4]", "the text to find"},
            {"--replace", 0, "TEXT", {}, "~[0x3]", "the text put in its place"},
            {"--copy", 'c', "", {}, "", "write the result beside each map instead of in place"},
        },
    .output = "with --copy, MAP_replaced.mp beside each map (town.mp gives town_replaced.mp); "
              "without it, the map itself.",
    .examples =
        {
            {"search-replace --find '~[0x4]' --replace '~[0x3]' a.mp b.mp",
             "turn the label code ~[0x4] into ~[0x3] wherever it stands, in place"},
            {"search-replace --find 'Новгород' --replace 'Великий Новгород' -c town.mp",
             "write town_replaced.mp with the town renamed"},
        },
    .run =
        [](const CliArgs& args, const BatchContext& batch) {
          SearchReplaceOptions options;
          options.find = CliTypedText(args.Value("--find", options.find), "--find");
          options.replace = CliTypedText(args.Value("--replace", options.replace), "--replace");
          options.inPlace = !args.Has("--copy");
          BatchReport report = SearchReplaceJob(options, args.files, batch);
          report.options = {{"find", options.find},
                            {"replace", options.replace},
                            {"inPlace", CliFlag(options.inPlace)}};
          return report;
        },
});

}  // namespace
}  // namespace pomvelt
