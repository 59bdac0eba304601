#pragma once
// Every window of the program, created as the start-up creates them, and
// freed again after the test.
#include "windows/ProgramStart.h"
#include "platform/gui/Application.h"
#include "platform/gui/Forms.h"

#include <gtest/gtest.h>

namespace zibor::test {

// Frees every window that the application owns and clears the program's
// global window references.
void FreeProgramWindows();

class ProgramWindows : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitializeModules();
        CreateProgramWindows({});
    }
    void TearDown() override
    {
        FreeProgramWindows();
        plat::Application()->CancelTerminate();
    }
};

} // namespace zibor::test
