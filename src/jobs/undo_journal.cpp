#include "jobs/undo_journal.h"

#include "jobs/file_rewrite.h"
#include "os/file.h"
#include "os/path.h"
#include "text/strings.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <iterator>
#include <set>
#include <sstream>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace pomvelt {

namespace fs = std::filesystem;

namespace {

// --- the few file calls the journal needs beyond file_io --------------------------------------

#ifdef _WIN32
int OpenJournal(const fs::path& p, bool existing) {
  return existing ? ::_wopen(p.c_str(), _O_WRONLY | _O_APPEND | _O_BINARY)
                  : ::_wopen(p.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_APPEND | _O_BINARY,
                             _S_IREAD | _S_IWRITE);
}
bool WriteAll(int fd, const std::string& bytes) {
  return ::_write(fd, bytes.data(), static_cast<unsigned>(bytes.size())) ==
         static_cast<int>(bytes.size());
}
bool SyncFd(int fd) {
  return ::_commit(fd) == 0;
}
void CloseFd(int fd) {
  ::_close(fd);
}
void SyncFolder(const fs::path&) {}  // NTFS makes directory entries durable with the file
#else
int OpenJournal(const fs::path& p, bool existing) {
  return existing ? ::open(p.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC)
                  : ::open(p.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0644);
}
bool WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    done += static_cast<std::size_t>(put);
  }
  return true;
}
bool SyncFd(int fd) {
  return ::fsync(fd) == 0;
}
void CloseFd(int fd) {
  ::close(fd);
}
// A new name in a folder survives a power cut only once the folder itself is synced.
void SyncFolder(const fs::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}
#endif

std::string Reason(const std::error_code& ec) {
  return ec.message();
}

// --- journal lines ------------------------------------------------------------------------------
//
//   pomvelt-undo 1 <start ns> <command>
//   keep <n> <link|copy|move> <backup name> <original path>
//   done <n> <device> <inode> <size> <mtime ns>      the result that replaced the map
//   done <n> absent                                    the map was moved aside
//   undone <n>                                         an undo has put the original back
//
// Texts that may hold anything (paths, the command) come last on their line, with "\", line
// feed and carriage return escaped.

constexpr const char* kJournalMagic = "pomvelt-undo 1";

std::string Escape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else {
      out += c;
    }
  }
  return out;
}

std::string Unescape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    const char next = text[++i];
    out += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
  }
  return out;
}

enum class KeepKind { kLink, kCopy, kMove };

const char* KindWord(KeepKind kind) {
  switch (kind) {
    case KeepKind::kLink:
      return "link";
    case KeepKind::kCopy:
      return "copy";
    case KeepKind::kMove:
      return "move";
  }
  return "link";
}

struct JournalEntry {
  int number = 0;
  KeepKind kind = KeepKind::kLink;
  std::string backupName;
  std::string path;
  bool complete = false;
  bool resultAbsent = false;
  FileIdentity result;
  bool undone = false;
};

struct Journal {
  bool valid = false;     // the header was read
  bool cutShort = false;  // the last line has no line end
  long long startNanoseconds = 0;
  std::string command;
  std::vector<JournalEntry> entries;  // in the order they were kept

  JournalEntry* Find(int number) {
    for (JournalEntry& e : entries) {
      if (e.number == number) return &e;
    }
    return nullptr;
  }
};

// Splits off the next word (up to a space); the rest stays in `line`.
std::string_view NextWord(std::string_view& line) {
  const std::size_t space = line.find(' ');
  const std::string_view word = line.substr(0, space);
  line = space == std::string_view::npos ? std::string_view() : line.substr(space + 1);
  return word;
}

bool ToNumber(std::string_view word, long long& value) {
  if (word.empty()) return false;
  char* end = nullptr;
  const std::string text(word);
  errno = 0;
  value = std::strtoll(text.c_str(), &end, 10);
  return errno == 0 && end == text.c_str() + text.size();
}

bool ToUnsigned(std::string_view word, unsigned long long& value) {
  if (word.empty() || word[0] == '-') return false;
  char* end = nullptr;
  const std::string text(word);
  errno = 0;
  value = std::strtoull(text.c_str(), &end, 10);
  return errno == 0 && end == text.c_str() + text.size();
}

