#pragma once
// The spoken introduction of phoneme deletion, five parts started one by one.
// For now an empty window of its size, so that the road through the program
// can be walked.
#include "platform/Forms.h"

class TFWin : public plat::TForm {
public:
    explicit TFWin(plat::TComponent *owner);
};

extern TFWin *FWin;
