// Cursor files built here byte by byte: plain and animated cursors read
// right, damaged ones are refused without reading outside the buffer, and
// screen cursors by number reach Qt.
#include "platform/core/Streams.h"
#include "platform/gui/Cursors.h"
#include "platform/gui/Forms.h"

#include <QApplication>
#include <QBuffer>
#include <QCursor>
#include <gtest/gtest.h>

#include <random>
#include <stdexcept>

using namespace plat;

namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes &b, unsigned v)
{
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}

void Put32(Bytes &b, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back((v >> (8 * i)) & 0xFF);
}

void PutTag(Bytes &b, const char *tag) { b.insert(b.end(), tag, tag + 4); }

// A DIB as icon files hold it: colour rows bottom-up, then the AND mask.
// pixels are ARGB, top row first; mask bits set mean transparent.
Bytes Dib(int w, int h, int bpp, const std::vector<QRgb> &pixels, const std::vector<bool> &mask)
{
    Bytes b;
    Put32(b, 40);
    Put32(b, w);
    Put32(b, 2 * h);
    Put16(b, 1);
    Put16(b, bpp);
    for (int i = 0; i < 6; ++i)
        Put32(b, 0);
    const int stride = ((w * bpp + 31) / 32) * 4;
    for (int y = h - 1; y >= 0; --y) {
        Bytes row;
        for (int x = 0; x < w; ++x) {
            const QRgb p = pixels[y * w + x];
            row.push_back(qBlue(p));
            row.push_back(qGreen(p));
            row.push_back(qRed(p));
            if (bpp == 32)
                row.push_back(qAlpha(p));
        }
        row.resize(stride, 0);
        b.insert(b.end(), row.begin(), row.end());
    }
    const int maskStride = ((w + 31) / 32) * 4;
    for (int y = h - 1; y >= 0; --y) {
        Bytes row(maskStride, 0);
        for (int x = 0; x < w; ++x)
            if (mask[y * w + x])
                row[x / 8] |= 0x80 >> (x % 8);
        b.insert(b.end(), row.begin(), row.end());
    }
    return b;
}

struct Entry {
    int w, h, hotX, hotY;
    Bytes image;
};

Bytes CurFile(const std::vector<Entry> &entries, unsigned type = 2)
{
    Bytes b;
    Put16(b, 0);
    Put16(b, type);
    Put16(b, static_cast<unsigned>(entries.size()));
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(entries.size());
    for (const Entry &e : entries) {
        b.push_back(static_cast<uint8_t>(e.w));
        b.push_back(static_cast<uint8_t>(e.h));
        b.push_back(0);
        b.push_back(0);
        Put16(b, e.hotX);
        Put16(b, e.hotY);
        Put32(b, static_cast<uint32_t>(e.image.size()));
        Put32(b, offset);
        offset += static_cast<uint32_t>(e.image.size());
    }
    for (const Entry &e : entries)
        b.insert(b.end(), e.image.begin(), e.image.end());
    return b;
}

Bytes Png(int w, int h, QRgb colour)
{
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(colour);
    QByteArray data;
    QBuffer buf(&data);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "PNG");
    return Bytes(data.begin(), data.end());
}

void Chunk(Bytes &b, const char *tag, const Bytes &body)
{
    PutTag(b, tag);
    Put32(b, static_cast<uint32_t>(body.size()));
    b.insert(b.end(), body.begin(), body.end());
    if (body.size() & 1)
        b.push_back(0);
}

Bytes AniFile(const std::vector<Bytes> &frames, const std::vector<uint32_t> &seq, const std::vector<uint32_t> &rates,
              uint32_t defaultRate = 10)
{
    Bytes anih;
    const uint32_t steps = seq.empty() ? static_cast<uint32_t>(frames.size()) : static_cast<uint32_t>(seq.size());
    for (uint32_t v : {36u, static_cast<uint32_t>(frames.size()), steps, 0u, 0u, 0u, 0u, defaultRate,
                       seq.empty() ? 1u : 3u})
        Put32(anih, v);
    Bytes body;
    PutTag(body, "ACON");
    Chunk(body, "anih", anih);
    auto list = [](const std::vector<uint32_t> &v) {
        Bytes out;
        for (uint32_t x : v)
            Put32(out, x);
        return out;
    };
    if (!rates.empty())
        Chunk(body, "rate", list(rates));
    if (!seq.empty())
        Chunk(body, "seq ", list(seq));
    Bytes fram;
    PutTag(fram, "fram");
    for (const Bytes &f : frames)
        Chunk(fram, "icon", f);
    Chunk(body, "LIST", fram);
    Bytes file;
    Chunk(file, "RIFF", body);
    return file;
}

const QRgb kRed = qRgba(255, 0, 0, 255), kGreen = qRgba(0, 255, 0, 200), kBlue = qRgba(0, 0, 255, 255),
           kWhite = qRgba(255, 255, 255, 255);

