// A preloaded library that makes file operations fail, for the fault-injection tests of the
// built pomvelt-cli. It acts only on descriptors whose path contains POMVELT_FAULT_PATH:
//   POMVELT_FAULT_WRITE_AFTER=N  writes fail with ENOSPC once N bytes have been written
//   POMVELT_FAULT_READ_AFTER=N   reads fail with EIO once N bytes have been read
//   POMVELT_FAULT_FSYNC=1        fsync fails with EIO
//   POMVELT_FAULT_NO_LINKS=1     hard links fail with EPERM, as on a file system without them

#include <dlfcn.h>
#include <errno.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/types.h>
#include <unistd.h>

namespace {

long long Budget(const char* name) {
  const char* v = getenv(name);
  return v == nullptr ? -1 : atoll(v);
}

bool Matches(int fd) {
  const char* part = getenv("POMVELT_FAULT_PATH");
  if (part == nullptr) return false;
  char link[64];
  char path[PATH_MAX];
  snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  const ssize_t n = readlink(link, path, sizeof path - 1);
  if (n <= 0) return false;
  path[n] = '\0';
  return strstr(path, part) != nullptr;
}

long long g_written = 0;
long long g_read = 0;

template <typename F>
F Next(const char* name) {
  return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" ssize_t write(int fd, const void* buf, size_t n) {
  static auto real = Next<ssize_t (*)(int, const void*, size_t)>("write");
  const long long budget = Budget("POMVELT_FAULT_WRITE_AFTER");
  if (budget >= 0 && fd > 2 && Matches(fd)) {
    const long long left = budget - g_written;
    if (left <= 0) {
      errno = ENOSPC;
      return -1;
    }
    if (static_cast<long long>(n) > left) n = static_cast<size_t>(left);
    const ssize_t put = real(fd, buf, n);
    if (put > 0) g_written += put;
    return put;
  }
  return real(fd, buf, n);
}

extern "C" ssize_t read(int fd, void* buf, size_t n) {
  static auto real = Next<ssize_t (*)(int, void*, size_t)>("read");
  const long long budget = Budget("POMVELT_FAULT_READ_AFTER");
  if (budget >= 0 && fd > 2 && Matches(fd)) {
    const long long left = budget - g_read;
    if (left <= 0) {
      errno = EIO;
      return -1;
    }
    if (static_cast<long long>(n) > left) n = static_cast<size_t>(left);
    const ssize_t got = real(fd, buf, n);
    if (got > 0) g_read += got;
    return got;
  }
  return real(fd, buf, n);
}

extern "C" int fsync(int fd) {
  static auto real = Next<int (*)(int)>("fsync");
  if (getenv("POMVELT_FAULT_FSYNC") != nullptr && Matches(fd)) {
    errno = EIO;
    return -1;
  }
  return real(fd);
}

extern "C" int link(const char* from, const char* to) {
  static auto real = Next<int (*)(const char*, const char*)>("link");
  if (getenv("POMVELT_FAULT_NO_LINKS") != nullptr) {
    errno = EPERM;
    return -1;
  }
  return real(from, to);
}

extern "C" int linkat(int fromDir, const char* from, int toDir, const char* to, int flags) {
  static auto real = Next<int (*)(int, const char*, int, const char*, int)>("linkat");
  if (getenv("POMVELT_FAULT_NO_LINKS") != nullptr) {
    errno = EPERM;
    return -1;
  }
  return real(fromDir, from, toDir, to, flags);
}
