#pragma once
// After phoneme substitution: asks whether phoneme deletion follows.
// For now an empty window of its size, so that the road through the program
// can be walked.
#include "platform/Forms.h"

class TFVaft : public plat::TForm {
public:
    explicit TFVaft(plat::TComponent *owner);
};

extern TFVaft *FVaft;
