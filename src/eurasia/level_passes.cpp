#include "eurasia/level_passes.h"

#include <cstdio>
#include <vector>

#include "jobs/batch_job.h"
#include "jobs/delete_layer.h"
#include "jobs/element_scanner.h"
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

namespace {

// The level shift, as a machine fed the lines that hold its keys.
class LevelShift {
 public:
  enum Key : unsigned {
    kLevels = 1u << 0,
    kCoordinates = 1u << 1,  // "Data" or "Origin"
    kShifted = 1u << 2,      // a key the shift renumbers
    kPreprocess = 1u << 3,
    kPageLine = 1u << 4,
    kHeaderEnd = 1u << 5,
  };

  static std::vector<LineKey> Keys() {
    std::vector<LineKey> keys = {{"Levels=", kLevels},         {"Data", kCoordinates},
                                 {"Origin", kCoordinates},     {"Preprocess=", kPreprocess},
                                 {"PreProcess=", kPreprocess}, {"CodePage=", kPageLine},
                                 {"[END-IMG ID]", kHeaderEnd}};
    for (const ReplacementPair& p : kShift) keys.push_back({std::string(p.from), kShifted});
    return keys;
  }

  explicit LevelShift(std::string pageLine) : pageLine_(std::move(pageLine)) {}

  // Inside the header's level definitions every line goes, up to the header's end.
  unsigned Wanted() const {
    return inBlock_ ? kHeaderEnd : kLevels | kCoordinates | kShifted | kPreprocess | kPageLine;
  }
  Untouched Others() const { return inBlock_ ? Untouched::kTaken : Untouched::kCopied; }

  void Take(std::string_view line, unsigned keys, std::uint64_t, ScanOutput& out) {
    if (inBlock_) {
      if ((keys & kHeaderEnd) != 0) {
        inBlock_ = false;
        headerEnd_ = line;
        headerEndFound_ = true;
        WriteBlock(same_ && at_ == std::size(kLevelBlock), out);
      } else {
        same_ = same_ && at_ < std::size(kLevelBlock) && line == kLevelBlock[at_];
        ++at_;
      }
    } else if ((keys & kLevels) != 0) {
      // The block stays as it was only when the header held exactly the block already.
      same_ = !headerEndFound_ && line == kLevelBlock[0];
      inBlock_ = !headerEndFound_;
      at_ = 1;
      if (headerEndFound_) WriteBlock(false, out);
    } else if ((keys & kCoordinates) != 0) {
      if ((keys & kShifted) == 0) return out.Line(line);
      changed_ = line;
      ApplyReplacements(changed_, kShift);
      out.NewLine(changed_);
      if (changed_ != line) ++counts_.linesRenumbered;
    } else if ((keys & kPreprocess) != 0) {
      out.NewLine("Preprocess=N");
      out.NewLine(pageLine_);
      out.NewLine("LblCoding=9");
      counts_.linesChanged = true;
    } else if ((keys & kPageLine) != 0) {
      counts_.linesChanged = true;  // another "CodePage=" line goes
    } else {
      out.Line(line);
    }
  }

  void Keep() {}

  // A "Levels=" line not followed by the header's end: the map body would be lost.
  void Close(std::uint64_t, ScanOutput&) {
    if (inBlock_) counts_.headerEndFound = false;
    if (counts_.linesRenumbered > 0) counts_.linesChanged = true;
  }

  const ShiftCounts& counts() const { return counts_; }

 private:
  void WriteBlock(bool same, ScanOutput& out) {
    if (!same) counts_.linesChanged = true;
    for (std::string_view l : kLevelBlock) out.NewLine(l);
    out.NewLine(headerEnd_);
  }

  std::string pageLine_;
  bool inBlock_ = false;
  bool headerEndFound_ = false;
  bool same_ = false;
  std::size_t at_ = 0;  // the place in the level block of the next line inside it
  std::string headerEnd_;
  std::string changed_;
  ShiftCounts counts_;
};

}  // namespace

