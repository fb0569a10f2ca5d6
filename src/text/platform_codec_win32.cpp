#ifdef _WIN32

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "text/platform_codec.h"

namespace pomvelt {

namespace {

// Windows fills the gaps of its single-byte tables with the C1 controls (byte 0x98 of code page
// 1251 becomes U+0098), where the page itself defines nothing: such a byte is not text, and
// such a character has no place in those pages.
bool HoldsC1Control(const std::wstring& wide) {
  for (wchar_t c : wide) {
    if (c >= 0x80 && c <= 0x9F) return true;
  }
  return false;
}

std::optional<std::wstring> ToWide(UINT page, std::string_view bytes) {
  if (bytes.empty()) return std::wstring();
  const int inSize = static_cast<int>(bytes.size());
  const int n = MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, bytes.data(), inSize, nullptr, 0);
  if (n <= 0) return std::nullopt;
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  if (MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, bytes.data(), inSize, wide.data(), n) != n) {
    return std::nullopt;
  }
  if (page != CP_UTF8 && HoldsC1Control(wide)) return std::nullopt;
  return wide;
}

std::optional<std::string> FromWide(UINT page, const std::wstring& wide) {
  if (wide.empty()) return std::string();
  if (page != CP_UTF8 && HoldsC1Control(wide)) return std::nullopt;
  const int inSize = static_cast<int>(wide.size());
  // UTF-8 takes no default character; every other page is asked to report one it had to use,
  // and never to pick a look-alike.
  const bool utf8 = page == CP_UTF8;
  const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* used = utf8 ? nullptr : &usedDefault;
  const int n = WideCharToMultiByte(page, flags, wide.data(), inSize, nullptr, 0, nullptr, used);
  if (n <= 0 || usedDefault) return std::nullopt;
  std::string out(static_cast<std::size_t>(n), '\0');
  if (WideCharToMultiByte(page, flags, wide.data(), inSize, out.data(), n, nullptr, used) != n ||
      usedDefault) {
    return std::nullopt;
  }
  return out;
}

}  // namespace

std::optional<std::string> PlatformDecode(int page, std::string_view bytes) {
  const std::optional<std::wstring> wide = ToWide(static_cast<UINT>(page), bytes);
  if (!wide) return std::nullopt;
  return FromWide(CP_UTF8, *wide);
}

std::optional<std::string> PlatformEncode(int page, std::string_view text) {
  const std::optional<std::wstring> wide = ToWide(CP_UTF8, text);
  if (!wide) return std::nullopt;
  return FromWide(static_cast<UINT>(page), *wide);
}

}  // namespace pomvelt

#endif  // _WIN32
