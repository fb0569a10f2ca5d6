#include "cli/cli.h"
#include "jobs/delete_elements.h"

namespace pomvelt {
namespace {

const bool kRegistered = RegisterCliCommand({
    10,
    "delete-elements",
    "[--kind polygon|line|point] [--type CODE] [--copy] FILE...",
    {{"--kind", true}, {"--type", true}, {"--copy", false}},
    [](const CliArgs& args, JobHost& host) {
      MainOptions options;
      options.m_nDeleteKind = CliChoice(args, "--kind", {"polygon", "line", "point"}, 0);
      options.m_strDeleteType =
          CliTextToCp1251(args.Value("--type", options.m_strDeleteType), "--type");
      options.m_bDeleteInPlace = args.Has("--copy") ? 0 : 1;
      return DeleteElementsJob(options, host);
    },
});

}  // namespace
}  // namespace pomvelt
