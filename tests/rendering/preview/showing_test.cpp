// Showing pages: the paper control's geometry and pixels, the fit layout,
// grey pages, pictures placed by PaintGraphicEx, and PNG renderings of a
// sample report for people to look at.
#include "platform/core/Files.h"
#include "platform/metafile/EmfFormat.h"
#include "tests/rendering/preview/PreviewKit.h"
#include "tests/support/SampleReport.h"

#include <QDir>
#include <QWidget>
#include <gtest/gtest.h>

using namespace plat;
using namespace zibor::preview;
using namespace zibor::test;

namespace {

QRgb PaperPixel(TPaperPreview &paper, int x, int y)
{
    const TRect b = paper.BufferRect();
    return paper.Buffer().pixel(x - b.Left, y - b.Top);
}

TColor Plain(QRgb p) { return RGB(qRed(p), qGreen(p), qBlue(p)); }

} // namespace

// ---------------------------------------------------------------- paper control

TEST(PaperControl, Geometry)
{
    struct Case {
        int border, shadow, paperW, paperH;
        int controlW, controlH;
        TRect page;
    };
    const Case cases[] = {
        {1, 3, 105, 148, 110, 153, Rect(1, 1, 106, 149)},
        {0, 3, 100, 50, 103, 53, Rect(0, 0, 100, 50)},
        {2, 0, 100, 50, 104, 54, Rect(2, 2, 102, 52)},
        {0, 0, 1, 1, 1, 1, Rect(0, 0, 1, 1)},
        {5, 3, 200, 100, 213, 113, Rect(5, 5, 205, 105)},
    };
    for (const Case &k : cases) {
        TPaperPreview paper(nullptr);
        paper.SetBorderSize(k.border);
        paper.SetShadowSize(k.shadow);
        paper.SetPaperSize(k.paperW, k.paperH);
        EXPECT_EQ(paper.Width(), k.controlW);
        EXPECT_EQ(paper.Height(), k.controlH);
        EXPECT_EQ(paper.PaperWidth(), k.paperW);
        EXPECT_EQ(paper.PaperHeight(), k.paperH);
        EXPECT_EQ(paper.GetPageRect(), k.page);
    }
    // A wider border keeps the paper and grows the control.
    TPaperPreview paper(nullptr);
    paper.SetPaperSize(100, 80);
    paper.SetBorderSize(5);
    EXPECT_EQ(paper.PaperWidth(), 100);
    EXPECT_EQ(paper.Width(), 100 + 10 + 3);
    EXPECT_EQ(paper.Height(), 80 + 10 + 3);
}

TEST(PaperControl, BorderAndShadowPixels)
{
    struct Case {
        int border, shadow;
    };
    for (const Case &k : {Case{1, 3}, Case{2, 4}, Case{0, 3}, Case{2, 0}, Case{0, 0}}) {
        SCOPED_TRACE(std::to_string(k.border) + " / " + std::to_string(k.shadow));
        TPaperPreview paper(nullptr);
        paper.SetParentColor(false);
        paper.SetColor(clYellow);
        paper.SetBorderColor(clRed);
        paper.SetShadowColor(clBlue);
        paper.SetPaperColor(clWhite);
        paper.SetBorderSize(k.border);
        paper.SetShadowSize(k.shadow);
        paper.SetPaperSize(40, 30);
        paper.UpdateBuffer();
        const int w = paper.Width(), h = paper.Height(), b = k.border, s = k.shadow;
        ASSERT_EQ(paper.BufferRect(), Rect(0, 0, w, h));
        // Border: b pixels inside the rectangle that leaves the shadow out.
        for (int i = 0; i < b; ++i) {
            EXPECT_EQ(Plain(PaperPixel(paper, i, h / 2)), clRed);
            EXPECT_EQ(Plain(PaperPixel(paper, w - s - 1 - i, h / 2)), clRed);
            EXPECT_EQ(Plain(PaperPixel(paper, w / 2, i)), clRed);
            EXPECT_EQ(Plain(PaperPixel(paper, w / 2, h - s - 1 - i)), clRed);
        }
        EXPECT_EQ(Plain(PaperPixel(paper, b, b)), clWhite);
        EXPECT_EQ(Plain(PaperPixel(paper, w - s - b - 1, h - s - b - 1)), clWhite);
        if (s > 0) {
            // Shadow strips right and below, offset by s; the corners show the control.
            EXPECT_EQ(Plain(PaperPixel(paper, w - 1, s)), clBlue);
            EXPECT_EQ(Plain(PaperPixel(paper, w - 1, h - 1)), clBlue);
            EXPECT_EQ(Plain(PaperPixel(paper, s, h - 1)), clBlue);
            EXPECT_EQ(Plain(PaperPixel(paper, w - 1, s - 1)), clYellow);
            EXPECT_EQ(Plain(PaperPixel(paper, w - s, 0)), clYellow);
            EXPECT_EQ(Plain(PaperPixel(paper, s - 1, h - 1)), clYellow);
            EXPECT_EQ(Plain(PaperPixel(paper, 0, h - s)), clYellow);
        }
    }
}

