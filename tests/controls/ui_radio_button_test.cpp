// The radio button: sibling rules, read-only, focus and keys, glyph
// sources, the action link, and the built-in glyph pixel by pixel. Expected
// colours come from tests/controls/ui_reference.py.
#include "controls/UiGlyphButton.h"
#include "platform/graphics/Colors.h"
#include "platform/gui/ExtCtrls.h"
#include "tests/support/MouseKeys.h"
#include "tests/support/PixelCheck.h"
#include "tests/support/WindowDriver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace plat;
using namespace zibor::test;

namespace {

struct RadioWindow : ::testing::Test {
    TWindowDriver drv;
    TPlainWindow window{300, 200, clWindow};
    TForm &form = window.Form();
    std::vector<std::string> clicks;
    TUiRadioButton *Radio(const char *name, int top, TWinControl *parent = nullptr)
    {
        auto *r = window.Place<TUiRadioButton>(10, top, 120, 20, parent);
        r->SetName(name);
        r->SetCaption(name);
        r->OnClick = [this, r](TObject *) { clicks.push_back(r->Name()); };
        return r;
    }
    void TearDown() override { SetDeepColorScreenForTesting(std::nullopt); }
};

TEST_F(RadioWindow, CheckingOneUnchecksItsSiblingsOnly)
{
    TUiRadioButton *a = Radio("a", 10), *b = Radio("b", 40);
    auto *panel = window.Place<TPanel>(150, 10, 140, 100);
    TUiRadioButton *c = Radio("c", 10, panel);
    c->SetChecked(true);
    a->SetChecked(true);
    EXPECT_TRUE(a->TabStop()) << "the checked one is the tab stop";
    b->SetChecked(true);
    EXPECT_FALSE(a->Checked());
    EXPECT_FALSE(a->TabStop());
    EXPECT_TRUE(c->Checked()) << "another parent's button stays";
    EXPECT_EQ(clicks, (std::vector<std::string>{"c", "a", "b"}));
    clicks.clear();
    b->SetChecked(true);
    EXPECT_TRUE(clicks.empty()) << "an unchanged value does nothing";
    EXPECT_EQ(b->GetCheck(), 1);
    EXPECT_EQ(a->GetCheck(), 0);
}

TEST_F(RadioWindow, ReadOnlyIgnoresClicksAndFocusButFollowsTheProgram)
{
    TUiRadioButton *a = Radio("a", 10), *b = Radio("b", 40), *c = Radio("c", 70);
    b->SetReadOnly(true);
    EXPECT_TRUE(a->ReadOnly()) << "siblings share ReadOnly";
    EXPECT_TRUE(c->ReadOnly());
    drv.Click(*a);
    EXPECT_FALSE(a->Checked()) << "a click does not check a read-only button";
    form.SetActiveControl(c);
    EXPECT_FALSE(c->Checked()) << "nor does the focus";
    a->SetChecked(true);
    EXPECT_TRUE(a->Checked()) << "the program still can";
    c->SetReadOnly(false);
    EXPECT_FALSE(a->ReadOnly());
    EXPECT_FALSE(b->ReadOnly());
}

TEST_F(RadioWindow, FocusClicksAndKeys)
{
    TUiRadioButton *a = Radio("a", 10), *b = Radio("b", 40);
    b->SetCaption("&Vorm B");
    form.SetActiveControl(a);
    EXPECT_TRUE(a->Checked()) << "the focus checks the button";
    clicks.clear();
    MousePress(*b, 5, 5);
    EXPECT_FALSE(b->Checked()) << "not while the mouse is down on it";
    MouseRelease(*b, 5, 5);
    EXPECT_TRUE(b->Checked()) << "the release inside does";
    EXPECT_FALSE(a->Checked());
    drv.Key(*b, 'A', ssAlt);
    drv.Key(*a, 'V', ssAlt);
    EXPECT_EQ(form.ActiveControl(), b) << "the accelerator moves the focus";
    clicks.clear();
    drv.Key(*b, VK_DOWN);
    EXPECT_EQ(clicks, (std::vector<std::string>{"b"})) << "Down clicks the focused button only";
}

TEST_F(RadioWindow, GlyphSourcesFollowListAndStrip)
{
    TUiRadioButton *r = Radio("r", 10);
    EXPECT_FALSE(r->UseCustomGlyphs());
    TBitmap strip(6 * 10, 9);
    for (int i = 0; i < 6; ++i)
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 10; ++x)
                strip.Canvas()->SetPixel(i * 10 + x, y, RGB(40 * i, 10, 10));
    r->SetCustomGlyphs(strip);
    EXPECT_TRUE(r->UseCustomGlyphs());
    EXPECT_EQ(r->GlyphWidth(), 10);
    EXPECT_EQ(r->GlyphHeight(), 9);
    r->SetChecked(true);
    QImage img = PaintOffscreen(*r);
    EXPECT_EQ(PixelOf(img, 5, 3), RGB(40, 10, 10)) << "strip picture 1: checked";

