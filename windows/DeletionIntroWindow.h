#pragma once
// The spoken introduction of phoneme deletion, five parts started one by one.
#include "windows/IntroWindow.h"

class TFWin : public TIntroWindow {
public:
    explicit TFWin(plat::TComponent *owner);
};

extern TFWin *FWin;
