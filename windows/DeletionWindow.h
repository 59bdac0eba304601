#pragma once
// The phoneme-deletion subtest: three examples and twelve items, each prompt
// in two parts, timed and scored (the item loop's deletion parameters).
#include "windows/SubtestWindow.h"

class TFWtfase : public TSubtestWindow {
public:
    explicit TFWtfase(plat::TComponent *owner);
};

extern TFWtfase *FWtfase;
