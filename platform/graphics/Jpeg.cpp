// JPEG through libjpeg. libjpeg reports fatal errors through a callback
// that must not return; it jumps back to the decoder with longjmp. Every
// object that outlives the jump lives on the heap behind a pointer that is
// set before setjmp, so no destructor is skipped and no local is clobbered.
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphics.h"

#include <QPainter>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include <sys/mman.h>

#include <jpeglib.h>
#include <jerror.h>

namespace plat {

namespace {

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    bool truncated;
};

[[noreturn]] void OnFatal(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<ErrorManager *>(cinfo->err)->jump, 1);
}

void OnMessage(j_common_ptr cinfo, int level)
{
    // Only the premature end of data matters: a cut-off file is refused
    // rather than shown half grey.
    if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF)
        reinterpret_cast<ErrorManager *>(cinfo->err)->truncated = true;
}

struct DecodeJob {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    QImage image;
    std::vector<JSAMPLE> row;
    std::vector<JSAMPROW> lines;
};

#ifdef JCS_ALPHA_EXTENSIONS
// Format_RGB32 is 0xffRRGGBB in a 32-bit word: B, G, R, 0xff in memory on a
// little-endian machine. The alpha spaces set the fourth byte to 0xff; the
// X spaces would leave it undefined.
constexpr J_COLOR_SPACE kRgb32Space = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRA : JCS_EXT_ARGB;
#endif

// A large picture's pixels go into memory mapped with all its pages at
// once. Written for the first time, line by line, a fresh buffer from the
// allocator takes a page fault every 4 KiB, and on a virtual machine those
// faults cost more than the decode that writes the 800 x 600 background.
// Smaller pictures, or a mapping refused, take Qt's own buffer.
constexpr size_t kPrefaultedFrom = size_t(256) << 10;

#ifdef MAP_POPULATE
constexpr int kPopulate = MAP_POPULATE;
#else
// The pages then come as the decode first writes them: slower, the same pixels.
constexpr int kPopulate = 0;
#endif

struct Mapping {
    void *at;
    size_t size;
};

QImage NewRgb32(int w, int h)
{
    const size_t size = static_cast<size_t>(w) * static_cast<size_t>(h) * 4;
    if (size >= kPrefaultedFrom) {
        void *at = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | kPopulate, -1, 0);
        if (at != MAP_FAILED) {
            auto *mapping = new Mapping{at, size};
            QImage image(static_cast<uchar *>(at), w, h, static_cast<qsizetype>(w) * 4, QImage::Format_RGB32,
                         [](void *info) {
                             const auto *m = static_cast<Mapping *>(info);
                             munmap(m->at, m->size);
                             delete m;
                         },
                         mapping);
            if (!image.isNull())
                return image;
            munmap(at, size);
            delete mapping;
        }
    }
    return QImage(w, h, QImage::Format_RGB32);
}

struct EncodeJob {
    jpeg_compress_struct cinfo;
    ErrorManager err;
    unsigned char *out = nullptr;
    unsigned long outSize = 0;
    std::vector<JSAMPLE> row;
};

} // namespace

QImage DecodeJpeg(const uint8_t *data, size_t size, bool *grayscale)
{
    if (!data || size < 4)
        return {};
    const std::unique_ptr<DecodeJob> job(new DecodeJob());
    DecodeJob *const j = job.get();
    j->cinfo.err = jpeg_std_error(&j->err.pub);
    j->err.pub.error_exit = OnFatal;
    j->err.pub.emit_message = OnMessage;
    j->err.truncated = false;
    if (setjmp(j->err.jump)) {
        jpeg_destroy_decompress(&j->cinfo);
        return {};
    }
    jpeg_create_decompress(&j->cinfo);
    jpeg_mem_src(&j->cinfo, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&j->cinfo, TRUE) != JPEG_HEADER_OK) {
        jpeg_destroy_decompress(&j->cinfo);
        return {};
    }
    if (j->cinfo.image_width == 0 || j->cinfo.image_height == 0 || j->cinfo.image_width > static_cast<JDIMENSION>(MaxPictureSide) ||
        j->cinfo.image_height > static_cast<JDIMENSION>(MaxPictureSide)) {
        jpeg_destroy_decompress(&j->cinfo);
        return {};
    }
    const bool cmyk = j->cinfo.jpeg_color_space == JCS_CMYK || j->cinfo.jpeg_color_space == JCS_YCCK;
    const bool gray = j->cinfo.jpeg_color_space == JCS_GRAYSCALE;
