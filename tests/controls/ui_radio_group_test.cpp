// The custom-drawn radio group: layout, ItemIndex and its clicks, refusals
// through OnChanging, loading, keys, enabled state and the item font, and
// the form choice's look over a picture.
#include "controls/UiRadioGroup.h"
#include "platform/graphics/Colors.h"
#include "tests/controls/SampleSetups.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/StdCtrls.h"
#include "tests/support/MouseKeys.h"
#include "tests/support/PixelCheck.h"
#include "tests/support/WindowDriver.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace plat;
using namespace zibor::test;

namespace {

struct GroupWindow : ::testing::Test {
    TWindowDriver drv;
    TPlainWindow window{400, 300, clTeal};
    std::vector<int> clicks;
    TUiRadioGroup *Group(std::initializer_list<const char *> items, int columns = 1, int width = 138)
    {
        auto *g = window.Place<TUiRadioGroup>(10, 10, width, 100);
        g->SetCaption("ZIB-versie");
        for (const char *s : items)
            g->Items().Add(s);
        g->SetColumns(columns);
        g->OnClick = [this, g](TObject *) { clicks.push_back(g->ItemIndex()); };
        return g;
    }
    void TearDown() override { SetDeepColorScreenForTesting(std::nullopt); }
};

TEST_F(GroupWindow, LayoutOfTheFormChoiceAndOfColumns)
{
    TUiRadioGroup *g = Group({"A", "B"}, 2);
    g->SetSpaceEvenly(true);
    g->SetStartPos(20, 8);
    g->SetItemHeight(24);
    const int top = g->DisplayRect().Top + 8;
    EXPECT_EQ(g->ItemAt(0)->BoundsRect(), Bounds(20, top, 54, 24)) << "(138 - 20 - 0 - 10) div 2 = 54";
    EXPECT_EQ(g->ItemAt(1)->BoundsRect(), Bounds(74, top, 54, 24));

    TUiRadioGroup *three = Group({"een", "twee", "drie"}, 2, 300);
    three->SetSpaceEvenly(true);
    const TRect i0 = three->ItemAt(0)->BoundsRect(), i1 = three->ItemAt(1)->BoundsRect(),
                i2 = three->ItemAt(2)->BoundsRect();
    EXPECT_EQ(i0.Left, i1.Left) << "items 0 and 1 in column 0";
    EXPECT_EQ(i1.Top, i0.Top + 17 + 3) << "row 1 below row 0";
    EXPECT_GT(i2.Left, i0.Left) << "item 2 in column 1";
    EXPECT_EQ(i2.Top, i0.Top) << "row 0";

    // Own column widths are measured without the accelerator mark and with
    // one of a doubled ampersand.
    TUiRadioGroup *marked = Group({"&Vorm && co", "x"}, 2, 300);
    TUiRadioGroup *plain = Group({"Vorm && co", "x"}, 2, 300);
    EXPECT_EQ(marked->ItemAt(1)->Left(), plain->ItemAt(1)->Left());
    EXPECT_EQ(marked->ItemAt(0)->Width(), plain->ItemAt(0)->Width());
    EXPECT_GT(marked->ItemAt(1)->Left(), marked->ItemAt(0)->Left() + 13 + 4);
}

TEST_F(GroupWindow, ColumnsAndItemIndexAreClamped)
{
    TUiRadioGroup *g = Group({"A", "B"});
    struct Case {
        int set, want;
    };
    for (const Case c : {Case{0, 1}, Case{-3, 1}, Case{17, 16}, Case{4, 4}}) {
        g->SetColumns(c.set);
        EXPECT_EQ(g->Columns(), c.want) << c.set;
    }
    for (const Case c : {Case{5, 1}, Case{-7, -1}, Case{0, 0}}) {
        g->SetItemIndex(c.set);
        EXPECT_EQ(g->ItemIndex(), c.want) << c.set;
    }
    TUiRadioGroup *empty = Group({});
    empty->SetItemIndex(3);
    EXPECT_EQ(empty->ItemIndex(), -1);
}

TEST_F(GroupWindow, RemovingLinesMovesItemIndexWithoutAClick)
{
    TUiRadioGroup *g = Group({"A", "B", "C", "D"});
    g->SetItemIndex(3);
    clicks.clear();
    g->Items().Delete(3);
    g->Items().Delete(2);
    EXPECT_EQ(g->ItemIndex(), 1);
    EXPECT_TRUE(g->ItemAt(1)->Checked());
    EXPECT_TRUE(clicks.empty());
    EXPECT_EQ(g->ItemCount(), 2);
}

TEST_F(GroupWindow, AProgramChangeClicksAndLoadingDoesNot)
{
    TUiRadioGroup *g = Group({"A", "B"});
    std::vector<int> asked;
    g->OnChanging = [&](TObject *, int i, bool &) { asked.push_back(i); };
    g->SetItemIndex(1);
    EXPECT_EQ(clicks, (std::vector<int>{1}));
    EXPECT_EQ(asked, (std::vector<int>{1}));
    EXPECT_TRUE(g->ItemAt(1)->Checked());
    g->SetItemIndex(0);
    EXPECT_FALSE(g->ItemAt(1)->Checked());
    EXPECT_EQ(clicks, (std::vector<int>{1, 0}));

    // A window description: stored values, then the items once loading ends;
    // an ItemIndex past the items is brought back.
    for (const auto &[stored, want] : {std::pair{1, 1}, std::pair{5, 1}, std::pair{-4, -1}}) {
        auto *loaded = new TUiRadioGroup(&window.Form());
        int loadClicks = 0, loadAsks = 0;
        {
            TLoadingScope loading(*loaded);
            loaded->SetParent(&window.Form());
            loaded->SetBounds(200, 10, 138, 100);
            loaded->Items().Add("A");
            loaded->Items().Add("B");
            loaded->SetItemIndex(stored);
            loaded->OnClick = [&](TObject *) { ++loadClicks; };
            loaded->OnChanging = [&](TObject *, int, bool &) { ++loadAsks; };
        }
        EXPECT_EQ(loaded->ItemIndex(), want) << stored;
        EXPECT_EQ(loaded->ItemCount(), 2);
        if (want >= 0) {
            EXPECT_TRUE(loaded->ItemAt(want)->Checked()) << stored;
        }
        EXPECT_EQ(loadClicks, 0);
        EXPECT_EQ(loadAsks, 0);
        delete loaded;
    }
}

TEST_F(GroupWindow, OnChangingRefusesClicksAndProgramChanges)
{
    TUiRadioGroup *g = Group({"A", "B", "C"});
    bool allow = false;
    g->OnChanging = [&](TObject *, int, bool &a) { a = allow; };
    // Nothing chosen: the clicked item is simply unchecked again.
    EXPECT_TRUE(drv.ClickItem(*g, 1));
    EXPECT_EQ(g->ItemIndex(), -1);
    EXPECT_FALSE(g->ItemAt(1)->Checked());
    EXPECT_TRUE(clicks.empty());
    // Chosen item 0: the check goes back to it.
    allow = true;
    g->SetItemIndex(0);
    clicks.clear();
    allow = false;
    EXPECT_TRUE(drv.ClickItem(*g, 2));
    EXPECT_EQ(g->ItemIndex(), 0);
    EXPECT_TRUE(g->ItemAt(0)->Checked());
    EXPECT_FALSE(g->ItemAt(2)->Checked());
    EXPECT_TRUE(clicks.empty());
    // The chosen item cannot take the focus: no exception, the check still
    // goes back.
    g->ItemAt(0)->SetEnabled(false);
    EXPECT_TRUE(drv.ClickItem(*g, 1));
    EXPECT_TRUE(g->ItemAt(0)->Checked());
    EXPECT_FALSE(g->ItemAt(1)->Checked());
    g->ItemAt(0)->SetEnabled(true);
    // A refused change by program keeps its new value and raises no click.
    g->SetItemIndex(2);
    EXPECT_EQ(g->ItemIndex(), 2);
    EXPECT_TRUE(g->ItemAt(2)->Checked());
    EXPECT_TRUE(clicks.empty());
}

TEST_F(GroupWindow, EnabledFontAndEnter)
{
    TUiRadioGroup *g = Group({"A", "B"});
    g->SetEnabled(false);
    EXPECT_FALSE(g->ItemAt(0)->Enabled());
    g->SetEnabled(true);
    EXPECT_TRUE(g->ItemAt(1)->Enabled());

    g->Font().SetName("Arial");
    EXPECT_EQ(g->ItemFont().Name(), "Arial") << "the item font follows the group's";
    EXPECT_EQ(g->ItemAt(0)->Font().Name(), "Arial");
    g->ItemFont().SetHeight(-19);
    g->Font().SetName("Courier New");
    EXPECT_EQ(g->ItemFont().Name(), "Arial") << "until it is set by itself";
    EXPECT_EQ(g->ItemAt(0)->Font().Height(), -19);

    auto *next = window.Place<TEdit>(200, 200, 80, 20);
    next->SetTabOrder(5);
    g->SetTabOnEnter(true);
    g->SetItemIndex(0);
    window.Form().SetActiveControl(g->ItemAt(0));
    drv.Key(*g->ItemAt(0), VK_RETURN);
    QApplication::processEvents();
    EXPECT_NE(window.Form().ActiveControl(), g->ItemAt(0)) << "Enter moves on like Tab";
}

TEST_F(GroupWindow, AGradientChoiceOverAPicture)
{
    SetDeepColorScreenForTesting(true);
    auto *picture = window.Place<TImage>(0, 0, 400, 300);
    TBitmap red(400, 300);
    red.Canvas()->Brush().SetColor(clMaroon);
    red.Canvas()->FillRect(Rect(0, 0, 400, 300));
    picture->Picture().SetGraphic(&red);
    auto *g = window.Place<TUiRadioGroup>(20, 20, 138, 72);
    SetUpGradientChoice(*g);

    const QImage img = PaintOffscreen(*g);
    EXPECT_TRUE(Shows(img, {8, 0, 100, 24}, clYellow)) << "the yellow caption";
    const int frameTop = 24 / 2 - 1;  // text height of "Pp" in a cell-height 24 font, halved, less 1
    EXPECT_EQ(PixelOf(img, 0, frameTop + 20), ColorToRGB(clBtnShadow)) << "groove, dark line";
    EXPECT_EQ(PixelOf(img, 1, frameTop + 20), ColorToRGB(clBtnHighlight)) << "groove, light line";
    EXPECT_EQ(PixelOf(img, 60, 60), clMaroon) << "the picture shows through the group";

    TUiGroupButton *a = g->ItemAt(0), *b = g->ItemAt(1);
    const QImage ia = PaintOffscreen(*a);
    const TRect ga = a->GlyphRect();
    EXPECT_EQ(PixelOf(ia, ga.Left + 6, ga.Top + 6), clNavy) << "item A's navy dot";
    EXPECT_EQ(PixelOf(ia, ga.Left, ga.Top), clMaroon) << "glyph corner shows the picture";
    MouseEnterLeave(*b, true);
    const QImage ib = PaintOffscreen(*b);
    const TRect gb = b->GlyphRect();
    // Hot interior style: the diagonal gradient from MixColors(white, lime,
    // 190) (top-left) to lime (bottom-right) around the untouched centre.
    EXPECT_EQ(PixelOf(ib, gb.Left + 6, gb.Top + 6), ColorToRGB(clWindow)) << "centre keeps the fill";
    const TColor nearTopLeft = PixelOf(ib, gb.Left + 3, gb.Top + 3), nearBottomRight = PixelOf(ib, gb.Left + 9, gb.Top + 9);
    EXPECT_GT(GetRValue(nearTopLeft), GetRValue(nearBottomRight)) << "pale green toward lime";
    EXPECT_EQ(GetGValue(nearBottomRight), 255);
}

} // namespace
