#pragma once
// The phoneme-substitution subtest: twelve items, one prompt each, timed and
// scored (the item loop's substitution parameters).
#include "windows/SubtestWindow.h"

class TFVtfase : public TSubtestWindow {
public:
    explicit TFVtfase(plat::TComponent *owner);
};

extern TFVtfase *FVtfase;
