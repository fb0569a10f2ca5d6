#include "jobs/delete_layer.h"

#include <bit>
#include <cstdint>

#include "jobs/element_scanner.h"
#include "jobs/file_rewrite.h"
#include "jobs/polish_format.h"
#include "text/strings.h"

namespace pomvelt {

namespace {

// What a line of an element holds, as far as layer deletion cares. A key's bit is also the
// place of the line it fills in the written element: header, type line, label, city,
// direction, coordinates, end.
enum LayerLineKey : unsigned {
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
  bool Outside() const { return state_ == State::kOutside; }

  // A line without keys passes outside an element and is dropped inside one, unless the element
  // is kept whole; a type line is taken whatever it holds.
  Untouched Others() const {
    switch (state_) {
      case State::kOutside:
        return Untouched::kCopied;
      case State::kAfterHeader:
        return Untouched::kTaken;
      case State::kInside:
        break;
    }
    return kWhole && !onLayer_ ? Untouched::kTaken : Untouched::kDropped;
  }

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

  // Outside an element only a header is wanted; every line after it belongs to the element.
  [[gnu::always_inline]] void Take(std::string_view line, unsigned keys, std::uint64_t number,
                                   ScanOutput& out) {
    switch (state_) {
      case State::kOutside:
        if ((keys & kHasHeader) == 0) return out.Line(line);
        onLayer_ = false;
        filled_ = 0;
        if constexpr (kWhole) {
          element_.clear();
          Copy(line);
        }
        Fill(kHasHeader, line, number);
        state_ = State::kAfterHeader;
        return;
      case State::kAfterHeader:
        if constexpr (kWhole) Copy(line);
        // Taking an end line for the type line would swallow the next element into this one.
        if ((keys & kHasEnd) != 0) {
          Fill(kHasEnd, line, number);
          Finish(number, out);
        } else {
          Fill(kTypeSlot, line, number);
          state_ = State::kInside;
        }
        return;
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
        if ((keys & kHasEnd) != 0) Finish(number, out);
        return;
    }
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
  void Close(std::uint64_t last, ScanOutput& out) {
    if (!Outside()) Finish(last, out);
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
  [[gnu::always_inline]] void Finish(std::uint64_t last, ScanOutput& out) {
    if (onLayer_) {
      ++counts_.elementsDeleted;
    } else if constexpr (kWhole) {
      out.Bytes(element_);
    } else {
      std::uint64_t previous = from_[0];
      bool rising = true;
      unsigned places = 1;
      out.NewLine(lines_[0]);
      for (unsigned f = filled_ & ~kHasHeader; f != 0; f &= f - 1) {
        const int i = std::countr_zero(f);
        out.NewLine(lines_[i]);
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

  State state_ = State::kOutside;
  std::string_view lines_[kSlotCount];
  std::string own_[kSlotCount];
  unsigned filled_ = 0;                  // the places filled, one bit each
  std::uint64_t from_[kSlotCount] = {};  // the number of the line each place was filled from
  bool onLayer_ = false;
  std::string element_;  // kept whole: the element's lines so far, each with CR LF
  LayerCounts counts_;
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

std::vector<LineKey> LineKeysOf(const LayerKeys& keys) {
  std::vector<LineKey> all;
  for (std::string_view m : kHeaderMarkers) all.push_back({std::string(m), kHasHeader});
  for (std::string_view m : kEndMarkers) all.push_back({std::string(m), kHasEnd});
  all.push_back({std::string(kLabelKey), kHasLabel});
  all.push_back({"DirIndicator", kHasDirection});
  all.push_back({"City=", kHasCity});
  for (const std::string& k : keys.coordinate) all.push_back({k, kHasCoordinates});
  for (const std::string& k : keys.onLayer) all.push_back({k, kHasOnLayer});
  return all;
}

template <KeptForm kForm>
LayerCounts DeleteLayerAs(LineReader& in, LineWriter& out, const LayerKeys& keys) {
  LayerFilter<kForm> filter;
  KeyScanner::Scan(in, out, LineKeysOf(keys), filter);
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
