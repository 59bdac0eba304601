// Records of a page as readers that turn pages into paths see them: a line
// path stays open only from one line record to the next, and a fill with a
// clear brush must leave nothing a reader could paint.
#include "platform/core/SysUtils.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphics.h"
#include "platform/metafile/Metafile.h"
#include "platform/metafile/MetafileCanvas.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <vector>

using namespace plat;
namespace emf = plat::emf;

namespace {

struct Rec {
    uint32_t type;
    std::vector<int32_t> params;  // the 32-bit words after type and size
};

std::vector<Rec> RecordPage(const std::function<void(TCanvas &)> &draw)
{
    TMetafile mf;
    mf.SetWidth(200);
    mf.SetHeight(200);
    {
        TMetafileCanvas c(mf);
        draw(c);
    }
    std::vector<Rec> out;
    mf.Enumerate([&out](const emf::TEmfRecord &r) {
        Rec rec{r.Type(), {}};
        for (uint32_t o = 8; o + 4 <= r.Size() && o < 64; o += 4)
            rec.params.push_back(r.I32(o));
        out.push_back(rec);
        return true;
    });
    return out;
}

// Where a reader that keeps only the records themselves puts each line:
// from the last MOVETOEX or LINETO, provided that record came right before.
struct Segment {
    TPoint from, to;
    bool operator==(const Segment &) const = default;
};

std::vector<Segment> LinesAsARecordReaderSeesThem(const std::vector<Rec> &recs)
{
    std::vector<Segment> out;
    std::optional<TPoint> open;
    for (const Rec &r : recs) {
        if (r.type == emf::EMR_MOVETOEX) {
            open = TPoint{r.params[0], r.params[1]};
        } else if (r.type == emf::EMR_LINETO) {
            const TPoint to{r.params[0], r.params[1]};
            EXPECT_TRUE(open.has_value()) << "a line with no start of its own at " << to.X << "," << to.Y;
            if (open)
                out.push_back({*open, to});
            open = to;
        } else {
            open.reset();
        }
    }
    return out;
}

} // namespace

TEST(MetafilePaths, EveryLineStartsWhereTheCanvasPenWas)
{
    struct Case {
        const char *name;
        std::function<void(TCanvas &)> between;  // between two joined lines
        int moves;                               // MOVETOEX records expected in all
    };
    const Case cases[] = {
        {"nothing: one path", [](TCanvas &) {}, 1},
        {"a new pen colour", [](TCanvas &c) { c.Pen().SetColor(clRed); }, 2},
        {"a new pen width", [](TCanvas &c) { c.Pen().SetWidth(4); }, 2},
        {"text", [](TCanvas &c) {
             const TPoint keep = c.PenPos();
             c.TextOut(5, 150, "Scores");
             c.MoveTo(keep.X, keep.Y);
         }, 2},
        {"a fill", [](TCanvas &c) {
             c.Brush().SetColor(clSilver);
             c.FillRect(Rect(0, 0, 5, 5));
         }, 2},
        {"a rectangle", [](TCanvas &c) { c.Rectangle(0, 0, 5, 5); }, 2},
        {"a saved and restored state", [](TCanvas &c) {
             const TPoint keep = c.PenPos();
             c.SaveDC();
             c.RestoreDC(-1);
             c.MoveTo(keep.X, keep.Y);
         }, 2},
    };
    for (const Case &cs : cases) {
        SCOPED_TRACE(cs.name);
        const std::vector<Rec> recs = RecordPage([&cs](TCanvas &c) {
            c.MoveTo(10, 20);
            c.LineTo(100, 20);
            cs.between(c);
            c.LineTo(100, 90);
            c.LineTo(30, 90);
        });
        EXPECT_EQ(LinesAsARecordReaderSeesThem(recs),
                  (std::vector<Segment>{{{10, 20}, {100, 20}}, {{100, 20}, {100, 90}}, {{100, 90}, {30, 90}}}));
        int moves = 0;
        for (const Rec &r : recs)
            moves += r.type == emf::EMR_MOVETOEX;
        EXPECT_EQ(moves, cs.moves);
    }
}

