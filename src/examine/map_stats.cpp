#include "examine/map_stats.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "examine/code_page.h"
#include "examine/map_scan.h"
#include "jobs/file_rewrite.h"
#include "text/file_io.h"
#include "text/strings.h"

namespace pomvelt {

namespace {

// Counts by kind and type code. A map has few distinct codes but many elements, so the codes
// go into an open hash table that allocates only for a code it has not seen. Codes are short:
// one of up to eight bytes is found by one compare of a word.
class TypeTable {
 public:
  TypeTable() : slots_(64, kEmpty) {}

  std::size_t Find(ElementKind kind, std::string_view type) {
    const std::uint64_t word = Word(type);
    std::size_t h = Hash(kind, type.size(), word);
    for (std::size_t mask = slots_.size() - 1;; ++h) {
      std::size_t& slot = slots_[h & mask];
      if (slot == kEmpty) {
        slot = entries_.size();
        entries_.push_back(TypeCount{kind, std::string(type), 0});
        words_.push_back(word);
        if (entries_.size() * 2 > slots_.size()) Grow();
        return entries_.size() - 1;
      }
      const TypeCount& e = entries_[slot];
      if (words_[slot] == word && e.kind == kind && e.type.size() == type.size() &&
          (type.size() <= 8 || e.type == type)) {
        return slot;
      }
    }
  }
  void Count(std::size_t entry) { ++entries_[entry].count; }
  std::vector<TypeCount> Sorted() && {
    std::sort(entries_.begin(), entries_.end(), [](const TypeCount& a, const TypeCount& b) {
      return a.kind != b.kind ? a.kind < b.kind : a.type < b.type;
    });
    return std::move(entries_);
  }

 private:
  static constexpr std::size_t kEmpty = static_cast<std::size_t>(-1);
  // The first eight bytes (zeros past the end).
  static std::uint64_t Word(std::string_view type) {
    // Loads of fixed sizes, which the compiler makes single moves: codes are 3 to 6 bytes.
    const std::size_t n = type.size();
    const char* p = type.data();
    std::uint64_t w = 0;
    if (n >= 8) {
      std::memcpy(&w, p, 8);
    } else if (n >= 4 && std::endian::native == std::endian::little) {
      std::uint32_t lo, hi;
      std::memcpy(&lo, p, 4);
      std::memcpy(&hi, p + n - 4, 4);
      w = lo | std::uint64_t{hi} << (8 * (n - 4));
    } else {
      for (std::size_t i = 0; i < n; ++i) {
        w |= std::uint64_t{static_cast<unsigned char>(p[i])} << (8 * i);
      }
    }
    return w;
  }
  static std::size_t Hash(ElementKind kind, std::size_t size, std::uint64_t word) {
    const std::uint64_t h =
        (word ^ (static_cast<std::uint64_t>(size) << 56) ^ static_cast<std::uint64_t>(kind)) *
        0x9E3779B97F4A7C15ull;
    return static_cast<std::size_t>(h >> 32);
  }
  void Grow() {
    std::vector<std::size_t> bigger(slots_.size() * 2, kEmpty);
    for (std::size_t i = 0; i < entries_.size(); ++i) {
      std::size_t h = Hash(entries_[i].kind, entries_[i].type.size(), words_[i]);
      while (bigger[h & (bigger.size() - 1)] != kEmpty) ++h;
      bigger[h & (bigger.size() - 1)] = i;
    }
    slots_.swap(bigger);
  }
  std::vector<std::size_t> slots_;
  std::vector<TypeCount> entries_;
  std::vector<std::uint64_t> words_;  // Word of each entry's type
};

class StatsCollector {
 public:
  void Bytes(std::string_view bytes, std::uint64_t) { stats_.bytes += bytes.size(); }

  // Every line comes here: kept small, so that the scanner's loop holds it, with the rare
  // work out of line.
  [[gnu::always_inline]] void Line(const MapLine& line, const MapSection& section) {
    switch (section.place) {
      case MapPlace::kMapHeader:
        HeaderKey(line.text);
        return;
      case MapPlace::kElement:
        break;
      default:
        return;
    }
    switch (line.kind) {
      case MapLineKind::kElementHeader:
        type_ = kNoType;
        levels_ = 0;
        if (!highLevels_.empty()) highLevels_.clear();
        return;
      case MapLineKind::kType:
        if (type_ == kNoType) type_ = types_.Find(section.element, line.text.substr(5));
        return;
      case MapLineKind::kLabel:
        ++stats_.labels;
        return;
      case MapLineKind::kCoordinates:
        if (line.level < 64) {
          levels_ |= std::uint64_t{1} << line.level;
        } else {
          HighLevel(line.level);
        }
        return;
      case MapLineKind::kSectionEnd:
        Commit(section);
        return;
      default:
        return;
    }
  }

  void Unended(const MapSection& section, std::uint64_t) {
    if (section.place == MapPlace::kElement) Commit(section);
  }

  MapStats Result(std::uint64_t lines) && {
    stats_.lines = lines;
    stats_.types = std::move(types_).Sorted();
    for (std::size_t level = 0; level < lowLevels_.size(); ++level) {
      if (lowLevels_[level] != 0) stats_.levels[static_cast<int>(level)] += lowLevels_[level];
    }
    return std::move(stats_);
  }

