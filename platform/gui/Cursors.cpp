#include "platform/gui/Cursors.h"

#include "platform/core/Streams.h"
#include "platform/gui/Forms.h"

#include <QCursor>
#include <QPixmap>
#include <algorithm>
#include <cstring>

namespace plat {

namespace {

// Bounds-checked little-endian reads over one buffer.
class Bytes {
public:
    Bytes(const uint8_t *d, size_t n) : d_(d), n_(n) {}
    bool Has(size_t off, size_t len) const { return off <= n_ && len <= n_ - off; }
    uint16_t U16(size_t off) const { return static_cast<uint16_t>(d_[off] | (d_[off + 1] << 8)); }
    uint32_t U32(size_t off) const
    {
        return static_cast<uint32_t>(d_[off]) | (static_cast<uint32_t>(d_[off + 1]) << 8) |
               (static_cast<uint32_t>(d_[off + 2]) << 16) | (static_cast<uint32_t>(d_[off + 3]) << 24);
    }
    int32_t S32(size_t off) const { return static_cast<int32_t>(U32(off)); }
    const uint8_t *At(size_t off) const { return d_ + off; }
    size_t Size() const { return n_; }

private:
    const uint8_t *d_;
    size_t n_;
};

constexpr uint8_t kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
constexpr int kMaxSide = 256;

// A DIB as stored in icon files: header, palette, colour rows, then a 1-bit
// AND mask; the header's height covers both.
QImage ReadDib(const Bytes &b)
{
    if (!b.Has(0, 40))
        return {};
    const uint32_t headerSize = b.U32(0);
    const int32_t width = b.S32(4);
    const int32_t height2 = b.S32(8);
    const uint16_t bpp = b.U16(14);
    const uint32_t compression = b.U32(16);
    uint32_t colours = b.U32(32);
    if (headerSize < 40 || headerSize > b.Size() || compression != 0)
        return {};
    if (width <= 0 || width > kMaxSide || height2 <= 0 || height2 % 2 || height2 / 2 > kMaxSide)
        return {};
    const int height = height2 / 2;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32)
        return {};
    if (bpp <= 8 && (colours == 0 || colours > (1u << bpp)))
        colours = 1u << bpp;
    if (bpp > 8)
        colours = 0;
    const size_t paletteAt = headerSize;
    if (!b.Has(paletteAt, size_t{colours} * 4))
        return {};
    const size_t xorAt = paletteAt + size_t{colours} * 4;
    const size_t xorStride = ((static_cast<size_t>(width) * bpp + 31) / 32) * 4;
    const size_t andStride = ((static_cast<size_t>(width) + 31) / 32) * 4;
    const size_t andAt = xorAt + xorStride * height;
    if (!b.Has(xorAt, xorStride * height))
        return {};
    const bool hasMask = b.Has(andAt, andStride * height);

    QImage img(width, height, QImage::Format_ARGB32);
    bool anyAlpha = false;
    for (int y = 0; y < height; ++y) {
        const uint8_t *row = b.At(xorAt + xorStride * (height - 1 - y));
        auto *out = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < width; ++x) {
            QRgb px;
            if (bpp == 32) {
                const uint8_t *p = row + x * 4;
                px = qRgba(p[2], p[1], p[0], p[3]);
                anyAlpha |= p[3] != 0;
            } else if (bpp == 24) {
                const uint8_t *p = row + x * 3;
                px = qRgb(p[2], p[1], p[0]);
            } else {
                const int bitPos = x * bpp;
                const int shift = 8 - bpp - (bitPos % 8);
                const unsigned index = (row[bitPos / 8] >> shift) & ((1u << bpp) - 1);
                const uint8_t *c = b.At(paletteAt + std::min<size_t>(index, colours - 1) * 4);
                px = qRgb(c[2], c[1], c[0]);
            }
            out[x] = px;
        }
    }
    // The AND mask decides transparency unless the image has its own alpha.
    if (!(bpp == 32 && anyAlpha)) {
        for (int y = 0; y < height; ++y) {
            auto *out = reinterpret_cast<QRgb *>(img.scanLine(y));
            const uint8_t *mask = hasMask ? b.At(andAt + andStride * (height - 1 - y)) : nullptr;
            for (int x = 0; x < width; ++x) {
                const bool transparent = mask && ((mask[x / 8] >> (7 - x % 8)) & 1);
                out[x] = transparent ? qRgba(0, 0, 0, 0) : (out[x] | 0xFF000000u);
            }
        }
    }
    return img;
}

QImage ReadEntryImage(const Bytes &entry)
{
    if (entry.Has(0, 8) && std::memcmp(entry.At(0), kPng, 8) == 0) {
        QImage img;
        if (!img.loadFromData(entry.At(0), static_cast<int>(entry.Size()), "PNG"))
            return {};
        if (img.width() > kMaxSide || img.height() > kMaxSide)
            return {};
        return img.convertToFormat(QImage::Format_ARGB32);
    }
    return ReadDib(entry);
}

} // namespace

const TCursorFrame &TCursorImage::StepFrame(size_t step) const
{
    size_t index = step;
    if (!Sequence.empty())
        index = static_cast<size_t>(Sequence[step % Sequence.size()]);
    return Frames[index % Frames.size()];
}

int TCursorImage::StepMilliseconds(size_t step) const
{
    const int jiffies = Rates.empty() ? 10 : Rates[step % Rates.size()];
    return std::max(1, jiffies) * 1000 / 60;
}

