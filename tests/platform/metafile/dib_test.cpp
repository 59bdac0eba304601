// Bitmaps of a page: decoding a part gives exactly the pixels the bitmap has
// there, in every bit count, and playing a page decodes only the part that a
// record draws, once per play, however large the bitmap is.
#include "platform/graphics/Canvas.h"
#include "platform/metafile/EmfRecords.h"
#include "platform/metafile/Metafile.h"
#include "platform/metafile/MetafilePlayer.h"
#include "tests/support/DibRecords.h"

#include <gtest/gtest.h>

#include <optional>

using namespace plat;
namespace emf = plat::emf;

namespace {

// A page of kSide x kSide reference pixels (0.01 mm frame to match).
constexpr int kSide = 200;

std::vector<uint8_t> EmptyPage()
{
    emf::TEmfWriter w;
    const int mm = kSide * 2540 / 96;
    return w.Finish(Rect(0, 0, kSide - 1, kSide - 1), Rect(0, 0, mm, mm), 1);
}

// The bitmap of the page's one bitmap record.
std::optional<emf::TEmrBlt> OnlyBitmap(const std::vector<uint8_t> &page)
{
    std::optional<emf::TEmrBlt> found;
    emf::EnumerateEmf(page.data(), page.size(), [&found](const emf::TEmfRecord &rec) {
        emf::TEmrBlt b;
        if (rec.Type() == emf::EMR_STRETCHDIBITS && emf::ParseBlt(rec, b))
            found = b;
        return true;
    });
    return found;
}

// Words of bitmap rows filled from a running pattern, so that every pixel
// of every bit count differs from its neighbours somewhere.
std::vector<int32_t> PatternBits(int bitCount, int width, int height)
{
    const int strideWords = (width * bitCount + 31) / 32;
    std::vector<int32_t> bits(size_t(strideWords) * size_t(height));
    uint32_t v = 0x12345678u;
    for (int32_t &w : bits) {
        v = v * 1103515245u + 12345u;
        w = int32_t(v);
    }
    return bits;
}

std::vector<int32_t> Palette(int entries)
{
    std::vector<int32_t> p;
    for (int i = 0; i < entries; ++i)
        p.push_back(int32_t((uint32_t(i * 37 % 256) << 16) | (uint32_t(i * 91 % 256) << 8) | uint32_t(255 - i)));
    return p;
}

} // namespace

TEST(DibDecoding, APartHoldsTheBitmapsOwnPixelsInEveryBitCount)
{
    struct Case {
        int bitCount, paletteEntries;
    };
    // 4 bits with a short palette: indices past it are black.
    const Case cases[] = {{1, 2}, {4, 16}, {4, 5}, {8, 256}, {24, 0}, {32, 0}};
    const QRect parts[] = {{0, 0, 13, 5}, {3, 1, 7, 3}, {12, 4, 1, 1}, {9, 2, 40, 40}, {-4, -1, 6, 3}};
    for (const Case &k : cases) {
        std::vector<uint8_t> page = EmptyPage();
        zibor::test::StretchDib(page, k.bitCount, 13, 5, Palette(k.paletteEntries),
                                PatternBits(k.bitCount, 13, 5), Rect(0, 0, 13, 5), Rect(0, 0, 13, 5));
        const std::optional<emf::TEmrBlt> b = OnlyBitmap(page);
        ASSERT_TRUE(b.has_value()) << k.bitCount;
        for (const QRect &part : parts) {
            const QRect inside = part.intersected(QRect(0, 0, 13, 5));
            const QImage img = DibToImage(b->Dib, part);
            ASSERT_EQ(img.size(), inside.size()) << k.bitCount;
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x)
                    ASSERT_EQ(img.pixel(x, y), b->Dib.Pixel(inside.left() + x, inside.top() + y))
                        << k.bitCount << " bits, pixel " << inside.left() + x << "," << inside.top() + y;
        }
        EXPECT_EQ(DibToImage(b->Dib), DibToImage(b->Dib, QRect(0, 0, 13, 5))) << k.bitCount;
    }
}

TEST(DibDecoding, PlayingDecodesOnlyThePartThatIsDrawnOncePerPlay)
{
    // A 1-bit bitmap of 4096 x 2048 pixels, black but for a white block of
    // 16 x 8 pixels, of which a record draws just that block.
    constexpr int kW = 4096, kH = 2048;
    const QRect block(64, 100, 16, 8);
    std::vector<int32_t> bits(size_t(kW / 32) * kH, 0);
    for (int y = block.top(); y <= block.bottom(); ++y)
        for (int x = block.left(); x <= block.right(); ++x) {
            const int row = kH - 1 - y;  // bottom-up
            // Bits run from the high bit of each byte; the words are stored low byte first.
            const int byte = x / 8, bit = 7 - x % 8;
            bits[size_t(row) * (kW / 32) + size_t(byte / 4)] |= int32_t(1u << (8 * (byte % 4) + bit));
        }
    std::vector<uint8_t> bytes = EmptyPage();
    // Rows of the source counted from the bottom, as the record has them.
    zibor::test::StretchDib(bytes, 1, kW, kH, {0x000000, 0xFFFFFF}, bits,
                            Rect(block.left(), kH - 1 - block.bottom(), block.right() + 1, kH - block.top()),
                            Rect(10, 10, 10 + 4 * block.width(), 10 + 4 * block.height()));
    TMetafile page;
    page.SetBytes(bytes);

    QImage target(kSide, kSide, QImage::Format_RGB32);
    for (int play = 1; play <= 2; ++play) {
        target.fill(qRgb(128, 128, 128));
        const uint64_t before = DibPixelsDecoded();
        {
            TCanvas canvas(&target);
            PlayMetafile(canvas, page, Rect(0, 0, kSide, kSide));
        }
        EXPECT_EQ(DibPixelsDecoded() - before, uint64_t(block.width()) * uint64_t(block.height())) << play;
        // The block is drawn, stretched, and nothing of the black around it.
        int white = 0;
        for (int y = 0; y < kSide; ++y)
            for (int x = 0; x < kSide; ++x) {
                ASSERT_NE(target.pixel(x, y), qRgb(0, 0, 0)) << x << "," << y;
                white += target.pixel(x, y) == qRgb(255, 255, 255);
            }
        EXPECT_EQ(white, 4 * block.width() * 4 * block.height()) << play;
    }
}
