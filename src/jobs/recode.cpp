#include "jobs/recode.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "jobs/file_rewrite.h"
#include "text/page_codec.h"

namespace pomvelt {

namespace {

// The first byte of 0x80 or above: where a line may need more than copying, in any page.
std::size_t FindHighByte(std::string_view s) {
  std::size_t i = 0;
  for (; i + 8 <= s.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, s.data() + i, 8);
    if ((word & 0x8080808080808080u) != 0) break;
  }
  for (; i < s.size(); ++i) {
    if (static_cast<unsigned char>(s[i]) >= 0x80) return i;
  }
  return std::string_view::npos;
}

std::string LineNumbered(std::size_t lineNo) {
  return "строка " + std::to_string(lineNo);
}

class Recoder {
 public:
  Recoder(const PageCodec& from, const PageCodec& to, const RecodeOptions& options,
          RecodeCounts& counts)
      : from_(from), to_(to), options_(options), counts_(counts) {}

  // Writes one line in the target page; the reason when it cannot be.
  std::optional<std::string> Line(std::string_view line, std::size_t lineNo, LineWriter& out) {
    if (FindHighByte(line) == std::string_view::npos) {
      out.WriteLine(line);
      return std::nullopt;
    }
    converted_.clear();
    std::size_t replaced = 0;
    const std::optional<ConversionStop> stop =
        ConvertText(line, from_, to_, converted_,
                    options_.replaceMissing ? std::optional<char>('?') : std::nullopt, &replaced);
    if (stop) {
      const std::string_view bytes = line.substr(stop->offset, stop->length);
      if (stop->character == PageCodec::kInvalid) {
        return LineNumbered(lineNo) + ": байты " + DescribeBytes(bytes) +
               " не читаются в кодовой странице " + from_.page().Name();
      }
      return LineNumbered(lineNo) + ": символа " + DescribeCharacter(stop->character) +
             " нет в кодовой странице " + to_.page().Name();
    }
    counts_.charactersReplaced += replaced;
    if (converted_ != line) ++counts_.linesChanged;
    out.WriteLine(converted_);
    return std::nullopt;
  }

 private:
  const PageCodec& from_;
  const PageCodec& to_;
  const RecodeOptions& options_;
  RecodeCounts& counts_;
  std::string converted_;
};

}  // namespace

std::optional<std::string> Recode(LineReader& in, LineWriter& out, const RecodeOptions& options,
                                  RecodeCounts& counts) {
  const MapHeaderInfo header = PeekMapHeader(in);
  const PageCodec* from = PageCodec::For(header.page);
  if (from == nullptr) {
    return header.pageReadable ? "кодовая страница " + header.page.Name() + " не поддерживается"
                               : std::string("кодовая страница в заголовке не указана числом");
  }
  const PageCodec* to = PageCodec::For(options.to);
  if (to == nullptr) return "кодовая страница " + options.to.Name() + " не поддерживается";
  if (!header.hasHeader && options.to != CodePage()) {
    return std::string("нет заголовка [IMG ID], в котором указать кодовую страницу");
  }
  Recoder recoder(*from, *to, options, counts);
  const std::string pageValue = options.to.Name();
  std::size_t lineNo = 0;
  std::string_view line;

  // The header, line by line, up to its end: its lines are the ones rewritten or added after.
  if (header.hasHeader) {
    bool inHeader = false;
    bool pageDone = false;
    bool codingDone = false;
    // Every target page needs 8-bit labels: a map that declares no coding gets it declared
    // beside its page.
    auto addCoding = [&] {
      if (header.labelCoding) return;
      out.WriteLine("LblCoding=9");
      ++counts.linesChanged;
    };
    while (in.ReadLine(line)) {
      ++lineNo;
      if (!inHeader) {
        if (auto why = recoder.Line(line, lineNo, out)) return why;
        if (!IsHeaderStart(line)) continue;
        inHeader = true;
        if (!header.hasPageLine) {
          out.WriteLine("CodePage=" + pageValue);
          ++counts.linesChanged;
          addCoding();
        }
        continue;
      }
      if (IsSectionEnd(line)) {
        if (auto why = recoder.Line(line, lineNo, out)) return why;
        break;
      }
      // The key keeps its spelling ("Codepage=" stays so); only the value changes.
      if (!pageDone && HeaderValue(line, "codepage")) {
        pageDone = true;
        const std::string rewritten = std::string(line.substr(0, line.find('=') + 1)) + pageValue;
        if (rewritten != line) ++counts.linesChanged;
        out.WriteLine(rewritten);
        addCoding();
        continue;
      }
      if (!codingDone && HeaderValue(line, "lblcoding")) {
        codingDone = true;
        if (header.labelCoding == 6) {
          out.WriteLine(std::string(line.substr(0, line.find('=') + 1)) + "9");
          ++counts.linesChanged;
          continue;
        }
      }
      if (auto why = recoder.Line(line, lineNo, out)) return why;
    }
  }

  // The rest: runs of lines of ASCII alone are the same in every page and pass as they are.
  for (std::string_view lines; !(lines = in.PeekLines()).empty();) {
    const std::size_t high = FindHighByte(lines);
    const std::size_t at =
        high == std::string_view::npos ? lines.size() : lines.rfind('\n', high) + 1;
    lineNo += static_cast<std::size_t>(std::count(lines.begin(), lines.begin() + at, '\n'));
    out.WriteLines(lines.substr(0, at));
    in.Skip(at);
    if (at < lines.size() && in.ReadLine(line)) {
      if (auto why = recoder.Line(line, ++lineNo, out)) return why;
    }
  }
  while (in.ReadLine(line)) {
    if (auto why = recoder.Line(line, ++lineNo, out)) return why;
  }
  return std::nullopt;
}

std::string RecodeOutputPath(const std::string& path, CodePage to) {
  return MakeOutputPath(path, "_cp" + to.Name() + ".mp");
}

FileOutcome RecodeFile(const std::string& path, const RecodeOptions& options,
                       const BatchContext& batch) {
  RewriteRequest request =
      BatchRequest(batch, path, RecodeOutputPath(path, options.to), options.inPlace);
  request.cannotOpenInputMessage = CannotOpenNamedForReading(path);
  return RewriteFile(request, [&](LineReader& in, LineWriter& out) {
    RecodeCounts counts;
    const std::optional<std::string> why = Recode(in, out, options, counts);
    TransformResult result{
        {{"linesChanged", "изменено строк", static_cast<long long>(counts.linesChanged)},
         {"charactersReplaced", "заменено символов",
          static_cast<long long>(counts.charactersReplaced)}},
        counts.linesChanged > 0,
        std::nullopt};
    if (why) result.refused = "Файл " + path + " не перекодирован: " + *why;
    return result;
  });
}

BatchReport RecodeJob(const RecodeOptions& options, const std::vector<std::string>& files,
                      const BatchContext& batch) {
  return RunBatchJob(
      batch, files, [&](const std::string& path) { return RecodeFile(path, options, batch); },
      OneRewritePerFile());
}

}  // namespace pomvelt
