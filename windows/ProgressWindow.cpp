#include "windows/ProgressWindow.h"

#include "windows/FormParts.h"

using namespace plat;

TLoader *Loader = nullptr;

TLoader::TLoader(TComponent *owner) : TForm(owner)
{
    TLoadingScope loading(*this);
    formparts::Frame(*this, "Loader", "Loader", 800, 600);
    Label1 = formparts::Add<TLabel>(*this, "Label1", 200, 260, 400, 24);
    Label1->SetAutoSize(false);
    Label1->SetAlignment(TAlignment::taCenter);
    Label1->Font().SetName("Arial");
    Label1->Font().SetSize(12);
    Label1->Font().SetColor(clWhite);
    ProgressBar1 = formparts::Add<TProgressBar>(*this, "ProgressBar1", 200, 300, 400, 20);
    ProgressBar1->SetStep(1);
    Timer1 = new TTimer(this);
    Timer1->SetName("Timer1");
    Timer1->SetInterval(1);
    // Its hundred ticks are the wait the test leader sees; they keep to
    // their millisecond each.
    Timer1->SetPrecise(true);
    Timer1->OnTimer = Method(this, &TLoader::Progress);
    OnShow = Method(this, &TLoader::Progress);
}

void TLoader::Progress(TObject *)
{
    Label1->SetCaption("Laden... even geduld s.v.p.");
    if (ProgressBar1->Position() >= 100) {
        Timer1->SetEnabled(false);
        SetModalResult(mrCancel);
        return;
    }
    ProgressBar1->StepIt();
}
