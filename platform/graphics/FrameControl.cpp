#include "platform/graphics/FrameControl.h"

#include "platform/graphics/Canvas.h"
#include "platform/graphics/Colors.h"

namespace plat {

bool DrawFrameControl(TCanvas &canvas, const TRect &r, unsigned kind, unsigned state)
{
    if (kind != DFC_BUTTON || (state & 0xFF) != DFCS_BUTTONRADIO)
        return false;
    const bool inactive = state & DFCS_INACTIVE, pushed = state & DFCS_PUSHED;
    const TColor inside = (pushed || inactive) ? clBtnFace : clWindow;
    const TColor dot = inactive ? clBtnShadow : clWindowText;
    // Rings by the squared distance of the pixel centre from the circle's
    // centre (6, 6), in quarters of a pixel to stay in integers.
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x) {
            const int dx = 2 * x + 1 - 12, dy = 2 * y + 1 - 12, d2 = dx * dx + dy * dy;  // (2d)^2
            const bool upperLeft = x + y < 11;
            TColor c = clNone;
            if (d2 >= 144)
                c = (state & DFCS_TRANSPARENT) ? clNone : clBtnFace;
            else if (d2 >= 100)
                c = upperLeft ? clBtnShadow : clBtnHighlight;
            else if (d2 >= 64)
                c = upperLeft ? cl3DDkShadow : cl3DLight;
            else if ((state & DFCS_CHECKED) && d2 < 18)
                c = dot;
            else
                c = inside;
            if (c != clNone && r.Left + x < r.Right && r.Top + y < r.Bottom)
                canvas.SetPixel(r.Left + x, r.Top + y, ColorToRGB(c));
        }
    return true;
}

} // namespace plat
