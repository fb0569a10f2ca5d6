// Streaming line input and output. A map is never loaded whole: the reader hands out lines as
// views into one block buffer, which grows only when a single line does not fit, so memory is
// bounded by the longest line whatever the size of the file.
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace pomvelt {

// Where a LineReader takes its bytes from.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to n bytes into buf: the count read, 0 at the end, -1 on a read error.
  virtual std::ptrdiff_t Read(char* buf, std::size_t n) = 0;
};

// Where a LineWriter puts its bytes.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // Writes all n bytes or returns false.
  virtual bool Write(const char* data, std::size_t n) = 0;
};

// Counts the bytes and keeps none: what a dry run writes into.
class CountingSink : public ByteSink {
 public:
  bool Write(const char*, std::size_t n) override {
    bytes += n;
    return true;
  }
  unsigned long long bytes = 0;
};

// Bytes from memory, for tests and small in-memory runs.
class MemorySource : public ByteSource {
 public:
  explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
  std::ptrdiff_t Read(char* buf, std::size_t n) override;

 private:
  std::string_view bytes_;
};

// Bytes into a string.
class StringSink : public ByteSink {
 public:
  bool Write(const char* data, std::size_t n) override {
    bytes.append(data, n);
    return true;
  }
  std::string bytes;
};

class LineReader {
 public:
  static constexpr std::size_t kDefaultBlock = 512 * 1024;

  explicit LineReader(ByteSource& source, std::size_t blockSize = kDefaultBlock);
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // The next line without its end ("\n" or "\r\n"; a "\r" at the very end of the input counts
  // as an end too). The view stays valid until the next call. False at the end of the input or
  // after a read error (see Failed). A last line without an end is delivered as a line.
  bool ReadLine(std::string_view& line);

  // Bulk access, for transforms that pass most lines through untouched: every whole line that
  // is buffered and unread, each with its own end ("\n" or "\r\n"), as one view, reading more
  // when not even one whole line is buffered. Empty at the end of the input, after a read error
  // (see Failed), and when all that is left is a last line without an end (ReadLine delivers
  // it). The view stays valid until the next call of ReadLine or PeekLines.
  std::string_view PeekLines();
  // The unread bytes, at least n of them unless the input ends sooner (then all of it), the
  // last line possibly cut. For a look at a file's first lines before reading them; the view
  // stays valid until the next call of ReadLine, PeekLines or PeekBytes.
  std::string_view PeekBytes(std::size_t n);
  // Marks the first n bytes of the view the last PeekLines gave as read; n must end a line
  // (0, or just after one of the view's "\n").
  void Skip(std::size_t n);

  // True when the source reported a read error; the lines delivered before it were whole.
  bool Failed() const { return failed_; }
  // Bytes taken from the source so far: after the last line, the size of the input.
  unsigned long long BytesRead() const { return offset_; }

 private:
  bool Fill();  // reads more bytes behind the unread ones; false when none came

  ByteSource& source_;
  std::size_t block_;
  std::unique_ptr<char[]> buf_;
  std::size_t capacity_ = 0;
  std::size_t begin_ = 0;  // first unread byte
  std::size_t end_ = 0;    // one past the last byte read
  std::size_t scan_ = 0;   // where the search for the next "\n" resumes
  std::size_t lines_ = 0;  // one past the last "\n" read (at most begin_ when none is unread)
  unsigned long long offset_ = 0;  // bytes taken from the source
  bool eof_ = false;
  bool failed_ = false;
};

// One whole line of a PeekLines view, with its "\n", as ReadLine would give it: without its end.
inline std::string_view WithoutLineEnd(std::string_view line) {
  line.remove_suffix(1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

class LineWriter {
 public:
  static constexpr std::size_t kDefaultBuffer = 512 * 1024;

  explicit LineWriter(ByteSink& sink, std::size_t bufferSize = kDefaultBuffer);
  LineWriter(const LineWriter&) = delete;
  LineWriter& operator=(const LineWriter&) = delete;

  // Writes the line followed by "\r\n".
  void WriteLine(std::string_view line) {
    if (line.size() + 2 <= capacity_ - used_) {  // the common case in one copy
      if (!line.empty()) std::memcpy(buf_.get() + used_, line.data(), line.size());
      std::memcpy(buf_.get() + used_ + line.size(), "\r\n", 2);
      used_ += line.size() + 2;
      return;
    }
    Write(line);
    Write("\r\n");
  }
  // Writes bytes as they are.
  void Write(std::string_view bytes) {
    if (bytes.size() <= capacity_ - used_) {
      if (!bytes.empty()) std::memcpy(buf_.get() + used_, bytes.data(), bytes.size());
      used_ += bytes.size();
      return;
    }
    WriteLarge(bytes);
  }
  // Writes whole lines in the form a reader takes them in, each ending in "\n" with or without
  // a "\r" before it, exactly as WriteLine would write each of them without its end: every end
  // becomes "\r\n". Long runs go to the sink without a copy.
  void WriteLines(std::string_view lines);
  // Hands every buffered byte to the sink. False when any write so far failed.
  bool Flush();
  bool Failed() const { return failed_; }
  // Every byte written so far, handed to the sink or still buffered.
  unsigned long long BytesWritten() const { return written_ + used_; }

 private:
  void WriteLarge(std::string_view bytes);
  void WriteBuffered(std::string_view bytes);
  void WriteRun(std::string_view run);

  ByteSink& sink_;
  std::unique_ptr<char[]> buf_;
  std::size_t capacity_;
  std::size_t used_ = 0;
  unsigned long long written_ = 0;  // bytes handed to the sink
  bool failed_ = false;
};

}  // namespace pomvelt
