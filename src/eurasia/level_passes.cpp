#include "eurasia/level_passes.h"

#include <cstdio>
#include <vector>

#include "jobs/batch_job.h"
#include "jobs/delete_layer.h"
#include "jobs/file_rewrite.h"
#include "jobs/polish_format.h"
#include "text/code_page.h"
#include "text/file_io.h"
#include "text/strings.h"

namespace pomvelt {

namespace {

constexpr std::string_view kLevelBlock[] = {
    "Levels=5", "Level0=20", "Level1=18", "Level2=16", "Level3=13", "Level4=12",
    "Zoom0=2",  "Zoom1=3",   "Zoom2=4",   "Zoom3=5",   "Zoom4=6",
};

// Applied in this order, so that a renumbered key is never renumbered twice.
constexpr ReplacementPair kShift[] = {
    {"Data2", "Data0"},     {"Data3", "Data1"},     {"Data4", "Data2"},     {"Data5", "Data3"},
    {"Origin2", "Origin0"}, {"Origin3", "Origin1"}, {"Origin4", "Origin2"}, {"Origin5", "Origin3"},
};

bool IsCoordinateLine(std::string_view line) {
  return Contains(line, "Data") || Contains(line, "Origin");
}

// Marks in `seen` the digit after every occurrence of `key` in the line.
void MarkLevels(std::string_view line, std::string_view key, std::array<bool, 10>& seen) {
  for (std::size_t at = line.find(key); at != std::string_view::npos; at = line.find(key, at + 1)) {
    const std::size_t d = at + key.size();
    if (d < line.size() && line[d] >= '0' && line[d] <= '9') {
      seen[static_cast<std::size_t>(line[d] - '0')] = true;
    }
  }
}

}  // namespace

namespace {

std::string LevelDeletedPath(const std::string& path, int level) {
  return MakeOutputPath(path, "_" + std::to_string(level) + "_layer_deleted.mp");
}

LineTransform DeleteLevel(int level, KeptForm form = KeptForm::kReduced) {
  return [keys = DataOrOriginLevelKeys(level), form](LineReader& in, LineWriter& out) {
    return ResultOf(DeleteLayer(in, out, keys, form));
  };
}

LineTransform Shift(const std::string& path) {
  return
      [path](LineReader& in, LineWriter& out) { return ResultOf(ShiftLevelLines(in, out), path); };
}

// An unnamed temporary file that the system removes when it is closed: where a dry run keeps
// what one pass of a chain hands to the next.
class ScratchFile : public ByteSource, public ByteSink {
 public:
  ScratchFile() : file_(std::tmpfile()) {}
  ~ScratchFile() override {
    if (file_ != nullptr) std::fclose(file_);
  }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  bool Ok() const { return file_ != nullptr && std::ferror(file_) == 0; }
  bool Write(const char* data, std::size_t n) override {
    return file_ != nullptr && std::fwrite(data, 1, n, file_) == n;
  }
  std::ptrdiff_t Read(char* buf, std::size_t n) override {
    const std::size_t got = std::fread(buf, 1, n, file_);
    return got == 0 && std::ferror(file_) != 0 ? -1 : static_cast<std::ptrdiff_t>(got);
  }
  // From writing to reading from the start.
  bool Rewind() {
    return file_ != nullptr && std::fflush(file_) == 0 && std::fseek(file_, 0, SEEK_SET) == 0;
  }

