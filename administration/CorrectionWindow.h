#pragma once
// The correction of a stored administration, opened from the report viewer.
// For now an empty window of its size.
#include "platform/Forms.h"

class Tcorrect : public plat::TForm {
public:
    explicit Tcorrect(plat::TComponent *owner);
};

extern Tcorrect *correct;
