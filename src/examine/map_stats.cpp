#include "examine/map_stats.h"

#include <algorithm>
#include <bit>

#include "examine/code_page.h"
#include "examine/map_scan.h"
#include "jobs/file_rewrite.h"
#include "text/file_io.h"
#include "text/strings.h"

namespace pomvelt {

namespace {

// Counts by kind and type code. A map has few distinct codes but many elements, so the codes
// go into an open hash table that allocates only for a code it has not seen.
class TypeTable {
 public:
  TypeTable() : slots_(64, kEmpty) {}

  std::size_t Find(ElementKind kind, std::string_view type) {
    std::size_t h = std::hash<std::string_view>{}(type) ^ static_cast<std::size_t>(kind);
    for (std::size_t mask = slots_.size() - 1;; ++h) {
      std::size_t& slot = slots_[h & mask];
      if (slot == kEmpty) {
        slot = entries_.size();
        entries_.push_back(TypeCount{kind, std::string(type), 0});
        if (entries_.size() * 2 > slots_.size()) Grow();
        return entries_.size() - 1;
      }
      const TypeCount& e = entries_[slot];
      if (e.kind == kind && e.type == type) return slot;
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
  void Grow() {
    std::vector<std::size_t> bigger(slots_.size() * 2, kEmpty);
    for (std::size_t i = 0; i < entries_.size(); ++i) {
      std::size_t h = std::hash<std::string_view>{}(entries_[i].type) ^
                      static_cast<std::size_t>(entries_[i].kind);
      while (bigger[h & (bigger.size() - 1)] != kEmpty) ++h;
      bigger[h & (bigger.size() - 1)] = i;
    }
    slots_.swap(bigger);
  }
  std::vector<std::size_t> slots_;
  std::vector<TypeCount> entries_;
};

class StatsCollector {
 public:
  void Bytes(std::string_view bytes, std::uint64_t) { stats_.bytes += bytes.size(); }

  void Line(const MapLine& line, const MapSection& section) {
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
        highLevels_.clear();
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
        } else if (std::find(highLevels_.begin(), highLevels_.end(), line.level) ==
                   highLevels_.end()) {
          highLevels_.push_back(line.level);
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
    return std::move(stats_);
  }

 private:
  static constexpr std::size_t kNoType = static_cast<std::size_t>(-1);

  void HeaderKey(std::string_view text) {
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

  void Commit(const MapSection& section) {
    ++stats_.elements[static_cast<std::size_t>(section.element)];
    types_.Count(type_ != kNoType ? type_ : types_.Find(section.element, {}));
    for (std::uint64_t m = levels_; m != 0; m &= m - 1) ++stats_.levels[std::countr_zero(m)];
    for (int level : highLevels_) ++stats_.levels[level];
  }

  MapStats stats_;
  TypeTable types_;
  std::size_t type_ = kNoType;
  std::uint64_t levels_ = 0;     // the levels of the element's coordinates below 64, one bit each
  std::vector<int> highLevels_;  // and any above
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

std::optional<MapStats> StatsOfFile(const std::string& path, JobHost& host) {
  InputFile input;
  if (!input.Open(path)) {
    host.MessageBox(WithSystemReason(CannotOpenNamedForReading(path), input.Error()));
    return std::nullopt;
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
