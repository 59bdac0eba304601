// Every custom-drawn control on one window on a real X display (Xvfb), for
// looking at. Headless runs skip it. With ZIBOR_SCREENSHOT set to a file
// name the whole screen is written there by "import -window root".
#include "controls/UiButton.h"
#include "controls/UiDrawing.h"
#include "controls/UiGlyphButton.h"
#include "controls/UiPanels.h"
#include "controls/UiRadioGroup.h"
#include "platform/graphics/Colors.h"
#include "tests/controls/SampleSetups.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "tests/support/MouseKeys.h"

#include <QApplication>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

using namespace plat;

namespace {

// A swatch that paints itself with a function.
class Swatch : public TCustomControl {
public:
    Swatch(TComponent *owner, std::function<void(TCanvas &, const TRect &)> paint)
        : TCustomControl(owner), paint_(std::move(paint))
    {
    }

protected:
    void Paint() override { paint_(Canvas(), ClientRect()); }

private:
    std::function<void(TCanvas &, const TRect &)> paint_;
};

class Demo : public TForm {
public:
    explicit Demo(TComponent *owner) : TForm(owner)
    {
        TLoadingScope loading(*this);
        SetBorderStyle(TFormBorderStyle::bsNone);
        SetBounds(0, 0, 1270, 1000);
        SetColor(clBtnFace);
        Buttons();
        Radios();
        Swatches();
        Containers();
    }

    TUiButton *hot = nullptr, *focused = nullptr;
    TUiRadioButton *hotRadio = nullptr;

private:
    TLabel *Caption(int x, int y, const char *text)
    {
        auto *l = new TLabel(this);
        l->SetParent(this);
        l->SetBounds(x, y, 300, 16);
        l->SetCaption(text);
        return l;
    }

    TUiButton *Button(int x, int y, const char *text, bool hotTrack, TColor color = clBtnFace)
    {
        auto *b = new TUiButton(this);
        b->SetParent(this);
        b->SetBounds(x, y, 110, 50);
        b->SetCaption(text);
        b->SetColor(color);
        b->SetHotTrack(hotTrack);
        if (hotTrack) {
            b->Font().SetName("Arial");
            b->Font().SetStyle(fsBold);
            b->Font().SetColor(clAqua);
            b->SetHighlightColor(clActiveCaption);
        }
        return b;
    }

    void Buttons()
    {
        Caption(10, 5, "TUiButton, hot-tracking look on clAppWorkSpace: plain, hot, focused, default, latched, disabled");
        const char *names[] = {"Testrapport.PDF  KLIK HIER", "hot", "focused", "default", "latched", "disabled"};
        TUiButton *row[6];
        for (int i = 0; i < 6; ++i)
            row[i] = Button(10 + i * 120, 25, names[i], true, clAppWorkSpace);
        hot = row[1];
        focused = row[2];
        row[3]->SetDefault(true);
        row[4]->SetGroupIndex(1);
        row[4]->SetDown(true);
        row[5]->SetEnabled(false);

        Caption(10, 85, "classic look: plain, default, latched (checker), tinted, tinted latched, disabled");
        const char *classicNames[] = {"Testrapport.PDF  KLIK HIER", "default", "latched", "tinted", "tinted latched",
                                      "disabled"};
        TUiButton *classic[6];
        for (int i = 0; i < 6; ++i)
            classic[i] = Button(10 + i * 120, 105, classicNames[i], false, i == 3 || i == 4 ? clSkyBlue : clBtnFace);
        classic[1]->SetDefault(true);
        classic[2]->SetGroupIndex(2);
        classic[2]->SetDown(true);
        classic[4]->SetGroupIndex(3);
        classic[4]->SetDown(true);
        classic[5]->SetEnabled(false);

        Caption(10, 165, "text styles: normal, raised, recessed, shadow; light raised; bottom-aligned");
        const TTextStyle styles[] = {tsNormal, tsRaised, tsRecessed, tsShadow, tsRaised, tsNormal};
        const char *styleNames[] = {"Normal", "Raised", "Recessed", "Shadow", "Light raised", "Bottom"};
        for (int i = 0; i < 6; ++i) {
            TUiButton *b = Button(10 + i * 120, 185, styleNames[i], false);
            b->Font().SetHeight(-16);
            b->Font().SetStyle(fsBold);
            b->SetTextStyle(styles[i]);
            b->SetLightTextStyle(i == 4);
            if (i == 5)
                b->SetAlignmentVertical(avBottom);
        }
    }

    TUiRadioButton *Radio(int x, int y, const char *text, bool hotTrack)
    {
        auto *r = new TUiRadioButton(this);
        r->SetParent(this);
        r->SetBounds(x, y, 120, 20);
        r->SetCaption(text);
        r->SetHotTrack(hotTrack);
        return r;
    }

