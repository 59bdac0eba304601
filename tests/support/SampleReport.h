#pragma once
// A page shaped like the test report (frames, text in several sizes, lines,
// a table and the report's two JPEG pictures), drawn in 0.01 mm on an A4
// page. Used by the preview's tests, the playback golden test and the bench.
#include "platform/core/Streams.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphics.h"

#include <memory>
#include <string>
#include <vector>

namespace zibor::test {

// The report's header and footer pictures from the program's resources.
inline std::unique_ptr<plat::TJPEGImage> ReportPicture(const char *name)
{
    auto jpeg = std::make_unique<plat::TJPEGImage>();
    plat::TResourceStream s("jpg", name);
    jpeg->LoadFromStream(s);
    return jpeg;
}

// Draws on a canvas whose mapping puts 0.01 mm page units on the page (the
// preview's own mapping, or one set by the caller).
inline void DrawSampleReport(plat::TCanvas &c, const plat::TGraphic &header, const plat::TGraphic &footer,
                             int pageW = 21000, int pageH = 29700)
{
    using namespace plat;
    c.StretchDraw(Rect(200, 300, pageW - 6500, 5300), header);
    c.Font().SetName("Calibri");
    c.SetBkMode(TRANSPARENT);
    c.Font().SetSize(26);
    c.Font().SetStyle(fsBold);
    c.TextOut(1000, 5800, "Testrapport");
    c.Font().SetSize(12);
    c.Font().SetStyle(0);
    c.TextOut(8000, 6200, "ZIBOR Afnameprogramma Versie 2.2.1.3        Datum afdruk: 10-12-2026");
    c.Pen().SetWidth(30);
    c.Pen().SetColor(RGB(192, 192, 192));
    c.Brush().SetColor(clWhite);
    c.Rectangle(800, 7100, pageW - 800, 14100);
    c.Rectangle(800, 14600, pageW - 800, 21600);
    const int lh = c.TextHeight("A");
    int y = 7300;
    const char *labels[] = {"Code / Naam", "Geslacht", "Geboortedatum [dd-mm-jjjj]", "Leeftijd [jaar;maand]",
                            "Afnamedatum [dd-mm-jjjj]", "Testleider"};
    c.Font().SetSize(16);
    c.Font().SetStyle(fsBold);
    c.TextOut(951, y, "Personalia");
    y += lh * 2;
    for (int row = 0; row < 6; ++row) {
        c.Font().SetSize(12);
        c.Font().SetStyle(0);
        c.TextOut(1301, y, labels[row]);
        c.TextOut(5851, y, ":   ");
        c.Font().SetStyle(fsBold);
        c.TextOut(c.PenPos().X, y, "waarde " + std::to_string(row + 1));
        y += lh;
    }
    y = 14800;
    const TColor cells[3] = {RGB(128, 128, 128), RGB(160, 160, 164), RGB(192, 192, 192)};
    int left = 1300;
    for (int i = 0; i < 3; ++i) {
        c.Brush().SetColor(cells[i]);
        const TRect cell{left, y + 240, left + 6000, y + 740};
        c.FillRect(cell);
        c.Font().SetSize(13);
        c.Font().SetStyle(fsBold);
        c.Font().SetColor(i == 0 ? clWhite : clBlack);
        c.TextRect(cell, left + 100, y + 200, i == 0 ? " Variabele " : i == 1 ? " FoneemWeglating " : " FoneemVerwisseling ");
        left += 6100;
    }
    c.Brush().SetStyle(bsClear);
    c.Font().SetColor(clBlack);
    for (int row = 0; row < 4; ++row) {
        y += 1000;
        c.Font().SetSize(12);
        c.Font().SetStyle(fsBold);
        c.TextOut(1301, y, "Subtest T-score [95% BI]");
        c.Font().SetStyle(0);
        c.Pen().SetWidth(40);
        c.Pen().SetColor(RGB(160, 160, 164));
        c.Brush().SetStyle(bsSolid);
        c.Brush().SetColor(RGB(255, 255, 204));
        c.Rectangle(9000, y - 100, 10200, y + 600);
        c.Brush().SetStyle(bsClear);
        c.TextOut(9200, y - 50, " 52");
        c.TextOut(10700, y, "[45 - 59]");
        c.MoveTo(800, y + 700);
        c.LineTo(pageW - 800, y + 700);
    }
    c.Pen().SetColor(clRed);
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(clBlue);
    c.Polygon(std::vector<TPoint>{{13550, y + 400}, {13300, y + 100}, {13800, y + 100}});
    // A solid brush makes text opaque; the footer's text is not.
    c.Brush().SetStyle(bsClear);
    y = 22500;
    c.Font().SetSize(11);
    for (int line = 0; line < 4; ++line) {
        c.TextOut(800, y, "Dit onderzoeksrapport is gegenereerd met een computerprogramma, regel " + std::to_string(line + 1));
        y += lh;
    }
    c.StretchDraw(Rect(700, y, pageW - 4500, y + 2100), footer);
    (void)pageH;
}

} // namespace zibor::test
