#include "jobs/map_list_file.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "jobs/file_rewrite.h"
#include "os/path.h"
#include "text/cp1251.h"
#include "text/strings.h"

namespace pomvelt {

namespace {

constexpr std::string_view kNamesHeader = "Имя карты:  Имя файла:\r\n\r\n"_cp;

constexpr std::string_view kPreviewHeader =
    "[Map]\r\n"
    "FileName=maps\r\n"
    "MapVersion=100\r\n"
    "ProductCode=91\r\n"
    "Levels=2\r\n"
    "Level0=13\r\n"
    "Level1=12\r\n"
    "Zoom0=5\r\n"
    "Zoom1=6\r\n"
    "MapsourceName=Карты\r\n"
    "MapSetName=Карта\r\n"
    "CDSetName=\r\n"
    "Copy1=\r\n"
    "Copy2=\r\n"
    "[End-Map]\r\n"
    "[Files]\r\n"_cp;

}  // namespace

CMapListFile::~CMapListFile() {
  DiscardPartial();
}

bool CMapListFile::OpenNamesList(const std::string& path, JobHost& host) {
  return Open(path, kNamesHeader, host);
}

bool CMapListFile::OpenPreviewList(const std::string& path, JobHost& host) {
  return Open(path, kPreviewHeader, host);
}

bool CMapListFile::Open(const std::string& path, std::string_view header, JobHost& host) {
  DiscardPartial();
  // Creating the partial file now tells the user at the start of the job, not at its end,
  // that the folder takes no list.
  const std::string partPath = path + ".part";
  std::error_code ec;
  const bool folder = std::filesystem::is_directory(PathOf(path), ec);
  if (folder || !part_.Create(partPath)) {
    const int error = folder ? EISDIR : part_.Error();
    host.MessageBox(WithSystemReason(std::string(kCannotOpenForList) + ": " + path, error));
    return false;
  }
  path_ = path;
  partPath_ = partPath;
  open_ = true;
  text_.assign(header);
  return true;
}

void CMapListFile::DiscardPartial() {
  if (!open_) return;
  open_ = false;
  part_.Close();
  RemoveFileQuietly(partPath_);
}

void CMapListFile::AddFileName(std::string_view path) {
  text_.append(FileNameToCp1251(FileNamePart(path)));
  AddLineEnd();
}

void CMapListFile::AddImgName(std::string_view path) {
  std::string name = FileNameToCp1251(FileNamePart(path));
  ReplaceAll(name, ".mp", ".img");
  text_.append(name);
  AddLineEnd();
}

void CMapListFile::AddMapName(std::string_view line) {
  std::string squeezed(line);
  ReplaceAll(squeezed, "  ", "");
  std::string_view name = squeezed;
  const std::size_t eq = name.rfind('=');
  if (eq != std::string_view::npos) name.remove_prefix(eq + 1);
  text_.append("  ");
  text_.append(name);
  text_.append("  ");
}

bool CMapListFile::FlushAndClose(JobHost& host) {
  if (!open_) return true;
  open_ = false;
  const bool written = part_.Write(text_.data(), text_.size()) && part_.Sync() && part_.Close();
  if (!written || !ReplaceFileAtomically(partPath_, path_)) {
    const int error = written ? errno : part_.Error();
    part_.Close();
    RemoveFileQuietly(partPath_);
    host.MessageBox(WithSystemReason(WriteErrorMessage(path_), error));
    return false;
  }
  return true;
}

}  // namespace pomvelt
