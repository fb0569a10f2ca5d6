#include "text/strings.h"

namespace pomvelt {

std::size_t ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
  if (from.empty()) return 0;
  std::size_t pos = text.find(from);
  if (pos == std::string::npos) return 0;
  std::string out;
  out.reserve(text.size() + (to.size() > from.size() ? to.size() - from.size() : 0) * 4);
  std::size_t done = 0;
  std::size_t count = 0;
  while (pos != std::string::npos) {
    out.append(text, done, pos - done);
    out.append(to);
    done = pos + from.size();
    ++count;
    pos = text.find(from, done);
  }
  out.append(text, done, std::string::npos);
  text.swap(out);
  return count;
}

std::string_view FileNamePart(std::string_view path) {
  const std::size_t cut = path.find_last_of("\\/");
  return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

std::string_view FolderPart(std::string_view path) {
  const std::size_t cut = path.find_last_of("\\/");
  return cut == std::string_view::npos ? std::string_view() : path.substr(0, cut + 1);
}

}  // namespace pomvelt
