// Keys: the window's preview that can drop a key, the control's own filter,
// Enter and Escape going to the default and cancel buttons, and the edit's
// length limit that holds for typing only.
#include "platform/core/Exceptions.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "tests/support/WindowDriver.h"

#include <QApplication>
#include <QClipboard>
#include <gtest/gtest.h>

using namespace plat;
using zibor::test::TWindowDriver;

namespace {

class KeyForm : public TForm {
public:
    explicit KeyForm(TComponent *owner) : TForm(owner)
    {
        TLoadingScope loading(*this);
        SetKeyPreview(true);
        Edit = new TEdit(this);
        Edit->SetName("Edit");
        Edit->SetParent(this);
        Other = new TEdit(this);
        Other->SetName("Other");
        Other->SetParent(this);
        Ok = new TButton(this);
        Ok->SetParent(this);
        Ok->SetDefault(true);
        Ok->OnClick = [this](TObject *) { log.push_back("ok"); };
        No = new TButton(this);
        No->SetParent(this);
        No->SetCancel(true);
        No->OnClick = [this](TObject *) { log.push_back("cancel"); };
    }
    TEdit *Edit, *Other;
    TButton *Ok, *No;
    std::vector<std::string> log;
};

struct KeyFixture : ::testing::Test {
    TWindowDriver drv;
    KeyForm *form = MakeForm<KeyForm>(nullptr);
    void SetUp() override { form->Show(); }
    void TearDown() override
    {
        form->Hide();
        form->Free();
    }
};

TEST_F(KeyFixture, ThePreviewSeesEveryKeyFirstAndCanDropIt)
{
    std::string seen;
    form->OnKeyPress = [&](TObject *, char32_t &k) {
        seen += static_cast<char>(k);
        if (k == 'x')
            k = 0;
    };
    form->Edit->OnKeyPress = [&](TObject *, char32_t &k) { seen += k == 'x' ? "!" : "."; };
    drv.Type(*form->Edit, "axb");
    EXPECT_EQ(seen, "a.xb.");
    EXPECT_EQ(form->Edit->Text(), "ab");

    // The handler can be swapped while the window runs.
    form->OnKeyPress = [&](TObject *, char32_t &k) {
        if (k == 'a')
            k = 0;
    };
    drv.Type(*form->Edit, "ax");
    EXPECT_EQ(form->Edit->Text(), "abx");
}

TEST_F(KeyFixture, TheControlsFilterDropsKeysAfterThePreview)
{
    // The birth-date rule: digits and backspace only.
    form->Edit->OnKeyPress = [](TObject *, char32_t &k) {
        if (k != 8 && (k < '0' || k > '9'))
            k = 0;
    };
    drv.Type(*form->Edit, "1a2é3");
    EXPECT_EQ(form->Edit->Text(), "123");
    drv.Key(*form->Edit, VK_BACK);
    EXPECT_EQ(form->Edit->Text(), "12");
}

TEST_F(KeyFixture, EnterGoesToTheDefaultButtonAndEscapeToTheCancelButton)
{
    struct Case {
        uint16_t key;
        TShiftState shift;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {VK_RETURN, 0, {"ok"}},
        {VK_ESCAPE, 0, {"cancel"}},
        {VK_RETURN, ssShift, {}},
        {VK_ESCAPE, ssCtrl, {}},
    };
    for (const Case &c : cases) {
        form->log.clear();
        drv.Key(*form->Edit, c.key, c.shift);
        EXPECT_EQ(form->log, c.expected) << "key " << c.key << " shift " << c.shift;
    }
    // A taken dialog key never reaches the key press handlers.
    bool pressed = false;
    form->OnKeyPress = [&](TObject *, char32_t &) { pressed = true; };
    drv.Key(*form->Edit, VK_RETURN);
    EXPECT_FALSE(pressed);
    form->Ok->SetDefault(false);
    drv.Key(*form->Edit, VK_RETURN);
    EXPECT_TRUE(pressed) << "without a default button Enter is an ordinary key";
}

TEST_F(KeyFixture, EnterClicksTheFocusedButtonInsteadOfTheDefaultOne)
{
    form->No->SetFocus();
    EXPECT_EQ(form->ActiveControl(), form->No);
    drv.Key(*form->No, VK_RETURN);
    EXPECT_EQ(form->log, (std::vector<std::string>{"cancel"}));
    form->Edit->SetFocus();
    drv.Key(*form->Edit, VK_RETURN);
    EXPECT_EQ(form->log, (std::vector<std::string>{"cancel", "ok"})) << "away from the buttons the default one again";
}

TEST_F(KeyFixture, TheFirstControlInTabOrderHasTheFocusWhenShown)
{
    EXPECT_EQ(form->ActiveControl(), form->Edit);
    EXPECT_TRUE(form->Edit->Focused());
}

TEST(GuiFocus, TheShowHandlerCanPutTheFocusAndAHiddenWindowCannot)
{
    auto *f = MakeForm<KeyForm>(nullptr);
    EXPECT_THROW(f->Other->SetFocus(), EInvalidOperation);
    f->SetActiveControl(f->Edit); // remembered for the show
    std::vector<std::string> log;
    f->Edit->OnEnter = [&](TObject *) { log.push_back("enter edit"); };
    f->Other->OnEnter = [&](TObject *) { log.push_back("enter other"); };
    f->Other->OnExit = [&](TObject *) { log.push_back("exit other"); };
    f->OnShow = [f](TObject *) { f->Other->SetFocus(); };
    f->Show();
    EXPECT_EQ(f->ActiveControl(), f->Other);
    EXPECT_TRUE(f->Other->Focused());
    EXPECT_FALSE(f->Edit->Focused());
    f->Edit->SetFocus();
    EXPECT_EQ(log, (std::vector<std::string>{"enter other", "exit other", "enter edit"}));
    f->Hide();
    f->Free();
}

TEST_F(KeyFixture, DisabledOrHiddenButtonsDoNotTakeDialogKeys)
{
    form->Ok->SetEnabled(false);
    form->No->SetVisible(false);
    drv.Key(*form->Edit, VK_RETURN);
    drv.Key(*form->Edit, VK_ESCAPE);
    EXPECT_TRUE(form->log.empty());
}

TEST_F(KeyFixture, EditMaxLengthLimitsTypingButNotAssignment)
{
    int changes = 0;
    form->Edit->OnChange = [&](TObject *) { ++changes; };
    form->Edit->SetMaxLength(2);
    drv.Type(*form->Edit, "123");
    EXPECT_EQ(form->Edit->Text(), "12");
    EXPECT_EQ(changes, 2);

    form->Edit->SetText("four");
    EXPECT_EQ(form->Edit->Text(), "four") << "the program's own text is kept whole";
    EXPECT_EQ(changes, 3) << "assignments raise OnChange too";
    form->Edit->SetText("four");
    EXPECT_EQ(changes, 3) << "the same text is no change";

    drv.Type(*form->Edit, "5");
    EXPECT_EQ(form->Edit->Text(), "four");
    // Replacing a selection makes room again.
    form->Edit->SelectAll();
    drv.Type(*form->Edit, "xyz");
    EXPECT_EQ(form->Edit->Text(), "xy");
    // Backspace always works.
    drv.Key(*form->Edit, VK_BACK);
    EXPECT_EQ(form->Edit->Text(), "x");
}

TEST_F(KeyFixture, PastingIsCutToTheRoomLeft)
{
    form->Edit->SetMaxLength(4);
    form->Edit->SetText("ab");
    form->Edit->SetSelStart(2);
    QApplication::clipboard()->setText("12345");
    drv.Key(*form->Edit, 'V', ssCtrl);
    EXPECT_EQ(form->Edit->Text(), "ab12");
}

TEST_F(KeyFixture, AKeyReplacedByTheHandlerIsTyped)
{
    form->Edit->OnKeyPress = [](TObject *, char32_t &k) {
        if (k >= 'a' && k <= 'z')
            k = k - 'a' + 'A';
    };
    form->Edit->SetMaxLength(3);
    drv.Type(*form->Edit, "ab1c");
    EXPECT_EQ(form->Edit->Text(), "AB1");
}

TEST_F(KeyFixture, SelectNextFollowsTheTabOrder)
{
    form->Other->SetTabOrder(0);
    form->Edit->SetTabOrder(1);
    const auto order = form->TabOrderList();
    ASSERT_GE(order.size(), 2u);
    EXPECT_EQ(order[0], form->Other);
    EXPECT_EQ(order[1], form->Edit);
    form->SelectNext(form->Other);
    EXPECT_EQ(form->ActiveControl(), form->Edit);
    form->Ok->SetEnabled(false);
    form->No->SetVisible(false);
    form->SelectNext(form->Edit);
    EXPECT_EQ(form->ActiveControl(), form->Other) << "disabled and hidden controls are skipped";
}

} // namespace
