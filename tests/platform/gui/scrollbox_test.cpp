// The scroll box: ranges from the children, positions clamped to what can be
// scrolled, bars that show only when needed and take their size off the
// client area, and children that move with the position.
#include "platform/gui/ScrollBox.h"
#include "platform/gui/StdCtrls.h"

#include <QScrollBar>
#include <gtest/gtest.h>

#include <memory>

using namespace plat;

namespace {

struct Box {
    std::unique_ptr<TScrollBox> box = std::make_unique<TScrollBox>(nullptr);
    TControl *child = nullptr;
    Box(int w, int h, TRect childBounds, int margin = 0)
    {
        box->SetBounds(0, 0, w, h);
        box->HorzScrollBar().SetMargin(margin);
        box->VertScrollBar().SetMargin(margin);
        auto *c = new TWinControl(box.get());
        c->SetParent(box.get());
        c->SetBounds(childBounds.Left, childBounds.Top, childBounds.Width(), childBounds.Height());
        box->CalcAutoRange();
        child = c;
    }
};

} // namespace

TEST(ScrollBox, RangesAndBars)
{
    struct Case {
        const char *name;
        int w, h;
        TRect child;
        int margin;
        int hRange, vRange;
        bool hShown, vShown;
        int clientW, clientH;
    };
    const Case cases[] = {
        {"fits", 200, 100, Bounds(10, 10, 100, 50), 10, 120, 70, false, false, 200, 100},
        {"too wide", 200, 100, Bounds(10, 10, 300, 50), 10, 320, 70, true, false, 200, 83},
        {"too high", 200, 100, Bounds(10, 10, 100, 150), 0, 110, 160, false, true, 183, 100},
        // Only the vertical bar's size makes the width too small.
        {"one bar brings the other", 200, 100, Bounds(0, 0, 190, 150), 0, 190, 150, true, true, 183, 83},
        {"exactly the box", 200, 100, Bounds(0, 0, 200, 100), 0, 200, 100, false, false, 200, 100},
    };
    for (const Case &k : cases) {
        Box b(k.w, k.h, k.child, k.margin);
        EXPECT_EQ(b.box->HorzScrollBar().Range(), k.hRange) << k.name;
        EXPECT_EQ(b.box->VertScrollBar().Range(), k.vRange) << k.name;
        EXPECT_EQ(b.box->HorzScrollBar().IsScrollBarVisible(), k.hShown) << k.name;
        EXPECT_EQ(b.box->VertScrollBar().IsScrollBarVisible(), k.vShown) << k.name;
        EXPECT_EQ(b.box->ClientWidth(), k.clientW) << k.name;
        EXPECT_EQ(b.box->ClientHeight(), k.clientH) << k.name;
    }
}

TEST(ScrollBox, PositionMovesTheChildrenAndIsClamped)
{
    Box b(200, 100, Bounds(10, 10, 300, 50), 10);
    TControlScrollBar &h = b.box->HorzScrollBar();
    EXPECT_EQ(h.MaxPosition(), 120);  // 320 - 200
    h.SetPosition(50);
    EXPECT_EQ(h.Position(), 50);
    EXPECT_EQ(b.child->Left(), -40);
    h.SetPosition(1000);
    EXPECT_EQ(h.Position(), 120);
    EXPECT_EQ(b.child->Left(), -110);
    h.SetPosition(-5);
    EXPECT_EQ(h.Position(), 0);
    EXPECT_EQ(b.child->Left(), 10);
    // The vertical bar is hidden: its position stays 0.
    b.box->VertScrollBar().SetPosition(30);
    EXPECT_EQ(b.box->VertScrollBar().Position(), 0);
    // The range counts what is scrolled away.
    h.SetPosition(60);
    b.box->CalcAutoRange();
    EXPECT_EQ(h.Range(), 320);
}

TEST(ScrollBox, SuspendedRangingWaitsForResume)
{
    Box b(200, 100, Bounds(0, 0, 100, 50));
    b.box->DisableAutoRange();
    b.child->SetBounds(0, 0, 500, 50);
    b.box->CalcAutoRange();
    EXPECT_EQ(b.box->HorzScrollBar().Range(), 100);
    b.box->EnableAutoRange();
    EXPECT_EQ(b.box->HorzScrollBar().Range(), 500);
    EXPECT_TRUE(b.box->HorzScrollBar().IsScrollBarVisible());
    // A smaller box with the bar scrolled to its end keeps the position in range.
    b.box->HorzScrollBar().SetPosition(300);
    b.box->SetBounds(0, 0, 400, 100);
    EXPECT_EQ(b.box->HorzScrollBar().Position(), 100);
    EXPECT_EQ(b.child->Left(), -100);
    // Hidden bars put the children back.
    b.box->HorzScrollBar().SetVisible(false);
    EXPECT_EQ(b.box->HorzScrollBar().Position(), 0);
    EXPECT_EQ(b.child->Left(), 0);
}

// The box's colour is its client area's: a black surround (the report's)
// must not paint its scroll bars black on black, where nobody sees them.
TEST(ScrollBox, BarsKeepTheSystemColoursWhateverTheBoxsColour)
{
    Box b(200, 100, Bounds(0, 0, 300, 150));
    b.box->SetColor(clBlack);
    b.box->Widget()->show();
    const auto bars = b.box->Widget()->findChildren<QScrollBar *>();
    ASSERT_EQ(bars.size(), 2);
    for (QScrollBar *bar : bars) {
        ASSERT_TRUE(bar->isVisible());
        const QImage shot = bar->grab().toImage();
        long bright = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                bright += qGray(shot.pixel(x, y)) > 96;
        EXPECT_GT(bright, shot.width() * shot.height() / 2) << "a scroll bar drawn in the box's black";
    }
    b.box->Widget()->hide();
}
