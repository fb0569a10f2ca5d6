#include "text/page_codec.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>

#include "text/letter_case.h"
#include "text/platform_codec.h"

namespace pomvelt {

namespace {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
char32_t DecodeUtf8At(std::string_view s, std::size_t& i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    ++i;
    return b0;
  }
  std::size_t extra = 0;
  char32_t c = 0;
  char32_t least = 0;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    extra = 1, c = b0 & 0x1Fu, least = 0x80;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    extra = 2, c = b0 & 0x0Fu, least = 0x800;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    extra = 3, c = b0 & 0x07u, least = 0x10000;
  } else {
    ++i;
    return PageCodec::kInvalid;
  }
  if (s.size() - i <= extra) {
    ++i;
    return PageCodec::kInvalid;
  }
  for (std::size_t k = 1; k <= extra; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) {
      ++i;
      return PageCodec::kInvalid;
    }
    c = (c << 6) | (b & 0x3Fu);
  }
  if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
    ++i;
    return PageCodec::kInvalid;
  }
  i += extra + 1;
  return c;
}

void AppendUtf8(char32_t c, std::string& out) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// The one character a byte of a single-byte page stands for, as the platform says.
char32_t PlatformCharacterOf(int page, unsigned char byte) {
  const std::optional<std::string> utf8 =
      PlatformDecode(page, std::string(1, static_cast<char>(byte)));
  if (!utf8 || utf8->empty()) return PageCodec::kInvalid;
  std::size_t i = 0;
  const char32_t c = DecodeUtf8At(*utf8, i);
  return i == utf8->size() ? c : PageCodec::kInvalid;
}

}  // namespace

const PageCodec* PageCodec::For(CodePage page) {
  static std::mutex mutex;
  static std::map<int, std::unique_ptr<PageCodec>> codecs;  // nullptr: the platform lacks it
  if (!page.IsSupported()) return nullptr;
  const std::lock_guard<std::mutex> lock(mutex);
  const auto found = codecs.find(page.number());
  if (found != codecs.end()) return found->second.get();
  std::unique_ptr<PageCodec> codec(new PageCodec(page));
  if (!page.IsUtf8() && !codec->BuildSingleByte()) codec.reset();
  return (codecs[page.number()] = std::move(codec)).get();
}

bool PageCodec::BuildSingleByte() {
  // Every rule of the map format reads ASCII: a page that does not keep it is no map's page.
  std::string low;
  for (int b = 0; b < 0x80; ++b) low.push_back(static_cast<char>(b));
  if (PlatformDecode(page_.number(), low) != low) return false;
  // The whole upper half in one call when the page defines all of it, byte by byte otherwise.
  std::string high;
  for (int b = 0x80; b < 0x100; ++b) high.push_back(static_cast<char>(b));
  const std::optional<std::string> all = PlatformDecode(page_.number(), high);
  std::size_t at = 0;
  for (int b = 0; b < 0x100; ++b) {
    const auto byte = static_cast<unsigned char>(b);
    char32_t c = byte;
    if (byte >= 0x80) c = all ? DecodeUtf8At(*all, at) : PlatformCharacterOf(page_.number(), byte);
    decode_[byte] = c;
    if (byte >= 0x80 && c != kInvalid) encode_.emplace_back(c, byte);
  }
  // By character, then byte: where two bytes stand for one character the lower one is written.
  std::sort(encode_.begin(), encode_.end());
  for (int b = 0; b < 0x100; ++b) {
    const auto byte = static_cast<unsigned char>(b);
    upper_[byte] = lower_[byte] = byte;
    if (decode_[byte] == kInvalid) continue;
    std::string one;
    if (Encode(UpperOf(decode_[byte]), one)) upper_[byte] = static_cast<unsigned char>(one[0]);
    one.clear();
    if (Encode(LowerOf(decode_[byte]), one)) lower_[byte] = static_cast<unsigned char>(one[0]);
  }
  return true;
}

char32_t PageCodec::Decode(std::string_view s, std::size_t& i) const {
  if (IsUtf8()) return DecodeUtf8At(s, i);
  return decode_[static_cast<unsigned char>(s[i++])];
}

