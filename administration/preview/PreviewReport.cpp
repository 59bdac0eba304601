#include "administration/preview/PreviewReport.h"

namespace report {

using namespace zibor::preview;

plat::TCanvas &TPreviewReportTarget::Canvas() { return preview_.Canvas(); }

plat::TRect TPreviewReportTarget::PageBounds() { return preview_.GetPageBounds(); }

plat::TPoint TPreviewReportTarget::FromLoMetric(plat::TPoint p)
{
    return preview_.ConvertXY(p.X, p.Y, mmLoMetric, preview_.Units());
}

plat::TRect TPreviewReportTarget::PaintGraphic(const plat::TRect &r, const plat::TGraphic &graphic)
{
    return preview_.PaintGraphicEx(r, graphic, false, false, true);
}

void GeneratePage(TPrintPreview &preview, const std::function<void(TReportTarget &)> &draw)
{
    TPreviewReportTarget target(preview);
    preview.BeginDoc();
    try {
        draw(target);
    } catch (...) {
        preview.EndDoc();
        throw;
    }
    preview.EndDoc();
}

} // namespace report