ShiftCounts ShiftLevelLines(LineReader& in, LineWriter& out) {
  // The header keeps declaring the page the map's texts are in (code page 1251 when it
  // declared none or one that is no number).
  const MapHeaderInfo header = PeekMapHeader(in);
  LevelShift shift("CodePage=" + (header.pageReadable ? header.page : CodePage()).Name());
  KeyScanner::Scan(in, out, LevelShift::Keys(), shift);
  return shift.counts();
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

namespace {

// Which levels hold elements, as a machine fed the lines that hold level keys.
class LevelSurvey {
 public:
  enum Key : unsigned { kData = 1u << 0, kOrigin = 1u << 1, kBackground = 1u << 2 };
  static std::vector<LineKey> Keys() {
    return {{"Data", kData}, {"Origin", kOrigin}, {"Background", kBackground}};
  }

  unsigned Wanted() const { return kData | kOrigin | kBackground; }
  Untouched Others() const { return Untouched::kDropped; }

  void Take(std::string_view line, unsigned keys, std::uint64_t number, ScanOutput&) {
    std::array<bool, 10> seen{};
    if ((keys & kData) != 0) MarkLevels(line, "Data", seen);
    if ((keys & kOrigin) != 0) MarkLevels(line, "Origin", seen);
    for (std::size_t level = 0; level < 8; ++level) {
      if (seen[level] && (level > 1 || number != afterBackground_)) scan.empty[level] = false;
    }
    if ((keys & kBackground) != 0) afterBackground_ = number + 1;
  }
  void Keep() {}
  void Close(std::uint64_t, ScanOutput&) {}

  LevelScan scan;

 private:
  std::uint64_t afterBackground_ = 0;  // the line right after one holding "Background"
};

// The level fill, as a machine fed the headers and the lines of the source level.
class LevelFill {
 public:
  enum Key : unsigned { kHeader = 1u << 0, kData = 1u << 1, kOrigin = 1u << 2 };

  LevelFill(int k, bool level1Empty)
      : dataKey_("Data" + std::to_string(k)),
        originKey_("Origin" + std::to_string(k)),
        level1Empty_(level1Empty) {}

  std::vector<LineKey> Keys() const {
    std::vector<LineKey> keys = {{dataKey_, kData}, {originKey_, kOrigin}};
    for (std::string_view m : kHeaderMarkers) keys.push_back({std::string(m), kHeader});
    return keys;
  }

  unsigned Wanted() const { return kHeader | kData | kOrigin; }
  Untouched Others() const { return Untouched::kCopied; }

  void Take(std::string_view line, unsigned keys, std::uint64_t, ScanOutput& out) {
    out.Line(line);
    if ((keys & kHeader) != 0) elementFilled_ = false;  // the current element has no copy yet
    if ((keys & (kData | kOrigin)) == 0) return;
    if (!elementFilled_) ++counts.elementsFilled;
    elementFilled_ = true;
    Copy(line, "Data0", "Data0", out);
    if (level1Empty_) Copy(line, "Data1", "Origin1", out);
  }
  void Keep() {}
  void Close(std::uint64_t, ScanOutput&) {}

  FillCounts counts;

 private:
  void Copy(std::string_view line, std::string_view data, std::string_view origin,
            ScanOutput& out) {
    copy_ = line;
    ReplaceAll(copy_, dataKey_, data);
    ReplaceAll(copy_, originKey_, origin);
    out.NewLine(copy_);
  }

  std::string dataKey_, originKey_;
  bool level1Empty_;
  bool elementFilled_ = false;
  std::string copy_;
};

}  // namespace

LevelScan ScanLevels(LineReader& in) {
  CountingSink nowhere;
  LineWriter none(nowhere, 64);
  LevelSurvey survey;
  KeyScanner::Scan(in, none, LevelSurvey::Keys(), survey);
  return survey.scan;
}

FillCounts CopyLevelLines(LineReader& in, LineWriter& out, int k, bool level1Empty) {
  LevelFill fill(k, level1Empty);
  KeyScanner::Scan(in, out, fill.Keys(), fill);
  return fill.counts;
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
