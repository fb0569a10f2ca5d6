#include "examine/map_check.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "examine/code_page.h"
#include "examine/map_scan.h"
#include "examine/map_scan_parts.h"
#include "jobs/file_rewrite.h"
#include "text/byte_scan.h"
#include "text/file_io.h"
#include "text/strings.h"

namespace pomvelt {

namespace {

constexpr std::string_view kHeaderEnd = "[END-IMG ID]";

std::string Num(std::uint64_t n) {
  return std::to_string(n);
}

std::string HexByte(unsigned char b) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  return std::string("0x") + kDigits[b >> 4] + kDigits[b & 15];
}

bool AllDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// UTF-16 text: a byte order mark, or NUL in most bytes of one parity where the text is Latin.
bool LooksLikeUtf16(std::string_view head) {
  if (head.size() >= 2 &&
      ((head[0] == '\xFF' && head[1] == '\xFE') || (head[0] == '\xFE' && head[1] == '\xFF'))) {
    return true;
  }
  const std::size_t n = std::min<std::size_t>(head.size(), 1024) & ~std::size_t{1};
  if (n < 8) return false;
  std::size_t nul[2] = {0, 0};
  for (std::size_t i = 0; i < n; ++i) nul[i & 1] += head[i] == '\0';
  return std::max(nul[0], nul[1]) * 10 > (n / 2) * 8 && std::min(nul[0], nul[1]) * 10 < n / 2;
}

// Line numbers of positions in a run, counted on from the last position asked about, so that
// finding many problems in one run costs one pass over it.
class RunLines {
 public:
  RunLines(std::string_view run, std::uint64_t firstLine) : pos_(run.data()), line_(firstLine) {}
  std::uint64_t LineAt(const char* p) {
    line_ += static_cast<std::uint64_t>(std::count(pos_, p, '\n'));
    pos_ = p;
    return line_;
  }

 private:
  const char* pos_;
  std::uint64_t line_;
};

// The end of the line that holds p (its "\n", or the end of the run).
const char* LineEndAfter(const char* p, const char* end) {
  const void* nl = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
  return nl != nullptr ? static_cast<const char*>(nl) : end;
}

// What a part of a map needs to know of the lines before it, all of it set by the top of a
// map: a map whose parts disagree on it is checked again as a whole.
struct Carried {
  int codePage = kDefaultCodePage;
  bool pageDeclared = false, pageSettled = false;
  int levelCount = 0;
  bool levelsSeen = false;
  int crlf = -1;
  std::uint64_t firstEndLine = 0;
  bool operator==(const Carried&) const = default;
};

class Checker {
 public:
  Checker() = default;
  // For a part of a map that begins after the lines that left `carried`.
  explicit Checker(const Carried& c)
      : page_(c.codePage),
        pageDeclared_(c.pageDeclared),
        pageSettled_(c.pageSettled),
        levelCount_(c.levelCount),
        levelsSeen_(c.levelsSeen),
        crlf_(c.crlf),
        firstEndLine_(c.firstEndLine) {}

  Carried Carry() const {
    return {page_.codePage(), pageDeclared_, pageSettled_, levelCount_,
            levelsSeen_,      crlf_,         firstEndLine_};
  }

  // Takes in the problems of the part of the map that follows this one, its lines numbered
  // from 1 where `base` lines come before it.
  void Absorb(Checker&& later, std::uint64_t base) {
    for (Found& f : later.found_) {
      if (f.problem == MapProblem::kMixedLineEnds && mixedReported_) continue;  // one per map
      f.line += base;
      if (f.ref != 0) f.ref += base;
      Add(std::move(f));
    }
    for (std::size_t k = 0; k < omitted_.size(); ++k) {
      const Omitted& o = later.omitted_[k];
      if (o.count == 0) continue;
      if (omitted_[k].count == 0) omitted_[k].firstLine = o.firstLine + base;
      omitted_[k].count += o.count;
    }
    mixedReported_ = mixedReported_ || later.mixedReported_;
    auto first = [&](std::uint64_t& line, std::uint64_t laterLine) {
      if (line == 0 && laterLine != 0) line = laterLine + base;
      return line == laterLine + base && laterLine != 0;
    };
    first(headerLine_, later.headerLine_);
    if (first(idLine_, later.idLine_)) id_ = std::move(later.id_);
    first(levelsLine_, later.levelsLine_);
    headerEndSeen_ = headerEndSeen_ || later.headerEndSeen_;
    last_ = later.last_ + base;
  }

