#include "administration/ReportWindow.h"

#include "administration/FormParts.h"

TPP *PP = nullptr;

TPP::TPP(plat::TComponent *owner) : plat::TForm(owner)
{
    plat::TLoadingScope loading(*this);
    formparts::Frame(*this, "PP", "Afdrukvoorbeeld", 800, 600);
    OnCreate = plat::Method(this, &TPP::FormCreate);
}

void TPP::FormCreate(plat::TObject *) { SetDoubleBuffered(true); }
