#include <algorithm>

#include "cli/cli.h"
#include "jobs/delete_layer.h"

namespace pomvelt {
namespace {

const bool kRegistered = RegisterCliCommand({
    30,
    "delete-layer",
    "[--layer DIGITS] [--copy] FILE...",
    {{"--layer", true}, {"--copy", false}},
    [](const CliArgs& args, JobHost& host) {
      MainOptions options;
      options.m_strLayer = args.Value("--layer", options.m_strLayer);
      // The dialog's field takes digits only; the text also goes into the output's name.
      if (!std::all_of(options.m_strLayer.begin(), options.m_strLayer.end(),
                       [](char c) { return c >= '0' && c <= '9'; })) {
        throw CliUsageError{"option --layer takes decimal digits, not \"" + options.m_strLayer +
                            "\""};
      }
      options.m_bDeleteInPlace = args.Has("--copy") ? 0 : 1;
      return DeleteLayerJob(options, host);
    },
});

}  // namespace
}  // namespace pomvelt
