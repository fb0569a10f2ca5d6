// The options of the main dialog, with the dialog's member names and defaults. The dialog
// copies its controls into them when a command starts; the jobs read only these.
#pragma once

#include <string>

namespace pomvelt {

struct MainOptions {
  int m_nReplaceKind = 0;  // 0 polygons, 1 lines
  std::string m_strReplaceFrom = "0x1";
  std::string m_strReplaceTo = "0xd";
  int m_bReplaceInPlace = 1;
  int m_bConvertInPlace = 1;
  int m_bDeleteInPlace = 1;  // element deletion and layer deletion
  std::string m_strDeleteType = "0x4b";
  int m_nDeleteKind = 0;  // 0 polygons, 1 lines, 2 points
  int m_bLowerCase = 0;
  int m_bCompile = 0;
  int m_bDecompile = 0;
  int m_nTranslit = 2;  // 0 translit to Russian, 1 Russian to translit, 2 none
  std::string m_strLayer = "0";
  int m_bDeleteMpAfterCompile = 0;
  int m_bMakeFileList = 0;
  int m_nDecompiler = 0;  // 0 cgpsmapper, 1 GPSMapEdit
};

}  // namespace pomvelt
