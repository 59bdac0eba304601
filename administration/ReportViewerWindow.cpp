#include "administration/ReportViewerWindow.h"

#include "administration/FormParts.h"

TTRO *TRO = nullptr;

TTRO::TTRO(plat::TComponent *owner) : plat::TForm(owner)
{
    plat::TLoadingScope loading(*this);
    formparts::Frame(*this, "TRO", "Afdrukvoorbeeld", 800, 600);
}
