// The one scanner of the commands that edit a map element by element. It walks the reader's runs
// of whole lines block by block and feeds each command's rule, a small machine written once,
// only the lines that can matter to it; the lines between go on, or are dropped, in bulk. The
// last line of a map without a line end goes through the same machine. Two ways of finding the
// lines: by the element markers at which the type rules act (replacement, deletion, a file of
// such rules), and by keys anywhere in a line (layer deletion and the level passes).
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "jobs/polish_format.h"
#include "text/byte_scan.h"
#include "text/line_io.h"

namespace pomvelt {

struct TypeRule {
  enum class Action { kReplace, kDelete };
  Action action = Action::kReplace;
  ElementKind kind = ElementKind::kPolygon;
  std::string code;     // the code replaced, or the code of the elements deleted
  std::string newCode;  // kReplace: the code it becomes
  int line = 0;         // in the rules file, counted from 1
};

struct TypeRuleCounts {
  std::vector<long long> perRule;  // type lines replaced, or elements deleted, in rule order
  bool linesChanged = false;
};

// Applies the rules in one pass. A replacement rewrites the line directly after a header of its
// kind when that line is exactly "Type=" + code (a code replaced by itself changes nothing); a
// deletion drops an element of its kind whose line directly after the header is exactly
// "Type=" + code, up to and including the first line that begins with "[END]" or the kind's own
// end marker (or to the end of the input). The line after a header is never itself taken for
// a header; a header on the last line is followed by an empty line. The lines go through the
// rules in order, as they would go through the single commands run one after another.
TypeRuleCounts ApplyTypeRules(LineReader& in, LineWriter& out, const std::vector<TypeRule>& rules);

// Where the lines leave a scan. A line that is still where the reader put it is not copied: it
// goes to the writer in place, in one piece with the lines passed on right before it.
class ScanOutput {
 public:
  explicit ScanOutput(LineWriter& out) : out_(out) {}

  // The lines handed on from now on may lie in this run of whole lines (empty: in none).
  void StartRun(std::string_view run) {
    Flush();
    runStart_ = run.data();
    runEnd_ = run.data() + run.size();
  }

  // Whole lines of the run, with their ends, passed on as they are.
  void Pass(const char* from, const char* to) {
    if (from == to) return;
    if (from != pendingEnd_) {
      Flush();
      pending_ = from;
    }
    pendingEnd_ = to;
  }

  // One line without its end: a whole line of the run goes on in place (the writer ends every
  // line it passes on with CR LF), any other is written.
  [[gnu::always_inline]] void Line(std::string_view line) {
    const char* const p = line.data();
    if (std::greater_equal<const char*>{}(p, runStart_) && std::less<const char*>{}(p, runEnd_)) {
      // A whole line of the run ends in "\n" or "\r\n" right behind its text.
      const char* const end = p + line.size();
      Pass(p, end + (*end == '\n' ? 1 : 2));
      return;
    }
    Flush();
    out_.WriteLine(line);
  }

  // A line of its own, not of the run, ended by CR LF.
  void NewLine(std::string_view line) {
    Flush();
    out_.WriteLine(line);
  }

  // Bytes of its own, written as they are.
  void Bytes(std::string_view bytes) {
    Flush();
    out_.Write(bytes);
  }

  // Before the run's bytes go away.
  void Flush() {
    if (pending_ != pendingEnd_) {
      out_.WriteLines({pending_, static_cast<std::size_t>(pendingEnd_ - pending_)});
    }
    pending_ = pendingEnd_ = nullptr;
  }

 private:
  LineWriter& out_;
  const char* pending_ = nullptr;  // [pending_, pendingEnd_) is passed on and not yet written
  const char* pendingEnd_ = nullptr;
  const char* runStart_ = nullptr;
  const char* runEnd_ = nullptr;
};

// A text a line may hold anywhere, and the bit that tells a machine it does.
struct LineKey {
  std::string text;
  unsigned flag = 0;
};

// What becomes of a line that holds none of the keys a machine wants next.
enum class Untouched : std::uint8_t {
  kCopied,  // passed on in place (the writer ends it with CR LF, as every line)
  kDropped,
  kTaken,  // given to the machine all the same
};

// Finds keys in runs of whole lines: one vector pass marks the line ends and the bytes any key
// can begin with, and only those are looked at. A machine fed by it has
//   unsigned Wanted() const;     the keys worth looking for in the next line
//   Untouched Others() const;    what becomes of the next line when it holds none of them
//   void Take(std::string_view line, unsigned keys, std::uint64_t number, ScanOutput& out);
//                                a line holding `keys` (of the wanted ones), counted from 1
//   void Keep();                 before the lines it holds views of go away
//   void Close(std::uint64_t lines, ScanOutput& out);   at the end of the input
class KeyScanner {
 public:
  // False when the keys do not suit the scan (a key shorter than two bytes, a key with a line
  // end in it, too many different first bytes): every line is then tested plainly.
  bool Prepare(const std::vector<LineKey>& keys);

  // The keys of the wanted ones the line holds, by plain substring tests.
  unsigned KeysIn(std::string_view line, unsigned wanted) const;

