#include "windows/SubstitutionWindow.h"

#include "windows/AfterSubstitutionWindow.h"
#include "windows/EndWindow.h"
#include "windows/ParticularsWindow.h"
#include "windows/SubstitutionIntroWindow.h"
#include "audio/StockAudioPlayer.h"

TFVtfase *FVtfase = nullptr;

namespace {
const TSubtestWindowParams kWindow = {"FVtfase", "FWtestscherm", "ButtonItem", "Label2",
                                      "Label3",  "Label4",       adm::TSubtest::FV};
}

TFVtfase::TFVtfase(plat::TComponent *owner)
    : TSubtestWindow(owner, SubstitutionLoopParams(), kWindow,
                     [](plat::TComponent *o) { return CreateFVItemPlayer(o); })
{
    Intro = []() -> TIntroWindow * { return FVin; };
    BeforeFinalStore = [] { ZIBinvoer->Close(); };
    ShowAfterWindow = [this] {
        if (Loop.otherSubtestDone >= 1)
            ZIBfinish->ShowModal();
        else
            FVaft->ShowModal();
    };
}
