// The file layer on Windows: paths are UTF-8 and reach the system as wide characters; a lock
// is the system's byte-range lock, which every other process must respect as well.
#ifdef _WIN32

#include <windows.h>

#include <cerrno>
#include <vector>

#include "os/file.h"

namespace pomvelt {

namespace {

HANDLE H(std::intptr_t handle) {
  return reinterpret_cast<HANDLE>(handle);
}

std::intptr_t FromHandle(HANDLE h) {
  return h == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<std::intptr_t>(h);
}

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return std::wstring();
  const int n =
      ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  return wide;
}

std::string Utf8(const std::wstring& wide) {
  if (wide.empty()) return std::string();
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), n,
                        nullptr, nullptr);
  return utf8;
}

int ErrnoFrom(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
      return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    default:
      return EIO;
  }
}

long long Quad(DWORD high, DWORD low) {
  return static_cast<long long>((static_cast<unsigned long long>(high) << 32) | low);
}

bool IdentityFromHandle(HANDLE h, FileIdentity& id, bool& regular) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(h, &info)) return false;
  id.device = info.dwVolumeSerialNumber;
  id.inode = static_cast<unsigned long long>(Quad(info.nFileIndexHigh, info.nFileIndexLow));
  id.size = Quad(info.nFileSizeHigh, info.nFileSizeLow);
  id.mtimeNanoseconds =
      Quad(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime) * 100;
  regular =
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && ::GetFileType(h) == FILE_TYPE_DISK;
  return true;
}

std::string Join(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  const char last = folder.back();
  return last == '/' || last == '\\' ? folder + name : folder + "\\" + name;
}

void CloseQuietly(std::intptr_t& handle) {
  if (handle >= 0) ::CloseHandle(H(handle));
  handle = -1;
}

// What marks a temporary as a live run's: a lock of one byte far beyond the end of any map, so
// that it never stands in the way of the file's own reads and writes.
OVERLAPPED TemporaryLockByte() {
  OVERLAPPED at{};
  at.OffsetHigh = 0x7FFFFFFF;
  return at;
}

