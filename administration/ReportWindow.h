#pragma once
// The report window after an administration: computes the scores, draws,
// shows and prints the report, and stores it on closing. For now an empty
// window of its size.
#include "platform/Forms.h"

class TPP : public plat::TForm {
public:
    explicit TPP(plat::TComponent *owner);
    // The creation handler; the end window runs it again to ready the window
    // for the next administration.
    void FormCreate(plat::TObject *Sender);
};

extern TPP *PP;
