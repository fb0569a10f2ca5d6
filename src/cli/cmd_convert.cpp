#include "cli/cli.h"
#include "pipeline/convert_files.h"

namespace pomvelt {
namespace {

const bool kRegistered = RegisterCliCommand({
    50,
    "convert",
    "[--decompile cgpsmapper|gpsmapedit] [--translit to-russian|to-translit|none]\n"
    "                      [--lower-case] [--copy] [--names-list] [--compile] [--delete-mp]\n"
    "                      [--compiler PROGRAM] FILE...",
    {{"--decompile", true},
     {"--translit", true},
     {"--lower-case", false},
     {"--copy", false},
     {"--names-list", false},
     {"--compile", false},
     {"--delete-mp", false},
     {"--compiler", true}},
    [](const CliArgs& args, JobHost& host) {
      MainOptions options;
      options.m_bDecompile = args.values.count("--decompile") != 0 ? 1 : 0;
      options.m_nDecompiler = CliChoice(args, "--decompile", {"cgpsmapper", "gpsmapedit"}, 0);
      options.m_nTranslit = CliChoice(args, "--translit", {"to-russian", "to-translit", "none"}, 2);
      options.m_bLowerCase = args.Has("--lower-case") ? 1 : 0;
      options.m_bConvertInPlace = args.Has("--copy") ? 0 : 1;
      options.m_bMakeFileList = args.Has("--names-list") ? 1 : 0;
      options.m_bCompile = args.Has("--compile") ? 1 : 0;
      options.m_bDeleteMpAfterCompile = args.Has("--delete-mp") ? 1 : 0;
      ConversionState state;
      state.compiler = args.Value("--compiler", "");
      return ConvertFiles(options, state, host);
    },
});

}  // namespace
}  // namespace pomvelt
