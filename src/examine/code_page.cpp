#include "examine/code_page.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#include "text/byte_scan.h"
#include "text/cp1251.h"

namespace pomvelt {

namespace {

// The bytes each single-byte Windows page leaves without a character (the same the platform's
// converters refuse).
struct UndefinedBytes {
  int codePage;
  std::string_view bytes;
};
constexpr UndefinedBytes kUndefined[] = {
    {874,
     "\x81\x82\x83\x84\x86\x87\x88\x89\x8A\x8B\x8C\x8D\x8E\x8F\x90\x98\x99\x9A\x9B\x9C\x9D\x9E"
     "\x9F\xDB\xDC\xDD\xDE\xFC\xFD\xFE\xFF"},
    {1250, "\x81\x83\x88\x90\x98"},
    {1251, "\x98"},
    {1252, "\x81\x8D\x8F\x90\x9D"},
    {1253, "\x81\x88\x8A\x8C\x8D\x8E\x8F\x90\x98\x9A\x9C\x9D\x9E\x9F\xAA\xD2\xFF"},
    {1254, "\x81\x8D\x8E\x8F\x90\x9D\x9E"},
    {1255,
     "\x81\x8A\x8C\x8D\x8E\x8F\x90\x9A\x9C\x9D\x9E\x9F\xCA\xD9\xDA\xDB\xDC\xDD\xDE\xDF\xFB\xFC"
     "\xFF"},
    {1256, ""},
    {1257, "\x81\x83\x88\x8A\x8C\x90\x98\x9A\x9C\x9F\xA1\xA5"},
    {1258, "\x81\x8A\x8D\x8E\x8F\x90\x9A\x9D\x9E"},
};

constexpr std::uint64_t kHighBits = 0x8080808080808080ull;

// Past the bytes below 0x80, eight at a time.
const char* SkipAscii(const char* p, const char* end) {
  while (end - p >= 8) {
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    if ((w & kHighBits) != 0) return p + std::countr_zero(w & kHighBits) / 8;
    p += 8;
  }
  while (p < end && static_cast<unsigned char>(*p) < 0x80) ++p;
  return p;
}

// The length of the well-formed UTF-8 sequence at p (no overlong forms, surrogates or code
// points past U+10FFFF), or 0.
std::size_t Utf8SequenceLength(const unsigned char* p, const unsigned char* end) {
  const unsigned b0 = p[0];
  std::size_t n;
  unsigned lo = 0x80, hi = 0xBF;  // the range of the second byte
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    n = 2;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    n = 3;
    if (b0 == 0xE0) lo = 0xA0;
    if (b0 == 0xED) hi = 0x9F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    n = 4;
    if (b0 == 0xF0) lo = 0x90;
    if (b0 == 0xF4) hi = 0x8F;
  } else {
    return 0;
  }
  if (static_cast<std::size_t>(end - p) < n) return 0;
  if (p[1] < lo || p[1] > hi) return 0;
  for (std::size_t i = 2; i < n; ++i) {
    if ((p[i] & 0xC0) != 0x80) return 0;
  }
  return n;
}

}  // namespace

std::optional<std::string_view> CodePageValue(std::string_view line) {
  constexpr std::string_view kKey = "codepage=";
  if (line.size() < kKey.size()) return std::nullopt;
  for (std::size_t i = 0; i < kKey.size(); ++i) {
    char c = line[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != kKey[i]) return std::nullopt;
  }
  return line.substr(kKey.size());
}

std::optional<int> CodePageNumber(std::string_view value) {
  if (value.empty() || value.size() > 9) return std::nullopt;
  int n = 0;
  for (char c : value) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + (c - '0');
  }
  return n;
}

CodePageBytes::CodePageBytes(int codePage) : codePage_(codePage) {
  if (codePage == kUtf8CodePage) {
    known_ = utf8_ = true;
    return;
  }
  for (const UndefinedBytes& u : kUndefined) {
    if (u.codePage != codePage) continue;
    known_ = true;
    undefinedList_ = u.bytes;
    for (char c : u.bytes) undefined_[static_cast<unsigned char>(c)] = true;
  }
}

const char* CodePageBytes::FindInvalid(const char* p, const char* end) const {
  if (!known_ || (!utf8_ && undefinedList_.empty())) return end;
  if (utf8_) {
    const auto* const e = reinterpret_cast<const unsigned char*>(end);
    while ((p = SkipAscii(p, end)) != end) {
      const auto* u = reinterpret_cast<const unsigned char*>(p);
      const std::size_t n = Utf8SequenceLength(u, e);
      if (n == 0) return p;
      p += n;
    }
    return end;
  }
  if (undefinedList_.size() <= kMaxMarkedBytes) {
    // Most pages leave a handful of bytes undefined: found 32 bytes a step.
    constexpr std::size_t kChunk = 4096;
    std::uint64_t bits[kChunk / 64];
    while (p < end) {
      const std::size_t n = std::min<std::size_t>(kChunk, static_cast<std::size_t>(end - p));
      MarkBytes(p, n, undefinedList_, bits);
      for (std::size_t w = 0; w * 64 < n; ++w) {
        if (bits[w] != 0) return p + w * 64 + static_cast<std::size_t>(std::countr_zero(bits[w]));
      }
      p += n;
    }
    return end;
  }
  while ((p = SkipAscii(p, end)) != end) {
    if (undefined_[static_cast<unsigned char>(*p)]) return p;
    ++p;
  }
  return end;
}

std::size_t CharacterCount(std::string_view text, int codePage) {
  if (codePage != kUtf8CodePage) return text.size();
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

std::string MapTextToUtf8(std::string_view bytes, std::string_view codePageValue) {
  const int page =
      codePageValue.empty() ? kDefaultCodePage : CodePageNumber(codePageValue).value_or(-1);
  if (page == kDefaultCodePage) return Cp1251ToUtf8(bytes);
  std::string out;
  if (page == kUtf8CodePage) {
    const CodePageBytes utf8(kUtf8CodePage);
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    while (p < end) {
      const char* bad = utf8.FindInvalid(p, end);
      out.append(p, bad);
      if (bad == end) break;
      out += "\xEF\xBF\xBD";
      p = bad + 1;
    }
    return out;
  }
  for (char c : bytes) out += static_cast<unsigned char>(c) < 0x80 ? c : '?';
  return out;
}

}  // namespace pomvelt
