#include "cli/cli.h"
#include "pipeline/convert_files.h"
#include "pipeline/process_runner.h"

namespace pomvelt {
namespace {

const std::vector<std::string> kDecompilers = {"cgpsmapper", "gpsmapedit"};
const std::vector<std::string> kTranslations = {"to-russian", "to-translit", "none"};

const bool kRegistered = RegisterCliCommand({
    .order = 50,
    .name = "convert",
    .summary = "decompile, translate the labels of and compile maps",
    .description =
        "Chains up to three stages for each file: --decompile turns a compiled .img into a "
        "Polish-format .mp beside it, --translit translates the labels between Latin "
        "transliteration and Russian, and --compile runs the compiler on the result. At least "
        "one stage must be asked for.",
    // clang-format off
    .options = {
        {"--decompile", 0, "PROGRAM", kDecompilers, "",
         "decompile each .img first: cgpsmapper on each file, or gpsmapedit once over the "
         "folder through the Windows script host"},
        {"--translit", 0, "DIRECTION", kTranslations, "none",
         "translate the labels to Russian or to Latin transliteration"},
        {"--lower-case", 0, "", {}, "",
         "with a translation, keep capitals only at the start of words"},
        {"--copy", 'c', "", {}, "",
         "with a translation, write MAP_rus.mp or MAP_translit.mp instead of in place"},
        {"--names-list", 0, "", {}, "",
         "write names.txt, each map's name and file, into the folder of the files"},
        {"--compile", 0, "", {}, "", "compile each map after the other stages"},
        {"--delete-mp", 0, "", {}, "",
         "with --compile, delete each compiled .mp once the compiler has succeeded"},
        {"--compiler", 0, "PROGRAM", {}, "cgpsmapper, or $POMVELT_COMPILER",
         "the program run for decompiling and compiling, for example mkgmap"},
        {"--compiler-arg", 0, "ARG", {}, "",
         "an argument passed to the compiler before the map's path", CliValueKind::kText, true},
        {"--keep-compiler-files", 0, "", {}, "",
         "keep what mkgmap writes besides the compiled map (osmmap.img, osmmap.tdb)"},
    },
    // clang-format on
    .output =
        "with --decompile, MAP.mp beside each MAP.img; with --translit, the map itself, or with "
        "--copy MAP_rus.mp or MAP_translit.mp beside it; with --names-list, names.txt in the "
        "folder of the files. With --compile, the compiler runs in the folder of each map. "
        "cgpsmapper is given the map's path and writes where it always does; mkgmap is run as "
        "\"mkgmap --output-dir=FOLDER --mapname=NAME MAP\" and writes NAME.img beside the map "
        "(with more than one job FOLDER is a hidden folder of its own, from which NAME.img is "
        "moved there), "
        "NAME being the map's 8-digit ID from its header line \"ID=\", else from its file "
        "name, else a new number; two maps of one run that would give one name: the second is "
        "not compiled. --delete-mp deletes a map only once the compiler exited with 0 and, for "
        "mkgmap, NAME.img was written by this run. When a compile fails, the last 20 lines the "
        "compiler wrote are shown.",
    .examples =
        {
            {"convert --translit to-russian --copy --compile --compiler mkgmap town.mp",
             "write town_rus.mp with Russian labels and compile it with mkgmap into NAME.img "
             "beside it"},
            {"convert --compile --compiler mkgmap --compiler-arg=--family-id=7 --delete-mp "
             "maps/*.mp",
             "compile every map of maps/ with mkgmap, giving it --family-id=7, and delete each "
             "map whose compiled map was written"},
            {"convert --decompile cgpsmapper --translit to-translit --names-list maps/*.img",
             "decompile every map of maps/, translate the labels to translit in place and list "
             "the map names"},
        },
    .run =
        [](const CliArgs& args, const BatchContext& batch) {
          ConvertOptions options;
          options.decompile = args.Given("--decompile");
          options.decompiler =
              static_cast<Decompiler>(CliChoice(args, "--decompile", kDecompilers, 0));
          options.translation = static_cast<Translation>(
              CliChoice(args, "--translit", kTranslations, static_cast<int>(options.translation)));
          options.lowerCase = args.Has("--lower-case");
          options.inPlace = !args.Has("--copy");
          options.namesList = args.Has("--names-list");
          options.compile = args.Has("--compile");
          options.deleteMpAfterCompile = args.Has("--delete-mp");
          options.compiler = args.Value("--compiler", "");
          options.compilerArgs = args.Values("--compiler-arg");
          options.keepCompilerFiles = args.Has("--keep-compiler-files");
          // Runs that would do nothing, or not what was asked, are refused before any file.
          const bool translates = options.translation != Translation::kNone;
          if (!options.decompile && !translates && !options.compile) {
            throw CliUsageError{"nothing to do: give --decompile, --translit or --compile"};
          }
          for (const char* flag : {"--lower-case", "--copy"}) {
            if (args.Has(flag) && !translates) {
              throw CliUsageError{std::string(flag) +
                                  " acts on a translation: give --translit to-russian or "
                                  "to-translit"};
            }
          }
          if (options.deleteMpAfterCompile && !options.compile) {
            throw CliUsageError{"--delete-mp deletes what was compiled: give --compile"};
          }
          ConversionState state;
          BatchReport report = ConvertFiles(options, args.files, state, batch);
          report.options = {
              {"decompile", options.decompile
                                ? kDecompilers[static_cast<std::size_t>(options.decompiler)]
                                : "none"},
              {"translit", kTranslations[static_cast<std::size_t>(options.translation)]},
              {"lowerCase", CliFlag(options.lowerCase)},
              {"inPlace", CliFlag(options.inPlace)},
              {"namesList", CliFlag(options.namesList)},
              {"compile", CliFlag(options.compile)},
              {"deleteMp", CliFlag(options.deleteMpAfterCompile)},
              {"compiler", CompilerProgram(options.compiler)},
              {"keepCompilerFiles", CliFlag(options.keepCompilerFiles)}};
          return report;
        },
});

}  // namespace
}  // namespace pomvelt
