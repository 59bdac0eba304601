#pragma once
// The report page recorded through a print preview, as the report windows
// generate it: an A4 page in 0.01 mm with the preview's page mapping, and a
// read-back of what was recorded.
#include "administration/preview/PreviewReport.h"
#include "platform/core/Dates.h"
#include "platform/core/Text.h"
#include "platform/graphics/Fonts.h"
#include "platform/metafile/EmfRecords.h"
#include "platform/metafile/Metafile.h"
#include "rendering/preview/PrintPreview.h"

#include <memory>
#include <string>
#include <vector>

namespace reporttest {

struct TPreviewHolder {
    TPreviewHolder() : preview(nullptr) {}
    zibor::preview::TPrintPreview preview;
};

// A document opened on construction; Close ends it and gives its one page.
class TRecordedPage : private TPreviewHolder, public report::TPreviewReportTarget {
public:
    static constexpr int kPixelsW = 794, kPixelsH = 1123;  // A4 at 96 dpi

    TRecordedPage() : TPreviewReportTarget(preview) { preview.BeginDoc(); }

    zibor::preview::TPrintPreview &Preview() { return preview; }
    const plat::TMetafile &Close()
    {
        if (preview.State() != zibor::preview::psReady)
            preview.EndDoc();
        return *preview.Pages(1);
    }
};

// A boy of 8 years and 11 months on 06-03-2024 (band 3), tested the day
// before, with both subtests done: ten and nine items right.
inline report::TReportSource SampleChild()
{
    report::TReportSource s;
    s.particulars = {.code = "AB 12", .sex = 1, .gebdag = "14", .gebmnd = "03", .gebjaar = "2015",
                     .afndag = "05", .afnmnd = "03", .afnjaar = "2024", .school = "De Linde", .groep = "5b",
                     .tl = "J. Jansen", .form = 0};
    s.state = 7;
    s.testDate = plat::EncodeDate(2024, 3, 5);
    s.deletionEntry = 15;
    for (int i = 0; i < 12; ++i) {
        s.deletion[i] = {std::to_string(25 + i), i < 10 ? "1" : "0"};
        s.substitution[i] = {std::to_string(140 + 5 * i), i < 9 ? "1" : "0"};
    }
    return s;
}

// What a reader of the page sees, in page units.
struct TPageText {
    plat::TPoint at;
    std::string text;
    int fontHeight = 0;  // of the font selected when it was written
    plat::TRect clip;    // for clipped text
    int width = 0;       // the sum of the character advances
};
struct TPageRead {
    std::vector<TPageText> texts;
    std::vector<plat::TRect> rectangles;  // Rectangle calls
    std::vector<plat::TRect> fills;       // FillRect calls (pattern copies)
    std::vector<plat::TRect> pictures;    // stretched pictures
    std::vector<std::vector<plat::TPoint>> polygons;
    std::vector<std::pair<plat::TPoint, plat::TPoint>> lines;

    const TPageText *Find(const std::string &text) const
    {
        for (const TPageText &t : texts)
            if (t.text == text)
                return &t;
        return nullptr;
    }
    bool Has(const std::string &text) const { return Find(text) != nullptr; }
};

inline TPageRead ReadPage(const plat::TMetafile &page)
{
    namespace emf = plat::emf;
    TPageRead read;
    std::vector<int> fontHeights(64, 0);
    int font = 0;
    plat::TPoint pos;
    page.Enumerate([&](const emf::TEmfRecord &r) {
        switch (r.Type()) {
        case emf::EMR_EXTCREATEFONTINDIRECTW: {
            emf::TEmrLogFont lf;
            if (emf::ParseLogFont(r, lf) && lf.Handle < fontHeights.size())
                fontHeights[lf.Handle] = lf.Height;
            break;
        }
        case emf::EMR_SELECTOBJECT:
            if (r.U32(8) < fontHeights.size() && fontHeights[r.U32(8)] != 0)
                font = fontHeights[r.U32(8)];
            break;
        case emf::EMR_EXTTEXTOUTW: {
            emf::TEmrExtTextOut t;
            if (emf::ParseExtTextOut(r, t)) {
                int width = 0;
                for (int dx : t.Dx)
                    width += dx;
                read.texts.push_back({t.Reference, plat::Utf16ToUtf8(t.Text), font, t.Clip, width});
            }
            break;
        }
        case emf::EMR_RECTANGLE:
            read.rectangles.push_back(r.RectAt(8));
            break;
        case emf::EMR_BITBLT: {
            emf::TEmrBlt b;
            if (emf::ParseBlt(r, b) && !b.HasSource)
                read.fills.push_back({b.XDest, b.YDest, b.XDest + b.CxDest, b.YDest + b.CyDest});
            break;
        }
        case emf::EMR_STRETCHDIBITS: {
            emf::TEmrBlt b;
            if (emf::ParseBlt(r, b))
                read.pictures.push_back({b.XDest, b.YDest, b.XDest + b.CxDest, b.YDest + b.CyDest});
            break;
        }
        case emf::EMR_POLYGON16:
        case emf::EMR_POLYGON: {
            emf::TEmrPoly p;
            if (emf::ParsePoly(r, p))
                read.polygons.push_back(p.Points);
            break;
        }
        case emf::EMR_MOVETOEX:
            pos = r.PointAt(8);
            break;
        case emf::EMR_LINETO: {
            const plat::TPoint to = r.PointAt(8);
            read.lines.push_back({pos, to});
            pos = to;
            break;
        }
        default:
            break;
        }
        return true;
    });
    return read;
}

} // namespace reporttest