    void Radios()
    {
        // Each source in its own panel, so that each has its own siblings.
        struct Source {
            const char *name;
            int kind;  // 0 built-in, 1 built-in frame style, 2 classic, 3 strip, 4 image list
        };
        const Source sources[] = {{"built-in, interior hot", 0}, {"built-in, frame hot", 1}, {"classic", 2},
                                  {"strip", 3}, {"image list", 4}};
        Caption(10, 250, "TUiRadioButton by glyph source (rows): unchecked, checked, disabled, disabled checked, hot, "
                         "read-only, transparent on yellow");
        auto *list = new TCustomImageList(this);
        list->SetSize(13, 13);
        TBitmap strip(13 * 8, 13);
        for (int i = 0; i < 8; ++i) {
            TCanvas &c = *strip.Canvas();
            c.Brush().SetColor(clOlive);
            c.FillRect(Rect(i * 13, 0, i * 13 + 13, 13));
            c.Brush().SetColor(i >= 6 ? clLime : i >= 4 ? clGray : clNavy);
            c.Pen().SetColor(clBlack);
            c.Rectangle(i * 13 + 1, 1, i * 13 + 12, 12);
            if (i % 2 == 1) {
                c.Brush().SetColor(clYellow);
                c.FillRect(Rect(i * 13 + 4, 4, i * 13 + 9, 9));
            }
        }
        list->Add(strip);
        TBitmap six(13 * 6, 13);
        six.Canvas()->CopyRect(Rect(0, 0, 78, 13), *strip.Canvas(), Rect(0, 0, 78, 13));
        for (int s = 0; s < 5; ++s) {
            const int y = 270 + s * 34;
            Caption(10, y + 2, sources[s].name);
            for (int col = 0; col < 7; ++col) {
                auto *holder = new TPanel(this);
                holder->SetParent(this);
                holder->SetBevelOuter(TBevelCut::bvNone);
                holder->SetBounds(180 + col * 155, y, 150, 28);
                holder->SetColor(col == 6 ? clYellow : clWindow);
                auto *r = new TUiRadioButton(this);
                r->SetParent(holder);
                r->SetBounds(4, 4, 140, 20);
                r->SetCaption("Vorm A");
                r->SetHotTrack(sources[s].kind <= 1);
                if (sources[s].kind == 1)
                    r->SetHotTrackStyle(htsFrame);
                if (sources[s].kind == 3)
                    r->SetCustomGlyphs(six);
                if (sources[s].kind == 4)
                    r->SetCustomGlyphImages(list);
                r->SetChecked(col == 1 || col == 3 || col == 4 || col == 6);
                r->SetEnabled(col != 2 && col != 3);
                r->SetReadOnly(col == 5);
                r->SetTransparent(col == 6);
                if (col == 4 && s == 0)
                    hotRadio = r;
                if (col == 4)
                    hotRadios.push_back(r);
            }
        }
    }

    void Swatches()
    {
        Caption(10, 450, "DrawGradientBox, the ten directions (white to navy)");
        for (int d = 0; d < 10; ++d) {
            auto *s = new Swatch(this, [d](TCanvas &c, const TRect &r) {
                DrawGradientBox(c, r, TGradientDirection(d), clWhite, clNavy, 1);
            });
            s->SetParent(this);
            s->SetBounds(10 + d * 120, 470, 110, 70);
        }
        Caption(10, 550, "PaintStyledFrame, the eleven styles, then tinted from sky blue, then the rounded outline");
        for (int f = 0; f < 11; ++f) {
            auto *s = new Swatch(this, [f](TCanvas &c, const TRect &r) {
                c.Brush().SetColor(clBtnFace);
                c.FillRect(r);
                PaintStyledFrame(c, Rect(r.Left + 4, r.Top + 4, r.Right - 4, r.Bottom - 4), TFrameStyle(f));
            });
            s->SetParent(this);
            s->SetBounds(10 + f * 100, 570, 90, 50);
            auto *t = new Swatch(this, [f](TCanvas &c, const TRect &r) {
                c.Brush().SetColor(clSkyBlue);
                c.FillRect(r);
                PaintTintStyledFrame(c, Rect(r.Left + 4, r.Top + 4, r.Right - 4, r.Bottom - 4), clSkyBlue, TFrameStyle(f));
            });
            t->SetParent(this);
            t->SetBounds(10 + f * 100, 630, 90, 50);
        }
        auto *rounded = new Swatch(this, [](TCanvas &c, const TRect &r) {
            c.Brush().SetColor(clWindow);
            c.FillRect(r);
            PaintRoundedOutline(c, Rect(r.Left + 4, r.Top + 4, r.Right - 4, r.Bottom - 4), clPurple, sdAllSides);
            PaintGradientRim(c, Rect(r.Left + 12, r.Top + 12, r.Right - 12, r.Bottom - 12), gdHorizontalEnd, clYellow, clRed);
        });
        rounded->SetParent(this);
        rounded->SetBounds(1110, 570, 90, 110);
    }

