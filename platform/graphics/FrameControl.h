#pragma once
// The platform's classic frame-control drawing, as far as the program uses
// it: the radio-button glyph in system colours.
#include "platform/core/Types.h"

namespace plat {

class TCanvas;

enum : unsigned { DFC_BUTTON = 4 };
enum : unsigned {
    DFCS_BUTTONRADIO = 0x4, DFCS_INACTIVE = 0x100, DFCS_PUSHED = 0x200, DFCS_CHECKED = 0x400,
    DFCS_TRANSPARENT = 0x800,
};

// Draws the control in r. A radio button is a 12 x 12 circle in the top-left
// of r: an outer ring in clBtnShadow (upper left) and clBtnHighlight (lower
// right), an inner ring in cl3DDkShadow and cl3DLight, the inside in
// clWindow (clBtnFace when pushed or inactive) and, when checked, a dot in
// clWindowText (clBtnShadow when inactive). With DFCS_TRANSPARENT the pixels
// outside the circle are left alone, otherwise they take clBtnFace. Other
// kinds draw nothing; returns whether anything was drawn.
bool DrawFrameControl(TCanvas &canvas, const TRect &r, unsigned kind, unsigned state);

} // namespace plat
