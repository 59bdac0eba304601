#include "administration/AfterDeletionWindow.h"

#include "administration/FormParts.h"

TFWaft *FWaft = nullptr;

TFWaft::TFWaft(plat::TComponent *owner) : plat::TForm(owner)
{
    plat::TLoadingScope loading(*this);
    formparts::Frame(*this, "FWaft", "FWaft", 800, 600);
}
