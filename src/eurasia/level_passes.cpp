#include "eurasia/level_passes.h"

#include "jobs/batch_job.h"
#include "jobs/delete_layer.h"
#include "jobs/file_rewrite.h"
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

RewriteRequest Request(const std::string& input, const std::string& output, bool inPlace) {
  RewriteRequest r;
  r.inputPath = input;
  r.outputPath = output;
  r.inPlace = inPlace;
  return r;
}

std::string LevelDeletedPath(const std::string& path, int level) {
  return MakeOutputPath(path, "_" + std::to_string(level) + "_layer_deleted.mp");
}

LineTransform DeleteLevel(int level) {
  return [keys = DataOrOriginLevelKeys(level)](LineReader& in, LineWriter& out) {
    DeleteLayer(in, out, keys);
    return std::optional<std::string>();
  };
}

LineTransform Shift(const std::string& path) {
  return [path](LineReader& in, LineWriter& out) {
    return ShiftLevelLines(in, out) ? std::nullopt
                                    : std::optional<std::string>(HeaderEndMissingMessage(path));
  };
}

}  // namespace

bool DeleteLevelElements(const std::string& path, int level, JobHost& host) {
  return RewriteFile(Request(path, LevelDeletedPath(path, level), true), host, DeleteLevel(level));
}

bool RemoveLevels(const std::string& path, JobHost& host) {
  // The passes meet in hidden temporaries; only the last result replaces the map.
  return RewriteFileInPasses(Request(path, MakeOutputPath(path, "_shifted.mp"), true), host,
                             {DeleteLevel(0), DeleteLevel(1), Shift(path)});
}

bool ShiftLevelLines(LineReader& in, LineWriter& out) {
  bool headerEndFound = false;
  std::string headerEnd;
  std::string changed;
  std::string_view line;
  while (in.ReadLine(line)) {
    if (Contains(line, "Levels=")) {
      if (!headerEndFound) {
        std::string_view skipped;
        while (in.ReadLine(skipped)) {
          if (Contains(skipped, "[END-IMG ID]")) {
            headerEnd = skipped;
            headerEndFound = true;
            break;
          }
        }
        if (!headerEndFound) return false;
      }
      for (std::string_view l : kLevelBlock) out.WriteLine(l);
      out.WriteLine(headerEnd);
    } else if (IsCoordinateLine(line)) {
      changed = line;
      ApplyReplacements(changed, kShift);
      out.WriteLine(changed);
    } else if (Contains(line, "Preprocess=") || Contains(line, "PreProcess=")) {
      out.WriteLine("Preprocess=N");
      out.WriteLine("CodePage=1251");
      out.WriteLine("LblCoding=9");
    } else if (!Contains(line, "CodePage=")) {
      out.WriteLine(line);
    }
  }
  return true;
}

std::string HeaderEndMissingMessage(const std::string& path) {
  return "Не найден конец заголовка карты в файле " + path;
}

bool ShiftLevels(const std::string& path, JobHost& host) {
  return RewriteFile(Request(path, MakeOutputPath(path, "_shifted.mp"), true), host, Shift(path));
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

void CopyLevelLines(LineReader& in, LineWriter& out, int k, bool level1Empty) {
  const std::string dataKey = "Data" + std::to_string(k);
  const std::string originKey = "Origin" + std::to_string(k);
  std::string copy;
  std::string_view line;
  while (in.ReadLine(line)) {
    out.WriteLine(line);
    if (!Contains(line, dataKey) && !Contains(line, originKey)) continue;
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
}

bool FillEmptyLevels(const std::string& path, JobHost& host) {
  LevelScan scan;
  int k = -1;
  RewriteRequest request = Request(path, MakeOutputPath(path, "_fixed.mp"), true);
  // The scan reads the map under the same lock as the rewrite, so that both see one version.
  request.survey = [&](LineReader& in) {
    scan = ScanLevels(in);
    k = scan.SourceLevel();
    return scan.empty[0] && k >= 0;  // else nothing to fill from, or nothing to fill
  };
  return RewriteFile(request, host, [&](LineReader& in, LineWriter& out) {
    CopyLevelLines(in, out, k, scan.empty[1]);
    return std::optional<std::string>();
  });
}

}  // namespace pomvelt
