#include "windows/DeletionIntroWindow.h"

#include "windows/DeletionWindow.h"

TFWin *FWin = nullptr;

TFWin::TFWin(plat::TComponent *owner) : TIntroWindow(owner, DeletionIntroParams())
{
    ShowSubtest = [] { FWtfase->ShowModal(); };
}