#ifdef JCS_ALPHA_EXTENSIONS
    // Colour and grey pictures come out of the library as Format_RGB32's
    // own bytes, opaque alpha included, straight into the image's lines;
    // only CMYK is converted here, a line at a time.
    const bool direct = !cmyk;
    j->cinfo.out_color_space = cmyk ? JCS_CMYK : kRgb32Space;
#else
    // A library without the extended spaces gives RGB or grey samples; they
    // are converted here a line at a time, as CMYK is, to the same pixels.
    const bool direct = false;
    j->cinfo.out_color_space = cmyk ? JCS_CMYK : gray ? JCS_GRAYSCALE : JCS_RGB;
#endif
    jpeg_start_decompress(&j->cinfo);
    const int w = static_cast<int>(j->cinfo.output_width), h = static_cast<int>(j->cinfo.output_height);
    j->image = NewRgb32(w, h);
    if (j->image.isNull()) {
        jpeg_destroy_decompress(&j->cinfo);
        return {};
    }
    if (!direct) {
        // Adobe writes CMYK inverted.
        const bool inverted = j->cinfo.saw_Adobe_marker;
        const int components = j->cinfo.output_components;
        j->row.resize(static_cast<size_t>(w) * static_cast<size_t>(components));
        while (j->cinfo.output_scanline < j->cinfo.output_height) {
            JSAMPROW rows[1] = {j->row.data()};
            const int y = static_cast<int>(j->cinfo.output_scanline);
            if (jpeg_read_scanlines(&j->cinfo, rows, 1) != 1)
                break;
            auto *out = reinterpret_cast<QRgb *>(j->image.scanLine(y));
            const JSAMPLE *in = j->row.data();
            for (int x = 0; x < w; ++x, in += components) {
                if (cmyk) {
                    int c = in[0], m = in[1], yy = in[2], k = in[3];
                    if (!inverted) {
                        c = 255 - c; m = 255 - m; yy = 255 - yy; k = 255 - k;
                    }
                    out[x] = qRgb(c * k / 255, m * k / 255, yy * k / 255);
                } else if (components == 1) {
                    out[x] = qRgb(in[0], in[0], in[0]);
                } else {
                    out[x] = qRgb(in[0], in[1], in[2]);
                }
            }
        }
    } else {
        j->lines.resize(static_cast<size_t>(h));
        for (int y = 0; y < h; ++y)
            j->lines[static_cast<size_t>(y)] = j->image.scanLine(y);
        while (j->cinfo.output_scanline < j->cinfo.output_height) {
            const JDIMENSION y = j->cinfo.output_scanline;
            if (jpeg_read_scanlines(&j->cinfo, j->lines.data() + y, j->cinfo.output_height - y) == 0)
                break;
        }
    }
    jpeg_finish_decompress(&j->cinfo);
    jpeg_destroy_decompress(&j->cinfo);
    if (j->err.truncated)
        return {};
    if (grayscale)
        *grayscale = gray;
    return std::move(j->image);
}

