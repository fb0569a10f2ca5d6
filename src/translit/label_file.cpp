#include "translit/label_file.h"

#include <vector>

#include "jobs/batch_job.h"
#include "jobs/file_rewrite.h"
#include "jobs/polish_format.h"
#include "text/strings.h"
#include "translit/case_normalise.h"

namespace pomvelt {

TransformResult ResultOf(const TranslationCounts& counts) {
  return {{{"labelsChanged", "изменено подписей", counts.labelsChanged},
           {"headerLinesRewritten", "переписано строк заголовка", counts.headerLinesRewritten}},
          counts.labelsChanged > 0 || counts.headerLinesRewritten > 0,
          std::nullopt};
}

bool WriteTranslatedLabel(LineWriter& out, std::string_view line, bool lowerCase,
                          std::string (*shieldLine)(std::string),
                          std::string (*label)(std::string)) {
  if (Contains(line, "~[")) {
    const std::string written = shieldLine(std::string(line));
    out.WriteLine(written);
    return written != line;
  }
  std::string text = label(std::string(LabelTextOf(line)));
  if (lowerCase) text = NormaliseCase(std::move(text));
  out.Write(kLabelKey);
  out.WriteLine(text);
  return !(line.size() == kLabelKey.size() + text.size() && line.starts_with(kLabelKey) &&
           line.substr(kLabelKey.size()) == text);
}

FileOutcome ConvertLabelFile(const LabelFileRequest& request, const TranslationOptions& options,
                             CMapListFile* namesList, const BatchContext& batch,
                             const LabelTransform& transform) {
  RewriteRequest rewrite = BatchRequest(
      batch, request.path, MakeOutputPath(request.path, request.outputSuffix), options.inPlace);
  rewrite.cannotOpenInputMessage = request.cannotOpenInputMessage;
  if (batch.dryRun) namesList = nullptr;

  // Held back until the file is done, so a map that failed half-way leaves no entry behind.
  std::vector<std::string> nameLines;
  NameLineSink onNameLine;
  if (namesList != nullptr) {
    onNameLine = [&nameLines](std::string_view line) { nameLines.emplace_back(line); };
  }
  FileOutcome outcome = RewriteFile(rewrite, [&](LineReader& in, LineWriter& out) {
    return ResultOf(transform(in, out, options.lowerCase, onNameLine));
  });
  if (outcome.Failed()) return outcome;

  for (const std::string& line : nameLines) {
    namesList->AddMapName(line);
    namesList->AddFileName(request.path);
  }
  return outcome;
}

}  // namespace pomvelt
