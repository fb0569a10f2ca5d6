// The main dialog's option members, with the dialog's names: check boxes and radio groups as
// integers, edits as strings, copied from the controls when a command starts. Their defaults
// are the core options' own; the dialog translates its members into those options.
#pragma once

#include <string>

#include "jobs/delete_elements.h"
#include "jobs/delete_layer.h"
#include "jobs/replace_type.h"
#include "pipeline/convert_files.h"

namespace pomvelt {

struct MainOptions {
  int m_nReplaceKind = static_cast<int>(ReplaceTypeOptions{}.kind);  // 0 polygons, 1 lines
  std::string m_strReplaceFrom = ReplaceTypeOptions{}.fromCode;
  std::string m_strReplaceTo = ReplaceTypeOptions{}.toCode;
  int m_bReplaceInPlace = ReplaceTypeOptions{}.inPlace ? 1 : 0;
  int m_bConvertInPlace = ConvertOptions{}.inPlace ? 1 : 0;
  int m_bDeleteInPlace = DeleteElementsOptions{}.inPlace ? 1 : 0;  // also layer deletion
  std::string m_strDeleteType = DeleteElementsOptions{}.typeCode;
  int m_nDeleteKind = static_cast<int>(DeleteElementsOptions{}.kind);  // 0 polygons .. 2 points
  int m_bLowerCase = ConvertOptions{}.lowerCase ? 1 : 0;
  int m_bCompile = ConvertOptions{}.compile ? 1 : 0;
  int m_bDecompile = ConvertOptions{}.decompile ? 1 : 0;
  // 0 translit to Russian, 1 Russian to translit, 2 none
  int m_nTranslit = static_cast<int>(ConvertOptions{}.translation);
  std::string m_strLayer = DeleteLayerOptions{}.layer;
  int m_bKeepWhole = DeleteLayerOptions{}.kept == KeptForm::kWhole ? 1 : 0;
  int m_bDeleteMpAfterCompile = ConvertOptions{}.deleteMpAfterCompile ? 1 : 0;
  int m_bMakeFileList = ConvertOptions{}.namesList ? 1 : 0;
  int m_nDecompiler = static_cast<int>(ConvertOptions{}.decompiler);  // 0 cgpsmapper, 1 editor
};

// The kind of a radio index (0 polygon, 1 line, 2 point); out-of-range indexes give polygon.
ElementKind ElementKindFromIndex(int index);

DeleteElementsOptions DeleteElementsOptionsOf(const MainOptions& o);
ReplaceTypeOptions ReplaceTypeOptionsOf(const MainOptions& o);
DeleteLayerOptions DeleteLayerOptionsOf(const MainOptions& o);
ConvertOptions ConvertOptionsOf(const MainOptions& o);

}  // namespace pomvelt
