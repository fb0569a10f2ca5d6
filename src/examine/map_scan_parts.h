// A large map scanned in parts at once, one thread each. A part begins just before a line that
// opens a section, where what a reader knows of the lines before does not matter any more: the
// line closes whatever was open. So each part is scanned on its own, with its own visitor and
// its lines counted from 1, and the visitors are then merged in the order of the parts.
#pragma once

#include <algorithm>
#include <cstdint>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

#include "examine/map_scan.h"
#include "os/file.h"

namespace pomvelt {

struct ScanPartsOptions {
  std::size_t parts = 0;                   // at most this many; 0: one per processor, up to 4
  std::uint64_t minPartBytes = 16u << 20;  // no part smaller
};

// Where the parts of a file of `size` bytes begin (the first at 0): before a line that begins
// with "[" and not with "[END", looked for from evenly spaced points on. One part when the file
// is too small or no such line was found; a read error leaves the parts found so far.
std::vector<std::uint64_t> MapPartStarts(const InputFile& file, std::uint64_t size,
                                         const ScanPartsOptions& options);

template <typename Visitor>
struct ScannedPart {
  Visitor visitor;
  std::uint64_t lines = 0;
  int error = 0;            // a read error's errno value
  bool failed = false;      // a read error
  bool endedEarly = false;  // the file was cut while it was read
};

// Scans the parts [starts[i], starts[i + 1]) (the last one to `size`), each with a visitor that
// make(i) gives, in threads of their own; the calling thread takes the first part. A part but
// the last one reports the section it leaves open as cut off by line lines + 1 of its own.
template <typename Visitor, typename Make>
std::vector<ScannedPart<Visitor>> ScanMapParts(const InputFile& file,
                                               const std::vector<std::uint64_t>& starts,
                                               std::uint64_t size, Make make);

// ---------------------------------------------------------------------------------------------

template <typename Visitor, typename Make>
std::vector<ScannedPart<Visitor>> ScanMapParts(const InputFile& file,
                                               const std::vector<std::uint64_t>& starts,
                                               std::uint64_t size, Make make) {
  std::vector<ScannedPart<Visitor>> parts;
  parts.reserve(starts.size());
  for (std::size_t i = 0; i < starts.size(); ++i) parts.push_back({make(i)});
  std::vector<std::exception_ptr> thrown(starts.size());
  auto scan = [&](std::size_t i) {
    try {
      ScannedPart<Visitor>& part = parts[i];
      const bool last = i + 1 == starts.size();
      FileRangeSource source(file, starts[i], last ? size : starts[i + 1]);
      LineReader reader(source);
      MapScanner<Visitor> scanner(part.visitor);
      for (std::string_view run; !(run = reader.PeekLines()).empty(); reader.Skip(run.size())) {
        scanner.Lines(run);
      }
      std::string_view text;
      // A part but the last ends with a line end, unless the file changed meanwhile.
      while (reader.ReadLine(text)) {
        scanner.LastLine(text);
        if (!last) part.endedEarly = true;
      }
      part.failed = reader.Failed();
      part.error = source.Error();
      part.endedEarly = part.endedEarly || source.EndedEarly();
      part.lines = scanner.Finish(last ? 0 : scanner.LineCount() + 1);
    } catch (...) {
      thrown[i] = std::current_exception();
    }
  };
  std::vector<std::thread> threads;
  threads.reserve(starts.size());
  std::size_t started = 1;
  for (; started < starts.size(); ++started) {
    try {
      threads.emplace_back(scan, started);
    } catch (const std::system_error&) {
      break;  // no more threads to be had: the calling thread scans the rest
    }
  }
  scan(0);
  for (std::size_t i = started; i < starts.size(); ++i) scan(i);
  for (std::thread& t : threads) t.join();
  for (const std::exception_ptr& e : thrown) {
    if (e) std::rethrow_exception(e);
  }
  return parts;
}

}  // namespace pomvelt
