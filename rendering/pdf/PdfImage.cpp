#include "rendering/pdf/PdfImage.h"

#include "rendering/pdf/PdfDoc.h"
#include "rendering/pdf/PdfZip.h"

#include <algorithm>
#include <memory>
#include <string>

namespace {

// The palette index of a pixel of a bitmap of 1, 4 or 8 bits.
uint8_t PaletteIndex(const plat::emf::TDibView &dib, int x, int y)
{
    const uint8_t *row = dib.Bits + uint64_t(dib.TopDown ? y : dib.Height - 1 - y) * dib.Stride;
    switch (dib.BitCount) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4: return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F;
    default: return row[x];
    }
}

} // namespace

void WriteImageSamples(const plat::emf::TDibView &dib, const plat::TRect &source,
                       const std::function<void(const char *, size_t)> &row)
{
    std::string line;
    for (int y = source.Top; y < source.Bottom; ++y) {
        if (dib.BitCount <= 8) {
            line.clear();
            for (int x = source.Left; x < source.Right; ++x)
                line.push_back(static_cast<char>(PaletteIndex(dib, x, y)));
        } else {
            // Blue, green, red (and a fourth byte in 32 bits) become red, green, blue.
            const size_t step = dib.BitCount == 24 ? 3 : 4;
            line.resize(size_t(source.Right - source.Left) * 3);
            const uint8_t *src = dib.Bits + uint64_t(dib.TopDown ? y : dib.Height - 1 - y) * dib.Stride +
                                 size_t(source.Left) * step;
            char *dst = line.data();
            for (int x = source.Left; x < source.Right; ++x, src += step, dst += 3) {
                dst[0] = static_cast<char>(src[2]);
                dst[1] = static_cast<char>(src[1]);
                dst[2] = static_cast<char>(src[0]);
            }
        }
        row(line.data(), line.size());
    }
}

bool BitmapSource(const plat::emf::TEmrBlt &b, bool fromBottom, plat::TRect &source)
{
    int64_t sy = b.YSrc;
    if (fromBottom && !b.Dib.TopDown)
        sy = int64_t(b.Dib.Height) - sy - b.CySrc;
    const int64_t left = std::max<int64_t>(b.XSrc, 0), top = std::max<int64_t>(sy, 0);
    const int64_t right = std::min<int64_t>(int64_t(b.XSrc) + b.CxSrc, b.Dib.Width);
    const int64_t bottom = std::min<int64_t>(sy + b.CySrc, b.Dib.Height);
    if (right <= left || bottom <= top)
        return false;
    source = {int(left), int(top), int(right), int(bottom)};
    return true;
}

bool CompressPicturesAhead(std::vector<uint8_t> page)
{
    auto bytes = std::make_shared<const std::vector<uint8_t>>(std::move(page));
    return CompressAhead([bytes] {
        plat::emf::EnumerateEmf(bytes->data(), bytes->size(), [](const plat::emf::TEmfRecord &rec) {
            plat::emf::TEmrBlt b;
            plat::TRect source;
            if (!plat::emf::ParseBlt(rec, b) || !b.HasSource ||
                !BitmapSource(b, rec.Type() == plat::emf::EMR_STRETCHDIBITS, source))
                return true;
            // The samples exactly as the image stream holds them.
            plat::TMemoryStream samples;
            WriteImageSamples(b.Dib, source, [&samples](const char *row, size_t size) {
                samples.WriteBuffer(row, static_cast<int64_t>(size));
            });
            if (samples.Size() >= TPdfStream::CompressThreshold) {
                plat::TMemoryStream packed;
                CompressMemReused(samples.Memory(), samples.Size(), packed, TPdfStream::CompressLevel);
            }
            return true;
        });
    });
}

void TPdfImage::Begin(int width, int height)
{
    width_ = width;
    height_ = height;
    // The same pictures come back on every report.
    SetCompressionReused(true);
    TPdfDictionary &a = Attributes();
    a.AddNameItem("Type", "XObject");
    a.AddNameItem("Subtype", "Image");
}