  void Bytes(std::string_view run, std::uint64_t firstLine) {
    const char* const begin = run.data();
    const char* const end = begin + run.size();
    RunLines lines(run, firstLine);
    for (const char* p = begin;
         (p = static_cast<const char*>(std::memchr(p, '\0', static_cast<std::size_t>(end - p)))) !=
         nullptr;
         p = LineEndAfter(p, end)) {
      Report(lines.LineAt(p), MapProblem::kNulByte, "нулевой байт в строке");
    }
    LineEnds(run, firstLine);
    if (pageSettled_) {
      CheckBytes(run, firstLine);
      return;
    }
    // The page is known once the map header has been read: until then the bytes wait, as
    // many as the top of a map holds.
    if (pending_.empty()) pendingLine_ = firstLine;
    pending_.append(run);
    if (pending_.size() > kMaxPending) SettlePage();
  }

  // Every line comes here: kept small, so that the scanner's loop holds it, with the reports
  // and the rare work out of line.
  [[gnu::always_inline]] void Line(const MapLine& line, const MapSection& section) {
    last_ = line.number;
    if (!pageSettled_ && section.place != MapPlace::kMapHeader &&
        line.kind != MapLineKind::kOther) {
      SettlePage();
    }
    // A label has no more characters than bytes.
    if (line.kind == MapLineKind::kLabel &&
        line.text.size() > kLabelKey.size() + kMaxLabelCharacters) {
      Label(line);
    }
    switch (section.place) {
      case MapPlace::kMapHeader:
        HeaderLine(line);
        return;
      case MapPlace::kElement:
        ElementLine(line, section);
        return;
      default:
        return;
    }
  }

  void Unended(const MapSection& section, std::uint64_t next) {
    if (section.place != MapPlace::kElement) return;
    if (next == 0 && section.start == last_) {
      typeSeen_ = true;  // no line after it to hold one
      Report(section.start, MapProblem::kHeaderOnLastLine,
             "заголовок элемента в последней строке файла");
      return;
    }
    EndElement(section);
    if (next == 0) {
      Report(section.start, MapProblem::kUnendedElement, "элемент без строки конца до конца файла");
    } else {
      Report(section.start, MapProblem::kUnendedElement,
             "элемент без строки конца до секции в строке ", next,
             ": команды правки сочтут её частью этого элемента");
    }
  }

  std::vector<Diagnostic> Finish() && {
    SettlePage();
    if (headerLine_ == 0) {
      Report(1, MapProblem::kNoMapHeader, "нет заголовка карты [IMG ID]");
    } else if (idLine_ == 0) {
      Report(headerLine_, MapProblem::kNoId, "в заголовке карты нет ID=");
    } else if (!AllDigits(id_)) {
      Report(idLine_, MapProblem::kBadId, "ID= не десятичное число");
    }
    if (levelsLine_ != 0 && !headerEndSeen_) {
      Report(levelsLine_, MapProblem::kLevelsWithoutEnd,
             "Levels= без [END-IMG ID]: заголовок карты не закрыт");
    }
    for (std::size_t k = 0; k < omitted_.size(); ++k) {
      if (omitted_[k].count == 0) continue;
      found_.push_back({omitted_[k].firstLine,
                        MapProblem::kOmitted,
                        "ещё " + Num(omitted_[k].count) + " сообщений того же рода не показаны",
                        0,
                        {}});
    }
    std::stable_sort(found_.begin(), found_.end(),
                     [](const Found& a, const Found& b) { return a.line < b.line; });
    std::vector<Diagnostic> result;
    result.reserve(found_.size());
    for (Found& f : found_) {
      if (f.ref != 0) f.message += Num(f.ref) + f.tail;
      result.push_back({f.line, f.problem, std::move(f.message)});
    }
    return result;
  }

 private:
  struct Omitted {
    std::size_t listed = 0;
    std::uint64_t count = 0;
    std::uint64_t firstLine = 0;
  };
  // A problem as found. A message that names another line is kept in two pieces around that
  // line's number, which a part of a map knows only counted from its own first line.
  struct Found {
    std::uint64_t line;
    MapProblem problem;
    std::string message;
    std::uint64_t ref = 0;  // the line the message names, between message and tail
    std::string tail;
  };

