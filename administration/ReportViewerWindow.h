#pragma once
// The report viewer: reopens a stored report to show, print or export it, and starts its correction.
// For now an empty window of its size, so that the road through the program
// can be walked.
#include "platform/Forms.h"

class TTRO : public plat::TForm {
public:
    explicit TTRO(plat::TComponent *owner);
};

extern TTRO *TRO;
