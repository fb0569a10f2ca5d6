// Byte-string helpers shared by every command. Searches are byte-exact and case-sensitive.
#pragma once

#include <string>
#include <string_view>

namespace pomvelt {

inline bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

inline bool BeginsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// Replaces every occurrence of `from` in `text` by `to`, left to right, without overlaps; the
// inserted text is not searched again. An empty `from` changes nothing. Returns the number of
// replacements.
std::size_t ReplaceAll(std::string& text, std::string_view from, std::string_view to);

// The file-name part of a path: what follows its last "\" or "/" (the whole path without one).
std::string_view FileNamePart(std::string_view path);

// The folder part of a path including its last separator ("" when there is none).
std::string_view FolderPart(std::string_view path);

}  // namespace pomvelt
