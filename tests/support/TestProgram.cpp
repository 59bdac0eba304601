#include "tests/support/TestProgram.h"

#include "platform/gui/Application.h"
#include "platform/gui/Timers.h"
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

namespace zibor::test {

int RunTestProgram(int argc, char **argv, const std::function<void(int argc, char **argv)> &beforeRun)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);

    plat::TTimer::SetVirtualTime(true);
    plat::Application()->SetSleepHook([](unsigned ms) { plat::TTimer::Skip(ms); });
    plat::Application()->SetIdleHook(
        [] { UnwindModalLoops("a modal loop waits and the test drives no window"); });
    TDialogScript noDialogs;
    ::testing::UnitTest::GetInstance()->listeners().Append(new ResetBetweenTests);
    if (beforeRun)
        beforeRun(argc, argv);
    const int rc = RUN_ALL_TESTS();
    noDialogs.VerifyAllUsed();
    return rc;
}

} // namespace zibor::test