  // Runs the machine over the whole input.
  template <class Machine>
  static void Scan(LineReader& in, LineWriter& writer, const std::vector<LineKey>& keys,
                   Machine& machine) {
    ScanOutput out(writer);
    KeyScanner scanner;
    if (scanner.Prepare(keys)) {
      for (std::string_view run; !(run = in.PeekLines()).empty(); in.Skip(run.size())) {
        scanner.Run(run, machine, out);
      }
    }
    // The plain tests: for a last line without an end, and for keys the scan does not suit.
    out.StartRun({});
    std::uint64_t number = scanner.lines_;
    for (std::string_view line; in.ReadLine(line); machine.Keep()) {
      ++number;
      const unsigned found = scanner.KeysIn(line, machine.Wanted());
      switch (found != 0 ? Untouched::kTaken : machine.Others()) {
        case Untouched::kCopied:
          out.Line(line);
          break;
        case Untouched::kDropped:
          break;
        case Untouched::kTaken:
          machine.Take(line, found, number, out);
          break;
      }
    }
    machine.Close(number, out);
    out.Flush();
  }

 private:
  template <class Machine>
  void Run(std::string_view run, Machine& machine, ScanOutput& out) {
    out.StartRun(run);
    const char* const data = run.data();
    const std::size_t n = run.size();
    std::size_t lineStart = 0;
    std::uint64_t number = lines_;  // of the line being looked at, counting from 1
    unsigned found = 0;
    unsigned open = machine.Wanted();  // the keys still worth looking for in this line
    Untouched others = machine.Others();
    for (std::size_t chunk = 0; chunk < n; chunk += kChunk) {
      const std::size_t len = std::min(kChunk, n - chunk);
      MarkBytes(data + chunk, len, firstBytes_, bits_);
      for (std::size_t w = 0; w * 64 < len; ++w) {
        for (std::uint64_t m = bits_[w]; m != 0; m &= m - 1) {
          const std::size_t at = chunk + w * 64 + static_cast<std::size_t>(std::countr_zero(m));
          if (data[at] != '\n') {
            // Every byte that is not a line end begins a key; most of them in label texts,
            // which the first compare settles.
            if (open != 0) found |= Match(data + at, n - at, open);
            continue;
          }
          ++number;
          const std::size_t next = at + 1;
          if (found == 0 && others != Untouched::kTaken) {
            if (others == Untouched::kCopied) out.Pass(data + lineStart, data + next);
            lineStart = next;
            continue;
          }
          machine.Take(WithoutLineEnd({data + lineStart, next - lineStart}), found, number, out);
          lineStart = next;
          found = 0;
          open = machine.Wanted();
          others = machine.Others();
        }
      }
    }
    lines_ = number;
    out.Flush();
    machine.Keep();
  }

  // A key as two words of up to eight bytes and masks of them, to be compared with the words
  // loaded where it may stand; longer keys compare the rest byte by byte.
  struct Key {
    std::string text;
    unsigned flag;
    std::uint64_t head[2] = {};
    std::uint64_t mask[2] = {};

    Key(std::string_view t, unsigned f);
    // `left`: the bytes from p to the run's end, at least 16.
    bool Matches(const std::uint64_t (&word)[2], const char* p, std::size_t left) const {
      return (word[0] & mask[0]) == head[0] && (word[1] & mask[1]) == head[1] &&
             (text.size() <= 16 || (text.size() <= left &&
                                    std::memcmp(p + 16, text.data() + 16, text.size() - 16) == 0));
    }
  };
  static constexpr std::size_t kChunk = 4096;

  // Keys go by their first two bytes, which tell most of them apart and drop the bytes of label
  // texts at once.
  static std::size_t Bucket(char first, char second) {
    return (static_cast<unsigned char>(first) * 7u + static_cast<unsigned char>(second)) & 255u;
  }

  // The wanted keys that begin at p, `left` bytes before the run's end.
  [[gnu::always_inline]] unsigned Match(const char* p, std::size_t left, unsigned& open) const {
    unsigned found = 0;
    const std::size_t b = Bucket(p[0], p[1]);
    // Most marked bytes are in texts, and most of those settled here.
    if ((flagsIn_[b] & open) == 0) return 0;
    const std::vector<Key>& bucket = buckets_[b];
    if (left >= 16) {
      std::uint64_t word[2];
      std::memcpy(word, p, 16);
      for (const Key& k : bucket) {
        if ((open & k.flag) != 0 && k.Matches(word, p, left)) found |= k.flag;
      }
    } else {
      for (const Key& k : bucket) {
        if ((open & k.flag) != 0 && k.text.size() <= left &&
            std::memcmp(p, k.text.data(), k.text.size()) == 0) {
          found |= k.flag;
        }
      }
    }
    open &= ~found;
    return found;
  }

  std::vector<LineKey> keys_;
  std::string firstBytes_ = "\n";
  std::vector<Key> buckets_[256];
  unsigned flagsIn_[256] = {};  // the flags of the keys in each bucket
  std::uint64_t bits_[kChunk / 64];
  std::uint64_t lines_ = 0;
};

}  // namespace pomvelt
