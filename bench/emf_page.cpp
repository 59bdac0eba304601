// Records, saves, loads and plays a page shaped like the test report (A4 in
// 0.01 mm, about 200 records, two pictures) many times over and prints how
// fast each step goes. Run by hand: bench_emf_page [rounds]
#include "platform/Canvas.h"
#include "platform/Graphics.h"
#include "platform/Metafile.h"
#include "platform/MetafileCanvas.h"
#include "platform/MetafilePlayer.h"
#include "platform/SysUtils.h"

#include <QGuiApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace plat;

namespace {

constexpr int kPageW = 21000, kPageH = 29700;  // 0.01 mm
constexpr int kPixW = 794, kPixH = 1123;        // at 96 pixels per inch

TBitmap MakePicture(int w, int h)
{
    TBitmap b(w, h);
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<QRgb *>(b.Image().scanLine(y));
        for (int x = 0; x < w; ++x)
            line[x] = qRgb((x * 255) / w, (y * 255) / h, ((x ^ y) & 0x3F) + 128);
    }
    return b;
}

void DrawReport(TCanvas &c, const TBitmap &header, const TBitmap &footer)
{
    c.SetMapMode(MM_ANISOTROPIC);
    c.SetWindowExtEx(kPageW, kPageH);
    c.SetViewportExtEx(kPixW, kPixH);
    c.SetViewportOrgEx(0, 0);
    c.Font().SetPixelsPerInch(MulDiv(96, kPageH, kPixH));
    c.StretchDraw(Rect(200, 300, kPageW - 6500, 5300), header);
    c.Font().SetName("Calibri");
    c.Font().SetSize(13);
    c.SetBkColor(clWhite);
    c.SetBkMode(TRANSPARENT);
    c.Font().SetSize(26);
    c.Font().SetStyle(fsBold);
    c.TextRect(Rect(1000, 6000, kPageW - 500, kPageH - 1500), 1000, 5800, "Testrapport");
    c.Pen().SetWidth(30);
    c.Pen().SetColor(RGB(192, 192, 192));
    c.Font().SetSize(12);
    c.Font().SetStyle(0);
    c.TextRect(Rect(6000, 6000, kPageW - 500, kPageH - 1500), 8000, 6200,
               "ZIBOR Afnameprogramma Versie 2.2.1.3        Datum afdruk: 10-12-2026");
    c.Brush().SetColor(clWhite);
    c.Rectangle(800, 7100, kPageW - 800, 14100);
    c.Rectangle(800, 14600, kPageW - 800, 21600);
    const int lh = c.TextHeight("A");
    int y = 7000;
    const char *labels[] = {"Code / Naam", "Geslacht", "Geboortedatum [dd-mm-jjjj]", "Leeftijd [jaar;maand]",
                            "Afnamedatum [dd-mm-jjjj]", "Testleider", "Naam", "Groep"};
    for (int block = 0; block < 3; ++block) {
        c.Font().SetSize(16);
        c.Font().SetStyle(fsBold);
        c.TextOut(951, y, block == 0 ? "Personalia" : block == 1 ? "Afnamegegevens" : "School/Instelling");
        y += lh;
        for (int row = 0; row < (block == 0 ? 4 : 2); ++row) {
            c.Font().SetSize(12);
            c.Font().SetStyle(0);
            c.TextOut(1301, y, labels[(block * 2 + row) % 8]);
            c.TextOut(5851, y, ":   ");
            c.Font().SetStyle(fsBold);
            c.TextOut(c.PenPos().X, y, "waarde " + std::to_string(row));
            y += lh;
        }
    }
    y = 14800;
    const TColor cells[3] = {RGB(128, 128, 128), RGB(160, 160, 164), RGB(192, 192, 192)};
    int left = 1300;
    for (int i = 0; i < 3; ++i) {
        c.Brush().SetColor(cells[i]);
        const TRect cell{left, y + 240, left + 6000, y + 740};
        c.FillRect(cell);
        c.Font().SetSize(13);
        c.Font().SetStyle(fsBold);
        c.Font().SetColor(i == 0 ? clWhite : clBlack);
        c.TextRect(cell, left + 100, y + 200, i == 0 ? " Variabele " : i == 1 ? " FoneemWeglating " : " FoneemVerwisseling ");
        left += 6100;
    }
    c.Brush().SetColor(clWhite);
    c.Brush().SetStyle(bsClear);
    c.Font().SetColor(clBlack);
    for (int row = 0; row < 4; ++row) {
        y += 1000;
        c.Font().SetSize(12);
        c.Font().SetStyle(fsBold);
        c.TextOut(1301, y, "Subtest T-score [95% BI]");
        c.Font().SetStyle(0);
        c.Pen().SetWidth(40);
        c.Pen().SetColor(RGB(160, 160, 164));
        c.Brush().SetStyle(bsSolid);
        c.Rectangle(9000, y - 100, 10200, y + 600);
        c.Rectangle(10400, y - 100, 13000, y + 600);
        c.Brush().SetStyle(bsClear);
        c.TextOut(9200, y - 50, " 52");
        c.TextOut(10700, y, "[45 - 59]");
        c.MoveTo(800, y + 700);
        c.LineTo(kPageW - 800, y + 700);
    }
    c.MoveTo(9450, y - 250);
    c.LineTo(9450, y);
    c.LineTo(13500, y);
    c.LineTo(13500, y + 200);
    c.Brush().SetStyle(bsSolid);
    c.Polygon(std::vector<TPoint>{{13550, y + 400}, {13300, y + 100}, {13800, y + 100}});
    y = 22500;
    c.Font().SetSize(11);
    for (int line = 0; line < 6; ++line) {
        c.TextOut(800, y, "  Dit onderzoeksrapport is gegenereerd met een computerprogramma dat deel uitmaakt van de Zibolka");
        y += lh;
    }
    c.StretchDraw(Rect(700, y, kPageW - 4500, y + 2100), footer);
    c.Font().SetSize(9);
    for (int line = 0; line < 3; ++line) {
        c.TextOut(kPageW - 4500 - 10400, y + line * lh, "Uitgever, adres en website");
    }
}

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

} // namespace

