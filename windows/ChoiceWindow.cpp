#include "windows/ChoiceWindow.h"

#include "windows/FormParts.h"
#include "windows/MainWindow.h"
#include "windows/ParticularsWindow.h"
#include "controls/AlphaShowHide.h"

using namespace plat;
using formparts::Add;

TZIBkeuze *ZIBkeuze = nullptr;

TZIBkeuze::TZIBkeuze(TComponent *owner) : TForm(owner)
{
    TLoadingScope loading(*this);
    formparts::Frame(*this, "ZIBkeuze", "ZIBkeuze", 800, 600);
    Background = Add<TImage>(*this, "Background", 0, 0, 800, 600);
    Background->SetStretch(true);
    TZIBMAINForm::SetJpegImage(Background, "ZIBbckgr1");
    Keuzetekst = Add<TImage>(*this, "Keuzetekst", 140, 170, 520, 60);
    TZIBMAINForm::SetButtonImage(Keuzetekst, "Keuzetekst");
    ButtonFW = Add<TImage>(*this, "ButtonFW", 170, 280, 200, 60);
    ButtonFV = Add<TImage>(*this, "ButtonFV", 430, 280, 200, 60);
    ButtonExit = Add<TImage>(*this, "ButtonExit", 300, 440, 200, 60);
    ButtonExit->SetHint("Ga terug");
    ButtonExit->SetShowHint(true);
    TZIBMAINForm::SetButtonImage(ButtonExit, "BtnHMoff");
    for (TImage *b : {ButtonFW, ButtonFV, ButtonExit})
        b->SetCursor(crHandPoint);
    LatencyTimer = formparts::AddLatencyTimer(*this, 500);
    Deferred.Bind(LatencyTimer, [this] { Chosen(); }, 500);

    ButtonFV->OnClick = Method(this, &TZIBkeuze::FVExecute);
    ButtonFW->OnClick = Method(this, &TZIBkeuze::FWExecute);
    ButtonExit->OnClick = Method(this, &TZIBkeuze::PrevPage);
    OnShow = Method(this, &TZIBkeuze::Formshow);
    AlphaShowHide1 = formparts::AddFade(*this, 180, 255);
}

void TZIBkeuze::ZetKnoppen()
{
    AlphaShowHide1->SetActive(true);
    Deferred.Reset();
    TZIBMAINForm::SetButtonImage(ButtonFV, "BtnFVoff");
    TZIBMAINForm::SetButtonImage(ButtonFW, "BtnFWoff");
    ButtonFV->SetEnabled(true);
    ButtonFW->SetEnabled(true);
}

void TZIBkeuze::Formshow(TObject *)
{
    AlphaShowHide1->SetActive(true);
    ZetKnoppen();
}

void TZIBkeuze::Choose(int choice, TImage *button, const char *picture)
{
    Keuze = choice;
    ZIBinvoer->AdminState = choice;
    ZIBMAINForm->PlayClickSound();
    TZIBMAINForm::SetButtonImage(button, picture);
    ButtonFV->SetEnabled(false);
    ButtonFW->SetEnabled(false);
    Deferred.Latency();
}

void TZIBkeuze::FVExecute(TObject *) { Choose(1, ButtonFV, "BtnFVon"); }
void TZIBkeuze::FWExecute(TObject *) { Choose(2, ButtonFW, "BtnFWon"); }

void TZIBkeuze::Chosen()
{
    ZetKnoppen();
    LatencyTimer->SetEnabled(false);
    AlphaShowHide1->SetActive(false);
    SetModalResult(mrCancel);
    Close();
    ZIBinvoer->ShowModal();
}

void TZIBkeuze::PrevPage(TObject *)
{
    ZIBMAINForm->PlayClickSound();
    ZetKnoppen();
    ZIBMAINForm->ZIBMainInitialize();
    SetModalResult(mrCancel);
}
