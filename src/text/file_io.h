// The file classes the text layer reads and writes through live in the platform layer.
#pragma once

#include "os/file.h"
