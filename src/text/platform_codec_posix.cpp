#ifndef _WIN32

#include <errno.h>
#include <iconv.h>

#include "text/platform_codec.h"

namespace pomvelt {

namespace {

std::string IconvName(int page) {
  return page == 65001 ? std::string("UTF-8") : "CP" + std::to_string(page);
}

// A descriptor per call: iconv_t keeps shift state and must not be shared between threads,
// and the program converts only a few short texts per map through it.
std::optional<std::string> Convert(const std::string& to, const std::string& from,
                                   std::string_view in) {
  iconv_t cd = iconv_open(to.c_str(), from.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string out(in.size() * 4 + 16, '\0');
  char* inPtr = const_cast<char*>(in.data());  // iconv's prototype; it does not write there
  std::size_t inLeft = in.size();
  char* outPtr = out.data();
  std::size_t outLeft = out.size();
  bool ok = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
  // A sequence cut at the end of the input is an error too, not something to wait for.
  ok = ok && inLeft == 0 &&
       iconv(cd, nullptr, nullptr, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
  iconv_close(cd);
  if (!ok) return std::nullopt;
  out.resize(out.size() - outLeft);
  return out;
}

}  // namespace

std::optional<std::string> PlatformDecode(int page, std::string_view bytes) {
  return Convert("UTF-8", IconvName(page), bytes);
}

std::optional<std::string> PlatformEncode(int page, std::string_view text) {
  return Convert(IconvName(page), "UTF-8", text);
}

}  // namespace pomvelt

#endif  // _WIN32
