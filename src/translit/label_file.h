// What the two label translations share: the label text of a line, the hand-over of "Name="
// lines to the names list, and the per-file frame around a translation's line transform.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "jobs/batch_job.h"
#include "jobs/file_rewrite.h"
#include "jobs/map_list_file.h"
#include "text/code_page.h"
#include "text/line_io.h"
#include "translit/label_page.h"

namespace pomvelt {

struct TranslationOptions {
  bool lowerCase = false;  // capitals to small letters except at the start of a word
  bool inPlace = true;     // false: the suffixed copy
};

struct TranslationCounts {
  long long labelsChanged = 0;         // label lines written otherwise than they were
  long long headerLinesRewritten = 0;  // header lines replaced or dropped
  long long labelsNotDecodable = 0;    // labels left as they were: not text of the map's page
  // The map is in a code page the result cannot be declared in without garbling its letters:
  // it was not translated (what was written is to be dropped).
  std::optional<CodePage> refusedPage;
};
TransformResult ResultOf(const TranslationCounts& counts);

// Receives every line that holds "Name=", before the line is translated.
using NameLineSink = std::function<void(std::string_view line)>;

// A translation of the lines of one map: reads every line, writes the translated ones.
using LabelTransform = std::function<TranslationCounts(LineReader& in, LineWriter& out,
                                                       bool lowerCase, const NameLineSink&)>;

// What a label line carries after its last "=" (the line holds "Label=", so one exists).
inline std::string_view LabelTextOf(std::string_view line) {
  return line.substr(line.rfind('=') + 1);
}

// A map repeats its labels (street names, road numbers, the same river on every bend), and a
// label's translation depends on its text alone once the map's page and the direction are
// fixed: each text is translated once per map. Bounded, so that memory stays flat however
// many different labels a map holds: past the bound, texts are translated every time.
class LabelMemo {
 public:
  const std::string* Find(std::string_view text) const {
    const auto it = translated_.find(text);
    return it == translated_.end() ? nullptr : &it->second;
  }
  void Keep(std::string_view text, const std::string& translation) {
    if (bytes_ > kMaxBytes) return;
    bytes_ += text.size() + translation.size() + kEntryOverhead;
    translated_.emplace(text, translation);
  }

 private:
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const {
      return std::hash<std::string_view>()(text);
    }
  };
  static constexpr std::size_t kMaxBytes = 2 << 20;
  static constexpr std::size_t kEntryOverhead = 96;  // node, buckets, two string headers
  std::unordered_map<std::string, std::string, Hash, std::equal_to<>> translated_;
  std::size_t bytes_ = 0;
};

// Writes a "Label=" line translated: a line with a special code ("~[") through `shieldLine`,
// whole; any other as "Label=" + `label` of its text in the map's page, case-normalised with
// lowerCase. A text the page does not decode is written as it was, and counted. The memo keeps
// the translations of the texts met so far in one map (give each map, and each direction, its
// own).
void WriteTranslatedLabel(LineWriter& out, std::string_view line, bool lowerCase,
                          const LabelPage& page, std::string (*shieldLine)(std::string),
                          std::string (*label)(std::string, const LabelPage&),
                          TranslationCounts& counts, LabelMemo& memo);

// "Файл " + path + " не переведён: ..." for a map refused for its code page.
std::string PageRefusalMessage(const std::string& path, CodePage page);

struct LabelFileRequest {
  std::string path;
  std::string outputSuffix;            // "_rus.mp", "_translit.mp"
  std::string cannotOpenInputMessage;  // empty: the frame's, which names the path
};

// Runs the translation from the map at request.path into its suffixed copy, or in place. With a
// names list, each "Name=" line of the map adds an entry (the line's name, then the map's file
// name) once the file has been converted completely; a file that failed adds none, and a dry
// run adds none. The outcome's output is the path now holding the converted map.
FileOutcome ConvertLabelFile(const LabelFileRequest& request, const TranslationOptions& options,
                             CMapListFile* namesList, const BatchContext& batch,
                             const LabelTransform& transform);

}  // namespace pomvelt
