#include "windows/BackdropWindow.h"

#include "windows/FormParts.h"
#include "windows/MainWindow.h"

using namespace plat;

TBackblack *Backblack = nullptr;

TBackblack::TBackblack(TComponent *owner) : TForm(owner)
{
    TLoadingScope loading(*this);
    formparts::Frame(*this, "Backblack", "Backblack", 800, 600);
    PopupMenu1 = new TPopupMenu(this);
    PopupMenu1->SetName("PopupMenu1");
    for (const char *caption : {"&Window", "&Hide", "&Show...", "Exit"}) {
        auto *m = new TMenuItem(this);
        m->SetCaption(caption);
        PopupMenu1->Items()->Add(m);
    }
    SetPopupMenu(PopupMenu1);
    SetVisible(true);
    OnCreate = Method(this, &TBackblack::FormCreate);
    OnActivate = Method(this, &TBackblack::FormCreate);
}

void TBackblack::FormCreate(TObject *)
{
    if (ran_)
        return;
    ran_ = true;
    SetDoubleBuffered(true);
    mainResult_ = ZIBMAINForm->ShowModal();
    ZIBMAINForm->Close();
}
