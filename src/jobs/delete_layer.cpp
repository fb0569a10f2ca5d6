#include "jobs/delete_layer.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#include "jobs/file_rewrite.h"
#include "jobs/polish_format.h"
#include "text/byte_scan.h"
#include "text/strings.h"

namespace pomvelt {

namespace {

// What a line of an element holds, as far as layer deletion cares. A key's bit is also the
// place of the line it fills in the written element: header, type line, label, city,
// direction, coordinates, end.
enum LineKey : unsigned {
  kHasHeader = 1u << 0,
  kHasLabel = 1u << 2,
  kHasCity = 1u << 3,
  kHasDirection = 1u << 4,
  kHasCoordinates = 1u << 5,
  kHasEnd = 1u << 6,
  kHasOnLayer = 1u << 7,
};
constexpr unsigned kTypeSlot = 1u << 1;
constexpr unsigned kSlotCount = 7;
constexpr unsigned kInsideSlots = kHasLabel | kHasCity | kHasDirection | kHasCoordinates | kHasEnd;

bool HoldsAny(std::string_view line, const std::vector<std::string>& keys) {
  for (const std::string& key : keys) {
    if (Contains(line, key)) return true;
  }
  return false;
}

// The keys of a line by the plain substring tests, for the lines the fast scan does not see.
unsigned KeysOf(std::string_view line, const LayerKeys& keys) {
  unsigned found = 0;
  if (IsAnyElementHeader(line)) found |= kHasHeader;
  if (Contains(line, kLabelKey)) found |= kHasLabel;
  if (Contains(line, "DirIndicator")) found |= kHasDirection;
  if (Contains(line, "City=")) found |= kHasCity;
  if (HoldsAny(line, keys.coordinate)) found |= kHasCoordinates;
  if (HoldsAny(line, keys.onLayer)) found |= kHasOnLayer;
  if (ContainsElementEnd(line)) found |= kHasEnd;
  return found;
}

// The rule of layer deletion as a machine fed one line at a time with the keys it holds and
// its number in the input (the caller counts every line, so the lines an element drops cost
// nothing here). The lines an element keeps are views into the reader's buffer while that
// lives, copied into storage of their own before the buffer moves; the storage lives as long
// as the transform, so after the first few elements nothing allocates. The form the kept
// elements take is a parameter of the type: the reduced form pays nothing for the whole one.
template <KeptForm kForm>
class LayerFilter {
  static constexpr bool kWhole = kForm == KeptForm::kWhole;

 public:
  explicit LayerFilter(LineWriter& out) : out_(out) {}

  bool Outside() const { return state_ == State::kOutside; }
  bool AfterHeader() const { return state_ == State::kAfterHeader; }
  // Kept whole, an element needs every line of it, not only those with keys.
  bool TakesEveryLine() const { return kWhole && !Outside() && !onLayer_; }

  // The keys that matter to the next line.
  unsigned Wanted() const {
    switch (state_) {
      case State::kOutside:
        return kHasHeader;
      case State::kAfterHeader:
        return kHasEnd;
      case State::kInside:
        break;
    }
    // Of an element that is dropped only the end still matters.
    return onLayer_ ? kHasEnd : kInsideSlots | kHasOnLayer;
  }

  // A line outside every element that opens none passes through, and the caller writes it;
  // every other line belongs to the element. False for those.
  [[gnu::always_inline]] bool Take(std::string_view line, unsigned keys, std::uint64_t number) {
    switch (state_) {
      case State::kOutside:
        if ((keys & kHasHeader) == 0) return true;
        onLayer_ = false;
        filled_ = 0;
        if constexpr (kWhole) {
          element_.clear();
          Copy(line);
        }
        Fill(kHasHeader, line, number);
        state_ = State::kAfterHeader;
        return false;
      case State::kAfterHeader:
        if constexpr (kWhole) Copy(line);
        // Taking an end line for the type line would swallow the next element into this one.
        if ((keys & kHasEnd) != 0) {
          Fill(kHasEnd, line, number);
          Finish(number);
        } else {
          Fill(kTypeSlot, line, number);
          state_ = State::kInside;
        }
        return false;
      case State::kInside:
        if constexpr (kWhole) {
          if (!onLayer_) Copy(line);
        }
        // The last line holding a key fills its place; a line may fill several.
        for (unsigned k = keys & kInsideSlots; k != 0; k &= k - 1)
          Fill(1u << std::countr_zero(k), line, number);
        if ((keys & (kHasCoordinates | kHasOnLayer)) == (kHasCoordinates | kHasOnLayer)) {
          onLayer_ = true;
        }
        if ((keys & kHasEnd) != 0) Finish(number);
        return false;
    }
    return false;
  }