void ParseJournalLine(std::string_view line, Journal& journal) {
  if (!journal.valid) {
    if (!BeginsWith(line, kJournalMagic)) return;
    line.remove_prefix(std::strlen(kJournalMagic));
    if (!line.empty() && line[0] == ' ') line.remove_prefix(1);
    long long start = 0;
    if (!ToNumber(NextWord(line), start)) return;
    journal.valid = true;
    journal.startNanoseconds = start;
    journal.command = Unescape(line);
    return;
  }
  const std::string_view word = NextWord(line);
  long long number = 0;
  if (!ToNumber(NextWord(line), number) || number <= 0 || number > 1000000000) return;
  const int n = static_cast<int>(number);
  if (word == "keep") {
    JournalEntry entry;
    entry.number = n;
    const std::string_view kind = NextWord(line);
    if (kind == "link") {
      entry.kind = KeepKind::kLink;
    } else if (kind == "copy") {
      entry.kind = KeepKind::kCopy;
    } else if (kind == "move") {
      entry.kind = KeepKind::kMove;
    } else {
      return;
    }
    entry.backupName = Unescape(NextWord(line));
    entry.path = Unescape(line);
    if (entry.backupName.empty() || entry.path.empty() || journal.Find(n) != nullptr) return;
    journal.entries.push_back(std::move(entry));
  } else if (word == "done") {
    JournalEntry* entry = journal.Find(n);
    if (entry == nullptr) return;
    if (line == "absent") {
      entry->resultAbsent = true;
      entry->complete = true;
      return;
    }
    FileIdentity id;
    long long size = 0;
    long long mtime = 0;
    if (!ToUnsigned(NextWord(line), id.device) || !ToUnsigned(NextWord(line), id.inode) ||
        !ToNumber(NextWord(line), size) || !ToNumber(NextWord(line), mtime) || !line.empty()) {
      return;
    }
    id.size = size;
    id.mtimeNanoseconds = mtime;
    entry->result = id;
    entry->complete = true;
  } else if (word == "undone") {
    if (JournalEntry* entry = journal.Find(n)) entry->undone = true;
  }
}

// Reads what a journal holds. A last line without its line end was cut short by a kill and
// is ignored, as is anything that does not parse.
Journal ReadJournal(const fs::path& batchFolder) {
  Journal journal;
  InputFile file;
  if (!file.Open(NameOf(batchFolder / kUndoJournalName))) return journal;
  std::string bytes;
  char buf[16384];
  for (;;) {
    const std::ptrdiff_t got = file.Read(buf, sizeof buf);
    if (got <= 0) break;
    bytes.append(buf, static_cast<std::size_t>(got));
  }
  std::size_t at = 0;
  for (std::size_t end = bytes.find('\n'); end != std::string::npos;
       at = end + 1, end = bytes.find('\n', at)) {
    ParseJournalLine(std::string_view(bytes).substr(at, end - at), journal);
  }
  journal.cutShort = at < bytes.size();
  return journal;
}

// Appends complete lines to a journal, each with one write, so that a killed process leaves
// whole lines only (and at worst one cut short). A line the undo depends on is synced before
// the call returns; a confirmation may wait for the next sync, as losing it in a power cut
// only makes its entry incomplete, which undo leaves alone.
class JournalWriter {
 public:
  JournalWriter() = default;
  ~JournalWriter() { Close(); }
  void Close() {
    if (fd_ < 0) return;
    if (unsynced_) SyncFd(fd_);
    CloseFd(fd_);
    fd_ = -1;
  }
  JournalWriter(const JournalWriter&) = delete;
  JournalWriter& operator=(const JournalWriter&) = delete;

  // A new journal, or (existing) one to add to.
  bool Open(const fs::path& path, bool existing) {
    fd_ = OpenJournal(path, existing);
    return fd_ >= 0;
  }
  bool Append(const std::string& line) {
    unsynced_ = false;
    return fd_ >= 0 && WriteAll(fd_, line + "\n") && SyncFd(fd_);
  }
  bool AppendConfirmation(const std::string& line) {
    unsynced_ = true;
    return fd_ >= 0 && WriteAll(fd_, line + "\n");
  }

 private:
  int fd_ = -1;
  bool unsynced_ = false;
};

// --- batch folders ------------------------------------------------------------------------------

long long Nanoseconds(std::chrono::system_clock::time_point t) {
  return static_cast<long long>(
      std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch()).count());
}

std::tm LocalTime(long long nanoseconds) {
  const std::time_t seconds = static_cast<std::time_t>(nanoseconds / 1000000000);
  std::tm tm{};
#ifdef _WIN32
  localtime_s(&tm, &seconds);
#else
  localtime_r(&seconds, &tm);
#endif
  return tm;
}

