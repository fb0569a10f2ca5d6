#include <fstream>
#include <ostream>

#include "cli/cli.h"
#include "cli/json_file.h"
#include "cli/table_output.h"
#include "examine/map_stats.h"
#include "os/path.h"
#include "text/strings.h"

namespace pomvelt {
namespace {

enum class StatsBy { kType, kLevel, kKind };

struct FileStats {
  std::string path;
  MapStats stats;
};

std::string Text(const std::optional<std::string>& value, const MapStats& s) {
  return value ? MapTextToUtf8(*value, s.codePage.value_or("")) : "";
}

std::string N(std::uint64_t n) {
  return std::to_string(n);
}

// The rows of the breakdown the user asked for, as (key cells, count).
std::vector<std::pair<std::vector<std::string>, std::uint64_t>> Breakdown(const MapStats& s,
                                                                          StatsBy by) {
  std::vector<std::pair<std::vector<std::string>, std::uint64_t>> rows;
  switch (by) {
    case StatsBy::kType:
      for (const TypeCount& t : s.types) {
        rows.push_back({{ElementKindName(t.kind), Text(t.type, s)}, t.count});
      }
      break;
    case StatsBy::kLevel:
      for (const auto& [level, count] : s.levels) rows.push_back({{std::to_string(level)}, count});
      break;
    case StatsBy::kKind:
      for (ElementKind k : {ElementKind::kPolygon, ElementKind::kLine, ElementKind::kPoint}) {
        rows.push_back({{ElementKindName(k)}, s.elements[static_cast<std::size_t>(k)]});
      }
      break;
  }
  return rows;
}

std::vector<std::string> BreakdownHeader(StatsBy by) {
  switch (by) {
    case StatsBy::kType:
      return {"kind", "type"};
    case StatsBy::kLevel:
      return {"level"};
    case StatsBy::kKind:
      break;
  }
  return {"kind"};
}

void PrintTables(std::ostream& os, const std::vector<FileStats>& files, const MapStats& total,
                 StatsBy by) {
  AlignedTable summary({"file", "ID", "name", "code page", "levels", "polygons", "polylines",
                        "points", "labels", "lines", "bytes"},
                       {false, false, false, false, false, true, true, true, true, true, true});
  auto counts = [](const MapStats& s) {
    return std::vector<std::string>{N(s.elements[0]), N(s.elements[1]), N(s.elements[2]),
                                    N(s.labels),      N(s.lines),       N(s.bytes)};
  };
  for (const FileStats& f : files) {
    const MapStats& s = f.stats;
    std::vector<std::string> row = {std::string(FileNamePart(f.path)), Text(s.id, s),
                                    Text(s.name, s), Text(s.codePage, s), Text(s.levelCount, s)};
    for (std::string& c : counts(s)) row.push_back(std::move(c));
    summary.AddRow(std::move(row));
  }
  std::vector<std::string> totalRow = {"total", "", "", "", ""};
  for (std::string& c : counts(total)) totalRow.push_back(std::move(c));
  summary.AddRow(std::move(totalRow));
  summary.Print(os);
  os << '\n';

  std::vector<std::string> header = {"file"};
  for (std::string& h : BreakdownHeader(by)) header.push_back(std::move(h));
  header.push_back("elements");
  std::vector<bool> right(header.size(), false);
  right.back() = true;
  AlignedTable breakdown(header, right);
  auto addRows = [&](const std::string& name, const MapStats& s) {
    for (auto& [keys, count] : Breakdown(s, by)) {
      std::vector<std::string> row = {name};
      for (std::string& k : keys) row.push_back(std::move(k));
      row.push_back(N(count));
      breakdown.AddRow(std::move(row));
    }
  };
  for (const FileStats& f : files) addRows(std::string(FileNamePart(f.path)), f.stats);
  addRows("total", total);
  breakdown.Print(os);
}

bool WriteCsv(const std::string& path, const std::vector<FileStats>& files, StatsBy by) {
  std::ofstream csv(PathOf(path), std::ios::binary | std::ios::trunc);
  std::vector<std::string> header = {"file", "id", "name"};
  for (std::string& h : BreakdownHeader(by)) header.push_back(std::move(h));
  header.push_back("elements");
  csv << CsvRecord(header);
  for (const FileStats& f : files) {
    for (auto& [keys, count] : Breakdown(f.stats, by)) {
      std::vector<std::string> row = {f.path, Text(f.stats.id, f.stats),
                                      Text(f.stats.name, f.stats)};
      for (std::string& k : keys) row.push_back(std::move(k));
      row.push_back(N(count));
      csv << CsvRecord(row);
    }
  }
  csv.close();
  return !csv.fail();
}

nlohmann::json CountsJson(const MapStats& s) {
  nlohmann::json j;
  j["lines"] = s.lines;
  j["bytes"] = s.bytes;
  j["labels"] = s.labels;
  j["elements"] = {{"polygon", s.elements[0]},
                   {"line", s.elements[1]},
                   {"point", s.elements[2]},
                   {"total", s.ElementCount()}};
  j["types"] = nlohmann::json::array();
  for (const TypeCount& t : s.types) {
    j["types"].push_back(
        {{"kind", ElementKindName(t.kind)}, {"type", Text(t.type, s)}, {"elements", t.count}});
  }
  j["levels"] = nlohmann::json::array();
  for (const auto& [level, count] : s.levels) {
    j["levels"].push_back({{"level", level}, {"elements", count}});
  }
  return j;
}

bool WriteJson(const std::string& path, const std::vector<FileStats>& files,
               const MapStats& total) {
  nlohmann::json report;
  report["command"] = "stats";
  report["files"] = nlohmann::json::array();
  for (const FileStats& f : files) {
    nlohmann::json j = CountsJson(f.stats);
    j["path"] = f.path;
    auto optional = [&](const std::optional<std::string>& v) {
      return v ? nlohmann::json(Text(v, f.stats)) : nlohmann::json();
    };
    j["id"] = optional(f.stats.id);
    j["name"] = optional(f.stats.name);
    j["codePage"] = optional(f.stats.codePage);
    j["levelCount"] = optional(f.stats.levelCount);
    report["files"].push_back(std::move(j));
  }
  report["total"] = CountsJson(total);
  return WriteJsonFile(path, report);
}

const bool kRegistered = RegisterCliCommand({
    .order = 70,
    .name = "stats",
    .summary = "count what maps hold: elements by kind, type and level, labels, lines, bytes",
    .description =
        "Reads each map once and prints two aligned tables: one row per map (the header's ID, "
        "name, code page and levels, then polygons, polylines, points, labels, lines and "
        "bytes) with a total row, and a breakdown per map and in total. Changes nothing.",
    .options =
        {
            {"--by",
             0,
             "GROUP",
             {"type", "level", "kind"},
             "type",
             "the breakdown: by kind and type code, by level (elements with coordinates on it) "
             "or by kind"},
            {"--csv", 0, "FILE", {}, "", "also write the breakdown as CSV for a spreadsheet"},
            {"--report", 0, "FILE", {}, "", "also write everything as JSON"},
        },
    .output = "nothing beside the maps: the tables on standard output, and the files named by "
              "--csv and --report.",
    .examples =
        {
            {"stats --by level --csv levels.csv tiles/*.mp",
             "elements per level of every tile, also as a spreadsheet"},
        },
    .scope = kCliScopeMapReader,
    .run =
        [](const CliArgs& args, const BatchContext& batch) {
          JobHost& host = batch.host;
          const auto by =
              static_cast<StatsBy>(CliChoice(args, "--by", {"type", "level", "kind"}, 0));
          std::vector<FileStats> files;
          BatchReport result = RunBatchJob(batch, args.files, [&](const std::string& path) {
            FileOutcome outcome;
            std::optional<MapStats> stats = StatsOfFile(path, host);
            // A map that could not be read has had its message shown.
            outcome.result = stats ? FileResult::kUnchanged : FileResult::kFailed;
            if (stats) {
              InFileOrder([&files, path, s = std::move(*stats)] { files.push_back({path, s}); });
            }
            return outcome;
          });
          MapStats total;
          for (const FileStats& f : files) total.Add(f.stats);
          PrintTables(*args.out, files, total, by);
          const std::string csv = args.Value("--csv", "");
          if (!csv.empty() && !WriteCsv(csv, files, by)) {
            host.MessageBox(CannotWriteMessage(csv));
            result.files.push_back(UnwrittenOutput(csv));
          }
          const std::string report = args.Value("--report", "");
          if (!report.empty() && !WriteJson(report, files, total)) {
            host.MessageBox(CannotWriteMessage(report));
            result.files.push_back(UnwrittenOutput(report));
          }
          return result;
        },
});

}  // namespace
}  // namespace pomvelt
