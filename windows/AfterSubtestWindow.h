#pragma once
// After one subtest, when the other has not been done: does the other
// follow at once? "Ja" starts its introduction, "Nee" ends the
// administration in the end window. Both act at once after the click sound.
// TFWaft (after phoneme deletion) and TFVaft (after phoneme substitution)
// are this window with their own question and answers.
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

#include <functional>

class TAlphaShowHide;

class TAfterSubtestWindow : public plat::TForm {
public:
    TAfterSubtestWindow(plat::TComponent *owner, const char *name, const char *subtestName);

    void YesClick(plat::TObject *Sender);
    void NoClick(plat::TObject *Sender);

    plat::TImage *Background;
    plat::TImage *BtnYes;
    plat::TImage *BtnNo;
    plat::TLabel *Label1;
    plat::TLabel *Label2;
    plat::TLabel *Label3;
    plat::TLabel *Label4;
    plat::TImage *ButtonHM;
    plat::TImage *ButtonTR;
    TAlphaShowHide *AlphaShowHide1;

protected:
    // The answers, after the click sound.
    std::function<void()> Yes, No;
    // "Nee": the subtest windows closed, the end window shown.
    void ToEndWindow(plat::TForm *intro, plat::TForm *subtest);
};
