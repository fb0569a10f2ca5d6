// The batch report as JSON, for `--report FILE`: the command and its options, start and end,
// one object per file, the totals. Every field is described in the README.
#pragma once

#include <chrono>
#include <nlohmann/json.hpp>
#include <string>

#include "jobs/batch_report.h"

namespace pomvelt {

// The report as one JSON object (written with WriteJsonFile, which replaces bytes that are
// not UTF-8 - a map's own bytes in a message - by U+FFFD).
nlohmann::json ReportJson(const BatchReport& report);

// "2026-12-07T10:53:28.123Z"
std::string IsoTime(std::chrono::system_clock::time_point time);

}  // namespace pomvelt
