#include "administration/AfterSubstitutionWindow.h"

#include "administration/FormParts.h"

TFVaft *FVaft = nullptr;

TFVaft::TFVaft(plat::TComponent *owner) : plat::TForm(owner)
{
    plat::TLoadingScope loading(*this);
    formparts::Frame(*this, "FVaft", "FVaft", 800, 600);
}