TEST(PaperControl, NothingIsPaintedBeforeItIsSized)
{
    TPaperPreview paper(nullptr);
    int paints = 0;
    paper.OnPaint = [&](TObject *, TCanvas &, const TRect &) { ++paints; };
    paper.UpdateBuffer();
    EXPECT_FALSE(paper.Sized());
    EXPECT_EQ(paints, 0);
    EXPECT_TRUE(paper.Buffer().isNull());
    paper.SetBounds(0, 0, 60, 40);
    paper.UpdateBuffer();
    EXPECT_EQ(paints, 1);
    // Only an invalidation draws the page again.
    paper.UpdateBuffer();
    EXPECT_EQ(paints, 1);
    paper.Invalidate();
    paper.UpdateBuffer();
    EXPECT_EQ(paints, 2);
    paper.SetShadowColor(clRed);
    paper.UpdateBuffer();
    EXPECT_EQ(paints, 3);
}

TEST(PaperControl, OptionsCopyOntoThePaper)
{
    auto pp = MakePreview();
    Record(*pp, 1);
    int zooms = 0;
    pp->OnZoomChange = [&](TObject *) { ++zooms; };
    TPaperPreviewOptions other;
    other.SetPaperColor(clSilver);
    other.SetBorderWidth(4);
    other.SetShadowWidth(6);
    other.SetShadowColor(clNavy);
    other.SetCursor(crCross);
    pp->PaperView().Assign(other);
    TPaperPreview &paper = pp->PaperControl();
    EXPECT_EQ(paper.PaperColor(), clSilver);
    EXPECT_EQ(paper.BorderSize(), 4);
    EXPECT_EQ(paper.ShadowSize(), 6);
    EXPECT_EQ(paper.ShadowColor(), clNavy);
    EXPECT_EQ(paper.Cursor(), crCross);
    // Laid out again with the wider frame: the control still fits the height.
    EXPECT_EQ(paper.Height(), 500);
    EXPECT_EQ(pp->PaperView().DragCursor(), 10);
    EXPECT_EQ(pp->PaperView().GrabCursor(), 11);
}

// ---------------------------------------------------------------- layout and pixels

TEST(Showing, FitCentresThePaper)
{
    struct Case {
        int w, h, margin;
        bool landscape;
        TRect paper;
        int zoom;
    };
    const Case cases[] = {
        // Fits the height: 495 high, MulDiv(495, 794, 1123) = 350 wide, plus the frame of 5.
        {600, 500, 0, false, Bounds(122, 0, 355, 500), 44},
        // Fits the width: 395 wide, MulDiv(395, 1123, 794) = 559 high.
        {400, 900, 0, false, Bounds(0, 168, 400, 564), 50},
        {900, 400, 0, true, Bounds(168, 0, 564, 400), 50},
        // The margins come off the area first.
        {600, 500, 10, false, Bounds(129, 10, 341, 480), 42},
        // Smaller than its margins: a paper of one pixel, never less.
        {15, 15, 10, false, Bounds(10, 10, 6, 6), 0},
    };
    for (const Case &k : cases) {
        auto pp = MakePreview(k.w, k.h);
        pp->HorzScrollBar().SetMargin(k.margin);
        pp->VertScrollBar().SetMargin(k.margin);
        if (k.landscape)
            pp->SetOrientation(poLandscape);
        Record(*pp, 1);
        EXPECT_EQ(pp->PaperControl().BoundsRect(), k.paper) << k.w << " x " << k.h;
        EXPECT_EQ(pp->Zoom(), k.zoom) << k.w << " x " << k.h;
        if (k.w > 2 * k.margin + 6) {
            EXPECT_FALSE(pp->HorzScrollBar().IsScrollBarVisible());
            EXPECT_FALSE(pp->VertScrollBar().IsScrollBarVisible());
        }
    }
}

