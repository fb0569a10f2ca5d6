#include "jobs/replace_type.h"

#include "jobs/element_scanner.h"
#include "jobs/file_rewrite.h"
#include "jobs/map_texts.h"

namespace pomvelt {

TransformResult ResultOf(const ReplaceTypeCounts& counts) {
  return {{{"typeLinesReplaced", "заменено строк типа", counts.typeLinesReplaced}},
          counts.linesChanged,
          std::nullopt};
}

ReplaceTypeCounts ReplaceType(LineReader& in, LineWriter& out, const ReplaceTypeOptions& options) {
  const TypeRuleCounts applied = ApplyTypeRules(
      in, out,
      {TypeRule{TypeRule::Action::kReplace, options.kind, options.fromCode, options.toCode, 0}});
  return {applied.perRule[0], applied.linesChanged};
}

FileOutcome ReplaceTypeInFile(const std::string& path, const ReplaceTypeOptions& options,
                              const BatchContext& batch) {
  RewriteRequest request = BatchRequest(
      batch, path, MakeOutputPath(path, "_" + options.fromCode + "_replaced.mp"), options.inPlace);
  return RewriteFile(request, [&](LineReader& in, LineWriter& out) {
    ReplaceTypeOptions inPage = options;
    if (auto skipped = PutTextsInMapPage(in, path, {&inPage.fromCode, &inPage.toCode})) {
      return RefusedWith(std::move(*skipped));
    }
    return ResultOf(ReplaceType(in, out, inPage));
  });
}

BatchReport ReplaceTypeJob(const ReplaceTypeOptions& options, const std::vector<std::string>& files,
                           const BatchContext& batch) {
  return RunBatchJob(
      batch, files,
      [&](const std::string& path) { return ReplaceTypeInFile(path, options, batch); },
      OneRewritePerFile());
}

}  // namespace pomvelt
