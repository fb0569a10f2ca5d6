#include "jobs/delete_elements.h"

#include "jobs/element_scanner.h"
#include "jobs/file_rewrite.h"
#include "jobs/map_texts.h"

namespace pomvelt {

TransformResult ResultOf(const DeleteCounts& counts) {
  return {{{"elementsDeleted", "удалено элементов", counts.elementsDeleted}},
          counts.linesChanged,
          std::nullopt};
}

DeleteCounts DeleteElements(LineReader& in, LineWriter& out, const DeleteElementsOptions& options) {
  const TypeRuleCounts applied = ApplyTypeRules(
      in, out, {TypeRule{TypeRule::Action::kDelete, options.kind, options.typeCode, {}, 0}});
  return {applied.perRule[0], applied.linesChanged};
}

FileOutcome DeleteElementsInFile(const std::string& path, const DeleteElementsOptions& options,
                                 const BatchContext& batch) {
  RewriteRequest request = BatchRequest(
      batch, path, MakeOutputPath(path, "_" + options.typeCode + "_deleted.mp"), options.inPlace);
  return RewriteFile(request, [&](LineReader& in, LineWriter& out) {
    DeleteElementsOptions inPage = options;
    if (auto skipped = PutTextsInMapPage(in, path, {&inPage.typeCode})) {
      return RefusedWith(std::move(*skipped));
    }
    return ResultOf(DeleteElements(in, out, inPage));
  });
}

BatchReport DeleteElementsJob(const DeleteElementsOptions& options,
                              const std::vector<std::string>& files, const BatchContext& batch) {
  return RunBatchJob(
      batch, files,
      [&](const std::string& path) { return DeleteElementsInFile(path, options, batch); },
      OneRewritePerFile());
}

}  // namespace pomvelt
