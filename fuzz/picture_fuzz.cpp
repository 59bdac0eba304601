// A picture loaded by its content (bitmap, JPEG, GIF, icon, metafile page),
// then drawn stretched onto a small canvas.
#include "fuzz/support/FuzzSupport.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphics.h"

#include <QImage>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    zibor::fuzz::NeedApplication();
    plat::TPicture picture;
    if (!zibor::fuzz::LoadInput(picture, data, size) || picture.Empty())
        return 0;
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::white);
    plat::TCanvas canvas(&image);
    canvas.StretchDraw(plat::Rect(0, 0, 40, 30), *picture.Graphic());
    return 0;
}
