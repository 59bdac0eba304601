// DrawText layout, observed through a canvas subclass that records the
// ExtTextOut calls it ends up in (the way the metafile recorder sees them).
#include "platform/graphics/Canvas.h"

#include <gtest/gtest.h>

#include <numeric>

using namespace plat;

namespace {

struct Output {
    int x, y;
    unsigned options;
    bool hasRect;
    TRect rect;
    String text;
    std::vector<int> dx;
};

class RecordingCanvas : public TCanvas {
public:
    RecordingCanvas()
    {
        Font().SetName("Calibri");
        Font().SetHeight(-16);
    }
    void ExtTextOut(int x, int y, unsigned options, const TRect *rect, const String &text, const int *dx) override
    {
        const size_t n = Utf8ToUtf16(text).size();
        outputs.push_back({x, y, options, rect != nullptr, rect ? *rect : TRect{}, text,
                           dx ? std::vector<int>(dx, dx + n) : std::vector<int>()});
        TCanvas::ExtTextOut(x, y, options, rect, text, dx);
    }
    void SetTextAlign(unsigned align) override
    {
        aligns.push_back(align);
        TCanvas::SetTextAlign(align);
    }
    std::vector<Output> outputs;
    std::vector<unsigned> aligns;
};

int Sum(const std::vector<int> &v) { return std::accumulate(v.begin(), v.end(), 0); }

} // namespace

TEST(DrawText, WordBreakFillsLinesGreedilyAtBlanks)
{
    RecordingCanvas c;
    const int wWord = c.TextWidth("aaaa"), wBlank = c.TextWidth(" ");
    const int lh = c.TextHeight("A");
    // Room for exactly two words and two blanks.
    TRect r = Rect(10, 20, 10 + 2 * wWord + 2 * wBlank, 500);
    const int h = c.DrawText("aaaa aaaa aaaa  aaaa\r\naaaa", r, DT_WORDBREAK);
    ASSERT_EQ(c.outputs.size(), 3u);
    EXPECT_EQ(c.outputs[0].text, "aaaa aaaa");   // the blank at the break is dropped
    EXPECT_EQ(c.outputs[1].text, "aaaa  aaaa");  // blanks inside a line stay
    EXPECT_EQ(c.outputs[2].text, "aaaa");        // a new paragraph after CR LF
    for (size_t i = 0; i < c.outputs.size(); ++i) {
        EXPECT_EQ(c.outputs[i].x, 10);
        EXPECT_EQ(c.outputs[i].y, 20 + static_cast<int>(i) * lh);
        EXPECT_EQ(c.outputs[i].options & ETO_CLIPPED, ETO_CLIPPED);
        EXPECT_TRUE(c.outputs[i].hasRect);
        EXPECT_EQ(c.outputs[i].rect, r);
        EXPECT_EQ(Sum(c.outputs[i].dx), c.TextWidth(c.outputs[i].text));
    }
    EXPECT_EQ(h, 3 * lh);
}

TEST(DrawText, AWordWiderThanTheRectangleStaysWhole)
{
    RecordingCanvas c;
    TRect r = Rect(0, 0, c.TextWidth("ab"), 100);
    c.DrawText("abcdef gh", r, DT_WORDBREAK);
    ASSERT_EQ(c.outputs.size(), 2u);
    EXPECT_EQ(c.outputs[0].text, "abcdef");
    EXPECT_EQ(c.outputs[1].text, "gh");
}

