// Files as the platform gives them: byte sources and sinks, unique temporaries created
// exclusively, advisory locks, ownership, the atomic replacement of a file and the identity that
// tells one version of a file from another. The only place that calls the operating system's
// file functions; file_posix.cpp and file_win32.cpp each implement all of it.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "text/line_io.h"

namespace pomvelt {

// What tells one version of a file from another: a file replaced or rewritten while a command
// worked on it has another identity.
struct FileIdentity {
  unsigned long long device = 0;
  unsigned long long inode = 0;
  long long size = 0;
  long long mtimeNanoseconds = 0;
  bool operator==(const FileIdentity&) const = default;
  // The same file, whatever its bytes.
  bool SameFileAs(const FileIdentity& other) const {
    return device == other.device && inode == other.inode;
  }
};

// The identity of the file a path names (through symbolic links), or nullopt when none.
std::optional<FileIdentity> IdentityOf(const std::string& path);

// The absolute path of the file a path names, every symbolic link resolved; nullopt when the
// path names nothing.
std::optional<std::string> RealPathOf(const std::string& path);

// True when nothing has the name, or a regular file has it. A symbolic link (even to a regular
// file), a folder, a device or a FIFO under the name gives false.
bool IsRegularFileOrAbsent(const std::string& path);

// What a lock attempt found.
enum class LockState { kLocked, kBusy, kUnsupported };

// The owner, group and permission bits of a file, as far as the platform has them.
struct FileOwnership {
  long long user = -1;
  long long group = -1;
  unsigned mode = 0;
};

class OutputFile;

class InputFile : public ByteSource {
 public:
  InputFile() = default;
  ~InputFile() override;
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // Opens an existing regular file for reading; false (with errno's value in Error) otherwise.
  // A FIFO, a device or a socket is refused without waiting for a writer or a medium.
  bool Open(const std::string& path);
  // Reads a temporary back from its start, through a handle of its own.
  bool OpenWritten(const OutputFile& written);
  std::ptrdiff_t Read(char* buf, std::size_t n) override;
  // Reads up to n bytes from the start of the file without moving the read position; the count
  // read, or -1 after an error.
  std::ptrdiff_t ReadHead(char* buf, std::size_t n);
  // Reads up to n bytes at an offset of the file, whatever the read position (which it may
  // move: not to be mixed with Read): the count read, 0 at the end, -1 after an error (its errno
  // value in `error`). Several threads may read one file this way at once.
  std::ptrdiff_t ReadAt(char* buf, std::size_t n, std::uint64_t offset, int& error) const;
  // Moves the read position back to the start.
  bool Rewind();
  // Takes the exclusive advisory lock of this file that every Pomvelt run honours, without
  // waiting. The lock is held until Close.
  LockState TryLock();
  void Close();
  int Error() const { return error_; }
  // The identity of the open file, as it was when opened.
  const FileIdentity& Identity() const { return identity_; }
  const FileOwnership& Ownership() const { return ownership_; }

 private:
  bool Adopt(std::intptr_t handle);
  std::intptr_t handle_ = -1;
  int error_ = 0;
  FileIdentity identity_;
  FileOwnership ownership_;
};

// The bytes [begin, end) of an open file, read at their offsets, so that several parts of one
// file can be read at once, each from its own thread.
class FileRangeSource : public ByteSource {
 public:
  FileRangeSource(const InputFile& file, std::uint64_t begin, std::uint64_t end)
      : file_(file), position_(begin), end_(end) {}
  std::ptrdiff_t Read(char* buf, std::size_t n) override;
  int Error() const { return error_; }
  // The file ended before the range did (it was cut while it was read).
  bool EndedEarly() const { return endedEarly_; }

 private:
  const InputFile& file_;
  std::uint64_t position_, end_;
  int error_ = 0;
  bool endedEarly_ = false;
};

class OutputFile : public ByteSink {
 public:
  OutputFile() = default;
  ~OutputFile() override;  // closes without any check; call Close to learn of errors
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Creates the file or empties an existing one.
  bool Create(const std::string& path);
  // Creates a new file with a unique hidden name (TemporaryName) in `folder`, never opening an
  // existing name, and locks it for as long as this object holds it, so that another run never
  // takes it for a leftover.
  bool CreateTemporary(const std::string& folder, const std::string& name);
  bool Write(const char* data, std::size_t n) override;
  // Forces the written bytes to the disk.
  bool Sync();
  // Gives the file the owner and group (where the process may set them) and the permission bits.
  void TakeOwnership(const FileOwnership& ownership);
  // Closes the file; false when the close reported an error. A temporary's lock is kept until
  // Release, so that it stays this run's until it has been renamed or removed.
  bool Close();
  // Drops a temporary's lock (and closes the file without any check).
  void Release();
  int Error() const { return error_; }
  const std::string& path() const { return path_; }

 private:
  friend class InputFile;
  std::intptr_t handle_ = -1;
  std::intptr_t lockHandle_ = -1;
  int error_ = 0;
  std::string path_;
};

// The name of a temporary for a file named `name`: "." + as much of the name as fits + "~" +
// eight random letters or digits + ".tmp", no longer than `nameMax` bytes.
std::string TemporaryName(const std::string& name, std::size_t nameMax, std::uint64_t random);
// TemporaryName with random letters no other run draws.
std::string NewTemporaryName(const std::string& name, std::size_t nameMax);
// True when `candidate` is a name TemporaryName gives for `name` in a folder.
bool IsTemporaryNameOf(const std::string& candidate, const std::string& name, std::size_t nameMax);
// The longest file name the folder takes, in bytes.
std::size_t MaxNameLength(const std::string& folder);

// Removes the temporaries of `name` in `folder` that killed runs left; a temporary a live run
// still holds is never touched.
void RemoveLeftoverTemporaries(const std::string& folder, const std::string& name);

// Removes the folder `path` when a killed run left it behind. A run marks a folder as its own
// with a temporary of `markName` in it (OutputFile::CreateTemporary), made before anything else
// goes in and held until the run has emptied the folder. A folder is left over when it holds
// such marks and no live run holds any of them, or when it holds none and has not changed for
// `minAge` (its run died before it could make its mark). A link under the name, or anything
// but a folder, is left alone; inside, links are removed themselves, never followed. True
// when the folder was removed.
bool RemoveLeftoverFolder(const std::string& path, const std::string& markName,
                          std::chrono::seconds minAge);

// Removes a folder and all it holds, ignoring errors. Links in it are removed themselves, never
// followed; a link under the name itself is left alone.
void RemoveFolderQuietly(const std::string& path);

// Replaces `target` by `source` with one rename, so that `target` holds either its old bytes
// or all of the new ones at every instant. The target's permission bits are given to the
// source first. A target that is a symbolic link has the file it points to replaced, not the
// link. False (and nothing changed) when the rename fails.
bool ReplaceFileAtomically(const std::string& source, const std::string& target);

// Replaces the file `locked` holds open and locked, whose real path is `target`, by `source`.
// The lock is held over the rename where the platform allows a file open to be replaced, so
// that a run waiting for it reads the new file; `locked` is closed afterwards either way.
bool ReplaceLockedFile(InputFile& locked, const std::string& source, const std::string& target);

// Renames `source` over `target` (a name, never followed: a link there is itself replaced) and
// makes the new entry durable. False (and nothing changed) when the rename fails.
bool RenameOver(const std::string& source, const std::string& target);

// Removes a file, ignoring any error (used to clear away a partial output).
void RemoveFileQuietly(const std::string& path);

}  // namespace pomvelt
