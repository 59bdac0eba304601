#pragma once
// System colours come from one fixed table rather than from the desktop theme,
// so that the program looks the same everywhere and pixel tests stay stable.
// The values are the light classic scheme of the platform's current releases:
//
//   index  name                        R    G    B
//    0     clScrollBar                200  200  200
//    1     clBackground                 0    0    0
//    2     clActiveCaption            153  180  209
//    3     clInactiveCaption          191  205  219
//    4     clMenu                     240  240  240
//    5     clWindow                   255  255  255
//    6     clWindowFrame              100  100  100
//    7     clMenuText                   0    0    0
//    8     clWindowText                 0    0    0
//    9     clCaptionText                0    0    0
//   10     clActiveBorder             180  180  180
//   11     clInactiveBorder           244  247  252
//   12     clAppWorkSpace             171  171  171
//   13     clHighlight                  0  120  215
//   14     clHighlightText            255  255  255
//   15     clBtnFace                  240  240  240
//   16     clBtnShadow                160  160  160
//   17     clGrayText                 109  109  109
//   18     clBtnText                    0    0    0
//   19     clInactiveCaptionText        0    0    0
//   20     clBtnHighlight             255  255  255
//   21     cl3DDkShadow               105  105  105
//   22     cl3DLight                  227  227  227
//   23     clInfoText                   0    0    0
//   24     clInfoBk                   255  255  225
//   25     (unused)                     0    0    0
//   26     clHotLight                   0  102  204
//   27     clGradientActiveCaption    185  209  234
//   28     clGradientInactiveCaption  215  228  242
//   29     clMenuHighlight             51  153  255
//   30     clMenuBar                  240  240  240
//
// An index outside the table resolves to black.
#include "platform/core/Types.h"

namespace plat {

// Standard colours beyond the sixteen basic ones.
constexpr TColor clMoneyGreen = 0xC0DCC0, clSkyBlue = 0xF0CAA6, clCream = 0xF0FBFF,
                 clMedGray = 0xA4A0A0;

constexpr int SystemColorCount = 31;

// The plain 0x00BBGGRR value of system colour index (0..30).
TColor GetSysColor(int index);

// Plain colours come back unchanged (clNone and clDefault included); a system
// colour is looked up in the table above.
TColor ColorToRGB(TColor color);

bool IsSystemColor(TColor color);

} // namespace plat
