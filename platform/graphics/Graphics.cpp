#include "platform/graphics/Graphics.h"
#include "platform/core/HelperThread.h"
#include "platform/core/SysUtils.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Colors.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>

#include <algorithm>
#include <cstring>
#include <mutex>

namespace plat {

std::vector<uint8_t> ReadRest(TStream &stream)
{
    std::vector<uint8_t> bytes;
    // Room for all of it at once when the stream knows its size, so that a
    // large file is not moved from block to block as it comes in.
    const int64_t left = stream.Size() - stream.Position();
    if (left > 0)
        bytes.reserve(static_cast<size_t>(std::min<int64_t>(left, int64_t(1) << 30)));
    uint8_t chunk[65536];
    for (;;) {
        const int64_t n = stream.Read(chunk, sizeof chunk);
        if (n <= 0)
            break;
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    return bytes;
}

QRgb ToQRgb(TColor color)
{
    const TColor c = ColorToRGB(color);
    if (c == clNone || c == clDefault)
        return qRgb(0, 0, 0);
    return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

TColor FromQRgb(QRgb rgb) { return RGB(qRed(rgb), qGreen(rgb), qBlue(rgb)); }

// ---------------------------------------------------------------- font

TFont::TFont() : color_(clWindowText) {}

TFont::TFont(const TFont &o)
    : TObject(), name_(o.name_), height_(o.height_), style_(o.style_), color_(o.color_), ppi_(o.ppi_),
      charset_(o.charset_), pitch_(o.pitch_), orientation_(o.orientation_)
{
}

TFont &TFont::operator=(const TFont &o)
{
    Assign(o);
    return *this;
}

bool TFont::operator==(const TFont &o) const
{
    return name_ == o.name_ && height_ == o.height_ && style_ == o.style_ && color_ == o.color_ &&
           ppi_ == o.ppi_ && charset_ == o.charset_ && pitch_ == o.pitch_ && orientation_ == o.orientation_;
}

void TFont::Assign(const TFont &o)
{
    if (this == &o || *this == o)
        return;
    name_ = o.name_;
    height_ = o.height_;
    style_ = o.style_;
    color_ = o.color_;
    ppi_ = o.ppi_;
    charset_ = o.charset_;
    pitch_ = o.pitch_;
    orientation_ = o.orientation_;
    Changed();
}

void TFont::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TFont::SetName(const String &name)
{
    if (name.empty() || name == name_)
        return;
    name_ = name;
    Changed();
}

void TFont::SetHeight(int height)
{
    if (height == height_)
        return;
    height_ = height;
    Changed();
}

int TFont::Size() const { return -MulDiv(height_, 72, ppi_); }

void TFont::SetSize(int size) { SetHeight(-MulDiv(size, ppi_, 72)); }

void TFont::SetStyle(TFontStyles style)
{
    style &= fsBold | fsItalic | fsUnderline | fsStrikeOut;
    if (style == style_)
        return;
    style_ = style;
    Changed();
}

void TFont::SetColor(TColor color)
{
    if (color == color_)
        return;
    color_ = color;
    Changed();
}

void TFont::SetPixelsPerInch(int ppi)
{
    if (ppi <= 0 || ppi == ppi_)
        return;
    ppi_ = ppi;
}

void TFont::SetCharset(uint8_t charset)
{
    if (charset == charset_)
        return;
    charset_ = charset;
    Changed();
}

void TFont::SetPitch(TFontPitch pitch)
{
    if (pitch == pitch_)
        return;
    pitch_ = pitch;
    Changed();
}

void TFont::SetOrientation(int tenths)
{
    if (tenths == orientation_)
        return;
    orientation_ = tenths;
    Changed();
}

// ---------------------------------------------------------------- pen

TPen::TPen(const TPen &o) : TObject(), color_(o.color_), width_(o.width_), style_(o.style_), mode_(o.mode_) {}

TPen &TPen::operator=(const TPen &o)
{
    Assign(o);
    return *this;
}

bool TPen::operator==(const TPen &o) const
{
    return color_ == o.color_ && width_ == o.width_ && style_ == o.style_ && mode_ == o.mode_;
}

void TPen::Assign(const TPen &o)
{
    if (this == &o || *this == o)
        return;
    color_ = o.color_;
    width_ = o.width_;
    style_ = o.style_;
    mode_ = o.mode_;
    Changed();
}

void TPen::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TPen::SetColor(TColor color)
{
    if (color == color_)
        return;
    color_ = color;
    Changed();
}

void TPen::SetWidth(int width)
{
    if (width < 0 || width == width_)
        return;
    width_ = width;
    Changed();
}

void TPen::SetStyle(TPenStyle style)
{
    if (style == style_)
        return;
    style_ = style;
    Changed();
}

void TPen::SetMode(TPenMode mode)
{
    if (mode == mode_)
        return;
    mode_ = mode;
    Changed();
}

// ---------------------------------------------------------------- brush

TBrush::TBrush(const TBrush &o) : TObject(), color_(o.color_), style_(o.style_), pattern_(o.pattern_) {}

TBrush &TBrush::operator=(const TBrush &o)
{
    Assign(o);
    return *this;
}

bool TBrush::operator==(const TBrush &o) const
{
    return color_ == o.color_ && style_ == o.style_ && pattern_ == o.pattern_;
}

void TBrush::Assign(const TBrush &o)
{
    if (this == &o || *this == o)
        return;
    color_ = o.color_;
    style_ = o.style_;
    pattern_ = o.pattern_;
    Changed();
}

void TBrush::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TBrush::SetColor(TColor color)
{
    if (color == color_ && style_ != bsClear)
        return;
    color_ = color;
    if (style_ == bsClear)
        style_ = bsSolid;
    Changed();
}

void TBrush::SetStyle(TBrushStyle style)
{
    if (style == style_)
        return;
    style_ = style;
    Changed();
}

void TBrush::SetBitmap(const TBitmap *bitmap)
{
    QImage next;
    if (bitmap && !bitmap->Empty())
        next = bitmap->Image().copy(0, 0, std::min(8, bitmap->Width()), std::min(8, bitmap->Height()))
                   .convertToFormat(QImage::Format_RGB32);
    if (next == pattern_)
        return;
    pattern_ = next;
    Changed();
}

// ---------------------------------------------------------------- graphics

void TGraphic::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TGraphic::SetTransparent(bool on)
{
    if (on == transparent_)
        return;
    transparent_ = on;
    Changed();
}

void TGraphic::LoadFromFile(const String &fileName)
{
    TFileStream f(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(f);
}

void TGraphic::SaveToFile(const String &fileName) const
{
    TFileStream f(fileName, fmCreate);
    SaveToStream(f);
}

namespace {

void WriteAll(TStream &stream, const std::vector<uint8_t> &bytes)
{
    if (!bytes.empty())
        stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}

// Decodes with one of Qt's readers; a null image unless the whole image
// decoded.
QImage QtDecode(const std::vector<uint8_t> &bytes, const char *format)
{
    if (bytes.empty())
        return {};
    QByteArray data(reinterpret_cast<const char *>(bytes.data()), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > MaxPictureSide || size.height() > MaxPictureSide))
        return {};
    QImage image;
    if (!reader.read(&image))
        return {};
    // Not every reader knows the size before decoding; a logical screen of
    // 60000 pixels across from a damaged header is refused afterwards.
    if (image.width() > MaxPictureSide || image.height() > MaxPictureSide)
        return {};
    return image;
}

QImage To32Bit(const QImage &image)
{
    if (image.isNull())
        return {};
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
}

} // namespace

TEncodedPixels::~TEncodedPixels()
{
    if (ahead_.joinable())
        ahead_.join();
}

void TEncodedPixels::DecodeAhead()
{
    std::lock_guard<std::mutex> lock(mutex_);
    // The thread takes the mutex first thing, so whoever asks for the
    // pixels meanwhile waits for its decode.
    // A decode that fails there (out of memory) leaves decoded_ unset, so
    // the first use decodes again; no thread at all means the same.
    if (!decoded_ && !ahead_.joinable())
        ahead_ = StartHelperThread([this] { Image(); });
}

const QImage &TEncodedPixels::Image()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (!decoded_) {
        bool grayscale = false;
        image_ = decoder_(bytes_, &grayscale);
        grayscale_ = !image_.isNull() && grayscale;
        decoded_ = true;
    }
    return image_;
}

bool TEncodedPixels::Grayscale()
{
    Image();
    std::lock_guard<std::mutex> lock(mutex_);
    return grayscale_;
}

bool TEncodedPixels::Decoded()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return decoded_;
}

void TRasterGraphic::Draw(TCanvas &canvas, const TRect &rect) const
{
    if (Empty())
        return;
    // Set on every draw, as the framework does, so a recorded page carries
    // the mode in front of each picture.
    canvas.SetStretchBltMode(COLORONCOLOR);
    const QImage &image = Pixels();
    const TColor key = (transparent_ && !image.hasAlphaChannel()) ? DrawTransparentColor() : clNone;
    canvas.StretchDrawImage(rect, image, Rect(0, 0, Width(), Height()), key);
}

// ---------------------------------------------------------------- bitmap

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int width, int height) { SetSize(width, height); }

