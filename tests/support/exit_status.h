// The exit status of a program std::system ran, on every platform.
#pragma once

namespace pomvelt::test {

// The exit status of a program std::system ran through the shell; -1 when it did not exit.
int ExitStatusOf(int systemResult);

}  // namespace pomvelt::test
