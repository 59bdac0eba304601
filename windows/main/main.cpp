// The program: the modules' start-up, then the main block, inside which the
// whole run takes place.
#include "windows/ProgramStart.h"
#include "platform/Application.h"
#include "platform/Exceptions.h"
#include "platform/System.h"
#include "platform/Threads.h"

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
