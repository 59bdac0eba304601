#pragma once
// The spoken introduction of phoneme substitution, five parts started one by one.
// For now an empty window of its size, so that the road through the program
// can be walked.
#include "platform/Forms.h"

class TFVin : public plat::TForm {
public:
    explicit TFVin(plat::TComponent *owner);
};

extern TFVin *FVin;
