#include "cli/cli.h"
#include "jobs/replace_type.h"

namespace pomvelt {
namespace {

const bool kRegistered = RegisterCliCommand({
    20,
    "replace-type",
    "[--kind polygon|line] [--from CODE] [--to CODE] [--copy] FILE...",
    {{"--kind", true}, {"--from", true}, {"--to", true}, {"--copy", false}},
    [](const CliArgs& args, JobHost& host) {
      MainOptions options;
      options.m_nReplaceKind = CliChoice(args, "--kind", {"polygon", "line"}, 0);
      options.m_strReplaceFrom =
          CliTextToCp1251(args.Value("--from", options.m_strReplaceFrom), "--from");
      options.m_strReplaceTo = CliTextToCp1251(args.Value("--to", options.m_strReplaceTo), "--to");
      options.m_bReplaceInPlace = args.Has("--copy") ? 0 : 1;
      return ReplaceTypeJob(options, host);
    },
});

}  // namespace
}  // namespace pomvelt
