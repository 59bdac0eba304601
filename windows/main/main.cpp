// The program: the modules' start-up, then the main block, inside which the
// whole run takes place.
#include "windows/ProgramStart.h"
#include "platform/core/Exceptions.h"
#include "platform/core/System.h"
#include "platform/core/Threads.h"
#include "platform/gui/Application.h"

#include <QApplication>

using namespace plat;

int main(int argc, char **argv)
{
    KeepFreedMemoryForReuse();
    QApplication app(argc, argv);
    // Errors of the players' callback threads are shown on this thread.
    SetThreadErrorHandler([](const String &message) { Application()->ShowException(Exception(message)); });
    try {
        InitializeModules();
        RunProgram();
    } catch (...) {
        Application()->HandleException(Application());
    }
    return 0;
}
