// Shared by the fuzz targets: the input is split into a selector byte (which picks the
// options and the reader's block size), a parameter (up to the first newline) and the map text;
// every transform is run twice, with a tiny and a normal block, and both outputs must agree
// and consist of CR LF lines only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "jobs/file_rewrite.h"
#include "text/line_io.h"

namespace pomvelt::fuzz {

struct Input {
  std::uint8_t selector = 0;
  std::string param;
  std::string_view body;
};

inline Input Split(const std::uint8_t* data, std::size_t size) {
  Input in;
  std::string_view all(reinterpret_cast<const char*>(data), size);
  if (all.empty()) return in;
  in.selector = static_cast<std::uint8_t>(all[0]);
  all.remove_prefix(1);
  const std::size_t nl = all.find('\n');
  const std::size_t cut = nl == std::string_view::npos || nl > 32 ? 0 : nl;
  in.param = std::string(all.substr(0, cut));
  in.body = all.substr(cut == 0 ? 0 : cut + 1);
  return in;
}

using Transform = std::function<void(LineReader&, LineWriter&)>;

inline std::string RunWithBlock(std::string_view body, std::size_t block, const Transform& t) {
  MemorySource source(body);
  StringSink sink;
  {
    LineReader reader(source, block);
    LineWriter writer(sink, 4096);
    t(reader, writer);
    if (!writer.Flush()) std::abort();
  }
  return sink.bytes;
}

// The input's lines with CR LF ends: what a transform that changes nothing must write.
inline std::string Normalised(std::string_view body) {
  return RunWithBlock(body, 1 << 16, [](LineReader& in, LineWriter& out) {
    std::string_view line;
    while (in.ReadLine(line)) out.WriteLine(line);
  });
}

// Runs the transform with a small and a large block; aborts when they disagree or when the
// output is not whole CR LF lines.
inline std::string Check(std::string_view body, std::uint8_t selector, const Transform& t) {
  const std::size_t small = 1 + (selector >> 5);  // 1..8 bytes
  const std::string a = RunWithBlock(body, small, t);
  const std::string b = RunWithBlock(body, LineReader::kDefaultBlock, t);
  if (a != b) std::abort();
  if (!b.empty() && (b.size() < 2 || b.compare(b.size() - 2, 2, "\r\n") != 0)) std::abort();
  return b;
}

using CountedTransform = std::function<TransformResult(LineReader&, LineWriter&)>;

// As Check, for a transform that counts: both runs must count alike, and the transform's word
// on whether the map changed must be right - unchanged exactly when the output is the input.
inline std::string CheckCounted(std::string_view body, std::uint8_t selector,
                                const CountedTransform& t) {
  std::vector<TransformResult> results;
  const std::string out =
      Check(body, selector, [&](LineReader& r, LineWriter& w) { results.push_back(t(r, w)); });
  if (results.size() != 2 || results[0].counts.size() != results[1].counts.size()) std::abort();
  for (std::size_t i = 0; i < results[0].counts.size(); ++i) {
    if (results[0].counts[i].value != results[1].counts[i].value) std::abort();
  }
  const bool unchanged = ResultOf(results[1], body.size(), out.size()) == FileResult::kUnchanged;
  if (unchanged != (out == body)) std::abort();
  return out;
}

}  // namespace pomvelt::fuzz
