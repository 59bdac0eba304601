// Whole pages: pictures as image objects, damaged pages, and the
// report-shaped page compared pixel by pixel with the screen's own playback.
#include "PdfPageSupport.h"

#include "platform/core/Streams.h"
#include "platform/metafile/MetafilePlayer.h"
#include "rendering/pdf/GdiPlusLib.h"
#include "rendering/pdf/PdfImage.h"
#include "tests/support/DibRecords.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstring>

using namespace pdftest;
using namespace plat;
namespace emf = plat::emf;

namespace {

using zibor::test::Get32;
using zibor::test::InsertRecord;
using zibor::test::Put32;
using zibor::test::StretchDib;

std::string Repeat(const std::string &piece, int times)
{
    std::string s;
    for (int i = 0; i < times; ++i)
        s += piece;
    return s;
}

TMetafile PageOf(std::vector<uint8_t> bytes)
{
    TMetafile mf;
    mf.SetMMWidth(kA4MMWidth);
    mf.SetMMHeight(kA4MMHeight);
    mf.SetBytes(std::move(bytes));
    return mf;
}

std::string ImageData(TPdfDocument &doc, const char *name)
{
    TPdfStream *s = doc.GetXObject(name);
    return s ? s->Writer().ToString() : std::string("<none>");
}

std::string NameValue(TPdfDictionary &d, const char *key)
{
    auto *n = d.ValueAs<TPdfName>(key);
    return n ? n->Value() : std::string("<none>");
}

int NumberValue(TPdfDictionary &d, const char *key)
{
    auto *n = d.ValueAs<TPdfNumber>(key);
    return n ? n->Value() : -1;
}

class PdfFiles : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    std::string Path(const std::string &name) const { return dir_.filePath(QString::fromStdString(name)).toStdString(); }
    // Saves and checks the file; the file name.
    std::string SaveChecked(TPdfDocument &doc, const std::string &name)
    {
        const std::string file = Path(name);
        EXPECT_TRUE(doc.SaveToFile(file));
        if (HaveTool("qpdf")) {
            std::string out;
            EXPECT_TRUE(QpdfChecks(file, &out)) << name << ": " << out;
        }
        return file;
    }
    QTemporaryDir dir_;
};

// ---- pictures ---------------------------------------------------------------------

using PdfImages = PdfFiles;

TEST_F(PdfImages, RecordedPicturesBecomeSyn1AndSyn2)
{
    const TMetafile mf = RecordPage([](TCanvas &c) {
        TBitmap red(4, 3), blue(2, 2);
        red.Image().fill(qRgb(255, 0, 0));
        blue.Image().fill(qRgb(0, 0, 255));
        c.StretchDraw(Rect(0, 0, 400, 300), red);
        c.StretchDraw(Rect(400, 300, 600, 500), blue);
    });
    TPdfDocument doc;
    doc.AddPage();
    doc.Canvas().RenderMetaFile(mf);
    const std::string out = Content(doc);
    EXPECT_NE(out.find("q\n300 0 0 225 0 617 cm\n/Syn1 Do\nQ\n"), std::string::npos) << out;
    EXPECT_NE(out.find("/Syn2 Do\n"), std::string::npos) << out;
    EXPECT_EQ(doc.ImageCounter, 2);
    for (const char *name : {"Syn1", "Syn2"}) {
        TPdfStream *image = doc.GetXObject(name);
        ASSERT_NE(image, nullptr) << name;
        EXPECT_EQ(NameValue(image->Attributes(), "Subtype"), "Image");
        EXPECT_EQ(NameValue(image->Attributes(), "ColorSpace"), "DeviceRGB");
        EXPECT_EQ(NumberValue(image->Attributes(), "BitsPerComponent"), 8);
    }
    EXPECT_EQ(ImageData(doc, "Syn1"), Repeat(std::string("\xFF\0\0", 3), 12));
    const std::string file = SaveChecked(doc, "pictures.pdf");
    if (!HaveTool("pdftoppm"))
        GTEST_SKIP() << "pdftoppm is not installed";
    const QImage shown = RenderPdf(file, Path("pictures"));
    ASSERT_FALSE(shown.isNull());
    EXPECT_EQ(shown.pixel(200, 150), qRgb(255, 0, 0));
    EXPECT_EQ(shown.pixel(500, 400), qRgb(0, 0, 255));
    EXPECT_EQ(shown.pixel(700, 700), qRgb(255, 255, 255));
}

