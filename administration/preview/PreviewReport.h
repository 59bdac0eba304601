#pragma once
// The report page drawn into a print preview: the preview as the page's
// target, and the page generation around the drawing.
#include "administration/ReportPage.h"
#include "rendering/preview/PrintPreview.h"

#include <functional>

namespace report {

// The preview's page canvas, page bounds, units and picture placement
// (proportional, at the rectangle's top-left).
class TPreviewReportTarget : public TReportTarget {
public:
    explicit TPreviewReportTarget(zibor::preview::TPrintPreview &preview) : preview_(preview) {}
    plat::TCanvas &Canvas() override;
    plat::TRect PageBounds() override;
    plat::TPoint FromLoMetric(plat::TPoint p) override;
    plat::TRect PaintGraphic(const plat::TRect &r, const plat::TGraphic &graphic) override;

private:
    zibor::preview::TPrintPreview &preview_;
};

// One document of one page: BeginDoc, the drawing, and EndDoc also when the
// drawing fails (the failure then goes on to the caller).
void GeneratePage(zibor::preview::TPrintPreview &preview, const std::function<void(TReportTarget &)> &draw);

} // namespace report
