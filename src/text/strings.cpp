#include "text/strings.h"

#include <algorithm>

namespace pomvelt {

std::size_t ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
  std::string scratch;
  return ReplaceAll(text, from, to, scratch);
}

std::size_t ReplaceAll(std::string& text, std::string_view from, std::string_view to,
                       std::string& out) {
  if (from.empty()) return 0;
  std::size_t pos = text.find(from);
  if (pos == std::string::npos) return 0;
  std::size_t count = 0;
  if (to.size() == from.size()) {  // same length: overwrite where it stands
    while (pos != std::string::npos) {
      std::copy(to.begin(), to.end(), text.begin() + static_cast<std::ptrdiff_t>(pos));
      ++count;
      pos = text.find(from, pos + from.size());
    }
    return count;
  }
  out.clear();
  out.reserve(text.size() + (to.size() > from.size() ? to.size() - from.size() : 0) * 4);
  std::size_t done = 0;
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

void ApplyReplacements(std::string& text, std::span<const ReplacementPair> table) {
  // Room for the text to triple (a letter becoming three) up front, so that rows which grow
  // the text do not each reallocate one of the two buffers.
  const std::size_t room = text.size() * 3 + 16;
  text.reserve(room);
  std::string scratch;
  scratch.reserve(room);
  // The bytes the text may hold: exact at first, then grown by every replacement made. A row
  // whose first byte cannot be there is passed over without a search (most rows, for a label).
  bool present[256] = {};
  for (char c : text) present[static_cast<unsigned char>(c)] = true;
  for (const ReplacementPair& pair : table) {
    if (pair.from.empty() || !present[static_cast<unsigned char>(pair.from[0])]) continue;
    if (ReplaceAll(text, pair.from, pair.to, scratch) > 0) {
      for (char c : pair.to) present[static_cast<unsigned char>(c)] = true;
    }
  }
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
