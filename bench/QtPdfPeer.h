#pragma once
// The yardstick of the PDF benchmarks: the page that our writer exports,
// drawn by Qt alone. A recorded page is taken apart once, outside any timing,
// into the plain drawing calls it is made of (texts with their installed
// font, lines, frames, fills, pictures) in page pixels at 96 dpi; each timed
// round then issues only those QPainter calls into a QPdfWriter: the texts
// as text in the same installed fonts at the same sizes, the pictures
// losslessly at their own pixels. So the peer does the work of drawing the
// page and writing the PDF, and none of ours (no layout, no metafile).
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Fonts.h"
#include "platform/metafile/Metafile.h"
#include "platform/metafile/MetafilePlayer.h"

#include <QBuffer>
#include <QFont>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <variant>
#include <vector>

namespace qtpeer {

struct TLine {
    QPoint a, b;
    QPen pen;
};
struct TShape {
    QRect rect;
    QPen pen;      // Qt::NoPen for a fill only
    QBrush brush;  // Qt::NoBrush for a frame only
};
struct TPolygon {
    QPolygon points;
    QPen pen;
    QBrush brush;
    bool closed = true;
};
struct TText {
    QRect clip;  // empty: none
    QPointF baseline;
    QString text;
    QFont font;
    QColor color;
};
struct TPicture {
    QRect dest;
    QImage image;
};
using TCall = std::variant<TLine, TShape, TPolygon, TText, TPicture>;

// Takes the drawing calls of a page played onto it, in the canvas's pixels.
class TCallList : public plat::TCanvas {
public:
    TCallList() = default;
    std::vector<TCall> Calls;

    void MoveTo(int x, int y) override { TCanvas::MoveTo(x, y); }
    void LineTo(int x, int y) override
    {
        Calls.push_back(TLine{QPoint(PenPos().X, PenPos().Y), QPoint(x, y), QtPen()});
        TCanvas::MoveTo(x, y);
    }
    void Rectangle(int x1, int y1, int x2, int y2) override
    {
        Calls.push_back(TShape{QRect(QPoint(x1, y1), QPoint(x2 - 1, y2 - 1)), QtPen(), QtBrush()});
    }
    void FillRect(const plat::TRect &r) override
    {
        Calls.push_back(TShape{QRect(r.Left, r.Top, r.Width(), r.Height()), Qt::NoPen, QtBrush()});
    }
    void FrameRect(const plat::TRect &r) override
    {
        Calls.push_back(TShape{QRect(r.Left, r.Top, r.Width() - 1, r.Height() - 1), QPen(QtColor(Brush().Color()), 1),
                               Qt::NoBrush});
    }
    void Polygon(const plat::TPoint *points, int count) override { AddPolygon(points, count, true); }
    void Polyline(const plat::TPoint *points, int count) override { AddPolygon(points, count, false); }
    void ExtTextOut(int x, int y, unsigned options, const plat::TRect *rect, const plat::String &text,
                    const int *) override
    {
        QRect box = rect ? QRect(rect->Left, rect->Top, rect->Width(), rect->Height()) : QRect();
        if (rect && (options & plat::ETO_OPAQUE))
            Calls.push_back(TShape{box, Qt::NoPen, QBrush(QtColor(BkColor()))});
        if (!(options & plat::ETO_CLIPPED))
            box = QRect();
        if (text.empty())
            return;
        QFont font(QString::fromStdString(plat::TFontProvider::Instance().ResolvedFamily(Font().Name())));
        font.setPixelSize(std::max(1, std::abs(Font().Height())));
        font.setBold(Font().Style() & plat::fsBold);
        font.setItalic(Font().Style() & plat::fsItalic);
        font.setUnderline(Font().Style() & plat::fsUnderline);
        const int ascent = TextMetrics().tmAscent;
        const unsigned vertical = TextAlign() & (plat::TA_BASELINE | plat::TA_BOTTOM);
        const int base = vertical == plat::TA_BASELINE ? y
                         : vertical == plat::TA_BOTTOM ? y - TextMetrics().tmDescent
                                                       : y + ascent;
        Calls.push_back(TText{box, QPointF(x, base), QString::fromStdString(text), font, QtColor(TextColor())});
    }
    void StretchDrawImage(const plat::TRect &dest, const QImage &image, const plat::TRect &source,
                          plat::TColor) override
    {
        Calls.push_back(TPicture{QRect(dest.Left, dest.Top, dest.Width(), dest.Height()),
                                 image.copy(source.Left, source.Top, source.Width(), source.Height())});
    }
    plat::TSize DeviceSize() const override { return {1 << 20, 1 << 20}; }

private:
    static QColor QtColor(plat::TColor c) { return QColor::fromRgb(plat::ToQRgb(c)); }
    QPen QtPen() const
    {
        if (Pen().Style() == plat::psClear)
            return Qt::NoPen;
        return QPen(QtColor(Pen().Color()), std::max(1, Pen().Width()));
    }
    QBrush QtBrush() const
    {
        if (Brush().Style() == plat::bsClear)
            return Qt::NoBrush;
        return QBrush(QtColor(Brush().Color()));
    }
    void AddPolygon(const plat::TPoint *points, int count, bool closed)
    {
        QPolygon p;
        for (int i = 0; i < count; ++i)
            p << QPoint(points[i].X, points[i].Y);
        Calls.push_back(TPolygon{p, QtPen(), closed ? QtBrush() : QBrush(Qt::NoBrush), closed});
    }
};

// The page's drawing calls in pixels of the page at 96 dpi.
inline std::vector<TCall> TakeApart(const plat::TMetafile &page, int pixelsW, int pixelsH)
{
    TCallList list;
    plat::PlayMetafile(list, page, {0, 0, pixelsW, pixelsH});
    return std::move(list.Calls);
}

// Issues the calls onto an A4 QPdfWriter at 96 dpi writing to out.
inline void DrawIntoPdf(const std::vector<TCall> &calls, QIODevice &out)
{
    QPdfWriter pdf(&out);
    pdf.setResolution(96);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter p(&pdf);
    p.setRenderHint(QPainter::LosslessImageRendering, true);
    for (const TCall &call : calls) {
        if (auto *l = std::get_if<TLine>(&call)) {
            p.setPen(l->pen);
            p.drawLine(l->a, l->b);
        } else if (auto *s = std::get_if<TShape>(&call)) {
            p.setPen(s->pen);
            p.setBrush(s->brush);
            p.drawRect(s->rect);
        } else if (auto *g = std::get_if<TPolygon>(&call)) {
            p.setPen(g->pen);
            p.setBrush(g->brush);
            if (g->closed)
                p.drawPolygon(g->points);
            else
                p.drawPolyline(g->points);
        } else if (auto *t = std::get_if<TText>(&call)) {
            if (!t->clip.isEmpty()) {
                p.save();
                p.setClipRect(t->clip);
            }
            p.setFont(t->font);
            p.setPen(t->color);
            p.drawText(t->baseline, t->text);
            if (!t->clip.isEmpty())
                p.restore();
        } else if (auto *i = std::get_if<TPicture>(&call)) {
            p.drawImage(i->dest, i->image);
        }
    }
}

// The same into memory; returns the PDF's bytes.
inline QByteArray DrawIntoPdf(const std::vector<TCall> &calls)
{
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    DrawIntoPdf(calls, out);
    return out.buffer();
}

} // namespace qtpeer