// What a page must not carry: a pattern copy is painted in the brush colour by
// readers that do not look at the brush style, so a fill with a clear brush,
// which paints nothing on a canvas, may leave no BITBLT behind.
TEST(MetafilePaths, FillsWithAClearBrushLeaveNoPatternCopy)
{
    struct Case {
        const char *name;
        std::function<void(TCanvas &)> draw;
        int blts;
    };
    const Case cases[] = {
        {"solid fill", [](TCanvas &c) {
             c.Brush().SetColor(clRed);
             c.FillRect(Rect(10, 10, 50, 50));
         }, 1},
        {"clear fill", [](TCanvas &c) {
             c.Brush().SetColor(clRed);
             c.Brush().SetStyle(bsClear);
             c.FillRect(Rect(10, 10, 50, 50));
         }, 0},
        {"clear frame", [](TCanvas &c) {
             c.Brush().SetColor(clRed);
             c.Brush().SetStyle(bsClear);
             c.FrameRect(Rect(10, 10, 50, 50));
         }, 0},
        {"solid frame", [](TCanvas &c) {
             c.Brush().SetColor(clRed);
             c.FrameRect(Rect(10, 10, 50, 50));
         }, 4},
    };
    for (const Case &cs : cases) {
        int blts = 0;
        for (const Rec &r : RecordPage(cs.draw))
            blts += r.type == emf::EMR_BITBLT;
        EXPECT_EQ(blts, cs.blts) << cs.name;
    }
}

// The report's fonts, measured on a screen canvas, on a page being recorded
// with the page's pixels per inch, and by the provider, and carried in the
// text records: one width everywhere, so preview, print and PDF break and
// align text alike.
TEST(MetafilePaths, ReportFontsMeasureAlikeOnScreenOnThePageAndInTheRecords)
{
    struct Case { const char *face; int points; TFontStyles style; int ppi; };
    const int pagePpi = MulDiv(96, 29700, 1123);
    const Case cases[] = {
        {"Calibri", 12, 0, pagePpi}, {"Calibri", 12, fsBold, pagePpi}, {"Calibri", 13, fsBold, pagePpi},
        {"Calibri", 16, fsBold, pagePpi}, {"Calibri", 26, fsBold, pagePpi}, {"Calibri", 28, fsBold, pagePpi},
        {"Calibri", 11, 0, pagePpi}, {"Calibri", 9, 0, pagePpi}, {"Arial", 8, 0, 96}, {"Calibri", 12, 0, 96},
    };
    const std::string text = "Ruwe vaardigheidsscore (seconden)";
    for (const Case &cs : cases) {
        SCOPED_TRACE(testing::Message() << cs.face << " " << cs.points << (cs.style ? " bold" : "") << " at " << cs.ppi);
        TFont font;
        font.SetName(cs.face);
        font.SetPixelsPerInch(cs.ppi);
        font.SetSize(cs.points);
        font.SetStyle(cs.style);
        EXPECT_EQ(font.Height(), -MulDiv(cs.points, cs.ppi, 72));

        QImage img(10, 10, QImage::Format_RGB32);
        TCanvas screen(&img);
        screen.SetFont(font);
        const int width = TFontProvider::Instance().Scaled(font).TextWidth(text);
        EXPECT_EQ(screen.TextWidth(text), width);

        int recorded = -1, recordedHeight = 0;
        std::vector<int> dx;
        TMetafile mf;
        mf.SetMMWidth(21000);
        mf.SetMMHeight(29700);
        {
            TMetafileCanvas page(mf);
            page.SetMapMode(MM_ANISOTROPIC);
            page.SetWindowExtEx(21000, 29700);
            page.SetViewportExtEx(794, 1123);
            page.SetFont(font);
            recorded = page.TextWidth(text);
            page.TextOut(1000, 2000, text);
        }
        EXPECT_EQ(recorded, width);
        mf.Enumerate([&](const emf::TEmfRecord &r) {
            if (r.Type() == emf::EMR_EXTCREATEFONTINDIRECTW) {
                emf::TEmrLogFont lf;
                EXPECT_TRUE(emf::ParseLogFont(r, lf));
                recordedHeight = lf.Height;
                EXPECT_EQ(lf.Weight, (cs.style & fsBold) ? 700 : 400);
                EXPECT_EQ(Utf16ToUtf8(lf.FaceName), cs.face);
            } else if (r.Type() == emf::EMR_EXTTEXTOUTW) {
                emf::TEmrExtTextOut t;
                EXPECT_TRUE(emf::ParseExtTextOut(r, t));
                dx = t.Dx;
            }
            return true;
        });
        EXPECT_EQ(recordedHeight, font.Height());
        EXPECT_EQ(dx.size(), text.size());
        EXPECT_EQ(TotalAdvance(dx), width);
    }
    // The tab unit of the report: "A" in the window's 11-pixel Arial.
    TFont window;
    window.SetName("Arial");
    window.SetHeight(-11);
    EXPECT_EQ(TFontProvider::Instance().Scaled(window).TextWidth("A"), 7);
}
