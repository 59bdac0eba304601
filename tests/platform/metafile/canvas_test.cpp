// The recorder and the player: a page recorded, saved, loaded and played
// must look like the same drawing made directly, and the records must keep
// the discipline that readers of the page rely on.
#include "platform/core/SysUtils.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphics.h"
#include "platform/metafile/Metafile.h"
#include "platform/metafile/MetafileCanvas.h"
#include "platform/metafile/MetafilePlayer.h"
#include "emf_test_bytes.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

using namespace plat;
namespace emf = plat::emf;
using namespace emftest;

namespace {

constexpr int W = 240, H = 180;

TBitmap Picture()
{
    TBitmap bmp(12, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 12; ++x)
            bmp.Image().setPixel(x, y, qRgb(20 * x, 30 * y, (x * y * 7) & 0xFF));
    return bmp;
}

// Every kind of call the report page makes, and a few it could.
void DrawFixture(TCanvas &c)
{
    const TBitmap picture = Picture();
    c.Brush().SetColor(clWhite);
    c.FillRect(Rect(0, 0, W, H));

    c.Pen().SetColor(RGB(192, 192, 192));
    c.Pen().SetWidth(3);
    c.Brush().SetColor(RGB(255, 255, 230));
    c.Rectangle(8, 8, 120, 70);

    c.Pen().SetWidth(1);
    c.Pen().SetColor(clBlack);
    c.MoveTo(10, 80);
    c.LineTo(200, 80);
    c.LineTo(200, 120);
    c.MoveTo(10, 90);
    c.LineTo(60, 130);
    c.Pen().SetStyle(psDot);
    c.MoveTo(10, 140);
    c.LineTo(230, 140);
    c.Pen().SetStyle(psSolid);

    c.Brush().SetColor(RGB(128, 128, 128));
    c.FillRect(Rect(130, 10, 230, 30));
    c.Brush().SetColor(RGB(160, 160, 164));
    c.FrameRect(Rect(130, 34, 230, 50));

    c.Pen().SetColor(RGB(160, 160, 164));
    c.Pen().SetWidth(2);
    c.Brush().SetColor(clWhite);
    const std::vector<TPoint> triangle = {{180, 118}, {165, 95}, {195, 95}};
    c.Polygon(triangle);
    const std::vector<TPoint> zigzag = {{70, 100}, {80, 110}, {90, 100}, {100, 110}};
    c.Polyline(zigzag);
    c.Ellipse(120, 150, 160, 175);
    c.RoundRect(170, 150, 230, 175, 10, 10);
    c.Brush().SetStyle(bsClear);
    c.Rectangle(205, 85, 235, 115);

    c.Font().SetName("Arial");
    c.Font().SetHeight(-15);
    c.Font().SetColor(clBlack);
    c.Font().SetStyle(fsBold);
    c.SetBkMode(TRANSPARENT);
    c.TextOut(14, 14, "Testrapport");
    c.Font().SetStyle(0);
    c.Font().SetHeight(-12);
    c.TextOut(c.PenPos().X, 34, " naam:");
    c.Brush().SetColor(RGB(128, 128, 128));
    c.Font().SetColor(clWhite);
    c.TextRect(Rect(130, 52, 230, 68), 132, 53, " Variabele ");
    c.Brush().SetStyle(bsClear);
    c.Font().SetColor(RGB(0, 0, 128));
    c.TextOut(20, 100, "Zibolka & co");

    TRect box = Rect(60, 112, 128, 136);
    c.Font().SetColor(clBlack);
    c.DrawText("Zie de handleiding van de ZIBOR", box, DT_WORDBREAK | DT_CENTER | DT_NOPREFIX);

    c.GradientFillRect(Rect(130, 121, 200, 136), RGB(0, 0, 128), clWhite, false);
    c.GradientFillRect(Rect(202, 121, 238, 138), clYellow, RGB(0, 128, 0), true);

    c.Draw(14, 150, picture);
    c.StretchDraw(Rect(40, 145, 100, 175), picture);

    c.SaveDC();
    c.IntersectClipRect(Rect(0, 0, 120, 160));
    c.Pen().SetColor(clRed);
    c.MoveTo(100, 150);
    c.LineTo(140, 150);
    c.RestoreDC(-1);
    c.MoveTo(100, 155);
    c.LineTo(140, 155);

    c.Brush().SetColor(RGB(0, 128, 128));
    c.ExcludeClipRect(Rect(214, 90, 226, 110));
    c.FillRect(Rect(210, 86, 230, 114));
    const TRect band = Rect(0, 176, 120, 179);
    c.SelectClipRect(&band);
    c.FillRect(Rect(0, 170, 240, 180));
    c.SelectClipRect(nullptr);
    c.FillRect(Rect(236, 0, 240, 4));
}

QImage Blank(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

TMetafile Record(void (*draw)(TCanvas &), int w = W, int h = H)
{
    TMetafile mf;
    mf.SetWidth(w);
    mf.SetHeight(h);
    TMetafileCanvas mc(mf);
    draw(mc);
    mc.Close();
    return mf;
}

TMetafile SavedAndLoaded(const TMetafile &mf)
{
    TMemoryStream s;
    mf.SaveToStream(s);
    s.SetPosition(0);
    TMetafile back;
    back.LoadFromStream(s);
    return back;
}

int Differences(const QImage &a, const QImage &b, QPoint *first = nullptr)
{
    if (a.size() != b.size())
        return -1;
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if ((a.pixel(x, y) & 0xFFFFFF) != (b.pixel(x, y) & 0xFFFFFF)) {
                if (n++ == 0 && first)
                    *first = {x, y};
            }
    return n;
}

struct Rec {
    uint32_t type;
    std::vector<uint8_t> bytes;
    uint32_t U32(size_t at) const
    {
        return at + 4 <= bytes.size()
                   ? uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
                         uint32_t(bytes[at + 3]) << 24
                   : 0;
    }
    int32_t I32(size_t at) const { return int32_t(U32(at)); }
};

std::vector<Rec> Records(const TMetafile &mf)
{
    std::vector<Rec> out;
    const emf::TEmfEnumResult r = mf.Enumerate([&out](const emf::TEmfRecord &rec) {
        out.push_back({rec.Type(), std::vector<uint8_t>(rec.Data(), rec.Data() + rec.Size())});
        return true;
    });
    EXPECT_FALSE(r.Damaged);
    EXPECT_EQ(r.Skipped, 0u);
    return out;
}

} // namespace

TEST(MetafilePlayback, RecordedPageLooksLikeDirectDrawing)
{
    QImage direct = Blank(W, H);
    {
        TCanvas c(&direct);
        DrawFixture(c);
    }
    const TMetafile page = SavedAndLoaded(Record(DrawFixture));
    QImage played = Blank(W, H);
    {
        TCanvas c(&played);
        c.StretchDraw(Rect(0, 0, W, H), page);
    }
    QPoint at;
    EXPECT_EQ(Differences(direct, played, &at), 0) << "first at " << at.x() << "," << at.y();
    EXPECT_EQ(Differences(page.ToImage(), direct), 0);
}

// A page played onto another recorder is recorded again, record by record.
TEST(MetafilePlayback, PagePlayedIntoARecorderStaysTheSame)
{
    static TMetafile inner;
    inner = Record(DrawFixture);
    const TMetafile outer = SavedAndLoaded(Record([](TCanvas &c) { c.StretchDraw(Rect(0, 0, W, H), inner); }));
    EXPECT_EQ(Differences(outer.ToImage(), inner.ToImage()), 0);
}

namespace {

// Shapes without text, at scale k and offset (ox, oy), for the stretched
// playback: with whole multiples the stretched page must match exactly.
void DrawShapes(TCanvas &c, int k, int ox, int oy)
{
    auto X = [&](int x) { return ox + k * x; };
    auto Y = [&](int y) { return oy + k * y; };
    c.Brush().SetColor(RGB(230, 240, 255));
    c.FillRect(Rect(X(4), Y(4), X(100), Y(60)));
    c.Pen().SetColor(RGB(192, 192, 192));
    c.Pen().SetWidth(2 * k);
    c.Brush().SetColor(clWhite);
    c.Rectangle(X(10), Y(10), X(60), Y(40));
    c.Pen().SetWidth(k);
    c.Pen().SetColor(clBlack);
    c.MoveTo(X(5), Y(70));
    c.LineTo(X(110), Y(70));
    c.LineTo(X(110), Y(85));
    const std::vector<TPoint> tri = {{X(80), Y(50)}, {X(70), Y(35)}, {X(90), Y(35)}};
    c.Polygon(tri);
    c.StretchDraw(Rect(X(65), Y(5), X(89), Y(21)), Picture());
}

} // namespace

TEST(MetafilePlayback, StretchedIntoATargetRectangle)
{
    struct Case { const char *name; int k, ox, oy; };
    const Case cases[] = {{"same size, moved", 1, 7, 5}, {"twice the size", 2, 0, 0}, {"three times, moved", 3, 4, 9}};
    for (const Case &cs : cases) {
        const int k = cs.k, ox = cs.ox, oy = cs.oy;
        const int w = 120 * k + ox + 3, h = 90 * k + oy + 3;
        QImage direct = Blank(w, h);
        {
            TCanvas c(&direct);
            DrawShapes(c, k, ox, oy);
        }
        const TMetafile page = SavedAndLoaded(Record([](TCanvas &c) { DrawShapes(c, 1, 0, 0); }, 120, 90));
        QImage played = Blank(w, h);
        {
            TCanvas c(&played);
            c.StretchDraw(Rect(ox, oy, ox + 120 * k, oy + 90 * k), page);
        }
        QPoint at;
        EXPECT_EQ(Differences(direct, played, &at), 0) << cs.name << ": first at " << at.x() << "," << at.y();
    }
}

namespace {

// Box of the pixels that are not white.
QRect Ink(const QImage &img)
{
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if ((img.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF)
                box |= QRect(x, y, 1, 1);
    return box;
}

} // namespace

// Stretched text cannot match a direct drawing at the larger size pixel for
// pixel: the page carries the advances rounded at its own size, and those are
// what get stretched. So the text must take k times the room it took on the
// page: font height and advances scale with it.
TEST(MetafilePlayback, StretchedTextTakesTheSameRoom)
{
    static auto text = [](TCanvas &c) {
        c.Font().SetName("Arial");
        c.Font().SetHeight(-12);
        c.Font().SetColor(clBlack);
        c.Brush().SetStyle(bsClear);
        c.TextOut(5, 4, "Ruwe vaardigheidsscore (seconden)");
    };
    QImage direct = Blank(240, 24);
    {
        TCanvas c(&direct);
        text(c);
    }
    const QRect a = Ink(direct);
    const TMetafile page = SavedAndLoaded(Record([](TCanvas &c) { text(c); }, 240, 24));
    for (int k : {2, 3}) {
        QImage played = Blank(240 * k, 24 * k);
        {
            TCanvas c(&played);
            c.StretchDraw(Rect(0, 0, 240 * k, 24 * k), page);
        }
        const QRect b = Ink(played);
        EXPECT_NEAR(b.left(), k * a.left(), k) << k;
        EXPECT_NEAR(b.right() + 1, k * (a.right() + 1), k + 1) << k;
        // Vertically the faint antialiased rows differ from size to size.
        EXPECT_NEAR(b.top(), k * a.top(), k + 2) << k;
        EXPECT_NEAR(b.bottom() + 1, k * (a.bottom() + 1), k + 2) << k;
    }
}

// The page's own mapping (logical units four times finer than pixels) is
// followed when played.
TEST(MetafilePlayback, FollowsThePageMapping)
{
    QImage direct = Blank(120, 90);
    {
        TCanvas c(&direct);
        DrawShapes(c, 1, 0, 0);
    }
    const TMetafile page = SavedAndLoaded(Record(
        [](TCanvas &c) {
            c.SetMapMode(MM_ANISOTROPIC);
            c.SetWindowExtEx(480, 360);
            c.SetViewportExtEx(120, 90);
            DrawShapes(c, 4, 0, 0);
        },
        120, 90));
    QImage played = Blank(120, 90);
    {
        TCanvas c(&played);
        c.StretchDraw(Rect(0, 0, 120, 90), page);
    }
    EXPECT_EQ(Differences(direct, played), 0);
}

// The report's own set-up: A4 in 0.01 mm on a page of its screen size. Played
// at that size, the page rounds every coordinate as the canvas does.
TEST(MetafilePlayback, ReportMappingPlaysLikeDirectDrawing)
{
    static auto a4 = [](TCanvas &c) {
        c.SetMapMode(MM_ANISOTROPIC);
        c.SetWindowExtEx(21000, 29700);
        c.SetViewportExtEx(794, 1123);
        c.SetViewportOrgEx(0, 0);
        DrawShapes(c, 37, 800, 7100);
    };
    QImage direct = Blank(794, 1123);
    {
        TCanvas c(&direct);
        a4(c);
    }
    TMetafile page;
    page.SetMMWidth(21000);
    page.SetMMHeight(29700);
    {
        TMetafileCanvas mc(page);
        a4(mc);
    }
    EXPECT_EQ(page.Width(), 794);
    EXPECT_EQ(page.Height(), 1123);
    QImage played = Blank(794, 1123);
    {
        TCanvas c(&played);
        c.StretchDraw(Rect(0, 0, 794, 1123), SavedAndLoaded(page));
    }
    QPoint at;
    EXPECT_EQ(Differences(direct, played, &at), 0) << "first at " << at.x() << "," << at.y();
}

TEST(MetafilePlayback, LeavesTheTargetCanvasAsItWas)
{
    const TMetafile page = Record(DrawFixture);
    QImage img = Blank(W, H);
    TCanvas c(&img);
    c.Pen().SetColor(clGreen);
    c.Brush().SetColor(clYellow);
    c.Font().SetName("Arial");
    c.SetTextAlign(TA_BASELINE);
    c.SetBkMode(TRANSPARENT);
    c.MoveTo(3, 4);
    c.IntersectClipRect(Rect(0, 0, 100, 100));
    c.StretchDraw(Rect(0, 0, W, H), page);
    EXPECT_EQ(c.Pen().Color(), clGreen);
    EXPECT_EQ(c.Brush().Color(), clYellow);
    EXPECT_EQ(c.Font().Name(), "Arial");
    EXPECT_EQ(c.TextAlign(), unsigned(TA_BASELINE));
    EXPECT_EQ(c.BkMode(), int(TRANSPARENT));
    EXPECT_EQ(c.PenPos(), Point(3, 4));
    EXPECT_EQ(c.ClipRect(), Rect(0, 0, 100, 100));
    // Nothing outside the clip the caller set.
    for (int y = 0; y < H; ++y)
        for (int x = 100; x < W; ++x)
            ASSERT_EQ(img.pixel(x, y) & 0xFFFFFF, 0xFFFFFFu) << x << "," << y;
}

// ---------------------------------------------------------------- records

TEST(MetafileRecorder, HeaderDescribesThePage)
{
    const TMetafile page = Record([](TCanvas &c) {
        c.Pen().SetWidth(1);
        c.Rectangle(10, 20, 110, 70);
        c.Brush().SetColor(clRed);
        c.FillRect(Rect(5, 30, 15, 40));
    });
    const std::vector<uint8_t> bytes = page.Bytes();
    const emf::TEmfHeader h = page.Header();
    EXPECT_EQ(h.Frame, Rect(0, 0, page.MMWidth(), page.MMHeight()));
    EXPECT_EQ(page.Width(), W);
    EXPECT_EQ(page.Height(), H);
    EXPECT_EQ(h.Bounds, Rect(5, 20, 109, 69));
    EXPECT_EQ(h.Device.cx * 254, h.Millimeters.cx * 960);
    EXPECT_EQ(h.Bytes, bytes.size());
    const std::vector<Rec> recs = Records(page);
    EXPECT_EQ(h.Records, recs.size());
    EXPECT_EQ(recs.front().type, emf::EMR_HEADER);
    EXPECT_EQ(recs.back().type, emf::EMR_EOF);
    uint32_t highest = 0;
    for (const Rec &r : recs)
        if (r.type == emf::EMR_CREATEPEN || r.type == emf::EMR_CREATEBRUSHINDIRECT ||
            r.type == emf::EMR_EXTCREATEFONTINDIRECTW)
            highest = std::max(highest, r.U32(8));
    EXPECT_EQ(h.Handles, highest + 1);
}

TEST(MetafileRecorder, EmptyPageHasNoBoundsAndOneHandle)
{
    const TMetafile page = Record([](TCanvas &) {});
    const emf::TEmfHeader h = page.Header();
    EXPECT_EQ(h.Bounds, Rect(0, 0, -1, -1));
    EXPECT_EQ(h.Handles, 1);
    EXPECT_EQ(Records(page).size(), 2u);
}

// Handles: every object takes the lowest free handle, is selected only while
// it exists, is deleted only when no context (current or saved) holds it,
// and is deleted by the end of the page.
TEST(MetafileRecorder, HandleDiscipline)
{
    static void (*draws[])(TCanvas &) = {
        DrawFixture,
        [](TCanvas &c) {
            for (TColor col : {clRed, clGreen, clBlue, clRed}) {
                c.Pen().SetColor(col);
                c.MoveTo(0, 0);
                c.LineTo(10, 10);
            }
        },
        [](TCanvas &c) {
            c.Pen().SetColor(clRed);
            c.LineTo(5, 5);
            c.SaveDC();
            c.Pen().SetColor(clBlue);
            c.LineTo(6, 6);
            c.SaveDC();
            c.Pen().SetColor(clGreen);
            c.Brush().SetColor(clYellow);
            c.Rectangle(0, 0, 9, 9);
            c.RestoreDC(1);
            c.LineTo(7, 7);
        },
    };
    for (auto draw : draws) {
        const TMetafile page = Record(draw);
        const std::vector<Rec> recs = Records(page);
        std::set<uint32_t> live;
        std::map<int, uint32_t> selected; // kind -> handle (0 = stock)
        std::map<uint32_t, int> kindOf;
        std::vector<std::map<int, uint32_t>> saved;
        auto heldBySaved = [&](uint32_t h) {
            for (const auto &s : saved)
                for (const auto &[k, v] : s)
                    if (v == h)
                        return true;
            return false;
        };
        for (const Rec &r : recs) {
            const uint32_t h = r.U32(8);
            switch (r.type) {
            case emf::EMR_CREATEPEN: case emf::EMR_CREATEBRUSHINDIRECT: case emf::EMR_EXTCREATEFONTINDIRECTW: {
                uint32_t lowest = 1;
                while (live.count(lowest))
                    ++lowest;
                EXPECT_EQ(h, lowest) << "not the lowest free handle";
                live.insert(h);
                kindOf[h] = int(r.type);
                break;
            }
            case emf::EMR_SELECTOBJECT:
                if (h & emf::ENHMETA_STOCK_OBJECT) {
                    const uint32_t s = h & ~emf::ENHMETA_STOCK_OBJECT;
                    selected[s <= emf::NULL_BRUSH ? emf::EMR_CREATEBRUSHINDIRECT
                             : s <= emf::NULL_PEN ? emf::EMR_CREATEPEN
                                                  : emf::EMR_EXTCREATEFONTINDIRECTW] = 0;
                } else {
                    EXPECT_TRUE(live.count(h)) << "selects a handle that does not exist: " << h;
                    selected[kindOf[h]] = h;
                }
                break;
            case emf::EMR_DELETEOBJECT:
                EXPECT_TRUE(live.count(h)) << "deletes a handle twice: " << h;
                EXPECT_NE(selected[kindOf[h]], h) << "deletes a selected object: " << h;
                live.erase(h);
                break;
            case emf::EMR_SAVEDC: saved.push_back(selected); break;
            case emf::EMR_RESTOREDC:
                EXPECT_EQ(r.I32(8), -1);
                ASSERT_FALSE(saved.empty());
                selected = saved.back();
                saved.pop_back();
                for (const auto &[k, v] : selected)
                    EXPECT_TRUE(v == 0 || live.count(v)) << "a saved context lost its object";
                break;
            default:
                EXPECT_NE(r.type, 95u) << "EXTCREATEPEN";
                break;
            }
            if (r.type == emf::EMR_DELETEOBJECT) {
                EXPECT_FALSE(heldBySaved(h)) << "deleted while a saved context holds it";
            }
        }
        EXPECT_TRUE(live.empty()) << live.size() << " objects never deleted";
    }
}

TEST(MetafileRecorder, PenChangesReuseTheFreedHandle)
{
    const TMetafile page = Record([](TCanvas &c) {
        for (TColor col : {clRed, clGreen, clBlue}) {
            c.Pen().SetColor(col);
            c.LineTo(10, 10);
        }
    });
    std::vector<uint32_t> pens;
    for (const Rec &r : Records(page))
        if (r.type == emf::EMR_CREATEPEN)
            pens.push_back(r.U32(8));
    EXPECT_EQ(pens, (std::vector<uint32_t>{1, 3, 1})); // 2 is the brush
}

// The forms the PDF conversion reads.
TEST(MetafileRecorder, RecordForms)
{
    static int textWidth;
    const TMetafile page = Record([](TCanvas &c) {
        c.SetMapMode(MM_ANISOTROPIC);
        c.SetWindowExtEx(21000, 29700);
        c.SetViewportExtEx(794, 1123);
        c.SetViewportOrgEx(0, 0);
        c.Font().SetName("Calibri");
        c.Font().SetPixelsPerInch(2539);
        c.Font().SetSize(12);
        c.SetBkMode(TRANSPARENT);
        c.TextOut(1000, 2000, "Scores");
        textWidth = c.TextWidth("Scores");
        c.Brush().SetColor(RGB(128, 128, 128));
        c.TextRect(Rect(800, 3000, 7000, 3500), 800, 2960, " Variabele ");
        c.FillRect(Rect(100, 100, 200, 200));
        c.Pen().SetStyle(psClear);
        c.Rectangle(0, 0, 10, 10);
        c.SetStretchBltMode(COLORONCOLOR);
        c.StretchDraw(Rect(200, 300, 14500, 5300), Picture());
    }, 794, 1123);
    const std::vector<Rec> recs = Records(page);
    std::vector<uint32_t> types;
    for (const Rec &r : recs)
        types.push_back(r.type);
    auto find = [&](uint32_t type, int n = 0) -> const Rec & {
        for (const Rec &r : recs)
            if (r.type == type && n-- == 0)
                return r;
        static Rec none{0, {}};
        ADD_FAILURE() << "no record " << type;
        return none;
    };
    // Mapping first, in the order set.
    EXPECT_EQ(std::vector<uint32_t>(types.begin() + 1, types.begin() + 5),
              (std::vector<uint32_t>{emf::EMR_SETMAPMODE, emf::EMR_SETWINDOWEXTEX, emf::EMR_SETVIEWPORTEXTEX,
                                     emf::EMR_SETVIEWPORTORGEX}));
    EXPECT_EQ(find(emf::EMR_SETMAPMODE).U32(8), 8u);
    EXPECT_EQ(find(emf::EMR_SETWINDOWEXTEX).U32(8), 21000u);
    EXPECT_EQ(find(emf::EMR_SETVIEWPORTEXTEX).U32(12), 1123u);

    // The font in page units: 12 points at the page's pixels per inch.
    const Rec &font = find(emf::EMR_EXTCREATEFONTINDIRECTW);
    EXPECT_EQ(font.I32(12), -MulDiv(12, 2539, 72));
    EXPECT_EQ(font.bytes[40], 'C');

    // Unclipped text: no options, the (0, 0, -1, -1) rectangle, advances that
    // add up to the text width.
    const Rec &text = find(emf::EMR_EXTTEXTOUTW);
    EXPECT_EQ(text.I32(36), 1000);
    EXPECT_EQ(text.I32(40), 2000);
    EXPECT_EQ(text.U32(44), 6u);
    EXPECT_EQ(text.U32(52), 0u);
    EXPECT_EQ(text.I32(56), 0);
    EXPECT_EQ(text.I32(64), -1);
    EXPECT_EQ(text.I32(68), -1);
    int sum = 0;
    for (int i = 0; i < 6; ++i)
        sum += text.I32(text.U32(72) + 4 * i);
    EXPECT_EQ(sum, textWidth);

    // Opaque clipped text on the brush colour.
    const Rec &boxed = find(emf::EMR_EXTTEXTOUTW, 1);
    EXPECT_EQ(boxed.U32(52), unsigned(ETO_OPAQUE | ETO_CLIPPED));
    EXPECT_EQ(boxed.I32(56), 800);
    EXPECT_EQ(boxed.I32(68), 3500);
    TColor lastBk = -1, brush = -1;
    for (const Rec &r : recs) {
        if (&r == &boxed)
            break;
        if (r.type == emf::EMR_SETBKCOLOR)
            lastBk = r.I32(8);
        if (r.type == emf::EMR_CREATEBRUSHINDIRECT)
            brush = r.I32(16);
    }
    EXPECT_EQ(lastBk, RGB(128, 128, 128));
    EXPECT_EQ(brush, RGB(128, 128, 128));

    // FillRect: a pattern copy with the brush and no source bitmap.
    const Rec &blt = find(emf::EMR_BITBLT);
    EXPECT_EQ(blt.U32(40), emf::PATCOPY);
    EXPECT_EQ(blt.I32(24), 100);
    EXPECT_EQ(blt.I32(32), 100);
    EXPECT_EQ(blt.U32(88), 0u);

    // A clear pen is a pen of the null style.
    EXPECT_EQ(find(emf::EMR_CREATEPEN).U32(12), emf::PS_NULL);

    // Pictures: the stretch mode, then a 24-bit DIB.
    size_t dib = 0;
    while (dib < recs.size() && recs[dib].type != emf::EMR_STRETCHDIBITS)
        ++dib;
    ASSERT_LT(dib, recs.size());
    EXPECT_EQ(recs[dib - 1].type, emf::EMR_SETSTRETCHBLTMODE);
    EXPECT_EQ(recs[dib - 1].I32(8), COLORONCOLOR);
    EXPECT_EQ(recs[dib].bytes[recs[dib].U32(48) + 14], 24);
    EXPECT_EQ(recs[dib].I32(72), 14300);
    // Device bounds: inside the page.
    const emf::TEmfHeader h = page.Header();
    EXPECT_GE(h.Bounds.Left, 0);
    EXPECT_LE(h.Bounds.Right, 794);
    EXPECT_LE(h.Bounds.Bottom, 1123);
}

TEST(MetafileRecorder, RestoringSeveralLevelsWritesOneRecordEach)
{
    const TMetafile page = Record([](TCanvas &c) {
        c.SaveDC();
        c.SaveDC();
        c.SaveDC();
        c.RestoreDC(1);
        EXPECT_FALSE(c.RestoreDC(1));
    });
    int restores = 0;
    for (const Rec &r : Records(page))
        if (r.type == emf::EMR_RESTOREDC) {
            ++restores;
            EXPECT_EQ(r.I32(8), -1);
        }
    EXPECT_EQ(restores, 3);
}

TEST(MetafileRecorder, CloseHandsThePageOverOnce)
{
    TMetafile mf;
    mf.SetWidth(50);
    mf.SetHeight(40);
    int changes = 0;
    mf.OnChange = [&](TObject *) { ++changes; };
    {
        TMetafileCanvas mc(mf);
        mc.Rectangle(0, 0, 10, 10);
        EXPECT_TRUE(mf.Empty());
        mc.Close();
        EXPECT_FALSE(mf.Empty());
        mc.Rectangle(0, 0, 20, 20);
    }
    EXPECT_EQ(changes, 1);
    int rects = 0;
    mf.Enumerate([&](const emf::TEmfRecord &r) { return rects += r.Type() == emf::EMR_RECTANGLE, true; });
    EXPECT_EQ(rects, 1);
    EXPECT_EQ(mf.Width(), 50);
}

TEST(MetafileGraphic, LoadsThroughPictureByContent)
{
    const TMetafile page = Record(DrawFixture);
    TMemoryStream s;
    page.SaveToStream(s);
    s.SetPosition(0);
    TPicture pic;
    pic.LoadFromStream(s);
    ASSERT_NE(pic.Graphic(), nullptr);
    EXPECT_STREQ(pic.Graphic()->ClassName(), "TMetafile");
    EXPECT_EQ(pic.Width(), W);
    EXPECT_EQ(Differences(pic.Graphic()->ToImage(), page.ToImage()), 0);

    // A page cut short leaves the picture empty, as bad data of any picture does.
    std::vector<uint8_t> cut = page.Bytes();
    cut.resize(cut.size() / 2);
    TMemoryStream bad;
    bad.WriteBuffer(cut.data(), int64_t(cut.size()));
    bad.SetPosition(0);
    EXPECT_NO_THROW(pic.LoadFromStream(bad));
    EXPECT_TRUE(pic.Empty());

    // So does a page whose frame is wider than an int can hold.
    std::vector<uint8_t> forged = page.Bytes();
    Set32(forged, 24, 0x80000000u); // left edge INT_MIN
    TMemoryStream wide;
    wide.WriteBuffer(forged.data(), int64_t(forged.size()));
    wide.SetPosition(0);
    EXPECT_NO_THROW(pic.LoadFromStream(wide));
    EXPECT_TRUE(pic.Empty());
}

// ---------------------------------------------------------------- untrusted pages

namespace {

QImage PlayBytes(std::vector<uint8_t> bytes, int w = W, int h = H)
{
    TMetafile mf;
    mf.SetBytes(std::move(bytes));
    QImage img = Blank(w, h);
    TCanvas c(&img);
    c.StretchDraw(Rect(0, 0, w, h), mf);
    return img;
}

void RedBlueAndPicture(TCanvas &c)
{
    c.Brush().SetColor(clRed);
    c.FillRect(Rect(0, 0, 20, 20));
    c.StretchDraw(Rect(30, 0, 60, 20), Picture());
    c.Pen().SetColor(clBlue);
    c.Pen().SetWidth(5);
    c.MoveTo(0, 50);
    c.LineTo(100, 50);
}

} // namespace

// A page's text angle is untrusted: any value, INT_MIN too, turns the text
// by that angle within one turn.
TEST(MetafileUntrusted, AnyEscapementTurnsTheTextWithinOneTurn)
{
    const std::vector<uint8_t> page = Record([](TCanvas &c) {
        c.Brush().SetColor(clWhite);
        c.FillRect(Rect(0, 0, W, H));
        c.Font().SetName("Arial");
        c.Font().SetHeight(-24);
        c.Font().SetOrientation(100);
        c.TextOut(60, 90, "Zibor");
    }).Bytes();
    const size_t font = FindRecord(page, emf::EMR_EXTCREATEFONTINDIRECTW);
    const auto withEscapement = [&](int32_t tenths) {
        std::vector<uint8_t> b = page;
        Set32(b, font + 20, static_cast<uint32_t>(tenths)); // lfEscapement
        Set32(b, font + 24, static_cast<uint32_t>(tenths)); // lfOrientation
        return PlayBytes(b);
    };
    EXPECT_EQ(Differences(withEscapement(INT32_MIN), withEscapement(INT32_MIN % 3600)), 0);
    EXPECT_EQ(Differences(withEscapement(INT32_MAX), withEscapement(INT32_MAX % 3600)), 0);
    EXPECT_GT(Differences(withEscapement(900), withEscapement(0)), 0) << "the angle is used";
}

// A record that fails its checks is left out; the rest of the page is drawn.
TEST(MetafileUntrusted, BadRecordsAreLeftOut)
{
    const std::vector<uint8_t> good = Record(RedBlueAndPicture).Bytes();
    struct Case {
        const char *name;
        void (*apply)(std::vector<uint8_t> &);
        bool picture, line;
    };
    const Case cases[] = {
        {"DIB bits outside the record", [](std::vector<uint8_t> &b) { Set32(b, FindRecord(b, emf::EMR_STRETCHDIBITS) + 56, 0x7FFFFFF0); }, false, true},
        {"DIB header past the record", [](std::vector<uint8_t> &b) {
             const size_t at = FindRecord(b, emf::EMR_STRETCHDIBITS);
             Set32(b, at + 48, Get32(b, at + 4) - 8);
         }, false, true},
        {"pen created past nHandles", [](std::vector<uint8_t> &b) { Set32(b, FindRecord(b, emf::EMR_CREATEPEN) + 8, 60000); }, true, false},
        {"pen selected past nHandles", [](std::vector<uint8_t> &b) {
             const size_t pen = FindRecord(b, emf::EMR_CREATEPEN);
             Set32(b, pen + 28 + 8, 4000); // the selection right after the pen
         }, true, false},
        {"huge source rectangle", [](std::vector<uint8_t> &b) {
             const size_t at = FindRecord(b, emf::EMR_STRETCHDIBITS);
             Set32(b, at + 40, 0x7FFFFFFF);
             Set32(b, at + 44, 0x7FFFFFFF);
         }, true, true},
        {"coordinates at the end of int", [](std::vector<uint8_t> &b) {
             const size_t at = FindRecord(b, emf::EMR_LINETO);
             Set32(b, at + 8, 0x7FFFFFFF);
             Set32(b, at + 12, 0x80000000u);
         }, true, false},
    };
    for (const Case &cs : cases) {
        std::vector<uint8_t> bytes = good;
        cs.apply(bytes);
        const QImage img = PlayBytes(bytes);
        EXPECT_EQ(img.pixel(10, 10) & 0xFFFFFF, 0xFF0000u) << cs.name;
        EXPECT_EQ((img.pixel(31, 1) & 0xFFFFFF) != 0xFFFFFFu, cs.picture) << cs.name;
        // Without its pen the line is drawn with the previous one (or not at all).
        EXPECT_EQ((img.pixel(50, 50) & 0xFFFFFF) == 0x0000FFu, cs.line) << cs.name;
    }
}

TEST(MetafileUntrusted, PageEndsAtARecordThatDoesNotFit)
{
    std::vector<uint8_t> bytes = Record(RedBlueAndPicture).Bytes();
    Set32(bytes, FindRecord(bytes, emf::EMR_STRETCHDIBITS) + 4, 0);
    const QImage img = PlayBytes(bytes);
    EXPECT_EQ(img.pixel(10, 10) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(img.pixel(31, 1) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(img.pixel(50, 50) & 0xFFFFFF, 0xFFFFFFu);
}

// A selected object that was deleted (or never made) changes nothing.
TEST(MetafileUntrusted, SelectingAFreeHandleKeepsThePreviousObject)
{
    std::vector<uint8_t> bytes = Record([](TCanvas &c) {
        c.Pen().SetColor(clBlue);
        c.Pen().SetWidth(3);
        c.MoveTo(0, 10);
        c.LineTo(100, 10);
        c.Pen().SetColor(clRed);
        c.MoveTo(0, 30);
        c.LineTo(100, 30);
    }).Bytes();
    // The red pen's creation becomes a no-op record.
    Set32(bytes, FindRecord(bytes, emf::EMR_CREATEPEN, 1), 0x7000);
    const QImage img = PlayBytes(bytes);
    EXPECT_EQ(img.pixel(50, 10) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(img.pixel(50, 30) & 0xFFFFFF, 0x0000FFu);
}

// Random damage to a recorded page, played onto a canvas, many times with a
// fixed seed. Under the sanitizers this finds reads out of bounds and
// undefined arithmetic; here it only has to finish.
TEST(MetafileUntrusted, SurvivesRandomDamage)
{
    const std::vector<uint8_t> good = Record(DrawFixture).Bytes();
    std::mt19937 rng(4132);
    int played = 0;
    for (int round = 0; round < 400; ++round) {
        std::vector<uint8_t> bytes = good;
        const int edits = 1 + int(rng() % 6);
        for (int e = 0; e < edits; ++e) {
            const size_t at = emf::kHeaderSize + rng() % (bytes.size() - emf::kHeaderSize - 4);
            switch (rng() % 3) {
            case 0: bytes[at] = uint8_t(rng()); break;
            case 1: Set32(bytes, at & ~size_t(3), rng()); break;
            default: Set32(bytes, at & ~size_t(3), uint32_t(int32_t(rng() % 2000) - 1000)); break;
            }
        }
        try {
            PlayBytes(bytes, 60, 45);
            ++played;
        } catch (const EInvalidMetafile &) {
        }
    }
    EXPECT_EQ(played, 400);
}
