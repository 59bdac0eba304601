#pragma once
// The progress window that the program runs modally halfway through the
// creation of its windows: the bar fills by one per tick and the window
// closes itself when it is full.
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/Timers.h"

class TLoader : public plat::TForm {
public:
    explicit TLoader(plat::TComponent *owner);

    void Progress(plat::TObject *Sender);

    plat::TLabel *Label1;
    plat::TProgressBar *ProgressBar1;
    plat::TTimer *Timer1;
};

extern TLoader *Loader;
