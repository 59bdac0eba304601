// Decoding the program's pictures: JPEGs straight into the image against a
// decode through a row buffer, GIFs on first use against Qt's own reader,
// and the picture control that leaves a GIF undecoded until it paints.
#include "platform/core/Streams.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphics.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QImageReader>
#include <QWidget>

#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>

#include <jpeglib.h>
#include <jerror.h>

using namespace plat;

namespace {

using Bytes = std::vector<uint8_t>;

const std::string kFixtures = std::string(ZIBOR_SOURCE_DIR) + "/tests/platform/fixtures/canvas/";

Bytes Fixture(const std::string &name)
{
    std::ifstream in(kFixtures + name, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

Bytes Resource(const char *type, const std::string &name)
{
    TResourceStream stream(type, name);
    return ReadRest(stream);
}

// The names of the program's pictures of one type, from the resource folder.
std::vector<std::string> ResourceNames(const char *type)
{
    std::vector<std::string> names;
    const QDir dir(QString(ZIBOR_SOURCE_DIR "/resources/") + type);
    for (const QString &file : dir.entryList({QString("*.") + type}, QDir::Files, QDir::Name))
        names.push_back(file.section('.', 0, 0).toStdString());
    return names;
}

struct BytesStream : TMemoryStream {
    explicit BytesStream(const std::vector<uint8_t> &bytes)
    {
        if (!bytes.empty())
            WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
        SetPosition(0);
    }
};

// The decode the pictures had before they were decoded into the image's
// own lines: libjpeg's RGB, grey or CMYK rows through a buffer, converted
// one pixel at a time. A null image for bad or cut-off data.
struct ReferenceJob {
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    bool truncated = false;
    QImage image;
    std::vector<JSAMPLE> row;
};

QImage RowByRowDecode(const Bytes &bytes, bool *grayscale)
{
    auto job = std::make_unique<ReferenceJob>();
    ReferenceJob *const j = job.get();
    j->cinfo.err = jpeg_std_error(&j->pub);
    j->pub.error_exit = [](j_common_ptr c) { std::longjmp(reinterpret_cast<ReferenceJob *>(c->client_data)->jump, 1); };
    j->pub.emit_message = [](j_common_ptr c, int level) {
        if (level < 0 && c->err->msg_code == JWRN_JPEG_EOF)
            reinterpret_cast<ReferenceJob *>(c->client_data)->truncated = true;
    };
    if (setjmp(j->jump)) {
        jpeg_destroy_decompress(&j->cinfo);
        return {};
    }
    jpeg_create_decompress(&j->cinfo);
    j->cinfo.client_data = j;
    jpeg_mem_src(&j->cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&j->cinfo, TRUE);
    const bool cmyk = j->cinfo.jpeg_color_space == JCS_CMYK || j->cinfo.jpeg_color_space == JCS_YCCK;
    const bool gray = j->cinfo.jpeg_color_space == JCS_GRAYSCALE;
    j->cinfo.out_color_space = cmyk ? JCS_CMYK : gray ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_start_decompress(&j->cinfo);
    const int w = static_cast<int>(j->cinfo.output_width), comps = j->cinfo.output_components;
    const bool inverted = cmyk && j->cinfo.saw_Adobe_marker;
    j->image = QImage(w, static_cast<int>(j->cinfo.output_height), QImage::Format_RGB32);
    j->row.resize(static_cast<size_t>(w * comps));
    while (j->cinfo.output_scanline < j->cinfo.output_height) {
        JSAMPROW rows[1] = {j->row.data()};
        auto *out = reinterpret_cast<QRgb *>(j->image.scanLine(static_cast<int>(j->cinfo.output_scanline)));
        jpeg_read_scanlines(&j->cinfo, rows, 1);
        const JSAMPLE *in = j->row.data();
        for (int x = 0; x < w; ++x, in += comps) {
            if (comps == 1) {
                out[x] = qRgb(in[0], in[0], in[0]);
            } else if (comps == 4) {
                int c = in[0], m = in[1], y = in[2], k = in[3];
                if (!inverted) {
                    c = 255 - c; m = 255 - m; y = 255 - y; k = 255 - k;
                }
                out[x] = qRgb(c * k / 255, m * k / 255, y * k / 255);
            } else {
                out[x] = qRgb(in[0], in[1], in[2]);
            }
        }
    }
    jpeg_finish_decompress(&j->cinfo);
    jpeg_destroy_decompress(&j->cinfo);
    if (j->truncated)
        return {};
    *grayscale = gray;
    return std::move(j->image);
}

// Every byte of both images, the fourth byte of each pixel included, which
// QImage's comparison of RGB32 images leaves out.
bool SameBytes(const QImage &a, const QImage &b)
{
    if (a.format() != b.format() || a.size() != b.size())
        return false;
    for (int y = 0; y < a.height(); ++y)
        if (std::memcmp(a.constScanLine(y), b.constScanLine(y), static_cast<size_t>(a.width()) * 4) != 0)
            return false;
    return true;
}

// The file without its Adobe marker (APP14), so that its CMYK is read as
// not inverted.
Bytes WithoutAdobeMarker(const Bytes &jpeg)
{
    for (size_t at = 2; at + 4 <= jpeg.size();) {
        if (jpeg[at] != 0xFF)
            break;
        const size_t length = size_t(jpeg[at + 2]) << 8 | jpeg[at + 3];
        if (jpeg[at + 1] == 0xEE) {
            Bytes out(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(at));
            out.insert(out.end(), jpeg.begin() + static_cast<std::ptrdiff_t>(at + 2 + length), jpeg.end());
            return out;
        }
        at += 2 + length;
    }
    return {};
}

Bytes Cut(const Bytes &bytes, size_t keep) { return Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(keep)); }

// Qt's reader on the whole file, as GIFs were decoded when they were loaded;
// null when the first frame does not decode.
QImage QtReaderGif(const Bytes &bytes)
{
    QByteArray data(reinterpret_cast<const char *>(bytes.data()), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "GIF");
    QImage image;
    if (!reader.read(&image))
        return {};
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
}

struct GifCase {
    std::string what;
    Bytes bytes;
};

std::vector<GifCase> EveryGif()
{
    std::vector<GifCase> cases;
    for (const std::string &name : ResourceNames("gif"))
        cases.push_back({"resource " + name, Resource("gif", name)});
    for (const char *file : {"tiny.gif", "opaque.gif", "two_frames.gif", "small_frame.gif"})
        cases.push_back({file, Fixture(file)});
    // tiny.gif with its transparency switched off in the control block.
    Bytes off = Fixture("tiny.gif");
    off[0x16] &= 0xFE;
    cases.push_back({"transparency bit off", off});
    return cases;
}

} // namespace

TEST(PictureDecoding, JpegDecodesIntoTheImageAsTheRowByRowDecodeDid)
{
    std::vector<std::pair<std::string, Bytes>> cases;
    for (const std::string &name : ResourceNames("jpg"))
        cases.push_back({"resource " + name, Resource("jpg", name)});
    for (const char *file : {"halves.jpg", "gray.jpg", "odd420.jpg", "odd422.jpg", "odd444.jpg", "progressive.jpg", "cmyk.jpg"})
        cases.push_back({file, Fixture(file)});
    const Bytes cmyk = Fixture("cmyk.jpg");
    ASSERT_FALSE(WithoutAdobeMarker(cmyk).empty());
    cases.push_back({"cmyk without the Adobe marker", WithoutAdobeMarker(cmyk)});

    for (const auto &[what, bytes] : cases) {
        SCOPED_TRACE(what);
        ASSERT_FALSE(bytes.empty());
        bool oldGray = false, newGray = true;
        const QImage before = RowByRowDecode(bytes, &oldGray);
        const QImage now = DecodeJpeg(bytes.data(), bytes.size(), &newGray);
        ASSERT_FALSE(before.isNull());
        EXPECT_EQ(now.format(), QImage::Format_RGB32);
        EXPECT_TRUE(SameBytes(now, before)) << "bit for bit, opaque alpha included";
        EXPECT_EQ(newGray, oldGray);
    }
    EXPECT_TRUE(DecodeJpeg(Fixture("gray.jpg").data(), Fixture("gray.jpg").size(), nullptr).width() == 6);

    // Cut-off files are refused, whatever the colour space.
    for (const char *file : {"halves.jpg", "gray.jpg", "odd420.jpg", "progressive.jpg", "cmyk.jpg"}) {
        SCOPED_TRACE(file);
        const Bytes whole = Fixture(file);
        for (const size_t keep : {whole.size() - 20, whole.size() / 2}) {
            const Bytes cut = Cut(whole, keep);
            bool gray = false;
            EXPECT_TRUE(RowByRowDecode(cut, &gray).isNull());
            EXPECT_TRUE(DecodeJpeg(cut.data(), cut.size()).isNull()) << keep << " bytes kept";
        }
    }
}

// A loaded GIF keeps its bytes, knows its transparency from its header, and
// decodes on first use, once for all its copies, into what Qt's reader gave
// on loading.
TEST(PictureDecoding, AGifDecodesOnFirstUseIntoWhatQtsReaderGives)
{
    for (const GifCase &c : EveryGif()) {
        SCOPED_TRACE(c.what);
        const QImage reference = QtReaderGif(c.bytes);
        ASSERT_FALSE(reference.isNull());
        TGIFImage gif;
        BytesStream s(c.bytes);
        gif.LoadFromStream(s);
        const std::unique_ptr<TGraphic> clone = gif.Clone();
        const TGIFImage copy(gif);
        EXPECT_FALSE(gif.Decoded()) << "loading and copying decode nothing";
        EXPECT_EQ(gif.Transparent(), reference.hasAlphaChannel()) << "from the header";
        EXPECT_EQ(clone->Transparent(), reference.hasAlphaChannel());

        EXPECT_EQ(clone->Width(), reference.width()) << "measuring decodes";
        EXPECT_TRUE(gif.Decoded()) << "the copy's decode serves the original";
        EXPECT_TRUE(copy.Decoded());
        EXPECT_EQ(gif.Image().constBits(), copy.Image().constBits()) << "one set of pixels";
        EXPECT_EQ(gif.Image().format(), reference.format());
        EXPECT_EQ(gif.Image(), reference);
        EXPECT_EQ(gif.Transparent(), reference.hasAlphaChannel()) << "from the pixels";

        TMemoryStream out;
        gif.SaveToStream(out);
        EXPECT_EQ(out.Bytes(), c.bytes);
    }
}

// A damaged GIF is what it was when GIFs were decoded on loading: an empty
// picture without transparency that draws and saves nothing, before its
// first use and after; a picture loaded from it has no graphic.
TEST(PictureDecoding, ADamagedGifIsEmptyAndNotTransparent)
{
    // tiny.gif: header and screen to 13, colour table to 19, control block
    // to 27, image descriptor to 37, code size, block length 4 at 38, data
    // from 39, trailer at 44.
    const Bytes gif = Fixture("tiny.gif");
    Bytes noImage = Cut(gif, 27);
    noImage.push_back(0x3B);
    Bytes stray = gif;
    stray[27] = 0x77;
    const std::vector<GifCase> cases = {
        {"header only", Cut(gif, 13)},
        {"cut in the colour table", Cut(gif, 16)},
        {"cut in the control block", Cut(gif, 23)},
        {"cut in the image descriptor", Cut(gif, 32)},
        {"cut before the image data", Cut(gif, 39)},
        {"no image before the trailer", noImage},
        {"a stray byte for the image", stray},
    };
    for (const GifCase &c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(QtReaderGif(c.bytes).isNull()) << "Qt's reader refuses it";
        TGIFImage bad;
        BytesStream s(c.bytes);
        bad.LoadFromStream(s);
        EXPECT_FALSE(bad.Transparent()) << "before the first use";
        QImage target(6, 6, QImage::Format_RGB32);
        target.fill(Qt::white);
        TCanvas canvas(&target);
        canvas.StretchDraw(Rect(0, 0, 6, 6), bad);
        EXPECT_EQ(target.pixel(1, 1), qRgb(255, 255, 255));
        EXPECT_TRUE(bad.Empty());
        EXPECT_FALSE(bad.Transparent()) << "after it";
        TMemoryStream out;
        bad.SaveToStream(out);
        EXPECT_EQ(out.Size(), 0);

        TPicture picture;
        BytesStream again(c.bytes);
        picture.LoadFromStream(again);
        EXPECT_EQ(picture.Graphic(), nullptr);
    }

    // Cut anywhere, a GIF knows before its decode what the decode will say
    // of its transparency (Qt's reader takes a frame cut in its data).
    std::vector<GifCase> every = EveryGif();
    Bytes emptyFirstBlock = gif;
    emptyFirstBlock[38] = 0;
    every.push_back({"first data block empty", emptyFirstBlock});
    for (const GifCase &c : every) {
        // The resources' first frames start within 820 bytes; past that,
        // cutting one of them is cutting in its data.
        const bool resource = c.what.rfind("resource", 0) == 0;
        if (resource && c.what != "resource BtnNToff" && c.what != "resource BtnSpkOff")
            continue;
        for (size_t keep = 0; keep <= std::min<size_t>(c.bytes.size(), 820); ++keep) {
            SCOPED_TRACE(c.what + " cut to " + std::to_string(keep));
            const Bytes cut = Cut(c.bytes, keep);
            TGIFImage cutShort;
            BytesStream s(cut);
            cutShort.LoadFromStream(s);
            ASSERT_EQ(cutShort.Transparent(), QtReaderGif(cut).hasAlphaChannel());
        }
    }

    // Damage past the header: whatever Qt's reader makes of it, the picture
    // makes the same once used.
    uint32_t seed = 4242;
    auto next = [&] { return seed = seed * 1103515245u + 12345u; };
    for (const GifCase &c : every) {
        for (int round = 0; round < 40; ++round) {
            Bytes copy = c.bytes;
            for (int k = 0; k < 3; ++k)
                copy[13 + next() % (copy.size() - 13)] = static_cast<uint8_t>(next() >> 16);
            SCOPED_TRACE(c.what + " round " + std::to_string(round));
            const QImage reference = QtReaderGif(copy);
            TGIFImage mutated;
            BytesStream s(copy);
            mutated.LoadFromStream(s);
            EXPECT_EQ(mutated.Image(), reference);
            EXPECT_EQ(mutated.Transparent(), reference.hasAlphaChannel());
        }
    }
}

// The picture control takes its own transparency over the GIF's without
// decoding it; the pixels are decoded when the control paints.
TEST(PictureDecoding, APictureControlDecodesItsGifWhenItPaints)
{
    const Bytes bytes = Resource("gif", "BtnNToff");
    const QImage reference = QtReaderGif(bytes);
    ASSERT_TRUE(reference.hasAlphaChannel());
    TGIFImage loaded;
    BytesStream s(bytes);
    loaded.LoadFromStream(s);

    TForm &form = *MakeForm<TForm>(nullptr);
    form.SetBorderStyle(TFormBorderStyle::bsNone);
    form.SetBounds(0, 0, 240, 100);
    form.SetColor(clNavy);
    auto *opaque = new TImage(&form);
    opaque->SetParent(&form);
    opaque->SetBounds(0, 0, 200, 60);
    auto *seeThrough = new TImage(&form);
    seeThrough->SetParent(&form);
    seeThrough->SetBounds(0, 0, 200, 60);
    seeThrough->SetTransparent(true);
    seeThrough->SetVisible(false);
    for (TImage *image : {opaque, seeThrough})
        image->Picture().SetGraphic(&loaded);
    const auto gifOf = [](TImage *image) { return dynamic_cast<const TGIFImage *>(image->Picture().Graphic()); };
    ASSERT_TRUE(gifOf(opaque) && gifOf(seeThrough));
    EXPECT_FALSE(loaded.Decoded()) << "assigning to the controls decodes nothing";
    EXPECT_FALSE(gifOf(opaque)->Transparent());
    EXPECT_TRUE(gifOf(seeThrough)->Transparent());

    form.Show();
    QCoreApplication::processEvents();
    form.Repaint();
    EXPECT_TRUE(loaded.Decoded()) << "painting the control decodes its picture";
    EXPECT_EQ(gifOf(opaque)->Image(), reference);
    EXPECT_EQ(gifOf(opaque)->Image().constBits(), gifOf(seeThrough)->Image().constBits());
    EXPECT_FALSE(gifOf(opaque)->Transparent()) << "the control's setting holds after the decode";
    EXPECT_TRUE(loaded.Transparent());

    // On the screen: the picture over the window's colour where it is
    // transparent, as drawing the decoded pixels there gives.
    QImage expected(200, 60, QImage::Format_RGB32);
    expected.fill(ToQRgb(clNavy));
    TCanvas canvas(&expected);
    canvas.Draw(0, 0, loaded);
    const QImage onScreen = form.Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32).copy(0, 0, 200, 60);
    EXPECT_EQ(onScreen, expected);
    form.Hide();
    form.Free();
}
