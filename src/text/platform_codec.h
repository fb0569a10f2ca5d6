// The platform's own converter between a code page and UTF-8: iconv on POSIX systems, the
// Win32 conversion functions on Windows. Both directions are strict: a byte the page does not
// define, broken UTF-8, or a character the page cannot hold makes the whole call fail, never a
// best-fit or substitute character. Safe to call from several threads.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pomvelt {

// `bytes` of code page `page` as UTF-8.
std::optional<std::string> PlatformDecode(int page, std::string_view bytes);

// UTF-8 `text` in code page `page`.
std::optional<std::string> PlatformEncode(int page, std::string_view text);

}  // namespace pomvelt
