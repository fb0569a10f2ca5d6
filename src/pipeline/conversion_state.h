// What the conversion job keeps besides its options; the desktop program's main dialog owns
// one for the life of the dialog.
#pragma once

#include "jobs/map_list_file.h"

namespace pomvelt {

struct ConversionState {
  // Set when the compiler could not be started; the job stops before its next file.
  bool compilerMissing = false;
  // The names list "names.txt", filled by the translations.
  CMapListFile namesList;
};

}  // namespace pomvelt
