// A report-like page, recorded and played at several sizes, must keep its
// bytes and its pixels: the figures below were taken from the recorder and
// the text playback before either was tuned for speed, so any change in what
// they produce shows here. ZIBOR_PRINT_GOLDEN=1 prints the figures of the
// current build instead of comparing.
#include "platform/core/SysUtils.h"
#include "platform/graphics/Canvas.h"
#include "platform/metafile/Metafile.h"
#include "platform/metafile/MetafileCanvas.h"
#include "platform/metafile/MetafilePlayer.h"
#include "tests/support/SampleReport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

using namespace plat;

namespace {

uint64_t Fnv(const uint8_t *p, size_t n, uint64_t h = 1469598103934665603ull)
{
    for (size_t i = 0; i < n; ++i)
        h = (h ^ p[i]) * 1099511628211ull;
    return h;
}

uint64_t ImageHash(const QImage &img)
{
    uint64_t h = 1469598103934665603ull;
    for (int y = 0; y < img.height(); ++y)
        h = Fnv(img.constScanLine(y), size_t(img.width()) * 4, h);
    return h;
}

TMetafile RecordSample()
{
    static const auto header = zibor::test::ReportPicture("TPPheader");
    static const auto footer = zibor::test::ReportPicture("TPPfooter");
    TMetafile page;
    page.SetMMWidth(21000);
    page.SetMMHeight(29700);
    TMetafileCanvas c(page);
    c.SetMapMode(MM_ANISOTROPIC);
    c.SetWindowExtEx(21000, 29700);
    c.SetViewportExtEx(794, 1123);
    c.Font().SetPixelsPerInch(MulDiv(96, 29700, 1123));
    zibor::test::DrawSampleReport(c, *header, *footer);
    c.Close();
    return page;
}

} // namespace

TEST(PlaybackGolden, RecordedBytesAndPlayedPixelsStayTheSame)
{
    const bool print = std::getenv("ZIBOR_PRINT_GOLDEN") != nullptr;
    const TMetafile page = RecordSample();
    const std::vector<uint8_t> bytes = page.Bytes();
    const uint64_t recorded = Fnv(bytes.data(), bytes.size());
    struct Case {
        int w, h;
        uint64_t hash;
    };
    // Zoom 50 %, 100 %, 150 % and 100 % again: the second 100 % plays with
    // fonts of other sizes already used, as a preview that zooms does.
    const Case cases[] = {
        {397, 561, 0xd8818e0933377832ull},
        {794, 1123, 0xe09b353265e02e43ull},
        {1191, 1684, 0x59762faa766c7b7aull},
        {794, 1123, 0xe09b353265e02e43ull},
    };
    const uint64_t kRecorded = 0xb1cb6426bea7c554ull;
    if (print)
        std::printf("recorded %zu bytes 0x%016llxull\n", bytes.size(), (unsigned long long)recorded);
    else
        EXPECT_EQ(recorded, kRecorded);
    for (const Case &k : cases) {
        QImage img(k.w, k.h, QImage::Format_RGB32);
        img.fill(Qt::white);
        TCanvas c(&img);
        PlayMetafile(c, page, Rect(0, 0, k.w, k.h));
        const uint64_t h = ImageHash(img);
        if (print)
            std::printf("{%d, %d, 0x%016llxull},\n", k.w, k.h, (unsigned long long)h);
        else
            EXPECT_EQ(h, k.hash) << k.w << " x " << k.h;
    }
}
