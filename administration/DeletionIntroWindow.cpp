#include "administration/DeletionIntroWindow.h"

#include "administration/FormParts.h"

TFWin *FWin = nullptr;

TFWin::TFWin(plat::TComponent *owner) : plat::TForm(owner)
{
    plat::TLoadingScope loading(*this);
    formparts::Frame(*this, "FWin", "FWintro", 800, 600);
}