 private:
  static constexpr std::size_t kNoType = static_cast<std::size_t>(-1);

  [[gnu::noinline]] void HighLevel(int level) {
    if (std::find(highLevels_.begin(), highLevels_.end(), level) == highLevels_.end()) {
      highLevels_.push_back(level);
    }
  }

  [[gnu::noinline]] void HeaderKey(std::string_view text) {
    auto take = [&](std::optional<std::string>& slot, std::string_view key) {
      if (!slot && BeginsWith(text, key)) slot = std::string(text.substr(key.size()));
    };
    take(stats_.id, "ID=");
    take(stats_.name, "Name=");
    take(stats_.levelCount, "Levels=");
    if (!stats_.codePage) {
      if (const auto value = CodePageValue(text)) stats_.codePage = std::string(*value);
    }
  }

  [[gnu::noinline]] void Commit(const MapSection& section) {
    ++stats_.elements[static_cast<std::size_t>(section.element)];
    types_.Count(type_ != kNoType ? type_ : types_.Find(section.element, {}));
    for (std::uint64_t m = levels_; m != 0; m &= m - 1) {
      ++lowLevels_[static_cast<std::size_t>(std::countr_zero(m))];
    }
    for (int level : highLevels_) ++stats_.levels[level];
  }

  MapStats stats_;
  TypeTable types_;
  std::size_t type_ = kNoType;
  std::uint64_t levels_ = 0;     // the levels of the element's coordinates below 64, one bit each
  std::vector<int> highLevels_;  // and any above
  std::array<std::uint64_t, 64> lowLevels_{};  // elements per level below 64
};

}  // namespace

void MapStats::Add(const MapStats& other) {
  lines += other.lines;
  bytes += other.bytes;
  labels += other.labels;
  for (std::size_t k = 0; k < elements.size(); ++k) elements[k] += other.elements[k];
  for (const auto& [level, count] : other.levels) levels[level] += count;
  std::vector<TypeCount> merged;
  std::merge(types.begin(), types.end(), other.types.begin(), other.types.end(),
             std::back_inserter(merged), [](const TypeCount& a, const TypeCount& b) {
               return a.kind != b.kind ? a.kind < b.kind : a.type < b.type;
             });
  types.clear();
  for (TypeCount& t : merged) {
    if (!types.empty() && types.back().kind == t.kind && types.back().type == t.type) {
      types.back().count += t.count;
    } else {
      types.push_back(std::move(t));
    }
  }
}

MapStats CollectStats(LineReader& in) {
  StatsCollector collector;
  const std::uint64_t lines = ScanMap(in, collector);
  return std::move(collector).Result(lines);
}

namespace {

// The parts' counts as one map's: the header values from the first part that has them.
MapStats Merge(std::vector<ScannedPart<StatsCollector>>& parts) {
  MapStats total = std::move(parts[0].visitor).Result(parts[0].lines);
  for (std::size_t i = 1; i < parts.size(); ++i) {
    MapStats part = std::move(parts[i].visitor).Result(parts[i].lines);
    for (auto field :
         {&MapStats::id, &MapStats::name, &MapStats::codePage, &MapStats::levelCount}) {
      if (!(total.*field)) total.*field = std::move(part.*field);
    }
    total.Add(part);
  }
  return total;
}

}  // namespace

std::optional<MapStats> StatsOfFile(const std::string& path, JobHost& host,
                                    const ScanPartsOptions& options) {
  InputFile input;
  if (!input.Open(path)) {
    host.MessageBox(WithSystemReason(CannotOpenNamedForReading(path), input.Error()));
    return std::nullopt;
  }
  const auto size = static_cast<std::uint64_t>(input.Identity().size);
  const std::vector<std::uint64_t> starts = MapPartStarts(input, size, options);
  if (starts.size() > 1) {
    auto parts = ScanMapParts<StatsCollector>(input, starts, size,
                                              [](std::size_t) { return StatsCollector(); });
    for (const auto& part : parts) {
      if (part.failed) {
        host.MessageBox(WithSystemReason(ReadErrorMessage(path), part.error));
        return std::nullopt;
      }
    }
    // A file cut meanwhile is read again as a whole, as it is now.
    const bool changed =
        std::any_of(parts.begin(), parts.end(), [](const auto& part) { return part.endedEarly; });
    if (!changed) return Merge(parts);
    if (!input.Rewind()) {
      host.MessageBox(WithSystemReason(ReadErrorMessage(path), input.Error()));
      return std::nullopt;
    }
  }
  LineReader reader(input);
  MapStats stats = CollectStats(reader);
  if (reader.Failed()) {
    host.MessageBox(WithSystemReason(ReadErrorMessage(path), input.Error()));
    return std::nullopt;
  }
  return stats;
}

const char* ElementKindName(ElementKind kind) {
  switch (kind) {
    case ElementKind::kLine:
      return "line";
    case ElementKind::kPoint:
      return "point";
    case ElementKind::kPolygon:
      break;
  }
  return "polygon";
}

}  // namespace pomvelt
