#include "jobs/delete_elements.h"

#include "jobs/file_rewrite.h"

namespace pomvelt {

namespace {

// The line-by-line rule, from one line on: a header of the kind whose type line is the code
// starts an element that is dropped up to its end line; everything else is written.
void DeleteFromLine(std::string_view line, LineReader& in, LineWriter& out, ElementKind kind,
                    std::string_view typeCode, std::string& header) {
  if (!IsElementHeader(line, kind)) {
    out.WriteLine(line);
    return;
  }
  // The line after a header is its type line; the view of the header dies with the next read.
  header.assign(line);
  std::string_view next;
  if (!in.ReadLine(next)) next = {};
  if (!IsTypeLine(next, typeCode)) {
    out.WriteLine(header);
    out.WriteLine(next);
    return;
  }
  std::string_view dropped = next;
  while (!BeginsElementEnd(dropped, kind) && in.ReadLine(dropped)) {
  }
}

}  // namespace

void DeleteElements(LineReader& in, LineWriter& out, ElementKind kind, std::string_view typeCode) {
  std::string header;
  std::string_view line;
  bool dropping = false;  // inside an element being dropped, up to its end line
  for (std::string_view lines; !(lines = in.PeekLines()).empty();) {
    // Runs of lines pass through as they are: [done, pos) is checked and not yet written.
    std::size_t done = 0;
    std::size_t pos = 0;
    bool byLine = false;  // a header whose type line is not buffered yet
    while (pos < lines.size()) {
      if (dropping) {
        const std::size_t end = pos + FindElementEndLine(lines.substr(pos), kind);
        if (end == lines.size()) {
          done = pos = end;
          break;
        }
        done = pos = lines.find('\n', end) + 1;
        dropping = false;
        continue;
      }
      const HeaderInRun h = FindHeaderWithTypeLine(lines, pos, kind);
      pos = h.head;
      if (h.head == lines.size()) break;
      if (h.type == lines.size()) {
        byLine = true;
        break;
      }
      pos = h.next;
      if (IsTypeLine(WithoutLineEnd(lines.substr(h.type, h.next - h.type)), typeCode)) {
        out.WriteLines(lines.substr(done, h.head - done));
        done = h.next;
        dropping = true;
      }
    }
    out.WriteLines(lines.substr(done, pos - done));
    in.Skip(pos);
    if (byLine && in.ReadLine(line)) DeleteFromLine(line, in, out, kind, typeCode, header);
  }
  // What the runs cannot hold: a last line without an end.
  if (dropping) {
    while (in.ReadLine(line) && !BeginsElementEnd(line, kind)) {
    }
  }
  while (in.ReadLine(line)) DeleteFromLine(line, in, out, kind, typeCode, header);
}

bool DeleteElementsInFile(const std::string& path, const std::string& typeCode,
                          const MainOptions& options, JobHost& host) {
  RewriteRequest request;
  request.inputPath = path;
  request.outputPath = MakeOutputPath(path, "_" + typeCode + "_deleted.mp");
  request.inPlace = options.m_bDeleteInPlace != 0;
  const ElementKind kind = ElementKindFromIndex(options.m_nDeleteKind);
  return RewriteFile(request, host, [&](LineReader& in, LineWriter& out) {
    DeleteElements(in, out, kind, typeCode);
    return std::optional<std::string>();
  });
}

BatchResult DeleteElementsJob(const MainOptions& options, JobHost& host) {
  const std::string typeCode = options.m_strDeleteType;
  return RunBatchJob(host, MapEditDialogParams(), [&](const std::string& path) {
    return DeleteElementsInFile(path, typeCode, options, host);
  });
}

}  // namespace pomvelt
