// Zoom, scrolling, paging, the keyboard, the mouse wheel and dragging of the
// paper, through the widgets' own event handling.
#include "platform/core/SysUtils.h"
#include "tests/rendering/preview/PreviewKit.h"
#include "tests/support/WindowDriver.h"

#include "tests/support/SampleReport.h"

#include <QDir>
#include <QWidget>
#include <gtest/gtest.h>

using namespace plat;
using namespace zibor::preview;
using namespace zibor::test;

namespace {

// 600 x 500 with the report windows' margins of 10 and a line step of 8.
std::unique_ptr<TPrintPreview> Shown(int pages = 3)
{
    auto pp = MakePreview(600, 500);
    pp->HorzScrollBar().SetMargin(10);
    pp->VertScrollBar().SetMargin(10);
    pp->HorzScrollBar().SetTracking(true);
    pp->VertScrollBar().SetTracking(true);
    Record(*pp, pages);
    return pp;
}

// Zoom 100, page 2 of 3, both scroll positions at 100, the layout not
// keeping positions (so a new zoom starts from the corner).
std::unique_ptr<TPrintPreview> AtPageTwo()
{
    auto pp = Shown(3);
    pp->SetZoom(100);
    pp->SetZoomSavePos(false);
    pp->SetCurrentPage(2);
    pp->HorzScrollBar().SetPosition(100);
    pp->VertScrollBar().SetPosition(100);
    return pp;
}

// The paper's middle as a share of the paper, in hundredths of a percent.
TPoint MiddleShare(TPrintPreview &pp)
{
    const TPaperPreview &paper = pp.PaperControl();
    const int mx = pp.ClientWidth() / 2 - paper.Left(), my = pp.ClientHeight() / 2 - paper.Top();
    return {MulDiv(mx, 10000, paper.Width()), MulDiv(my, 10000, paper.Height())};
}

} // namespace

TEST(Zoom, StatesAtAKnownClientSize)
{
    struct Case {
        TZoomState state;
        int zoom;  // set for zsZoomOther
        TSize paper;
        int expectedZoom;
        bool dragH, dragV;
    };
    // Client 600 x 500, margins 10: 580 x 480 to show in; frame 5.
    const Case cases[] = {
        {zsZoomToFit, 0, {336, 475}, 42, false, false},
        // To width: 575 wide, MulDiv(575 - 17, 1123, 794) once the vertical bar is off.
        {zsZoomToWidth, 0, {558, 789}, 70, false, true},
        {zsZoomToHeight, 0, {336, 475}, 42, false, false},
        {zsZoomOther, 100, {794, 1123}, 100, true, true},
        {zsZoomOther, 50, {397, 562}, 50, false, true},
    };
    for (const Case &k : cases) {
        auto pp = Shown(1);
        if (k.state == zsZoomOther)
            pp->SetZoom(k.zoom);
        else
            pp->SetZoomState(k.state);
        const TPaperPreview &paper = pp->PaperControl();
        EXPECT_EQ(paper.PaperWidth(), k.paper.cx) << int(k.state) << " " << k.zoom;
        EXPECT_EQ(paper.PaperHeight(), k.paper.cy) << int(k.state) << " " << k.zoom;
        EXPECT_EQ(pp->Zoom(), k.expectedZoom) << int(k.state) << " " << k.zoom;
        EXPECT_EQ(pp->CanDragHorizontally(), k.dragH);
        EXPECT_EQ(pp->CanDragVertically(), k.dragV);
        EXPECT_EQ(pp->HorzScrollBar().IsScrollBarVisible(), k.dragH);
        EXPECT_EQ(pp->VertScrollBar().IsScrollBarVisible(), k.dragV);
        EXPECT_EQ(paper.Cursor(), k.dragH || k.dragV ? 10 : crDefault);
    }
}

