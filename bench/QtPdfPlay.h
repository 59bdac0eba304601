#pragma once
// Plays a recorded A4 page onto Qt's QPdfWriter at 96 dpi, the yardstick the
// PDF benchmarks compare against. Returns the size of the file made.
#include "platform/Canvas.h"
#include "platform/Metafile.h"
#include "platform/MetafilePlayer.h"

#include <QBuffer>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

inline qint64 PlayOntoQPdfWriter(const plat::TMetafile &page, int pixelsW, int pixelsH, bool losslessImages = false)
{
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&out);
        pdf.setResolution(96);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter(&pdf);
        painter.setRenderHint(QPainter::LosslessImageRendering, losslessImages);
        plat::TCanvas canvas(&painter);
        plat::PlayMetafile(canvas, page, {0, 0, pixelsW, pixelsH});
    }
    return out.size();
}