std::string FormatLocalTime(long long nanoseconds, const char* format) {
  const std::tm tm = LocalTime(nanoseconds);
  char text[64];
  const std::size_t n = std::strftime(text, sizeof text, format, &tm);
  return std::string(text, n);
}

fs::path UndoRoot(const std::string& mapFolder) {
  return PathOf(mapFolder) / kUndoFolderName;
}

bool IsRealFolder(const fs::path& p) {
  std::error_code ec;
  return fs::is_directory(fs::symlink_status(p, ec));
}

struct BatchOnDisk {
  fs::path folder;
  Journal journal;
};

// The batch folders under a map folder's undo folder, newest first.
std::vector<BatchOnDisk> BatchesIn(const std::string& mapFolder) {
  std::vector<BatchOnDisk> batches;
  const fs::path root = UndoRoot(mapFolder);
  if (!IsRealFolder(root)) return batches;
  std::error_code ec;
  for (fs::directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
    if (!IsRealFolder(it->path())) continue;
    batches.push_back({it->path(), ReadJournal(it->path())});
  }
  std::sort(batches.begin(), batches.end(), [](const BatchOnDisk& a, const BatchOnDisk& b) {
    if (a.journal.startNanoseconds != b.journal.startNanoseconds) {
      return a.journal.startNanoseconds > b.journal.startNanoseconds;
    }
    return NameOf(a.folder.filename()) > NameOf(b.folder.filename());
  });
  return batches;
}

using InodeKey = std::pair<unsigned long long, unsigned long long>;

// Bytes of the kept files in one batch folder, each inode counted once over `seen`.
std::uint64_t KeptBytes(const fs::path& batchFolder, std::set<InodeKey>& seen) {
  std::uint64_t total = 0;
  std::error_code ec;
  for (fs::directory_iterator it(batchFolder, ec), end; !ec && it != end; it.increment(ec)) {
    if (it->path().filename() == kUndoJournalName) continue;
    const std::optional<FileIdentity> id = IdentityOf(NameOf(it->path()));
    if (!id || !seen.insert({id->device, id->inode}).second) continue;
    total += static_cast<std::uint64_t>(id->size);
  }
  return total;
}

// Copies a file completely and syncs the copy (for file systems without hard links).
std::optional<std::string> CopyAndSync(const std::string& from, const std::string& to) {
  InputFile in;
  if (!in.Open(from)) return std::string(std::strerror(in.Error()));
  OutputFile out;
  if (!out.Create(to)) return std::string(std::strerror(out.Error()));
  char buf[1 << 16];
  for (;;) {
    const std::ptrdiff_t got = in.Read(buf, sizeof buf);
    if (got < 0) return std::string(std::strerror(in.Error()));
    if (got == 0) break;
    if (!out.Write(buf, static_cast<std::size_t>(got))) {
      return std::string(std::strerror(out.Error()));
    }
  }
  if (!out.Sync() || !out.Close()) return std::string(std::strerror(out.Error()));
  std::error_code ec;
  fs::permissions(to, fs::status(from, ec).permissions(), fs::perm_options::replace, ec);
  return std::nullopt;
}

// Reads until `n` bytes or the end; -1 on a read error.
std::ptrdiff_t ReadFully(InputFile& file, char* buf, std::size_t n) {
  std::size_t got = 0;
  while (got < n) {
    const std::ptrdiff_t part = file.Read(buf + got, n - got);
    if (part < 0) return -1;
    if (part == 0) break;
    got += static_cast<std::size_t>(part);
  }
  return static_cast<std::ptrdiff_t>(got);
}

bool SameBytes(const std::string& a, const std::string& b) {
  InputFile fa;
  InputFile fb;
  if (!fa.Open(a) || !fb.Open(b) || fa.Identity().size != fb.Identity().size) return false;
  std::vector<char> ba(1 << 16);
  std::vector<char> bb(1 << 16);
  for (;;) {
    const std::ptrdiff_t na = ReadFully(fa, ba.data(), ba.size());
    const std::ptrdiff_t nb = ReadFully(fb, bb.data(), bb.size());
    if (na < 0 || na != nb) return false;
    if (na == 0) return true;
    if (std::memcmp(ba.data(), bb.data(), static_cast<std::size_t>(na)) != 0) return false;
  }
}