TEST(Showing, GreyPagesWeighTheColours)
{
    auto pp = MakePreview(794 + 5, 1123 + 5);
    Record(*pp, 1, [](TCanvas &c, int) {
        const TColor colours[3] = {clRed, clLime, clBlue};
        for (int i = 0; i < 3; ++i) {
            c.Brush().SetColor(colours[i]);
            c.FillRect(Rect(1000 + i * 5000, 1000, 5000 + i * 5000, 5000));
        }
    });
    ASSERT_EQ(pp->Zoom(), 100);
    TPaperPreview &paper = pp->PaperControl();
    const int y = paper.GetPageRect().Top + 113;  // 3000 units down
    auto at = [&](int i) { return PaperPixel(paper, paper.GetPageRect().Left + 113 + i * 189, y); };
    paper.UpdateBuffer();
    EXPECT_EQ(Plain(at(0)), clRed);
    EXPECT_EQ(Plain(at(2)), clBlue);
    pp->SetGrayscale(gsPreview);
    paper.UpdateBuffer();
    EXPECT_EQ(Plain(at(0)), RGB(76, 76, 76));
    EXPECT_EQ(Plain(at(1)), RGB(150, 150, 150));
    EXPECT_EQ(Plain(at(2)), RGB(28, 28, 28));
    EXPECT_EQ(Plain(PaperPixel(paper, paper.GetPageRect().Left + 5, paper.GetPageRect().Top + 5)), clWhite);
    // Printing in grey alone leaves the screen in colour.
    pp->SetGrayscale(gsPrint);
    paper.UpdateBuffer();
    EXPECT_EQ(Plain(at(1)), clLime);
}

TEST(Showing, BitmapCoversOnlyThePartShown)
{
    auto pp = MakePreview(600, 500);
    Record(*pp, 1, [](TCanvas &c, int) {
        c.Brush().SetColor(clRed);
        c.FillRect(Rect(0, 0, 21000, 29700));
    });
    pp->SetZoom(500);
    ASSERT_EQ(pp->Zoom(), 500);
    TPaperPreview &paper = pp->PaperControl();
    EXPECT_EQ(paper.PaperWidth(), 3970);
    EXPECT_EQ(paper.PaperHeight(), 5615);
    paper.UpdateBuffer();
    EXPECT_LE(paper.Buffer().width(), pp->ClientWidth());
    EXPECT_LE(paper.Buffer().height(), pp->ClientHeight());
    EXPECT_EQ(Plain(paper.Buffer().pixel(paper.Buffer().width() / 2, paper.Buffer().height() / 2)), clRed);
    // Grey too draws only the part shown, in place.
    pp->SetGrayscale(gsPreview);
    paper.UpdateBuffer();
    EXPECT_EQ(Plain(paper.Buffer().pixel(paper.Buffer().width() / 2, paper.Buffer().height() / 2)), RGB(76, 76, 76));
    EXPECT_EQ(Plain(paper.Buffer().pixel(2, 2)), RGB(76, 76, 76));
    pp->SetGrayscale(0);
    // Scrolling shows another part: it is drawn for that part.
    const int draws = paper.PageDraws();
    pp->VertScrollBar().SetPosition(pp->VertScrollBar().MaxPosition());
    paper.UpdateBuffer();
    EXPECT_EQ(paper.PageDraws(), draws + 1);
    EXPECT_EQ(paper.BufferRect().Bottom, paper.Height());
    EXPECT_EQ(Plain(PaperPixel(paper, 100, paper.Height() - 1)), Plain(ToQRgb(clBtnShadow)));
}

// ---------------------------------------------------------------- pictures

