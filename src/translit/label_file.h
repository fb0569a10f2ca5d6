// What the two label translations share: the label text of a line, the hand-over of "Name="
// lines to the names list, and the per-file frame around a translation's line transform.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "eurasia/map_list_file.h"
#include "jobs/job_host.h"
#include "jobs/main_options.h"
#include "text/line_io.h"

namespace pomvelt {

// Receives every line that holds "Name=", before the line is translated.
using NameLineSink = std::function<void(std::string_view line)>;

// A translation of the lines of one map: reads every line, writes the translated ones.
using LabelTransform =
    std::function<void(LineReader& in, LineWriter& out, bool lowerCase, const NameLineSink&)>;

// What a label line carries after its last "=" (the line holds "Label=", so one exists).
inline std::string_view LabelTextOf(std::string_view line) {
  return line.substr(line.rfind('=') + 1);
}

// Writes a "Label=" line translated: a line with a special code ("~[") through `shieldLine`,
// whole; any other as "Label=" + `label` of its text, case-normalised with lowerCase.
void WriteTranslatedLabel(LineWriter& out, std::string_view line, bool lowerCase,
                          std::string (*shieldLine)(std::string),
                          std::string (*label)(std::string));

struct LabelFileRequest {
  std::string path;
  std::string outputSuffix;  // "_rus.mp", "_translit.mp"
  std::string cannotOpenInputMessage;
};

// Runs the translation from the map at request.path into its suffixed copy, or in place with
// m_bConvertInPlace. With m_bMakeFileList and a names list, each "Name=" line of the map adds
// an entry (the line's name, then the map's file name) once the file has been converted
// completely; a file that failed adds none. Returns the path now holding the converted map, or
// nullopt after the failure has been shown.
std::optional<std::string> ConvertLabelFile(const LabelFileRequest& request,
                                            const MainOptions& options, CMapListFile* namesList,
                                            JobHost& host, const LabelTransform& transform);

}  // namespace pomvelt
