#include "administration/DeletionIntroWindow.h"

#include "administration/DeletionWindow.h"

TFWin *FWin = nullptr;

TFWin::TFWin(plat::TComponent *owner) : TIntroWindow(owner, DeletionIntroParams())
{
    ShowSubtest = [] { FWtfase->ShowModal(); };
}
