#include "text/code_page.h"

#include <algorithm>
#include <charconv>

#include "text/line_io.h"

namespace pomvelt {

namespace {

std::string_view TrimBlanks(std::string_view s) {
  const std::size_t first = s.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const std::size_t last = s.find_last_not_of(" \t\r");
  return s.substr(first, last - first + 1);
}

bool EqualsIgnoringCase(std::string_view a, std::string_view lowerB) {
  if (a.size() != lowerB.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char c = a[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
    if (c != lowerB[i]) return false;
  }
  return true;
}

std::optional<int> NumberOf(std::string_view value) {
  int n = 0;
  const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), n);
  if (ec != std::errc() || end != value.data() + value.size()) return std::nullopt;
  return n;
}

}  // namespace

bool CodePage::IsSupported() const {
  return std::find(std::begin(kSupportedCodePages), std::end(kSupportedCodePages), number_) !=
         std::end(kSupportedCodePages);
}

std::optional<CodePage> SupportedCodePageNamed(std::string_view name) {
  const std::optional<int> n = NumberOf(name);
  if (!n || *n == 0 || !CodePage(*n).IsSupported()) return std::nullopt;
  return CodePage(*n);
}

bool IsHeaderStart(std::string_view line) {
  return EqualsIgnoringCase(TrimBlanks(line), "[img id]");
}

bool IsSectionEnd(std::string_view line) {
  const std::string_view t = TrimBlanks(line);
  return t.size() >= 4 && EqualsIgnoringCase(t.substr(0, 4), "[end");
}

std::optional<std::string_view> HeaderValue(std::string_view line, std::string_view key) {
  const std::size_t eq = line.find('=');
  if (eq == std::string_view::npos || !EqualsIgnoringCase(TrimBlanks(line.substr(0, eq)), key)) {
    return std::nullopt;
  }
  return TrimBlanks(line.substr(eq + 1));
}

MapHeaderInfo ReadMapHeader(std::string_view lines) {
  MapHeaderInfo info;
  bool inHeader = false;
  while (!lines.empty()) {
    const std::size_t cut = lines.find('\n');
    std::string_view line = lines.substr(0, cut);
    lines = cut == std::string_view::npos ? std::string_view() : lines.substr(cut + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!inHeader) {
      if (IsHeaderStart(line)) inHeader = info.hasHeader = true;
      continue;
    }
    if (IsSectionEnd(line)) break;
    if (!info.hasPageLine) {
      if (const auto value = HeaderValue(line, "codepage")) {
        info.hasPageLine = true;
        const std::optional<int> n = NumberOf(*value);
        info.pageReadable = n.has_value();
        info.page = CodePage(n.value_or(-1));
        continue;
      }
    }
    if (!info.labelCoding) {
      if (const auto value = HeaderValue(line, "lblcoding")) {
        info.labelCoding = NumberOf(*value).value_or(-1);
      }
    }
  }
  return info;
}

MapHeaderInfo PeekMapHeader(LineReader& in) {
  constexpr std::size_t kHeaderBytes = 64 * 1024;
  std::string_view head = in.PeekBytes(kHeaderBytes);
  // The look is the first 64 KiB exactly, however much the reader happens to hold, so that
  // every block size sees the same header. A line cut where the look ends is no line; a short
  // look is the whole input.
  if (head.size() >= kHeaderBytes) {
    head = head.substr(0, kHeaderBytes);
    head = head.substr(0, head.rfind('\n') + 1);
  }
  return ReadMapHeader(head);
}

}  // namespace pomvelt