TEST_F(PdfImages, OneBitBecomesIndexedWith256EntriesAnd32BitsThreeBytesAPixel)
{
    std::vector<uint8_t> bytes = WrittenPage([](emf::TEmfWriter &) {}).Bytes();
    // 8 x 2, one bit a pixel, bottom row first: bottom 0000 1111, top 1111 0000.
    StretchDib(bytes, 1, 8, 2, {0x0000FF, 0x00FF00}, {0x0F, 0xF0}, {0, 0, 8, 2}, {0, 0, 80, 20});
    // 2 x 2, 32 bits: bottom red, green; top blue, white.
    StretchDib(bytes, 32, 2, 2, {}, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}, {0, 0, 2, 2}, {100, 0, 140, 40});
    TPdfDocument doc;
    doc.AddPage();
    doc.Canvas().RenderMetaFile(PageOf(bytes));

    TPdfStream *indexed = doc.GetXObject("Syn1");
    ASSERT_NE(indexed, nullptr);
    auto *space = indexed->Attributes().ValueAs<TPdfArray>("ColorSpace");
    ASSERT_NE(space, nullptr);
    ASSERT_EQ(space->ItemCount(), 4);
    EXPECT_EQ(static_cast<TPdfName *>(space->Items(0))->Value(), "Indexed");
    EXPECT_EQ(static_cast<TPdfName *>(space->Items(1))->Value(), "DeviceRGB");
    EXPECT_EQ(static_cast<TPdfNumber *>(space->Items(2))->Value(), 255);
    std::string palette = "<0000FF 00FF00 ";
    for (int i = 2; i < 256; ++i)
        palette += "000000 ";
    EXPECT_EQ(static_cast<TPdfText *>(space->Items(3))->Value(), palette + ">");
    EXPECT_EQ(ImageData(doc, "Syn1"), std::string("\1\1\1\1\0\0\0\0\0\0\0\0\1\1\1\1", 16));

    EXPECT_EQ(NameValue(doc.GetXObject("Syn2")->Attributes(), "ColorSpace"), "DeviceRGB");
    EXPECT_EQ(ImageData(doc, "Syn2"), std::string("\0\0\xFF\xFF\xFF\xFF\xFF\0\0\0\xFF\0", 12));

    const std::string file = SaveChecked(doc, "dibs.pdf");
    if (!HaveTool("pdftoppm"))
        GTEST_SKIP() << "pdftoppm is not installed";
    const QImage shown = RenderPdf(file, Path("dibs"));
    EXPECT_EQ(shown.pixel(10, 2), qRgb(0, 255, 0));   // top row, left half: index 1
    EXPECT_EQ(shown.pixel(70, 2), qRgb(0, 0, 255));   // top row, right half: index 0
    EXPECT_EQ(shown.pixel(105, 35), qRgb(255, 0, 0)); // bottom left of the 32-bit picture
}

TEST_F(PdfImages, ASourceRectangleIsCutToTheBitmapAndAnEmptyOneDrawsNothing)
{
    std::vector<uint8_t> bytes = WrittenPage([](emf::TEmfWriter &) {}).Bytes();
    const std::vector<int32_t> pixels(4 * 2, 0x808080);
    StretchDib(bytes, 32, 4, 2, {}, pixels, {-2, 0, 2, 2}, {0, 0, 60, 20});
    StretchDib(bytes, 32, 4, 2, {}, pixels, {10, 0, 14, 2}, {0, 0, 60, 20});
    TPdfDocument doc;
    doc.AddPage();
    doc.Canvas().RenderMetaFile(PageOf(bytes));
    ASSERT_NE(doc.GetXObject("Syn1"), nullptr);
    EXPECT_EQ(NumberValue(doc.GetXObject("Syn1")->Attributes(), "Width"), 2);
    EXPECT_EQ(ImageData(doc, "Syn1").size(), 2u * 2 * 3);
    EXPECT_EQ(doc.GetXObject("Syn2"), nullptr);
    EXPECT_EQ(Content(doc).find("/Syn2"), std::string::npos);
}

