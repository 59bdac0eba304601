#pragma once
// Pixel checks of controls painted off-screen: a borderless window to put
// them on, the control's widget painted into an image, and pixels read back
// as the program's colour values, so that a failure prints 0x00BBGGRR.
#include "platform/gui/Controls.h"
#include "platform/gui/Forms.h"

#include <QImage>

#include <string>
#include <vector>

namespace zibor::test {

// A shown borderless window of the given size and colour at the screen's
// corner; freed at the end.
class TPlainWindow {
public:
    TPlainWindow(int width, int height, plat::TColor color);
    ~TPlainWindow();
    TPlainWindow(const TPlainWindow &) = delete;
    TPlainWindow &operator=(const TPlainWindow &) = delete;
    plat::TForm &Form() { return *form_; }

    // Makes a control of class T on parent (the window when nullptr).
    template <class T>
    T *Place(int left, int top, int width, int height, plat::TWinControl *parent = nullptr)
    {
        auto *c = new T(form_);
        c->SetParent(parent ? parent : form_);
        c->SetBounds(left, top, width, height);
        return c;
    }

private:
    plat::TForm *form_;
};

// The control as it paints now (its widget rendered into an image).
QImage PaintOffscreen(plat::TControl &control);

// The pixel as a plain colour (0x00BBGGRR); CLR_INVALID outside the image.
plat::TColor PixelOf(const QImage &image, int x, int y);

// Whether some pixel of area (clipped to the image) has the colour.
bool Shows(const QImage &image, const plat::TRect &area, plat::TColor color);

// "x,y" for failure messages.
std::string At(int x, int y);

} // namespace zibor::test
