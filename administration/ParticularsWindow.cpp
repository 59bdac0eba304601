#include "administration/ParticularsWindow.h"

#include "administration/FormParts.h"

TZIBinvoer *ZIBinvoer = nullptr;

TZIBinvoer::TZIBinvoer(plat::TComponent *owner) : plat::TForm(owner)
{
    plat::TLoadingScope loading(*this);
    formparts::Frame(*this, "ZIBinvoer", "ZIBinvoer", 800, 600);
    OpenDialog1 = new plat::TOpenDialog(this);
    OpenDialog1->SetName("OpenDialog1");
}

void TZIBinvoer::WisGegevens() {}
