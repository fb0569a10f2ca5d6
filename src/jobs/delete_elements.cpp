#include "jobs/delete_elements.h"

#include "jobs/file_rewrite.h"
#include "jobs/map_texts.h"

namespace pomvelt {

namespace {

// The line-by-line rule, from one line on: a header of the kind whose type line is the code
// starts an element that is dropped up to its end line; everything else is written.
void DeleteFromLine(std::string_view line, LineReader& in, LineWriter& out, ElementKind kind,
                    std::string_view typeCode, std::string& header, DeleteCounts& counts) {
  if (!IsElementHeader(line, kind)) {
    out.WriteLine(line);
    return;
  }
  // The line after a header is its type line; the view of the header dies with the next read.
  header.assign(line);
  std::string_view next;
  const bool last = !in.ReadLine(next);
  if (last) next = {};
  if (!IsTypeLine(next, typeCode)) {
    out.WriteLine(header);
    out.WriteLine(next);
    if (last) counts.linesChanged = true;
    return;
  }
  ++counts.elementsDeleted;
  counts.linesChanged = true;
  std::string_view dropped = next;
  while (!BeginsElementEnd(dropped, kind) && in.ReadLine(dropped)) {
  }
}

}  // namespace

TransformResult ResultOf(const DeleteCounts& counts) {
  return {{{"elementsDeleted", "удалено элементов", counts.elementsDeleted}},
          counts.linesChanged,
          std::nullopt};
}

DeleteCounts DeleteElements(LineReader& in, LineWriter& out, const DeleteElementsOptions& options) {
  const ElementKind kind = options.kind;
  const std::string_view typeCode = options.typeCode;
  DeleteCounts counts;
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
        ++counts.elementsDeleted;
      }
    }
    out.WriteLines(lines.substr(done, pos - done));
    in.Skip(pos);
    if (byLine && in.ReadLine(line)) {
      DeleteFromLine(line, in, out, kind, typeCode, header, counts);
    }
  }
  // What the runs cannot hold: a last line without an end.
  if (dropping) {
    while (in.ReadLine(line) && !BeginsElementEnd(line, kind)) {
    }
  }
  while (in.ReadLine(line)) DeleteFromLine(line, in, out, kind, typeCode, header, counts);
  if (counts.elementsDeleted > 0) counts.linesChanged = true;
  return counts;
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
