#include "cli/json_report.h"

#include <cstdio>
#include <ctime>
#include <nlohmann/json.hpp>

namespace pomvelt {

namespace {

using nlohmann::json;

std::string_view EndName(BatchEnd end) {
  switch (end) {
    case BatchEnd::kDone:
      return "done";
    case BatchEnd::kCancelled:
      return "cancelled";
    case BatchEnd::kStopped:
      return "stopped";
    case BatchEnd::kNothingChosen:
      break;
  }
  return "nothing-chosen";
}

json CountsObject(const Counts& counts) {
  json object = json::object();
  for (const Count& c : counts) object[std::string(c.key)] = c.value;
  return object;
}

// A flag's value is a JSON boolean, any other value a string.
json OptionValue(const std::string& value) {
  if (value == "true") return true;
  if (value == "false") return false;
  return value;
}

json CompilerRunObject(const CompilerRecord& r) {
  json run = {{"stage", r.stage},
              {"program", r.program},
              {"started", r.started},
              {"stopped", r.stopped},
              {"output", r.output}};
  run["exitStatus"] = r.started && !r.stopped ? json(r.exitStatus) : json(nullptr);
  if (!r.compiledMap.empty()) {
    run["compiledMap"] = r.compiledMap;
    run["freshName"] = r.freshName;
  }
  return run;
}

}  // namespace

std::string IsoTime(std::chrono::system_clock::time_point time) {
  const auto ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
  const std::time_t seconds = static_cast<std::time_t>(ms / 1000);
  std::tm utc{};
#ifdef _WIN32
  gmtime_s(&utc, &seconds);
#else
  gmtime_r(&seconds, &utc);
#endif
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900,
                utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                static_cast<int>(ms % 1000));
  return text;
}

json ReportJson(const BatchReport& report) {
  json j;
  j["command"] = report.command;
  json options = json::object();
  for (const auto& [name, value] : report.options) options[name] = OptionValue(value);
  j["options"] = options;
  j["dryRun"] = report.dryRun;
  j["started"] = IsoTime(report.started);
  j["finished"] = IsoTime(report.finished);
  j["end"] = EndName(report.end);
  j["endMessage"] = report.endMessage;
  json files = json::array();
  for (const FileOutcome& f : report.files) {
    json file;
    file["path"] = f.path;
    file["outcome"] = FileResultName(f.result);
    file["counts"] = CountsObject(f.counts);
    file["bytesIn"] = f.bytesIn;
    file["bytesOut"] = f.bytesOut;
    file["output"] = f.output;
    file["message"] = f.messages.empty() ? std::string() : f.messages.front();
    file["messages"] = f.messages;
    file["reason"] = f.reason;
    if (!f.compilerRuns.empty()) {
      json runs = json::array();
      for (const CompilerRecord& r : f.compilerRuns) runs.push_back(CompilerRunObject(r));
      file["compilerRuns"] = std::move(runs);
    }
    files.push_back(std::move(file));
  }
  j["files"] = std::move(files);
  const BatchTotals t = report.Totals();
  json totals;
  totals["files"] = t.files;
  totals["changed"] = t.changed;
  totals["unchanged"] = t.unchanged;
  totals["failed"] = t.failed;
  totals["notStarted"] = t.notStarted;
  totals["bytesIn"] = t.bytesIn;
  totals["bytesOut"] = t.bytesOut;
  totals["counts"] = CountsObject(t.counts);
  j["totals"] = std::move(totals);
  json undo = json::array();
  for (const UndoFacts& u : report.undo) {
    undo.push_back({{"folder", u.folder}, {"bytesKept", u.bytesKept}, {"copied", u.copied}});
  }
  j["undo"] = std::move(undo);
  return j;
}

}  // namespace pomvelt
