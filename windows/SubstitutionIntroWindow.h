#pragma once
// The spoken introduction of phoneme substitution, five parts started one by one.
#include "windows/IntroWindow.h"

class TFVin : public TIntroWindow {
public:
    explicit TFVin(plat::TComponent *owner);
};

extern TFVin *FVin;
