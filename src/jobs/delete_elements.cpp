#include "jobs/delete_elements.h"

#include "jobs/file_rewrite.h"

namespace pomvelt {

void DeleteElements(LineReader& in, LineWriter& out, ElementKind kind, std::string_view typeCode) {
  std::string_view line;
  while (in.ReadLine(line)) {
    if (!IsElementHeader(line, kind)) {
      out.WriteLine(line);
      continue;
    }
    // The line after a header is its type line; the view of the header dies with the next read.
    const std::string header(line);
    std::string_view next;
    if (!in.ReadLine(next)) next = {};
    if (!IsTypeLine(next, typeCode)) {
      out.WriteLine(header);
      out.WriteLine(next);
      continue;
    }
    std::string_view dropped = next;
    while (!BeginsElementEnd(dropped, kind) && in.ReadLine(dropped)) {
    }
  }
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
