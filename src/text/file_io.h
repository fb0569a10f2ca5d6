// Files as byte sources and sinks, and the atomic replacement of a file. The only place that
// calls the operating system's file functions.
#pragma once

#include <string>

#include "text/line_io.h"

namespace pomvelt {

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

 private:
  int fd_ = -1;
  int error_ = 0;
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
// source first. False (and nothing changed) when the rename fails.
bool ReplaceFileAtomically(const std::string& source, const std::string& target);

// Removes a file, ignoring any error (used to clear away a partial output).
void RemoveFileQuietly(const std::string& path);

}  // namespace pomvelt