// A handle that may take a temporary's lock: it lets every other handle read, write, delete
// and rename the file.
HANDLE OpenForLock(const std::string& path) {
  return ::CreateFileW(Wide(path).c_str(), GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

enum class Claim { kTaken, kHeld, kGone };

// Takes the lock of the temporary `path` when no live run holds it: kTaken with the handle that
// holds it in `h`; kHeld when a run holds it (or it cannot be told); kGone when it is not there.
Claim ClaimLeftover(const std::string& path, HANDLE& h) {
  h = OpenForLock(path);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Claim::kGone
                                                                          : Claim::kHeld;
  }
  OVERLAPPED at = TemporaryLockByte();
  if (::LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
    return Claim::kTaken;
  }
  ::CloseHandle(h);
  h = INVALID_HANDLE_VALUE;
  return Claim::kHeld;
}

// A folder itself: not a link to one, nor a junction.
bool IsPlainFolder(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
         (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

// Calls `each` with the name and attributes of every entry of the folder but "." and "..".
template <typename Each>
void ForEachEntry(const std::string& folder, Each each) {
  WIN32_FIND_DATAW found{};
  const HANDLE search = ::FindFirstFileW(Wide(Join(folder, "*")).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = Utf8(found.cFileName);
    if (name != "." && name != "..") each(name, found.dwFileAttributes);
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
}

// Removes what a folder holds; a link or a junction is removed, never followed.
void RemoveContents(const std::string& folder) {
  ForEachEntry(folder, [&](const std::string& name, DWORD attributes) {
    const std::string path = Join(folder, name);
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      ::DeleteFileW(Wide(path).c_str());
      return;
    }
    if (IsPlainFolder(attributes)) RemoveContents(path);
    ::RemoveDirectoryW(Wide(path).c_str());
  });
}

}  // namespace

std::optional<FileIdentity> IdentityOf(const std::string& path) {
  const HANDLE h = ::CreateFileW(Wide(path).c_str(), FILE_READ_ATTRIBUTES,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  FileIdentity id;
  bool regular = false;
  const bool ok = IdentityFromHandle(h, id, regular);
  ::CloseHandle(h);
  if (!ok) return std::nullopt;
  return id;
}

std::optional<std::string> RealPathOf(const std::string& path) {
  const HANDLE h = ::CreateFileW(Wide(path).c_str(), FILE_READ_ATTRIBUTES,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  std::wstring buffer(32768, L'\0');
  const DWORD n = ::GetFinalPathNameByHandleW(h, buffer.data(), static_cast<DWORD>(buffer.size()),
                                              FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  ::CloseHandle(h);
  if (n == 0 || n >= buffer.size()) return std::nullopt;
  buffer.resize(n);
  // The "\\?\" the system puts before a drive letter is not part of the user's path.
  if (buffer.rfind(L"\\\\?\\UNC\\", 0) == 0) {
    buffer = L"\\\\" + buffer.substr(8);
  } else if (buffer.rfind(L"\\\\?\\", 0) == 0) {
    buffer = buffer.substr(4);
  }
  return Utf8(buffer);
}

// --- InputFile ------------------------------------------------------------------------------

InputFile::~InputFile() {
  Close();
}

bool InputFile::Adopt(std::intptr_t handle) {
  handle_ = handle;
  bool regular = false;
  if (!IdentityFromHandle(H(handle_), identity_, regular) || !regular) {
    Close();
    error_ = EISDIR;
    return false;
  }
  ownership_.mode = 0666;
  return true;
}

bool InputFile::Open(const std::string& path) {
  Close();
  // Delete sharing lets the finished result be renamed over the map while it is open.
  const HANDLE h =
      ::CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    error_ = ErrnoFrom(::GetLastError());
    return false;
  }
  return Adopt(FromHandle(h));
}

bool InputFile::OpenWritten(const OutputFile& written) {
  Close();
  const HANDLE h = ::CreateFileW(Wide(written.path()).c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    error_ = ErrnoFrom(::GetLastError());
    return false;
  }
  return Adopt(FromHandle(h));
}

std::ptrdiff_t InputFile::Read(char* buf, std::size_t n) {
  DWORD got = 0;
  const DWORD want = static_cast<DWORD>(n > 0x40000000 ? 0x40000000 : n);
  if (!::ReadFile(H(handle_), buf, want, &got, nullptr)) {
    error_ = ErrnoFrom(::GetLastError());
    return -1;
  }
  return static_cast<std::ptrdiff_t>(got);
}

std::ptrdiff_t InputFile::ReadHead(char* buf, std::size_t n) {
  OVERLAPPED at{};
  DWORD got = 0;
  if (!::ReadFile(H(handle_), buf, static_cast<DWORD>(n), &got, &at)) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_HANDLE_EOF) return 0;
    error_ = ErrnoFrom(error);
    return -1;
  }
  // A read at an offset moves the file pointer: back to where the reader was, the start.
  Rewind();
  return static_cast<std::ptrdiff_t>(got);
}

std::ptrdiff_t InputFile::ReadAt(char* buf, std::size_t n, std::uint64_t offset, int& error) const {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD got = 0;
  const DWORD want = static_cast<DWORD>(n > 0x40000000 ? 0x40000000 : n);
  if (!::ReadFile(H(handle_), buf, want, &got, &at)) {
    const DWORD e = ::GetLastError();
    if (e == ERROR_HANDLE_EOF) return 0;
    error = ErrnoFrom(e);
    return -1;
  }
  return static_cast<std::ptrdiff_t>(got);
}

bool InputFile::Rewind() {
  LARGE_INTEGER zero{};
  if (::SetFilePointerEx(H(handle_), zero, nullptr, FILE_BEGIN)) return true;
  error_ = ErrnoFrom(::GetLastError());
  return false;
}

LockState InputFile::TryLock() {
  OVERLAPPED whole{};
  if (::LockFileEx(H(handle_), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD,
                   MAXDWORD, &whole)) {
    return LockState::kLocked;
  }
  return ::GetLastError() == ERROR_LOCK_VIOLATION ? LockState::kBusy : LockState::kUnsupported;
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
  const HANDLE h = ::CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    error_ = ErrnoFrom(::GetLastError());
    return false;
  }
  handle_ = FromHandle(h);
  path_ = path;
  return true;
}

bool OutputFile::CreateTemporary(const std::string& folder, const std::string& name) {
  Release();
  const std::size_t nameMax = MaxNameLength(folder);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string path = Join(folder, NewTemporaryName(name, nameMax));
    // Delete sharing lets the run remove its own temporary after a failure while it is open.
    const HANDLE h = ::CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                                   FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      if (::GetLastError() == ERROR_FILE_EXISTS) continue;
      error_ = ErrnoFrom(::GetLastError());
      return false;
    }
    // The lock lives on a handle of its own, kept after Close until Release: the closed
    // temporary stays this run's until it has been renamed, which its sharing allows.
    const HANDLE lock = OpenForLock(path);
    OVERLAPPED at = TemporaryLockByte();
    if (lock == INVALID_HANDLE_VALUE ||
        !::LockFileEx(lock, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &at)) {
      error_ = ErrnoFrom(::GetLastError());
      if (lock != INVALID_HANDLE_VALUE) ::CloseHandle(lock);
      ::CloseHandle(h);
      ::DeleteFileW(Wide(path).c_str());
      return false;
    }
    // Another run may have taken the new file for a leftover before the lock was ours; the
    // name then names nothing (or another file), and a new one is made.
    FileIdentity own;
    bool regular = false;
    const std::optional<FileIdentity> named = IdentityOf(path);
    if (!IdentityFromHandle(h, own, regular) || !named || !named->SameFileAs(own)) {
      ::CloseHandle(lock);
      ::CloseHandle(h);
      continue;
    }
    handle_ = FromHandle(h);
    lockHandle_ = FromHandle(lock);
    path_ = path;
    return true;
  }
  error_ = EEXIST;
  return false;
}

