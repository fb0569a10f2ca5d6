#include "cli/cli.h"
#include "eurasia/eurasia_job.h"

namespace pomvelt {
namespace {

const bool kRegistered = RegisterCliCommand({
    60,
    "eurasia",
    "[--remove-levels|--fill-levels] [--tdb-list] FILE...",
    {{"--remove-levels", false}, {"--fill-levels", false}, {"--tdb-list", false}},
    [](const CliArgs& args, JobHost& host) {
      if (args.Has("--remove-levels") && args.Has("--fill-levels")) {
        throw CliUsageError{"--remove-levels and --fill-levels exclude each other"};
      }
      EurasiaOptions options;
      if (args.Has("--remove-levels")) options.m_nAction = 0;
      if (args.Has("--fill-levels")) options.m_nAction = 1;
      options.m_bMakeTdbList = args.Has("--tdb-list") ? 1 : 0;
      CMapListFile list;
      return EurasiaJob(options, list, host);
    },
});

}  // namespace
}  // namespace pomvelt
