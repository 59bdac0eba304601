// A report page as stored: loaded, walked record by record and played onto a
// small canvas.
#include "fuzz/support/FuzzSupport.h"
#include "platform/graphics/Canvas.h"
#include "platform/metafile/Metafile.h"
#include "platform/metafile/MetafilePlayer.h"

#include <QImage>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    zibor::fuzz::NeedApplication();
    plat::TMetafile page;
    if (!zibor::fuzz::LoadInput(page, data, size))
        return 0;
    page.Enumerate([](const plat::emf::TEmfRecord &) { return true; });
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(Qt::white);
    plat::TCanvas canvas(&image);
    plat::PlayMetafile(canvas, page, plat::Rect(0, 0, page.Width() % 97, page.Height() % 61));
    plat::PlayMetafile(canvas, page, plat::Rect(0, 0, 64, 48));
    return 0;
}
