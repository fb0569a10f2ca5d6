#include "jobs/element_scanner.h"

#include <algorithm>
#include <cstdint>

namespace pomvelt {

namespace {

// One rule: the single command as a machine fed one line at a time.
struct Rule {
  enum class State : std::uint8_t {
    kIdle,         // every line that holds no header marker of the kind goes on as it is
    kAfterHeader,  // the next line is the type line
    kDropping,     // every line up to the element's end line goes
  };

  Rule(const TypeRule& rule, long long& c)
      : kind(rule.kind),
        deletes(rule.action == TypeRule::Action::kDelete),
        from(std::string(kTypeKey) + rule.code),
        to(std::string(kTypeKey) + rule.newCode),
        count(c) {}

  ElementKind kind;
  bool deletes;
  std::string from, to;  // whole type lines
  long long& count;
  State state = State::kIdle;
  std::string_view header;  // a deletion's header, held back until its type line is seen
  std::string ownHeader;    // the header's bytes once the run it was in is gone
};

// A single rule, what each of the single commands runs, is the chain of one: the compiler then
// drops every loop over the rules.
template <bool kOne>
class RuleChain {
 public:
  RuleChain(const std::vector<TypeRule>& rules, TypeRuleCounts& counts, ScanOutput& out)
      : counts_(counts), out_(out) {
    counts_.perRule.assign(rules.size(), 0);
    rules_.reserve(rules.size());
    for (std::size_t i = 0; i < rules.size(); ++i)
      rules_.emplace_back(rules[i], counts_.perRule[i]);
    later_.reserve(rules.size());
  }

  // The line goes through the rules from the i-th on, and what comes out of the last goes out.
  // `headers`: kinds the line is known to hold a header marker of.
  [[gnu::always_inline]] void Line(std::size_t i, std::string_view line, ElementKinds headers) {
    for (;;) {
      if (Through(i, line, headers)) out_.Line(line);
      if (kOne || later_.empty()) return;
      // A deletion's header went on first; the line that let it go follows it.
      i = later_.back().rule;
      line = later_.back().line;
      headers = 0;
      later_.pop_back();
    }
  }

  // The end of the input: a header on the last line gets an empty type line.
  void End() {
    for (std::size_t i = 0; i < Size(); ++i) {
      Rule& r = rules_[i];
      if (r.state == Rule::State::kAfterHeader) {
        r.state = Rule::State::kIdle;
        if (r.deletes) Line(i + 1, r.header, KindBit(r.kind));
        Line(i + 1, {}, 0);
        counts_.linesChanged = true;
      }
      r.state = Rule::State::kIdle;
    }
  }

  // Before the lines the rules hold on to go away.
  void Keep() {
    for (Rule& r : rules_) {
      if (r.state == Rule::State::kAfterHeader && r.deletes &&
          r.header.data() != r.ownHeader.data()) {
        r.ownHeader.assign(r.header);
        r.header = r.ownHeader;
      }
    }
  }

  // Walks a run of whole lines: the rules see only the lines that can change their state, found
  // block by block; the lines between go on as they are or, inside an element being dropped,
  // go with it.
  void Run(std::string_view run) {
    out_.StartRun(run);
    const char* const data = run.data();
    std::size_t pos = 0;
    while (pos < run.size()) {
      // The first rule that is not idle decides which lines matter; the rules before it are
      // idle and look for their headers.
      std::size_t busy = 0;
      ElementKinds kinds = 0;
      while (busy < Size() && rules_[busy].state == Rule::State::kIdle) {
        kinds |= KindBit(rules_[busy].kind);
        ++busy;
      }
      std::size_t next = pos;
      ElementKinds headers = 0;
      if (busy == Size()) {
        if constexpr (kOne) {
          next = pos + FindElementHeaderLine(run.substr(pos), rules_[0].kind);
        } else {
          next = pos + FindHeaderLineOfKinds(run.substr(pos), kinds);
        }
        out_.Pass(data + pos, data + next);
        // Found for the one kind every rule wants, the line needs no second look.
        if ((kinds & (kinds - 1)) == 0) headers = kinds;
      } else if (rules_[busy].state == Rule::State::kDropping) {
        const std::string_view rest = run.substr(pos);
        next = pos + std::min(FindHeaderLineOfKinds(rest, kinds),
                              FindElementEndLine(rest, rules_[busy].kind));
      }
      if (next == run.size()) break;
      std::size_t end = run.find('\n', next) + 1;
      Line(0, WithoutLineEnd(run.substr(next, end - next)), headers);
      // A header's type line, the line looked at most often, at once.
      if (rules_[0].state == Rule::State::kAfterHeader && end < run.size()) {
        next = end;
        end = run.find('\n', next) + 1;
        Line(0, WithoutLineEnd(run.substr(next, end - next)), 0);
      }
      pos = end;
    }
    out_.Flush();
    Keep();
  }

