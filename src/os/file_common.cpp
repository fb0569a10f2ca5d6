// The parts of the file layer that are the same on every platform: temporary names, and the
// replacement of a file named by a path that may be a link.
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>
#include <system_error>

#include "os/file.h"
#include "os/path.h"

namespace pomvelt {

namespace {

constexpr std::size_t kRandomLength = 8;
constexpr const char* kTemporaryEnd = ".tmp";
constexpr std::size_t kTemporaryEndLength = 4;
// "." before the name, "~" after it, the random letters and ".tmp".
constexpr std::size_t kTemporaryOverhead = 1 + 1 + kRandomLength + kTemporaryEndLength;
constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";

// As much of the name as a temporary keeps, never ending inside a UTF-8 character.
std::string_view NamePrefix(std::string_view name, std::size_t nameMax) {
  const std::size_t room = nameMax > kTemporaryOverhead ? nameMax - kTemporaryOverhead : 0;
  if (name.size() <= room) return name;
  std::size_t cut = room;
  while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
  return name.substr(0, cut);
}

}  // namespace

std::string TemporaryName(const std::string& name, std::size_t nameMax, std::uint64_t random) {
  std::string result = ".";
  result += NamePrefix(name, nameMax);
  result += '~';
  for (std::size_t i = 0; i < kRandomLength; ++i) {
    result += kAlphabet[random % (sizeof kAlphabet - 1)];
    random /= sizeof kAlphabet - 1;
  }
  result += kTemporaryEnd;
  return result;
}

std::string NewTemporaryName(const std::string& name, std::size_t nameMax) {
  // Seeded apart in every process: runs started in the same instant draw different names.
  thread_local std::mt19937_64 engine = [] {
    std::random_device device;
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    std::seed_seq seed{device(), device(), device(), static_cast<unsigned>(now),
                       static_cast<unsigned>(now >> 32)};
    return std::mt19937_64(seed);
  }();
  return TemporaryName(name, nameMax, engine());
}

bool IsTemporaryNameOf(const std::string& candidate, const std::string& name, std::size_t nameMax) {
  const std::string_view prefix = NamePrefix(name, nameMax);
  const std::string_view c = candidate;
  if (c.size() != prefix.size() + kTemporaryOverhead || c[0] != '.' ||
      c.substr(1, prefix.size()) != prefix || c[1 + prefix.size()] != '~' ||
      c.substr(c.size() - kTemporaryEndLength) != kTemporaryEnd) {
    return false;
  }
  for (const char ch : c.substr(2 + prefix.size(), kRandomLength)) {
    if (!((ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9'))) return false;
  }
  return true;
}

bool ReplaceFileAtomically(const std::string& source, const std::string& linkOrTarget) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const std::string target = RealPathOf(linkOrTarget).value_or(linkOrTarget);
  const fs::file_status st = fs::status(PathOf(target), ec);
  if (!ec && fs::exists(st)) {
    fs::permissions(PathOf(source), st.permissions(), fs::perm_options::replace, ec);
  }
  return RenameOver(source, target);
}

bool IsRegularFileOrAbsent(const std::string& path) {
  std::error_code ec;
  const std::filesystem::file_status st = std::filesystem::symlink_status(PathOf(path), ec);
  if (st.type() == std::filesystem::file_type::not_found) return true;
  return !ec && st.type() == std::filesystem::file_type::regular;
}

void RemoveFileQuietly(const std::string& path) {
  std::error_code ec;
  std::filesystem::remove(PathOf(path), ec);
}

std::ptrdiff_t FileRangeSource::Read(char* buf, std::size_t n) {
  if (position_ >= end_) return 0;
  n = static_cast<std::size_t>(std::min<std::uint64_t>(n, end_ - position_));
  const std::ptrdiff_t got = file_.ReadAt(buf, n, position_, error_);
  if (got == 0) endedEarly_ = true;
  if (got > 0) position_ += static_cast<std::uint64_t>(got);
  return got;
}

}  // namespace pomvelt
