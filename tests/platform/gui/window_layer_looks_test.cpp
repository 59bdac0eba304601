// What the custom-drawn controls need of the window layer: mirrored copies,
// the look beneath a see-through control, dialog characters and arrow keys,
// held keys, the classic radio glyph, image lists and actions.
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Colors.h"
#include "platform/graphics/FrameControl.h"
#include "platform/gui/CustomControls.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/ImgList.h"
#include "platform/gui/StdCtrls.h"
#include "tests/support/PixelCheck.h"
#include "tests/support/WindowDriver.h"

#include <QApplication>
#include <QKeyEvent>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace plat;

namespace {

// Four columns and two rows of distinct colours: any flip shows.
TBitmap Asymmetric()
{
    TBitmap b(4, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            b.Canvas()->SetPixel(x, y, RGB(x * 60, y * 200, 10));
    return b;
}

TEST(WindowLayerLooks, CopyRectMirrorsWhenARectangleRunsBackwards)
{
    struct Case {
        const char *name;
        TRect dest, src;
        bool flipX, flipY;
    };
    const Case cases[] = {
        {"plain", Rect(0, 0, 4, 2), Rect(0, 0, 4, 2), false, false},
        {"right to left", Rect(4, 0, 0, 2), Rect(0, 0, 4, 2), true, false},
        {"bottom to top", Rect(0, 2, 4, 0), Rect(0, 0, 4, 2), false, true},
        {"both", Rect(4, 2, 0, 0), Rect(0, 0, 4, 2), true, true},
        {"flipped on both sides cancels", Rect(4, 0, 0, 2), Rect(4, 0, 0, 2), false, false},
    };
    TBitmap src = Asymmetric();
    for (const Case &c : cases) {
        TBitmap dst(4, 2);
        dst.Canvas()->CopyRect(c.dest, *src.Canvas(), c.src);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 4; ++x) {
                const int sx = c.flipX ? 3 - x : x, sy = c.flipY ? 1 - y : y;
                EXPECT_EQ(dst.Canvas()->Pixel(x, y), src.Canvas()->Pixel(sx, sy)) << c.name << " at " << x << "," << y;
            }
    }
}

TEST(WindowLayerLooks, CopyWithinOneCanvasMirrorsItsOwnPixels)
{
    TBitmap b = Asymmetric();
    b.SetSize(8, 2);
    b.Canvas()->CopyRect(Rect(8, 0, 4, 2), *b.Canvas(), Rect(0, 0, 4, 2));
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(b.Canvas()->Pixel(7 - x, 1), b.Canvas()->Pixel(x, 1));
}

struct LooksForm : ::testing::Test {
    zibor::test::TWindowDriver drv;
    zibor::test::TPlainWindow window{200, 150, clAqua};
    TForm *form = &window.Form();
};

class Behind : public TCustomControl {
public:
    explicit Behind(TComponent *owner) : TCustomControl(owner) {}
    QImage seen;
    void EraseBackground(TCanvas &) override { seen = ParentBackground(*this); }
};

TEST_F(LooksForm, ParentBackgroundShowsPicturesBelowButNothingAbove)
{
    auto *pic = new TImage(form);
    pic->SetParent(form);
    pic->SetBounds(0, 0, 50, 150);
    TBitmap red(50, 150);
    red.Canvas()->Brush().SetColor(clRed);
    red.Canvas()->FillRect(Rect(0, 0, 50, 150));
    pic->Picture().SetGraphic(&red);
    auto *probe = new Behind(form);
    probe->SetParent(form);
    probe->SetBounds(40, 10, 40, 20);
    auto *above = new TPanel(form);
    above->SetParent(form);
    above->SetBounds(70, 10, 40, 20);
    above->SetColor(clLime);
    probe->Widget()->grab();
    ASSERT_FALSE(probe->seen.isNull());
    EXPECT_EQ(probe->seen.pixelColor(5, 5), QColor(255, 0, 0)) << "the picture beneath";
    EXPECT_EQ(probe->seen.pixelColor(20, 5), QColor(0, 255, 255)) << "the window's colour";
    EXPECT_EQ(probe->seen.pixelColor(35, 5), QColor(0, 255, 255)) << "a sibling above stays out";
}

TEST(WindowLayerLooks, SeeThroughFollowsTransparent)
{
    TLabel l(nullptr);
    TImage i(nullptr);
    TPanel p(nullptr);
    EXPECT_FALSE(l.SeeThrough());
    EXPECT_FALSE(i.SeeThrough());
    l.SetTransparent(true);
    i.SetTransparent(true);
    EXPECT_TRUE(l.SeeThrough());
    EXPECT_TRUE(i.SeeThrough());
    EXPECT_FALSE(p.SeeThrough());
}

class KeyProbe : public TCustomControl {
public:
    KeyProbe(TComponent *owner, std::vector<std::string> &log, char32_t accel)
        : TCustomControl(owner), log_(log), accel_(accel)
    {
        SetTabStop(true);
    }
    bool DialogKey(uint16_t key, TShiftState) override
    {
        log_.push_back(Name() + " dialog key " + std::to_string(key));
        return key == VK_DOWN;
    }
    bool DialogChar(char32_t key, TShiftState) override
    {
        log_.push_back(Name() + " char " + std::string(1, static_cast<char>(key)));
        return key == accel_;
    }
    void KeyUp(uint16_t &key, TShiftState shift) override
    {
        log_.push_back(Name() + " up");
        TCustomControl::KeyUp(key, shift);
    }

private:
    std::vector<std::string> &log_;
    char32_t accel_;
};

TEST_F(LooksForm, ArrowsGoToTheFocusedControlAndAltLettersToWhoeverTakesThem)
{
    std::vector<std::string> log;
    auto *a = new KeyProbe(form, log, 'x');
    a->SetName("a");
    a->SetParent(form);
    auto *b = new KeyProbe(form, log, 'k');
    b->SetName("b");
    b->SetParent(form);
    b->SetBounds(0, 40, 20, 20);
    form->SetActiveControl(b);
    drv.Key(*b, VK_DOWN);
    EXPECT_EQ(log, (std::vector<std::string>{"b dialog key 40", "b up"})) << "only the focused control";
    log.clear();
    drv.Key(*b, 'K', ssAlt);
    EXPECT_EQ(log, (std::vector<std::string>{"a char k", "b char k", "b up"}));
    log.clear();
    drv.Key(*b, 'Q', ssAlt);
    EXPECT_EQ(log, (std::vector<std::string>{"a char q", "b char q", "b up"})) << "nobody takes it";
}

TEST_F(LooksForm, AHeldKeyReleasesOnce)
{
    std::vector<std::string> log;
    auto *a = new KeyProbe(form, log, 0);
    a->SetName("a");
    a->SetParent(form);
    auto send = [&](QEvent::Type t, bool repeat) {
        QKeyEvent e(t, Qt::Key_Space, Qt::NoModifier, " ", repeat);
        QApplication::sendEvent(a->Widget(), &e);
    };
    send(QEvent::KeyPress, false);
    for (int i = 0; i < 3; ++i) {
        send(QEvent::KeyRelease, true);
        send(QEvent::KeyPress, true);
    }
    send(QEvent::KeyRelease, false);
    EXPECT_EQ(log, (std::vector<std::string>{"a up"}));
}

TEST(WindowLayerLooks, AcceleratorsFollowTheAmpersand)
{
    EXPECT_TRUE(IsAccel('k', "&Klik"));
    EXPECT_TRUE(IsAccel('A', "Vorm &a"));
    EXPECT_FALSE(IsAccel('a', "A&&B"));
    EXPECT_TRUE(IsAccel('b', "A&&B &b"));
    EXPECT_FALSE(IsAccel('a', "Vorm A&"));
}

TEST(WindowLayerLooks, ClassicRadioGlyphStates)
{
    struct Case {
        const char *name;
        unsigned state;
        TColor corner, ring, inside, centre;
    };
    const Case cases[] = {
        {"normal", 0, clBtnFace, clBtnShadow, clWindow, clWindow},
        {"checked", DFCS_CHECKED, clBtnFace, clBtnShadow, clWindow, clWindowText},
        {"pushed", DFCS_PUSHED, clBtnFace, clBtnShadow, clBtnFace, clBtnFace},
        {"inactive checked", DFCS_INACTIVE | DFCS_CHECKED, clBtnFace, clBtnShadow, clBtnFace, clBtnShadow},
        {"transparent", DFCS_TRANSPARENT, clOlive, clBtnShadow, clWindow, clWindow},
    };
    for (const Case &c : cases) {
        TBitmap b(13, 13);
        b.Canvas()->Brush().SetColor(clOlive);
        b.Canvas()->FillRect(Rect(0, 0, 13, 13));
        EXPECT_TRUE(DrawFrameControl(*b.Canvas(), Rect(0, 0, 13, 13), DFC_BUTTON, DFCS_BUTTONRADIO | c.state));
        auto at = [&](int x, int y) { return b.Canvas()->Pixel(x, y); };
        EXPECT_EQ(at(0, 0), ColorToRGB(c.corner)) << c.name;
        EXPECT_EQ(at(5, 0), ColorToRGB(c.ring)) << c.name;
        EXPECT_EQ(at(6, 11), ColorToRGB(clBtnHighlight)) << c.name;
        EXPECT_EQ(at(6, 1), ColorToRGB(cl3DDkShadow)) << c.name;
        EXPECT_EQ(at(3, 6), ColorToRGB(c.inside)) << c.name;
        EXPECT_EQ(at(6, 6), ColorToRGB(c.centre)) << c.name;
        EXPECT_EQ(at(12, 12), clOlive) << c.name << ": outside the 12 x 12 cell";
    }
}

TEST(WindowLayerLooks, ImageListDrawsHeldImagesAndTellsOfChanges)
{
    TCustomImageList list;
    list.SetSize(2, 2);
    TChangeLink link;
    int changes = 0;
    link.OnChange = [&](TObject *) { ++changes; };
    list.RegisterChanges(&link);
    TBitmap strip(6, 2);
    for (int x = 0; x < 6; ++x)
        for (int y = 0; y < 2; ++y)
            strip.Canvas()->SetPixel(x, y, x < 2 ? clRed : x < 4 ? clLime : clBlue);
    EXPECT_EQ(list.Add(strip), 0);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(changes, 1);
    TBitmap out(2, 2);
    out.Canvas()->Brush().SetColor(clOlive);
    out.Canvas()->FillRect(Rect(0, 0, 2, 2));
    list.Draw(*out.Canvas(), 0, 0, 7);
    EXPECT_EQ(out.Canvas()->Pixel(1, 1), clOlive) << "an index the list does not hold draws nothing";
    list.Draw(*out.Canvas(), 0, 0, 1);
    EXPECT_EQ(out.Canvas()->Pixel(1, 1), clLime);
    list.UnRegisterChanges(&link);
    list.Clear();
    EXPECT_EQ(changes, 1);
}

} // namespace