  // Before the lines the element keeps go away (kept whole, they have been copied already).
  void Keep() {
    if (Outside() || kWhole) return;
    for (unsigned f = filled_; f != 0; f &= f - 1) {
      const int i = std::countr_zero(f);
      if (lines_[i].data() != own_[i].data()) {
        own_[i].assign(lines_[i]);
        lines_[i] = own_[i];
      }
    }
  }

  // At the end of the input, after line `last`: an element cut off is written without the
  // lines it never got.
  void Close(std::uint64_t last) {
    if (!Outside()) Finish(last);
  }

  const LayerCounts& counts() const { return counts_; }

 private:
  enum class State { kOutside, kAfterHeader, kInside };

  [[gnu::always_inline]] void Fill(unsigned slot, std::string_view line, std::uint64_t number) {
    const int i = std::countr_zero(slot);
    lines_[i] = line;
    from_[i] = number;
    filled_ |= slot;
  }

  // Kept whole, every line of an element that may stay is copied as it comes.
  void Copy(std::string_view line) {
    element_.append(line);
    element_.append("\r\n");
  }

  // City before direction, although they are tested the other way round: the order the
  // written form has always had. The element, lines from_[0] to `last`, is written as it came
  // when its lines fill the places one each, in the order of the places: their numbers rise
  // and there are as many places as lines.
  [[gnu::always_inline]] void Finish(std::uint64_t last) {
    if (onLayer_) {
      ++counts_.elementsDeleted;
    } else if constexpr (kWhole) {
      out_.Write(element_);
    } else {
      std::uint64_t previous = from_[0];
      bool rising = true;
      unsigned places = 1;
      out_.WriteLine(lines_[0]);
      for (unsigned f = filled_ & ~kHasHeader; f != 0; f &= f - 1) {
        const int i = std::countr_zero(f);
        out_.WriteLine(lines_[i]);
        rising &= from_[i] > previous;
        previous = from_[i];
        ++places;
      }
      const std::uint64_t lines = last - from_[0] + 1;
      if (!rising || places != lines) {
        ++counts_.elementsReduced;
        // Rising numbers are all different; otherwise a line may fill several places.
        counts_.linesDropped += static_cast<long long>(lines - (rising ? places : Distinct()));
      }
    }
    state_ = State::kOutside;
  }

  // How many different lines fill the places.
  [[gnu::noinline]] unsigned Distinct() const {
    unsigned distinct = 0;
    for (unsigned f = filled_; f != 0; f &= f - 1) {
      const std::uint64_t from = from_[std::countr_zero(f)];
      bool seen = false;
      for (unsigned e = filled_; e != f; e &= e - 1) {
        if (from_[std::countr_zero(e)] == from) seen = true;
      }
      if (!seen) ++distinct;
    }
    return distinct;
  }

  LineWriter& out_;
  State state_ = State::kOutside;
  std::string_view lines_[kSlotCount];
  std::string own_[kSlotCount];
  unsigned filled_ = 0;                  // the places filled, one bit each
  std::uint64_t from_[kSlotCount] = {};  // the number of the line each place was filled from
  bool onLayer_ = false;
  std::string element_;  // kept whole: the element's lines so far, each with CR LF
  LayerCounts counts_;
};

// Finds the keys of the lines in runs of whole lines: one vector pass marks the line ends and
// the bytes any key can begin with, and only those are looked at.
class KeyScanner {
 public:
  // False when the keys do not suit the scan (an empty key is in every line, a key with a line
  // end in it never is; too many different first bytes): the plain tests are used then.
  bool Prepare(const LayerKeys& keys) {
    add("\n", 0);
    for (std::string_view m : kHeaderMarkers) add(m, kHasHeader);
    for (std::string_view m : kEndMarkers) add(m, kHasEnd);
    add(kLabelKey, kHasLabel);
    add("DirIndicator", kHasDirection);
    add("City=", kHasCity);
    for (const std::string& k : keys.coordinate) add(k, kHasCoordinates);
    for (const std::string& k : keys.onLayer) add(k, kHasOnLayer);
    return usable_;
  }

