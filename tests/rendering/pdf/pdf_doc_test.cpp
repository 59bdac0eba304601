#include "PdfTestSupport.h"

#include "platform/core/Dates.h"
#include "platform/core/Files.h"
#include "platform/graphics/Fonts.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <regex>
#include <sstream>

using pdftest::kMarch5th2024;
using pdftest::TFixedClock;

namespace {

std::string SaveToString(TPdfDocument &doc, plat::TDateTime date = 0)
{
    THeapMemoryStream out;
    doc.SaveToStream(out, date);
    return pdftest::Bytes(out);
}

std::string ReadFile(const std::string &path)
{
    std::ifstream f(path, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

// What the report export sets before it draws.
void FillLikeTheExport(TPdfDocument &doc)
{
    doc.NewDoc();
    doc.Info().SetAuthor("ZIB-gebruiker");
    doc.Info().SetCreationDate(std::floor(plat::Now()));
    doc.Info().SetCreator("ZIB-afnameprogramma 1.0.2.1");
    doc.Info().SetSubject("ZIB-testrapport");
    doc.Info().SetTitle("ZIB-testrapport");
    doc.SetDefaultPaperSize(TPdfPaperSize::psA4);
    doc.SetDefaultPageWidth(595);
    doc.SetDefaultPageHeight(842);
}

// A reader of the file's own making, written from the file format alone:
// it follows "startxref" to the table, reads every line and checks that each
// offset in use lands on the line that opens its object.
struct TXrefCheck {
    std::vector<std::string> problems;
    int entries = 0;
};

TXrefCheck CheckCrossReferences(const std::string &pdf)
{
    TXrefCheck r;
    auto fail = [&r](const std::string &what) { r.problems.push_back(what); };
    const size_t sx = pdf.rfind("startxref\n");
    if (sx == std::string::npos)
        return fail("no startxref"), r;
    std::istringstream tail(pdf.substr(sx + 10));
    long long xrefAt = -1;
    std::string eof;
    tail >> xrefAt >> eof;
    if (eof != "%%EOF" || pdf.size() < 6 || pdf.compare(pdf.size() - 6, 6, "%%EOF\n") != 0)
        fail("file does not end in %%EOF and a line feed");
    if (xrefAt < 0 || static_cast<size_t>(xrefAt) >= pdf.size() || pdf.compare(xrefAt, 5, "xref\n") != 0)
        return fail("startxref does not point at xref"), r;
    size_t at = static_cast<size_t>(xrefAt) + 5;
    int first = -1, count = -1;
    {
        const size_t eol = pdf.find('\n', at);
        std::istringstream head(pdf.substr(at, eol - at));
        head >> first >> count;
        at = eol + 1;
    }
    if (first != 0 || count < 1)
        return fail("bad subsection header"), r;
    r.entries = count;
    for (int i = 0; i < count; ++i, at += 20) {
        const std::string line = pdf.substr(at, 20);
        static const std::regex form("([0-9]{10}) ([0-9]{5}) ([nf]) \n");
        std::smatch m;
        if (!std::regex_match(line, m, form)) {
            fail("line " + std::to_string(i) + " is not 20 bytes of offset, generation and type");
            continue;
        }
        const long long offset = std::stoll(m[1]);
        if (i == 0) {
            if (line != "0000000000 65535 f \n")
                fail("entry 0 is not the free head");
            continue;
        }
        if (m[3] != "n" || m[2] != "00000") {
            fail("entry " + std::to_string(i) + " not in use");
            continue;
        }
        const std::string opener = std::to_string(i) + " 0 obj\n";
        if (offset <= 0 || static_cast<size_t>(offset) >= pdf.size() || pdf.compare(offset, opener.size(), opener) != 0)
            fail("entry " + std::to_string(i) + " does not point at its object");
        else if (pdf[offset - 1] != '\n')
            fail("object " + std::to_string(i) + " does not start a line");
    }
    if (pdf.compare(at, 8, "trailer\n") != 0)
        fail("no trailer after the table");
    const size_t size = pdf.find("/Size ", at);
    if (size == std::string::npos || std::stoi(pdf.substr(size + 6)) != count)
        fail("trailer Size is not the number of entries");
    // Every object in the file is in the table, once.
    const std::regex opener("\n([0-9]+) 0 obj\n");
    int objects = 0;
    for (auto it = std::sregex_iterator(pdf.begin(), pdf.end(), opener); it != std::sregex_iterator(); ++it)
        ++objects;
    if (objects != count - 1)
        fail("the file holds " + std::to_string(objects) + " objects, the table " + std::to_string(count - 1));
    return r;
}

// A font dictionary as the canvas would register it.
class TTestFont : public TPdfDictionaryWrapper {
public:
    explicit TTestFont(TPdfDocument &doc, const char *baseFont, int *completed) : completed_(completed)
    {
        auto *d = new TPdfDictionary(&doc.Xref());
        doc.Xref().AddObject(d);
        d->AddNameItem("Type", "Font");
        d->AddNameItem("Subtype", "Type1");
        d->AddNameItem("BaseFont", baseFont);
        d->AddNameItem("Encoding", "WinAnsiEncoding");
        SetData(d);
    }
    void BeforeSave() override { ++*completed_; }

private:
    int *completed_;
};

TPdfXObject *NewImage(TPdfDocument &doc, int width, int height)
{
    auto *image = new TPdfXObject(doc, true);
    TPdfDictionary &a = image->Attributes();
    a.AddNameItem("Type", "XObject");
    a.AddNameItem("Subtype", "Image");
    a.AddItem("Width", width);
    a.AddItem("Height", height);
    a.AddNameItem("ColorSpace", "DeviceRGB");
    a.AddItem("BitsPerComponent", 8);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint8_t bgr[3] = {static_cast<uint8_t>(x * 255 / width), static_cast<uint8_t>(y * 255 / height), 40};
            image->Writer().AddRGB(bgr);
        }
    return image;
}

// Three pages with drawing, text, a font and an image: more than the export
// writes, so that the numbering and offsets are tried on a fuller file.
void BuildSeveralObjects(TPdfDocument &doc, int *fontsCompleted)
{
    FillLikeTheExport(doc);
    const std::string f0 = doc.RegisterFont(std::make_unique<TTestFont>(doc, "Helvetica", fontsCompleted));
    TPdfDictionary *font = doc.FontList().back()->Data();
    doc.AddXObject("Im0", NewImage(doc, 16, 8));
    for (int p = 0; p < 3; ++p) {
        TPdfPage *page = doc.AddPage();
        auto *resources = page->ValueAs<TPdfDictionary>("Resources");
        resources->ValueAs<TPdfDictionary>("Font")->AddItem(f0, font);
        resources->ValueAs<TPdfDictionary>("XObject")->AddItem("Im0", doc.GetXObject("Im0"));
        TPdfWrite &w = doc.Canvas().Contents()->Writer();
        w.Add("q\n").AddColor(plat::RGB(0, 0, 128)).Add("rg\n");
        w.AddWithSpace(56.69).AddWithSpace(700.0).AddWithSpace(481.89).AddWithSpace(60.0).Add("re\nf\n");
        w.Add("BT\n/").Add(f0).Add(' ').AddWithSpace(24.0).Add("Tf\n1 1 1 rg\n");
        w.Add("1 0 0 1 70 720 Tm\n(Testrapport \\(pagina ").Add(p + 1).Add("\\)) Tj\nET\n");
        w.Add("q\n200 0 0 100 56.69 500 cm\n/Im0 Do\nQ\nQ\n");
    }
}

std::string TempPath(QTemporaryDir &dir, const char *name)
{
    return dir.filePath(name).toStdString();
}

bool Have(const char *tool)
{
    return !QStandardPaths::findExecutable(tool).isEmpty();
}

} // namespace

// The export's one page with an empty picture drawn on it, at a fixed time.
class PdfEmptyPage : public ::testing::Test {
protected:
    PdfEmptyPage()
    {
        FillLikeTheExport(doc);
        doc.AddPage();
        // What the renderer writes for an empty picture.
        doc.Canvas().Contents()->Writer().Add("q\nQ\n");
    }
    TFixedClock clock{kMarch5th2024};
    TPdfDocument doc;
};

TEST_F(PdfEmptyPage, MatchesTheGoldenFileByteForByte)
{
    const std::string pdf = SaveToString(doc);
    const std::string golden = ReadFile(ZIBOR_SOURCE_DIR "/tests/rendering/pdf/golden/empty-page.pdf");
    ASSERT_FALSE(golden.empty());
    EXPECT_EQ(pdf, golden);
    EXPECT_TRUE(CheckCrossReferences(pdf).problems.empty());
}

TEST_F(PdfEmptyPage, HasObjectsOneToFiveAndAnUncompressedShortStream)
{
    const std::string pdf = SaveToString(doc);
    const TXrefCheck xref = CheckCrossReferences(pdf);
    EXPECT_EQ(xref.entries, 6);
    EXPECT_NE(pdf.find("/Size 6\n/Root 1 0 R\n/Info 2 0 R\n>>"), std::string::npos);
    EXPECT_EQ(pdf.find("/Filter"), std::string::npos);
    EXPECT_EQ(pdf.find("/Outlines"), std::string::npos);
    EXPECT_EQ(pdf.find("/OpenAction"), std::string::npos);
    EXPECT_NE(pdf.find("/Producer (ZIB-afnameprogramma 1.0.2.1)\n"), std::string::npos);
    // Saving leaves the document as it was.
    EXPECT_EQ(SaveToString(doc), pdf);
}

TEST(PdfDocument, SeveralObjectsPassAnIndependentReaderAndQpdf)
{
    TFixedClock clock(kMarch5th2024);
    TPdfDocument doc;
    int completed = 0;
    BuildSeveralObjects(doc, &completed);
    const std::string pdf = SaveToString(doc);
    EXPECT_EQ(completed, 1);
    const TXrefCheck xref = CheckCrossReferences(pdf);
    EXPECT_EQ(xref.problems, std::vector<std::string>{});
    // catalog, info, page tree, font, image, and page plus contents three times
    EXPECT_EQ(xref.entries, 1 + 5 + 3 * 2);
    EXPECT_NE(pdf.find("/Kids [6 0 R 8 0 R 10 0 R ]\n/Count 3\n"), std::string::npos);
    EXPECT_NE(pdf.find("/Filter [/FlateDecode ]"), std::string::npos);

    if (!Have("qpdf"))
        GTEST_SKIP() << "qpdf is not installed (scripts/setup installs it); its check was skipped";
    QTemporaryDir dir;
    const std::string path = TempPath(dir, "several.pdf");
    ASSERT_TRUE(doc.SaveToFile(path));
    QProcess qpdf;
    qpdf.start("qpdf", {"--check", QString::fromStdString(path)});
    ASSERT_TRUE(qpdf.waitForFinished(30000));
    const QString out = qpdf.readAllStandardOutput() + qpdf.readAllStandardError();
    EXPECT_EQ(qpdf.exitCode(), 0) << out.toStdString();
    EXPECT_FALSE(out.contains("WARNING")) << out.toStdString();
    EXPECT_TRUE(out.contains("No syntax or stream encoding errors found")) << out.toStdString();
}

TEST(PdfDocument, InformationKeysKeepTheOrderInWhichTheyWereLastSet)
{
    TFixedClock clock(kMarch5th2024);
    TPdfDocument doc;
    FillLikeTheExport(doc);
    doc.AddPage();
    const std::string pdf = SaveToString(doc, 45000.5);
    EXPECT_NE(pdf.find("2 0 obj\n<<\n/Producer (ZIB-afnameprogramma 1.0.2.1)\n/Author (ZIB-gebruiker)\n"
                       "/CreationDate (D:20240305000000)\n/Creator (ZIB-afnameprogramma 1.0.2.1)\n"
                       "/Subject (ZIB-testrapport)\n/Title (ZIB-testrapport)\n/ModDate (D:20230315120000)\n>>\n"),
              std::string::npos)
        << pdf;
    doc.Info().SetAuthor("Jan \xC3\xA9\xC3\xA9n (test)");  // UTF-8 in, code page 1252 out
    EXPECT_NE(SaveToString(doc).find("/Author (Jan \xE9\xE9n \\(test\\))\n/ModDate (D:20240305140709)\n>>"),
              std::string::npos);
}

TEST(PdfDocument, PaperSizesAndPageSize)
{
    struct Case {
        TPdfPaperSize size;
        int width, height;
    };
    const Case cases[] = {{TPdfPaperSize::psA4, 595, 842},     {TPdfPaperSize::psA5, 419, 595},
                          {TPdfPaperSize::psA3, 842, 1190},    {TPdfPaperSize::psLetter, 612, 792},
                          {TPdfPaperSize::psLegal, 612, 1008}};
    TPdfDocument doc;
    for (const Case &c : cases) {
        doc.SetDefaultPaperSize(c.size);
        EXPECT_EQ(doc.DefaultPageWidth(), c.width);
        EXPECT_EQ(doc.DefaultPageHeight(), c.height);
    }
    doc.SetDefaultPageWidth(300);
    EXPECT_EQ(doc.DefaultPaperSize(), TPdfPaperSize::psUserDefined);
    doc.SetDefaultPaperSize(TPdfPaperSize::psUserDefined);
    EXPECT_EQ(doc.DefaultPageWidth(), 300);
    doc.SetDefaultPaperSize(TPdfPaperSize::psLetter);
    EXPECT_EQ(doc.DefaultPageWidth(), 612);
    EXPECT_EQ(doc.DefaultPageHeight(), 792);

    TPdfPage *page = doc.AddPage();
    EXPECT_EQ(page->PageWidth(), 612);
    EXPECT_EQ(page->PageHeight(), 792);
    page->SetPageHeight(500);
    EXPECT_EQ(page->PageHeight(), 500);
    EXPECT_NE(SaveToString(doc).find("/MediaBox [0 0 612 500 ]\n"), std::string::npos);
}

TEST(PdfDocument, SavingWithoutAPageRaisesGetPage)
{
    TPdfDocument doc;
    THeapMemoryStream out;
    try {
        doc.SaveToStream(out);
        FAIL() << "nothing raised";
    } catch (const EPdfInvalidOperation &e) {
        EXPECT_EQ(e.Message, "GetPage");
    }
    doc.AddPage();
    doc.NewDoc();  // starts over: no page again
    EXPECT_THROW(doc.SaveToStream(out), EPdfInvalidOperation);
    EXPECT_EQ(doc.Xref().ItemCount(), 4);
    EXPECT_TRUE(doc.Pages().empty());
}

TEST(PdfDocument, ContentOfOneHundredBytesOrMoreIsCompressed)
{
    TPdfDocument doc;
    doc.AddPage();
    std::string content;
    for (int i = 0; i < 40; ++i)
        content += "0 0 m 100 100 l S\n";
    doc.Canvas().Contents()->Writer().Add(content);
    const std::string pdf = SaveToString(doc);
    const size_t dict = pdf.find("5 0 obj\n<<\n/Length ");
    ASSERT_NE(dict, std::string::npos);
    const int length = std::stoi(pdf.substr(dict + 19));
    const size_t data = pdf.find(">>\nstream\n", dict) + 10;
    EXPECT_EQ(pdf.compare(data + length, 10, "\nendstream"), 0);
    EXPECT_EQ(pdftest::Inflate(pdf.substr(data, length)), content);
}

TEST(PdfDocument, ImagesAreRegisteredOnceUnderTheirName)
{
    TPdfDocument doc;
    auto message = [](auto &&fn) {
        try {
            fn();
        } catch (const EPdfInvalidValue &e) {
            return e.Message;
        }
        return std::string("<nothing raised>");
    };
    TPdfXObject *image = NewImage(doc, 2, 2);
    doc.AddXObject("Im0", image);
    EXPECT_EQ(doc.GetXObject("Im0"), image);
    EXPECT_EQ(doc.GetXObject("Im1"), nullptr);
    EXPECT_GT(image->ObjectNumber(), 0);

    std::unique_ptr<TPdfXObject> second(NewImage(doc, 2, 2));
    auto notAnImage = std::make_unique<TPdfXObject>(doc, true);
    auto noSubtype = std::make_unique<TPdfXObject>(doc, true);
    noSubtype->Attributes().AddNameItem("Type", "XObject");
    EXPECT_EQ(message([&] { doc.AddXObject("Im0", second.get()); }), "AddXObject: dup name Im0");
    EXPECT_EQ(message([&] { doc.AddXObject("Im1", nullptr); }), "AddXObject: invalid TPdfImage Im1");
    EXPECT_EQ(message([&] { doc.AddXObject("Im1", notAnImage.get()); }), "AddXObject: invalid TPdfImage Im1");
    EXPECT_EQ(message([&] { doc.AddXObject("Im1", noSubtype.get()); }), "AddXObject: invalid TPdfImage Im1");
    EXPECT_EQ(message([&] { doc.RegisterXObject(nullptr, "Im1"); }), "RegisterXObject: no AObject");
    EXPECT_EQ(message([&] { doc.RegisterXObject(notAnImage.get(), "Im1"); }), "RegisterXObject: no XObject");
    EXPECT_EQ(notAnImage->ObjectType(), TPdfObjectType::otDirectObject);

    // An image that already has its name keeps it and is not listed again.
    doc.RegisterXObject(image, "Other");
    EXPECT_EQ(doc.ImageList().ItemCount(), 1);
    EXPECT_EQ(doc.GetXObject("Other"), nullptr);
    doc.AddXObject("Im1", second.release());
    EXPECT_EQ(doc.ImageList().ItemCount(), 2);
}

TEST(PdfDocument, FontsGetResourceNamesInOrder)
{
    TPdfDocument doc;
    int completed = 0;
    EXPECT_EQ(doc.RegisterFont(std::make_unique<TTestFont>(doc, "Helvetica", &completed)), "F0");
    EXPECT_EQ(doc.RegisterFont(std::make_unique<TTestFont>(doc, "Courier", &completed)), "F1");
    EXPECT_EQ(doc.FontList()[1]->Data()->ValueAs<TPdfName>("Name")->Value(), "F1");
    doc.AddPage();
    SaveToString(doc);
    EXPECT_EQ(completed, 2);
}

TEST(PdfDocument, OpenActionAndOutlinesAreWrittenOnlyWhenAskedFor)
{
    TPdfDocument doc;
    doc.UseOutlines = true;
    doc.NewDoc();
    TPdfPage *page = doc.AddPage();
    auto dest = std::make_unique<TPdfDestination>();
    dest->Page = page;
    dest->DestinationType = TPdfDestinationType::dtXYZ;
    dest->Top = 842;
    dest->Zoom = -1;
    doc.Catalog().SetOpenAction(std::move(dest));
    TPdfOutlineEntry *first = doc.OutlineRoot()->AddChild("Uitslag");
    first->Opened = true;
    first->AddChild("Scores");
    doc.OutlineRoot()->AddChild("Normen");
    const std::string pdf = SaveToString(doc);
    // The outline root is object 2, so the information moves to 3.
    EXPECT_NE(pdf.find("1 0 obj\n<<\n/Type /Catalog\n/PageLayout /SinglePage\n/Outlines 2 0 R\n/Pages 4 0 R\n"
                       "/OpenAction [5 0 R /XYZ null 842 0 ]\n>>"),
              std::string::npos)
        << pdf;
    EXPECT_NE(pdf.find("2 0 obj\n<<\n/Type /Outlines\n/Count 3\n/First "), std::string::npos) << pdf;
    EXPECT_NE(pdf.find("/Count 1\n/Title (Uitslag)\n/First "), std::string::npos) << pdf;
    EXPECT_TRUE(CheckCrossReferences(pdf).problems.empty());

    doc.Catalog().SetOpenAction(nullptr);
    EXPECT_EQ(SaveToString(doc).find("/OpenAction"), std::string::npos);
}

TEST(PdfDocument, CatalogKeepsItsKeyOrderWhenTheLayoutChanges)
{
    TPdfDocument doc;
    doc.AddPage();
    doc.Catalog().SetPageLayout(TPdfPageLayout::plTwoColumnLeft);
    TPdfDictionary notAPageTree;
    notAPageTree.AddNameItem("Type", "Page");
    doc.Catalog().SetPages(&notAPageTree);  // only a page tree is taken
    EXPECT_NE(SaveToString(doc).find("1 0 obj\n<<\n/Type /Catalog\n/PageLayout /TwoColumnLeft\n/Pages 3 0 R\n>>"),
              std::string::npos);
}

TEST(PdfDocument, DestinationArrays)
{
    TPdfDocument doc;
    TPdfPage *page = doc.AddPage();
    auto text = [&](TPdfDestinationType type, double left, double top, double zoom) {
        TPdfDestination d;
        d.Page = page;
        d.DestinationType = type;
        d.Left = left;
        d.Top = top;
        d.Right = 300;
        d.Bottom = 10;
        d.Zoom = zoom;
        std::unique_ptr<TPdfArray> a(d.CreateArray(&doc.Xref()));
        return pdftest::Written([&a](TPdfWrite &w) { a->WriteTo(w); });
    };
    EXPECT_EQ(text(TPdfDestinationType::dtXYZ, -200, 500, 1.5), "[4 0 R /XYZ null 500 1.5 ]");
    EXPECT_EQ(text(TPdfDestinationType::dtFit, 1, 2, 0), "[4 0 R /Fit ]");
    EXPECT_EQ(text(TPdfDestinationType::dtFitBH, 1, 2, 0), "[4 0 R /FitBH 2 ]");
    EXPECT_EQ(text(TPdfDestinationType::dtFitV, 1, 2, 0), "[4 0 R /FitV 1 ]");
    EXPECT_EQ(text(TPdfDestinationType::dtFitR, 1, 2, 0), "[4 0 R /FitR 1 10 300 2 ]");
}

TEST(PdfDocumentFile, SavesAtomicallyAndKeepsTheOldFileOnFailure)
{
    QTemporaryDir dir;
    const std::string path = TempPath(dir, "rapport.pdf");
    {
        std::ofstream old(path, std::ios::binary);
        old << "old content";
    }
    TPdfDocument doc;
    // No page: the save fails half-way, after the target could be opened.
    EXPECT_FALSE(doc.SaveToFile(path));
    EXPECT_EQ(ReadFile(path), "old content");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"rapport.pdf"});

    EXPECT_FALSE(doc.SaveToFile(TempPath(dir, "missing-folder/rapport.pdf")));
    doc.AddPage();
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
    EXPECT_FALSE(doc.SaveToFile(TempPath(dir, "folder")));  // written, but cannot replace a folder
    EXPECT_TRUE(QDir(dir.filePath("folder")).exists());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"rapport.pdf"});

    EXPECT_TRUE(doc.SaveToFile(path));
    const std::string saved = ReadFile(path);
    EXPECT_EQ(saved.substr(0, 9), "%PDF-1.3\n");
    EXPECT_TRUE(CheckCrossReferences(saved).problems.empty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"rapport.pdf"});
}

