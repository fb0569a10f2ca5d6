#include "jobs/replace_type.h"

#include "jobs/file_rewrite.h"

namespace pomvelt {

namespace {

// The line-by-line rule, from one line on: the type line after a header of the kind gets the
// new code when it holds the old one; every other line is written unchanged.
void ReplaceFromLine(std::string_view line, LineReader& in, LineWriter& out, ElementKind kind,
                     std::string_view fromCode, std::string_view toCode) {
  out.WriteLine(line);
  if (!IsElementHeader(line, kind)) return;
  // The header is already written, so the view may die with the next read.
  std::string_view next;
  if (!in.ReadLine(next)) next = {};
  if (IsTypeLine(next, fromCode)) {
    out.Write(kTypeKey);
    out.WriteLine(toCode);
  } else {
    out.WriteLine(next);
  }
}

}  // namespace

void ReplaceType(LineReader& in, LineWriter& out, ElementKind kind, std::string_view fromCode,
                 std::string_view toCode) {
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
      }
    }
    out.WriteLines(lines.substr(done, pos - done));
    in.Skip(pos);
    if (byLine && in.ReadLine(line)) ReplaceFromLine(line, in, out, kind, fromCode, toCode);
  }
  // What the runs cannot hold: a last line without an end.
  while (in.ReadLine(line)) ReplaceFromLine(line, in, out, kind, fromCode, toCode);
}

bool ReplaceTypeInFile(const std::string& path, const std::string& fromCode,
                       const std::string& toCode, const MainOptions& options, JobHost& host) {
  RewriteRequest request;
  request.inputPath = path;
  request.outputPath = MakeOutputPath(path, "_" + fromCode + "_replaced.mp");
  request.inPlace = options.m_bReplaceInPlace != 0;
  const ElementKind kind = ElementKindFromIndex(options.m_nReplaceKind);
  return RewriteFile(request, host, [&](LineReader& in, LineWriter& out) {
    ReplaceType(in, out, kind, fromCode, toCode);
    return std::optional<std::string>();
  });
}

BatchResult ReplaceTypeJob(const MainOptions& options, JobHost& host) {
  const std::string fromCode = options.m_strReplaceFrom;
  const std::string toCode = options.m_strReplaceTo;
  return RunBatchJob(host, MapEditDialogParams(), [&](const std::string& path) {
    return ReplaceTypeInFile(path, fromCode, toCode, options, host);
  });
}

}  // namespace pomvelt
