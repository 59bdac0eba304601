#include "platform/metafile/Metafile.h"

#include "platform/core/SysUtils.h"
#include "platform/graphics/Canvas.h"
#include "platform/metafile/MetafilePlayer.h"

#include <climits>
#include <cmath>
#include <cstring>

namespace plat {

namespace {

void Put32(std::vector<uint8_t> &b, size_t at, int32_t value)
{
    const uint32_t v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        b[at + i] = uint8_t(v >> (8 * i));
}

} // namespace

TMetafile::TMetafile(const TMetafile &other)
    : TGraphic(), bytes_(other.bytes_), mmWidth_(other.mmWidth_), mmHeight_(other.mmHeight_)
{
}

TMetafile &TMetafile::operator=(const TMetafile &other)
{
    if (this != &other) {
        bytes_ = other.bytes_;
        mmWidth_ = other.mmWidth_;
        mmHeight_ = other.mmHeight_;
        Changed();
    }
    return *this;
}

int TMetafile::Width() const { return MulDiv(mmWidth_, emf::kRefPixelsPerInch, 2540); }
int TMetafile::Height() const { return MulDiv(mmHeight_, emf::kRefPixelsPerInch, 2540); }
void TMetafile::SetWidth(int value) { SetMMWidth(MulDiv(value, 2540, emf::kRefPixelsPerInch)); }
void TMetafile::SetHeight(int value) { SetMMHeight(MulDiv(value, 2540, emf::kRefPixelsPerInch)); }

void TMetafile::SetMMWidth(int value)
{
    if (value == mmWidth_)
        return;
    mmWidth_ = value;
    Changed();
}

void TMetafile::SetMMHeight(int value)
{
    if (value == mmHeight_)
        return;
    mmHeight_ = value;
    Changed();
}

void TMetafile::Clear()
{
    if (bytes_.empty())
        return;
    bytes_.clear();
    Changed();
}

void TMetafile::Draw(TCanvas &canvas, const TRect &rect) const
{
    if (!Empty())
        PlayMetafile(canvas, *this, rect);
}

QImage TMetafile::ToImage() const
{
    const int w = Width(), h = Height();
    if (Empty() || w <= 0 || h <= 0 || int64_t(w) * h > emf::kMaxDibPixels)
        return {};
    QImage image(w, h, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    image.fill(Qt::white);
    TCanvas canvas(&image);
    Draw(canvas, Rect(0, 0, w, h));
    return image;
}

std::vector<uint8_t> TMetafile::Bytes() const
{
    std::vector<uint8_t> out;
    if (bytes_.empty()) {
        emf::TEmfWriter writer;
        out = writer.Finish(Rect(0, 0, -1, -1), Rect(0, 0, mmWidth_, mmHeight_), 1);
    } else {
        out = bytes_;
    }
    // rclFrame follows the size the metafile has now.
    Put32(out, 24, 0);
    Put32(out, 28, 0);
    Put32(out, 32, mmWidth_);
    Put32(out, 36, mmHeight_);
    return out;
}

std::vector<uint8_t> TMetafile::ReleaseBytes()
{
    if (bytes_.empty())
        return Bytes();
    std::vector<uint8_t> out;
    out.swap(bytes_);
    Put32(out, 24, 0);
    Put32(out, 28, 0);
    Put32(out, 32, mmWidth_);
    Put32(out, 36, mmHeight_);
    Changed();
    return out;
}

emf::TEmfHeader TMetafile::Header() const
{
    emf::TEmfHeader h;
    if (bytes_.empty()) {
        const std::vector<uint8_t> b = Bytes();
        emf::ReadEmfHeader(b.data(), b.size(), h);
    } else {
        emf::ReadEmfHeader(bytes_.data(), bytes_.size(), h);
        h.Frame = Rect(0, 0, mmWidth_, mmHeight_);
    }
    return h;
}

void TMetafile::SetBytes(std::vector<uint8_t> bytes)
{
    emf::TEmfHeader h;
    if (!emf::ReadEmfHeader(bytes.data(), bytes.size(), h))
        throw EInvalidMetafile("The metafile is not valid");
    // The frame's size is kept as int: a forged frame whose edges lie
    // further apart than that is no page.
    const int64_t width = int64_t(h.Frame.Right) - h.Frame.Left, height = int64_t(h.Frame.Bottom) - h.Frame.Top;
    if (width < INT_MIN || width > INT_MAX || height < INT_MIN || height > INT_MAX)
        throw EInvalidMetafile("The metafile is not valid");
    bytes.resize(h.Bytes);
    bytes_ = std::move(bytes);
    mmWidth_ = static_cast<int>(width);
    mmHeight_ = static_cast<int>(height);
    Changed();
}

void TMetafile::SaveToStream(TStream &stream) const
{
    if (bytes_.empty()) {
        const std::vector<uint8_t> b = Bytes();
        stream.WriteBuffer(b.data(), static_cast<int64_t>(b.size()));
        return;
    }
    // Only the header changes (its frame), so the rest goes out as it is.
    std::vector<uint8_t> head(bytes_.begin(), bytes_.begin() + emf::kHeaderMinSize);
    Put32(head, 24, 0);
    Put32(head, 28, 0);
    Put32(head, 32, mmWidth_);
    Put32(head, 36, mmHeight_);
    stream.WriteBuffer(head.data(), emf::kHeaderMinSize);
    stream.WriteBuffer(bytes_.data() + emf::kHeaderMinSize, static_cast<int64_t>(bytes_.size() - emf::kHeaderMinSize));
}

void TMetafile::LoadFromStream(TStream &stream)
{
    std::vector<uint8_t> b(emf::kHeaderMinSize);
    if (stream.Read(b.data(), emf::kHeaderMinSize) != emf::kHeaderMinSize)
        throw EInvalidMetafile("The metafile is not valid");
    const emf::TEmfRecord head(b.data(), emf::kHeaderMinSize);
    const uint32_t total = head.U32(48);
    if (head.Type() != emf::EMR_HEADER || head.U32(40) != emf::ENHMETA_SIGNATURE || total < emf::kHeaderMinSize ||
        total > emf::kMaxPageBytes)
        throw EInvalidMetafile("The metafile is not valid");
    b.resize(total);
    const int64_t rest = int64_t(total) - emf::kHeaderMinSize;
    if (stream.Read(b.data() + emf::kHeaderMinSize, rest) != rest)
        throw EInvalidMetafile("The metafile is truncated");
    SetBytes(std::move(b));
}

emf::TEmfEnumResult TMetafile::Enumerate(const emf::TEmfRecordHandler &handler) const
{
    if (!bytes_.empty())
        return emf::EnumerateEmf(bytes_.data(), bytes_.size(), handler);
    const std::vector<uint8_t> b = Bytes();
    return emf::EnumerateEmf(b.data(), b.size(), handler);
}

namespace {

// A picture loaded by content stays empty on bad data rather than raising,
// as pictures of the other formats do; the page store keeps the error.
class TPictureMetafile : public TMetafile {
public:
    void LoadFromStream(TStream &stream) override
    {
        try {
            TMetafile::LoadFromStream(stream);
        } catch (const EInvalidMetafile &) {
            Clear();
        }
    }
};

// Pictures loaded by content recognise a page by its header.
[[maybe_unused]] const bool registered = [] {
    TPicture::RegisterFormat(
        "TMetafile",
        [](const uint8_t *data, size_t size) {
            const emf::TEmfRecord head(data, static_cast<uint32_t>(std::min<size_t>(size, 44)));
            return size >= 44 && head.Type() == emf::EMR_HEADER && head.U32(40) == emf::ENHMETA_SIGNATURE;
        },
        [] { return std::make_unique<TPictureMetafile>(); });
    return true;
}();

} // namespace

} // namespace plat
