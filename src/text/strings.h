// Byte-string helpers shared by every command. Searches are byte-exact and case-sensitive.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace pomvelt {

inline bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

// Every byte below 0x80: the same text in every code page the program reads.
inline bool IsAscii(std::string_view text) {
  for (const char c : text) {
    if ((static_cast<unsigned char>(c) & 0x80) != 0) return false;
  }
  return true;
}

inline bool BeginsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// Replaces every occurrence of `from` in `text` by `to`, left to right, without overlaps; the
// inserted text is not searched again. An empty `from` changes nothing. Returns the number of
// replacements.
std::size_t ReplaceAll(std::string& text, std::string_view from, std::string_view to);

// The same, building the result in `scratch` and swapping it with `text`. A caller that keeps
// both strings across many replacements pays for no allocation once they have grown.
std::size_t ReplaceAll(std::string& text, std::string_view from, std::string_view to,
                       std::string& scratch);

// One row of an ordered replacement table.
struct ReplacementPair {
  std::string_view from;
  std::string_view to;
};

// Applies the pairs one after another in table order, each replacing every occurrence as
// ReplaceAll does. Meant for short texts such as labels: it reserves two buffers of three times
// the text's size once, instead of allocating for every row that matches.
void ApplyReplacements(std::string& text, std::span<const ReplacementPair> table);

// The file-name part of a path: what follows its last "\" or "/" (the whole path without one).
std::string_view FileNamePart(std::string_view path);

// The folder part of a path including its last separator ("" when there is none).
std::string_view FolderPart(std::string_view path);

}  // namespace pomvelt
