// Records, saves, loads and plays a page shaped like the test report (A4 in
// 0.01 mm, about 200 records, two pictures) many times over and prints how
// fast each step goes. Run by hand: bench_emf_page [rounds]
#include "platform/core/SysUtils.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphics.h"
#include "platform/metafile/Metafile.h"
#include "platform/metafile/MetafileCanvas.h"
#include "platform/metafile/MetafilePlayer.h"
#include "tests/support/SampleReport.h"

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
    zibor::test::DrawSampleReport(c, header, footer, kPageW, kPageH);
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
