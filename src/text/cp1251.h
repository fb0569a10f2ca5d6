// Code page 1251: the page of the program's own texts in maps, list files and scripts, and of
// every map that declares no other. Constants are written in the sources as readable UTF-8 and
// turned into code page 1251 bytes at compile time with the _cp literal (the table below
// serves only that); texts are converted at run time through the platform's converter
// (page_codec.h), which refuses what code page 1251 cannot hold.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

namespace pomvelt {

namespace cp1251_detail {

// Unicode code points of the bytes 0x80..0xFF of code page 1251 (0 where the byte is unused).
inline constexpr std::array<char32_t, 128> kHighHalf = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,  // C0
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,  // C8
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,  // D0
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,  // D8
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,  // E0
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,  // E8
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,  // F0
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,  // F8
};

// The code page 1251 byte of a code point, or -1 when the code page has none.
constexpr int ByteOf(char32_t cp) {
  if (cp < 0x80) return static_cast<int>(cp);
  for (std::size_t i = 0; i < kHighHalf.size(); ++i) {
    if (kHighHalf[i] == cp) return static_cast<int>(0x80 + i);
  }
  return -1;
}

// Decodes one UTF-8 sequence at s[i]; advances i. Returns U+FFFFFFFF for malformed input.
constexpr char32_t DecodeUtf8(std::string_view s, std::size_t& i) {
  const auto b0 = static_cast<unsigned char>(s[i++]);
  if (b0 < 0x80) return b0;
  int extra = 0;
  char32_t cp = 0;
  if ((b0 & 0xE0) == 0xC0) {
    extra = 1;
    cp = b0 & 0x1Fu;
  } else if ((b0 & 0xF0) == 0xE0) {
    extra = 2;
    cp = b0 & 0x0Fu;
  } else if ((b0 & 0xF8) == 0xF0) {
    extra = 3;
    cp = b0 & 0x07u;
  } else {
    return 0xFFFFFFFF;
  }
  for (int k = 0; k < extra; ++k) {
    if (i >= s.size()) return 0xFFFFFFFF;
    const auto b = static_cast<unsigned char>(s[i++]);
    if ((b & 0xC0) != 0x80) return 0xFFFFFFFF;
    cp = (cp << 6) | (b & 0x3Fu);
  }
  return cp;
}

template <std::size_t N>
struct Utf8Literal {
  char bytes[N]{};
  consteval Utf8Literal(const char (&s)[N]) {  // NOLINT: implicit by design
    for (std::size_t i = 0; i < N; ++i) bytes[i] = s[i];
  }
};

template <std::size_t N>
struct Cp1251Bytes {
  char data[N]{};
  std::size_t size = 0;
};

void NotInCodePage1251();  // not constexpr: calling it makes a literal ill-formed

template <std::size_t N>
consteval Cp1251Bytes<N> Convert(const char (&utf8)[N]) {
  Cp1251Bytes<N> out{};
  const std::string_view in(utf8, N - 1);
  std::size_t i = 0;
  while (i < in.size()) {
    const int b = ByteOf(DecodeUtf8(in, i));
    if (b < 0) NotInCodePage1251();
    out.data[out.size++] = static_cast<char>(b);
  }
  return out;
}

template <Utf8Literal S>
inline constexpr auto kStored = Convert(S.bytes);

// The same keyed by the characters themselves, for compilers that take the literal as a pack.
template <char... C>
inline constexpr char kUtf8Chars[] = {C..., '\0'};
template <char... C>
inline constexpr auto kStoredChars = Convert(kUtf8Chars<C...>);

}  // namespace cp1251_detail

// "Новгород"_cp is the code page 1251 spelling of the UTF-8 literal, fixed at compile time.
// A character that code page 1251 lacks makes the program ill-formed.
#if defined(__clang__) && __clang_major__ < 15
// clang 14 crashes when it prints a call of a literal operator whose template argument is a
// class object, which it does while trying out a constant evaluation (of `std::string s(
// "x"_cp);` for one). There the literal takes its characters as a pack, a GNU extension.
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wgnu-string-literal-operator-template"
template <typename Char, Char... C>
consteval std::string_view operator""_cp() {
  static_assert(std::is_same_v<Char, char>, "_cp takes narrow (UTF-8) literals");
  return std::string_view(cp1251_detail::kStoredChars<C...>.data,
                          cp1251_detail::kStoredChars<C...>.size);
}
#pragma clang diagnostic pop
#else
template <cp1251_detail::Utf8Literal S>
consteval std::string_view operator""_cp() {
  return std::string_view(cp1251_detail::kStored<S>.data, cp1251_detail::kStored<S>.size);
}
#endif

// Upper and lower case of code page 1251: every letter of the page that has a pair, Latin and
// Cyrillic; every other byte unchanged.
char ToUpper1251(char c);
char ToLower1251(char c);
void MakeUpper1251(std::string& s);
void MakeLower1251(std::string& s);

// A user's UTF-8 text in code page 1251, or nullopt when it holds a character the code page
// lacks or is not valid UTF-8.
std::optional<std::string> Utf8ToCp1251(std::string_view utf8);
// A file name as the operating system spells it, in code page 1251, for the lists that name
// files. POSIX names are taken as UTF-8; a name that is not UTF-8 text code page 1251 can hold
// is kept byte for byte. Windows narrow names are already in the ANSI code page.
std::string FileNameToCp1251(std::string_view name);
// Code page 1251 bytes as UTF-8 (the unused byte 0x98 becomes U+FFFD).
std::string Cp1251ToUtf8(std::string_view bytes);

}  // namespace pomvelt