TEST(Showing, PaintGraphicExPlacesThePicture)
{
    TBitmap bmp(100, 50);  // 2646 x 1323 in 0.01 mm
    TBitmap empty;
    struct Case {
        const char *name;
        TRect rect;
        bool center, shrink, proportional, useEmpty;
        TRect expected;
    };
    const Case cases[] = {
        {"shrink only, fits", Rect(100, 200, 10100, 10200), false, true, false, false, Rect(100, 200, 2746, 1523)},
        {"shrink only, centred", Rect(0, 0, 10000, 10000), true, true, false, false, Rect(3677, 4338, 6323, 5661)},
        {"shrink only, too large, proportional", Rect(0, 0, 1000, 1000), false, true, true, false, Rect(0, 0, 1000, 500)},
        {"proportional in a tall rectangle", Rect(0, 0, 2000, 10000), false, false, true, false, Rect(0, 0, 2000, 1000)},
        {"proportional in a wide rectangle", Rect(0, 0, 10000, 2000), false, false, true, false, Rect(0, 0, 4000, 2000)},
        {"proportional, centred", Rect(0, 0, 10000, 2000), true, false, true, false, Rect(3000, 0, 7000, 2000)},
        {"stretched", Rect(50, 60, 5050, 1060), false, false, false, false, Rect(50, 60, 5050, 1060)},
        {"empty picture", Rect(50, 60, 5050, 1060), true, false, true, true, Rect(50, 60, 50, 60)},
    };
    for (const Case &k : cases) {
        auto pp = MakePreview();
        pp->BeginDoc();
        const TRect used = pp->PaintGraphicEx(k.rect, k.useEmpty ? static_cast<const TGraphic &>(empty) : bmp,
                                              k.center, k.shrink, k.proportional);
        pp->EndDoc();
        EXPECT_EQ(used, k.expected) << k.name;
        // What went onto the page is the rectangle returned.
        int pictures = 0;
        pp->Pages(1)->Enumerate([&](const emf::TEmfRecord &rec) {
            if (rec.Type() != emf::EMR_STRETCHDIBITS)
                return true;
            ++pictures;
            EXPECT_EQ(int32_t(rec.U32(24)), k.expected.Left) << k.name;
            EXPECT_EQ(int32_t(rec.U32(28)), k.expected.Top) << k.name;
            EXPECT_EQ(int32_t(rec.U32(72)), k.expected.Width()) << k.name;
            EXPECT_EQ(int32_t(rec.U32(76)), k.expected.Height()) << k.name;
            return true;
        });
        EXPECT_EQ(pictures, k.useEmpty ? 0 : 1) << k.name;
    }
}

// ---------------------------------------------------------------- look

namespace {

QString LookDir()
{
    const QString dir = QDir::current().absoluteFilePath("preview-look");
    QDir().mkpath(dir);
    return dir;
}

} // namespace

TEST(PreviewLook, SampleReportAtFitAt200AndInGrey)
{
    const auto header = ReportPicture("TPPheader");
    const auto footer = ReportPicture("TPPfooter");
    auto pp = MakePreview(700, 800);
    pp->SetColor(clGray);
    pp->HorzScrollBar().SetMargin(10);
    pp->VertScrollBar().SetMargin(10);
    pp->BeginDoc();
    pp->PaintGraphicEx(Rect(200, 300, 21000 - 6500, 5300), *header, false, false, true);
    DrawSampleReport(pp->Canvas(), TBitmap(), *footer);
    pp->EndDoc();
    auto shot = [&](const char *name) {
        pp->PaperControl().Invalidate();
        const QImage img = pp->Widget()->grab().toImage();
        ASSERT_FALSE(img.isNull());
        EXPECT_TRUE(img.save(LookDir() + "/" + name));
    };
    shot("fit.png");
    pp->SetZoom(200);
    pp->HorzScrollBar().SetPosition(pp->HorzScrollBar().MaxPosition() / 2);
    pp->VertScrollBar().SetPosition(pp->VertScrollBar().MaxPosition() / 3);
    shot("zoom200.png");
    pp->SetZoomState(zsZoomToFit);
    pp->SetGrayscale(gsPreview);
    shot("grey.png");
}
