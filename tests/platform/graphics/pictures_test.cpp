// Pictures: decoding, format detection, bad data, drawing.
#include "platform/core/HelperThread.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphics.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <condition_variable>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

using namespace plat;

namespace {

const std::string kFixtures = std::string(ZIBOR_SOURCE_DIR) + "/tests/platform/fixtures/canvas/";

std::vector<uint8_t> Fixture(const std::string &name)
{
    std::ifstream in(kFixtures + name, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A memory stream holding bytes, positioned at its start.
struct BytesStream : TMemoryStream {
    explicit BytesStream(const std::vector<uint8_t> &bytes)
    {
        if (!bytes.empty())
            WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
        SetPosition(0);
    }
};

void LoadBytes(TGraphic &picture, const std::vector<uint8_t> &bytes)
{
    BytesStream s(bytes);
    picture.LoadFromStream(s);
}

bool Near(TColor a, TColor b, int tolerance = 24)
{
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

} // namespace

TEST(Pictures, JpegDecodesThroughLibjpeg)
{
    const auto bytes = Fixture("halves.jpg");
    ASSERT_FALSE(bytes.empty());
    TJPEGImage jpeg;
    BytesStream s(bytes);
    jpeg.LoadFromStream(s);
    ASSERT_EQ(jpeg.Width(), 16);
    ASSERT_EQ(jpeg.Height(), 8);
    EXPECT_TRUE(Near(FromQRgb(jpeg.Image().pixel(2, 4)), clRed));
    EXPECT_TRUE(Near(FromQRgb(jpeg.Image().pixel(13, 4)), clBlue));
    // Saving writes the original file bytes back.
    TMemoryStream out;
    jpeg.SaveToStream(out);
    EXPECT_EQ(out.Bytes(), bytes);

    TJPEGImage gray;
    BytesStream g(Fixture("gray.jpg"));
    gray.LoadFromStream(g);
    EXPECT_EQ(gray.Width(), 6);
    EXPECT_TRUE(gray.Grayscale());
}

// Loading keeps the bytes; the first use decodes them, once for every copy,
// into the pixels a decode on loading gave. Bad bytes still make an empty
// picture that saves nothing.
TEST(Pictures, AJpegIsDecodedOnFirstUseOnceForAllItsCopies)
{
    const auto bytes = Fixture("halves.jpg");
    const QImage reference = DecodeJpeg(bytes.data(), bytes.size());
    ASSERT_FALSE(reference.isNull());
    TJPEGImage jpeg;
    BytesStream s(bytes);
    jpeg.LoadFromStream(s);
    EXPECT_FALSE(jpeg.Decoded());
    const std::unique_ptr<TGraphic> clone = jpeg.Clone();
    TJPEGImage assigned;
    assigned.Assign(jpeg);
    EXPECT_FALSE(jpeg.Decoded()) << "copying decodes nothing";

    QImage target(16, 8, QImage::Format_RGB32);
    target.fill(Qt::black);
    TCanvas canvas(&target);
    clone->Draw(canvas, Rect(0, 0, 16, 8));
    EXPECT_EQ(target, reference) << "drawing decodes, as it was drawn before";
    EXPECT_TRUE(jpeg.Decoded()) << "the copy's decode serves the original";
    EXPECT_TRUE(assigned.Decoded());
    EXPECT_EQ(jpeg.Image().constBits(), assigned.Image().constBits()) << "one set of pixels";
    EXPECT_EQ(jpeg.Image(), reference);

    // Changing a copy leaves the others alone.
    TBitmap blue(4, 4);
    blue.Image().fill(Qt::blue);
    assigned.Assign(blue);
    EXPECT_EQ(assigned.Width(), 4);
    EXPECT_EQ(jpeg.Image(), reference);
    TMemoryStream out;
    jpeg.SaveToStream(out);
    EXPECT_EQ(out.Bytes(), bytes) << "the original bytes are written back";

    std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(bytes.size() / 2));
    TJPEGImage bad;
    BytesStream b(cut);
    bad.LoadFromStream(b);
    EXPECT_TRUE(bad.Empty());
    EXPECT_TRUE(bad.Data().empty()) << "a picture that does not decode has no bytes to write";
}

// A picture about to be shown decodes on another thread; its first use waits
// for that decode and gets the pixels a decode on loading gave. A picture
// freed while its decode runs waits for it; bad bytes stay an empty picture.
TEST(Pictures, APictureDecodedAheadServesItsFirstUse)
{
    struct Case {
        const char *fixture;
        std::function<std::unique_ptr<TEncodedGraphic>()> make;
        std::function<QImage(const std::vector<uint8_t> &)> reference;
    };
    const std::vector<Case> cases = {
        {"halves.jpg", [] { return std::make_unique<TJPEGImage>(); },
         [](const std::vector<uint8_t> &b) { return DecodeJpeg(b.data(), b.size()); }},
        {"tiny.gif", [] { return std::make_unique<TGIFImage>(); },
         [](const std::vector<uint8_t> &b) {
             const QImage read = QImage::fromData(b.data(), static_cast<int>(b.size()), "GIF");
             return read.convertToFormat(read.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.fixture);
        const auto bytes = Fixture(c.fixture);
        const std::unique_ptr<TEncodedGraphic> picture = c.make();
        LoadBytes(*picture, bytes);
        const bool transparentOnLoading = picture->Transparent();
        const std::unique_ptr<TGraphic> copy = picture->Clone();
        picture->DecodeAhead();
        picture->DecodeAhead();
        const QImage &copied = static_cast<const TEncodedGraphic &>(*copy).Image();
        EXPECT_FALSE(copied.isNull());
        EXPECT_EQ(copied, c.reference(bytes)) << "a copy waits for the same decode";
        EXPECT_TRUE(picture->Decoded());
        EXPECT_EQ(picture->Image().constBits(), copied.constBits());
        EXPECT_EQ(picture->Transparent(), transparentOnLoading) << "the pixels agree with what loading said";
        picture->DecodeAhead(); // decoded already: nothing starts

        for (int i = 0; i < 20; ++i) {
            const std::unique_ptr<TEncodedGraphic> freed = c.make();
            LoadBytes(*freed, bytes);
            freed->DecodeAhead();
        }

        const std::unique_ptr<TEncodedGraphic> bad = c.make();
        LoadBytes(*bad, std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(bytes.size() / 2)));
        bad->DecodeAhead();
        EXPECT_TRUE(bad->Empty());
        EXPECT_FALSE(bad->Transparent());
        TMemoryStream written;
        bad->SaveToStream(written);
        EXPECT_TRUE(written.Bytes().empty()) << "a picture that does not decode has no bytes to write";
    }

    TBitmap blue(4, 4);
    TJPEGImage assigned;
    assigned.Assign(blue);
    assigned.DecodeAhead(); // pixels of its own: nothing to decode
    EXPECT_EQ(assigned.Width(), 4);
}

// The decode ahead is a hint: a decode that runs out of memory on the helper
// thread, or a helper thread the system cannot make, leaves the decode to the
// first use; neither ends the program nor raises to the one who asked.
TEST(Pictures, APictureDecodedAheadSurvivesAFailedHelper)
{
    static std::thread::id interfaceThread;
    interfaceThread = std::this_thread::get_id();
    static std::mutex lock;
    static std::condition_variable changed;
    static bool helperFailed;
    helperFailed = false;
    // Out of memory off the interface thread only; the first use waits until
    // the helper has run out, so that its decode is the one that failed.
    const TEncodedPixels::TDecoder decoder = [](const std::vector<uint8_t> &, bool *) {
        if (std::this_thread::get_id() != interfaceThread) {
            {
                const std::lock_guard<std::mutex> guard(lock);
                helperFailed = true;
            }
            changed.notify_all();
            throw std::bad_alloc();
        }
        QImage image(3, 2, QImage::Format_RGB32);
        image.fill(Qt::red);
        return image;
    };
    enum { kDecodeFails, kNoThread } const cases[] = {kDecodeFails, kNoThread};
    for (const auto c : cases) {
        SCOPED_TRACE(c == kDecodeFails ? "the decode runs out of memory" : "no thread can be made");
        THelperThreadMaker previous;
        if (c == kNoThread)
            previous = SetHelperThreadMaker([](std::function<void()>) -> std::thread {
                throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
            });
        {
            TEncodedPixels pixels({1, 2, 3}, decoder);
            EXPECT_NO_THROW(pixels.DecodeAhead());
            if (c == kDecodeFails) {
                std::unique_lock<std::mutex> guard(lock);
                changed.wait(guard, [] { return helperFailed; });
            }
            EXPECT_EQ(pixels.Image().size(), QSize(3, 2));
            EXPECT_TRUE(pixels.Decoded());
        }
        SetHelperThreadMaker(previous);
    }
}

TEST(Pictures, BadDataGivesAnEmptyPictureThatDrawsNothing)
{
    const auto jpeg = Fixture("halves.jpg");
    const auto gif = Fixture("tiny.gif");
    struct Case { const char *what; std::vector<uint8_t> bytes; };
    std::vector<Case> cases = {
        {"nothing", {}},
        {"jpeg marker only", {0xFF, 0xD8, 0xFF}},
        {"jpeg cut after the header", std::vector<uint8_t>(jpeg.begin(), jpeg.begin() + 180)},
        {"jpeg cut in the scan", std::vector<uint8_t>(jpeg.begin(), jpeg.end() - 20)},
        {"gif cut in the image", std::vector<uint8_t>(gif.begin(), gif.begin() + 36)},
        {"bitmap header and nothing", {'B', 'M', 0x50, 0, 0, 0}},
        {"icon header and nothing", {0, 0, 1, 0, 1, 0}},
        {"garbage", std::vector<uint8_t>(300, 0x5A)},
    };
    // A JPEG whose header is intact but whose scan bytes are noise.
    std::vector<uint8_t> noisy = jpeg;
    for (size_t i = noisy.size() - 60; i < noisy.size() - 2; ++i)
        noisy[i] = static_cast<uint8_t>(i * 37);
    cases.push_back({"jpeg with a corrupt scan", noisy});

    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        TPicture pic;
        BytesStream s(c.bytes);
        pic.LoadFromStream(s);
        if (std::string(c.what) == "jpeg with a corrupt scan" && !pic.Empty()) {
            // libjpeg may decode noise into pixels; the picture must then be whole.
            EXPECT_EQ(pic.Width(), 16);
            continue;
        }
        EXPECT_TRUE(pic.Empty());
        EXPECT_EQ(pic.Width(), 0);
        EXPECT_EQ(pic.Height(), 0);

        for (TGraphic *g : std::initializer_list<TGraphic *>{new TJPEGImage, new TGIFImage, new TBitmap, new TIcon}) {
            std::unique_ptr<TGraphic> owned(g);
            BytesStream again(c.bytes);
            g->LoadFromStream(again);
            EXPECT_TRUE(g->Empty()) << g->ClassName();
            QImage img(4, 4, QImage::Format_RGB32);
            img.fill(Qt::white);
            TCanvas canvas(&img);
            canvas.StretchDraw(Rect(0, 0, 4, 4), *g);
            EXPECT_EQ(img.pixel(1, 1), qRgb(255, 255, 255));
        }
    }
}

TEST(Pictures, PictureDetectsTheFormatFromTheBytes)
{
    struct Case { const char *file; const char *className; int w, h; };
    for (const Case c : {Case{"halves.jpg", "TJPEGImage", 16, 8}, Case{"tiny.gif", "TGIFImage", 4, 4},
                         Case{"tiny.bmp", "TBitmap", 3, 2}, Case{"tiny.ico", "TIcon", 16, 16}}) {
        SCOPED_TRACE(c.file);
        TPicture pic;
        int changes = 0;
        pic.OnChange = [&](TObject *) { ++changes; };
        pic.LoadFromFile(kFixtures + c.file);
        ASSERT_TRUE(pic.Graphic());
        EXPECT_STREQ(pic.Graphic()->ClassName(), c.className);
        EXPECT_EQ(pic.Width(), c.w);
        EXPECT_EQ(pic.Height(), c.h);
        EXPECT_GE(changes, 1);
        TPicture copy;
        copy.Assign(pic);
        EXPECT_EQ(copy.Width(), c.w);
        EXPECT_NE(copy.Graphic(), pic.Graphic());
    }
    EXPECT_STREQ(TPicture::CreateGraphic("TJPEGImage")->ClassName(), "TJPEGImage");
    EXPECT_EQ(TPicture::CreateGraphic("TNothing"), nullptr);
}

TEST(Pictures, GifTransparencyLeavesTheCanvasAlone)
{
    TPicture pic;
    pic.LoadFromFile(kFixtures + "tiny.gif");
    ASSERT_EQ(pic.Width(), 4);
    QImage img(8, 8, QImage::Format_RGB32);
    img.fill(qRgb(0, 0, 255));
    TCanvas canvas(&img);
    canvas.Draw(2, 2, *pic.Graphic());
    EXPECT_EQ(FromQRgb(img.pixel(2, 2)), clBlue);  // the transparent corner
    EXPECT_EQ(FromQRgb(img.pixel(3, 3)), clLime);
    EXPECT_EQ(FromQRgb(img.pixel(6, 6)), clBlue);  // outside the picture
}

TEST(Pictures, BitmapNewPixelsAreWhiteAndKeptOnResize)
{
    TBitmap bmp;
    EXPECT_TRUE(bmp.Empty());
    bmp.SetSize(3, 2);
    EXPECT_EQ(bmp.Canvas()->Pixel(2, 1), clWhite);
    bmp.Canvas()->SetPixel(1, 1, clRed);
    bmp.SetSize(5, 4);
    EXPECT_EQ(bmp.Canvas()->Pixel(1, 1), clRed);
    EXPECT_EQ(bmp.Canvas()->Pixel(4, 3), clWhite);
    bmp.SetWidth(0);
    EXPECT_TRUE(bmp.Empty());
    EXPECT_EQ(bmp.Height(), 0);
}

TEST(Pictures, TransparentBitmapSkipsItsKeyColour)
{
    TBitmap bmp(2, 2);
    bmp.Canvas()->SetPixel(0, 1, clFuchsia);  // bottom-left: the automatic key
    bmp.Canvas()->SetPixel(1, 0, clFuchsia);
    bmp.Canvas()->SetPixel(0, 0, clBlack);
    bmp.SetTransparent(true);
    QImage img(2, 2, QImage::Format_RGB32);
    img.fill(qRgb(0, 255, 0));
    TCanvas canvas(&img);
    canvas.Draw(0, 0, bmp);
    EXPECT_EQ(FromQRgb(img.pixel(0, 0)), clBlack);
    EXPECT_EQ(FromQRgb(img.pixel(1, 0)), clLime);
    EXPECT_EQ(FromQRgb(img.pixel(0, 1)), clLime);
    EXPECT_EQ(FromQRgb(img.pixel(1, 1)), clWhite);
}

TEST(Pictures, StretchDrawScalesIntoTheRectangle)
{
    TJPEGImage jpeg;
    jpeg.LoadFromFile(kFixtures + "halves.jpg");
    QImage img(32, 4, QImage::Format_RGB32);
    img.fill(Qt::black);
    TCanvas canvas(&img);
    canvas.StretchDraw(Rect(0, 0, 32, 4), jpeg);
    EXPECT_TRUE(Near(FromQRgb(img.pixel(4, 2)), clRed));
    EXPECT_TRUE(Near(FromQRgb(img.pixel(28, 2)), clBlue));
    EXPECT_EQ(canvas.StretchBltMode(), COLORONCOLOR);
}

TEST(Pictures, JpegRoundTripsThroughTheEncoder)
{
    TBitmap bmp(10, 6);
    bmp.Canvas()->Brush().SetColor(clNavy);
    bmp.Canvas()->FillRect(Rect(0, 0, 5, 6));
    TJPEGImage jpeg;
    jpeg.SetCompressionQuality(95);
    jpeg.Assign(bmp);
    TMemoryStream s;
    jpeg.SaveToStream(s);
    ASSERT_GT(s.Size(), 0);
    TPicture back;
    s.SetPosition(0);
    back.LoadFromStream(s);
    ASSERT_STREQ(back.Graphic()->ClassName(), "TJPEGImage");
    const QImage img = back.Graphic()->ToImage();
    EXPECT_TRUE(Near(FromQRgb(img.pixel(1, 3)), clNavy));
    EXPECT_TRUE(Near(FromQRgb(img.pixel(8, 3)), clWhite));
}

TEST(Pictures, PictureBitmapConvertsOtherGraphics)
{
    TPicture pic;
    pic.LoadFromFile(kFixtures + "halves.jpg");
    TBitmap *bmp = pic.Bitmap();
    ASSERT_TRUE(bmp);
    EXPECT_STREQ(pic.Graphic()->ClassName(), "TBitmap");
    EXPECT_EQ(bmp->Width(), 16);
    EXPECT_TRUE(Near(bmp->Canvas()->Pixel(2, 2), clRed));
}

TEST(Pictures, PatternBrushIsCopiedFromTheBitmap)
{
    TBrush brush;
    {
        TBitmap pattern(8, 8);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                pattern.Canvas()->SetPixel(x, y, (x + y) % 2 ? clBlack : clWhite);
        brush.SetBitmap(&pattern);
    }  // the bitmap is gone; the brush keeps its copy
    QImage img(10, 10, QImage::Format_RGB32);
    TCanvas canvas(&img);
    canvas.SetBrush(brush);
    canvas.FillRect(Rect(0, 0, 10, 10));
    EXPECT_EQ(FromQRgb(img.pixel(0, 0)), clWhite);
    EXPECT_EQ(FromQRgb(img.pixel(1, 0)), clBlack);
    EXPECT_EQ(FromQRgb(img.pixel(9, 0)), clBlack);  // repeats past 8
}

TEST(Pictures, MutatedPicturesDecodeOrStayEmpty)
{
    uint32_t seed = 777;
    auto next = [&] { return seed = seed * 1103515245u + 12345u; };
    for (const char *file : {"halves.jpg", "tiny.gif", "tiny.bmp", "tiny.ico"}) {
        const auto bytes = Fixture(file);
        for (int round = 0; round < 120; ++round) {
            std::vector<uint8_t> copy = bytes;
            for (int k = 0; k < 3; ++k)
                copy[4 + next() % (copy.size() - 4)] = static_cast<uint8_t>(next() >> 16);
            if (round % 4 == 0)
                copy.resize(4 + next() % (copy.size() - 4));
            TPicture pic;
            BytesStream s(copy);
            pic.LoadFromStream(s);
            SCOPED_TRACE(file);
            EXPECT_EQ(pic.Empty(), pic.Width() == 0 || pic.Height() == 0);
            EXPECT_LE(pic.Width(), MaxPictureSide);
            EXPECT_LE(pic.Height(), MaxPictureSide);
            QImage img(8, 8, QImage::Format_RGB32);
            TCanvas canvas(&img);
            if (pic.Graphic())
                canvas.StretchDraw(Rect(0, 0, 8, 8), *pic.Graphic());
        }
    }
}

TEST(Pictures, PictureReportsChangesOfItsGraphic)
{
    TPicture pic;
    pic.LoadFromFile(kFixtures + "tiny.bmp");
    TPicture copy(pic);
    for (TPicture *p : {&pic, &copy}) {
        int changes = 0;
        p->OnChange = [&](TObject *) { ++changes; };
        p->Bitmap()->SetSize(7, 7);  // changing the graphic in place
        EXPECT_EQ(changes, 1);
        EXPECT_EQ(p->Width(), 7);
    }
    EXPECT_EQ(pic.Graphic()->Width(), 7);
}
