// What the conversion job keeps besides the dialog's options; the desktop program's main
// dialog owns one for the life of the dialog.
#pragma once

#include <string>

#include "eurasia/map_list_file.h"

namespace pomvelt {

struct ConversionState {
  // The program run for decompiling and compiling; empty: CompilerProgram() (the environment
  // variable, then the default name) at each run.
  std::string compiler;
  // Set when the compiler could not be started; the job stops before its next file.
  int m_bCompilerMissing = 0;
  // The names list "names.txt", filled by the translations.
  CMapListFile m_listFile;
};

}  // namespace pomvelt
