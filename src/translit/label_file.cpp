#include "translit/label_file.h"

#include <vector>

#include "jobs/batch_job.h"
#include "jobs/file_rewrite.h"
#include "jobs/polish_format.h"
#include "text/strings.h"
#include "translit/case_normalise.h"

namespace pomvelt {

void WriteTranslatedLabel(LineWriter& out, std::string_view line, bool lowerCase,
                          std::string (*shieldLine)(std::string),
                          std::string (*label)(std::string)) {
  if (Contains(line, "~[")) {
    out.WriteLine(shieldLine(std::string(line)));
    return;
  }
  std::string text = label(std::string(LabelTextOf(line)));
  if (lowerCase) text = NormaliseCase(std::move(text));
  out.Write(kLabelKey);
  out.WriteLine(text);
}

std::optional<std::string> ConvertLabelFile(const LabelFileRequest& request,
                                            const MainOptions& options, CMapListFile* namesList,
                                            JobHost& host, const LabelTransform& transform) {
  RewriteRequest rewrite;
  rewrite.inputPath = request.path;
  rewrite.outputPath = MakeOutputPath(request.path, request.outputSuffix);
  rewrite.inPlace = options.m_bConvertInPlace != 0;
  rewrite.cannotOpenInputMessage = request.cannotOpenInputMessage;

  // Held back until the file is done, so a map that failed half-way leaves no entry behind.
  std::vector<std::string> nameLines;
  NameLineSink onNameLine;
  if (options.m_bMakeFileList != 0 && namesList != nullptr) {
    onNameLine = [&nameLines](std::string_view line) { nameLines.emplace_back(line); };
  }
  const bool lowerCase = options.m_bLowerCase != 0;
  const bool done = RewriteFile(rewrite, host, [&](LineReader& in, LineWriter& out) {
    transform(in, out, lowerCase, onNameLine);
    return std::optional<std::string>();
  });
  if (!done) return std::nullopt;

  for (const std::string& line : nameLines) {
    namesList->AddMapName(line);
    namesList->AddFileName(request.path);
  }
  return rewrite.inPlace ? rewrite.inputPath : rewrite.outputPath;
}

}  // namespace pomvelt
