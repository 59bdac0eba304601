#pragma once
// The choice of subtest, the first window after the main window's "new":
// phoneme substitution or phoneme deletion, then the particulars window.
#include "administration/DeferredAction.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Timers.h"

class TAlphaShowHide;

class TZIBkeuze : public plat::TForm {
public:
    explicit TZIBkeuze(plat::TComponent *owner);

    void ZetKnoppen();
    void Formshow(plat::TObject *Sender);
    void FVExecute(plat::TObject *Sender);
    void FWExecute(plat::TObject *Sender);
    void PrevPage(plat::TObject *Sender);
    void Latency(plat::TObject *) { Deferred.Latency(); }

    plat::TImage *Background;
    plat::TImage *Keuzetekst;
    plat::TImage *ButtonFV;
    plat::TImage *ButtonFW;
    plat::TImage *ButtonExit;
    plat::TTimer *LatencyTimer;
    TAlphaShowHide *AlphaShowHide1;

    // 1 phoneme substitution (FV), 2 phoneme deletion (FW).
    int Keuze = 0;
    TDeferredAction Deferred;

private:
    void Choose(int choice, plat::TImage *button, const char *picture);
    void Chosen();
};

extern TZIBkeuze *ZIBkeuze;