int main(int argc, char **argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    const TBitmap header = MakePicture(778, 362), footer = MakePicture(1200, 543);

    using clock = std::chrono::steady_clock;
    clock::duration tRecord{}, tSave{}, tLoad{}, tPlay{};
    uint32_t records = 0;
    size_t bytes = 0;
    QImage target(kPixW, kPixH, QImage::Format_RGB32);
    for (int i = 0; i < rounds; ++i) {
        auto t0 = clock::now();
        TMetafile page;
        page.SetMMWidth(kPageW);
        page.SetMMHeight(kPageH);
        {
            TMetafileCanvas canvas(page);
            DrawReport(canvas, header, footer);
            canvas.Close();
            records = canvas.RecordCount();
        }
        auto t1 = clock::now();
        TMemoryStream stream;
        page.SaveToStream(stream);
        bytes = size_t(stream.Size());
        auto t2 = clock::now();
        stream.SetPosition(0);
        TMetafile loaded;
        loaded.LoadFromStream(stream);
        auto t3 = clock::now();
        target.fill(Qt::white);
        TCanvas screen(&target);
        PlayMetafile(screen, loaded, Rect(0, 0, kPixW, kPixH));
        auto t4 = clock::now();
        tRecord += t1 - t0;
        tSave += t2 - t1;
        tLoad += t3 - t2;
        tPlay += t4 - t3;
    }
    const double total = Seconds(tRecord + tSave + tLoad + tPlay);
    std::printf("page: %u records, %zu bytes, 2 pictures; %d rounds\n", records, bytes, rounds);
    auto line = [&](const char *what, clock::duration d) {
        const double s = Seconds(d);
        std::printf("%-8s %10.1f us/page %14.0f records/s\n", what, s * 1e6 / rounds, records * double(rounds) / s);
    };
    line("record", tRecord);
    line("save", tSave);
    line("load", tLoad);
    line("play", tPlay);
    std::printf("%-8s %10.1f us/page %14.0f records/s\n", "all", total * 1e6 / rounds, records * double(rounds) / total);
    return 0;
}
