#include "controls/UiRadioGroup.h"

TUiRadioGroup::TUiRadioGroup(plat::TComponent *owner) : plat::TRadioGroup(owner) {}

void TUiRadioGroup::SetItemIndexQuietly(int i)
{
    plat::TNotifyEvent click = std::move(OnClick);
    OnClick = nullptr;
    try {
        SetItemIndex(i);
    } catch (...) {
        OnClick = std::move(click);
        throw;
    }
    OnClick = std::move(click);
}