  static constexpr std::size_t kMaxPending = 1 << 20;

  [[gnu::noinline]] void SettlePage() {
    if (pageSettled_) return;
    pageSettled_ = true;
    CheckBytes(pending_, pendingLine_);
    pending_ = std::string();
  }

  void CheckBytes(std::string_view run, std::uint64_t firstLine) {
    if (!page_.known()) return;
    const char* const end = run.data() + run.size();
    RunLines lines(run, firstLine);
    for (const char* p = run.data(); (p = page_.FindInvalid(p, end)) != end;
         p = LineEndAfter(p, end)) {
      Report(lines.LineAt(p), MapProblem::kInvalidByte, InvalidByteMessage(*p));
    }
  }

  void Report(std::uint64_t line, MapProblem problem, std::string message, std::uint64_t ref = 0,
              std::string tail = {}) {
    Add({line, problem, std::move(message), ref, std::move(tail)});
  }

  void Add(Found&& f) {
    Omitted& o = omitted_[static_cast<std::size_t>(f.problem)];
    if (o.listed < kMaxListedPerProblem) {
      ++o.listed;
      found_.push_back(std::move(f));
    } else if (o.count++ == 0) {
      o.firstLine = f.line;
    }
  }

  std::string InvalidByteMessage(char c) const {
    if (page_.codePage() == kUtf8CodePage) {
      return "неверная последовательность UTF-8 (CodePage=65001)";
    }
    return "байт " + HexByte(static_cast<unsigned char>(c)) + " не определён в кодовой странице " +
           Num(static_cast<std::uint64_t>(page_.codePage()));
  }

  // The first line's end sets the file's kind; the first line that ends otherwise is
  // reported, once.
  void LineEnds(std::string_view run, std::uint64_t firstLine) {
    if (mixedReported_) return;
    const char* const begin = run.data();
    const char* const end = begin + run.size();
    const char* nl = static_cast<const char*>(std::memchr(begin, '\n', run.size()));
    if (nl == nullptr) return;
    if (crlf_ < 0) {
      crlf_ = nl > begin && nl[-1] == '\r' ? 1 : 0;
      firstEndLine_ = firstLine;
    }
    const char* other = end;
    if (crlf_ == 1) {
      // A run begins just after a line end, so a "\n" first in it ends an empty line bare.
      other = begin[0] == '\n' ? begin : FindBareLf(begin + 1, end);
    } else {
      for (const char* p = begin; (p = static_cast<const char*>(std::memchr(
                                       p, '\r', static_cast<std::size_t>(end - p)))) != nullptr;
           ++p) {
        if (p + 1 < end && p[1] == '\n') {
          other = p + 1;
          break;
        }
      }
    }
    if (other == end) return;
    mixedReported_ = true;
    const std::uint64_t line = RunLines(run, firstLine).LineAt(other);
    Report(line, MapProblem::kMixedLineEnds,
           std::string("концы строк смешаны: эта строка кончается ") +
               (crlf_ == 1 ? "LF" : "CR LF") + ", строка " + Num(firstEndLine_) + " - " +
               (crlf_ == 1 ? "CR LF" : "LF"));
  }

  [[gnu::noinline]] void Label(const MapLine& line) {
    const std::size_t n = CharacterCount(line.text.substr(kLabelKey.size()), page_.codePage());
    if (n > kMaxLabelCharacters) {
      Report(line.number, MapProblem::kLongLabel,
             "подпись длиннее " + Num(kMaxLabelCharacters) + " символов (" + Num(n) + ")");
    }
  }