bool PageCodec::Encode(char32_t c, std::string& out) const {
  if (c == kInvalid) return false;
  if (IsUtf8()) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    AppendUtf8(c, out);
    return true;
  }
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
    return true;
  }
  const auto it = std::lower_bound(encode_.begin(), encode_.end(), c,
                                   [](const auto& e, char32_t v) { return e.first < v; });
  if (it == encode_.end() || it->first != c) return false;
  out.push_back(static_cast<char>(it->second));
  return true;
}

bool PageCodec::CanDecode(std::string_view bytes) const {
  for (std::size_t i = 0; i < bytes.size();) {
    if (static_cast<unsigned char>(bytes[i]) < 0x80) {
      ++i;
    } else if (Decode(bytes, i) == kInvalid) {
      return false;
    }
  }
  return true;
}

std::optional<std::string> PageCodec::ToUtf8(std::string_view bytes) const {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (std::size_t i = 0; i < bytes.size();) {
    const char32_t c = Decode(bytes, i);
    if (c == kInvalid) return std::nullopt;
    AppendUtf8(c, out);
  }
  return out;
}

std::optional<std::string> PageCodec::FromUtf8(std::string_view text, char32_t* missing) const {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const char32_t c = DecodeUtf8At(text, i);
    if (!Encode(c, out)) {
      if (missing != nullptr) *missing = c;
      return std::nullopt;
    }
  }
  return out;
}

void PageCodec::Recase(std::string& text, bool upper) const {
  if (!IsUtf8()) {
    const auto& table = upper ? upper_ : lower_;
    for (char& c : text) c = static_cast<char>(table[static_cast<unsigned char>(c)]);
    return;
  }
  // Both letters of every pair take the same number of bytes, so each is rewritten in place.
  for (std::size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) {
      text[i++] = static_cast<char>(upper ? UpperOf(b) : LowerOf(b));
      continue;
    }
    const std::size_t start = i;
    const char32_t c = DecodeUtf8At(text, i);
    if (c == kInvalid) continue;
    const char32_t to = upper ? UpperOf(c) : LowerOf(c);
    if (to == c) continue;
    std::string bytes;
    AppendUtf8(to, bytes);
    if (bytes.size() == i - start) text.replace(start, bytes.size(), bytes);
  }
}

void PageCodec::MakeUpper(std::string& text) const {
  Recase(text, true);
}

void PageCodec::MakeLower(std::string& text) const {
  Recase(text, false);
}

void PageCodec::RaiseAt(std::string& text, std::size_t& i) const {
  const auto b = static_cast<unsigned char>(text[i]);
  if (!IsUtf8() || b < 0x80) {
    text[i] = static_cast<char>(IsUtf8() ? UpperOf(b) : upper_[b]);
    ++i;
    return;
  }
  const std::size_t start = i;
  const char32_t c = DecodeUtf8At(text, i);
  if (c == kInvalid) return;
  std::string bytes;
  AppendUtf8(UpperOf(c), bytes);
  if (bytes.size() == i - start) text.replace(start, bytes.size(), bytes);
}

std::optional<ConversionStop> ConvertText(std::string_view bytes, const PageCodec& from,
                                          const PageCodec& to, std::string& out,
                                          std::optional<char> replacement, std::size_t* replaced) {
  for (std::size_t i = 0; i < bytes.size();) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80) {  // the same byte in every supported page
      out.push_back(static_cast<char>(b));
      ++i;
      continue;
    }
    const std::size_t start = i;
    const char32_t c = from.Decode(bytes, i);
    if (to.Encode(c, out)) continue;
    if (!replacement) return ConversionStop{start, i - start, c};
    out.push_back(*replacement);
    if (replaced != nullptr) ++*replaced;
  }
  return std::nullopt;
}

std::string Utf8Of(char32_t c) {
  std::string out;
  AppendUtf8(c == PageCodec::kInvalid ? char32_t{0xFFFD} : c, out);
  return out;
}

std::string DescribeCharacter(char32_t c) {
  char code[16];
  std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
  return "«" + Utf8Of(c) + "» (" + code + ")";
}

std::string DescribeBytes(std::string_view bytes) {
  std::string out;
  for (const char c : bytes) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", static_cast<unsigned>(static_cast<unsigned char>(c)));
    if (!out.empty()) out += ' ';
    out += hex;
  }
  return out;
}

}  // namespace pomvelt
