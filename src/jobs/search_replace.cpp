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

void SearchReplace(LineReader& in, LineWriter& out, std::string_view find,
                   std::string_view replace) {
  std::string_view line;
  if (find.empty()) {
    while (in.ReadLine(line)) out.WriteLine(line);
    return;
  }
  // Most lines hold no occurrence; the pieces of those that do go straight to the writer, so
  // no line is ever copied.
  const char first = find.front();
  while (in.ReadLine(line)) {
    const void* hit = line.empty() ? nullptr : std::memchr(line.data(), first, line.size());
    if (hit == nullptr) {
      out.WriteLine(line);
      continue;
    }
    std::size_t done = 0;
    std::size_t pos =
        line.find(find, static_cast<std::size_t>(static_cast<const char*>(hit) - line.data()));
    while (pos != std::string_view::npos) {
      out.Write(line.substr(done, pos - done));
      out.Write(replace);
      done = pos + find.size();
      pos = line.find(find, done);
    }
    out.WriteLine(line.substr(done));
  }
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