  [[gnu::noinline]] void HeaderLine(const MapLine& line) {
    const std::string_view t = line.text;
    if (line.kind == MapLineKind::kMapHeader) {
      if (headerLine_ == 0) headerLine_ = line.number;
      previousLevel_.reset();
      return;
    }
    if (line.kind == MapLineKind::kSectionEnd) {
      if (BeginsWith(t, kHeaderEnd)) headerEndSeen_ = true;
      SettlePage();
      return;
    }
    if (const auto value = CodePageValue(t); value && !pageSettled_ && !pageDeclared_) {
      pageDeclared_ = true;
      page_ = CodePageBytes(CodePageNumber(*value).value_or(kDefaultCodePage));
    } else if (BeginsWith(t, "ID=") && idLine_ == 0) {
      idLine_ = line.number;
      id_.assign(t.substr(3));
    } else if (BeginsWith(t, "Levels=")) {
      if (!levelsSeen_) {
        levelsSeen_ = true;
        levelsLine_ = line.number;
        const std::string_view v = t.substr(7);
        if (AllDigits(v) && v.size() < 4) levelCount_ = std::stoi(std::string(v));
      }
    } else if (BeginsWith(t, "Level") && t.size() > 5 && t[5] >= '0' && t[5] <= '9') {
      const std::size_t eq = t.find('=');
      if (eq == std::string_view::npos) return;
      const std::string_view v = t.substr(eq + 1);
      if (!AllDigits(v) || v.size() > 6) return;
      const int bits = std::stoi(std::string(v));
      if (previousLevel_ && bits >= previousLevel_->bits) {
        Report(line.number, MapProblem::kLevelsNotDecreasing,
               std::string(t.substr(0, eq)) + "=" + std::string(v) + " не меньше " +
                   previousLevel_->key + "=" +
                   Num(static_cast<std::uint64_t>(previousLevel_->bits)));
      }
      previousLevel_ = PreviousLevel{std::string(t.substr(0, eq)), bits};
    }
  }

  [[gnu::always_inline]] void ElementLine(const MapLine& line, const MapSection& section) {
    if (section.index == 0) {
      typeSeen_ = false;
      return;
    }
    switch (line.kind) {
      case MapLineKind::kType:
        if (!typeSeen_ && section.index != 1) TypeNotFirst(line, section);
        typeSeen_ = true;
        return;
      case MapLineKind::kCoordinates:
        if (levelCount_ > 0 && line.level >= levelCount_ - 1) LevelTooHigh(line);
        return;
      case MapLineKind::kSectionEnd:
        if (!typeSeen_) EndElement(section);
        typeSeen_ = true;
        return;
      default:
        return;
    }
  }

  [[gnu::noinline]] void TypeNotFirst(const MapLine& line, const MapSection& section) {
    Report(line.number, MapProblem::kTypeNotFirst,
           "Type= не первая строка после заголовка элемента в строке ", section.start,
           ": команды правки её не увидят");
  }

  [[gnu::noinline]] void LevelTooHigh(const MapLine& line) {
    const std::string key =
        std::string(line.origin ? "Origin" : "Data") + Num(static_cast<std::uint64_t>(line.level));
    Report(line.number, MapProblem::kLevelTooHigh,
           line.level == levelCount_ - 1 ? key + " на последнем уровне карты (Levels=" +
                                               Num(static_cast<std::uint64_t>(levelCount_)) +
                                               "), который должен оставаться пустым"
                                         : key + " выше последнего уровня карты (Levels=" +
                                               Num(static_cast<std::uint64_t>(levelCount_)) + ")");
  }

  [[gnu::noinline]] void EndElement(const MapSection& section) {
    if (!typeSeen_) Report(section.start, MapProblem::kNoType, "у элемента нет строки Type=");
    typeSeen_ = true;
  }

  struct PreviousLevel {
    std::string key;
    int bits;
  };

  CodePageBytes page_{kDefaultCodePage};
  bool pageDeclared_ = false, pageSettled_ = false;
  std::string pending_;  // bytes read before the page was known
  std::uint64_t pendingLine_ = 1;
  std::vector<Found> found_;
  std::array<Omitted, static_cast<std::size_t>(MapProblem::kOmitted) + 1> omitted_{};
  std::uint64_t last_ = 0;
  std::uint64_t headerLine_ = 0, idLine_ = 0, levelsLine_ = 0;
  std::string id_;
  int levelCount_ = 0;
  bool levelsSeen_ = false;  // levelsLine_ set, here or in a part before
  bool headerEndSeen_ = false;
  std::optional<PreviousLevel> previousLevel_;
  bool typeSeen_ = true;
  int crlf_ = -1;  // the first line's end: 1 CR LF, 0 LF alone, -1 none seen yet
  std::uint64_t firstEndLine_ = 0;
  bool mixedReported_ = false;
};

}  // namespace

