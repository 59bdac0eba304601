#include "administration/SubstitutionWindow.h"

#include "administration/FormParts.h"

TFVtfase *FVtfase = nullptr;
std::unique_ptr<plat::TResourceStream> FVPrompt;

void InitializeSubstitutionModule() { FVPrompt = std::make_unique<plat::TResourceStream>("WAV", "FVAi01"); }

TFVtfase::TFVtfase(plat::TComponent *owner) : plat::TForm(owner)
{
    plat::TLoadingScope loading(*this);
    formparts::Frame(*this, "FVtfase", "FWtestscherm", 800, 600);
    SetTransparentColorValue(plat::clOlive);
}
