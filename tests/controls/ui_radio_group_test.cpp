// The form choice's radio group: every click of an item acts, also on the
// item already chosen; a reset from code can choose quietly.
#include "controls/UiRadioGroup.h"
#include "platform/Forms.h"
#include "tests/support/WindowDriver.h"

#include <gtest/gtest.h>

using namespace plat;

TEST(UiRadioGroup, ClicksActEvenOnTheChosenItemAndAQuietResetDoesNot)
{
    zibor::test::TWindowDriver drv;
    TForm *form = MakeForm<TForm>(nullptr);
    form->SetBounds(0, 0, 200, 120);
    auto *rg = new TUiRadioGroup(form);
    rg->SetParent(form);
    rg->SetBounds(0, 0, 150, 60);
    rg->SetCaption("ZIB-versie");
    rg->Items().Add("A");
    rg->Items().Add("B");
    rg->SetColumns(2);
    std::vector<int> clicks;
    rg->OnClick = [&](TObject *) { clicks.push_back(rg->ItemIndex()); };
    form->Show();

    rg->SetItemIndexQuietly(0);
    EXPECT_EQ(rg->ItemIndex(), 0);
    EXPECT_TRUE(clicks.empty());
    EXPECT_TRUE(drv.ClickItem(*rg, 0));
    EXPECT_TRUE(drv.ClickItem(*rg, 1));
    EXPECT_EQ(clicks, (std::vector<int>{0, 1}));
    rg->SetItemIndexQuietly(0);
    EXPECT_EQ(clicks.size(), 2u);
    ASSERT_TRUE(rg->OnClick) << "the handler is back after a quiet reset";

    rg->SetEnabled(false);
    EXPECT_FALSE(drv.ClickItem(*rg, 1));
    rg->SetEnabled(true);
    rg->SetVisible(false);
    EXPECT_FALSE(drv.ClickItem(*rg, 1));
    form->Hide();
    form->Free();
}