TEST(Zoom, SettersAndTheirEdges)
{
    auto pp = Shown(1);
    int changes = 0;
    pp->OnZoomChange = [&](TObject *) { ++changes; };
    pp->SetZoom(1000);
    EXPECT_EQ(pp->Zoom(), 500);
    EXPECT_EQ(pp->ZoomState(), zsZoomOther);
    EXPECT_EQ(changes, 1);
    pp->SetZoom(500);  // unchanged in zsZoomOther
    EXPECT_EQ(changes, 1);
    pp->SetZoom(5);
    EXPECT_EQ(pp->Zoom(), 10);
    EXPECT_EQ(changes, 2);
    pp->SetZoomState(zsZoomToFit);
    EXPECT_EQ(pp->Zoom(), 42);
    EXPECT_EQ(changes, 3);
    pp->SetZoomState(zsZoomToHeight);  // the same size: no change to tell
    EXPECT_EQ(changes, 3);

    pp->SetZoomMin(0);
    EXPECT_EQ(pp->ZoomMin(), 10);
    pp->SetZoomMax(5);
    EXPECT_EQ(pp->ZoomMax(), 500);
    pp->SetZoomMin(600);
    EXPECT_EQ(pp->ZoomMin(), 10);
    // New bounds pull a zoom of its own in.
    pp->SetZoom(300);
    pp->SetZoomMax(200);
    EXPECT_EQ(pp->ZoomMax(), 200);
    EXPECT_EQ(pp->Zoom(), 200);
    pp->SetZoom(20);
    pp->SetZoomMin(50);
    EXPECT_EQ(pp->Zoom(), 50);

    // Without pages there is no paper to zoom: the old zoom stays.
    auto empty = MakePreview();
    empty->SetZoom(200);
    EXPECT_EQ(empty->Zoom(), 100);
}

TEST(Zoom, SmallPaperIsCentredAndCannotBeDragged)
{
    auto pp = Shown(1);
    pp->SetZoom(20);
    const TPaperPreview &paper = pp->PaperControl();
    EXPECT_FALSE(pp->CanDragHorizontally());
    EXPECT_FALSE(pp->CanDragVertically());
    EXPECT_EQ(paper.Cursor(), pp->PaperView().Cursor());
    EXPECT_EQ(paper.Left(), 10 + (580 - paper.Width()) / 2);
    EXPECT_EQ(paper.Top(), 10 + (480 - paper.Height()) / 2);
}

TEST(Zoom, SavedPositionKeepsTheMiddle)
{
    auto pp = Shown(1);
    pp->SetZoom(100);
    TControlScrollBar &h = pp->HorzScrollBar(), &v = pp->VertScrollBar();
    h.SetPosition(h.MaxPosition() / 2);
    v.SetPosition(v.MaxPosition() / 2);
    const TPoint before = MiddleShare(*pp);
    for (int zoom : {150, 200, 300, 120}) {
        pp->SetZoom(zoom);
        const TPoint after = MiddleShare(*pp);
        EXPECT_NEAR(after.X, before.X, 200) << zoom;  // 2 % of the paper
        EXPECT_NEAR(after.Y, before.Y, 200) << zoom;
    }
    // Without it the view goes back to the corner.
    pp->SetZoomSavePos(false);
    pp->SetZoom(200);
    EXPECT_EQ(h.Position(), 0);
    EXPECT_EQ(v.Position(), 0);
}

TEST(Zoom, ClientSmallerThanItsMargins)
{
    for (TZoomState state : {zsZoomToFit, zsZoomToWidth, zsZoomToHeight}) {
        auto pp = MakePreview(12, 8);
        pp->HorzScrollBar().SetMargin(10);
        pp->VertScrollBar().SetMargin(10);
        pp->SetZoomState(state);
        Record(*pp, 1);
        EXPECT_GE(pp->PaperControl().PaperWidth(), 1);
        EXPECT_GE(pp->PaperControl().PaperHeight(), 1);
        EXPECT_GE(pp->Zoom(), 0);
    }
    // Not laid out yet at all.
    auto pp = std::make_unique<TPrintPreview>(nullptr);
    pp->SetAlign(TAlign::alNone);
    pp->SetBounds(0, 0, 0, 0);
    Record(*pp, 1);
    EXPECT_GE(pp->PaperControl().PaperWidth(), 1);
}