TPdfImage::TPdfImage(TPdfDocument &document, bool dontAddToXref, const plat::emf::TDibView &dib,
                     const plat::TRect &source)
    : TPdfXObject(document, dontAddToXref)
{
    const int left = std::clamp(source.Left, 0, dib.Width), right = std::clamp(source.Right, left, dib.Width);
    const int top = std::clamp(source.Top, 0, dib.Height), bottom = std::clamp(source.Bottom, top, dib.Height);
    Begin(right - left, bottom - top);
    TPdfDictionary &a = Attributes();
    TPdfWrite &out = Writer();
    if (dib.BitCount <= 8) {
        std::string palette = "<";
        static const char hex[] = "0123456789ABCDEF";
        for (uint32_t i = 0; i < 256; ++i) {
            uint8_t rgb[3] = {0, 0, 0};
            if (i < dib.Colors) {
                const uint8_t *q = dib.Info + plat::emf::kBitmapInfoHeaderSize + 4 * i;  // blue, green, red
                rgb[0] = q[2];
                rgb[1] = q[1];
                rgb[2] = q[0];
            }
            for (const uint8_t v : rgb) {
                palette.push_back(hex[v >> 4]);
                palette.push_back(hex[v & 15]);
            }
            palette.push_back(' ');
        }
        palette += ">";
        auto *space = new TPdfArray(nullptr);
        space->AddItem(new TPdfName("Indexed"));
        space->AddItem(new TPdfName("DeviceRGB"));
        space->AddItem(new TPdfNumber(255));
        space->AddItem(new TPdfRawText(palette));
        a.AddItem("ColorSpace", space);
    } else {
        a.AddNameItem("ColorSpace", "DeviceRGB");
    }
    WriteImageSamples(dib, {left, top, right, bottom},
                      [&out](const char *row, size_t size) { out.Add(row, static_cast<int64_t>(size)); });
    a.AddItem("Width", width_);
    a.AddItem("Height", height_);
    a.AddItem("BitsPerComponent", 8);
}

TPdfImage::TPdfImage(TPdfDocument &document, bool dontAddToXref, const plat::TGraphic &picture)
    : TPdfXObject(document, dontAddToXref)
{
    TPdfDictionary &a = Attributes();
    if (auto *jpeg = dynamic_cast<const plat::TJPEGImage *>(&picture)) {
        Begin(jpeg->Width(), jpeg->Height());
        a.AddNameItem("ColorSpace", "DeviceRGB");
        Filter().RemoveName("FlateDecode");
        Filter().AddItem(new TPdfName("DCTDecode"));
        const std::vector<uint8_t> bytes = document.JPEGCompression != 0
                                               ? plat::EncodeJpeg(jpeg->Image(), document.JPEGCompression)
                                               : jpeg->Data();
        Writer().Add(bytes.data(), static_cast<int64_t>(bytes.size()));
    } else {
        QImage image = picture.ToImage();
        if (!image.isNull() && image.hasAlphaChannel()) {
            QImage flat(image.size(), QImage::Format_RGB32);
            flat.fill(Qt::white);
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    flat.setPixel(x, y, image.pixel(x, y));
            image = flat;
        }
        image = image.convertToFormat(QImage::Format_RGB32);
        Begin(image.width(), image.height());
        a.AddNameItem("ColorSpace", "DeviceRGB");
        std::string row;
        for (int y = 0; y < image.height(); ++y) {
            row.clear();
            const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                row.push_back(static_cast<char>(qRed(line[x])));
                row.push_back(static_cast<char>(qGreen(line[x])));
                row.push_back(static_cast<char>(qBlue(line[x])));
            }
            Writer().Add(row.data(), static_cast<int64_t>(row.size()));
        }
    }
    a.AddItem("Width", width_);
    a.AddItem("Height", height_);
    a.AddItem("BitsPerComponent", 8);
}