std::string KeepErrorMessage(const std::string& path, const std::string& reason) {
  return "Не могу сохранить копию файла " + path + " для отмены: " + reason;
}

}  // namespace

bool UndoEnabledByEnvironment() {
  const char* value = std::getenv("POMVELT_UNDO");
  return value == nullptr || std::string(value) != "0";
}

// --- the session
// ----------------------------------------------------------------------------------

struct UndoSession::Batch {
  fs::path mapFolder;
  fs::path folder;
  JournalWriter journal;
  int next = 0;
  int copied = 0;
};

UndoSession::UndoSession(Options options) : options_(std::move(options)) {}

UndoSession::~UndoSession() = default;

UndoSession::Batch* UndoSession::BatchFor(const std::string& mapFolder, std::string& error) {
  if (auto it = batches_.find(mapFolder); it != batches_.end()) return it->second.get();
  const fs::path root = UndoRoot(mapFolder);
  std::error_code ec;
  fs::create_directory(root, ec);
  if (ec || !IsRealFolder(root)) {
    error = ec ? Reason(ec) : NameOf(root) + " is not a folder";
    return nullptr;
  }
  const long long start = Nanoseconds(options_.start);
  const std::string stamp = FormatLocalTime(start, "%Y-%m-%d_%H-%M-%S");
  auto batch = std::make_unique<Batch>();
  batch->mapFolder = mapFolder;
  for (int attempt = 1;; ++attempt) {
    const fs::path candidate =
        root / (attempt == 1 ? stamp : stamp + "_" + std::to_string(attempt));
    if (fs::create_directory(candidate, ec)) {
      batch->folder = candidate;
      break;
    }
    if (ec || attempt > 1000) {
      error = ec ? Reason(ec) : "no free batch name";
      return nullptr;
    }
  }
  if (!batch->journal.Open(batch->folder / kUndoJournalName, false) ||
      !batch->journal.Append(std::string(kJournalMagic) + " " + std::to_string(start) + " " +
                             Escape(options_.command))) {
    error = std::strerror(errno);
    fs::remove_all(batch->folder, ec);
    return nullptr;
  }
  SyncFolder(root);

  // The new batch is made before the old ones go, so a folder never holds fewer than it should.
  // It counts first whatever its journal says: Windows lets nobody read a journal open for
  // writing, so its start may read as unknown.
  int kept = 1;
  for (const BatchOnDisk& old : BatchesIn(mapFolder)) {
    if (old.folder != batch->folder && ++kept > kUndoBatchesKept) fs::remove_all(old.folder, ec);
  }

  Batch* made = batch.get();
  batches_[mapFolder] = std::move(batch);
  order_.push_back(NameOf(made->folder));
  return made;
}

KeepOutcome UndoSession::KeepOriginal(const std::string& mapPath) {
  return Keep(mapPath, false);
}

KeepOutcome UndoSession::MoveAside(const std::string& path) {
  return Keep(path, true);
}

KeepOutcome UndoSession::Keep(const std::string& givenPath, bool move) {
  std::error_code ec;
  fs::path path = fs::absolute(PathOf(givenPath), ec);
  // The originals live beside the file a link points to: that is the file being replaced.
  // A file moved aside is a name that goes away: a link is moved as a link.
  if (!move && fs::is_symlink(fs::symlink_status(path, ec))) path = fs::canonical(path, ec);
  if (ec) return {std::nullopt, KeepErrorMessage(givenPath, Reason(ec))};
  const std::string pathText = NameOf(path);

  std::lock_guard<std::mutex> lock(mutex_);
  std::string error;
  Batch* batch = BatchFor(NameOf(path.parent_path()), error);
  if (batch == nullptr) return {std::nullopt, KeepErrorMessage(pathText, error)};

  KeptOriginal kept;
  kept.batchFolder = NameOf(batch->folder);
  kept.entry = ++batch->next;
  // The map's name after the number helps whoever looks into the folder, where it fits.
  std::string backupName = std::to_string(kept.entry) + "-" + NameOf(path.filename());
  if (backupName.size() > 255) backupName = std::to_string(kept.entry);
  const fs::path backup = batch->folder / PathOf(backupName);
  const auto record = [&](KeepKind kind) {
    return batch->journal.Append("keep " + std::to_string(kept.entry) + " " + KindWord(kind) + " " +
                                 Escape(backupName) + " " + Escape(pathText));
  };

  if (move) {
    // Journalled first: a kill after the move still finds the file named in the journal.
    if (!record(KeepKind::kMove)) {
      return {std::nullopt, KeepErrorMessage(pathText, std::strerror(errno))};
    }
    fs::rename(path, backup, ec);
    if (ec) return {std::nullopt, KeepErrorMessage(pathText, Reason(ec))};
    SyncFolder(batch->folder);
    SyncFolder(path.parent_path());
    if (!batch->journal.AppendConfirmation("done " + std::to_string(kept.entry) + " absent")) {
      return {std::nullopt, KeepErrorMessage(pathText, std::strerror(errno))};
    }
    ++kept_;
    return {kept, ""};
  }

  if (options_.hardLinks) fs::create_hard_link(path, backup, ec);
  if (!options_.hardLinks || ec) {
    // No hard links here (or none allowed): the bytes themselves must be kept.
    if (std::optional<std::string> failed = CopyAndSync(pathText, NameOf(backup))) {
      fs::remove(backup, ec);
      return {std::nullopt, KeepErrorMessage(pathText, *failed)};
    }
    kept.copied = true;
  }
  SyncFolder(batch->folder);
  if (!record(kept.copied ? KeepKind::kCopy : KeepKind::kLink)) {
    return {std::nullopt, KeepErrorMessage(pathText, std::strerror(errno))};
  }
  ++kept_;
  if (kept.copied) {
    ++copied_;
    ++batch->copied;
  }
  return {kept, ""};
}