 private:
  std::FILE* file_;
};

// The chain of passes of a dry run, from the map through scratch files into a counter.
FileOutcome DryRunChain(const std::string& path, const std::vector<LineTransform>& passes) {
  FileOutcome outcome;
  outcome.path = path;
  InputFile input;
  if (!input.Open(path)) {
    outcome.Fail(CannotOpenForReading(path), SystemReason(input.Error()));
    return outcome;
  }
  ScratchFile scratch[2];
  ByteSource* source = &input;
  TransformResult all;
  for (std::size_t i = 0; i < passes.size(); ++i) {
    const bool last = i + 1 == passes.size();
    ScratchFile& into = scratch[i % 2];
    if (!last && !into.Rewind()) {
      outcome.Fail(WriteErrorMessage(LevelDeletedPath(path, static_cast<int>(i))));
      return outcome;
    }
    CountingSink counter;
    TransformResult done;
    bool readFailed = false;
    bool writeOk = false;
    {
      LineReader reader(*source);
      LineWriter writer(last ? static_cast<ByteSink&>(counter) : into);
      done = passes[i](reader, writer);
      readFailed = reader.Failed();
      writeOk = writer.Flush();
      if (i == 0) outcome.bytesIn = reader.BytesRead();
      outcome.bytesOut = writer.BytesWritten();
    }
    AddCounts(outcome.counts, done.counts);
    all.linesChanged = all.linesChanged || done.linesChanged;
    if (done.refused) {
      outcome.Fail(*done.refused);
      return outcome;
    }
    if (readFailed) {
      outcome.Fail(
          ReadErrorMessage(i == 0 ? path : LevelDeletedPath(path, static_cast<int>(i) - 1)));
      return outcome;
    }
    if (!writeOk || (!last && !into.Rewind())) {
      outcome.Fail(WriteErrorMessage(LevelDeletedPath(path, static_cast<int>(i))));
      return outcome;
    }
    source = &into;
  }
  outcome.result = ResultOf(all, outcome.bytesIn, outcome.bytesOut);
  return outcome;
}

}  // namespace

FileOutcome DeleteLevelElements(const std::string& path, int level, const BatchContext& batch) {
  return RewriteFile(BatchRequest(batch, path, LevelDeletedPath(path, level), true),
                     DeleteLevel(level));
}

FileOutcome RemoveLevels(const std::string& path, const BatchContext& batch, KeptForm form) {
  std::vector<LineTransform> passes = {DeleteLevel(0, form), DeleteLevel(1, form), Shift(path)};
  if (batch.dryRun) return DryRunChain(path, passes);
  // The passes meet in hidden temporaries; only the last result replaces the map.
  return RewriteFileInPasses(BatchRequest(batch, path, MakeOutputPath(path, "_shifted.mp"), true),
                             passes);
}

TransformResult ResultOf(const ShiftCounts& counts, const std::string& path) {
  TransformResult r{{{"linesRenumbered", "перенумеровано строк", counts.linesRenumbered}},
                    counts.linesChanged,
                    std::nullopt};
  if (!counts.headerEndFound) r.refused = HeaderEndMissingMessage(path);
  return r;
}

ShiftCounts ShiftLevelLines(LineReader& in, LineWriter& out) {
  ShiftCounts counts;
  // The header keeps declaring the page the map's texts are in (code page 1251 when it
  // declared none or one that is no number).
  const MapHeaderInfo header = PeekMapHeader(in);
  const std::string pageLine =
      "CodePage=" + (header.pageReadable ? header.page : CodePage()).Name();
  bool headerEndFound = false;
  std::string headerEnd;
  std::string changed;
  std::string_view line;
  while (in.ReadLine(line)) {
    if (Contains(line, "Levels=")) {
      // The block stays as it was only when the header held exactly the block already.
      bool same = !headerEndFound && line == kLevelBlock[0];
      if (!headerEndFound) {
        std::size_t at = 1;
        std::string_view skipped;
        while (in.ReadLine(skipped)) {
          if (Contains(skipped, "[END-IMG ID]")) {
            headerEnd = skipped;
            headerEndFound = true;
            break;
          }
          same = same && at < std::size(kLevelBlock) && skipped == kLevelBlock[at];
          ++at;
        }
        if (!headerEndFound) {
          counts.headerEndFound = false;
          return counts;
        }
        same = same && at == std::size(kLevelBlock);
      }
      if (!same) counts.linesChanged = true;
      for (std::string_view l : kLevelBlock) out.WriteLine(l);
      out.WriteLine(headerEnd);
    } else if (IsCoordinateLine(line)) {
      changed = line;
      ApplyReplacements(changed, kShift);
      out.WriteLine(changed);
      if (changed != line) ++counts.linesRenumbered;
    } else if (Contains(line, "Preprocess=") || Contains(line, "PreProcess=")) {
      out.WriteLine("Preprocess=N");
      out.WriteLine(pageLine);
      out.WriteLine("LblCoding=9");
      counts.linesChanged = true;
    } else if (!Contains(line, "CodePage=")) {
      out.WriteLine(line);
    } else {
      counts.linesChanged = true;
    }
  }
  if (counts.linesRenumbered > 0) counts.linesChanged = true;
  return counts;
}

std::string HeaderEndMissingMessage(const std::string& path) {
  return "Не найден конец заголовка карты в файле " + path;
}

FileOutcome ShiftLevels(const std::string& path, const BatchContext& batch) {
  return RewriteFile(BatchRequest(batch, path, MakeOutputPath(path, "_shifted.mp"), true),
                     Shift(path));
}

int LevelScan::SourceLevel() const {
  for (std::size_t level = 1; level < empty.size(); ++level) {
    if (!empty[level]) return static_cast<int>(level);
  }
  return -1;
}

LevelScan ScanLevels(LineReader& in) {
  LevelScan scan;
  bool previousHoldsBackground = false;
  std::string_view line;
  while (in.ReadLine(line)) {
    std::array<bool, 10> seen{};
    MarkLevels(line, "Data", seen);
    MarkLevels(line, "Origin", seen);
    for (std::size_t level = 0; level < 8; ++level) {
      if (seen[level] && (level > 1 || !previousHoldsBackground)) scan.empty[level] = false;
    }
    previousHoldsBackground = Contains(line, "Background");
  }
  return scan;
}

FillCounts CopyLevelLines(LineReader& in, LineWriter& out, int k, bool level1Empty) {
  const std::string dataKey = "Data" + std::to_string(k);
  const std::string originKey = "Origin" + std::to_string(k);
  FillCounts counts;
  bool elementFilled = false;  // the current element has got a copy already
  std::string copy;
  std::string_view line;
  while (in.ReadLine(line)) {
    out.WriteLine(line);
    if (line.find('[') != std::string_view::npos && IsAnyElementHeader(line)) {
      elementFilled = false;
    }
    if (!Contains(line, dataKey) && !Contains(line, originKey)) continue;
    if (!elementFilled) ++counts.elementsFilled;
    elementFilled = true;
    copy = line;
    ReplaceAll(copy, dataKey, "Data0");
    ReplaceAll(copy, originKey, "Data0");
    out.WriteLine(copy);
    if (level1Empty) {
      copy = line;
      ReplaceAll(copy, dataKey, "Data1");
      ReplaceAll(copy, originKey, "Origin1");
      out.WriteLine(copy);
    }
  }
  return counts;
}

FileOutcome FillEmptyLevels(const std::string& path, const BatchContext& batch) {
  LevelScan scan;
  int k = -1;
  const auto counts = [](long long from, long long filled) {
    return Counts{{"levelCopiedFrom", "скопирован уровень", from, false},
                  {"elementsFilled", "элементов получили копии координат", filled}};
  };
  RewriteRequest request = BatchRequest(batch, path, MakeOutputPath(path, "_fixed.mp"), true);
  // The scan reads the map under the same lock as the rewrite, so that both see one version.
  request.survey = [&](LineReader& in) {
    scan = ScanLevels(in);
    k = scan.SourceLevel();
    return scan.empty[0] && k >= 0;  // else nothing to fill from, or nothing to fill
  };
  FileOutcome outcome = RewriteFile(request, [&](LineReader& in, LineWriter& out) {
    const FillCounts filled = CopyLevelLines(in, out, k, scan.empty[1]);
    return TransformResult{counts(k, filled.elementsFilled), filled.elementsFilled > 0,
                           std::nullopt};
  });
  if (outcome.result == FileResult::kUnchanged && outcome.counts.empty()) {
    outcome.counts = counts(-1, 0);
  }
  return outcome;
}

}  // namespace pomvelt
