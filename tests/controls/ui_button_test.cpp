// The custom-drawn push button: mouse and key tracking, latching groups,
// default and cancel, ModalResult, and its looks pixel by pixel. Expected
// colours come from tests/controls/ui_reference.py.
#include "controls/UiButton.h"
#include "platform/graphics/Colors.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/StdCtrls.h"
#include "tests/support/MouseKeys.h"
#include "tests/support/PixelCheck.h"
#include "tests/support/WindowDriver.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace plat;
using namespace zibor::test;

namespace {

struct ButtonWindow : ::testing::Test {
    TWindowDriver drv;
    TPlainWindow window{300, 200, clBtnFace};
    TForm &form = window.Form();
    int clicks = 0;
    TUiButton *Button(int left = 10, int top = 10, int w = 75, int h = 25)
    {
        auto *b = window.Place<TUiButton>(left, top, w, h);
        b->OnClick = [this](TObject *) { ++clicks; };
        return b;
    }
    void SetUp() override { SetDeepColorScreenForTesting(true); }
    void TearDown() override { SetDeepColorScreenForTesting(std::nullopt); }
};

TEST_F(ButtonWindow, MouseTrackingClicksOnlyOnAReleaseInside)
{
    struct Case {
        const char *name;
        std::vector<TPoint> moves;
        TPoint release;
        bool pressedBeforeRelease;
        int clicks;
    };
    const Case cases[] = {
        {"press and release inside", {}, {10, 10}, true, 1},
        {"released outside", {{100, 10}}, {100, 10}, false, 0},
        {"out and back in", {{100, 10}, {20, 12}}, {20, 12}, true, 1},
        {"the row just below counts as outside", {{10, 25}}, {10, 25}, false, 0},
        {"the last row is inside", {{10, 24}}, {10, 24}, true, 1},
        {"the column just right counts as outside", {{75, 5}}, {75, 5}, false, 0},
    };
    for (const Case &c : cases) {
        TUiButton *b = Button();
        clicks = 0;
        MousePress(*b, 10, 10);
        EXPECT_TRUE(b->Pressed()) << c.name;
        EXPECT_TRUE(b->Focused()) << c.name << ": a press takes the focus";
        for (TPoint p : c.moves)
            MouseMoveTo(*b, p.X, p.Y);
        EXPECT_EQ(b->Pressed(), c.pressedBeforeRelease) << c.name;
        MouseRelease(*b, c.release.X, c.release.Y);
        EXPECT_FALSE(b->Pressed()) << c.name;
        EXPECT_EQ(clicks, c.clicks) << c.name;
        delete b;
    }
}

TEST_F(ButtonWindow, HeldSpaceClicksOnce)
{
    TUiButton *b = Button();
    form.SetActiveControl(b);
    HoldKey(*b, VK_SPACE, 5);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(b->Pressed());
}

TEST_F(ButtonWindow, LatchingGroups)
{
    TUiButton *plain = Button(10, 10);
    plain->SetDown(true);
    EXPECT_FALSE(plain->Down()) << "GroupIndex 0 never latches";

    TUiButton *a = Button(10, 40), *b = Button(10, 70);
    a->SetGroupIndex(1);
    b->SetGroupIndex(1);
    auto *other = window.Place<TPanel>(100, 100, 100, 60);
    auto *elsewhere = window.Place<TUiButton>(5, 5, 60, 20, other);
    elsewhere->SetGroupIndex(1);
    elsewhere->SetDown(true);
    MousePress(*a, 5, 5);
    MouseRelease(*a, 5, 5);
    EXPECT_TRUE(a->Down());
    MousePress(*b, 5, 5);
    MouseRelease(*b, 5, 5);
    EXPECT_TRUE(b->Down());
    EXPECT_FALSE(a->Down()) << "latching the second releases the first";
    EXPECT_TRUE(elsewhere->Down()) << "a group lives on one parent";
    MousePress(*b, 5, 5);
    MouseRelease(*b, 5, 5);
    EXPECT_TRUE(b->Down()) << "without AllowAllUp the latched one stays down";
    EXPECT_EQ(clicks, 3);
    a->SetAllowAllUp(true);
    EXPECT_TRUE(b->AllowAllUp()) << "the group shares AllowAllUp";
    b->SetDown(false);
    EXPECT_FALSE(b->Down());
}

TEST_F(ButtonWindow, EnterEscapeAndAccelerators)
{
    auto *edit = window.Place<TEdit>(10, 100, 80, 20);
    TUiButton *ok = Button(10, 10), *cancel = Button(100, 10);
    ok->SetDefault(true);
    cancel->SetCancel(true);
    ok->SetCaption("&Klaar");
    int okClicks = 0, cancelClicks = 0;
    ok->OnClick = [&](TObject *) { ++okClicks; };
    cancel->OnClick = [&](TObject *) { ++cancelClicks; };
    form.SetActiveControl(edit);
    EXPECT_TRUE(ok->IsActive());
    drv.Key(*edit, VK_RETURN);
    EXPECT_EQ(okClicks, 1) << "Enter in an edit clicks the default button";
    drv.Key(*edit, VK_ESCAPE);
    EXPECT_EQ(cancelClicks, 1);
    for (TShiftState s : {ssShift, ssCtrl, ssAlt}) {
        drv.Key(*edit, VK_RETURN, s);
        drv.Key(*edit, VK_ESCAPE, s);
    }
    EXPECT_EQ(okClicks, 1) << "ignored with a shift key";
    EXPECT_EQ(cancelClicks, 1);
    form.SetActiveControl(cancel);
    EXPECT_FALSE(ok->IsActive()) << "a focused button takes Enter";
    EXPECT_TRUE(cancel->IsActive());
    drv.Key(*cancel, VK_RETURN);
    EXPECT_EQ(cancelClicks, 2);
    drv.Key(*edit, 'K', ssAlt);
    EXPECT_EQ(okClicks, 2) << "the caption's accelerator";
}

TEST_F(ButtonWindow, AClickSetsTheWindowsModalResultEvenToZero)
{
    TUiButton *b = Button();
    form.SetModalResult(mrCancel);
    drv.Click(*b);
    EXPECT_EQ(form.ModalResult(), mrNone);
    b->SetModalResult(mrOk);
    drv.Click(*b);
    EXPECT_EQ(form.ModalResult(), mrOk);
}

TEST_F(ButtonWindow, ADisabledButtonLosesTheFocusAndGreysItsCaption)
{
    TUiButton *b = Button(10, 10, 75, 25);
    b->SetCaption("WWWWWWW");
    b->Font().SetHeight(-16);
    b->Font().SetColor(clRed);
    form.SetActiveControl(b);
    b->SetEnabled(false);
    EXPECT_NE(form.ActiveControl(), b);
    auto captionColours = [&](TColor face) {
        b->SetColor(face);
        const QImage img = PaintOffscreen(*b);
        std::set<TColor> seen;
        for (int y = 6; y < 19; ++y)
            for (int x = 6; x < 69; ++x)
                seen.insert(PixelOf(img, x, y));
        return seen;
    };
    EXPECT_TRUE(captionColours(clBtnFace).count(ColorToRGB(clGrayText)));
    EXPECT_FALSE(captionColours(clBtnFace).count(clRed));
    EXPECT_TRUE(captionColours(RGB(112, 112, 112)).count(ColorToRGB(cl3DDkShadow))) << "on a face near that grey";
}

// A hot-tracking button with a grey face, on a parent of another colour.
TUiButton *HotTrackingButton(TPlainWindow &w)
{
    auto *b = w.Place<TUiButton>(20, 20, 110, 50);
    b->SetCaption("Map openen");
    b->SetCursor(crHandPoint);
    b->SetColor(clAppWorkSpace);
    b->Font().SetName("Arial");
    b->Font().SetStyle(fsBold);
    b->Font().SetHeight(-11);
    b->Font().SetColor(clAqua);
    b->SetHighlightColor(clActiveCaption);
    b->SetHotTrack(true);
    return b;
}

TEST_F(ButtonWindow, HotTrackingLookPixelByPixel)
{
    TUiButton *b = HotTrackingButton(window);
    const TColor parent = ColorToRGB(clBtnFace), a = 0xDBDBDB /* ShadeDown(p, 20) */, bb = 0xFFFFFF /* ShadeUp(p, 20) */;
    const TColor frame = ColorToRGB(cl3DDkShadow);
    QImage img = PaintOffscreen(*b);
    struct Px {
        int x, y;
        TColor want;
        const char *what;
    };
    const Px plain[] = {
        {0, 0, parent, "corner shows the parent"},
        {1, 0, parent, "corner shows the parent"},
        {0, 1, parent, "corner shows the parent"},
        {109, 49, parent, "corner shows the parent"},
        {108, 49, parent, "corner shows the parent"},
        {1, 1, a, "rim corner pixel"},
        {2, 0, a, "rim top"},
        {0, 2, a, "rim left"},
        {0, 47, a, "rim left, last"},
        {109, 2, bb, "rim right"},
        {2, 49, bb, "rim bottom"},
        {108, 48, bb, "rim bottom-right corner pixel"},
        {1, 48, a, "rim bottom-left corner pixel"},
        {1, 2, frame, "inner frame left"},
        {2, 1, frame, "inner frame top"},
        {1, 1, a, "inner frame corner is cut"},
        {50, 2, 0xCBCBCB, "first face row: ShadeUp(Color, 30)"},
        {50, 45, 0xA1A1A1, "last face row: 43/44 of the way to ShadeDown(Color, 10)"},
        {50, 46, 0x969696, "ShadeDown(Color, 20) line"},
        {50, 47, 0x8B8B8B, "ShadeDown(Color, 30) line"},
    };
    for (const Px &p : plain)
        EXPECT_EQ(PixelOf(img, p.x, p.y), p.want) << p.what << " at " << At(p.x, p.y);

    MouseEnterLeave(*b, true);
    img = PaintOffscreen(*b);
    EXPECT_EQ(PixelOf(img, 50, 2), 0xC3E6FB) << "hot rim top row: MixColors(white, HotTrackColor, 190)";
    EXPECT_NE(PixelOf(img, 50, 4), 0xC3E6FB) << "the rim is two pixels";
    MouseEnterLeave(*b, false);

    form.SetActiveControl(b);
    img = PaintOffscreen(*b);
    EXPECT_EQ(PixelOf(img, 50, 2), 0xCCC6BF) << "focused rim top row: MixColors(h, ShadeUp(Color, 30), 60)";
    EXPECT_EQ(PixelOf(img, 4, 3), clBlack) << "focus dots on the client shrunk by 3";
    EXPECT_EQ(PixelOf(img, 0, 0), parent);
}

TEST_F(ButtonWindow, ClassicLookDefaultFrameAndLatchedChecker)
{
    TUiButton *def = Button(10, 10, 75, 25);
    def->SetDefault(true);
    QImage img = PaintOffscreen(*def);
    EXPECT_EQ(PixelOf(img, 0, 0), ColorToRGB(clWindowFrame)) << "default button's frame";
    EXPECT_EQ(PixelOf(img, 74, 24), ColorToRGB(clWindowFrame));
    EXPECT_EQ(PixelOf(img, 1, 1), ColorToRGB(clBtnHighlight)) << "push border inside it";
    EXPECT_EQ(PixelOf(img, 73, 23), ColorToRGB(cl3DDkShadow));

    TUiButton *latched = Button(10, 50, 75, 25);
    latched->SetGroupIndex(3);
    latched->SetDown(true);
    img = PaintOffscreen(*latched);
    EXPECT_EQ(PixelOf(img, 0, 0), ColorToRGB(clBtnShadow)) << "lowered frame";
    EXPECT_EQ(PixelOf(img, 4, 4), clSilver) << "checker: equal parity";
    EXPECT_EQ(PixelOf(img, 5, 4), ColorToRGB(clBtnFace)) << "checker: the face between";
    latched->SetColor(clSilver);
    img = PaintOffscreen(*latched);
    EXPECT_EQ(PixelOf(img, 4, 4), RGB(128, 128, 128)) << "grey checker on silver";
}

} // namespace
