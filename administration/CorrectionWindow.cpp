#include "administration/CorrectionWindow.h"

#include "administration/FormParts.h"

Tcorrect *correct = nullptr;

Tcorrect::Tcorrect(plat::TComponent *owner) : plat::TForm(owner)
{
    plat::TLoadingScope loading(*this);
    formparts::Frame(*this, "correct", "Testgegevens Wijzigen", 800, 600);
    SetDoubleBuffered(true);
}