TEST(PdfDocument, CreationAndModificationDatesComeFromTheClock)
{
    TFixedClock clock(kMarch5th2024);
    TPdfDocument doc;
    doc.AddPage();
    const std::string pdf = SaveToString(doc);
    EXPECT_NE(pdf.find("/CreationDate (D:20240305140709)\n/ModDate (D:20240305140709)\n"), std::string::npos);
}

TEST(PdfDocument, InstalledTrueTypeFamiliesAreSortedWithoutRepeatsOrAtNamesThenTheStandIns)
{
    const TUtf8TextDynArray families = InstalledTrueTypeFamilies();
    std::vector<std::string> standIns = plat::TFontProvider::Instance().StandInNames();
    std::erase_if(standIns, [](const std::string &n) { return n == "Helvetica" || n == "Courier" || n == "Times"; });
    ASSERT_GE(families.size(), standIns.size());
    // The real families come first, sorted; the stand-in names follow.
    const auto real = families.end() - static_cast<std::ptrdiff_t>(standIns.size());
    EXPECT_TRUE(std::is_sorted(families.begin(), real));
    EXPECT_TRUE(std::equal(real, families.end(), standIns.begin()));
    for (size_t i = 0; i < families.size(); ++i)
        for (size_t j = i + 1; j < families.size(); ++j)
            EXPECT_NE(Utf8ICompare(families[i], families[j]), 0) << families[i];
    for (const auto &f : families)
        EXPECT_NE(f[0], '@') << f;
    EXPECT_NE(FindUtf8Text(families, "Calibri"), -1);
    EXPECT_NE(FindUtf8Text(families, "Arial"), -1);
    EXPECT_EQ(TPdfDocument().TrueTypeFonts(), families);
}
