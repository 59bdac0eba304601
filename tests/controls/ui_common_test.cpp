// The shared vocabulary of the custom-drawn controls: colour arithmetic,
// scheme colours, frame painters, text routines, the frame controller and
// the colour-name tables. Expected colours come from
// tests/controls/ui_reference.py, not from the program.
#include "controls/UiCommon.h"
#include "platform/graphics/Colors.h"
#include "tests/support/PixelCheck.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace plat;
using zibor::test::At;

namespace {

TEST(UiColours, ArithmeticOnTheHueLuminanceSaturationScale)
{
    struct Case {
        const char *name;
        TColor got, want;
    };
    const TColor orange = RGB(240, 155, 20);
    const Case cases[] = {
        {"grey has hue and saturation 0, luminance 120", [] {
             const THueLumSat h = ColorToHueLumSat(RGB(128, 128, 128));
             return RGB(h.Hue, h.Sat, h.Lum);
         }(), RGB(0, 0, 120)},
        {"orange on the scale", [&] {
             const THueLumSat h = ColorToHueLumSat(orange);
             return RGB(h.Hue, h.Sat, h.Lum);
         }(), RGB(25, 211, 122)},
        {"white shaded up stays white", ShadeUp(clWhite, 10), clWhite},
        {"pure blue comes back with red 4: hue divides by 239", ShadeDown(clBlue, 0), 0xFF0004},
        {"ShadeBy 0 keeps a system colour unresolved", ShadeBy(clBtnFace, 0), clBtnFace},
        {"ShadeBy -10 is ShadeDown 10", ShadeBy(clBtnFace, -10), 0xE6E6E6},
        {"ShadeDown resolves system colours", ShadeDown(clBtnFace, 30), 0xD0D0D0},
        {"ShadeUp(clBtnShadow, 30)", ShadeUp(clBtnShadow, 30), 0xC0C0C0},
        {"ShadeDown of a saturated colour", ShadeDown(orange, 40), 0x0B6BA4},
        {"mix weight 190", MixColors(clWhite, orange, 190), 0xC3E6FB},
        {"mix near a half rounds to the nearest", MixColors(clBlack, clWhite, 128), 0x7F7F7F},
        {"mix weight 0 is the second colour", MixColors(clRed, clBlue, 0), clBlue},
        {"mix small values", MixColors(RGB(1, 2, 3), RGB(4, 5, 6), 85), 0x050403},
        {"opposite hue of orange", OppositeHueColor(orange, 180), 0xFFAD80},
        {"opposite hue of blue", OppositeHueColor(clBlue, 120), 0x00FFFE},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.got, c.want) << c.name;
}

TEST(UiColours, NearColoursCompareHueAndLuminance)
{
    struct Case {
        TColor a, b;
        bool near;
    };
    const Case cases[] = {
        {clHighlight, clBtnFace, false},
        {RGB(160, 160, 160), RGB(200, 200, 200), true},
        {RGB(100, 100, 100), RGB(200, 200, 200), false},
        {clRed, RGB(250, 10, 10), true},
        {clRed, clLime, false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ColorsNear(c.a, c.b), c.near) << std::hex << c.a << " ~ " << c.b;
}

TEST(UiColours, SchemeColoursFollowThemeAndScheme)
{
    const TSchemeColors system = SchemeColorsFor(gcsMSOffice, false, 1);
    EXPECT_EQ(system.GradientStart, clWindow);
    EXPECT_EQ(system.GradientStop, 0xE6E6E6);
    EXPECT_EQ(system.Frame, 0xC0C0C0);
    EXPECT_EQ(system.Selection, (std::array<TColor, 3>{0xDBDBDB, clWindow, ShadeDown(clBtnFace, 40)}));
    struct Case {
        int scheme;
        TColor start, stop, frame;
    };
    const Case office[] = {
        {0, RGB(227, 239, 255), RGB(153, 187, 234), RGB(87, 127, 191)},
        {1, RGB(255, 255, 237), RGB(184, 199, 146), RGB(127, 161, 119)},
        {2, RGB(249, 249, 255), RGB(189, 188, 208), RGB(159, 159, 177)},
    };
    for (const Case &c : office) {
        const TSchemeColors s = SchemeColorsFor(gcsMSOffice, true, c.scheme);
        EXPECT_EQ(s.GradientStart, c.start) << c.scheme;
        EXPECT_EQ(s.GradientStop, c.stop) << c.scheme;
        EXPECT_EQ(s.Frame, c.frame) << c.scheme;
        EXPECT_EQ(s.Selection, (std::array<TColor, 3>{c.stop, c.start, c.stop})) << c.scheme;
    }
    EXPECT_EQ(SchemeColorsFor(gcsSystem, true, 2).GradientStart, clWindow) << "only the office style takes the scheme";
    EXPECT_EQ(ReadDesktopColorScheme(), 0);
    EXPECT_EQ(ThemePartColor(3), clBtnFace);
    TColor a = 0, b = 0;
    SchemeGradientPair(gcsMSOffice, a, b);
    EXPECT_EQ(a, clWindow) << "themes are off on this machine";
}

// A 10 x 10 frame painted on fuchsia, so that untouched pixels tell.
struct FramePixels {
    TRect result;
    TColor tl, tr, bl, br, inner;
};

FramePixels Frame(const std::function<TRect(TCanvas &, const TRect &)> &paint)
{
    TBitmap b(12, 12);
    TCanvas &c = *b.Canvas();
    c.Brush().SetColor(clFuchsia);
    c.FillRect(Rect(0, 0, 12, 12));
    const TRect r = paint(c, Rect(0, 0, 10, 10));
    return {r, c.Pixel(0, 0), c.Pixel(9, 0), c.Pixel(0, 9), c.Pixel(9, 9), c.Pixel(1, 1)};
}

TEST(UiFrames, StyledFramesDrawTheirCornersAndReturnWhatIsLeft)
{
    const TColor sh = ColorToRGB(clBtnShadow), hi = ColorToRGB(clBtnHighlight), dk = ColorToRGB(cl3DDkShadow),
                 lt = ColorToRGB(cl3DLight), tx = ColorToRGB(clBtnText), bg = clFuchsia;
    const TSides lt_ = SideBit(sdLeft) | SideBit(sdTop);
    struct Case {
        const char *name;
        TFrameStyle style;
        TSides sides;
        FramePixels want;
    };
    const Case cases[] = {
        {"none", fsNone, sdAllSides, {Rect(0, 0, 10, 10), bg, bg, bg, bg, bg}},
        {"flat", fsFlat, sdAllSides, {Rect(1, 1, 9, 9), dk, dk, dk, dk, bg}},
        {"flat, no sides", fsFlat, 0, {Rect(0, 0, 10, 10), bg, bg, bg, bg, bg}},
        {"flat, left and top", fsFlat, lt_, {Rect(1, 1, 10, 10), dk, dk, dk, bg, bg}},
        {"flat, right and bottom", fsFlat, static_cast<TSides>(SideBit(sdRight) | SideBit(sdBottom)),
         {Rect(0, 0, 9, 9), bg, dk, dk, dk, bg}},
        {"groove", fsGroove, sdAllSides, {Rect(2, 2, 8, 8), sh, hi, hi, hi, hi}},
        {"groove, top only", fsGroove, SideBit(sdTop), {Rect(0, 2, 10, 10), sh, sh, bg, bg, hi}},
        {"bump", fsBump, sdAllSides, {Rect(2, 2, 8, 8), hi, sh, sh, sh, sh}},
        {"lowered", fsLowered, sdAllSides, {Rect(2, 2, 8, 8), sh, hi, hi, hi, dk}},
        {"raised", fsRaised, sdAllSides, {Rect(2, 2, 8, 8), lt, dk, dk, dk, hi}},
        {"button down", fsButtonDown, sdAllSides, {Rect(2, 2, 8, 8), tx, tx, tx, tx, sh}},
        {"button up", fsButtonUp, sdAllSides, {Rect(2, 2, 8, 8), hi, dk, dk, dk, lt}},
        {"status", fsStatus, sdAllSides, {Rect(1, 1, 9, 9), sh, hi, hi, hi, bg}},
        {"popup", fsPopup, sdAllSides, {Rect(1, 1, 9, 9), hi, sh, sh, sh, bg}},
        {"flat bold", fsFlatBold, sdAllSides, {Rect(2, 2, 8, 8), sh, sh, sh, sh, sh}},
    };
    for (const Case &c : cases) {
        const FramePixels got = Frame([&](TCanvas &cv, const TRect &r) { return PaintStyledFrame(cv, r, c.style, c.sides); });
        EXPECT_EQ(got.result, c.want.result) << c.name;
        EXPECT_EQ(got.tl, c.want.tl) << c.name << " top-left";
        EXPECT_EQ(got.tr, c.want.tr) << c.name << " top-right";
        EXPECT_EQ(got.bl, c.want.bl) << c.name << " bottom-left";
        EXPECT_EQ(got.br, c.want.br) << c.name << " bottom-right";
        EXPECT_EQ(got.inner, c.want.inner) << c.name << " at 1,1";
    }
}

TEST(UiFrames, OutlinesAndTintedFrames)
{
    const FramePixels rounded = Frame([](TCanvas &c, const TRect &r) { return PaintRoundedOutline(c, r, clRed, sdAllSides); });
    EXPECT_EQ(rounded.result, Rect(2, 2, 8, 8));
    EXPECT_EQ(rounded.tl, clFuchsia) << "cut corner";
    EXPECT_EQ(rounded.inner, clRed) << "the pixel that closes the corner";
    TBitmap b(10, 10);
    b.Canvas()->Brush().SetColor(clWhite);
    b.Canvas()->FillRect(Rect(0, 0, 10, 10));
    PaintRoundedOutline(*b.Canvas(), Rect(0, 0, 10, 10), clRed, sdAllSides);
    EXPECT_EQ(b.Canvas()->Pixel(0, 1), clWhite);
    EXPECT_EQ(b.Canvas()->Pixel(0, 2), clRed);
    EXPECT_EQ(b.Canvas()->Pixel(0, 7), clRed);
    EXPECT_EQ(b.Canvas()->Pixel(0, 8), clWhite);

    const FramePixels dotted = Frame([](TCanvas &c, const TRect &r) { return PaintDottedOutline(c, r); });
    EXPECT_EQ(dotted.result, Rect(1, 1, 9, 9));
    EXPECT_EQ(dotted.tl, clFuchsia);
    TBitmap d(10, 10);
    d.Canvas()->Brush().SetColor(clWhite);
    d.Canvas()->FillRect(Rect(0, 0, 10, 10));
    PaintDottedOutline(*d.Canvas(), Rect(0, 0, 10, 10));
    EXPECT_EQ(d.Canvas()->Pixel(1, 0), clBlack);
    EXPECT_EQ(d.Canvas()->Pixel(2, 0), clWhite);
    EXPECT_EQ(d.Canvas()->Pixel(9, 3), clBlack);

    const FramePixels tint = Frame([](TCanvas &c, const TRect &r) { return PaintTintPushFrame(c, r, clBtnFace, false); });
    EXPECT_EQ(tint.result, Rect(2, 2, 8, 8));
    EXPECT_EQ(tint.tl, ShadeUp(clBtnFace, 100));
    EXPECT_EQ(tint.br, ShadeDown(clBtnFace, 100));
    EXPECT_EQ(tint.inner, ShadeUp(clBtnFace, 40));
    const FramePixels box = Frame([](TCanvas &c, const TRect &r) { return PaintBoxOutline(c, r, clNavy); });
    EXPECT_EQ(box.result, Rect(1, 1, 9, 9));
    EXPECT_EQ(box.br, clNavy);
}

TEST(UiText, StripMnemonicsKeepsDoubledAndTrailingAmpersands)
{
    struct Case {
        const char *in, *out;
    };
    const Case cases[] = {{"&&", "&"}, {"&a", "a"}, {"a&", "a&"}, {"&Vorm && B&", "Vorm & B&"}, {"", ""}, {"&", "&"}};
    for (const Case &c : cases)
        EXPECT_EQ(StripMnemonics(c.in), c.out) << c.in;
}

TEST(UiText, AngledFontKeepsTheFaceAndTurns)
{
    TFont f;
    f.SetName("Arial");
    f.SetHeight(-13);
    f.SetStyle(fsBold | fsItalic);
    const auto a = MakeAngledFont(f, 90);
    EXPECT_EQ(a->Name(), "Arial");
    EXPECT_EQ(a->Height(), -13);
    EXPECT_EQ(a->Style(), fsBold | fsItalic);
    EXPECT_EQ(a->Orientation(), 900);
}

// A linked control that logs what it is told.
class Client : public TComponent, public IUiFrameControllerClient {
public:
    TUiFrameController *controller = nullptr;
    std::vector<int> told;
    void Link(TUiFrameController *c)
    {
        controller = c;
        c->FreeNotification(this);
        c->AddControl(this);
    }
    void UpdateFromController(TUiFrameController &, TUiFrameControllerProperty p) override
    {
        told.push_back(static_cast<int>(p));
    }

protected:
    void Notification(TComponent *c, TOperation op) override
    {
        TComponent::Notification(c, op);
        if (op == TOperation::opRemove && c == controller)
            controller = nullptr;
    }
};

TEST(UiFrameController, NotifiesLinkedControlsOfRealChangesOnly)
{
    TUiFrameController fc;
    Client a, b;
    a.Link(&fc);
    a.Link(&fc);
    b.Link(&fc);
    EXPECT_EQ(fc.LinkCount(), 2) << "linking twice adds once";
    EXPECT_EQ(a.told, (std::vector<int>{int(fcpAll)})) << "a new link hears everything at once";
    a.told.clear();
    b.told.clear();

    fc.SetFrameColor(clBtnShadow);
    fc.SetFrameVisible(false);
    EXPECT_TRUE(a.told.empty()) << "an equal value notifies nobody";

    fc.SetColor(clYellow);
    EXPECT_EQ(fc.FocusColor(), clYellow) << "Color drags FocusColor that equalled it";
    EXPECT_EQ(a.told, (std::vector<int>{int(fcpColor), int(fcpFocusColor)}));
    fc.SetFocusColor(clAqua);
    fc.SetColor(clRed);
    EXPECT_EQ(fc.FocusColor(), clAqua) << "a FocusColor of its own stays";

    fc.SetFrameSides(SideBit(sdLeft));
    a.told.clear();
    fc.SetFrameHotTrack(true);
    EXPECT_TRUE(fc.FrameVisible());
    EXPECT_EQ(fc.FrameSides(), sdAllSides);
    EXPECT_EQ(a.told, (std::vector<int>{int(fcpFrameHotTrack), int(fcpFrameVisible), int(fcpFrameSides)}));

    a.told.clear();
    fc.BeginUpdate();
    fc.BeginUpdate();
    fc.SetFrameColor(clRed);
    fc.SetDisabledColor(clGray);
    fc.EndUpdate();
    EXPECT_TRUE(a.told.empty()) << "inside an update";
    fc.EndUpdate();
    EXPECT_EQ(a.told, (std::vector<int>{int(fcpAll)})) << "one notice when the last update ends";
    EXPECT_EQ(b.told.back(), int(fcpAll));

    fc.SetParentColor(true);
    a.told.clear();
    fc.SetParentColor(false);
    EXPECT_EQ(a.told, (std::vector<int>{int(fcpParentColor), int(fcpColor)}));
}

TEST(UiFrameController, AFreedControllerClearsTheLinks)
{
    Client a;
    {
        auto *fc = new TUiFrameController(nullptr);
        a.Link(fc);
        ASSERT_EQ(a.controller, fc);
        delete fc;
    }
    EXPECT_EQ(a.controller, nullptr);
}

TEST(UiFrameController, AssignCopiesEverythingInOneUpdate)
{
    TUiFrameController from, to;
    from.SetColor(clLime);
    from.SetFrameStyle(fsGroove);
    from.SetReadOnlyColorOnFocus(true);
    Client a;
    a.Link(&to);
    a.told.clear();
    to.Assign(from);
    EXPECT_EQ(to.Color(), clLime);
    EXPECT_EQ(to.FrameStyle(), fsGroove);
    EXPECT_TRUE(to.ReadOnlyColorOnFocus());
    EXPECT_EQ(a.told, (std::vector<int>{int(fcpAll)}));
}

TEST(UiRegIniFile, DefaultsAndRefreshOnChange)
{
    TUiRegIniFile f;
    EXPECT_EQ(f.PathType(), ptIniFile);
    EXPECT_EQ(f.RegKey(), hkeyCurrentUser);
    EXPECT_EQ(f.RegAccess(), RegAccessBit(keyAllAccess));
    EXPECT_EQ(f.SpecialFolder(), sfNone);
    EXPECT_EQ(f.FileEncoding(), feDefault);
    EXPECT_FALSE(f.RefreshNeeded()) << "nothing changed yet";
    f.SetPath("x");
    EXPECT_EQ(f.Path(), "x");
    EXPECT_TRUE(f.RefreshNeeded());

    // Each setting on a fresh component: its present value marks nothing,
    // another value marks the storage.
    const struct {
        const char *name;
        std::function<void(TUiRegIniFile &, bool)> set;
    } settings[] = {
        {"Path", [](TUiRegIniFile &r, bool change) { r.SetPath(change ? "zibor.ini" : ""); }},
        {"PathType", [](TUiRegIniFile &r, bool change) { r.SetPathType(change ? ptRegistry : ptIniFile); }},
        {"RegKey", [](TUiRegIniFile &r, bool change) { r.SetRegKey(change ? hkeyLocalMachine : hkeyCurrentUser); }},
        {"RegAccess",
         [](TUiRegIniFile &r, bool change) { r.SetRegAccess(RegAccessBit(change ? keyRead : keyAllAccess)); }},
        {"SpecialFolder",
         [](TUiRegIniFile &r, bool change) { r.SetSpecialFolder(change ? sfUserDocuments : sfNone); }},
        {"FileEncoding", [](TUiRegIniFile &r, bool change) { r.SetFileEncoding(change ? feUTF8 : feDefault); }},
    };
    for (const auto &s : settings) {
        TUiRegIniFile r;
        s.set(r, false);
        EXPECT_FALSE(r.RefreshNeeded()) << s.name << ": the present value";
        s.set(r, true);
        EXPECT_TRUE(r.RefreshNeeded()) << s.name << ": a new value";
    }
}

TEST(UiColourNames, TablesHoldTheStandardValues)
{
    EXPECT_EQ(UiSpecialColorNames().size(), 2u);
    const auto &basic = UiBasicColorNames();
    ASSERT_EQ(basic.size(), 16u);
    EXPECT_STREQ(basic[1].Name, "Maroon");
    EXPECT_EQ(basic[1].Color, 0x000080);
    EXPECT_STREQ(basic[15].Name, "White");
    EXPECT_EQ(basic[15].Color, 0xFFFFFF);
    const auto &sys = UiSystemColorNames();
    ASSERT_EQ(sys.size(), 25u);
    EXPECT_STREQ(sys[15].Name, "BtnFace");
    EXPECT_EQ(sys[15].Color, clBtnFace);
    EXPECT_STREQ(sys[24].Name, "InfoBk");
    EXPECT_EQ(sys[24].Color, static_cast<TColor>(0xFF000018));
}

} // namespace
