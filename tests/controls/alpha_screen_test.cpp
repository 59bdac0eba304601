// The fade on a real X display (Xvfb). Headless runs skip it. With
// ZIBOR_SCREENSHOT set to a file name, the whole screen is also written there
// by "import -window root" while the faded window is up.
#include "controls/AlphaShowHide.h"
#include "platform/gui/Application.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/Timers.h"

#include <QApplication>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <gtest/gtest.h>

#include <cstdlib>

using namespace plat;

namespace {

class Notice : public TForm {
public:
    explicit Notice(TComponent *owner) : TForm(owner)
    {
        TLoadingScope loading(*this);
        SetBorderStyle(TFormBorderStyle::bsNone);
        SetBounds(0, 0, 320, 200);
        SetPosition(TPosition::poScreenCenter);
        SetColor(clRed);
        auto *label = new TLabel(this);
        label->SetParent(this);
        label->SetBounds(20, 20, 200, 30);
        label->Font().SetColor(clWhite);
        label->Font().SetHeight(-24);
        label->SetTransparent(true);
        label->SetCaption("TOT ZIENS!");
        Fade = new TAlphaShowHide(this);
        Fade->SetDeltaAlpha(25);
        Fade->SetMaxAlpha(200);
        Fade->SetActive(true);
    }
    TAlphaShowHide *Fade;
};

TEST(AlphaOnScreen, AFadedWindowShowsOnTheDisplay)
{
    if (QGuiApplication::platformName() != "xcb")
        GTEST_SKIP() << "needs an X display";
    auto *f = MakeForm<Notice>(nullptr);
    f->Show();
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(f->AlphaBlendValue(), 200);
    EXPECT_TRUE(f->AlphaBlend());
    if (const char *path = std::getenv("ZIBOR_SCREENSHOT"))
        QProcess::execute("import", {"-window", "root", path});
    const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    const QColor centre = screen.pixelColor(screen.width() / 2, screen.height() / 2 + 60);
    EXPECT_GT(centre.red(), 150) << "the window is on the screen, at most partly see-through";
    EXPECT_LT(centre.green(), 100);
    f->Hide();
    f->Free();
}

// The program's own loop as it runs outside tests: real timers, and a
// loop that waits for the window system instead of a test's next step.
TEST(AlphaOnScreen, RealTimersDriveAModalLoopOnTheDisplay)
{
    if (QGuiApplication::platformName() != "xcb")
        GTEST_SKIP() << "needs an X display";
    TTimer::SetVirtualTime(false);
    auto idle = Application()->SetIdleHook(nullptr);
    auto *f = MakeForm<Notice>(nullptr);
    auto *t = new TTimer(f);
    t->SetInterval(30);
    int ticks = 0;
    t->OnTimer = [&](TObject *) {
        if (++ticks == 3)
            f->SetModalResult(mrOk);
    };
    EXPECT_EQ(f->ShowModal(), mrOk);
    EXPECT_EQ(ticks, 3);
    Application()->SetIdleHook(idle);
    TTimer::SetVirtualTime(true);
    f->Free();
}

} // namespace
