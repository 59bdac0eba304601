#pragma once
// How the program starts. First each module's own start-up, in a fixed
// order; then the main block: the splash, a second's wait, the progress
// window, the title, every window of the administration created once (the
// main window first, so that it is the application's main window), and last
// the backdrop, whose creation runs the main window modally. The program's
// whole interactive run happens inside that creation.
#include <functional>

// The modules' start-up, before the main block.
void InitializeModules();

// Creates every window of the administration in the program's order;
// halfway runs between the first and the second group (the progress window).
void CreateProgramWindows(const std::function<void()> &halfway);

// The main block; returns when the program ends.
void RunProgram();
