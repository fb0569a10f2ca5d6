#include "jobs/search_replace.h"

#include <cstring>

#include "jobs/file_rewrite.h"
#include "jobs/map_texts.h"

namespace pomvelt {

JobFileDialogParams SearchReplaceDialogParams() {
  JobFileDialogParams p;
  p.defaultExtension = std::nullopt;
  p.initialFileName = "*.mp";
  p.flags = kOfnAllowMultiSelect | kOfnNoValidate;
  return p;
}

namespace {

// Writes the line with every occurrence replaced; the pieces go straight to the writer, so the
// line is never copied.
void ReplaceInLine(std::string_view line, LineWriter& out, std::string_view find,
                   std::string_view replace, SearchReplaceCounts& counts) {
  std::size_t done = 0;
  for (std::size_t pos = line.find(find); pos != std::string_view::npos;
       pos = line.find(find, done)) {
    out.Write(line.substr(done, pos - done));
    out.Write(replace);
    done = pos + find.size();
    ++counts.occurrencesReplaced;
  }
  // Texts of one length that differ change the line at the first occurrence; other lengths
  // change its length.
  if (done > 0 && find != replace) ++counts.linesChanged;
  out.WriteLine(line.substr(done));
}

}  // namespace

TransformResult ResultOf(const SearchReplaceCounts& counts) {
  return {{{"occurrencesReplaced", "заменено вхождений", counts.occurrencesReplaced},
           {"linesChanged", "изменено строк", counts.linesChanged}},
          counts.linesChanged > 0,
          std::nullopt};
}

SearchReplaceCounts SearchReplace(LineReader& in, LineWriter& out,
                                  const SearchReplaceOptions& options) {
  const std::string_view find = options.find;
  const std::string_view replace = options.replace;
  SearchReplaceCounts counts;
  std::string_view line;
  // A line never holds its own end, so a text with a "\n" in it is never found.
  if (find.empty() || find.find('\n') != std::string_view::npos) {
    for (std::string_view lines; !(lines = in.PeekLines()).empty(); in.Skip(lines.size())) {
      out.WriteLines(lines);
    }
    while (in.ReadLine(line)) out.WriteLine(line);
    return counts;
  }
  // Lines up to the one the text is found in pass through in one piece. A text ending in "\r"
  // may be found across a line's own end: that line then simply gets the exact test below.
  for (std::string_view lines; !(lines = in.PeekLines()).empty();) {
    const std::size_t hit = lines.find(find);
    const std::size_t at =
        hit == std::string_view::npos ? lines.size() : lines.rfind('\n', hit) + 1;
    out.WriteLines(lines.substr(0, at));
    in.Skip(at);
    if (at < lines.size() && in.ReadLine(line)) ReplaceInLine(line, out, find, replace, counts);
  }
  while (in.ReadLine(line)) ReplaceInLine(line, out, find, replace, counts);
  return counts;
}

FileOutcome SearchReplaceInFile(const std::string& path, const SearchReplaceOptions& options,
                                const BatchContext& batch) {
  RewriteRequest request =
      BatchRequest(batch, path, MakeOutputPath(path, "_replaced.mp"), options.inPlace);
  request.cannotOpenInputMessage = CannotOpenNamedForReading(path);
  return RewriteFile(request, [&](LineReader& in, LineWriter& out) {
    SearchReplaceOptions inPage = options;
    if (auto skipped = PutTextsInMapPage(in, path, {&inPage.find, &inPage.replace})) {
      return RefusedWith(std::move(*skipped));
    }
    return ResultOf(SearchReplace(in, out, inPage));
  });
}

BatchReport SearchReplaceJob(const SearchReplaceOptions& options,
                             const std::vector<std::string>& files, const BatchContext& batch) {
  return RunBatchJob(
      batch, files,
      [&](const std::string& path) { return SearchReplaceInFile(path, options, batch); },
      OneRewritePerFile());
}

}  // namespace pomvelt
