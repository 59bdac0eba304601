// A report file (".zrp") or a bare page store block, as stored: loaded into a
// print preview, which either takes it whole or refuses it and keeps what it
// showed; a loaded report shows, plays and saves back to the same pages.
#include "fuzz/support/FuzzSupport.h"
#include "platform/graphics/Canvas.h"
#include "platform/metafile/MetafilePlayer.h"
#include "rendering/preview/PrintPreview.h"

#include <QImage>

#include <cstdlib>
#include <memory>

using namespace zibor::preview;

namespace {

TPrintPreview &Preview()
{
    static TPrintPreview *pp = [] {
        auto *p = new TPrintPreview(nullptr);
        p->SetAlign(plat::TAlign::alNone);
        p->SetBounds(0, 0, 120, 90);
        return p;
    }();
    return *pp;
}

std::vector<std::vector<uint8_t>> Pages(TPrintPreview &pp)
{
    std::vector<std::vector<uint8_t>> pages;
    for (int i = 0; i < pp.TotalPages(); ++i)
        pages.push_back(pp.PageStore().PageBytes(i));
    return pages;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    zibor::fuzz::NeedApplication();
    TPrintPreview &pp = Preview();
    const auto before = Pages(pp);
    const TPaperType type = pp.PaperType();
    const TPrinterOrientation orientation = pp.Orientation();
    if (!zibor::fuzz::LoadInput(pp, data, size)) {
        // Refused: nothing of the preview changed.
        if (Pages(pp) != before || pp.PaperType() != type || pp.Orientation() != orientation)
            std::abort();
        return 0;
    }
    QImage image(48, 64, QImage::Format_RGB32);
    plat::TCanvas canvas(&image);
    for (int n = 1; n <= pp.TotalPages(); ++n) {
        pp.SetCurrentPage(n);
        pp.PaperControl().UpdateBuffer();
        plat::PlayMetafile(canvas, *pp.Pages(n), plat::Rect(0, 0, 48, 64));
    }
    // What was taken saves back and loads again to the same pages.
    const auto loaded = Pages(pp);
    plat::TMemoryStream saved;
    pp.SaveToStream(saved);
    saved.SetPosition(0);
    pp.LoadFromStream(saved);
    if (Pages(pp) != loaded)
        std::abort();
    return 0;
}
