// The one scanner of the commands that act on elements by their type: type replacement, element
// deletion and a file of such rules. Each rule is a small machine fed the lines it must see; the
// scanner finds those lines block by block in the reader's runs (the headers of the kinds the
// rules want, the line after a header, the end of an element being dropped) and passes the
// lines between them on, or drops them, in bulk. The rules never see where a run ends.
#pragma once

#include <string>
#include <vector>

#include "jobs/polish_format.h"
#include "text/line_io.h"

namespace pomvelt {

struct TypeRule {
  enum class Action { kReplace, kDelete };
  Action action = Action::kReplace;
  ElementKind kind = ElementKind::kPolygon;
  std::string code;     // the code replaced, or the code of the elements deleted
  std::string newCode;  // kReplace: the code it becomes
  int line = 0;         // in the rules file, counted from 1
};

struct TypeRuleCounts {
  std::vector<long long> perRule;  // type lines replaced, or elements deleted, in rule order
  bool linesChanged = false;
};

// Applies the rules in one pass. A replacement rewrites the line directly after a header of its
// kind when that line is exactly "Type=" + code (a code replaced by itself changes nothing); a
// deletion drops an element of its kind whose line directly after the header is exactly
// "Type=" + code, up to and including the first line that begins with "[END]" or the kind's own
// end marker (or to the end of the input). The line after a header is never itself taken for
// a header; a header on the last line is followed by an empty line. The lines go through the
// rules in order, as they would go through the single commands run one after another.
TypeRuleCounts ApplyTypeRules(LineReader& in, LineWriter& out, const std::vector<TypeRule>& rules);

}  // namespace pomvelt
