// Every suite runs inside one QApplication on the offscreen platform, so that
// code which needs a GUI object (pictures, fonts, windows) can be tested.
// The window layer is put in test mode for all suites: timers run on virtual
// time, the program's real waits only move that time, any message box or
// dialog that a test did not script fails the test, and a modal loop that
// waits with nothing scripted is cancelled instead of hanging.
#include "platform/Application.h"
#include "platform/Timers.h"
#include "tests/support/DialogScript.h"
#include "tests/support/WindowDriver.h"

#include <QApplication>
#include <gtest/gtest.h>
#include <cstdlib>

namespace {
class ResetBetweenTests : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo &) override { plat::Application()->CancelTerminate(); }
    void OnTestEnd(const ::testing::TestInfo &info) override
    {
        if (!plat::Application()->ModalStack().empty())
            ADD_FAILURE() << info.name() << " left a modal loop running";
    }
};
} // namespace

int main(int argc, char **argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);

    plat::TTimer::SetVirtualTime(true);
    plat::Application()->SetSleepHook([](unsigned ms) { plat::TTimer::Skip(ms); });
    plat::Application()->SetIdleHook(
        [] { zibor::test::UnwindModalLoops("a modal loop waits and the test drives no window"); });
    zibor::test::TDialogScript noDialogs;
    ::testing::UnitTest::GetInstance()->listeners().Append(new ResetBetweenTests);
    const int rc = RUN_ALL_TESTS();
    noDialogs.VerifyAllUsed();
    return rc;
}
