#include "translit/label_file.h"

#include <vector>

#include "jobs/batch_job.h"
#include "jobs/file_rewrite.h"
#include "jobs/polish_format.h"
#include "text/page_codec.h"
#include "text/strings.h"
#include "translit/case_normalise.h"

namespace pomvelt {

TransformResult ResultOf(const TranslationCounts& counts) {
  return {
      {{"labelsChanged", "изменено подписей", counts.labelsChanged},
       {"headerLinesRewritten", "переписано строк заголовка", counts.headerLinesRewritten},
       {"labelsNotDecodable", "подписей не в кодовой странице карты", counts.labelsNotDecodable}},
      counts.labelsChanged > 0 || counts.headerLinesRewritten > 0,
      std::nullopt};
}

std::string PageRefusalMessage(const std::string& path, CodePage page) {
  return "Файл " + path + " не переведён: его буквы кодовой страницы " + page.Name() +
         " нельзя объявить кодовой страницей 1251; сначала перекодируйте его в UTF-8 "
         "(pomvelt-cli recode --to 65001)";
}

void WriteTranslatedLabel(LineWriter& out, std::string_view line, bool lowerCase,
                          const LabelPage& page, std::string (*shieldLine)(std::string),
                          std::string (*label)(std::string, const LabelPage&),
                          TranslationCounts& counts, LabelMemo& memo) {
  if (Contains(line, "~[")) {
    const std::string written = shieldLine(std::string(line));
    out.WriteLine(written);
    if (written != line) ++counts.labelsChanged;
    return;
  }
  const std::string_view original = LabelTextOf(line);
  if (!page.CanDecode(original)) {
    out.WriteLine(line);
    ++counts.labelsNotDecodable;
    return;
  }
  const std::string* known = memo.Find(original);
  std::string made;
  if (known == nullptr) {
    made = label(std::string(original), page);
    if (lowerCase) made = NormaliseCase(std::move(made), page);
    memo.Keep(original, made);
  }
  const std::string& text = known != nullptr ? *known : made;
  out.Write(kLabelKey);
  out.WriteLine(text);
  if (!(line.size() == kLabelKey.size() + text.size() && line.starts_with(kLabelKey) &&
        line.substr(kLabelKey.size()) == text)) {
    ++counts.labelsChanged;
  }
}

namespace {

// The names list is code page 1251: a name of another page is converted, "?" standing for
// what 1251 lacks (or its page does not define).
std::string InListPage(const std::string& line, CodePage page) {
  const PageCodec* from = PageCodec::For(page);
  const PageCodec* cp1251 = PageCodec::For(CodePage());
  if (page == CodePage() || from == nullptr || cp1251 == nullptr || IsAscii(line)) return line;
  std::string converted;
  ConvertText(line, *from, *cp1251, converted, '?');
  return converted;
}

}  // namespace

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
  CodePage page;
  FileOutcome outcome = RewriteFile(rewrite, [&](LineReader& in, LineWriter& out) {
    page = PeekMapHeader(in).page;
    const TranslationCounts counts = transform(in, out, options.lowerCase, onNameLine);
    if (counts.refusedPage)
      return RefusedWith(PageRefusalMessage(request.path, *counts.refusedPage));
    return ResultOf(counts);
  });
  if (outcome.Failed()) return outcome;

  if (!nameLines.empty()) {
    for (std::string& line : nameLines) line = InListPage(line, page);
    InFileOrder([namesList, lines = std::move(nameLines), path = request.path] {
      for (const std::string& line : lines) {
        namesList->AddMapName(line);
        namesList->AddFileName(path);
      }
    });
  }
  return outcome;
}

}  // namespace pomvelt