std::optional<std::string> UndoSession::RecordResult(const KeptOriginal& kept,
                                                     const FileIdentity& result) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto& [folder, batch] : batches_) {
    if (NameOf(batch->folder) != kept.batchFolder) continue;
    std::ostringstream line;
    line << "done " << kept.entry << ' ' << result.device << ' ' << result.inode << ' '
         << result.size << ' ' << result.mtimeNanoseconds;
    if (batch->journal.AppendConfirmation(line.str())) return std::nullopt;
    return "Не могу записать журнал отмены в " + kept.batchFolder + ": " + std::strerror(errno);
  }
  return "Нет пакета отмены " + kept.batchFolder;
}

std::vector<std::string> UndoSession::BatchFolders() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return order_;
}

std::vector<UndoFacts> UndoSession::Facts() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<UndoFacts> facts;
  for (const std::string& folder : order_) {
    for (const auto& [mapFolder, batch] : batches_) {
      if (NameOf(batch->folder) != folder) continue;
      facts.push_back({folder, UndoBytesHeld(mapFolder), batch->copied > 0});
    }
  }
  return facts;
}

int UndoSession::FilesKept() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return kept_;
}

int UndoSession::FilesCopied() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return copied_;
}

// --- listing, restoring, purging
// ------------------------------------------------------------------

std::vector<UndoBatchInfo> ListUndoBatches(const std::string& mapFolder) {
  std::vector<UndoBatchInfo> list;
  for (const BatchOnDisk& batch : BatchesIn(mapFolder)) {
    UndoBatchInfo info;
    info.folder = NameOf(batch.folder);
    info.name = NameOf(batch.folder.filename());
    info.startNanoseconds = batch.journal.startNanoseconds;
    info.command = batch.journal.command;
    for (const JournalEntry& e : batch.journal.entries) {
      ++info.files;
      if (!e.complete) ++info.incomplete;
      if (e.undone) ++info.undone;
    }
    std::set<InodeKey> seen;
    info.bytes = KeptBytes(batch.folder, seen);
    list.push_back(std::move(info));
  }
  return list;
}

std::uint64_t UndoBytesHeld(const std::string& mapFolder) {
  std::set<InodeKey> seen;
  std::uint64_t total = 0;
  for (const BatchOnDisk& batch : BatchesIn(mapFolder)) total += KeptBytes(batch.folder, seen);
  return total;
}