TEST_F(PdfImages, TheLossyPathWritesJpegAtTheDocumentsQuality)
{
    const TMetafile mf = RecordPage([](TCanvas &c) {
        c.StretchDraw(Rect(0, 0, 200, 100), GradientPicture(64, 32));
    });
    std::string sizes[2];
    int i = 0;
    for (int quality : {60, 95}) {
        TPdfDocument doc;
        doc.JPEGCompression = quality;
        doc.AddPage();
        doc.Canvas().RenderMetaFile(mf);
        TPdfStream *image = doc.GetXObject("Syn1");
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(NameValue(image->Attributes(), "ColorSpace"), "DeviceRGB");
        EXPECT_NE(image->Filter().FindName("DCTDecode"), nullptr);
        EXPECT_EQ(image->Filter().FindName("FlateDecode"), nullptr);
        const std::string data = ImageData(doc, "Syn1");
        EXPECT_EQ(data.substr(0, 2), "\xFF\xD8");
        sizes[i++] = data;
        const std::string file = SaveChecked(doc, "jpeg" + std::to_string(quality) + ".pdf");
        EXPECT_NE(ReadFile(file).find("/Filter [/DCTDecode ]"), std::string::npos);
        if (HaveTool("pdftoppm")) {
            const QImage shown = RenderPdf(file, Path("jpeg" + std::to_string(quality)));
            const QRgb p = shown.pixel(150, 60);
            const QRgb want = GradientPicture(64, 32).Image().pixel(48, 19);
            EXPECT_NEAR(qRed(p), qRed(want), 40);
            EXPECT_NEAR(qGreen(p), qGreen(want), 40);
        }
    }
    EXPECT_LT(sizes[0].size(), sizes[1].size());
    // The library object keeps its life cycle but says it is not loaded.
    ASSERT_NE(Gdip(), nullptr);
    EXPECT_FALSE(GdipLoaded());
    EXPECT_FALSE(Gdip()->Started());
    EXPECT_EQ(TJpegImage().CompressionQuality(), 80);
}

TEST_F(PdfImages, PicturesOfAnyKindBecomeImages)
{
    TPdfDocument doc;
    TBitmap bitmap(3, 2);
    bitmap.Image().fill(qRgb(10, 20, 30));
    TPdfImage rgb(doc, true, bitmap);
    EXPECT_EQ(rgb.PixelWidth(), 3);
    EXPECT_EQ(rgb.Writer().ToString(), Repeat("\x0A\x14\x1E", 6));
    TJpegImage jpeg;
    jpeg.Assign(bitmap);
    TPdfImage dct(doc, true, jpeg);
    EXPECT_NE(dct.Filter().FindName("DCTDecode"), nullptr);
    EXPECT_EQ(dct.PixelHeight(), 2);
}

// ---- damaged pages ---------------------------------------------------------------------

struct TRecordAt {
    size_t offset;
    uint32_t type, size;
};

std::vector<TRecordAt> Records(const std::vector<uint8_t> &page)
{
    std::vector<TRecordAt> out;
    for (size_t at = 0; at + 8 <= page.size();) {
        const uint32_t size = Get32(page, at + 4);
        out.push_back({at, Get32(page, at), size});
        if (size < 8)
            break;
        at += size;
    }
    return out;
}

TRecordAt Last(const std::vector<uint8_t> &page, uint32_t type)
{
    TRecordAt found{0, 0, 0};
    for (const TRecordAt &r : Records(page))
        if (r.type == type)
            found = r;
    return found;
}

using PdfDamagedPages = PdfFiles;