Bytes TwoByTwo()
{
    return CurFile({{2, 2, 1, 0, Dib(2, 2, 32, {kRed, kGreen, kBlue, kWhite}, {false, false, false, false})}});
}

TEST(GuiCursors, A32BitCursorKeepsItsPixelsAlphaAndHotSpot)
{
    const Bytes file = TwoByTwo();
    auto c = ReadCursorFile(file.data(), file.size());
    ASSERT_TRUE(c);
    ASSERT_EQ(c->Frames.size(), 1u);
    const TCursorFrame &f = c->Frames[0];
    EXPECT_EQ(f.HotX, 1);
    EXPECT_EQ(f.HotY, 0);
    EXPECT_EQ(f.Image.pixel(0, 0), kRed) << "rows are stored bottom-up";
    EXPECT_EQ(f.Image.pixel(1, 0), kGreen);
    EXPECT_EQ(f.Image.pixel(0, 1), kBlue);
    EXPECT_FALSE(c->Animated());
}

TEST(GuiCursors, WithoutAlphaTheMaskDecidesTransparency)
{
    const Bytes file = CurFile({{2, 1, 0, 0, Dib(2, 1, 24, {kRed, kBlue}, {true, false})}});
    auto c = ReadCursorFile(file.data(), file.size());
    ASSERT_TRUE(c);
    EXPECT_EQ(qAlpha(c->Frames[0].Image.pixel(0, 0)), 0);
    EXPECT_EQ(c->Frames[0].Image.pixel(1, 0), kBlue);
}

TEST(GuiCursors, PngEntriesAndTheLargestImageWin)
{
    const Bytes file = CurFile({{2, 2, 0, 0, Dib(2, 2, 32, {kRed, kRed, kRed, kRed}, {0, 0, 0, 0})},
                                {32, 32, 5, 7, Png(32, 32, kBlue)}});
    auto c = ReadCursorFile(file.data(), file.size());
    ASSERT_TRUE(c);
    EXPECT_EQ(c->Frames[0].Image.width(), 32);
    EXPECT_EQ(c->Frames[0].Image.pixel(3, 3), kBlue);
    EXPECT_EQ(c->Frames[0].HotX, 5);
    EXPECT_EQ(c->Frames[0].HotY, 7);
}

TEST(GuiCursors, AnAnimatedCursorFollowsItsSequenceAndRates)
{
    const Bytes red = CurFile({{1, 1, 0, 0, Dib(1, 1, 32, {kRed}, {false})}});
    const Bytes blue = CurFile({{1, 1, 0, 0, Dib(1, 1, 32, {kBlue}, {false})}});
    const Bytes ani = AniFile({red, blue}, {1, 0, 1}, {6, 12, 30});
    auto c = ReadAnimatedCursor(ani.data(), ani.size());
    ASSERT_TRUE(c);
    EXPECT_TRUE(c->Animated());
    EXPECT_EQ(c->StepCount(), 3u);
    EXPECT_EQ(c->StepFrame(0).Image.pixel(0, 0), kBlue);
    EXPECT_EQ(c->StepFrame(1).Image.pixel(0, 0), kRed);
    EXPECT_EQ(c->StepMilliseconds(0), 100);
    EXPECT_EQ(c->StepMilliseconds(1), 200);
    EXPECT_EQ(c->StepMilliseconds(2), 500);

    // Without sequence and rates: the frames in order at the header's rate.
    const Bytes plain = AniFile({red, blue}, {}, {}, 3);
    auto p = ReadAnyCursor(plain);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->StepCount(), 2u);
    EXPECT_EQ(p->StepMilliseconds(1), 50);
}

TEST(GuiCursors, DamagedFilesAreRefused)
{
    const Bytes good = TwoByTwo();
    const Bytes red = CurFile({{1, 1, 0, 0, Dib(1, 1, 32, {kRed}, {false})}});
    struct Case {
        const char *name;
        Bytes bytes;
    };
    std::vector<Case> cases;
    {
        Bytes b = good;
        b[6 + 12] = 0xF0; // image offset past the end
        cases.push_back({"offset past the end", b});
    }
    {
        Bytes b = good;
        b[6 + 8] = 0xFF, b[6 + 9] = 0xFF; // image size past the end
        cases.push_back({"size past the end", b});
    }
    {
        Bytes b = good;
        b[22 + 4] = 0x00, b[22 + 5] = 0x10; // width 4096
        cases.push_back({"huge width", b});
    }
    {
        Bytes b = good;
        b[22 + 8] = 3; // odd height: no mask half
        cases.push_back({"odd height", b});
    }
    {
        Bytes b = good;
        b[22 + 14] = 16; // 16 bits per pixel is not used in cursors
        cases.push_back({"16 bits", b});
    }
    {
        Bytes b = good;
        b[2] = 3;
        cases.push_back({"neither icon nor cursor", b});
    }
    {
        Bytes b = good;
        b[4] = 0xFF, b[5] = 0xFF; // 65535 entries
        cases.push_back({"entry count", b});
    }
    cases.push_back({"sequence names a missing frame", AniFile({red}, {0, 4}, {})});
    {
        Bytes b = AniFile({red}, {}, {});
        b[16] = 0xFF, b[17] = 0xFF, b[18] = 0xFF; // anih size
        cases.push_back({"chunk past the end", b});
    }
    cases.push_back({"animated cursor without frames", AniFile({}, {}, {})});
    for (const Case &c : cases)
        EXPECT_EQ(ReadAnyCursor(c.bytes), nullptr) << c.name;
}

