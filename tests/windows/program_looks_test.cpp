// The custom-drawn controls of the program's windows as those windows build
// them, read pixel by pixel: the report viewer's PDF-folder button, the
// paper's shadow in both report windows, the particulars window's form
// choice over its picture and the correction window's item grids. The
// controls' own looks are checked in tests/controls; here a window that sets
// a control up otherwise than the test leader is meant to see it fails.
#include "windows/CorrectionWindow.h"
#include "windows/ParticularsWindow.h"
#include "windows/ReportViewerWindow.h"
#include "windows/ReportWindow.h"
#include "controls/UiButton.h"
#include "controls/UiCommon.h"
#include "controls/UiPanels.h"
#include "controls/UiRadioGroup.h"
#include "platform/graphics/Colors.h"
#include "tests/windows/ProgramWindows.h"
#include "tests/support/MouseKeys.h"
#include "tests/support/PixelCheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace plat;
using namespace zibor::test;

namespace {

class ProgramLooks : public ProgramWindows {
protected:
    void SetUp() override
    {
        ProgramWindows::SetUp();
        SetDeepColorScreenForTesting(true);
    }
    void TearDown() override
    {
        SetDeepColorScreenForTesting(std::nullopt);
        ProgramWindows::TearDown();
    }
};

// The contrast of two colours as the accessibility guidelines count it,
// from 1 (the same) to 21 (black on white).
double Contrast(TColor a, TColor b)
{
    auto luminance = [](TColor c) {
        auto channel = [](int v) {
            const double s = v / 255.0;
            return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(GetRValue(c)) + 0.7152 * channel(GetGValue(c)) + 0.0722 * channel(GetBValue(c));
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST_F(ProgramLooks, TheViewersPdfFolderButtonShowsItsAquaCaptionOnAGreyFace)
{
    TUiButton &b = *TRO->UiButton1;
    EXPECT_EQ(b.BoundsRect(), (TRect{577, 10, 687, 60}));
    EXPECT_EQ(b.Caption(), "Testrapport.PDF  KLIK HIER");
    EXPECT_EQ(b.Color(), clAppWorkSpace);
    EXPECT_EQ(b.Font().Name(), "Arial");
    EXPECT_EQ(b.Font().Style(), fsBold);
    EXPECT_EQ(b.Font().Height(), -11);
    EXPECT_EQ(b.Font().Color(), clAqua);
    EXPECT_EQ(b.HighlightColor(), clActiveCaption);
    EXPECT_TRUE(b.HotTrack());
    EXPECT_EQ(b.Cursor(), crHandPoint);

    const QImage img = PaintOffscreen(b);
    EXPECT_EQ(PixelOf(img, 1, 2), ColorToRGB(cl3DDkShadow)) << "inner frame";
    EXPECT_EQ(PixelOf(img, 50, 2), 0xCBCBCB) << "first face row: ShadeUp(clAppWorkSpace, 30)";
    EXPECT_EQ(PixelOf(img, 50, 45), 0xA1A1A1) << "last face row, near ShadeDown(clAppWorkSpace, 10)";
    // Every row of the caption stands out from the face beside it.
    int captionRows = 0;
    double weakest = 21;
    for (int y = 5; y < 45; ++y) {
        if (!Shows(img, {5, y, 105, y + 1}, ColorToRGB(clAqua)))
            continue;
        ++captionRows;
        weakest = std::min(weakest, Contrast(ColorToRGB(clAqua), PixelOf(img, 3, y)));
    }
    EXPECT_GE(captionRows, 12) << "two lines of caption";
    EXPECT_GE(weakest, 1.4) << "the aqua caption against its face";
}

TEST_F(ProgramLooks, BothReportWindowsShadowThePaperInTheDesktopColour)
{
    for (TPP *w : {PP, static_cast<TPP *>(TRO)}) {
        SCOPED_TRACE(w->Name());
        zibor::preview::TPrintPreview &pp = *w->PrintPreview;
        EXPECT_EQ(pp.PaperView().ShadowColor(), clBackground);
        zibor::preview::TPaperPreview &paper = pp.PaperControl();
        EXPECT_EQ(paper.ShadowColor(), clBackground);
        // Sized as the preview sizes it for a page: an unsized paper paints
        // nothing, and its grab would be whatever the memory held.
        paper.SetPaperSize(120, 170);
        const QImage img = PaintOffscreen(paper);
        const int s = paper.ShadowSize();
        ASSERT_GT(s, 0);
        EXPECT_EQ(PixelOf(img, img.width() - 1, img.height() / 2), ColorToRGB(clBackground)) << "right strip";
        EXPECT_EQ(PixelOf(img, img.width() / 2, img.height() - 1), ColorToRGB(clBackground)) << "bottom strip";
    }
}

TEST_F(ProgramLooks, TheFormChoiceOverTheParticularsPicture)
{
    // As a new administration shows it: no form chosen yet.
    ZIBinvoer->WisGegevens();
    TUiRadioGroup &g = *ZIBinvoer->ZIBversion;
    ASSERT_TRUE(g.Enabled());
    const QImage img = PaintOffscreen(g);
    const QImage picture = PaintOffscreen(*ZIBinvoer->Background);
    auto under = [&](const TControl &c, int x, int y) {
        int left = x, top = y;
        for (const TControl *p = &c; p && p != ZIBinvoer; p = p->Parent()) {
            left += p->Left();
            top += p->Top();
        }
        return PixelOf(picture, left, top);
    };
    EXPECT_TRUE(Shows(img, {8, 0, 100, 24}, clYellow)) << "the yellow caption";
    EXPECT_FALSE(Shows(img, {0, 0, g.Width(), g.Height()}, clMoneyGreen)) << "no face of its own";
    EXPECT_EQ(PixelOf(img, 60, 60), under(g, 60, 60)) << "the picture shows through the group";

    TUiGroupButton *a = g.ItemAt(0), *b = g.ItemAt(1);
    const QImage ia = PaintOffscreen(*a);
    const TRect ga = a->GlyphRect();
    EXPECT_EQ(PixelOf(ia, ga.Left + 6, ga.Top + 6), clNavy) << "item A's navy dot";
    EXPECT_EQ(PixelOf(ia, ga.Left, ga.Top), under(*a, ga.Left, ga.Top)) << "glyph corner shows the picture";
    MouseEnterLeave(*b, true);
    const QImage ib = PaintOffscreen(*b);
    const TRect gb = b->GlyphRect();
    const TColor nearBottomRight = PixelOf(ib, gb.Left + 9, gb.Top + 9);
    EXPECT_EQ(GetGValue(nearBottomRight), 255) << "the hot lime ring";
    EXPECT_EQ(GetRValue(nearBottomRight), GetBValue(nearBottomRight));
}

TEST_F(ProgramLooks, TheCorrectionWindowsItemGrids)
{
    for (TUiGridPanel *g : {correct->FWaccGrid, correct->FVaccGrid}) {
        SCOPED_TRACE(g->Name());
        const QImage img = PaintOffscreen(*g);
        EXPECT_EQ(PixelOf(img, 0, 0), ColorToRGB(cl3DLight)) << "raised ring, outer";
        EXPECT_EQ(PixelOf(img, 1, 1), ColorToRGB(clBtnHighlight)) << "raised ring, inner";
        EXPECT_EQ(PixelOf(img, 2, 2), clPurple) << "border band";
        EXPECT_EQ(PixelOf(img, 3, 3), 0xC0C0C0) << "flat line: ShadeUp(clBtnShadow, 30)";
        EXPECT_EQ(PixelOf(img, g->Width() - 1, g->Height() - 1), ColorToRGB(cl3DDkShadow)) << "far corner";
    }
    // Labels over lists, twelve columns of 55 inside the borders.
    const TRect first = correct->FWitemAcc[0]->BoundsRect();
    EXPECT_EQ(first.Left, 4);
    EXPECT_EQ(correct->FWitemAcc[1]->BoundsRect().Left, first.Left + 55);
    EXPECT_GT(first.Top, 4) << "the lists in the second row";
}

} // namespace