TEST(Keyboard, KeysMoveScrollPageAndZoom)
{
    struct Case {
        uint16_t key;
        TShiftState shift;
        int h, v, page, zoom;  // expected; -1: unchanged
    };
    // Start: zoom 100, page 2, both positions at 100; client 583 x 483.
    const Case cases[] = {
        {VK_HOME, 0, 0, -1, -1, -1},
        {VK_HOME, ssCtrl, -1, 0, -1, -1},
        {VK_HOME, ssShift, -1, -1, -1, -1},
        {VK_END, 0, 236, -1, -1, -1},
        {VK_END, ssCtrl, -1, 665, -1, -1},
        {VK_LEFT, 0, 92, -1, -1, -1},
        {VK_LEFT, ssShift, 99, -1, -1, -1},
        {VK_LEFT, ssCtrl, 0, -1, -1, -1},
        {VK_RIGHT, 0, 108, -1, -1, -1},
        {VK_RIGHT, ssShift, 101, -1, -1, -1},
        {VK_RIGHT, ssCtrl, 236, -1, -1, -1},
        {VK_UP, 0, -1, 92, -1, -1},
        {VK_UP, ssShift, -1, 99, -1, -1},
        {VK_DOWN, 0, -1, 108, -1, -1},
        {VK_DOWN, ssCtrl, -1, 583, -1, -1},
        {VK_NEXT, 0, -1, -1, 3, -1},
        {VK_NEXT, ssCtrl, -1, -1, 3, -1},
        {VK_NEXT, ssShift, -1, -1, -1, -1},
        {VK_PRIOR, 0, -1, -1, 1, -1},
        {VK_PRIOR, ssCtrl, -1, -1, 1, -1},
        {VK_ADD, 0, 0, 0, -1, 110},  // laid out anew, from the corner
        {VK_SUBTRACT, 0, 0, 0, -1, 90},
        {VK_ADD, ssCtrl, -1, -1, -1, -1},
        {VK_UP, ssCtrl | ssShift, -1, -1, -1, -1},
    };
    TWindowDriver driver;
    for (const Case &k : cases) {
        auto pp = AtPageTwo();
        ASSERT_EQ(pp->ClientWidth(), 583);
        ASSERT_EQ(pp->HorzScrollBar().MaxPosition(), 236);
        driver.Key(*pp, k.key, k.shift);
        const std::string what = std::to_string(k.key) + " shift " + std::to_string(k.shift);
        EXPECT_EQ(pp->HorzScrollBar().Position(), k.h < 0 ? 100 : k.h) << what;
        EXPECT_EQ(pp->VertScrollBar().Position(), k.v < 0 ? 100 : k.v) << what;
        EXPECT_EQ(pp->CurrentPage(), k.page < 0 ? 2 : k.page) << what;
        EXPECT_EQ(pp->Zoom(), k.zoom < 0 ? 100 : k.zoom) << what;
    }
    // Page Down on the last page stays there.
    auto pp = Shown(3);
    pp->SetCurrentPage(3);
    driver.Key(*pp, VK_NEXT);
    EXPECT_EQ(pp->CurrentPage(), 3);
}

TEST(Wheel, NotchesScrollPageAndZoom)
{
    struct Case {
        const char *name;
        std::vector<int> deltas;
        TShiftState shift;
        bool handled;
        int v, page, zoom;  // expected; -1: unchanged
    };
    // Start: zoom 100, page 2, vertical position 100, line step 8.
    const Case cases[] = {
        {"one notch back scrolls down", {-120}, 0, true, 108, -1, -1},
        {"two notches forward scroll up", {120, 120}, 0, true, 84, -1, -1},
        {"40 + 40 + 40 make one notch", {-40, -40, -40}, 0, true, 108, -1, -1},
        {"40 + 40 is no notch yet", {-40, -40}, 0, true, -1, -1, -1},
        {"Shift pages back", {-120}, ssShift, true, -1, 3, -1},
        {"Shift forward pages to the first", {240}, ssShift, true, -1, 1, -1},
        {"the middle button pages", {120}, ssMiddle, true, -1, 1, -1},
        {"three notches with Ctrl zoom in three steps", {120, 120, 120}, ssCtrl, true, 0, -1, 130},
        {"Ctrl back zooms out", {-120}, ssCtrl, true, 0, -1, 90},
        {"the left button is left alone", {120}, ssLeft, false, -1, -1, -1},
        {"the right button is left alone", {120}, ssRight, false, -1, -1, -1},
        {"Ctrl and Shift are left alone", {120}, ssCtrl | ssShift, false, -1, -1, -1},
    };
    TWindowDriver driver;
    for (const Case &k : cases) {
        auto pp = AtPageTwo();
        bool handled = true;
        for (int d : k.deltas)
            handled = driver.Wheel(*pp, {300, 200}, d, k.shift) && handled;
        EXPECT_EQ(handled, k.handled) << k.name;
        EXPECT_EQ(pp->VertScrollBar().Position(), k.v < 0 ? 100 : k.v) << k.name;
        EXPECT_EQ(pp->CurrentPage(), k.page < 0 ? 2 : k.page) << k.name;
        EXPECT_EQ(pp->Zoom(), k.zoom < 0 ? 100 : k.zoom) << k.name;
    }
}

