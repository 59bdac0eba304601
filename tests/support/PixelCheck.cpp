#include "tests/support/PixelCheck.h"

#include "platform/graphics/Canvas.h"

#include <algorithm>

namespace zibor::test {

TPlainWindow::TPlainWindow(int width, int height, plat::TColor color) : form_(plat::MakeForm<plat::TForm>(nullptr))
{
    form_->SetBorderStyle(plat::TFormBorderStyle::bsNone);
    form_->SetBounds(0, 0, width, height);
    form_->SetColor(color);
    form_->Show();
}

TPlainWindow::~TPlainWindow()
{
    form_->Hide();
    form_->Free();
}

QImage PaintOffscreen(plat::TControl &control)
{
    return control.Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

plat::TColor PixelOf(const QImage &image, int x, int y)
{
    if (x < 0 || y < 0 || x >= image.width() || y >= image.height())
        return plat::CLR_INVALID;
    const QRgb p = image.pixel(x, y);
    return plat::RGB(qRed(p), qGreen(p), qBlue(p));
}

bool Shows(const QImage &image, const plat::TRect &area, plat::TColor color)
{
    for (int y = std::max(0, area.Top); y < std::min(image.height(), area.Bottom); ++y)
        for (int x = std::max(0, area.Left); x < std::min(image.width(), area.Right); ++x)
            if (PixelOf(image, x, y) == color)
                return true;
    return false;
}

std::string At(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }

} // namespace zibor::test