TEST_F(PdfDamagedPages, ConvertWhatIsSoundAndGiveAValidFile)
{
    const TMetafile good = RecordPage([](TCanvas &c) {
        c.Rectangle(10, 20, 110, 70);
        c.Font().SetName("Calibri");
        c.TextOut(10, 100, "Tekst");
        c.Pen().SetColor(clRed);
        c.Polyline(std::vector<TPoint>{{0, 0}, {50, 50}, {90, 10}});
        c.StretchDraw(Rect(200, 200, 300, 300), GradientPicture(8, 8));
        c.Ellipse(300, 300, 400, 350);
    });
    struct Damage {
        const char *name;
        void (*apply)(std::vector<uint8_t> &);
    } damages[] = {
        {"a record whose size runs past the page",
         [](std::vector<uint8_t> &b) { Put32(b, Last(b, emf::EMR_EXTTEXTOUTW).offset + 4, 0x7FFFFFF0); }},
        {"a record size that is no whole number of words",
         [](std::vector<uint8_t> &b) { Put32(b, Last(b, emf::EMR_EXTTEXTOUTW).offset + 4, 13); }},
        {"a page cut off in the middle of its records",
         [](std::vector<uint8_t> &b) {
             const TRecordAt t = Last(b, emf::EMR_EXTTEXTOUTW);
             b.resize(t.offset + (t.size / 2 & ~3u));
             Put32(b, 48, uint32_t(b.size()));
         }},
        {"text with more characters than its record holds",
         [](std::vector<uint8_t> &b) { Put32(b, Last(b, emf::EMR_EXTTEXTOUTW).offset + 44, 1000000); }},
        {"a polyline with more points than its record holds",
         [](std::vector<uint8_t> &b) { Put32(b, Last(b, emf::EMR_POLYLINE16).offset + 24, 0x40000000); }},
        {"bitmap bits past the record",
         [](std::vector<uint8_t> &b) { Put32(b, Last(b, emf::EMR_STRETCHDIBITS).offset + 60, 0x7FFFFFFF); }},
        {"a bitmap header that lies about its size",
         [](std::vector<uint8_t> &b) { Put32(b, Last(b, emf::EMR_STRETCHDIBITS).offset + 80 + 4, 100000); }},
        {"a handle past the object table",
         [](std::vector<uint8_t> &b) { Put32(b, Last(b, emf::EMR_SELECTOBJECT).offset + 8, 999); }},
        {"a free slot selected",
         [](std::vector<uint8_t> &b) {
             // The last selection names a slot that was just deleted.
             const TRecordAt sel = Last(b, emf::EMR_SELECTOBJECT);
             const uint32_t handle = Get32(b, sel.offset + 8);
             InsertRecord(b, emf::EMR_DELETEOBJECT, {int32_t(handle)});
             InsertRecord(b, emf::EMR_SELECTOBJECT, {int32_t(handle)});
             InsertRecord(b, emf::EMR_RECTANGLE, {500, 500, 600, 600});
         }},
    };
    for (const Damage &d : damages) {
        std::vector<uint8_t> bytes = good.Bytes();
        d.apply(bytes);
        TPdfDocument doc;
        doc.AddPage();
        TMetafile mf;
        mf.SetMMWidth(kA4MMWidth);
        mf.SetMMHeight(kA4MMHeight);
        try {
            mf.SetBytes(bytes);
        } catch (const EInvalidMetafile &) {
            ADD_FAILURE() << d.name << ": the page was refused whole";
            continue;
        }
        EXPECT_NO_THROW(doc.Canvas().RenderMetaFile(mf)) << d.name;
        const std::string out = Content(doc);
        // The rectangle before the damage stays.
        EXPECT_NE(out.find("7.5 789.5 75 37.5 re\nB\n"), std::string::npos) << d.name << "\n" << out;
        EXPECT_EQ(out.substr(out.size() - 2), "Q\n") << d.name;
        EXPECT_EQ(out.find("375 442 75 75 re"), std::string::npos) << d.name;  // after a free slot: not drawn
        SaveChecked(doc, std::string("damaged-") + std::to_string(&d - damages) + ".pdf");
    }
}

// ---- the report-shaped page -----------------------------------------------------------

// The folder where the pictures of a run are kept for a person to look at.
std::string KeptPicture(const std::string &name)
{
    const QString dir = QDir::current().absoluteFilePath("pdf-pictures");
    QDir().mkpath(dir);
    return QDir(dir).absoluteFilePath(QString::fromStdString(name)).toStdString();
}

TEST_F(PdfFiles, TheReportShapedPageLooksAsItDoesOnScreen)
{
    if (!HaveTool("pdftoppm") || !HaveTool("qpdf"))
        GTEST_SKIP() << "poppler-utils or qpdf is not installed (scripts/setup installs them)";
    const TMetafile page = RecordPage(DrawReportShapedPage);

    TPdfDocument doc;
    doc.AddPage();
    doc.Canvas().RenderMetaFile(page);
    const std::string file = SaveChecked(doc, "report.pdf");

    const QImage pdf = RenderPdf(file, Path("report"), 96).convertToFormat(QImage::Format_RGB32);
    QImage screen(pdf.size(), QImage::Format_RGB32);
    screen.fill(Qt::white);
    {
        TCanvas canvas(&screen);
        PlayMetafile(canvas, page, Rect(0, 0, kA4PixelsW, kA4PixelsH));
    }
    ASSERT_EQ(pdf.width(), 794);
    ASSERT_EQ(pdf.height(), 1123);
    pdf.save(QString::fromStdString(KeptPicture("report-page-pdf.png")));
    screen.save(QString::fromStdString(KeptPicture("report-page-screen.png")));

    const TLookDifference d = CompareLooks(page, pdf, screen);
    EXPECT_EQ(d.Pictures, 2);
    EXPECT_EQ(d.PictureBlock, "") << "a picture block differs in colour";
    EXPECT_EQ(d.PdfOnly, 0) << "dark in the PDF, not on screen, first at " << pdftest::Where(d.FirstPdfOnly);
    EXPECT_EQ(d.ScreenOnly, 0) << "dark on screen, not in the PDF, first at " << pdftest::Where(d.FirstScreenOnly);

    const std::string text = RunTool("pdftotext", {QString::fromStdString(file), "-"});
    for (const char *expected : {"Testrapport", "Personalia", "Subtest T-score [95% BI]", "waarde 6", "regel 4"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected;
}

} // namespace
