#pragma once
// A program of test cases: every case runs inside one QApplication on the
// offscreen platform, so that code which needs a GUI object (pictures,
// fonts, windows) can be tested. The window layer is put in test mode for
// all cases: timers run on virtual time, the program's real waits only move
// that time, any message box or dialog that a case did not script fails the
// case, and a modal loop that waits with nothing scripted is cancelled
// instead of hanging.
#include <functional>

namespace zibor::test {

// Runs the registered cases and returns the program's exit code. beforeRun,
// when given, is called just before the cases with the arguments that the
// test framework left.
int RunTestProgram(int argc, char **argv, const std::function<void(int argc, char **argv)> &beforeRun = {});

} // namespace zibor::test
