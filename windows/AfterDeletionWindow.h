#pragma once
// After phoneme deletion: asks whether phoneme substitution follows; the
// report so far is shown before it does.
#include "windows/AfterSubtestWindow.h"

class TFWaft : public TAfterSubtestWindow {
public:
    explicit TFWaft(plat::TComponent *owner);
    // The report window with the results so far.
    void ToonRapport();
};

extern TFWaft *FWaft;
