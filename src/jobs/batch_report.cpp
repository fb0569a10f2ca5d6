#include "jobs/batch_report.h"

#include <algorithm>

namespace pomvelt {

void AddCounts(Counts& into, const Counts& more) {
  for (const Count& c : more) {
    const auto same = std::find_if(into.begin(), into.end(),
                                   [&](const Count& have) { return have.key == c.key; });
    if (same == into.end()) {
      into.push_back(c);
    } else {
      same->value += c.value;
    }
  }
}

std::string_view FileResultName(FileResult result) {
  switch (result) {
    case FileResult::kChanged:
      return "changed";
    case FileResult::kUnchanged:
      return "unchanged";
    case FileResult::kFailed:
      return "failed";
    case FileResult::kNotStarted:
      break;
  }
  return "not-started";
}

void FileOutcome::Fail(std::string message, std::string why) {
  result = FileResult::kFailed;
  output.clear();
  if (!why.empty()) message += ": " + why;
  if (reason.empty()) reason = std::move(why);
  messages.push_back(std::move(message));
}

void FileOutcome::Then(FileOutcome&& later) {
  if (result == FileResult::kNotStarted) {
    bytesIn = later.bytesIn;
    result = later.result;
  } else if (later.result == FileResult::kFailed) {
    result = FileResult::kFailed;
  } else if (later.result == FileResult::kChanged && result != FileResult::kFailed) {
    result = FileResult::kChanged;
  }
  if (later.result != FileResult::kNotStarted) {
    bytesOut = later.bytesOut;
    output = std::move(later.output);
  }
  if (result == FileResult::kFailed) output.clear();
  AddCounts(counts, later.counts);
  if (reason.empty()) reason = std::move(later.reason);
  if (later.shown > 0 && shown == messages.size()) shown += later.shown;
  for (std::string& m : later.messages) messages.push_back(std::move(m));
  for (CompilerRecord& r : later.compilerRuns) compilerRuns.push_back(std::move(r));
}

BatchTotals BatchReport::Totals() const {
  BatchTotals t;
  for (const FileOutcome& f : files) {
    ++t.files;
    switch (f.result) {
      case FileResult::kChanged:
        ++t.changed;
        break;
      case FileResult::kUnchanged:
        ++t.unchanged;
        break;
      case FileResult::kFailed:
        ++t.failed;
        break;
      case FileResult::kNotStarted:
        ++t.notStarted;
        break;
    }
    t.bytesIn += f.bytesIn;
    t.bytesOut += f.bytesOut;
    for (const Count& c : f.counts) {
      if (c.summed) AddCounts(t.counts, {c});
    }
  }
  return t;
}

}  // namespace pomvelt
