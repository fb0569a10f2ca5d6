#include <cwchar>
#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <io.h>
#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>
#define isatty _isatty
#else
#include <unistd.h>
#endif

#include "cli/cli.h"

namespace {

#ifdef _WIN32
// The command line as the system keeps it, in UTF-16, turned into the UTF-8 the program works
// in: the narrow argv would hold only what the ANSI code page can, and lose every other letter
// of a file name.
std::vector<std::string> Arguments() {
  std::vector<std::string> args;
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (wide == nullptr) return args;
  for (int i = 1; i < count; ++i) {
    const int length = static_cast<int>(std::wcslen(wide[i]));
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide[i], length, nullptr, 0, nullptr, nullptr);
    std::string arg(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide[i], length, arg.data(), n, nullptr, nullptr);
    args.push_back(std::move(arg));
  }
  ::LocalFree(wide);
  return args;
}
#endif

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  (void)argc;
  (void)argv;
  // Messages are UTF-8; a console shows them as such only when told.
  ::SetConsoleOutputCP(CP_UTF8);
  const std::vector<std::string> args = Arguments();
#else
  const std::vector<std::string> args(argv + 1, argv + argc);
#endif
  return pomvelt::RunCli(args, std::cout, std::cerr, isatty(2) != 0);
}
