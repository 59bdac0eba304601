#pragma once
// After phoneme deletion: asks whether phoneme substitution follows.
// For now an empty window of its size, so that the road through the program
// can be walked.
#include "platform/Forms.h"

class TFWaft : public plat::TForm {
public:
    explicit TFWaft(plat::TComponent *owner);
};

extern TFWaft *FWaft;