TEST(Wheel, OverThePaperAndTheBarsFollowsThePreview)
{
    TWindowDriver driver;
    auto pp = Shown(3);
    pp->SetZoom(100);
    pp->SetZoomSavePos(false);
    pp->VertScrollBar().SetPosition(100);
    // Over the paper the wheel goes on to the preview.
    EXPECT_TRUE(driver.Wheel(pp->PaperControl(), {200, 200}, -120));
    EXPECT_EQ(pp->VertScrollBar().Position(), 108);
    // Over the horizontal bar it scrolls vertically by the line step, as over the paper.
    driver.Wheel(*pp, {300, pp->Height() - 5}, -120);
    EXPECT_EQ(pp->VertScrollBar().Position(), 116);
    EXPECT_EQ(pp->HorzScrollBar().Position(), 0);
}

TEST(Dragging, GrabbedPointFollowsThePointer)
{
    TWindowDriver driver;
    auto pp = Shown(1);
    pp->SetZoom(100);
    pp->HorzScrollBar().SetPosition(100);
    pp->VertScrollBar().SetPosition(100);
    TPaperPreview &paper = pp->PaperControl();
    EXPECT_EQ(paper.Cursor(), 10);
    std::vector<TPoint> downs;
    pp->OnMouseDown = [&](TObject *, TMouseButton, TShiftState, int x, int y) { downs.push_back({x, y}); };

    const TPoint grab{200, 250};  // paper coordinates
    driver.Press(paper, grab);
    EXPECT_TRUE(pp->Dragging());
    EXPECT_EQ(paper.Cursor(), 11);
    // Passed on in the preview's own coordinates.
    ASSERT_EQ(downs.size(), 1u);
    EXPECT_EQ(downs[0], (TPoint{grab.X + paper.Left(), grab.Y + paper.Top()}));

    driver.MoveTo(paper, {grab.X - 30, grab.Y - 20}, ssLeft);
    EXPECT_EQ(pp->HorzScrollBar().Position(), 130);
    EXPECT_EQ(pp->VertScrollBar().Position(), 120);
    // The paper moved with the pointer: the pointer is on the grabbed point again.
    driver.MoveTo(paper, grab, ssLeft);
    EXPECT_EQ(pp->HorzScrollBar().Position(), 130);
    driver.Release(paper, grab);
    EXPECT_FALSE(pp->Dragging());
    EXPECT_EQ(paper.Cursor(), 10);
    // Moving without the button scrolls nothing.
    driver.MoveTo(paper, {0, 0}, 0);
    EXPECT_EQ(pp->HorzScrollBar().Position(), 130);

    // A paper that fits is not dragged.
    pp->SetZoomState(zsZoomToFit);
    driver.Press(paper, {10, 10});
    EXPECT_FALSE(pp->Dragging());
    EXPECT_EQ(paper.Cursor(), crDefault);
    driver.Release(paper, {10, 10});
}

TEST(NavigationLook, At50AndAt200AfterADragToTheMiddle)
{
    TWindowDriver driver;
    auto pp = MakePreview(700, 600);
    pp->SetColor(clGray);
    pp->HorzScrollBar().SetMargin(10);
    pp->VertScrollBar().SetMargin(10);
    const auto header = ReportPicture("TPPheader");
    const auto footer = ReportPicture("TPPfooter");
    Record(*pp, 1, [&](TCanvas &c, int) { DrawSampleReport(c, *header, *footer); });
    const QString dir = QDir::current().absoluteFilePath("preview-look");
    QDir().mkpath(dir);
    pp->SetZoom(50);
    EXPECT_TRUE(pp->Widget()->grab().toImage().save(dir + "/zoom50.png"));

    pp->SetZoom(200);
    TPaperPreview &paper = pp->PaperControl();
    // Grab a point of the paper that shows and pull the paper's middle into view.
    const TPoint grab{-paper.Left() + 100, -paper.Top() + 100};
    const int wantH = pp->HorzScrollBar().MaxPosition() / 2, wantV = pp->VertScrollBar().MaxPosition() / 2;
    driver.Press(paper, grab);
    driver.MoveTo(paper, {grab.X - wantH, grab.Y - wantV}, ssLeft);
    driver.Release(paper, grab);
    EXPECT_NEAR(pp->HorzScrollBar().Position(), pp->HorzScrollBar().MaxPosition() / 2, 2);
    EXPECT_NEAR(pp->VertScrollBar().Position(), pp->VertScrollBar().MaxPosition() / 2, 2);
    EXPECT_TRUE(pp->Widget()->grab().toImage().save(dir + "/zoom200-dragged.png"));
}