TEST(GuiCursors, EveryTruncationAndRandomDamageIsReadSafely)
{
    const Bytes red = CurFile({{1, 1, 0, 0, Dib(1, 1, 32, {kRed}, {false})}});
    for (const Bytes &whole : {TwoByTwo(), AniFile({red, red}, {1, 0}, {5, 5})}) {
        for (size_t n = 0; n < whole.size(); ++n) {
            const Bytes part(whole.begin(), whole.begin() + static_cast<long>(n));
            auto c = ReadAnyCursor(part);
            if (c) {
                ASSERT_FALSE(c->Frames.empty());
                for (size_t s = 0; s < c->StepCount(); ++s)
                    EXPECT_FALSE(c->StepFrame(s).Image.isNull());
            }
        }
        std::mt19937 rng(7);
        for (int round = 0; round < 400; ++round) {
            Bytes b = whole;
            for (int k = 0; k < 4; ++k)
                b[rng() % b.size()] = static_cast<uint8_t>(rng());
            if (auto c = ReadAnyCursor(b)) {
                for (size_t s = 0; s < c->StepCount(); ++s)
                    EXPECT_FALSE(c->StepFrame(s).Image.isNull());
            }
        }
    }
}

TEST(GuiCursors, ScreenCursorsByNumberIncludingRegisteredOnes)
{
    const Bytes file = TwoByTwo();
    Screen()->SetCursors(1, ReadCursorFile(file.data(), file.size()));
    Screen()->SetCursor(1);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::BitmapCursor);
    EXPECT_EQ(QApplication::overrideCursor()->hotSpot(), QPoint(1, 0));
    Screen()->SetCursor(crHourGlass);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    Screen()->SetCursor(crDefault);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(Screen()->QtCursor(crHandPoint).shape(), Qt::PointingHandCursor);
    EXPECT_EQ(LoadCursorResource("no such cursor"), nullptr);
    Screen()->SetCursors(1, nullptr);
}

// The busy cursor puts up the hourglass and gives back whatever was shown
// before, on a normal exit and when the work inside throws, also nested.
TEST(GuiCursors, TheBusyCursorGivesBackThePreviousCursorOnEveryExit)
{
    for (const TCursor before : {crDefault, crHandPoint}) {
        SCOPED_TRACE(before);
        Screen()->SetCursor(before);
        {
            const TBusyCursor busy;
            EXPECT_EQ(Screen()->Cursor(), crHourGlass);
            ASSERT_NE(QApplication::overrideCursor(), nullptr);
            EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        }
        EXPECT_EQ(Screen()->Cursor(), before);

        TCursor during = crDefault, inner = crDefault;
        EXPECT_THROW(
            {
                const TBusyCursor busy;
                during = Screen()->Cursor();
                {
                    const TBusyCursor nested;
                    Screen()->SetCursor(crCross); // the work changes it meanwhile
                }
                inner = Screen()->Cursor();
                throw std::runtime_error("the work failed");
            },
            std::runtime_error);
        EXPECT_EQ(during, crHourGlass);
        EXPECT_EQ(inner, crHourGlass) << "the nested one gives back the outer hourglass";
        EXPECT_EQ(Screen()->Cursor(), before);
    }
    Screen()->SetCursor(crDefault);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(GuiCursors, TheProgramsOwnCursorResourcesAreReadable)
{
    int found = 0;
    for (const char *name : {"CURSOR_HAND", "CURSOR_GRAB", "crZIBOR_busy"}) {
        std::vector<uint8_t> bytes;
        if (!FindResourceBytes("cursor", name, bytes))
            continue; // not among the resources (yet)
        ++found;
        auto c = LoadCursorResource(name);
        ASSERT_TRUE(c) << name;
        EXPECT_FALSE(c->Frames.empty()) << name;
        for (const TCursorFrame &f : c->Frames) {
            EXPECT_GE(f.HotX, 0) << name;
            EXPECT_LT(f.HotX, f.Image.width()) << name;
            EXPECT_LT(f.HotY, f.Image.height()) << name;
        }
        if (std::string(name) == "crZIBOR_busy") {
            EXPECT_TRUE(c->Animated());
        }
    }
    EXPECT_GT(found, 0);
}

} // namespace
