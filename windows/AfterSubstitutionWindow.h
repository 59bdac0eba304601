#pragma once
// After phoneme substitution: asks whether phoneme deletion follows.
#include "windows/AfterSubtestWindow.h"

class TFVaft : public TAfterSubtestWindow {
public:
    explicit TFVaft(plat::TComponent *owner);
};

extern TFVaft *FVaft;