  // Feeds every line of the run to the filter; the lines that pass through are written in
  // runs as they are.
  template <class Filter>
  void Run(std::string_view lines, Filter& filter, LineWriter& out) {
    const char* const data = lines.data();
    const std::size_t n = lines.size();
    std::size_t lineStart = 0;
    std::size_t done = 0;           // the lines before it are written or taken by the filter
    std::uint64_t number = lines_;  // of the line being looked at, counting from 1
    unsigned found = 0;
    unsigned open = filter.Wanted();  // the keys still worth looking for in this line
    for (std::size_t chunk = 0; chunk < n; chunk += kChunk) {
      const std::size_t len = std::min(kChunk, n - chunk);
      MarkBytes(data + chunk, len, firstBytes_, bits_);
      for (std::size_t w = 0; w * 64 < len; ++w) {
        for (std::uint64_t m = bits_[w]; m != 0; m &= m - 1) {
          const std::size_t at = chunk + w * 64 + static_cast<std::size_t>(std::countr_zero(m));
          const unsigned char c = static_cast<unsigned char>(data[at]);
          if (c != '\n') {
            // Every byte that is not a line end begins a key; most of them in label texts,
            // which the first compare settles.
            if (open == 0) continue;
            const std::vector<Key>& bucket =
                buckets_[(open & kHasHeader) != 0 ? 0 : 1][Bucket(data[at], data[at + 1])];
            if (n - at >= 16) {
              std::uint64_t word[2];
              std::memcpy(word, data + at, 16);
              for (const Key& k : bucket) {
                if ((open & k.flag) != 0 && k.Matches(word, data + at)) {
                  found |= k.flag;
                  open &= ~k.flag;
                }
              }
            } else {
              for (const Key& k : bucket) {
                if ((open & k.flag) != 0 && k.text.size() <= n - at &&
                    std::memcmp(data + at, k.text.data(), k.text.size()) == 0) {
                  found |= k.flag;
                  open &= ~k.flag;
                }
              }
            }
            continue;
          }
          ++number;
          // A line without keys passes through outside an element and is dropped inside one;
          // only a type line is taken whatever it holds.
          if (found == 0 && !filter.AfterHeader() && !filter.TakesEveryLine()) {
            lineStart = at + 1;
            continue;
          }
          const bool wasOutside = filter.Outside();
          const std::string_view line = WithoutLineEnd({data + lineStart, at + 1 - lineStart});
          if (!filter.Take(line, found, number) && wasOutside) {
            out.WriteLines({data + done, lineStart - done});  // before the header
          }
          lineStart = at + 1;
          found = 0;
          open = filter.Wanted();
          if (!wasOutside && filter.Outside()) done = lineStart;  // past the element's end
        }
      }
    }
    lines_ = number;
    if (filter.Outside()) out.WriteLines(lines.substr(done));
  }

  // The lines the runs held.
  std::uint64_t Lines() const { return lines_; }

 private:
  // A key as two words of up to eight bytes and masks of them, to be compared with the words
  // loaded where it may stand; longer keys compare the rest byte by byte.
  struct Key {
    std::string_view text;
    unsigned flag;
    std::uint64_t head[2] = {};
    std::uint64_t mask[2] = {};

    Key(std::string_view t, unsigned f) : text(t), flag(f) {
      for (std::size_t w = 0; w < 2 && w * 8 < text.size(); ++w) {
        const std::size_t k = std::min<std::size_t>(text.size() - w * 8, 8);
        std::memcpy(&head[w], text.data() + w * 8, k);
        std::memset(&mask[w], 0xFF, k);
      }
    }
    bool Matches(const std::uint64_t (&word)[2], const char* p) const {
      return (word[0] & mask[0]) == head[0] && (word[1] & mask[1]) == head[1] &&
             (text.size() <= 16 || std::memcmp(p + 16, text.data() + 16, text.size() - 16) == 0);
    }
  };
  static constexpr std::size_t kChunk = 4096;

