// The map generator of the benchmark, shared with the tests that check every command's output
// on generated maps. The same seed always gives the same bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "text/cp1251.h"

namespace pomvelt::bench {

class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {  // splitmix64
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }

 private:
  std::uint64_t state_;
};

inline constexpr std::string_view kLatinNames[] = {
    "HOVGOROD",   "ZVEHIGOROD-II", "MOSKVA",       "SANKT-PETERBURG", "TVER'",      "SHCHUKINO",
    "UL. LENINA", "PROSPEKT MIRA", "A-IVANOVKA-I", "KRASNOYE SELO",   "YAROSLAVL'", "OKA"};
inline constexpr std::string_view kCyrillicNames[] = {
    "Новгород"_cp,   "Звенигород"_cp, "Москва"_cp, "Щукино"_cp,
    "УЛ. ЛЕНИНА"_cp, "4-Й ПРОЕЗД"_cp, "Ёлкино"_cp, "Красное Село"_cp};
inline constexpr std::string_view kPoiTypes[] = {"0x2f06", "0x6401", "0x2c04", "0x4400", "0x1"};
inline constexpr std::string_view kLineTypes[] = {"0x1", "0x2", "0x4", "0x6", "0x16", "0x4b"};
inline constexpr std::string_view kPolygonTypes[] = {"0x4b", "0x1", "0x3", "0x17", "0x28", "0x50"};

template <std::size_t N>
inline std::string_view Pick(Random& r, const std::string_view (&table)[N]) {
  return table[r.Below(static_cast<int>(N))];
}

inline void Coordinates(Random& r, std::string& out, int points) {
  for (int i = 0; i < points; ++i) {
    if (i > 0) out += ',';
    const long lat = 55000000 + r.Below(2000000);
    const long lon = 37000000 + r.Below(2000000);
    char point[48];
    std::snprintf(point, sizeof point, "(%ld.%06ld,%ld.%06ld)", lat / 1000000, lat % 1000000,
                  lon / 1000000, lon % 1000000);
    out += point;
  }
}

inline void Label(Random& r, std::string& out, bool road) {
  out += "Label=";
  if (road && r.Below(3) == 0) {
    out += "~[0x2";
    out += static_cast<char>('a' + r.Below(6));
    out += "]";
    out += std::to_string(1 + r.Below(300));
    if (r.Below(2) == 0) return void(out += "\r\n");
    out += ' ';
  }
  out += r.Below(3) == 0 ? Pick(r, kCyrillicNames) : Pick(r, kLatinNames);
  out += "\r\n";
}

inline void Element(Random& r, std::string& out) {
  const int kind = r.Below(10);  // 0-2 points, 3-6 lines, 7-9 polygons
  const bool rgn = r.Below(4) == 0;
  std::string_view header, end, type;
  if (kind < 3) {
    header = rgn ? "[RGN10]" : "[POI]";
    end = rgn ? "[END-RGN10]" : "[END]";
    type = Pick(r, kPoiTypes);
  } else if (kind < 7) {
    header = rgn ? "[RGN40]" : "[POLYLINE]";
    end = rgn ? "[END-RGN40]" : "[END]";
    type = Pick(r, kLineTypes);
  } else {
    header = rgn ? "[RGN80]" : "[POLYGON]";
    end = rgn ? "[END-RGN80]" : "[END]";
    type = Pick(r, kPolygonTypes);
  }
  out += header;
  out += "\r\nType=";
  out += type;
  out += "\r\n";
  if (r.Below(5) != 0) Label(r, out, kind >= 3 && kind < 7);
  if (kind >= 3 && kind < 7 && r.Below(4) == 0) out += "DirIndicator=1\r\n";
  if (r.Below(6) == 0) out += "CityIdx=1\r\n";
  if (kind < 3 && r.Below(3) == 0) {
    out += "Origin" + std::to_string(r.Below(3)) + "=";
    Coordinates(r, out, 1);
    out += "\r\n";
  } else {
    const int first = r.Below(3);
    const int levels = 1 + r.Below(3);
    for (int level = first; level < first + levels && level <= 5; ++level) {
      out += "Data" + std::to_string(level) + "=";
      Coordinates(r, out, kind < 3 ? 1 : 2 + r.Below(12));
      out += "\r\n";
    }
  }
  out += end;
  out += "\r\n\r\n";
}

// The fixed head of every generated map: the map's header section.
inline constexpr std::string_view kMapHead =
    "[IMG ID]\r\nID=63240001\r\nName=Bench map\r\nCodePage=1251\r\nLblCoding=9\r\n"
    "Preprocess=F\r\nTreSize=1000\r\nLevels=6\r\nLevel0=24\r\nLevel1=22\r\nLevel2=20\r\n"
    "Level3=18\r\nLevel4=16\r\nLevel5=14\r\nZoom0=0\r\nZoom1=1\r\nZoom2=2\r\nZoom3=3\r\n"
    "Zoom4=4\r\nZoom5=5\r\n[END-IMG ID]\r\n\r\n";

// A whole map in memory: the head, then whole elements while the map is shorter than `size`;
// the same bytes the generator program writes for the seed and size.
inline std::string GenerateMap(std::uint64_t seed, std::size_t size) {
  Random r(seed);
  std::string map(kMapHead);
  while (map.size() < size) Element(r, map);
  return map;
}

}  // namespace pomvelt::bench