    auto *list = new TCustomImageList(&form);
    list->SetSize(12, 12);
    TBitmap cells(12 * 8, 12);
    for (int i = 0; i < 8; ++i)
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 12; ++x)
                cells.Canvas()->SetPixel(i * 12 + x, y, RGB(10, 30 * i, 10));
    list->Add(cells);
    r->SetCustomGlyphImages(list);
    EXPECT_EQ(r->GlyphWidth(), 12);
    r->SetHotTrack(true);
    MouseEnterLeave(*r, true);
    img = PaintOffscreen(*r);
    EXPECT_EQ(PixelOf(img, 5, 5), RGB(10, 210, 10)) << "picture 7: checked and hot, with more than six images";
    MouseEnterLeave(*r, false);
    r->SetEnabled(false);
    img = PaintOffscreen(*r);
    EXPECT_EQ(PixelOf(img, 5, 5), RGB(10, 150, 10)) << "picture 5: checked and disabled";
    r->SetEnabled(true);

    TCustomImageList small(nullptr);
    small.SetSize(12, 12);
    TBitmap two(24, 12);
    small.Add(two);
    r->SetCustomGlyphImages(&small);
    img = PaintOffscreen(*r);
    EXPECT_EQ(PixelOf(img, 5, 5), ColorToRGB(clWindow))
        << "an index the list does not hold draws nothing: the cell stays see-through";

    r->SetCustomGlyphImages(list);
    delete list;
    EXPECT_EQ(r->CustomGlyphImages(), nullptr) << "a freed list lets go";
    EXPECT_TRUE(r->UseCustomGlyphs()) << "back to the strip";
    EXPECT_EQ(r->GlyphWidth(), 10);
    r->SetCustomGlyphImages(nullptr);
    r->SetCustomGlyphs(TBitmap());
    EXPECT_FALSE(r->UseCustomGlyphs()) << "and to the built-in glyph";
    EXPECT_EQ(r->GlyphWidth(), 13);
}

TEST_F(RadioWindow, AnEmptyCaptionDrawsNoFocusOutline)
{
    TUiRadioButton *r = Radio("r", 10);
    r->SetAutoSize(false);
    r->SetBounds(10, 10, 120, 20);
    auto blackOutsideGlyph = [&] {
        const QImage img = PaintOffscreen(*r);
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 20; x < img.width(); ++x)
                n += PixelOf(img, x, y) == clBlack;
        return n;
    };
    r->SetCaption("");
    form.SetActiveControl(r);
    EXPECT_EQ(blackOutsideGlyph(), 0);
    r->SetCaption("Vorm A");
    EXPECT_GT(blackOutsideGlyph(), 0);
}

