// The checker: what in a map would make a compiler fail or an editing command misread it,
// each with its line, in one streaming pass.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "examine/map_scan_parts.h"
#include "jobs/job_host.h"
#include "text/line_io.h"

namespace pomvelt {

enum class MapProblem {
  kUnendedElement,       // an element header with no end before the next section or the end
  kHeaderOnLastLine,     // an element header on the last line of the file
  kTypeNotFirst,         // the "Type=" line is not the first line after the header
  kNoType,               // an element without a "Type=" line
  kLevelsWithoutEnd,     // "Levels=" in a map header that has no "[END-IMG ID]"
  kLevelTooHigh,         // a coordinate line on the last level of the header or above it
  kLevelsNotDecreasing,  // a "LevelN=" value not below the one before it
  kLongLabel,            // a label of more than 80 characters
  kInvalidByte,          // a byte the declared code page does not allow
  kUtf16,                // the file is UTF-16 text
  kMixedLineEnds,        // lines ending in CR LF and lines ending in LF alone
  kNulByte,              // a NUL byte
  kNoMapHeader,          // no "[IMG ID]" section
  kNoId,                 // the map header has no "ID="
  kBadId,                // the map header's ID is not a decimal number
  kOmitted,              // more problems of one kind than are listed
};

struct Diagnostic {
  std::uint64_t line;  // counted from 1
  MapProblem problem;
  std::string message;  // UTF-8
  bool operator==(const Diagnostic&) const = default;
};

// At most this many diagnostics of one kind are listed per map; one more says how many
// were left out.
inline constexpr std::size_t kMaxListedPerProblem = 100;
inline constexpr std::size_t kMaxLabelCharacters = 80;

// Every problem found, in the order of their lines. The declared code page is the first
// "CodePage=" of the map header, which stands at the top: bytes are checked against it once the
// header has been read (or a MiB of the file, whichever comes first). UTF-16 is recognised by
// its first line.
std::vector<Diagnostic> CheckMap(LineReader& in);

// CheckMap over a file; nullopt when it could not be read (the failure has been shown on the
// host).
// A large file is checked in parts at once (see ScanMapParts), with the same outcome.
std::optional<std::vector<Diagnostic>> CheckFile(const std::string& path, JobHost& host,
                                                 const ScanPartsOptions& options = {});

// path + ":" + line + ": " + message, the form compilers and editors use.
std::string FormatDiagnostic(const std::string& path, const Diagnostic& d);

}  // namespace pomvelt
