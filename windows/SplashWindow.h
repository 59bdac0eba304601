#pragma once
// The splash picture, shown while the program starts and freed once the
// main window's run has ended.
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Timers.h"

class TZIBsplash : public plat::TForm {
public:
    explicit TZIBsplash(plat::TComponent *owner);

    void FormCreate(plat::TObject *Sender);
    void FormShow(plat::TObject *Sender);
    void Timer1Timer(plat::TObject *Sender);

    plat::TImage *Image1;
    plat::TTimer *Timer1;
    int Counter = 0;

private:
    void Count();
};

extern TZIBsplash *ZIBsplash;
