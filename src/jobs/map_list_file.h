// The lists of maps a job writes beside the maps it processed: the names list "names.txt" of
// the conversion job and the preview-project list "eurasia_pdb.txt" of the Eurasia job. The
// text is collected in memory while the maps are processed and written in one piece when the
// job ends (also after a cancel). Lines end in CR LF; the text is code page 1251.
#pragma once

#include <string>
#include <string_view>

#include "jobs/job_host.h"
#include "text/file_io.h"

namespace pomvelt {

inline constexpr const char* kCannotOpenForList = "Не могу открыть файл для списка";
inline constexpr const char* kNamesListFileName = "names.txt";
inline constexpr const char* kPreviewListFileName = "eurasia_pdb.txt";

class CMapListFile {
 public:
  CMapListFile() = default;
  // Drops text that was never flushed; a list on disk keeps what it held.
  ~CMapListFile();
  CMapListFile(const CMapListFile&) = delete;
  CMapListFile& operator=(const CMapListFile&) = delete;

  // Starts a list at the path, its text reset to the list's header. The list already on disk
  // is left alone until FlushAndClose replaces it whole, so it is never seen half-written.
  // When the list cannot be written there, shows "Не могу открыть файл для списка" and returns
  // false; the object is then closed, its text untouched, and the adds still go to the text.
  bool OpenNamesList(const std::string& path, JobHost& host);
  bool OpenPreviewList(const std::string& path, JobHost& host);

  void AddText(std::string_view text) { text_.append(text); }
  void AddLineEnd() { text_.append("\r\n"); }
  // The file-name part of the path, then a line end. Names are turned from the platform's
  // encoding into code page 1251 (FileNameToCp1251).
  void AddFileName(std::string_view path);
  // As AddFileName, with every ".mp" of the name turned into ".img" (case-sensitive).
  void AddImgName(std::string_view path);
  // From a map's "Name=" line (code page 1251): every pair of adjacent blanks removed in one
  // pass, then the text after the last "=" (all of it without one), framed by two blanks on
  // each side. No line end.
  void AddMapName(std::string_view line);

  // Writes the text to the list of the last successful open, replacing the old list with one
  // rename, and closes. False after showing the failure (the old list stays as it was). On a
  // closed object (never opened, or its open failed) writes nothing and returns true.
  bool FlushAndClose(JobHost& host);

  bool IsOpen() const { return open_; }
  // The text collected since the last successful open (kept after FlushAndClose).
  const std::string& Text() const { return text_; }

 private:
  bool Open(const std::string& path, std::string_view header, JobHost& host);
  void DiscardPartial();

  std::string text_;
  std::string path_;
  std::string partPath_;  // the new list is written here and renamed over path_
  OutputFile part_;
  bool open_ = false;
};

}  // namespace pomvelt
