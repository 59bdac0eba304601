#pragma once
// The form choice's radio group, for now with the plain look of the window
// layer's radio group: items in columns, ItemIndex (-1 none), OnClick on
// every click of an item (also of the one already chosen), Enabled and
// Visible. The custom-drawn group takes this name and keeps this behaviour.
#include "platform/ExtCtrls.h"

class TUiRadioGroup : public plat::TRadioGroup {
public:
    explicit TUiRadioGroup(plat::TComponent *owner);

    // Chooses an item without raising OnClick (a window that resets its
    // choice does not act on it as if the user had chosen).
    void SetItemIndexQuietly(int i);
};