UndoResult RestoreUndoBatch(const std::string& batchFolder) {
  UndoResult result;
  result.batch = batchFolder;
  const fs::path folder = PathOf(batchFolder);
  const Journal journal = ReadJournal(folder);
  JournalWriter writer;
  // A line a kill cut short is ended first, so that it cannot swallow the next record.
  if (writer.Open(folder / kUndoJournalName, true) && journal.cutShort) writer.Append("");

  // A map restored from a copy is a new file: an earlier entry of the same map in this batch
  // must accept it as the result that entry wrote.
  std::map<std::string, FileIdentity> restoredCopies;
  std::error_code ec;
  for (auto it = journal.entries.rbegin(); it != journal.entries.rend(); ++it) {
    const JournalEntry& e = *it;
    if (e.undone) continue;
    const fs::path backup = folder / PathOf(e.backupName);
    const bool backupThere = fs::exists(fs::symlink_status(backup, ec));
    // Under the map's lock, so that a run busy with the map cannot replace it between our look
    // and our rename; that run, once it gets the lock, finds the map replaced and reads it anew.
    InputFile held;
    const bool opened = e.complete && !e.resultAbsent && held.Open(e.path);
    if (opened && held.TryLock() == LockState::kBusy) {
      result.busy.push_back(e.path);
      continue;
    }
    const std::optional<FileIdentity> now = IdentityOf(e.path);
    if (!e.complete) {
      // Killed before the result was recorded: the map is left as it is. Only a map that is
      // not plainly the original is worth naming.
      if (!backupThere) continue;
      const std::optional<FileIdentity> kept = IdentityOf(NameOf(backup));
      const bool original = now && kept &&
                            (e.kind == KeepKind::kLink
                                 ? now->device == kept->device && now->inode == kept->inode
                                 : e.kind == KeepKind::kCopy && SameBytes(e.path, NameOf(backup)));
      if (!original) result.incomplete.push_back(e.path);
      continue;
    }
    const auto copy = restoredCopies.find(e.path);
    const bool stillOurs =
        e.resultAbsent
            ? !fs::exists(fs::symlink_status(e.path, ec))
            : now && (!opened || now->SameFileAs(held.Identity())) &&
                  (*now == e.result || (copy != restoredCopies.end() && *now == copy->second));
    if (!stillOurs) {
      result.changed.push_back(e.path);
      continue;
    }
    if (!backupThere) {
      result.failed.push_back(e.path + ": копия " + NameOf(backup) + " не найдена");
      continue;
    }
    if (!ReplaceLockedFile(held, NameOf(backup), e.path)) {
      result.failed.push_back(e.path + ": " + std::strerror(errno));
      continue;
    }
    if (e.kind == KeepKind::kCopy) {
      if (const std::optional<FileIdentity> restored = IdentityOf(e.path)) {
        restoredCopies[e.path] = *restored;
      }
    }
    writer.AppendConfirmation("undone " + std::to_string(e.number));
    result.restored.push_back(e.path);
  }
  // Windows removes no folder whose journal is still open.
  writer.Close();
  if (result.Succeeded()) fs::remove_all(folder, ec);
  return result;
}

UndoResult RestoreLatestUndoBatch(const std::string& mapFolder) {
  const std::vector<BatchOnDisk> batches = BatchesIn(mapFolder);
  if (batches.empty()) return {};
  return RestoreUndoBatch(NameOf(batches.front().folder));
}

std::vector<std::string> UndoResultLines(const UndoResult& result) {
  std::vector<std::string> lines;
  for (const std::string& path : result.restored) lines.push_back("Восстановлен файл " + path);
  for (const std::string& path : result.changed) {
    lines.push_back("Файл " + path + " изменился после операции, оставлен как есть");
  }
  for (const std::string& path : result.incomplete) {
    lines.push_back("Операция над файлом " + path + " не была завершена, файл оставлен как есть");
  }
  for (const std::string& path : result.busy) {
    lines.push_back(BusyMessage(path) + ", файл оставлен как есть");
  }
  for (const std::string& text : result.failed) {
    lines.push_back("Не могу восстановить файл " + text);
  }
  lines.push_back("Восстановлено файлов: " + std::to_string(result.restored.size()));
  if (!result.Succeeded()) {
    lines.push_back("Оригиналы оставшихся файлов лежат в " + result.batch);
  }
  return lines;
}

std::optional<std::string> PurgeUndoBatches(const std::string& mapFolder) {
  const fs::path root = UndoRoot(mapFolder);
  std::error_code ec;
  const fs::file_status st = fs::symlink_status(root, ec);
  if (!fs::exists(st)) return std::nullopt;
  if (!fs::is_directory(st)) return NameOf(root) + " is not a folder";
  fs::remove_all(root, ec);
  if (ec) return NameOf(root) + ": " + Reason(ec);
  return std::nullopt;
}

std::string FormatUndoBatchTime(long long startNanoseconds) {
  return FormatLocalTime(startNanoseconds, "%Y-%m-%d %H:%M:%S");
}

}  // namespace pomvelt