    void Containers()
    {
        Caption(10, 690, "TUiCustomPanel outer styles (none .. flat rounded), a rounded inner border, a dot grid");
        for (int st = 0; st < 12; ++st) {
            auto *p = new TUiCustomPanel(this);
            p->SetParent(this);
            p->SetBounds(10 + st * 95, 710, 88, 44);
            p->SetBorderOuter(TFrameStyleEx(st));
            p->SetCaption(std::to_string(st));
        }
        auto *rounded = new TUiCustomPanel(this);
        rounded->SetParent(this);
        rounded->SetBounds(1150, 710, 55, 44);
        rounded->SetBorderOuter(fsNone);
        rounded->SetBorderInner(fsFlatRounded);
        rounded->SetBorderWidth(1);
        rounded->SetBorderColor(clPurple);
        rounded->SetColor(clCream);
        auto *grid = new TUiCustomPanel(this);
        grid->SetParent(this);
        grid->SetBounds(1210, 710, 55, 44);
        grid->SetGridVisible(true);
        grid->SetGridSpacing(6, 6);
        grid->SetVisualStyle(vsGradient);
        grid->SetGradientColorStyle(gcsCustom);
        grid->SetGradientDirection(gdVerticalEnd);

        Caption(10, 760, "TUiCustomGroupBox: standard, custom, top line, flat, banner, underline");
        for (int st = 0; st < 6; ++st) {
            auto *g = new TUiCustomGroupBox(this);
            g->SetParent(this);
            g->SetBounds(10 + st * 200, 778, 190, 80);
            g->SetCaption("Groep &" + std::to_string(st));
            g->SetGroupStyle(TUiGroupBoxStyle(st));
            if (st == 1)
                g->SetBorderOuter(fsRaised);
        }

        Caption(10, 865, "TUiGridPanel: twelve columns in a flat purple border");
        auto *acc = new TUiGridPanel(this);
        acc->SetParent(this);
        acc->SetBounds(10, 885, 671, 66);
        SetUpBorderedGrid(*acc);
        for (int col = 0; col < 12; ++col) {
            auto *l = new TLabel(this);
            l->SetCaption(std::to_string(col + 1));
            acc->AddControl(l, col, 0);
            auto *list = new TComboBox(this);
            list->SetBounds(0, 0, 50, 20);
            list->SetStyle(TComboBoxStyle::csDropDownList);
            list->Items().Add("1");
            list->Items().Add("0");
            list->SetItemIndex(col % 2);
            acc->AddControl(list, col, 1);
        }

        Caption(700, 865, "TUiRadioGroup: a gradient choice over a picture, the mouse over B");
        auto *picture = new TImage(this);
        picture->SetParent(this);
        picture->SetBounds(700, 880, 300, 110);
        TBitmap bg(300, 110);
        DrawGradientBox(*bg.Canvas(), Rect(0, 0, 300, 110), gdVerticalCenter, RGB(20, 40, 90), RGB(70, 110, 160), 1);
        picture->Picture().SetGraphic(&bg);
        version = new TUiRadioGroup(this);
        version->SetParent(this);
        version->SetBounds(720, 895, 138, 72);
        SetUpGradientChoice(*version);
    }

public:
    std::vector<TUiRadioButton *> hotRadios;
    TUiRadioGroup *version = nullptr;
};

void Pump()
{
    for (int i = 0; i < 10; ++i)
        QApplication::processEvents(QEventLoop::AllEvents, 30);
}

TEST(UiControlsOnScreen, EveryControlInEachLookAndState)
{
    if (QGuiApplication::platformName() != "xcb")
        GTEST_SKIP() << "needs an X display";
    auto *f = MakeForm<Demo>(nullptr);
    f->Show();
    Pump();
    zibor::test::MouseEnterLeave(*f->hot, true);
    for (TUiRadioButton *r : f->hotRadios)
        zibor::test::MouseEnterLeave(*r, true);
    zibor::test::MouseEnterLeave(*f->version->ItemAt(1), true);
    f->SetActiveControl(f->focused);
    Pump();
    if (const char *path = std::getenv("ZIBOR_SCREENSHOT"))
        QProcess::execute("import", {"-window", "root", path});
    const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    // The first swatch runs from white at the bottom-left to navy at the top-right.
    const QColor bottomLeft = screen.pixelColor(12, 537), topRight = screen.pixelColor(117, 472);
    EXPECT_GT(bottomLeft.red(), 200);
    EXPECT_LT(topRight.red(), 60);
    f->Hide();
    f->Free();
}

} // namespace
