#include "text/cp1251.h"

#include <utility>

namespace pomvelt {

namespace {

struct CaseTables {
  std::array<char, 256> upper{};
  std::array<char, 256> lower{};
};

constexpr CaseTables MakeCaseTables() {
  CaseTables t;
  for (int i = 0; i < 256; ++i) {
    t.upper[static_cast<std::size_t>(i)] = static_cast<char>(i);
    t.lower[static_cast<std::size_t>(i)] = static_cast<char>(i);
  }
  auto pair = [&t](int up, int low) {
    t.upper[static_cast<std::size_t>(low)] = static_cast<char>(up);
    t.lower[static_cast<std::size_t>(up)] = static_cast<char>(low);
  };
  for (int c = 'A'; c <= 'Z'; ++c) pair(c, c + 0x20);
  for (int c = 0xC0; c <= 0xDF; ++c) pair(c, c + 0x20);  // А..Я / а..я
  pair(0xA8, 0xB8);                                      // Ё / ё
  return t;
}

constexpr CaseTables kCase = MakeCaseTables();

}  // namespace

char ToUpper1251(char c) {
  return kCase.upper[static_cast<unsigned char>(c)];
}
char ToLower1251(char c) {
  return kCase.lower[static_cast<unsigned char>(c)];
}

void MakeUpper1251(std::string& s) {
  for (char& c : s) c = ToUpper1251(c);
}

void MakeLower1251(std::string& s) {
  for (char& c : s) c = ToLower1251(c);
}

std::optional<std::string> Utf8ToCp1251(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) {
    const int b = cp1251_detail::ByteOf(cp1251_detail::DecodeUtf8(utf8, i));
    if (b < 0) return std::nullopt;
    out.push_back(static_cast<char>(b));
  }
  return out;
}

std::string FileNameToCp1251(std::string_view name) {
#ifdef _WIN32
  return std::string(name);
#else
  std::optional<std::string> converted = Utf8ToCp1251(name);
  return converted ? std::move(*converted) : std::string(name);
#endif
}

std::string Cp1251ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    char32_t cp = b < 0x80 ? b : cp1251_detail::kHighHalf[b - 0x80u];
    if (b >= 0x80 && cp == 0) cp = 0xFFFD;
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

}  // namespace pomvelt
