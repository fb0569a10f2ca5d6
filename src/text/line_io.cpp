#include "text/line_io.h"

#include <algorithm>
#include <cstring>

#include "text/byte_scan.h"

namespace pomvelt {

namespace {

// Reads and writes that begin and end on page boundaries of the file cost the kernel least:
// no page is copied in two pieces.
constexpr std::size_t kPage = 4096;

}  // namespace

std::ptrdiff_t MemorySource::Read(char* buf, std::size_t n) {
  const std::size_t k = std::min(n, bytes_.size());
  if (k > 0) std::memcpy(buf, bytes_.data(), k);
  bytes_.remove_prefix(k);
  return static_cast<std::ptrdiff_t>(k);
}

LineReader::LineReader(ByteSource& source, std::size_t blockSize)
    : source_(source), block_(std::max<std::size_t>(blockSize, 1)) {}

bool LineReader::Fill() {
  if (eof_ || failed_) return false;
  if (begin_ > 0) {  // move the unfinished tail to the front
    std::memmove(buf_.get(), buf_.get() + begin_, end_ - begin_);
    end_ -= begin_;
    scan_ -= begin_;
    lines_ = lines_ > begin_ ? lines_ - begin_ : 0;
    begin_ = 0;
  }
  if (end_ == capacity_) {  // one line fills the whole buffer: grow it
    const std::size_t grown = capacity_ == 0 ? block_ : capacity_ * 2;
    std::unique_ptr<char[]> bigger(new char[grown]);
    if (end_ > 0) std::memcpy(bigger.get(), buf_.get(), end_);
    buf_ = std::move(bigger);
    capacity_ = grown;
  }
  std::size_t want = capacity_ - end_;
  if (want > kPage) want -= static_cast<std::size_t>((offset_ + want) % kPage);
  const std::ptrdiff_t got = source_.Read(buf_.get() + end_, want);
  if (got < 0) {
    failed_ = true;
    return false;
  }
  if (got == 0) {
    eof_ = true;
    return false;
  }
  const char* fresh = buf_.get() + end_;
  end_ += static_cast<std::size_t>(got);
  offset_ += static_cast<std::size_t>(got);
  // The last "\n" of the new bytes ends the whole lines PeekLines can hand out.
  for (const char* p = buf_.get() + end_; p > fresh;) {
    if (*--p == '\n') {
      lines_ = static_cast<std::size_t>(p - buf_.get()) + 1;
      break;
    }
  }
  return true;
}

std::string_view LineReader::PeekLines() {
  while (lines_ <= begin_) {
    // Nothing unread holds a "\n", so the next search may start behind all of it.
    scan_ = end_;
    if (!Fill()) return {};
  }
  return std::string_view(buf_.get() + begin_, lines_ - begin_);
}

std::string_view LineReader::PeekBytes(std::size_t n) {
  while (end_ - begin_ < n && Fill()) {
  }
  return std::string_view(buf_.get() + begin_, end_ - begin_);
}

void LineReader::Skip(std::size_t n) {
  begin_ += n;
  scan_ = std::max(scan_, begin_);
}

bool LineReader::ReadLine(std::string_view& line) {
  for (;;) {
    if (scan_ < end_) {
      const void* nl = std::memchr(buf_.get() + scan_, '\n', end_ - scan_);
      if (nl != nullptr) {
        const char* start = buf_.get() + begin_;
        std::size_t len = static_cast<std::size_t>(static_cast<const char*>(nl) - start);
        begin_ += len + 1;
        scan_ = begin_;
        if (len > 0 && start[len - 1] == '\r') --len;
        line = std::string_view(start, len);
        return true;
      }
      scan_ = end_;
    }
    if (!Fill()) break;
  }
  if (failed_ || begin_ == end_) return false;
  // The last line has no "\n".
  const char* start = buf_.get() + begin_;
  std::size_t len = end_ - begin_;
  begin_ = scan_ = end_;
  if (start[len - 1] == '\r') --len;
  line = std::string_view(start, len);
  return true;
}

LineWriter::LineWriter(ByteSink& sink, std::size_t bufferSize)
    : sink_(sink),
      buf_(new char[std::max<std::size_t>(bufferSize, 1)]),
      capacity_(std::max<std::size_t>(bufferSize, 1)) {}

void LineWriter::WriteLarge(std::string_view bytes) {
  if (bytes.size() >= capacity_ / 2) {
    WriteRun(bytes);
  } else {
    WriteBuffered(bytes);
  }
}

// Every full buffer goes out whole, so that the sink is given pieces of whole pages.
void LineWriter::WriteBuffered(std::string_view bytes) {
  while (!failed_ && !bytes.empty()) {
    const std::size_t k = std::min(capacity_ - used_, bytes.size());
    std::memcpy(buf_.get() + used_, bytes.data(), k);
    used_ += k;
    bytes.remove_prefix(k);
    if (used_ == capacity_) Flush();
  }
}

// A long run goes mostly straight from the caller's memory to the sink: the buffer is topped up
// to a page boundary of the output and written, then the whole pages of the run, and the rest
// is buffered.
void LineWriter::WriteRun(std::string_view run) {
  if (failed_) return;
  const auto top = static_cast<std::size_t>((kPage - (written_ + used_) % kPage) % kPage);
  if (capacity_ < kPage || top > capacity_ - used_ || run.size() < top + kPage) {
    WriteBuffered(run);
    return;
  }
  std::memcpy(buf_.get() + used_, run.data(), top);
  used_ += top;
  run.remove_prefix(top);
  if (!Flush()) return;
  const std::size_t whole = run.size() - run.size() % kPage;
  if (!sink_.Write(run.data(), whole)) {
    failed_ = true;
    return;
  }
  written_ += whole;
  run.remove_prefix(whole);
  if (!run.empty()) std::memcpy(buf_.get(), run.data(), run.size());
  used_ = run.size();
}

void LineWriter::WriteLines(std::string_view lines) {
  if (lines.empty()) return;
  // A blank line or two between elements, the most frequent run of all: copied byte by byte
  // while it is checked, with no vector scan and no call to copy two bytes.
  if (lines.size() <= 32 && lines.size() <= capacity_ - used_) {
    char* const to = buf_.get() + used_;
    char before = '\n';
    std::size_t i = 0;
    for (; i < lines.size(); ++i) {
      const char c = lines[i];
      if (c == '\n' && before != '\r') break;
      to[i] = c;
      before = c;
    }
    if (i == lines.size()) {
      used_ += i;
      return;
    }
  }
  // Apart, so that the short runs above do not pay for its registers.
  const auto checked = [this](std::string_view run) __attribute__((noinline)) {
    const char* done = run.data();
    const char* const end = done + run.size();
    if (*done == '\n') {  // an empty line with a bare end
      Write("\r\n");
      ++done;
    }
    while (done < end) {
      const char* bare = FindBareLf(done == run.data() ? done + 1 : done, end);
      if (bare == end) {
        const std::string_view rest(done, static_cast<std::size_t>(end - done));
        // A long run goes straight from the reader's buffer to the sink.
        if (rest.size() >= capacity_ / 2) {
          WriteRun(rest);
        } else {
          Write(rest);
        }
        return;
      }
      Write(std::string_view(done, static_cast<std::size_t>(bare - done)));
      Write("\r\n");
      done = bare + 1;
    }
  };
  checked(lines);
}

bool LineWriter::Flush() {
  if (!failed_ && used_ > 0) {
    if (sink_.Write(buf_.get(), used_)) {
      written_ += used_;
    } else {
      failed_ = true;
    }
  }
  used_ = 0;
  return !failed_;
}

}  // namespace pomvelt
