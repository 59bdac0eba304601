#include "windows/AfterSubstitutionWindow.h"

#include "windows/DeletionIntroWindow.h"
#include "windows/DeletionWindow.h"
#include "windows/SubstitutionIntroWindow.h"
#include "windows/SubstitutionWindow.h"
#include "windows/SubtestRoad.h"

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
