#include "windows/AfterDeletionWindow.h"

#include "windows/DeletionIntroWindow.h"
#include "windows/DeletionWindow.h"
#include "windows/ReportWindow.h"
#include "windows/SubstitutionIntroWindow.h"
#include "windows/SubstitutionWindow.h"
#include "windows/SubtestRoad.h"

using namespace plat;

TFWaft *FWaft = nullptr;

TFWaft::TFWaft(TComponent *owner) : TAfterSubtestWindow(owner, "FWaft", "FONEEMVERWISSELING")
{
    Yes = [this] {
        subtestroad::Admin().State = 6;
        FVtfase->StartAt(1, 1);
        SetModalResult(mrCancel);
        FWin->SetModalResult(mrCancel);
        FWin->Hide();
        FWin->Close();
        FWtfase->Hide();
        FWtfase->Close();
        ToonRapport();
        FVin->ShowModal();
        Hide();
        Close();
        FVin->EnableFirstPart();
    };
    No = [this] {
        adm::TAdministration &a = subtestroad::Admin();
        a.State = 4;
        a.Autosave = 0;
        subtestroad::Store();
        ToEndWindow(FWin, FWtfase);
    };
}

void TFWaft::ToonRapport()
{
    FWtfase->Hide();
    FVtfase->Hide();
    PP->ShowModal();
}
