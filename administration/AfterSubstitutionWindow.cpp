#include "administration/AfterSubstitutionWindow.h"

#include "administration/DeletionIntroWindow.h"
#include "administration/DeletionWindow.h"
#include "administration/SubstitutionIntroWindow.h"
#include "administration/SubstitutionWindow.h"
#include "administration/SubtestRoad.h"

using namespace plat;

TFVaft *FVaft = nullptr;

TFVaft::TFVaft(TComponent *owner) : TAfterSubtestWindow(owner, "FVaft", "FONEEMWEGLATING")
{
    Yes = [this] {
        subtestroad::Admin().State = 5;
        FWtfase->StartAt(1, 1);
        SetModalResult(mrCancel);
        FVin->Hide();
        FVin->Close();
        FVtfase->Hide();
        FVtfase->Close();
        FWin->ShowModal();
        Hide();
        Close();
        FWin->EnableFirstPart();
    };
    // The substitution window stored the administration before this window.
    No = [this] {
        subtestroad::Admin().State = 3;
        ToEndWindow(FVin, FVtfase);
    };
}
