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
#include <ctime>
#include <string_view>
#include <vector>

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

// A file whose name (in the folder `dir` is open on) still leads to the open descriptor: a
// temporary that nobody has removed or replaced since it was opened.
bool StillNamedAt(int fd, int dir, const char* name) {
  struct stat byFd {};
  struct stat byName {};
  return ::fstat(fd, &byFd) == 0 && ::fstatat(dir, name, &byName, AT_SYMLINK_NOFOLLOW) == 0 &&
         byFd.st_dev == byName.st_dev && byFd.st_ino == byName.st_ino;
}

bool StillNamed(int fd, const std::string& path) {
  return StillNamedAt(fd, AT_FDCWD, path.c_str());
}

enum class Claim { kTaken, kHeld, kGone };

// Takes the lock of the temporary `name` in the folder `dir` is open on when no live run holds
// it: kTaken with the locked descriptor in `fd`; kHeld when a run holds it (or it cannot be told);
// kGone when the name holds no regular file, or no longer the one opened.
Claim ClaimLeftover(int dir, const char* name, int& fd) {
  fd = ::openat(dir, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT || errno == ELOOP ? Claim::kGone : Claim::kHeld;
  struct stat st {};
  Claim claim = Claim::kGone;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    claim = ::flock(fd, LOCK_EX | LOCK_NB) != 0 ? Claim::kHeld
            : StillNamedAt(fd, dir, name)       ? Claim::kTaken
                                                : Claim::kGone;
  }
  if (claim != Claim::kTaken) {
    ::close(fd);
    fd = -1;
  }
  return claim;
}

// Removes what the folder `dir` is open on holds; a link is removed, never followed.
void RemoveContentsAt(int dir) {
  const int listed = ::openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  DIR* list = listed < 0 ? nullptr : ::fdopendir(listed);
  if (list == nullptr) {
    if (listed >= 0) ::close(listed);
    return;
  }
  while (const dirent* entry = ::readdir(list)) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    const int sub =
        ::openat(dir, entry->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (sub < 0) {
      ::unlinkat(dir, entry->d_name, 0);
      continue;
    }
    RemoveContentsAt(sub);
    ::close(sub);
    ::unlinkat(dir, entry->d_name, AT_REMOVEDIR);
  }
  ::closedir(list);
}

// The folder `path` names, opened for removing what it holds; -1 for a link or a non-folder.
int OpenFolderNoFollow(const std::string& path) {
  return ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
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
    // A run that is alive holds its temporary locked; only an unlocked regular file that still
    // has the name is a leftover.
    int fd = -1;
    if (ClaimLeftover(::dirfd(dir), entry->d_name, fd) != Claim::kTaken) continue;
    ::unlinkat(::dirfd(dir), entry->d_name, 0);
    ::close(fd);
  }
  ::closedir(dir);
}

bool RemoveLeftoverFolder(const std::string& path, const std::string& markName,
                          std::chrono::seconds minAge) {
  const int folder = OpenFolderNoFollow(path);
  if (folder < 0) return false;
  const int listed = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  DIR* list = listed < 0 ? nullptr : ::fdopendir(listed);
  if (list == nullptr) {
    if (listed >= 0) ::close(listed);
    ::close(folder);
    return false;
  }
  // The marks' locks stay taken until the folder is gone: a run that opened its mark but had not
  // locked it yet waits for them, then finds its mark gone and makes another folder.
  std::vector<int> marks;
  bool held = false;
  const std::size_t nameMax = MaxNameLength(path);
  while (const dirent* entry = ::readdir(list)) {
    if (held || !IsTemporaryNameOf(entry->d_name, markName, nameMax)) continue;
    int fd = -1;
    const Claim claim = ClaimLeftover(folder, entry->d_name, fd);
    if (claim == Claim::kTaken) marks.push_back(fd);
    held = claim == Claim::kHeld;
  }
  ::closedir(list);
  bool leftover = !held && !marks.empty();
  struct stat st {};
  if (!held && marks.empty() && ::fstat(folder, &st) == 0) {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    leftover = now.tv_sec - st.st_mtim.tv_sec >= minAge.count();
  }
  if (leftover) {
    RemoveContentsAt(folder);
    leftover = ::rmdir(path.c_str()) == 0;
  }
  for (const int fd : marks) ::close(fd);
  ::close(folder);
  return leftover;
}

void RemoveFolderQuietly(const std::string& path) {
  const int folder = OpenFolderNoFollow(path);
  if (folder < 0) return;
  RemoveContentsAt(folder);
  ::close(folder);
  ::rmdir(path.c_str());
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
