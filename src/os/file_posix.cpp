// The file layer on POSIX systems.
#ifndef _WIN32

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "os/file.h"

namespace pomvelt {

namespace {

int Fd(std::intptr_t handle) {
  return static_cast<int>(handle);
}

long long MtimeNs(const struct stat& st) {
  return static_cast<long long>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

FileIdentity IdentityFrom(const struct stat& st) {
  FileIdentity id;
  id.device = static_cast<unsigned long long>(st.st_dev);
  id.inode = static_cast<unsigned long long>(st.st_ino);
  id.size = static_cast<long long>(st.st_size);
  id.mtimeNanoseconds = MtimeNs(st);
  return id;
}

void CloseQuietly(std::intptr_t& handle) {
  if (handle >= 0) ::close(Fd(handle));
  handle = -1;
}

std::string Join(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  return folder.back() == '/' ? folder + name : folder + "/" + name;
}

// A file whose name still leads to the open descriptor: a temporary that nobody has removed or
// replaced since it was opened.
bool StillNamed(int fd, const std::string& path) {
  struct stat byFd {};
  struct stat byName {};
  return ::fstat(fd, &byFd) == 0 && ::lstat(path.c_str(), &byName) == 0 &&
         byFd.st_dev == byName.st_dev && byFd.st_ino == byName.st_ino;
}

void SyncFolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string folder =
      slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

}  // namespace

std::optional<FileIdentity> IdentityOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return IdentityFrom(st);
}

std::optional<std::string> RealPathOf(const std::string& path) {
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return std::nullopt;
  std::string result(resolved);
  std::free(resolved);
  return result;
}

// --- InputFile ------------------------------------------------------------------------------

InputFile::~InputFile() {
  Close();
}

bool InputFile::Adopt(std::intptr_t handle) {
  handle_ = handle;
  struct stat st {};
  if (::fstat(Fd(handle_), &st) != 0 || !S_ISREG(st.st_mode)) {
    Close();  // a folder, a FIFO or a device is not a map
    error_ = EISDIR;
    return false;
  }
  // Opened without blocking so that a FIFO could be refused; a regular file reads the same
  // either way, but the flag goes so that nothing later sees EAGAIN.
  const int flags = ::fcntl(Fd(handle_), F_GETFL);
  if (flags >= 0) ::fcntl(Fd(handle_), F_SETFL, flags & ~O_NONBLOCK);
  identity_ = IdentityFrom(st);
  ownership_.user = static_cast<long long>(st.st_uid);
  ownership_.group = static_cast<long long>(st.st_gid);
  ownership_.mode = static_cast<unsigned>(st.st_mode) & 07777u;
  return true;
}

bool InputFile::Open(const std::string& path) {
  Close();
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    error_ = errno;
    return false;
  }
  return Adopt(fd);
}

bool InputFile::OpenWritten(const OutputFile& written) {
  Close();
  const int fd = ::open(written.path().c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    error_ = errno;
    return false;
  }
  struct stat st {};
  const std::intptr_t writtenHandle = written.handle_ >= 0 ? written.handle_ : written.lockHandle_;
  if (!Adopt(fd) || ::fstat(Fd(writtenHandle), &st) != 0 ||
      !identity_.SameFileAs(IdentityFrom(st))) {
    Close();
    error_ = EIO;  // not the file this run wrote
    return false;
  }
  return true;
}

std::ptrdiff_t InputFile::Read(char* buf, std::size_t n) {
  for (;;) {
    const std::ptrdiff_t got = ::read(Fd(handle_), buf, n);
    if (got >= 0) return got;
    if (errno != EINTR) {
      error_ = errno;
      return -1;
    }
  }
}

std::ptrdiff_t InputFile::ReadHead(char* buf, std::size_t n) {
  std::size_t done = 0;
  while (done < n) {
    const ssize_t got = ::pread(Fd(handle_), buf + done, n - done, static_cast<off_t>(done));
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      error_ = errno;
      return -1;
    }
    done += static_cast<std::size_t>(got);
  }
  return static_cast<std::ptrdiff_t>(done);
}

std::ptrdiff_t InputFile::ReadAt(char* buf, std::size_t n, std::uint64_t offset, int& error) const {
  for (;;) {
    const ssize_t got = ::pread(Fd(handle_), buf, n, static_cast<off_t>(offset));
    if (got >= 0) return got;
    if (errno != EINTR) {
      error = errno;
      return -1;
    }
  }
}

