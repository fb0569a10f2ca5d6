// What the conversion job keeps between its stages besides the dialog's options.
#pragma once

#include <string>

namespace pomvelt {

struct ConversionState {
  // The program run for decompiling and compiling; empty: CompilerProgram() (the environment
  // variable, then the default name) at each run.
  std::string compiler;
  // Set when the compiler could not be started; the job stops before its next file.
  int m_bCompilerMissing = 0;
};

}  // namespace pomvelt
