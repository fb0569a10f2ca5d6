#include "cli/cli.h"
#include "jobs/search_replace.h"

namespace pomvelt {
namespace {

const bool kRegistered = RegisterCliCommand({
    40,
    "search-replace",
    "[--find TEXT] [--replace TEXT] [--copy] FILE...",
    {{"--find", true}, {"--replace", true}, {"--copy", false}},
    [](const CliArgs& args, JobHost& host) {
      SearchReplaceOptions options;
      options.m_strFind = CliTextToCp1251(args.Value("--find", options.m_strFind), "--find");
      options.m_strReplace =
          CliTextToCp1251(args.Value("--replace", options.m_strReplace), "--replace");
      return SearchReplaceJob(options, host, !args.Has("--copy"));
    },
});

}  // namespace
}  // namespace pomvelt