TEST_F(RadioWindow, ActionLinkKeepsCheckedInStepWithoutClicks)
{
    TUiRadioButton *r = Radio("r", 10);
    TAction action(&form);
    r->SetAction(&action);
    clicks.clear();
    action.SetChecked(true);
    EXPECT_TRUE(r->Checked());
    EXPECT_TRUE(clicks.empty()) << "the link suppresses the click";
    EXPECT_TRUE(r->ActionLink()->IsCheckedLinked());

    // The program checks the button behind the action's back.
    action.SetChecked(false);
    EXPECT_FALSE(r->Checked());
    r->SetChecked(true);
    EXPECT_FALSE(r->ActionLink()->IsCheckedLinked()) << "the two disagree";
    r->ActionLink()->ActionChange(true);
    EXPECT_TRUE(r->Checked()) << "a change of defaults leaves a checked button alone";
    r->ActionLink()->ActionChange(false);
    EXPECT_FALSE(r->Checked()) << "a real change takes the action's state";
    r->SetChecked(false);
    action.SetChecked(true);
    r->SetChecked(false);
    r->ActionLink()->ActionChange(true);
    EXPECT_TRUE(r->Checked()) << "an unchecked button takes even a change of defaults";
}

TEST_F(RadioWindow, ALinkWhoseActionIsGoingLinksNothing)
{
    TUiRadioButton *r = Radio("r", 10);
    auto *action = new TAction(nullptr);
    TUiCheckedActionLink link(*r, *action);
    EXPECT_TRUE(link.IsCheckedLinked()) << "both unchecked";
    // What the action's freeing tells the link before the action goes.
    link.ActionGone();
    EXPECT_FALSE(link.IsCheckedLinked());
    delete action;
}

// The built-in glyph, 13 x 13 at (0, 2) of a button on a white window.
struct GlyphCase {
    const char *name;
    bool deep, checked, enabled, transparent;
    TUiButtonHotTrackStyle style;
    int mouse;  // 0 away, 1 over, 2 down
    struct Px {
        int x, y;
        TColor want;
    };
    std::vector<Px> px;
    TColor key = clOlive; // TransparentColor
};

