#include "administration/SubstitutionIntroWindow.h"

#include "administration/FormParts.h"

TFVin *FVin = nullptr;

TFVin::TFVin(plat::TComponent *owner) : plat::TForm(owner)
{
    plat::TLoadingScope loading(*this);
    formparts::Frame(*this, "FVin", "FWintro", 800, 600);
}
