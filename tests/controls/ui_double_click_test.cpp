// A double click on the custom buttons: the second press counts as a press,
// so a button clicks twice and a latching one toggles twice; the radio
// button raises its double-click event besides.
#include "controls/UiButton.h"
#include "controls/UiGlyphButton.h"
#include "platform/graphics/Colors.h"
#include "tests/support/MouseKeys.h"
#include "tests/support/PixelCheck.h"
#include "tests/support/WindowDriver.h"

#include <gtest/gtest.h>

using namespace plat;
using namespace zibor::test;

namespace {

struct DoubleClickWindow : ::testing::Test {
    TWindowDriver drv;
    TPlainWindow window{300, 200, clBtnFace};
    int clicks = 0, doubles = 0;
    template <class T>
    T *Place(int top)
    {
        auto *c = window.Place<T>(10, top, 90, 25);
        c->OnClick = [this](TObject *) { ++clicks; };
        c->OnDblClick = [this](TObject *) { ++doubles; };
        return c;
    }
};

TEST_F(DoubleClickWindow, AButtonClicksTwiceAndALatchingOneTogglesTwice)
{
    const struct {
        const char *name;
        int groupIndex;
        bool allowAllUp, downAfter;
    } cases[] = {
        {"push button", 0, false, false},
        {"latching, all may be up: down and up again", 1, true, false},
        {"latching, one must stay down: the second click cannot release it", 2, false, true},
    };
    int top = 10;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        auto *b = Place<TUiButton>(top);
        top += 30;
        b->SetGroupIndex(c.groupIndex);
        b->SetAllowAllUp(c.allowAllUp);
        clicks = 0;
        MouseDoubleClick(*b, 10, 10);
        EXPECT_EQ(clicks, 2);
        EXPECT_EQ(b->Down(), c.downAfter);
        EXPECT_FALSE(b->Pressed()) << "released at the end";
    }
}

TEST_F(DoubleClickWindow, TheRadioButtonChecksOnceAndRaisesItsDoubleClick)
{
    auto *a = Place<TUiRadioButton>(10);
    auto *b = Place<TUiRadioButton>(40);
    a->SetChecked(true);
    clicks = doubles = 0;
    MouseDoubleClick(*b, 5, 5);
    EXPECT_TRUE(b->Checked());
    EXPECT_FALSE(a->Checked());
    EXPECT_EQ(clicks, 1) << "the second click finds it checked already";
    EXPECT_EQ(doubles, 1);
}

} // namespace
