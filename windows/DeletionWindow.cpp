#include "windows/DeletionWindow.h"

#include "windows/AfterDeletionWindow.h"
#include "windows/DeletionIntroWindow.h"
#include "windows/EndWindow.h"
#include "audio/StockAudioPlayer.h"

TFWtfase *FWtfase = nullptr;

namespace {
const TSubtestWindowParams kWindow = {"FWtfase", "FWtestform", "BtnA",  "Label4",
                                      "Label3",  "Label5",     adm::TSubtest::FW};
}

TFWtfase::TFWtfase(plat::TComponent *owner)
    : TSubtestWindow(owner, DeletionLoopParams(), kWindow, [](plat::TComponent *o) { return CreateFWItemPlayer(o); })
{
    Intro = []() -> TIntroWindow * { return FWin; };
    ShowAfterWindow = [this] {
        if (Loop.otherSubtestDone >= 1)
            ZIBfinish->ShowModal();
        else
            FWaft->ShowModal();
    };
}