TEST(DrawText, CalcRectMeasuresWithoutDrawing)
{
    RecordingCanvas c;
    const int lh = c.TextHeight("A");
    TRect r = Rect(5, 7, 5 + c.TextWidth("one two"), 8);
    const int h = c.DrawText("one two three", r, DT_WORDBREAK | DT_CALCRECT);
    EXPECT_TRUE(c.outputs.empty());
    EXPECT_EQ(h, 2 * lh);
    EXPECT_EQ(r.Left, 5);
    EXPECT_EQ(r.Top, 7);
    EXPECT_EQ(r.Bottom, 7 + 2 * lh);
    EXPECT_EQ(r.Right, 5 + c.TextWidth("one two"));

    TRect single = Rect(0, 0, 1, 1);
    c.DrawText("Opslaan", single, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_EQ(single, Rect(0, 0, c.TextWidth("Opslaan"), lh));

    // Measuring a vertically centred line gives its height; drawing it gives
    // the offset of its bottom from the top of the rectangle.
    TRect tall = Rect(0, 0, 200, 100);
    EXPECT_EQ(c.DrawText("Ok", tall, DT_SINGLELINE | DT_VCENTER | DT_CALCRECT), lh);
    EXPECT_EQ(tall.Bottom, lh);
    tall = Rect(0, 0, 200, 100);
    EXPECT_EQ(c.DrawText("Ok", tall, DT_SINGLELINE | DT_VCENTER), (100 - lh) / 2 + lh);
    EXPECT_EQ(tall, Rect(0, 0, 200, 100));
}

TEST(DrawText, AlignmentPlacesEachLine)
{
    struct Case { unsigned flags; int wantX, wantY; };
    RecordingCanvas probe;
    const int w = probe.TextWidth("Ok"), lh = probe.TextHeight("A");
    const TRect box = Rect(100, 50, 200, 90);
    for (const Case k : {Case{DT_LEFT | DT_SINGLELINE, 100, 50},
                         Case{DT_CENTER | DT_SINGLELINE, 100 + (100 - w) / 2, 50},
                         Case{DT_RIGHT | DT_SINGLELINE, 200 - w, 50},
                         Case{DT_VCENTER | DT_SINGLELINE, 100, 50 + (40 - lh) / 2},
                         Case{DT_BOTTOM | DT_SINGLELINE | DT_RIGHT, 200 - w, 90 - lh},
                         Case{DT_VCENTER, 100, 50}}) {  // vertical centring needs a single line
        RecordingCanvas c;
        TRect r = box;
        c.DrawText("Ok", r, k.flags);
        SCOPED_TRACE(k.flags);
        ASSERT_EQ(c.outputs.size(), 1u);
        EXPECT_EQ(c.outputs[0].x, k.wantX);
        EXPECT_EQ(c.outputs[0].y, k.wantY);
    }
}

TEST(DrawText, PrefixTabsAndFlagsReachTheOutput)
{
    {
        RecordingCanvas c;
        TRect r = Rect(0, 0, 300, 40);
        c.DrawText("&Opslaan && sluiten", r, DT_SINGLELINE);
        ASSERT_EQ(c.outputs.size(), 1u);
        EXPECT_EQ(c.outputs[0].text, "Opslaan & sluiten");
    }
    {
        RecordingCanvas c;
        TRect r = Rect(0, 0, 300, 40);
        c.DrawText("&Opslaan", r, DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP | DT_RTLREADING);
        ASSERT_EQ(c.outputs.size(), 1u);
        EXPECT_EQ(c.outputs[0].text, "&Opslaan");
        EXPECT_FALSE(c.outputs[0].hasRect);
        EXPECT_EQ(c.outputs[0].options & ETO_CLIPPED, 0u);
        EXPECT_EQ(c.outputs[0].options & ETO_RTLREADING, ETO_RTLREADING);
    }
    {
        RecordingCanvas c;
        const int tab = 8 * c.TextMetrics().tmAveCharWidth;
        TRect r = Rect(10, 0, 1000, 40);
        c.DrawText("a\tbb\tc", r, DT_SINGLELINE | DT_EXPANDTABS);
        ASSERT_EQ(c.outputs.size(), 3u);
        EXPECT_EQ(c.outputs[0].x, 10);
        EXPECT_EQ(c.outputs[1].x, 10 + tab);
        EXPECT_EQ(c.outputs[1].text, "bb");
        EXPECT_EQ(c.outputs[2].x, 10 + 2 * tab);
    }
}

TEST(DrawText, TextAlignmentIsSetForTheLayoutAndRestored)
{
    RecordingCanvas c;
    c.SetTextAlign(TA_BASELINE | TA_RIGHT);
    c.aligns.clear();
    TRect r = Rect(0, 0, 100, 40);
    c.DrawText("x", r, DT_SINGLELINE);
    EXPECT_EQ(c.aligns, (std::vector<unsigned>{TA_LEFT | TA_TOP, TA_BASELINE | TA_RIGHT}));
    EXPECT_EQ(c.TextAlign(), TA_BASELINE | TA_RIGHT);
}

TEST(TextOutput, TextOutAndTextRectPassAdvancesAndOptions)
{
    RecordingCanvas c;
    c.TextOut(3, 4, "Scores");
    c.Brush().SetStyle(bsClear);
    c.TextRect(Rect(0, 0, 50, 20), 1, 2, "Ab");
    c.Brush().SetColor(clSilver);
    c.TextRect(Rect(0, 0, 50, 20), 1, 2, "Ab");
    ASSERT_EQ(c.outputs.size(), 3u);
    EXPECT_EQ(c.outputs[0].options, 0u);
    EXPECT_FALSE(c.outputs[0].hasRect);
    EXPECT_EQ(c.outputs[0].dx, c.TextAdvances("Scores"));
    EXPECT_EQ(c.outputs[1].options, static_cast<unsigned>(ETO_CLIPPED));
    EXPECT_EQ(c.outputs[2].options, static_cast<unsigned>(ETO_CLIPPED | ETO_OPAQUE));
    EXPECT_EQ(c.outputs[2].rect, Rect(0, 0, 50, 20));
    EXPECT_EQ(c.BkColor(), clSilver);
}

namespace {

// Logs the realisation hooks and the state calls in order.
class RealisingCanvas : public TCanvas {
public:
    std::vector<std::string> log;

protected:
    void CreatePen() override { log.push_back("pen"); TCanvas::CreatePen(); }
    void CreateBrush() override { log.push_back("brush"); TCanvas::CreateBrush(); }
    void CreateFont() override { log.push_back("font"); TCanvas::CreateFont(); }

public:
    void SetBkColor(TColor c) override { log.push_back("bkcolor " + std::to_string(c)); TCanvas::SetBkColor(c); }
    void SetBkMode(int m) override { log.push_back("bkmode " + std::to_string(m)); TCanvas::SetBkMode(m); }
    void SetTextColor(TColor c) override { log.push_back("textcolor " + std::to_string(c)); TCanvas::SetTextColor(c); }
};

} // namespace

TEST(Realisation, ObjectsAreRealisedOnceAfterEachChangeBeforeTheyAreNeeded)
{
    RealisingCanvas c;
    c.MoveTo(0, 0);                 // needs nothing
    EXPECT_TRUE(c.log.empty());
    c.LineTo(5, 5);                 // pen and brush
    EXPECT_EQ(c.log, (std::vector<std::string>{"pen", "brush", "bkcolor 16777215", "bkmode 2"}));
    c.log.clear();
    c.Rectangle(0, 0, 4, 4);        // nothing changed
    EXPECT_TRUE(c.log.empty());
    c.Brush().SetStyle(bsClear);
    c.Pen().SetColor(clRed);
    c.FillRect(Rect(0, 0, 1, 1));   // brush only
    EXPECT_EQ(c.log, (std::vector<std::string>{"brush", "bkcolor 16777215", "bkmode 1"}));
    c.log.clear();
    c.Font().SetColor(clBlue);
    c.TextOut(0, 0, "x");           // font (and the pen stays unrealised)
    EXPECT_EQ(c.log, (std::vector<std::string>{"font", "textcolor 16711680"}));
    c.log.clear();
    c.LineTo(1, 1);
    EXPECT_EQ(c.log, (std::vector<std::string>{"pen"}));
    c.log.clear();
    c.Refresh();
    c.Ellipse(0, 0, 2, 2);
    EXPECT_EQ(c.log, (std::vector<std::string>{"pen", "brush", "bkcolor 16777215", "bkmode 1"}));
}

TEST(Realisation, EachPictureIsPrecededByItsStretchMode)
{
    struct PictureLog : TCanvas {
        std::vector<std::string> log;
        void SetStretchBltMode(int mode) override
        {
            log.push_back("mode " + std::to_string(mode));
            TCanvas::SetStretchBltMode(mode);
        }
        void StretchDrawImage(const TRect &dest, const QImage &image, const TRect &source, TColor key) override
        {
            log.push_back("image " + std::to_string(image.width()) + " -> " + std::to_string(dest.Width()) +
                          " from " + std::to_string(source.Width()));
            TCanvas::StretchDrawImage(dest, image, source, key);
        }
    } c;
    TBitmap a(4, 2), empty;
    c.Draw(0, 0, a);
    c.StretchDraw(Rect(0, 0, 8, 4), a);
    c.Draw(0, 0, empty);  // nothing at all for an empty picture
    EXPECT_EQ(c.log, (std::vector<std::string>{"mode 3", "image 4 -> 4 from 4", "mode 3", "image 4 -> 8 from 4"}));
}
