#include "jobs/search_replace.h"

#include <cstring>

#include "jobs/file_rewrite.h"

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
                   std::string_view replace) {
  std::size_t done = 0;
  for (std::size_t pos = line.find(find); pos != std::string_view::npos;
       pos = line.find(find, done)) {
    out.Write(line.substr(done, pos - done));
    out.Write(replace);
    done = pos + find.size();
  }
  out.WriteLine(line.substr(done));
}

}  // namespace

void SearchReplace(LineReader& in, LineWriter& out, std::string_view find,
                   std::string_view replace) {
  std::string_view line;
  // A line never holds its own end, so a text with a "\n" in it is never found.
  if (find.empty() || find.find('\n') != std::string_view::npos) {
    for (std::string_view lines; !(lines = in.PeekLines()).empty(); in.Skip(lines.size())) {
      out.WriteLines(lines);
    }
    while (in.ReadLine(line)) out.WriteLine(line);
    return;
  }
  // Lines up to the one the text is found in pass through in one piece. A text ending in "\r"
  // may be found across a line's own end: that line then simply gets the exact test below.
  for (std::string_view lines; !(lines = in.PeekLines()).empty();) {
    const std::size_t hit = lines.find(find);
    const std::size_t at =
        hit == std::string_view::npos ? lines.size() : lines.rfind('\n', hit) + 1;
    out.WriteLines(lines.substr(0, at));
    in.Skip(at);
    if (at < lines.size() && in.ReadLine(line)) ReplaceInLine(line, out, find, replace);
  }
  while (in.ReadLine(line)) ReplaceInLine(line, out, find, replace);
}

bool SearchReplaceInFile(const std::string& path, const SearchReplaceOptions& options,
                         JobHost& host, bool inPlace) {
  RewriteRequest request;
  request.inputPath = path;
  request.outputPath = MakeOutputPath(path, "_replaced.mp");
  request.inPlace = inPlace;
  request.cannotOpenInputMessage = CannotOpenNamedForReading(path);
  return RewriteFile(request, host, [&](LineReader& in, LineWriter& out) {
    SearchReplace(in, out, options.m_strFind, options.m_strReplace);
    return std::optional<std::string>();
  });
}

BatchResult SearchReplaceJob(const SearchReplaceOptions& options, JobHost& host, bool inPlace) {
  return RunBatchJob(host, SearchReplaceDialogParams(), [&](const std::string& path) {
    return SearchReplaceInFile(path, options, host, inPlace);
  });
}

}  // namespace pomvelt
