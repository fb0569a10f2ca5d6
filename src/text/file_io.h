// Files as byte sources and sinks, and the atomic replacement of a file. The only place that
// calls the operating system's file functions.
#pragma once

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
};

// The identity of the file a path names (through symbolic links), or nullopt when none.
std::optional<FileIdentity> IdentityOf(const std::string& path);

class InputFile : public ByteSource {
 public:
  InputFile() = default;
  ~InputFile() override;
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // Opens an existing regular file for reading; false (with errno's value in Error) otherwise.
  bool Open(const std::string& path);
  std::ptrdiff_t Read(char* buf, std::size_t n) override;
  void Close();
  int Error() const { return error_; }
  // The identity of the open file, as it was when opened.
  const FileIdentity& Identity() const { return identity_; }

 private:
  int fd_ = -1;
  int error_ = 0;
  FileIdentity identity_;
};

class OutputFile : public ByteSink {
 public:
  OutputFile() = default;
  ~OutputFile() override;  // closes without any check; call Close to learn of errors
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Creates the file or empties an existing one.
  bool Create(const std::string& path);
  bool Write(const char* data, std::size_t n) override;
  // Forces the written bytes to the disk.
  bool Sync();
  // Closes the file; false when the close reported an error.
  bool Close();
  int Error() const { return error_; }

 private:
  int fd_ = -1;
  int error_ = 0;
};

// Replaces `target` by `source` with one rename, so that `target` holds either its old bytes
// or all of the new ones at every instant. The target's permission bits are given to the
// source first. A target that is a symbolic link has the file it points to replaced, not the
// link. False (and nothing changed) when the rename fails.
bool ReplaceFileAtomically(const std::string& source, const std::string& target);

// Removes a file, ignoring any error (used to clear away a partial output).
void RemoveFileQuietly(const std::string& path);

}  // namespace pomvelt