bool InputFile::Rewind() {
  if (::lseek(Fd(handle_), 0, SEEK_SET) == 0) return true;
  error_ = errno;
  return false;
}

LockState InputFile::TryLock() {
  while (::flock(Fd(handle_), LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    if (errno == EWOULDBLOCK) return LockState::kBusy;
    return LockState::kUnsupported;  // a file system without locks: the run goes on unlocked
  }
  return LockState::kLocked;
}

void InputFile::Close() {
  CloseQuietly(handle_);
}

// --- OutputFile -----------------------------------------------------------------------------

OutputFile::~OutputFile() {
  Release();
}

bool OutputFile::Create(const std::string& path) {
  Release();
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    error_ = errno;
    return false;
  }
  handle_ = fd;
  path_ = path;
  return true;
}

bool OutputFile::CreateTemporary(const std::string& folder, const std::string& name) {
  Release();
  const std::size_t nameMax = MaxNameLength(folder);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string path = Join(folder, NewTemporaryName(name, nameMax));
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      error_ = errno;
      return false;
    }
    // Another run may have taken the new file for a leftover before the lock was ours; the
    // name is then gone (or another file's), and a new one is made.
    while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
    }
    if (!StillNamed(fd, path)) {
      ::close(fd);
      continue;
    }
    handle_ = fd;
    // Keeps the lock once the file itself is closed; never inherited, not even by a program
    // another job of the batch starts meanwhile.
    lockHandle_ = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    path_ = path;
    return true;
  }
  error_ = EEXIST;
  return false;
}

bool OutputFile::Write(const char* data, std::size_t n) {
  while (n > 0) {
    const std::ptrdiff_t put = ::write(Fd(handle_), data, n);
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
  if (::fsync(Fd(handle_)) != 0) {
    error_ = errno;
    return false;
  }
  return true;
}

void OutputFile::TakeOwnership(const FileOwnership& ownership) {
  const int fd = Fd(handle_);
  struct stat st {};
  if (::fstat(fd, &st) != 0) return;
  const auto user = static_cast<uid_t>(ownership.user);
  const auto group = static_cast<gid_t>(ownership.group);
  if (ownership.user >= 0 && (st.st_uid != user || st.st_gid != group)) {
    // Only root may give a file away; anyone may give it a group of their own.
    if (::fchown(fd, user, group) != 0) (void)::fchown(fd, static_cast<uid_t>(-1), group);
  }
  // After the owner: a change of owner clears the set-user and set-group bits.
  ::fchmod(fd, static_cast<mode_t>(ownership.mode));
}

bool OutputFile::Close() {
  if (handle_ < 0) return true;
  const int rc = ::close(Fd(handle_));
  handle_ = -1;
  if (rc != 0) {
    error_ = errno;
    return false;
  }
  return true;
}

void OutputFile::Release() {
  CloseQuietly(handle_);
  CloseQuietly(lockHandle_);
}

// --- names, leftovers and replacement -------------------------------------------------------

std::size_t MaxNameLength(const std::string& folder) {
  const long max = ::pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
  return max > 0 ? static_cast<std::size_t>(max) : 255;
}

void RemoveLeftoverTemporaries(const std::string& folder, const std::string& name) {
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) return;
  const std::size_t nameMax = MaxNameLength(folder);
  while (const dirent* entry = ::readdir(dir)) {
    if (!IsTemporaryNameOf(entry->d_name, name, nameMax)) continue;
    const std::string path = Join(folder, entry->d_name);
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat st {};
    // A run that is alive holds its temporary locked; only an unlocked regular file that still
    // has the name is a leftover.
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        StillNamed(fd, path)) {
      ::unlink(path.c_str());
    }
    ::close(fd);
  }
  ::closedir(dir);
}

bool RenameOver(const std::string& source, const std::string& target) {
  if (::rename(source.c_str(), target.c_str()) != 0) return false;
  SyncFolderOf(target);  // makes the new directory entry itself durable
  return true;
}

bool ReplaceLockedFile(InputFile& locked, const std::string& source, const std::string& target) {
  const bool renamed = RenameOver(source, target);
  locked.Close();
  return renamed;
}

}  // namespace pomvelt

#endif  // _WIN32
