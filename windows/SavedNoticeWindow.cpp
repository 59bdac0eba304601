#include "windows/SavedNoticeWindow.h"

#include "windows/FormParts.h"
#include "windows/MainWindow.h"
#include "windows/ParticularsWindow.h"
#include "controls/AlphaShowHide.h"
#include "platform/gui/CustomControls.h"

using namespace plat;
using formparts::Add;

Tmessage *message = nullptr;

TNoticeForm::TNoticeForm(TComponent *owner, const String &name, bool withSound) : TForm(owner), withSound_(withSound)
{
    TLoadingScope loading(*this);
    formparts::Frame(*this, name, name, 800, 600, clAqua);
    SetPosition(TPosition::poScreenCenter);
    SetAlphaBlend(true);
    SetAlphaBlendValue(200);
    SetTransparentColorValue(clAqua);
    SetTransparentColor(true);
    // Edge panels in the key colour keep the picture's surroundings out.
    const struct {
        const char *name;
        TAlign align;
    } edges[] = {{"PanelTop", TAlign::alTop}, {"PanelBottom", TAlign::alBottom}, {"PanelLeft", TAlign::alLeft},
                 {"PanelRight", TAlign::alRight}};
    for (const auto &e : edges) {
        auto *p = Add<TPanel>(*this, e.name, 0, 0, 200, 200);
        p->SetAlign(e.align);
        p->SetBevelOuter(TBevelCut::bvNone);
        p->SetColor(clAqua);
    }
    Image1 = Add<TImage>(*this, "Image1", 220, 240, 360, 120);
    Image1->SetCenter(true);
    TZIBMAINForm::SetButtonImage(Image1, "ZIBsaved");
    LatencyTimer = formparts::AddLatencyTimer(*this, 1000);
    Deferred.Bind(LatencyTimer, [this] { Elapsed(); }, 1000);
    OnShow = Method(this, &TNoticeForm::Latency);
    AlphaShowHide1 = formparts::AddFade(*this, 190, 200);
}

void TNoticeForm::Elapsed()
{
    if (withSound_ && ZIBinvoer->AutoSave == 0)
        ZIBMAINForm->PlaySaveSound();
    SetModalResult(mrCancel);
}