std::vector<uint8_t> EncodeJpeg(const QImage &source, int quality)
{
    if (source.isNull())
        return {};
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    const std::unique_ptr<EncodeJob> job(new EncodeJob());
    EncodeJob *const j = job.get();
    j->cinfo.err = jpeg_std_error(&j->err.pub);
    j->err.pub.error_exit = OnFatal;
    j->err.pub.emit_message = OnMessage;
    j->err.truncated = false;
    if (setjmp(j->err.jump)) {
        jpeg_destroy_compress(&j->cinfo);
        std::free(j->out);
        return {};
    }
    jpeg_create_compress(&j->cinfo);
    jpeg_mem_dest(&j->cinfo, &j->out, &j->outSize);
    j->cinfo.image_width = static_cast<JDIMENSION>(image.width());
    j->cinfo.image_height = static_cast<JDIMENSION>(image.height());
    j->cinfo.input_components = 3;
    j->cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&j->cinfo);
    jpeg_set_quality(&j->cinfo, std::clamp(quality, 1, 100), TRUE);
    jpeg_start_compress(&j->cinfo, TRUE);
    j->row.resize(static_cast<size_t>(image.width()) * 3);
    while (j->cinfo.next_scanline < j->cinfo.image_height) {
        const auto *in = reinterpret_cast<const QRgb *>(image.constScanLine(static_cast<int>(j->cinfo.next_scanline)));
        for (int x = 0; x < image.width(); ++x) {
            j->row[static_cast<size_t>(x) * 3] = static_cast<JSAMPLE>(qRed(in[x]));
            j->row[static_cast<size_t>(x) * 3 + 1] = static_cast<JSAMPLE>(qGreen(in[x]));
            j->row[static_cast<size_t>(x) * 3 + 2] = static_cast<JSAMPLE>(qBlue(in[x]));
        }
        JSAMPROW rows[1] = {j->row.data()};
        jpeg_write_scanlines(&j->cinfo, rows, 1);
    }
    jpeg_finish_compress(&j->cinfo);
    std::vector<uint8_t> bytes(j->out, j->out + j->outSize);
    jpeg_destroy_compress(&j->cinfo);
    std::free(j->out);
    return bytes;
}

// ---------------------------------------------------------------- TJPEGImage

namespace {
QImage DecodeJpegBytes(const std::vector<uint8_t> &bytes, bool *grayscale)
{
    return DecodeJpeg(bytes.data(), bytes.size(), grayscale);
}
} // namespace

void TJPEGImage::LoadFromStream(TStream &stream)
{
    source_ = std::make_shared<TEncodedPixels>(ReadRest(stream), DecodeJpegBytes);
    image_ = QImage();
    data_.clear();
    grayscale_ = false;
    Changed();
}

bool TJPEGImage::Grayscale() const
{
    return source_ ? source_->Grayscale() : grayscale_;
}

const std::vector<uint8_t> &TJPEGImage::Data() const
{
    if (source_) {
        static const std::vector<uint8_t> none;
        return source_->Image().isNull() ? none : source_->Bytes();
    }
    if (data_.empty() && !image_.isNull())
        data_ = EncodeJpeg(image_, quality_);
    return data_;
}

void TJPEGImage::SaveToStream(TStream &stream) const
{
    const auto &bytes = Data();
    if (!bytes.empty())
        stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}

void TJPEGImage::Assign(const TGraphic &source)
{
    if (&source == this)
        return;
    if (auto *j = dynamic_cast<const TJPEGImage *>(&source)) {
        source_ = j->source_;
        image_ = j->image_;
        data_ = j->data_;
        grayscale_ = j->grayscale_;
        quality_ = j->quality_;
    } else {
        QImage img = source.ToImage();
        if (!img.isNull() && img.hasAlphaChannel()) {
            // JPEG has no alpha: flatten onto white.
            QImage flat(img.size(), QImage::Format_RGB32);
            flat.fill(Qt::white);
            QPainter p(&flat);
            p.drawImage(0, 0, img);
            p.end();
            img = flat;
        }
        source_.reset();
        image_ = img.isNull() ? QImage() : img.convertToFormat(QImage::Format_RGB32);
        data_.clear();
        grayscale_ = false;
    }
    Changed();
}

void TJPEGImage::SetCompressionQuality(int quality)
{
    quality = std::clamp(quality, 1, 100);
    if (quality == quality_)
        return;
    quality_ = quality;
}

} // namespace plat
