#include "text/cp1251.h"

#include <utility>

#include "text/letter_case.h"
#include "text/page_codec.h"

namespace pomvelt {

namespace {

struct CaseTables {
  std::array<char, 256> upper{};
  std::array<char, 256> lower{};
};

// The pairs of letter_case.h that code page 1251 holds both letters of: Latin, Russian, Ё/ё and
// the other Cyrillic letters of the page (Ђ/ђ, Ѓ/ѓ, Љ/љ, Њ/њ, Ќ/ќ, Ћ/ћ, Џ/џ, Ў/ў, Ј/ј, Ґ/ґ, Є/є,
// Ї/ї, І/і, Ѕ/ѕ). Fixed at compile time: this is the hot path of every translation.
constexpr CaseTables MakeCaseTables() {
  CaseTables t;
  for (int i = 0; i < 256; ++i) {
    const auto b = static_cast<std::size_t>(i);
    const char32_t c = i < 0x80 ? static_cast<char32_t>(i) : cp1251_detail::kHighHalf[b - 0x80];
    const int up = c == 0 && i != 0 ? -1 : cp1251_detail::ByteOf(UpperOf(c));
    const int low = c == 0 && i != 0 ? -1 : cp1251_detail::ByteOf(LowerOf(c));
    t.upper[b] = static_cast<char>(up < 0 ? i : up);
    t.lower[b] = static_cast<char>(low < 0 ? i : low);
  }
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
  const PageCodec* codec = PageCodec::For(CodePage(1251));
  if (codec == nullptr) return std::nullopt;
  return codec->FromUtf8(utf8);
}

// On Windows too the name is UTF-8: the program turns the system's UTF-16 into UTF-8.
std::string FileNameToCp1251(std::string_view name) {
  std::optional<std::string> converted = Utf8ToCp1251(name);
  return converted ? std::move(*converted) : std::string(name);
}

std::string Cp1251ToUtf8(std::string_view bytes) {
  std::string out;
  const PageCodec* codec = PageCodec::For(CodePage(1251));
  if (codec == nullptr) return std::string(bytes);
  out.reserve(bytes.size() * 2);
  for (std::size_t i = 0; i < bytes.size();) out += Utf8Of(codec->Decode(bytes, i));
  return out;
}

}  // namespace pomvelt