TEST_F(RadioWindow, BuiltInGlyphPixelByPixel)
{
    const TColor F = 0xA0A0A0, white = 0xFFFFFF, H1 = 0x149BF0;
    const GlyphCase cases[] = {
        {"normal, not deep", false, false, true, false, htsInterior, 0,
         {{0, 0, white}, {3, 0, white}, {4, 0, F}, {5, 0, F}, {6, 0, F}, {4, 1, F}, {5, 1, 0xC0C0C0}, {6, 6, white}}},
        {"normal, deep", true, false, true, false, htsInterior, 0,
         {{0, 0, white}, {3, 0, 0xF0F0F0}, {4, 0, 0xCFCFCF}, {5, 0, 0xABABAB}, {6, 0, F}, {4, 1, 0xCFCFCF},
          {5, 1, 0xE1E1E1}, {6, 1, 0xF0F0F0}, {6, 6, white}}},
        {"pressed", true, false, true, false, htsInterior, 2, {{6, 6, 0xEAEAEA}, {6, 0, F}}},
        {"hot frame, deep", true, false, true, false, htsFrame, 1,
         {{6, 0, H1}, {5, 0, 0x27A6F1}, {5, 1, 0x27A6F1}, {3, 2, 0x75C4F6}, {4, 2, 0xB5E0FA}, {6, 6, white}}},
        {"hot frame, not deep", false, false, true, false, htsFrame, 1, {{6, 0, H1}, {5, 0, H1}, {6, 6, white}}},
        {"hot interior, deep", true, false, true, false, htsInterior, 1, {{6, 0, F}, {6, 6, white}}},
        {"disabled", true, false, false, false, htsInterior, 0, {{6, 6, 0xF0F0F0}, {6, 0, F}}},
        {"disabled checked", true, true, false, false, htsInterior, 0, {{6, 6, F}, {6, 4, F}}},
        {"checked, deep", true, true, true, false, htsInterior, 0, {{6, 6, 0xD77800}, {6, 4, 0xD77800}, {5, 4, 0xE7AE66}}},
        {"checked, not deep", false, true, true, false, htsInterior, 0, {{5, 4, 0xD77800}}},
        {"transparent on yellow", true, false, true, true, htsInterior, 0,
         {{0, 0, 0x00FFFF}, {1, 1, 0x00FFFF}, {4, 0, 0x50CFCF}, {3, 0, 0x19F0F0}, {6, 0, F}, {6, 6, white}}},
        // The corners are drawn in the key colour, whichever it is.
        {"transparent on yellow, fuchsia key", true, false, true, true, htsInterior, 0,
         {{0, 0, 0x00FFFF}, {1, 1, 0x00FFFF}, {12, 12, 0x00FFFF}, {3, 0, 0x19F0F0}, {6, 6, white}}, clFuchsia},
    };
    for (const GlyphCase &c : cases) {
        SetDeepColorScreenForTesting(c.deep);
        auto *host = window.Place<TPanel>(0, 100, 200, 60);
        host->SetBevelOuter(TBevelCut::bvNone);
        host->SetColor(c.transparent ? clYellow : clWindow);
        auto *r = window.Place<TUiRadioButton>(10, 10, 100, 17, host);
        r->SetCaption("x");
        r->SetHotTrack(true);
        r->SetHotTrackStyle(c.style);
        r->SetTransparent(c.transparent);
        r->SetTransparentColor(c.key);
        r->SetChecked(c.checked);
        r->SetEnabled(c.enabled);
        if (c.mouse >= 1)
            MouseEnterLeave(*r, true);
        if (c.mouse == 2)
            MousePress(*r, 50, 8);
        const QImage img = PaintOffscreen(*r);
        const TRect g = r->GlyphRect();
        for (const auto &p : c.px)
            EXPECT_EQ(PixelOf(img, g.Left + p.x, g.Top + p.y), p.want) << c.name << " at " << At(p.x, p.y);
        if (c.name == std::string("hot interior, deep")) {
            EXPECT_NE(PixelOf(img, g.Left + 2, g.Top + 6), white) << "the gradient outside the clipped centre";
        }
        if (c.mouse == 2)
            MouseRelease(*r, 500, 8);
        delete host;
    }
}

} // namespace

namespace {

TEST_F(RadioWindow, AFrameControllerPushesItsSettingsWhileItsFrameIsVisible)
{
    TUiRadioButton *r = Radio("r", 10);
    r->SetFrameControllerNotifications(static_cast<TUiFrameControllerNotifications>(
        fcnAll & ~FcpBit(fcpDisabledColor)));
    auto *fc = new TUiFrameController(&form);
    fc->SetColor(clYellow);
    r->SetFrameController(fc);
    EXPECT_FALSE(r->HotTrack()) << "nothing while the frame is not visible";
    EXPECT_EQ(r->FillColor(), clWindow);
    fc->SetFrameVisible(true);
    EXPECT_TRUE(r->HotTrack());
    EXPECT_EQ(r->FillColor(), clWindow) << "only the property that changed is pushed";
    fc->SetColor(clRed);
    fc->SetDisabledColor(clRed);
    fc->SetFrameHotColor(clLime);
    EXPECT_EQ(r->FillColor(), clRed) << "the controller's Color is the fill";
    EXPECT_EQ(r->DisabledColor(), clBtnFace) << "a property outside the notifications stays";
    EXPECT_NE(r->HotTrackColor(), clLime) << "the hot colour only in the frame style";
    fc->SetFrameHotTrack(true);
    EXPECT_EQ(r->HotTrackStyle(), htsFrame);
    fc->SetFrameHotColor(clAqua);
    EXPECT_EQ(r->HotTrackColor(), clAqua);
    delete fc;
    EXPECT_EQ(r->FrameController(), nullptr) << "a freed controller is let go";
}

} // namespace