QCursor TCursorImage::QtCursor(size_t step) const
{
    if (Frames.empty())
        return QCursor(Qt::ArrowCursor);
    const TCursorFrame &f = StepFrame(step);
    return QCursor(QPixmap::fromImage(f.Image), f.HotX, f.HotY);
}

std::shared_ptr<TCursorImage> ReadCursorFile(const uint8_t *data, size_t size)
{
    const Bytes b(data, size);
    if (!b.Has(0, 6) || b.U16(0) != 0)
        return nullptr;
    const uint16_t type = b.U16(2);
    const uint16_t count = b.U16(4);
    if ((type != 1 && type != 2) || count == 0 || !b.Has(6, size_t{count} * 16))
        return nullptr;
    TCursorFrame best;
    for (uint16_t i = 0; i < count; ++i) {
        const size_t e = 6 + size_t{i} * 16;
        const uint32_t bytes = b.U32(e + 8);
        const uint32_t offset = b.U32(e + 12);
        if (!b.Has(offset, bytes) || bytes == 0)
            continue;
        QImage img = ReadEntryImage(Bytes(b.At(offset), bytes));
        if (img.isNull())
            continue;
        if (!best.Image.isNull() && img.width() * img.height() <= best.Image.width() * best.Image.height())
            continue;
        best.Image = img;
        // Icons have no hot spot; their centre serves.
        best.HotX = type == 2 ? std::min<int>(b.U16(e + 4), img.width() - 1) : img.width() / 2;
        best.HotY = type == 2 ? std::min<int>(b.U16(e + 6), img.height() - 1) : img.height() / 2;
    }
    if (best.Image.isNull())
        return nullptr;
    auto out = std::make_shared<TCursorImage>();
    out->Frames.push_back(std::move(best));
    return out;
}

std::shared_ptr<TCursorImage> ReadAnimatedCursor(const uint8_t *data, size_t size)
{
    const Bytes b(data, size);
    if (!b.Has(0, 12) || std::memcmp(b.At(0), "RIFF", 4) != 0 || std::memcmp(b.At(8), "ACON", 4) != 0)
        return nullptr;
    const size_t end = std::min<size_t>(size, size_t{b.U32(4)} + 8);
    auto out = std::make_shared<TCursorImage>();
    uint32_t steps = 0, frames = 0, rate = 10;
    bool haveHeader = false;
    std::vector<int> rates, sequence;

    auto readList = [&](size_t at, size_t len) -> bool {
        // The frames: "icon" chunks, each a whole cursor file.
        size_t p = at;
        while (p + 8 <= at + len) {
            const uint32_t n = b.U32(p + 4);
            if (!b.Has(p + 8, n) || p + 8 + n > at + len)
                return false;
            if (std::memcmp(b.At(p), "icon", 4) == 0) {
                auto f = ReadCursorFile(b.At(p + 8), n);
                if (!f)
                    return false;
                out->Frames.push_back(std::move(f->Frames.front()));
            }
            p += 8 + n + (n & 1);
        }
        return true;
    };

    size_t p = 12;
    while (p + 8 <= end) {
        const uint32_t n = b.U32(p + 4);
        if (!b.Has(p + 8, n) || p + 8 + n > end)
            return nullptr;
        const uint8_t *id = b.At(p);
        if (std::memcmp(id, "anih", 4) == 0) {
            if (n < 36)
                return nullptr;
            frames = b.U32(p + 8 + 4);
            steps = b.U32(p + 8 + 8);
            rate = b.U32(p + 8 + 28);
            haveHeader = true;
        } else if (std::memcmp(id, "rate", 4) == 0 || std::memcmp(id, "seq ", 4) == 0) {
            auto &list = id[0] == 'r' ? rates : sequence;
            list.clear();
            for (uint32_t i = 0; i + 4 <= n; i += 4)
                list.push_back(static_cast<int>(std::min<uint32_t>(b.U32(p + 8 + i), 1u << 20)));
        } else if (std::memcmp(id, "LIST", 4) == 0 && n >= 4 && std::memcmp(b.At(p + 8), "fram", 4) == 0) {
            if (!readList(p + 12, n - 4))
                return nullptr;
        }
        p += 8 + n + (n & 1);
    }
    if (!haveHeader || out->Frames.empty())
        return nullptr;
    (void)frames;
    if (steps == 0)
        steps = static_cast<uint32_t>(out->Frames.size());
    for (int s : sequence)
        if (s < 0 || static_cast<size_t>(s) >= out->Frames.size())
            return nullptr;
    if (!sequence.empty())
        sequence.resize(std::min<size_t>(sequence.size(), steps));
    out->Sequence = sequence;
    if (rates.empty())
        rates.assign(1, static_cast<int>(std::min<uint32_t>(rate, 1u << 20)));
    out->Rates = rates;
    return out;
}

std::shared_ptr<TCursorImage> ReadAnyCursor(const std::vector<uint8_t> &bytes)
{
    if (bytes.size() >= 4 && std::memcmp(bytes.data(), "RIFF", 4) == 0)
        return ReadAnimatedCursor(bytes.data(), bytes.size());
    return ReadCursorFile(bytes.data(), bytes.size());
}

std::shared_ptr<TCursorImage> LoadCursorResource(const String &name)
{
    std::vector<uint8_t> bytes;
    if (!FindResourceBytes("cursor", name, bytes))
        return nullptr;
    return ReadAnyCursor(bytes);
}

TBusyCursor::TBusyCursor() : previous_(Screen()->Cursor()) { Screen()->SetCursor(crHourGlass); }

TBusyCursor::~TBusyCursor() { Screen()->SetCursor(previous_); }

} // namespace plat
