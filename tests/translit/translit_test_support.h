// Helpers shared by the tests of the two label translations.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "support/test_support.h"
#include "translit/label_file.h"

namespace pomvelt::test {

// Runs a translation's line transform over bytes, with readers of several block sizes, and
// expects the same output and counts from each, and its word on a change to be right; returns
// the output, and the counts through `counts`.
std::string RunLabelTransform(std::string_view input, bool lowerCase,
                              TranslationCounts (*transform)(LineReader&, LineWriter&, bool,
                                                             const NameLineSink&),
                              TranslationCounts* counts = nullptr);

// The lines of a file written with CR LF ends; fails the test on any other line end.
std::vector<std::string> CrLfLines(const std::string& bytes);

}  // namespace pomvelt::test
