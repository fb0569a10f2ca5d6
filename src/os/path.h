// File names as the program keeps them, to and from std::filesystem paths. Every name is a
// std::string: on Windows its UTF-8 form (the command line and the file dialogs give UTF-16,
// which is turned into UTF-8 once, on the way in), elsewhere the bytes the system gives.
//
// std::filesystem would read a narrow string in the ANSI code page on Windows and lose every
// character outside it, so names never reach it but through these two functions.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace pomvelt {

inline std::filesystem::path PathOf(std::string_view name) {
#ifdef _WIN32
  return std::filesystem::path(std::u8string(name.begin(), name.end()));
#else
  return std::filesystem::path(name);
#endif
}

inline std::string NameOf(const std::filesystem::path& path) {
#ifdef _WIN32
  const std::u8string utf8 = path.u8string();
  return std::string(utf8.begin(), utf8.end());
#else
  return path.string();
#endif
}

}  // namespace pomvelt
