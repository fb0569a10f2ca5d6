#include <ostream>

#include "cli/cli.h"
#include "cli/json_file.h"
#include "examine/map_check.h"

namespace pomvelt {
namespace {

const char* ProblemName(MapProblem p) {
  switch (p) {
    case MapProblem::kUnendedElement:
      return "unended-element";
    case MapProblem::kHeaderOnLastLine:
      return "header-on-last-line";
    case MapProblem::kTypeNotFirst:
      return "type-not-first";
    case MapProblem::kNoType:
      return "no-type";
    case MapProblem::kLevelsWithoutEnd:
      return "levels-without-header-end";
    case MapProblem::kLevelTooHigh:
      return "level-too-high";
    case MapProblem::kLevelsNotDecreasing:
      return "levels-not-decreasing";
    case MapProblem::kLongLabel:
      return "long-label";
    case MapProblem::kInvalidByte:
      return "invalid-byte";
    case MapProblem::kUtf16:
      return "utf-16";
    case MapProblem::kMixedLineEnds:
      return "mixed-line-ends";
    case MapProblem::kNulByte:
      return "nul-byte";
    case MapProblem::kNoMapHeader:
      return "no-map-header";
    case MapProblem::kNoId:
      return "no-id";
    case MapProblem::kBadId:
      return "bad-id";
    case MapProblem::kOmitted:
      break;
  }
  return "omitted";
}

struct FileDiagnostics {
  std::string path;
  std::vector<Diagnostic> found;
};

bool WriteJson(const std::string& path, const std::vector<FileDiagnostics>& files) {
  nlohmann::json report;
  report["command"] = "check";
  report["files"] = nlohmann::json::array();
  std::size_t problems = 0;
  for (const FileDiagnostics& f : files) {
    nlohmann::json list = nlohmann::json::array();
    for (const Diagnostic& d : f.found) {
      list.push_back(
          {{"line", d.line}, {"problem", ProblemName(d.problem)}, {"message", d.message}});
    }
    problems += f.found.size();
    report["files"].push_back({{"path", f.path}, {"diagnostics", std::move(list)}});
  }
  report["problems"] = problems;
  return WriteJsonFile(path, report);
}

const bool kRegistered = RegisterCliCommand({
    .order = 80,
    .name = "check",
    .summary = "find what would make a compile fail or an editing command misread a map",
    .description =
        "Reads each map and prints every problem as FILE:LINE: MESSAGE, the form compilers and "
        "editors understand: elements without an end line or with a misplaced type line, level "
        "definitions out of order, coordinates on the last level, long labels, bytes the "
        "declared code page lacks, UTF-16 text, mixed line ends, NUL bytes, a bad ID. Changes "
        "nothing; the exit status is 1 when a problem was found.",
    .options =
        {
            {"--report", 0, "FILE", {}, "", "also write the diagnostics as JSON"},
        },
    .output = "nothing beside the maps: the diagnostics on standard output, and the file named "
              "by --report.",
    .examples =
        {
            {"check tiles/*.mp && echo clean", "check every tile; say so when all are clean"},
        },
    .scope = kCliScopeMapReader,
    .run =
        [](const CliArgs& args, const BatchContext& batch) {
          JobHost& host = batch.host;
          std::vector<FileDiagnostics> files;
          BatchReport result = RunBatchJob(batch, args.files, [&](const std::string& path) {
            FileOutcome outcome;
            std::optional<std::vector<Diagnostic>> found = CheckFile(path, host);
            if (!found) {
              outcome.result = FileResult::kFailed;  // its message has been shown
              return outcome;
            }
            // A map with problems makes the run fail, as a compiler's errors do.
            outcome.result = found->empty() ? FileResult::kUnchanged : FileResult::kFailed;
            InFileOrder([&files, &args, path, diagnostics = std::move(*found)] {
              for (const Diagnostic& d : diagnostics) {
                *args.out << FormatDiagnostic(path, d) << '\n';
              }
              args.out->flush();
              files.push_back({path, diagnostics});
            });
            return outcome;
          });
          const std::string report = args.Value("--report", "");
          if (!report.empty() && !WriteJson(report, files)) {
            host.MessageBox(CannotWriteMessage(report));
            result.files.push_back(UnwrittenOutput(report));
          }
          return result;
        },
});

}  // namespace
}  // namespace pomvelt
