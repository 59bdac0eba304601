// The mouse wheel and the numeric pad on controls, through the widgets' own
// event handling.
#include "platform/gui/Forms.h"
#include "platform/gui/ScrollBox.h"
#include "tests/support/WindowDriver.h"

#include <gtest/gtest.h>

using namespace plat;
using namespace zibor::test;

TEST(Wheel, DeltaShiftAndButtonsReachTheControl)
{
    TWindowDriver driver;
    TScrollBox box(nullptr);
    box.SetBounds(0, 0, 200, 100);
    struct Seen {
        TShiftState shift;
        int delta;
        TPoint pos;
    };
    std::vector<Seen> seen;
    bool take = true;
    box.OnMouseWheel = [&](TObject *, TShiftState shift, int delta, TPoint pos, bool &handled) {
        seen.push_back({shift, delta, pos});
        handled = take;
    };
    EXPECT_TRUE(driver.Wheel(box, {20, 30}, -120, ssCtrl | ssMiddle));
    EXPECT_TRUE(driver.Wheel(box, {5, 6}, 40));
    take = false;
    EXPECT_FALSE(driver.Wheel(box, {5, 6}, 120, ssShift));
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].shift, ssCtrl | ssMiddle);
    EXPECT_EQ(seen[0].delta, -120);
    EXPECT_EQ(seen[0].pos, (TPoint{20, 30}));
    EXPECT_EQ(seen[1].delta, 40);
    EXPECT_EQ(seen[2].shift, ssShift);
}

TEST(Wheel, UntakenWheelGoesToTheParent)
{
    TWindowDriver driver;
    TScrollBox outer(nullptr);
    outer.SetBounds(0, 0, 300, 300);
    auto *inner = new TScrollBox(&outer);
    inner->SetParent(&outer);
    inner->SetBounds(50, 60, 100, 100);
    std::vector<std::string> order;
    TPoint outerPos;
    inner->OnMouseWheel = [&](TObject *, TShiftState, int, TPoint, bool &handled) {
        order.push_back("inner");
        handled = false;
    };
    outer.OnMouseWheel = [&](TObject *, TShiftState, int, TPoint pos, bool &handled) {
        order.push_back("outer");
        outerPos = pos;
        handled = true;
    };
    EXPECT_TRUE(driver.Wheel(*inner, {10, 10}, 120));
    EXPECT_EQ(order, (std::vector<std::string>{"inner", "outer"}));
    EXPECT_EQ(outerPos, (TPoint{60, 70}));
}

TEST(NumericPad, PlusAndMinusAreKeysOfTheirOwn)
{
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Plus, Qt::KeypadModifier), VK_ADD);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Minus, Qt::KeypadModifier), VK_SUBTRACT);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Plus, Qt::NoModifier), 0);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_5, Qt::KeypadModifier), uint16_t('5'));
    // The keypad is no modifier of the framework.
    EXPECT_EQ(ShiftFromQt(Qt::KeypadModifier), 0u);

    TWindowDriver driver;
    TScrollBox box(nullptr);
    box.SetBounds(0, 0, 100, 100);
    std::vector<std::pair<uint16_t, TShiftState>> keys;
    box.OnKeyDown = [&](TObject *, uint16_t &key, TShiftState shift) { keys.push_back({key, shift}); };
    driver.Key(box, VK_ADD);
    driver.Key(box, VK_SUBTRACT, ssCtrl);
    EXPECT_EQ(keys, (std::vector<std::pair<uint16_t, TShiftState>>{{VK_ADD, 0}, {VK_SUBTRACT, ssCtrl}}));
}
