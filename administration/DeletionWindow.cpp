#include "administration/DeletionWindow.h"

#include "administration/FormParts.h"

TFWtfase *FWtfase = nullptr;
std::unique_ptr<plat::TResourceStream> FWPromptA;
std::unique_ptr<plat::TResourceStream> FWPromptB;

void InitializeDeletionModule()
{
    FWPromptA = std::make_unique<plat::TResourceStream>("WAV", "FWv01a");
    FWPromptB = std::make_unique<plat::TResourceStream>("WAV", "FWv01b");
}

TFWtfase::TFWtfase(plat::TComponent *owner) : plat::TForm(owner)
{
    plat::TLoadingScope loading(*this);
    formparts::Frame(*this, "FWtfase", "FWtestform", 800, 600);
    SetTransparentColorValue(plat::clOlive);
}