  // Keys go by their first two bytes, which tell most of them apart and drop the bytes of label
  // texts at once.
  static std::size_t Bucket(char first, char second) {
    return (static_cast<unsigned char>(first) * 7u + static_cast<unsigned char>(second)) & 255u;
  }

  void add(std::string_view text, unsigned flag) {
    if (text.empty() ||
        (flag != 0 && (text.size() < 2 || text.find_first_of("\r\n") != std::string_view::npos))) {
      usable_ = false;
      return;
    }
    const unsigned char c = static_cast<unsigned char>(text[0]);
    if (firstBytes_.find(static_cast<char>(c)) == std::string::npos) {
      if (firstBytes_.size() == kMaxMarkedBytes) {
        usable_ = false;
        return;
      }
      firstBytes_ += static_cast<char>(c);
    }
    if (flag != 0) {
      buckets_[flag == kHasHeader ? 0 : 1][Bucket(text[0], text[1])].push_back(Key{text, flag});
    }
  }

  std::string firstBytes_;
  std::vector<Key> buckets_[2][256];  // header markers; keys inside an element
  std::uint64_t bits_[kChunk / 64];
  std::uint64_t lines_ = 0;
  bool usable_ = true;
};

}  // namespace

LayerKeys DataLayerKeys(std::string_view layer) {
  return LayerKeys{{"Data"}, {"Data" + std::string(layer) + "="}};
}

LayerKeys DataOrOriginLevelKeys(int level) {
  const std::string n = std::to_string(level);
  return LayerKeys{{"Data", "Origin"}, {"Data" + n + "=", "Origin" + n + "="}};
}

TransformResult ResultOf(const LayerCounts& counts) {
  return {{{"elementsDeleted", "удалено элементов", counts.elementsDeleted},
           {"elementsReduced", "переписано элементов в сокращённом виде", counts.elementsReduced},
           {"linesDropped", "удалено строк из оставшихся элементов", counts.linesDropped}},
          counts.elementsDeleted > 0 || counts.elementsReduced > 0,
          std::nullopt};
}

namespace {

template <KeptForm kForm>
LayerCounts DeleteLayerAs(LineReader& in, LineWriter& out, const LayerKeys& keys) {
  LayerFilter<kForm> filter(out);
  KeyScanner scanner;
  if (scanner.Prepare(keys)) {
    for (std::string_view lines; !(lines = in.PeekLines()).empty(); in.Skip(lines.size())) {
      scanner.Run(lines, filter, out);
      filter.Keep();
    }
  }
  // The plain tests: for a last line without an end, and for keys the scan does not suit.
  std::uint64_t number = scanner.Lines();
  std::string_view line;
  while (in.ReadLine(line)) {
    if (filter.Take(line, KeysOf(line, keys), ++number)) out.WriteLine(line);
    filter.Keep();
  }
  filter.Close(number);
  return filter.counts();
}

}  // namespace

LayerCounts DeleteLayer(LineReader& in, LineWriter& out, const LayerKeys& keys, KeptForm form) {
  return form == KeptForm::kWhole ? DeleteLayerAs<KeptForm::kWhole>(in, out, keys)
                                  : DeleteLayerAs<KeptForm::kReduced>(in, out, keys);
}

FileOutcome DeleteLayerInFile(const std::string& path, const DeleteLayerOptions& options,
                              const BatchContext& batch) {
  RewriteRequest request =
      BatchRequest(batch, path, MakeOutputPath(path, "_" + options.layer + "_layer_deleted.mp"),
                   options.inPlace);
  const LayerKeys keys = DataLayerKeys(options.layer);
  return RewriteFile(request, [&](LineReader& in, LineWriter& out) {
    return ResultOf(DeleteLayer(in, out, keys, options.kept));
  });
}

BatchReport DeleteLayerJob(const DeleteLayerOptions& options, const std::vector<std::string>& files,
                           const BatchContext& batch) {
  return RunBatchJob(
      batch, files,
      [&](const std::string& path) { return DeleteLayerInFile(path, options, batch); },
      OneRewritePerFile());
}

}  // namespace pomvelt
