#pragma once
// Helpers for the tests that draw pages: recording a page, converting it,
// reading the content stream back, and running the poppler and qpdf tools.
#include "PdfTestSupport.h"

#include "platform/Canvas.h"
#include "platform/Metafile.h"
#include "platform/MetafileCanvas.h"
#include "rendering/pdf/PdfCanvas.h"
#include "rendering/pdf/PdfDoc.h"

#include <QImage>
#include <QProcess>
#include <QStandardPaths>

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
inline std::string Run(const QString &program, const QStringList &args, int *exitCode = nullptr)
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
    const std::string out = Run("qpdf", {"--check", QString::fromStdString(file)}, &code);
    if (output)
        *output = out;
    return code == 0;
}

// pdftoppm at the given resolution; the first page as an image.
inline QImage RenderPdf(const std::string &file, const std::string &prefix, int dpi = 96)
{
    Run("pdftoppm", {"-r", QString::number(dpi), "-png", "-singlefile", QString::fromStdString(file),
                     QString::fromStdString(prefix)});
    return QImage(QString::fromStdString(prefix + ".png"));
}

// Dark pixels of a that have no dark pixel of b within radius (and the
// first such one).
inline int UnmatchedDark(const QImage &a, const QImage &b, int radius, QPoint *first = nullptr, int limit = 128)
{
    auto dark = [limit](const QImage &img, int x, int y) {
        const QRgb p = img.pixel(x, y);
        return qGray(p) < limit;
    };
    int missing = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            if (!dark(a, x, y))
                continue;
            bool found = false;
            for (int v = std::max(0, y - radius); v <= std::min(b.height() - 1, y + radius) && !found; ++v)
                for (int u = std::max(0, x - radius); u <= std::min(b.width() - 1, x + radius) && !found; ++u)
                    found = dark(b, u, v);
            if (!found) {
                if (!missing && first)
                    *first = QPoint(x, y);
                ++missing;
            }
        }
    return missing;
}

} // namespace pdftest
