#pragma once
// The end of an administration: the test report, back to the main window,
// or leaving the program.
#include "administration/DeferredAction.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/Timers.h"

class TAlphaShowHide;

class TZIBfinish : public plat::TForm {
public:
    explicit TZIBfinish(plat::TComponent *owner);

    void ZetStart();
    void ToonKlaar();
    void Formshow(plat::TObject *Sender);
    void AfdrukkenClick(plat::TObject *Sender);
    void HMclick(plat::TObject *Sender);
    void Exitclick(plat::TObject *Sender);
    void Latency(plat::TObject *) { Deferred.Latency(); }
    // The window system's close (Alt+F4) is the home button, once offered.
    void WindowCloseRequested() override;

    plat::TImage *Background;
    plat::TImage *ButtonHM;
    plat::TImage *ButtonTR;
    plat::TButton *ButtonExit;
    plat::TLabel *Label1;
    plat::TLabel *Label2;
    plat::TLabel *Label4;
    plat::TTimer *LatencyTimer;
    TAlphaShowHide *AlphaShowHide1;

    // 1: back to the main window.
    int PendingAction = 0;
    TDeferredAction Deferred;

private:
    void RunPendingAction();
};

extern TZIBfinish *ZIBfinish;
