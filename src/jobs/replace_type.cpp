#include "jobs/replace_type.h"

#include "jobs/file_rewrite.h"
#include "jobs/map_texts.h"

namespace pomvelt {

namespace {

// The line-by-line rule, from one line on: the type line after a header of the kind gets the
// new code when it holds the old one; every other line is written unchanged.
void ReplaceFromLine(std::string_view line, LineReader& in, LineWriter& out, ElementKind kind,
                     std::string_view fromCode, std::string_view toCode,
                     ReplaceTypeCounts& counts) {
  out.WriteLine(line);
  if (!IsElementHeader(line, kind)) return;
  // The header is already written, so the view may die with the next read.
  std::string_view next;
  if (!in.ReadLine(next)) {
    next = {};
    counts.linesChanged = true;  // the empty line written for the missing type line
  }
  if (IsTypeLine(next, fromCode)) {
    out.Write(kTypeKey);
    out.WriteLine(toCode);
    ++counts.typeLinesReplaced;
  } else {
    out.WriteLine(next);
  }
}

}  // namespace

TransformResult ResultOf(const ReplaceTypeCounts& counts) {
  return {{{"typeLinesReplaced", "заменено строк типа", counts.typeLinesReplaced}},
          counts.linesChanged,
          std::nullopt};
}

ReplaceTypeCounts ReplaceType(LineReader& in, LineWriter& out, const ReplaceTypeOptions& options) {
  const ElementKind kind = options.kind;
  const std::string_view fromCode = options.fromCode;
  const std::string_view toCode = options.toCode;
  ReplaceTypeCounts counts;
  std::string_view line;
  for (std::string_view lines; !(lines = in.PeekLines()).empty();) {
    // Runs of lines pass through as they are: [done, pos) is checked and not yet written.
    std::size_t done = 0;
    std::size_t pos = 0;
    bool byLine = false;  // a header whose type line is not buffered yet
    while (pos < lines.size()) {
      const HeaderInRun h = FindHeaderWithTypeLine(lines, pos, kind);
      pos = h.head;
      if (h.head == lines.size()) break;
      if (h.type == lines.size()) {
        byLine = true;
        break;
      }
      pos = h.next;
      if (IsTypeLine(WithoutLineEnd(lines.substr(h.type, h.next - h.type)), fromCode)) {
        out.WriteLines(lines.substr(done, h.type - done));
        out.Write(kTypeKey);
        out.WriteLine(toCode);
        done = h.next;
        ++counts.typeLinesReplaced;
      }
    }
    out.WriteLines(lines.substr(done, pos - done));
    in.Skip(pos);
    if (byLine && in.ReadLine(line)) {
      ReplaceFromLine(line, in, out, kind, fromCode, toCode, counts);
    }
  }
  // What the runs cannot hold: a last line without an end.
  while (in.ReadLine(line)) ReplaceFromLine(line, in, out, kind, fromCode, toCode, counts);
  // A code replaced by itself leaves the line as it was.
  if (counts.typeLinesReplaced > 0 && fromCode != toCode) counts.linesChanged = true;
  return counts;
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
