#pragma once
// Raw mouse and key events for controls that track presses themselves:
// a press here and a release there, a held key with its auto-repeats.
#include "platform/gui/Controls.h"

namespace zibor::test {

void MousePress(plat::TControl &c, int x, int y);
void MouseMoveTo(plat::TControl &c, int x, int y);
void MouseRelease(plat::TControl &c, int x, int y);
// Two left clicks in quick succession, as Qt delivers them: press, release,
// the double-click event in place of the second press, release.
void MouseDoubleClick(plat::TControl &c, int x, int y);
void MouseEnterLeave(plat::TControl &c, bool enter);
// Press, `repeats` auto-repeated release-and-press pairs, one release.
void HoldKey(plat::TWinControl &c, uint16_t vk, int repeats);

} // namespace zibor::test
