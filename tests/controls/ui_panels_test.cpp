// Panels, group boxes and the grid panel: client areas, child enabled
// states, and their looks pixel by pixel.
#include "controls/UiPanels.h"
#include "platform/graphics/Colors.h"
#include "tests/controls/SampleSetups.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/StdCtrls.h"
#include "tests/support/PixelCheck.h"
#include "tests/support/WindowDriver.h"

#include <gtest/gtest.h>

#include <new>

using namespace plat;
using namespace zibor::test;

namespace {

struct PanelWindow : ::testing::Test {
    TWindowDriver drv;
    TPlainWindow window{700, 300, clTeal};
    void TearDown() override { SetDeepColorScreenForTesting(std::nullopt); }
};

TEST_F(PanelWindow, PanelClientAreaLosesTheBordersOnce)
{
    const TSides top = SideBit(sdTop), leftBottom = static_cast<TSides>(SideBit(sdLeft) | SideBit(sdBottom));
    struct Case {
        const char *name;
        TFrameStyleEx outer, inner;
        TSides sides;
        int borderWidth, bevelWidth;
        TRect want;
    };
    const Case cases[] = {
        {"raised, all sides", fsRaised, fsNone, sdAllSides, 0, 1, Rect(2, 2, 98, 58)},
        {"raised, top only", fsRaised, fsNone, top, 0, 1, Rect(0, 2, 100, 60)},
        {"flat takes 1", fsFlat, fsNone, sdAllSides, 0, 1, Rect(1, 1, 99, 59)},
        {"status takes the bevel width", fsStatus, fsNone, sdAllSides, 0, 3, Rect(3, 3, 97, 57)},
        {"popup with bevel 1", fsPopup, fsNone, sdAllSides, 0, 1, Rect(1, 1, 99, 59)},
        {"flat, groove and a border of 2", fsFlat, fsGroove, sdAllSides, 2, 1, Rect(5, 5, 95, 55)},
        {"border width alone", fsNone, fsNone, sdAllSides, 4, 1, Rect(4, 4, 96, 56)},
        {"border width on every side whatever the sides", fsLowered, fsNone, leftBottom, 1, 1, Rect(3, 1, 99, 57)},
        {"rounded takes 2", fsFlatRounded, fsNone, sdAllSides, 0, 1, Rect(2, 2, 98, 58)},
    };
    for (const Case &c : cases) {
        auto *p = window.Place<TUiCustomPanel>(0, 0, 100, 60);
        p->SetBorderOuter(c.outer);
        p->SetBorderInner(c.inner);
        p->SetBorderSides(c.sides);
        p->SetBorderWidth(c.borderWidth);
        p->SetBevelWidth(c.bevelWidth);
        EXPECT_EQ(p->DisplayRect(), c.want) << c.name;
        auto *child = window.Place<TPanel>(0, 0, 10, 10, p);
        child->SetAlign(TAlign::alClient);
        EXPECT_EQ(child->BoundsRect(), c.want) << c.name << ": an aligned child fills the client area";
        delete p;
    }
}

TEST_F(PanelWindow, GroupBoxClientAreaByStyle)
{
    struct Case {
        const char *name;
        TUiGroupBoxStyle style;
        bool caption;
        int banner, borderWidth;
        TRect want;
    };
    // "Yy" is 13 pixels high in a font of cell height 13.
    const Case cases[] = {
        {"standard", gsStandard, true, 0, 0, Rect(2, 15, 198, 103)},
        {"standard keeps the band without a caption", gsStandard, false, 0, 0, Rect(2, 15, 198, 103)},
        {"standard with a wide border", gsStandard, true, 0, 6, Rect(8, 13, 192, 97)},
        {"flat", gsFlat, true, 0, 0, Rect(1, 14, 199, 104)},
        {"custom with a caption", gsCustom, true, 0, 0, Rect(2, 15, 198, 103)},
        {"custom without one", gsCustom, false, 0, 0, Rect(2, 2, 198, 103)},
        {"top line", gsTopLine, true, 0, 0, Rect(0, 13, 200, 105)},
        {"banner of text height + 8", gsBanner, true, 0, 0, Rect(0, 21, 200, 105)},
        {"banner of 30", gsBanner, true, 30, 0, Rect(0, 30, 200, 105)},
        {"banner without caption", gsBanner, false, 0, 0, Rect(0, 21, 200, 105)},
        {"underline", gsUnderline, true, 0, 0, Rect(0, 17, 200, 105)},
    };
    for (const Case &c : cases) {
        auto *g = window.Place<TUiCustomGroupBox>(0, 0, 200, 105);
        g->Font().SetHeight(13);
        g->SetGroupStyle(c.style);
        g->SetBannerHeight(c.banner);
        g->SetBorderWidth(c.borderWidth);
        g->SetCaption(c.caption ? "Groep" : "");
        EXPECT_EQ(g->DisplayRect(), c.want) << c.name;
        delete g;
    }
}

TEST_F(PanelWindow, ChildrenKeepTheirOwnDisabledStateAcrossThePanels)
{
    auto *p = window.Place<TUiCustomPanel>(0, 0, 200, 100);
    auto *a = window.Place<TEdit>(5, 5, 50, 20, p);
    auto *b = window.Place<TEdit>(5, 30, 50, 20, p);
    // A disabled child freed while the panel is disabled, and a newcomer in
    // the memory it left, as the allocator may well hand it out again.
    alignas(TEdit) unsigned char room[sizeof(TEdit)];
    auto *gone = new (room) TEdit(nullptr);
    gone->SetParent(p);
    gone->SetEnabled(false);
    b->SetEnabled(false);
    p->SetEnabled(false);
    EXPECT_FALSE(a->Enabled());
    gone->~TEdit();
    auto *late = new (room) TEdit(nullptr);
    late->SetParent(p);
    late->SetEnabled(false);
    p->SetEnabled(true);
    EXPECT_TRUE(a->Enabled());
    EXPECT_FALSE(b->Enabled()) << "disabled before the panel was";
    EXPECT_TRUE(late->Enabled()) << "added while the panel was disabled: enabled with it, whatever stood there before";
    late->~TEdit();

    auto *g = window.Place<TUiGridPanel>(250, 0, 200, 100);
    auto *c = window.Place<TEdit>(5, 5, 50, 20, g);
    auto *d = window.Place<TEdit>(5, 30, 50, 20, g);
    d->SetEnabled(false);
    g->SetEnabled(false);
    g->SetEnabled(true);
    EXPECT_TRUE(c->Enabled());
    EXPECT_FALSE(d->Enabled());
}

TEST_F(PanelWindow, BottomAlignedPanelGrowsUpward)
{
    auto *p = window.Place<TUiCustomPanel>(0, 0, 100, 40);
    p->SetAlign(TAlign::alBottom);
    const int bottom = p->Top() + p->Height();
    p->SetHeight(70);
    EXPECT_EQ(p->Top() + p->Height(), bottom);
}

TEST_F(PanelWindow, PanelBordersPixelByPixel)
{
    SetDeepColorScreenForTesting(true);
    const TColor face = ColorToRGB(clBtnFace), hi = ColorToRGB(clBtnHighlight), sh = ColorToRGB(clBtnShadow),
                 dk = ColorToRGB(cl3DDkShadow), lt = ColorToRGB(cl3DLight), flat = 0xC0C0C0 /* ShadeUp(clBtnShadow, 30) */;
    struct Case {
        const char *name;
        TFrameStyleEx outer, inner;
        TColor corner, ring1, far, inside;
    };
    const Case cases[] = {
        {"raised", fsRaised, fsNone, lt, hi, dk, face},
        {"lowered", fsLowered, fsNone, sh, dk, hi, face},
        {"flat", fsFlat, fsNone, flat, face, flat, face},
        {"status", fsStatus, fsNone, sh, face, hi, face},
        {"popup", fsPopup, fsNone, hi, face, sh, face},
        {"groove", fsGroove, fsNone, sh, hi, hi, face},
    };
    for (const Case &c : cases) {
        auto *p = window.Place<TUiCustomPanel>(10, 10, 60, 40);
        p->SetBorderOuter(c.outer);
        p->SetBorderInner(c.inner);
        const QImage img = PaintOffscreen(*p);
        EXPECT_EQ(PixelOf(img, 0, 0), c.corner) << c.name;
        EXPECT_EQ(PixelOf(img, 1, 1), c.ring1) << c.name;
        EXPECT_EQ(PixelOf(img, 59, 39), c.far) << c.name;
        EXPECT_EQ(PixelOf(img, 30, 20), c.inside) << c.name;
        delete p;
    }
    // A rounded inner border: its corners take the flat colour, the ring
    // outside it the border colour, and the fill reaches under the line.
    auto *r = window.Place<TUiCustomPanel>(10, 10, 60, 40);
    r->SetBorderOuter(fsNone);
    r->SetBorderInner(fsFlatRounded);
    r->SetBorderWidth(1);
    r->SetBorderColor(clPurple);
    r->SetColor(clYellow);
    const QImage img = PaintOffscreen(*r);
    EXPECT_EQ(PixelOf(img, 0, 0), clPurple) << "the border band";
    EXPECT_EQ(PixelOf(img, 1, 1), ColorToRGB(clTeal)) << "parent colour outside the rounded line";
    EXPECT_EQ(PixelOf(img, 2, 2), flat) << "the corner pixel in the flat colour";
    EXPECT_EQ(PixelOf(img, 1, 5), flat) << "the rounded line";
    EXPECT_EQ(PixelOf(img, 2, 5), ColorToRGB(clYellow)) << "fill under the line's inside";
}

TEST_F(PanelWindow, GridPanelInAFlatBorder)
{
    SetDeepColorScreenForTesting(true);
    auto *g = window.Place<TUiGridPanel>(0, 0, 671, 66);
    SetUpBorderedGrid(*g);
    auto *label = new TLabel(&window.Form());
    g->AddControl(label, 0, 0);
    label->SetAlign(TAlign::alClient);
    g->Realign();
    EXPECT_EQ(label->BoundsRect().Left, 4) << "cells lie inside the borders";
    EXPECT_EQ(label->BoundsRect().Top, 4);
    const QImage img = PaintOffscreen(*g);
    EXPECT_EQ(PixelOf(img, 0, 0), ColorToRGB(cl3DLight)) << "raised ring, outer";
    EXPECT_EQ(PixelOf(img, 1, 1), ColorToRGB(clBtnHighlight)) << "raised ring, inner";
    EXPECT_EQ(PixelOf(img, 2, 2), clPurple) << "border band";
    EXPECT_EQ(PixelOf(img, 3, 3), 0xC0C0C0) << "flat line: ShadeUp(clBtnShadow, 30)";
    EXPECT_EQ(PixelOf(img, 4, 4), ColorToRGB(clBtnFace)) << "vsWinXP fills with Color, no gradient";
    EXPECT_EQ(PixelOf(img, 335, 33), ColorToRGB(clBtnFace));
    EXPECT_EQ(PixelOf(img, 670, 65), ColorToRGB(cl3DDkShadow)) << "far corner";
}

TEST_F(PanelWindow, GroupBoxStylesPixelByPixel)
{
    SetDeepColorScreenForTesting(true);
    const TColor face = ColorToRGB(clBtnFace), k = 0xC0C0C0;
    struct Case {
        const char *name;
        TUiGroupBoxStyle style;
        std::vector<std::pair<TPoint, TColor>> px;
    };
    // Font of cell height 13: the frame starts at 13 div 2 - 1 = 5.
    const Case cases[] = {
        {"standard: groove frame", gsStandard,
         {{{0, 5}, ColorToRGB(clBtnShadow)}, {{1, 6}, ColorToRGB(clBtnHighlight)}, {{3, 5}, ColorToRGB(clBtnShadow)},
          {{199, 104}, ColorToRGB(clBtnHighlight)}, {{0, 2}, face}}},
        {"flat: cut corners in the flat colour", gsFlat, {{{0, 5}, face}, {{1, 6}, k}, {{0, 7}, k}, {{100, 104}, k}}},
        {"top line", gsTopLine, {{{100, 5}, ColorToRGB(clBtnShadow)}, {{100, 6}, ColorToRGB(clBtnHighlight)}, {{0, 50}, face}}},
        {"banner: scheme selection colours", gsBanner,
         {{{0, 1}, ShadeDown(clBtnFace, 40)}, {{1, 1}, ShadeDown(clBtnFace, 20)}, {{100, 30}, face}}},
        {"underline under the caption band (text height + 2)", gsUnderline, {{{50, 15}, k}, {{50, 16}, face}, {{50, 60}, face}}},
        {"custom: the panel's raised look", gsCustom, {{{0, 0}, ColorToRGB(cl3DLight)}, {{50, 50}, face}}},
    };
    for (const Case &c : cases) {
        auto *g = window.Place<TUiCustomGroupBox>(0, 0, 200, 105);
        g->Font().SetHeight(13);
        g->SetCaption("Groep");
        g->SetGroupStyle(c.style);
        if (c.style == gsCustom)
            g->SetBorderOuter(fsRaised);
        const QImage img = PaintOffscreen(*g);
        for (const auto &[p, want] : c.px)
            EXPECT_EQ(PixelOf(img, p.X, p.Y), want) << c.name << " at " << At(p.X, p.Y);
        delete g;
    }
}

} // namespace

namespace {

TEST_F(PanelWindow, AFrameControllerSetsBordersAndColoursDirectly)
{
    auto *p = window.Place<TUiCustomPanel>(0, 0, 100, 60);
    auto *box = window.Place<TUiCustomGroupBox>(0, 100, 100, 60);
    auto *fc = new TUiFrameController(&window.Form());
    fc->SetFrameVisible(true);
    fc->SetFrameStyle(fsGroove);
    fc->SetColor(clSkyBlue);
    p->SetFrameController(fc);
    box->SetFrameController(fc);
    EXPECT_EQ(p->BorderOuter(), fsGroove);
    EXPECT_EQ(p->Color(), clSkyBlue);
    EXPECT_EQ(p->FlatColorAdjustment(), 0);
    EXPECT_EQ(p->BorderHighlight(), ShadeUp(clSkyBlue, 100));
    EXPECT_EQ(box->BorderOuter(), fsNone) << "a group box takes the settings only in the custom style";
    box->SetGroupStyle(gsCustom);
    fc->SetFrameStyle(fsLowered);
    EXPECT_EQ(box->BorderOuter(), fsLowered);
    delete fc;
    EXPECT_EQ(p->FrameController(), nullptr);
}

} // namespace