TBitmap::TBitmap(const TBitmap &o)
    : TRasterGraphic(), pixelFormat_(o.pixelFormat_), transparentColor_(o.transparentColor_),
      transparentMode_(o.transparentMode_)
{
    image_ = o.image_;
    transparent_ = o.transparent_;
}

TBitmap &TBitmap::operator=(const TBitmap &o)
{
    Assign(o);
    return *this;
}

TBitmap::~TBitmap() = default;

void TBitmap::Assign(const TGraphic &source)
{
    if (&source == this)
        return;
    if (auto *b = dynamic_cast<const TBitmap *>(&source)) {
        pixelFormat_ = b->pixelFormat_;
        transparentColor_ = b->transparentColor_;
        transparentMode_ = b->transparentMode_;
        image_ = b->image_;
    } else if (source.Empty()) {
        image_ = QImage();
    } else {
        // Any other graphic is drawn onto white pixels of its size.
        QImage img(source.Width(), source.Height(), QImage::Format_RGB32);
        img.fill(Qt::white);
        TCanvas c(&img);
        source.Draw(c, Rect(0, 0, source.Width(), source.Height()));
        image_ = img;
    }
    transparent_ = source.Transparent();
    Changed();
}

void TBitmap::SetSize(int width, int height)
{
    width = std::max(0, width);
    height = std::max(0, height);
    if (width == Width() && height == Height())
        return;
    if (width == 0 || height == 0) {
        image_ = QImage();
    } else {
        QImage next(width, height, image_.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        if (next.isNull())
            throw EOutOfMemory("Out of system resources");
        next.fill(Qt::white);
        if (!image_.isNull()) {
            QPainter p(&next);
            p.setCompositionMode(QPainter::CompositionMode_Source);
            p.drawImage(0, 0, image_);
        }
        image_ = next;
    }
    Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat format)
{
    if (format == pixelFormat_)
        return;
    pixelFormat_ = format;
    if (format == pf32bit && !image_.isNull())
        image_ = image_.convertToFormat(QImage::Format_ARGB32);
    else if (format != pf32bit && image_.hasAlphaChannel())
        image_ = image_.convertToFormat(QImage::Format_RGB32);
    Changed();
}

TCanvas *TBitmap::Canvas()
{
    if (!canvas_)
        canvas_ = std::make_unique<TCanvas>(&image_);
    return canvas_.get();
}

void TBitmap::SetImage(const QImage &image)
{
    image_ = To32Bit(image);
    Changed();
}

TColor TBitmap::TransparentColor() const
{
    if (transparentMode_ == TTransparentMode::tmFixed && transparentColor_ != clDefault)
        return ColorToRGB(transparentColor_);
    if (image_.isNull())
        return clNone;
    return FromQRgb(image_.pixel(0, image_.height() - 1));
}

void TBitmap::SetTransparentColor(TColor color)
{
    transparentColor_ = color;
    transparentMode_ = color == clDefault ? TTransparentMode::tmAuto : TTransparentMode::tmFixed;
    Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode mode)
{
    if (mode == transparentMode_)
        return;
    transparentMode_ = mode;
    if (mode == TTransparentMode::tmAuto)
        transparentColor_ = clDefault;
    Changed();
}

void TBitmap::LoadFromStream(TStream &stream)
{
    const std::vector<uint8_t> bytes = ReadRest(stream);
    image_ = To32Bit(QtDecode(bytes, "BMP"));
    if (image_.hasAlphaChannel() && pixelFormat_ != pf32bit)
        pixelFormat_ = pf32bit;
    Changed();
}

void TBitmap::SaveToStream(TStream &stream) const
{
    if (image_.isNull())
        return;
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image_.save(&buffer, "BMP");
    stream.WriteBuffer(data.constData(), data.size());
}

// ---------------------------------------------------------------- GIF and icon

namespace {
// Steps over a chain of data sub-blocks and its terminator; false when the
// bytes end first.
bool SkipSubBlocks(const uint8_t *data, size_t size, size_t &at, const std::function<void(const uint8_t *, size_t)> &first = {})
{
    bool isFirst = true;
    for (;;) {
        if (at >= size)
            return false;
        const size_t length = data[at++];
        if (length == 0)
            return true;
        if (at + length > size)
            return false;
        if (isFirst && first)
            first(data + at, length);
        isFirst = false;
        at += length;
    }
}
} // namespace

bool GifHasTransparency(const uint8_t *data, size_t size)
{
    // Header (6), logical screen (7), then the global colour table.
    if (!data || size < 13 || std::memcmp(data, "GIF8", 4) != 0)
        return false;
    size_t at = 13;
    if (data[10] & 0x80)
        at += size_t(3) << ((data[10] & 0x07) + 1);
    bool transparent = false;
    // Extensions up to the first image; the last graphic control block in
    // front of it holds for it.
    while (at < size) {
        const uint8_t introducer = data[at++];
        if (introducer == 0x2C) {
            // The descriptor (9) and its colour table. A frame cut short
            // still decodes, as far as its data goes, once the code size,
            // the first block's length and (unless that is 0) one byte of
            // data are there.
            if (at + 9 > size)
                return false;
            const uint8_t flags = data[at + 8];
            at += 9;
            if (flags & 0x80)
                at += size_t(3) << ((flags & 0x07) + 1);
            return transparent && at + 1 < size && (data[at + 1] == 0 || at + 2 < size);
        }
        if (introducer != 0x21 || at >= size)
            return false;
        const uint8_t label = data[at++];
        const bool control = label == 0xF9;
        if (!SkipSubBlocks(data, size, at, [&](const uint8_t *block, size_t length) {
                if (control && length >= 4)
                    transparent = (block[0] & 0x01) != 0;
            }))
            return false;
    }
    return false;
}

namespace {
QImage DecodeGif(const std::vector<uint8_t> &bytes, bool *)
{
    return To32Bit(QtDecode(bytes, "GIF"));
}
} // namespace

void TGIFImage::LoadFromStream(TStream &stream)
{
    std::vector<uint8_t> bytes = ReadRest(stream);
    transparent_ = GifHasTransparency(bytes.data(), bytes.size());
    transparencySet_ = false;
    source_ = std::make_shared<TEncodedPixels>(std::move(bytes), DecodeGif);
    image_ = QImage();
    Changed();
}

bool TGIFImage::Transparent() const
{
    if (!source_ || transparencySet_ || !source_->Decoded())
        return transparent_;
    return source_->Image().hasAlphaChannel();
}

void TGIFImage::SetTransparent(bool on)
{
    const bool was = Transparent();
    transparencySet_ = true;
    transparent_ = on;
    if (on != was)
        Changed();
}

void TGIFImage::SaveToStream(TStream &stream) const
{
    if (source_ && !source_->Image().isNull())
        WriteAll(stream, source_->Bytes());
}

void TIcon::LoadFromStream(TStream &stream)
{
    data_ = ReadRest(stream);
    image_ = QtDecode(data_, "ICO").convertToFormat(QImage::Format_ARGB32);
    if (image_.isNull())
        data_.clear();
    Changed();
}

void TIcon::SaveToStream(TStream &stream) const { WriteAll(stream, data_); }

// ---------------------------------------------------------------- picture

namespace {

struct Format {
    String className;
    TPicture::TSniffer sniff;
    TPicture::TFactory create;
};

std::mutex &RegistryMutex()
{
    static std::mutex m;
    return m;
}

std::vector<Format> &Registry()
{
    static std::vector<Format> formats = {
        {"TBitmap", [](const uint8_t *d, size_t n) { return n >= 2 && d[0] == 'B' && d[1] == 'M'; },
         [] { return std::make_unique<TBitmap>(); }},
        {"TJPEGImage", [](const uint8_t *d, size_t n) { return n >= 3 && d[0] == 0xFF && d[1] == 0xD8 && d[2] == 0xFF; },
         [] { return std::make_unique<TJPEGImage>(); }},
        {"TGIFImage", [](const uint8_t *d, size_t n) { return n >= 6 && std::memcmp(d, "GIF8", 4) == 0; },
         [] { return std::make_unique<TGIFImage>(); }},
        {"TIcon", [](const uint8_t *d, size_t n) { return n >= 4 && d[0] == 0 && d[1] == 0 && d[2] == 1 && d[3] == 0; },
         [] { return std::make_unique<TIcon>(); }},
    };
    return formats;
}

} // namespace

void TPicture::RegisterFormat(const String &className, TSniffer sniff, TFactory create)
{
    std::lock_guard<std::mutex> lock(RegistryMutex());
    for (auto &f : Registry())
        if (f.className == className) {
            f.sniff = std::move(sniff);
            f.create = std::move(create);
            return;
        }
    Registry().push_back({className, std::move(sniff), std::move(create)});
}

std::unique_ptr<TGraphic> TPicture::CreateGraphic(const String &className)
{
    std::lock_guard<std::mutex> lock(RegistryMutex());
    for (const auto &f : Registry())
        if (f.className == className)
            return f.create();
    if (className == "TJPEGImage" || className == "TJpegImage")
        return std::make_unique<TJPEGImage>();
    return nullptr;
}

TPicture::TPicture(const TPicture &o) : TObject()
{
    if (o.graphic_)
        SetGraphic(o.graphic_->Clone());
}

TPicture &TPicture::operator=(const TPicture &o)
{
    Assign(o);
    return *this;
}

TPicture::~TPicture() = default;

void TPicture::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TPicture::SetGraphic(const TGraphic *graphic)
{
    SetGraphic(graphic ? graphic->Clone() : nullptr);
}

void TPicture::SetGraphic(std::unique_ptr<TGraphic> graphic)
{
    graphic_ = std::move(graphic);
    if (graphic_)
        graphic_->OnChange = [this](TObject *) { Changed(); };
    Changed();
}

void TPicture::Assign(const TPicture &o)
{
    if (&o == this)
        return;
    SetGraphic(o.graphic_.get());
}

TBitmap *TPicture::Bitmap()
{
    if (auto *b = dynamic_cast<TBitmap *>(graphic_.get()))
        return b;
    auto bmp = std::make_unique<TBitmap>();
    if (graphic_)
        bmp->Assign(*graphic_);
    TBitmap *raw = bmp.get();
    SetGraphic(std::move(bmp));
    return raw;
}

void TPicture::LoadFromStream(TStream &stream)
{
    const int64_t start = stream.Position();
    uint8_t head[64] = {};
    const int64_t got = stream.Read(head, sizeof head);
    stream.SetPosition(start);
    std::unique_ptr<TGraphic> g;
    {
        std::lock_guard<std::mutex> lock(RegistryMutex());
        for (const auto &f : Registry())
            if (got > 0 && f.sniff(head, static_cast<size_t>(got))) {
                g = f.create();
                break;
            }
    }
    if (!g) {
        // Unknown data: the picture stays empty; the stream is left at its end
        // as if the data had been read.
        stream.Seek(0, TSeekOrigin::soEnd);
        SetGraphic(std::unique_ptr<TGraphic>());
        return;
    }
    g->LoadFromStream(stream);
    if (g->Empty())
        g.reset();
    SetGraphic(std::move(g));
}

void TPicture::SaveToStream(TStream &stream) const
{
    if (graphic_)
        graphic_->SaveToStream(stream);
}

void TPicture::LoadFromFile(const String &fileName)
{
    TFileStream f(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(f);
}

void TPicture::SaveToFile(const String &fileName) const
{
    TFileStream f(fileName, fmCreate);
    SaveToStream(f);
}

} // namespace plat
