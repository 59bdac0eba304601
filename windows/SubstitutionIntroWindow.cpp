#include "windows/SubstitutionIntroWindow.h"

#include "windows/SubstitutionWindow.h"

TFVin *FVin = nullptr;

TFVin::TFVin(plat::TComponent *owner) : TIntroWindow(owner, SubstitutionIntroParams())
{
    // The item loop's interrupt button is ready again when the subtest
    // window is shown anew.
    OnContinue = [] { FVtfase->Loop.EndInterrupt(); };
    ShowSubtest = [] { FVtfase->ShowModal(); };
}
