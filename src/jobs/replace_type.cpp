#include "jobs/replace_type.h"

#include "jobs/file_rewrite.h"

namespace pomvelt {

void ReplaceType(LineReader& in, LineWriter& out, ElementKind kind, std::string_view fromCode,
                 std::string_view toCode) {
  std::string_view line;
  while (in.ReadLine(line)) {
    out.WriteLine(line);
    if (!IsElementHeader(line, kind)) continue;
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
