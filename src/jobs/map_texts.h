// Texts a user typed (search texts, type codes), put into the code page of each map when its
// turn comes: the desktop program and the command line take any character, and only a map
// whose page cannot hold one is left out.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>

#include "text/line_io.h"

namespace pomvelt {

// Rewrites each UTF-8 text into the page of the map the reader is at the start of (peeking at
// its header, reading nothing). ASCII texts, the same in every page, are left as they are
// without a look. Returns the message naming the map (`path`) and the character when its page
// cannot hold one of them: the map is then to be skipped.
std::optional<std::string> PutTextsInMapPage(LineReader& in, const std::string& path,
                                             std::initializer_list<std::string*> texts);

}  // namespace pomvelt