namespace {

const char kUtf16Message[] =
    "файл в кодировке UTF-16: программы карт читают однобайтный текст или UTF-8";

// How much of the top of a map is read to learn what its parts need to know (Carried).
constexpr std::size_t kTopBytes = 1 << 20;

struct PartsOutcome {
  std::optional<std::vector<Diagnostic>> found;  // nullopt: check the map as a whole
  int error = 0;                                 // a read error's errno value
};

// The check of a map in parts at once. The parts after the first begin as the top of the map
// leaves a checker; when the first part ends otherwise (a second map header that declares
// levels, say), or the file changes meanwhile, the map is checked again as a whole.
PartsOutcome CheckInParts(const InputFile& file, const std::vector<std::uint64_t>& starts,
                          std::uint64_t size) {
  std::string top(std::min<std::uint64_t>(kTopBytes, starts[1]), '\0');
  int error = 0;
  const std::ptrdiff_t got = file.ReadAt(top.data(), top.size(), 0, error);
  if (got < 0) return {std::nullopt, error};
  top.resize(static_cast<std::size_t>(got));
  const std::size_t firstEnd = top.find('\n');
  if (firstEnd == std::string::npos) return {};
  if (LooksLikeUtf16(std::string_view(top).substr(0, firstEnd + 1))) {
    return {std::vector<Diagnostic>{{1, MapProblem::kUtf16, kUtf16Message}}};
  }
  Checker first;
  MapScanner<Checker> scanner(first);
  scanner.Lines(std::string_view(top).substr(0, top.rfind('\n') + 1));
  const Carried carried = first.Carry();
  if (!carried.pageSettled) return {};

  auto parts = ScanMapParts<Checker>(
      file, starts, size, [&](std::size_t i) { return i == 0 ? Checker() : Checker(carried); });
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (parts[i].failed) return {std::nullopt, parts[i].error};
    if (parts[i].endedEarly) return {};
    if (i + 1 < parts.size() && !(parts[i].visitor.Carry() == carried)) return {};
  }
  std::uint64_t base = parts[0].lines;
  for (std::size_t i = 1; i < parts.size(); ++i) {
    parts[0].visitor.Absorb(std::move(parts[i].visitor), base);
    base += parts[i].lines;
  }
  return {std::move(parts[0].visitor).Finish()};
}

}  // namespace

std::vector<Diagnostic> CheckMap(LineReader& in) {
  // The first line alone, which the reader delivers whole whatever its block size.
  const std::string_view head = in.PeekLines();
  if (LooksLikeUtf16(head.substr(0, head.find('\n') + 1))) {
    return {{1, MapProblem::kUtf16, kUtf16Message}};
  }
  Checker checker;
  ScanMap(in, checker);
  return std::move(checker).Finish();
}

std::optional<std::vector<Diagnostic>> CheckFile(const std::string& path, JobHost& host,
                                                 const ScanPartsOptions& options) {
  InputFile input;
  if (!input.Open(path)) {
    host.MessageBox(WithSystemReason(CannotOpenNamedForReading(path), input.Error()));
    return std::nullopt;
  }
  const auto size = static_cast<std::uint64_t>(input.Identity().size);
  const std::vector<std::uint64_t> starts = MapPartStarts(input, size, options);
  if (starts.size() > 1) {
    PartsOutcome outcome = CheckInParts(input, starts, size);
    if (outcome.error != 0) {
      host.MessageBox(WithSystemReason(ReadErrorMessage(path), outcome.error));
      return std::nullopt;
    }
    if (outcome.found) return std::move(outcome.found);
    if (!input.Rewind()) {
      host.MessageBox(WithSystemReason(ReadErrorMessage(path), input.Error()));
      return std::nullopt;
    }
  }
  LineReader reader(input);
  std::vector<Diagnostic> found = CheckMap(reader);
  if (reader.Failed()) {
    host.MessageBox(WithSystemReason(ReadErrorMessage(path), input.Error()));
    return std::nullopt;
  }
  return found;
}

std::string FormatDiagnostic(const std::string& path, const Diagnostic& d) {
  return path + ":" + std::to_string(d.line) + ": " + d.message;
}

}  // namespace pomvelt
