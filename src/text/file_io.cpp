#include "text/file_io.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace pomvelt {

namespace {

#ifdef _WIN32
int SysOpenRead(const std::string& p) {
  return ::_open(p.c_str(), _O_RDONLY | _O_BINARY);
}
int SysCreate(const std::string& p) {
  return ::_open(p.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
}
std::ptrdiff_t SysRead(int fd, char* b, std::size_t n) {
  return ::_read(fd, b, static_cast<unsigned>(n > 0x40000000 ? 0x40000000 : n));
}
std::ptrdiff_t SysWrite(int fd, const char* b, std::size_t n) {
  return ::_write(fd, b, static_cast<unsigned>(n > 0x40000000 ? 0x40000000 : n));
}
int SysSync(int fd) {
  return ::_commit(fd);
}
int SysClose(int fd) {
  return ::_close(fd);
}
using StatBuf = struct _stat64;
int SysFstat(int fd, StatBuf* st) {
  return ::_fstat64(fd, st);
}
int SysStat(const std::string& p, StatBuf* st) {
  return ::_stat64(p.c_str(), st);
}
bool IsRegularMode(unsigned mode) {
  return (mode & _S_IFREG) != 0;
}
long long MtimeNs(const StatBuf& st) {
  return static_cast<long long>(st.st_mtime) * 1000000000;
}
#else
int SysOpenRead(const std::string& p) {
  return ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
}
int SysCreate(const std::string& p) {
  return ::open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
}
std::ptrdiff_t SysRead(int fd, char* b, std::size_t n) {
  return ::read(fd, b, n);
}
std::ptrdiff_t SysWrite(int fd, const char* b, std::size_t n) {
  return ::write(fd, b, n);
}
int SysSync(int fd) {
  return ::fsync(fd);
}
int SysClose(int fd) {
  return ::close(fd);
}
using StatBuf = struct stat;
int SysFstat(int fd, StatBuf* st) {
  return ::fstat(fd, st);
}
int SysStat(const std::string& p, StatBuf* st) {
  return ::stat(p.c_str(), st);
}
bool IsRegularMode(unsigned mode) {
  return S_ISREG(mode);
}
long long MtimeNs(const StatBuf& st) {
  return static_cast<long long>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}
#endif

FileIdentity IdentityFrom(const StatBuf& st) {
  FileIdentity id;
  id.device = static_cast<unsigned long long>(st.st_dev);
  id.inode = static_cast<unsigned long long>(st.st_ino);
  id.size = static_cast<long long>(st.st_size);
  id.mtimeNanoseconds = MtimeNs(st);
  return id;
}

}  // namespace

std::optional<FileIdentity> IdentityOf(const std::string& path) {
  StatBuf st{};
  if (SysStat(path, &st) != 0) return std::nullopt;
  return IdentityFrom(st);
}

InputFile::~InputFile() {
  Close();
}

bool InputFile::Open(const std::string& path) {
  Close();
  fd_ = SysOpenRead(path);
  if (fd_ < 0) {
    error_ = errno;
    return false;
  }
  StatBuf st{};
  if (SysFstat(fd_, &st) != 0 || !IsRegularMode(static_cast<unsigned>(st.st_mode))) {
    Close();  // a folder or a device is not a map
    error_ = EISDIR;
    return false;
  }
  identity_ = IdentityFrom(st);
  return true;
}

std::ptrdiff_t InputFile::Read(char* buf, std::size_t n) {
  for (;;) {
    const std::ptrdiff_t got = SysRead(fd_, buf, n);
    if (got >= 0) return got;
    if (errno != EINTR) {
      error_ = errno;
      return -1;
    }
  }
}

void InputFile::Close() {
  if (fd_ >= 0) SysClose(fd_);
  fd_ = -1;
}

OutputFile::~OutputFile() {
  if (fd_ >= 0) SysClose(fd_);
}

bool OutputFile::Create(const std::string& path) {
  fd_ = SysCreate(path);
  if (fd_ < 0) {
    error_ = errno;
    return false;
  }
  return true;
}

bool OutputFile::Write(const char* data, std::size_t n) {
  while (n > 0) {
    const std::ptrdiff_t put = SysWrite(fd_, data, n);
    if (put < 0) {
      if (errno == EINTR) continue;
      error_ = errno;
      return false;
    }
    if (put == 0) {
      error_ = ENOSPC;
      return false;
    }
    data += put;
    n -= static_cast<std::size_t>(put);
  }
  return true;
}

bool OutputFile::Sync() {
  if (SysSync(fd_) != 0) {
    error_ = errno;
    return false;
  }
  return true;
}

bool OutputFile::Close() {
  if (fd_ < 0) return true;
  const int rc = SysClose(fd_);
  fd_ = -1;
  if (rc != 0) {
    error_ = errno;
    return false;
  }
  return true;
}

bool ReplaceFileAtomically(const std::string& source, const std::string& linkOrTarget) {
  namespace fs = std::filesystem;
  std::error_code ec;
  std::string target = linkOrTarget;
  if (fs::is_symlink(fs::symlink_status(linkOrTarget, ec))) {
    const fs::path resolved = fs::canonical(linkOrTarget, ec);
    if (ec) return false;
    target = resolved.string();
  }
  const fs::file_status st = fs::status(target, ec);
  if (!ec && fs::exists(st)) {
    fs::permissions(source, st.permissions(), fs::perm_options::replace, ec);
  }
  ec.clear();
  fs::rename(source, target, ec);
  if (ec) return false;
#ifndef _WIN32
  // Make the new directory entry itself durable.
  const fs::path folder = fs::path(target).parent_path();
  const int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
#endif
  return true;
}

void RemoveFileQuietly(const std::string& path) {
  std::error_code ec;
  std::filesystem::remove(path, ec);
}

}  // namespace pomvelt
