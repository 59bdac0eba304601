#pragma once
// The notice that an administration was saved: only its picture shows, for
// one second, and the save sound plays as it goes, unless a subtest is
// storing an item. Its silent twin shares this class's behaviour.
#include "administration/DeferredAction.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Timers.h"

class TAlphaShowHide;

class TNoticeForm : public plat::TForm {
public:
    TNoticeForm(plat::TComponent *owner, const plat::String &name, bool withSound);

    // The show handler: arms the one-second close.
    void Latency(plat::TObject *) { Deferred.Latency(); }

    plat::TImage *Image1;
    plat::TTimer *LatencyTimer;
    TAlphaShowHide *AlphaShowHide1;
    TDeferredAction Deferred;

private:
    void Elapsed();
    bool withSound_;
};

class Tmessage : public TNoticeForm {
public:
    explicit Tmessage(plat::TComponent *owner) : TNoticeForm(owner, "message", true) {}
};

extern Tmessage *message;
