#pragma once
// Helpers for the tests that draw pages: recording a page, converting it,
// reading the content stream back, and running the poppler and qpdf tools.
#include "PdfTestSupport.h"

#include "platform/graphics/Canvas.h"
#include "platform/metafile/Metafile.h"
#include "platform/metafile/MetafileCanvas.h"
#include "rendering/pdf/PdfCanvas.h"
#include "rendering/pdf/PdfDoc.h"
#include "platform/core/SysUtils.h"
#include "tests/support/SampleReport.h"

#include <QImage>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

namespace pdftest {

constexpr int kA4MMWidth = 21000, kA4MMHeight = 29700;

// A page recorded through the recorder; size in 0.01 mm.
inline plat::TMetafile RecordPage(const std::function<void(plat::TCanvas &)> &draw, int mmWidth = kA4MMWidth,
                                  int mmHeight = kA4MMHeight)
{
    plat::TMetafile mf;
    mf.SetMMWidth(mmWidth);
    mf.SetMMHeight(mmHeight);
    plat::TMetafileCanvas canvas(mf);
    draw(canvas);
    canvas.Close();
    return mf;
}

// A page written record by record, for what the recorder never writes.
inline plat::TMetafile WrittenPage(const std::function<void(plat::emf::TEmfWriter &)> &write, uint16_t handles = 8,
                                   int mmWidth = kA4MMWidth, int mmHeight = kA4MMHeight)
{
    plat::emf::TEmfWriter w;
    write(w);
    plat::TMetafile mf;
    mf.SetMMWidth(mmWidth);
    mf.SetMMHeight(mmHeight);
    mf.SetBytes(w.Finish({0, 0, 793, 1122}, {0, 0, mmWidth - 1, mmHeight - 1}, handles));
    return mf;
}

constexpr int kA4PixelsW = 794, kA4PixelsH = 1123;  // A4 at 96 dpi

// The report-shaped page with the report's pictures, in 0.01 mm on A4, with
// the mapping the preview sets on its page canvas.
inline void DrawReportShapedPage(plat::TCanvas &c)
{
    static const auto header = zibor::test::ReportPicture("TPPheader");
    static const auto footer = zibor::test::ReportPicture("TPPfooter");
    c.SetMapMode(plat::MM_ANISOTROPIC);
    c.SetWindowExtEx(kA4MMWidth, kA4MMHeight);
    c.SetViewportExtEx(kA4PixelsW, kA4PixelsH);
    c.SetViewportOrgEx(0, 0);
    c.Font().SetPixelsPerInch(plat::MulDiv(96, kA4MMHeight, kA4PixelsH));
    zibor::test::DrawSampleReport(c, *header, *footer, kA4MMWidth, kA4MMHeight);
}

// A picture with a colour for every pixel.
inline plat::TBitmap GradientPicture(int w, int h)
{
    plat::TBitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.Image().setPixel(x, y, qRgb((x * 255) / w, (y * 255) / h, ((x ^ y) & 0x3F) + 128));
    return b;
}

// The content stream of the one page, as written before compression.
inline std::string Content(TPdfDocument &doc) { return doc.Canvas().Contents()->Writer().ToString(); }

// A4 document with one page on which the page was rendered.
inline std::string Converted(const plat::TMetafile &mf, const std::function<void(TPdfDocument &)> &setup = {})
{
    TPdfDocument doc;
    if (setup)
        setup(doc);
    doc.AddPage();
    doc.Canvas().RenderMetaFile(mf, 0, 0, 1.0);
    return Content(doc);
}

inline std::string SaveToString(TPdfDocument &doc, plat::TDateTime date = 0)
{
    THeapMemoryStream out;
    doc.SaveToStream(out, date);
    return Bytes(out);
}

inline std::string ReadFile(const std::string &path)
{
    std::ifstream f(path, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

inline void WriteFile(const std::string &path, const std::string &bytes)
{
    std::ofstream f(path, std::ios::binary);
    f << bytes;
}

inline bool HaveTool(const char *name) { return !QStandardPaths::findExecutable(name).isEmpty(); }

// Runs a tool; its standard output, or "<exit N>" with its errors when it fails.
inline std::string RunTool(const QString &program, const QStringList &args, int *exitCode = nullptr)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(120000);
    if (exitCode)
        *exitCode = p.exitCode();
    return p.readAllStandardOutput().toStdString() + (p.exitCode() ? "<exit " + std::to_string(p.exitCode()) + "> " +
                                                                          p.readAllStandardError().toStdString()
                                                                    : std::string());
}

// qpdf --check passes (exit 0; 3 means warnings only).
inline bool QpdfChecks(const std::string &file, std::string *output = nullptr)
{
    int code = 0;
    const std::string out = RunTool("qpdf", {"--check", QString::fromStdString(file)}, &code);
    if (output)
        *output = out;
    return code == 0;
}

// pdftoppm at the given resolution; the first page as an image.
inline QImage RenderPdf(const std::string &file, const std::string &prefix, int dpi = 96)
{
    RunTool("pdftoppm", {"-r", QString::number(dpi), "-png", "-singlefile", QString::fromStdString(file),
                     QString::fromStdString(prefix)});
    return QImage(QString::fromStdString(prefix + ".png"));
}

// Dark pixels of a (grey below 128) that have no inked pixel of b (grey
// below 200) within radius, and the first such one. The looser test on b
// keeps an anti-aliased edge that one renderer puts just above the line
// and the other just below it from counting as missing.
inline int UnmatchedDark(const QImage &a, const QImage &b, int radius, QPoint *first = nullptr)
{
    int missing = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            if (qGray(a.pixel(x, y)) >= 128)
                continue;
            bool found = false;
            for (int v = std::max(0, y - radius); v <= std::min(b.height() - 1, y + radius) && !found; ++v)
                for (int u = std::max(0, x - radius); u <= std::min(b.width() - 1, x + radius) && !found; ++u)
                    found = qGray(b.pixel(u, v)) < 200;
            if (!found) {
                if (!missing && first)
                    *first = QPoint(x, y);
                ++missing;
            }
        }
    return missing;
}


// How a page rendered from the PDF differs from the page drawn on screen.
struct TLookDifference {
    int Pictures = 0;     // pictures found on the page
    int PdfOnly = 0;      // dark in the PDF, no ink near it on screen
    int ScreenOnly = 0;   // dark on screen, no ink near it in the PDF
    QPoint FirstPdfOnly, FirstScreenOnly;
    std::string PictureBlock;  // the first picture block whose colour differs
};

// Compares two renderings of the page (device pixels at 96 dpi) dark pixel
// against ink within 2 px, both ways. Pictures are resampled by each
// renderer in its own way (poppler smooths, the player picks pixels), so
// thin lines inside them differ in darkness; they are compared by their
// colour in blocks of 8 x 8 instead. Text in the opaque background mode
// paints its cell white on screen over whatever lay there; the conversion
// leaves background modes alone, so in those cells the PDF may show more:
// unless maskOpaqueText is off, what the PDF shows there is not counted. A
// page whose text cells never cover other ink compares with it off. radius
// is how far from a dark pixel the other rendering's ink may lie.
inline TLookDifference CompareLooks(const plat::TMetafile &page, const QImage &pdf, const QImage &screen,
                                    bool maskOpaqueText = true, int radius = 2)
{
    namespace emf = plat::emf;
    std::vector<QRect> pictures, opaqueCells;
    int backgroundMode = emf::OPAQUE;
    page.Enumerate([&](const emf::TEmfRecord &rec) {
        // Bounds in device pixels; "no bounds" and damaged values held near the page.
        const plat::TRect b = rec.RectAt(8);
        auto near = [](int v) { return std::clamp(v, -64, 1 << 16); };
        const QRect box = QRect(QPoint(near(b.Left), near(b.Top)), QPoint(near(b.Right), near(b.Bottom))).adjusted(-2, -2, 2, 2);
        if (rec.Type() == emf::EMR_STRETCHDIBITS)
            pictures.push_back(box);
        else if (rec.Type() == emf::EMR_SETBKMODE)
            backgroundMode = rec.I32(8);
        else if (rec.Type() == emf::EMR_EXTTEXTOUTW && backgroundMode == emf::OPAQUE)
            opaqueCells.push_back(box);
        return true;
    });
    auto blank = [](QImage &img, const std::vector<QRect> &rects) {
        for (const QRect &r : rects)
            for (int y = std::max(0, r.top()); y <= std::min(img.height() - 1, r.bottom()); ++y)
                for (int x = std::max(0, r.left()); x <= std::min(img.width() - 1, r.right()); ++x)
                    img.setPixel(x, y, qRgb(255, 255, 255));
    };
    TLookDifference d;
    d.Pictures = int(pictures.size());
    for (const QRect &r : pictures)
        for (int y = std::max(0, r.top() + 4); y + 8 <= std::min(pdf.height(), r.bottom() - 4); y += 8)
            for (int x = std::max(0, r.left() + 4); x + 8 <= std::min(pdf.width(), r.right() - 4); x += 8) {
                int a[3] = {}, b[3] = {};
                for (int v = y; v < y + 8; ++v)
                    for (int u = x; u < x + 8; ++u) {
                        const QRgb p = pdf.pixel(u, v), q = screen.pixel(u, v);
                        a[0] += qRed(p), a[1] += qGreen(p), a[2] += qBlue(p);
                        b[0] += qRed(q), b[1] += qGreen(q), b[2] += qBlue(q);
                    }
                for (int k = 0; k < 3; ++k)
                    if (std::abs(a[k] / 64 - b[k] / 64) > 48 && d.PictureBlock.empty())
                        d.PictureBlock = std::to_string(x) + "," + std::to_string(y);
            }
    QImage pdfLines = pdf, screenLines = screen;
    blank(pdfLines, pictures);
    blank(screenLines, pictures);
    QImage pdfOutsideCells = pdfLines;
    if (maskOpaqueText)
        blank(pdfOutsideCells, opaqueCells);
    d.PdfOnly = UnmatchedDark(pdfOutsideCells, screenLines, radius, &d.FirstPdfOnly);
    d.ScreenOnly = UnmatchedDark(screenLines, pdfLines, radius, &d.FirstScreenOnly);
    return d;
}

inline std::string Where(const QPoint &p) { return std::to_string(p.x()) + "," + std::to_string(p.y()); }

} // namespace pdftest