 private:
  std::size_t Size() const {
    if constexpr (kOne) return 1;
    return rules_.size();
  }

  // Takes the line through the rules from the i-th on: true when it comes out of the last, in
  // `line` (a replacement may have changed it).
  [[gnu::always_inline]] bool Through(std::size_t i, std::string_view& line, ElementKinds headers) {
    for (; i < Size(); ++i) {
      Rule& r = rules_[i];
      switch (r.state) {
        case Rule::State::kIdle:
          if ((headers & KindBit(r.kind)) == 0 && !IsElementHeader(line, r.kind)) continue;
          r.state = Rule::State::kAfterHeader;
          if (!r.deletes) continue;
          r.header = line;
          return false;
        case Rule::State::kAfterHeader:
          r.state = Rule::State::kIdle;
          if (line != r.from) {
            if (!r.deletes) continue;
            // The header held back goes on before this line.
            if (i + 1 == Size()) {
              out_.Line(r.header);
              continue;
            }
            later_.push_back({i + 1, line});
            line = r.header;
            headers = KindBit(r.kind);
            continue;
          }
          ++r.count;
          if (!r.deletes) {
            if (r.from != r.to) counts_.linesChanged = true;
            line = r.to;
            headers = 0;
            continue;
          }
          counts_.linesChanged = true;
          // A type line never begins with an end marker: the element goes on past it.
          r.state = Rule::State::kDropping;
          return false;
        case Rule::State::kDropping:
          if (BeginsElementEnd(line, r.kind)) r.state = Rule::State::kIdle;
          return false;
      }
    }
    return true;
  }

  struct Waiting {
    std::size_t rule;
    std::string_view line;
  };

  std::vector<Rule> rules_;
  std::vector<Waiting> later_;  // lines to go through the rules from the one named on
  TypeRuleCounts& counts_;
  ScanOutput& out_;
};

template <bool kOne>
TypeRuleCounts ApplyRules(LineReader& in, LineWriter& out, const std::vector<TypeRule>& rules) {
  TypeRuleCounts counts;
  ScanOutput output(out);
  RuleChain<kOne> chain(rules, counts, output);
  for (std::string_view run; !(run = in.PeekLines()).empty(); in.Skip(run.size())) chain.Run(run);
  // What the runs cannot hold: a last line without an end.
  output.StartRun({});
  for (std::string_view line; in.ReadLine(line); chain.Keep()) chain.Line(0, line, 0);
  chain.End();
  output.Flush();
  return counts;
}

}  // namespace

TypeRuleCounts ApplyTypeRules(LineReader& in, LineWriter& out, const std::vector<TypeRule>& rules) {
  return rules.size() == 1 ? ApplyRules<true>(in, out, rules) : ApplyRules<false>(in, out, rules);
}

KeyScanner::Key::Key(std::string_view t, unsigned f) : text(t), flag(f) {
  for (std::size_t w = 0; w < 2 && w * 8 < text.size(); ++w) {
    const std::size_t k = std::min<std::size_t>(text.size() - w * 8, 8);
    std::memcpy(&head[w], text.data() + w * 8, k);
    std::memset(&mask[w], 0xFF, k);
  }
}

bool KeyScanner::Prepare(const std::vector<LineKey>& keys) {
  keys_ = keys;
  for (const LineKey& key : keys) {
    const std::string_view text = key.text;
    if (text.size() < 2 || text.find_first_of("\r\n") != std::string_view::npos) return false;
    if (firstBytes_.find(text[0]) == std::string::npos) {
      if (firstBytes_.size() == kMaxMarkedBytes) return false;
      firstBytes_ += text[0];
    }
    buckets_[Bucket(text[0], text[1])].emplace_back(text, key.flag);
    flagsIn_[Bucket(text[0], text[1])] |= key.flag;
  }
  return true;
}

unsigned KeyScanner::KeysIn(std::string_view line, unsigned wanted) const {
  unsigned found = 0;
  for (const LineKey& key : keys_) {
    if ((wanted & key.flag) != 0 && line.find(key.text) != std::string_view::npos) {
      found |= key.flag;
    }
  }
  return found;
}

}  // namespace pomvelt
