// The library lookup and the thread priority.
#include "platform/core/System.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

TEST(SystemLibrary, FindsOnlyWhatTheProgramAsksFor)
{
    struct Case {
        const char *library;
        const char *procedure;
        bool found;
    };
    const Case cases[] = {
        {"USER32.DLL", "BlockInput", true},
        {"user32.dll", "BlockInput", true},
        {"USER32.DLL", "blockinput", false},
        {"USER32.DLL", "MessageBoxA", false},
        {"KERNEL32.DLL", "BlockInput", false},
        {"", "BlockInput", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.library) + " " + c.procedure);
        const plat::HMODULE loaded = plat::LoadLibraryA(c.library);
        EXPECT_EQ(plat::GetModuleHandleA(c.library), loaded);
        EXPECT_EQ(plat::GetProcAddress(loaded, c.procedure) != nullptr, c.found);
    }
    EXPECT_EQ(plat::GetProcAddress(0, "BlockInput"), nullptr);
}

TEST(SystemPriority, RaisedOrLeftAloneOnlyForTheCallingThread)
{
    // On a thread of its own, so the test runner keeps its priority.
    const int before = plat::CurrentThreadPriority();
    bool raised = false;
    int inside = -1;
    int initial = -1;
    std::thread worker([&] {
        initial = plat::CurrentThreadPriority();
        raised = plat::SetCurrentThreadPriority(plat::THREAD_PRIORITY_HIGHEST);
        inside = plat::CurrentThreadPriority();
    });
    worker.join();
    EXPECT_EQ(inside, raised ? plat::THREAD_PRIORITY_HIGHEST : initial);
    EXPECT_EQ(plat::CurrentThreadPriority(), before);
}

} // namespace