bool OutputFile::Write(const char* data, std::size_t n) {
  while (n > 0) {
    const DWORD chunk = static_cast<DWORD>(n > 0x40000000 ? 0x40000000 : n);
    DWORD put = 0;
    if (!::WriteFile(H(handle_), data, chunk, &put, nullptr)) {
      error_ = ErrnoFrom(::GetLastError());
      return false;
    }
    if (put == 0) {
      error_ = ENOSPC;
      return false;
    }
    data += put;
    n -= put;
  }
  return true;
}

bool OutputFile::Sync() {
  if (::FlushFileBuffers(H(handle_))) return true;
  error_ = ErrnoFrom(::GetLastError());
  return false;
}

void OutputFile::TakeOwnership(const FileOwnership&) {
  // Owners and permission bits are the folder's inherited access list on Windows.
}

bool OutputFile::Close() {
  if (handle_ < 0) return true;
  const BOOL ok = ::CloseHandle(H(handle_));
  handle_ = -1;
  if (!ok) {
    error_ = ErrnoFrom(::GetLastError());
    return false;
  }
  return true;
}

void OutputFile::Release() {
  CloseQuietly(handle_);
  CloseQuietly(lockHandle_);
}

// --- names, leftovers and replacement -------------------------------------------------------

std::size_t MaxNameLength(const std::string&) {
  return 255;  // characters; counting bytes instead only ever cuts more
}

void RemoveLeftoverTemporaries(const std::string& folder, const std::string& name) {
  const std::size_t nameMax = MaxNameLength(folder);
  ForEachEntry(folder, [&](const std::string& candidate, DWORD attributes) {
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
        !IsTemporaryNameOf(candidate, name, nameMax)) {
      return;
    }
    // A live run holds its temporary's lock.
    const std::string path = Join(folder, candidate);
    HANDLE h = INVALID_HANDLE_VALUE;
    if (ClaimLeftover(path, h) != Claim::kTaken) return;
    ::CloseHandle(h);
    ::DeleteFileW(Wide(path).c_str());
  });
}

bool RemoveLeftoverFolder(const std::string& path, const std::string& markName,
                          std::chrono::seconds minAge) {
  WIN32_FILE_ATTRIBUTE_DATA folder{};
  if (!::GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &folder) ||
      !IsPlainFolder(folder.dwFileAttributes)) {
    return false;
  }
  // The marks' locks stay taken while the folder is emptied: a run that made its mark but had not
  // locked it yet waits for them, then finds its mark gone and makes another folder.
  std::vector<HANDLE> marks;
  bool held = false;
  const std::size_t nameMax = MaxNameLength(path);
  ForEachEntry(path, [&](const std::string& name, DWORD attributes) {
    if (held || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
        !IsTemporaryNameOf(name, markName, nameMax)) {
      return;
    }
    HANDLE h = INVALID_HANDLE_VALUE;
    const Claim claim = ClaimLeftover(Join(path, name), h);
    if (claim == Claim::kTaken) marks.push_back(h);
    held = claim == Claim::kHeld;
  });
  bool leftover = !held && !marks.empty();
  if (!held && marks.empty()) {
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    const long long age =
        Quad(now.dwHighDateTime, now.dwLowDateTime) -
        Quad(folder.ftLastWriteTime.dwHighDateTime, folder.ftLastWriteTime.dwLowDateTime);
    leftover = age / 10000000 >= minAge.count();
  }
  // The marks are deleted while locked; they go once their handles close, and the folder after.
  if (leftover) RemoveContents(path);
  for (const HANDLE h : marks) ::CloseHandle(h);
  return leftover && ::RemoveDirectoryW(Wide(path).c_str());
}

void RemoveFolderQuietly(const std::string& path) {
  if (!IsPlainFolder(::GetFileAttributesW(Wide(path).c_str()))) return;
  RemoveContents(path);
  ::RemoveDirectoryW(Wide(path).c_str());
}

bool RenameOver(const std::string& source, const std::string& target) {
  const std::wstring from = Wide(source);
  const std::wstring to = Wide(target);
  // The temporary is hidden; what takes the name gets the attributes the file there had, and a
  // new file none of the temporary's.
  const DWORD sourceAttributes = ::GetFileAttributesW(from.c_str());
  constexpr DWORD kSettable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                              FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                              FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  DWORD attributes = ::GetFileAttributesW(to.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES && sourceAttributes != INVALID_FILE_ATTRIBUTES) {
    attributes = sourceAttributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN);
  }
  if (attributes != INVALID_FILE_ATTRIBUTES) attributes &= kSettable;
  if (attributes != INVALID_FILE_ATTRIBUTES && attributes != (sourceAttributes & kSettable)) {
    ::SetFileAttributesW(from.c_str(), attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes);
  }
  if (::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  // Nothing changed: the temporary stays hidden, for leftover removal to find.
  if (sourceAttributes != INVALID_FILE_ATTRIBUTES)
    ::SetFileAttributesW(from.c_str(), sourceAttributes);
  return false;
}

bool ReplaceLockedFile(InputFile& locked, const std::string& source, const std::string& target) {
  // An open file cannot be replaced here: the lock ends just before the rename.
  locked.Close();
  return RenameOver(source, target);
}

}  // namespace pomvelt

#endif  // _WIN32
