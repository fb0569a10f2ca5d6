// The bulk paths of the line I/O: whole-line views and skips on the reader, runs of input-form
// lines on the writer, and the vector scans under them, each against the plain line-by-line
// or byte-by-byte answer.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "bench/map_generator.h"
#include "support/test_support.h"
#include "text/byte_scan.h"
#include "text/line_io.h"

namespace pomvelt {
namespace {

// Gives at most `step` bytes per read.
class TrickleSource : public ByteSource {
 public:
  TrickleSource(std::string_view bytes, std::size_t step) : bytes_(bytes), step_(step) {}
  std::ptrdiff_t Read(char* buf, std::size_t n) override {
    const std::size_t k = std::min({n, step_, bytes_.size()});
    std::copy_n(bytes_.data(), k, buf);
    bytes_.remove_prefix(k);
    return static_cast<std::ptrdiff_t>(k);
  }

 private:
  std::string_view bytes_;
  std::size_t step_;
};

// Runs every level of the vector scans the processor has, then restores the best.
template <typename F>
void AtEveryScanLevel(F f) {
  for (int level = 0; level <= static_cast<int>(BestScanLevel()); ++level) {
    UseScanLevel(static_cast<ScanLevel>(level));
    f(level);
  }
  UseScanLevel(BestScanLevel());
}

const std::vector<std::string>& Inputs() {
  static const std::vector<std::string> inputs = [] {
    const std::string longLine(700, 'x');
    return std::vector<std::string>{
        "",
        "a",
        "\n",
        "\r",
        "\n\n\r\n",
        "a\r\nb\r\n",
        "a\nb",
        "a\r\r\nb\rc\n\r",
        std::string("x\0y\r\n\xC0\xFF\n", 8),
        longLine + "\r\n" + longLine + "\n" + longLine,
        bench::GenerateMap(3, 3000),
    };
  }();
  return inputs;
}

std::vector<std::string> ReadLines(std::string_view input) {
  MemorySource source(input);
  LineReader reader(source);
  std::vector<std::string> lines;
  std::string_view line;
  while (reader.ReadLine(line)) lines.emplace_back(line);
  return lines;
}

TEST(LineReader, PeekedRunsHoldTheSameLinesAsReadLine) {
  for (const std::string& input : Inputs()) {
    const std::vector<std::string> expected = ReadLines(input);
    for (std::size_t step : {1u, 2u, 3u, 5u, 7u, 64u, 100000u}) {
      for (std::size_t block : {1u, 4u, 16u, 4096u}) {
        // Take a few whole lines of each run, then one line by ReadLine, and so on.
        TrickleSource source(input, step);
        LineReader reader(source, block);
        std::vector<std::string> lines;
        for (int round = 0;; ++round) {
          std::string_view run = reader.PeekLines();
          if (run.empty()) break;
          ASSERT_EQ(run.back(), '\n');
          std::size_t taken = 0;
          for (int i = 0; i < round % 3 && taken < run.size(); ++i) {
            const std::size_t end = run.find('\n', taken) + 1;
            lines.emplace_back(WithoutLineEnd(run.substr(taken, end - taken)));
            taken = end;
          }
          reader.Skip(taken);
          std::string_view line;
          if (round % 2 == 0 && reader.ReadLine(line)) lines.emplace_back(line);
        }
        std::string_view line;
        while (reader.ReadLine(line)) lines.emplace_back(line);
        EXPECT_EQ(lines, expected)
            << "step " << step << ", block " << block << ", input " << input.substr(0, 40);
      }
    }
  }
}

TEST(LineReader, PeekLinesStopsAtAReadError) {
  class Failing : public ByteSource {
   public:
    std::ptrdiff_t Read(char* buf, std::size_t n) override {
      if (given_) return -1;
      given_ = true;
      const std::string_view bytes = "one\r\ntwo";
      const std::size_t k = std::min(n, bytes.size());
      std::copy_n(bytes.data(), k, buf);
      return static_cast<std::ptrdiff_t>(k);
    }

   private:
    bool given_ = false;
  } source;
  LineReader reader(source, 64);
  EXPECT_EQ(reader.PeekLines(), "one\r\n");
  reader.Skip(5);
  EXPECT_EQ(reader.PeekLines(), "");
  std::string_view line;
  EXPECT_FALSE(reader.ReadLine(line));
  EXPECT_TRUE(reader.Failed());
}

// What WriteLine gives for each line of a run.
std::string LineByLine(std::string_view run) {
  std::string out;
  for (std::size_t at = 0; at < run.size();) {
    const std::size_t end = run.find('\n', at) + 1;
    out += WithoutLineEnd(run.substr(at, end - at));
    out += "\r\n";
    at = end;
  }
  return out;
}

TEST(LineWriter, RunsOfLinesEndInCrLfLikeWriteLine) {
  std::vector<std::string> runs;
  for (const std::string& input : Inputs()) {
    const std::size_t last = input.rfind('\n');
    if (last != std::string::npos) runs.push_back(input.substr(0, last + 1));
  }
  // A bare LF at every place of a vector step, and a long clean run.
  for (std::size_t i = 0; i < 70; ++i) {
    std::string run;
    for (std::size_t k = 0; k < 100; ++k) run += k % 7 == 0 ? "ab\r\n" : "c\r\n";
    run.insert(std::min(i, run.size() - 1), "\n");
    if (run.back() != '\n') run += '\n';
    runs.push_back(run);
  }
  // Every short run of these bytes, the ones copied without a vector scan, and runs just
  // around the length where that stops.
  std::vector<std::string> shortRuns = {""};
  for (int length = 1; length <= 6; ++length) {
    std::vector<std::string> longer;
    for (const std::string& r : shortRuns) {
      for (char c : {'a', '\r', '\n'}) longer.push_back(r + c);
    }
    shortRuns = longer;
    for (const std::string& r : shortRuns) {
      if (r.back() == '\n') runs.push_back(r);
    }
  }
  for (std::size_t length : {31u, 32u, 33u}) {
    runs.push_back(std::string(length - 2, 'b') + "\r\n");
    runs.push_back(std::string(length - 1, 'b') + "\n");
  }
  std::string clean;
  while (clean.size() < 300000) clean += "Data0=(55.1,37.2),(55.3,37.4)\r\n";
  runs.push_back(clean);
  runs.push_back(clean + "\n" + clean);

  AtEveryScanLevel([&](int level) {
    for (const std::string& run : runs) {
      for (std::size_t buffer : {1u, 3u, 64u, 4096u, 256u * 1024u}) {
        StringSink sink;
        LineWriter writer(sink, buffer);
        writer.Write("<");
        writer.WriteLines(run);
        writer.WriteLine(">");
        ASSERT_TRUE(writer.Flush());
        // Not EXPECT_EQ: a failure would print runs of hundreds of kilobytes.
        EXPECT_TRUE(sink.bytes == "<" + LineByLine(run) + ">\r\n")
            << "level " << level << ", buffer " << buffer << ", run " << run.substr(0, 40);
      }
    }
  });
}

TEST(LineWriter, RunsReportAFullSink) {
  class Full : public ByteSink {
   public:
    bool Write(const char*, std::size_t) override { return false; }
  } full;
  LineWriter writer(full, 8);
  writer.WriteLines(std::string(100, 'x') + "\r\n");
  EXPECT_TRUE(writer.Failed());
  EXPECT_FALSE(writer.Flush());
}

const char* PlainBareLf(const char* from, const char* end) {
  for (const char* p = from; p < end; ++p) {
    if (*p == '\n' && p[-1] != '\r') return p;
  }
  return end;
}

const char* PlainLeadWith(const char* from, const char* end, char lead, ByteAt a, ByteAt b) {
  for (const char* p = from; p < end; ++p) {
    const auto left = static_cast<std::size_t>(end - p);
    if (*p == lead && ((a.offset < left && p[a.offset] == a.byte) ||
                       (b.offset < left && p[b.offset] == b.byte))) {
      return p;
    }
  }
  return end;
}

// Short texts of a few bytes in random order: every byte at every place of a vector step.
std::string Noise(std::uint64_t seed, std::size_t size, std::string_view alphabet) {
  bench::Random r(seed);
  std::string s;
  while (s.size() < size)
    s += alphabet[static_cast<std::size_t>(r.Below(static_cast<int>(alphabet.size())))];
  return s;
}

TEST(ByteScan, EveryLevelFindsWhatTheByteLoopFinds) {
  AtEveryScanLevel([](int level) {
    for (std::uint64_t seed = 1; seed <= 40; ++seed) {
      const std::string s = Noise(seed, 20 + seed * 7, seed % 2 ? "\r\nxx[PR" : "\r\n\n[PPRRa");
      const char* begin = s.data() + 1;
      const char* end = s.data() + s.size();
      for (const char* from = begin; from <= end; from += 3) {
        ASSERT_EQ(FindBareLf(from, end), PlainBareLf(from, end)) << "level " << level;
        for (const auto& [a, b] :
             {std::pair{ByteAt{1, 'P'}, ByteAt{1, 'R'}}, std::pair{ByteAt{5, 'P'}, ByteAt{3, 'x'}},
              std::pair{ByteAt{40, 'R'}, ByteAt{0, '['}}}) {
          ASSERT_EQ(FindLeadWith(from, end, '[', a, b), PlainLeadWith(from, end, '[', a, b))
              << "level " << level << ", seed " << seed;
        }
      }
      for (std::string_view set : {std::string_view("\n"), std::string_view("\n[LDC"),
                                   std::string_view("abcdefgh"), std::string_view("\r\nxP[aR")}) {
        for (std::size_t n : {std::size_t{0}, std::size_t{1}, std::size_t{63}, std::size_t{64},
                              std::size_t{65}, s.size()}) {
          if (n > s.size()) continue;
          std::vector<std::uint64_t> bits((n + 63) / 64 + 1, 0xDEAD);
          MarkBytes(s.data(), n, set, bits.data());
          for (std::size_t i = 0; i < n; ++i) {
            const bool marked = ((bits[i / 64] >> (i % 64)) & 1) != 0;
            ASSERT_EQ(marked, set.find(s[i]) != std::string_view::npos)
                << "level " << level << ", byte " << i << " of " << n;
          }
          ASSERT_EQ(bits[(n + 63) / 64], 0xDEADu) << "wrote past the words asked for";
        }
      }
    }
  });
}

}  // namespace
}  // namespace pomvelt
