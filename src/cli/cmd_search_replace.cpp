#include "cli/cli.h"
#include "jobs/search_replace.h"
#include "text/cp1251.h"

namespace pomvelt {
namespace {

const bool kRegistered = RegisterCliCommand({
    .order = 40,
    .name = "search-replace",
    .summary = "replace a text wherever it stands in the maps",
    .description =
        "Replaces every occurrence of a text in every line of each map by another text, left to "
        "right, the replacement not searched again. The texts are given in UTF-8 and searched "
        "for as code page 1251 bytes, exactly and case-sensitively; a text that code page 1251 "
        "cannot hold is refused.",
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
          options.find = CliTextToCp1251(args.Value("--find", options.find), "--find");
          options.replace = CliTextToCp1251(args.Value("--replace", options.replace), "--replace");
          options.inPlace = !args.Has("--copy");
          BatchReport report = SearchReplaceJob(options, args.files, batch);
          report.options = {{"find", Cp1251ToUtf8(options.find)},
                            {"replace", Cp1251ToUtf8(options.replace)},
                            {"inPlace", CliFlag(options.inPlace)}};
          return report;
        },
});

}  // namespace
}  // namespace pomvelt
