#include "windows/EndWindow.h"

#include "windows/AfterDeletionWindow.h"
#include "windows/AfterSubstitutionWindow.h"
#include "windows/ChoiceWindow.h"
#include "windows/DeletionIntroWindow.h"
#include "windows/DeletionWindow.h"
#include "windows/FormParts.h"
#include "windows/MainWindow.h"
#include "windows/ParticularsWindow.h"
#include "windows/ReportWindow.h"
#include "windows/SubstitutionIntroWindow.h"
#include "windows/SubstitutionWindow.h"
#include "controls/AlphaShowHide.h"

using namespace plat;
using formparts::Add;

TZIBfinish *ZIBfinish = nullptr;

TZIBfinish::TZIBfinish(TComponent *owner) : TForm(owner)
{
    TLoadingScope loading(*this);
    formparts::Frame(*this, "ZIBfinish", "ZIBfinish", 800, 600);
    Background = Add<TImage>(*this, "Background", 0, 0, 800, 600);
    Background->SetStretch(true);
    TZIBMAINForm::SetJpegImage(Background, "ZIBbckgr1");
    auto label = [this](const char *name, int top, int size) {
        return formparts::AddCaption(*this, *this, name, 0, top, 800, size, true);
    };
    Label1 = label("Label1", 170, 28);
    Label1->Font().SetStyle(fsBold);
    Label2 = label("Label2", 240, 12);
    Label4 = label("Label4", 440, 12);
    Label4->SetCaption("of keer terug naar het hoofdmenu.");
    ButtonTR = Add<TImage>(*this, "ButtonTR", 300, 300, 200, 60);
    ButtonHM = Add<TImage>(*this, "ButtonHM", 300, 480, 200, 60);
    for (TImage *b : {ButtonTR, ButtonHM})
        b->SetCursor(crHandPoint);
    ButtonExit = Add<TButton>(*this, "ButtonExit", 680, 560, 110, 30);
    ButtonExit->SetCaption("Programma sluiten");
    ButtonExit->SetHint("Programma sluiten");
    ButtonExit->SetShowHint(true);
    LatencyTimer = formparts::AddLatencyTimer(*this, 500);
    Deferred.Bind(LatencyTimer, [this] { RunPendingAction(); }, 500);

    ButtonTR->OnClick = Method(this, &TZIBfinish::AfdrukkenClick);
    ButtonHM->OnClick = Method(this, &TZIBfinish::HMclick);
    ButtonExit->OnClick = Method(this, &TZIBfinish::Exitclick);
    OnShow = Method(this, &TZIBfinish::Formshow);
    AlphaShowHide1 = formparts::AddFade(*this, 250, 255);
}

void TZIBfinish::ZetStart()
{
    ButtonHM->SetEnabled(false);
    TZIBMAINForm::SetButtonImage(ButtonHM, "BtnHMoff");
    ButtonTR->SetEnabled(true);
    TZIBMAINForm::SetButtonImage(ButtonTR, "BtnTRoff");
    ButtonExit->Hide();
    Label1->SetCaption("TESTFASE COMPLEET");
    Label2->SetCaption("Klik op 'TESTRAPPORT' voor een resultatenoverzicht.");
    Label4->Hide();
}

void TZIBfinish::ToonKlaar()
{
    TZIBMAINForm::SetButtonImage(ButtonTR, "BtnTRoff");
    Label1->SetCaption("KLAAR!");
    Label2->SetCaption("Kies 'TESTRAPPORT' om een rapport te printen.");
    Label4->Show();
}

void TZIBfinish::Formshow(TObject *) { ZetStart(); }

void TZIBfinish::AfdrukkenClick(TObject *)
{
    ZIBMAINForm->PlayClickSound();
    FWtfase->Hide();
    FVtfase->Hide();
    if (ZIBinvoer->AdminState > 4)
        ZIBinvoer->AdminState = 7;
    ButtonHM->SetEnabled(false);
    TZIBMAINForm::SetButtonImage(ButtonTR, "BtnTRon");
    ToonKlaar();
    PP->ShowModal();
    ButtonHM->SetEnabled(true);
}

void TZIBfinish::HMclick(TObject *)
{
    PendingAction = 1;
    ZIBMAINForm->PlayClickSound();
    ButtonTR->SetEnabled(false);
    TZIBMAINForm::SetButtonImage(ButtonHM, "BtnHMon");
    PP->FormCreate(PP);
    Deferred.Latency();
}

void TZIBfinish::RunPendingAction()
{
    if (PendingAction != 1)
        return;
    for (TForm *f : std::initializer_list<TForm *>{FVtfase, FWtfase, FVin, FWin}) {
        f->SetModalResult(mrCancel);
        f->Close();
    }
    for (TForm *f : std::initializer_list<TForm *>{FVaft, FWaft}) {
        f->SetModalResult(mrCancel);
        f->Hide();
        f->Close();
    }
    ZIBinvoer->SetModalResult(mrCancel);
    ZIBinvoer->Close();
    ZIBMAINForm->ZIBMainInitialize();
    SetModalResult(mrCancel);
    ZetStart();
    Close();
}

void TZIBfinish::Exitclick(TObject *)
{
    if (ZIBinvoer->AdminState > 4)
        ZIBinvoer->AdminState = 7;
    for (TForm *f : std::initializer_list<TForm *>{FVaft, FWaft, FVin, FWin, ZIBinvoer, ZIBkeuze})
        f->Hide();
    ZIBMAINForm->Exit1Click(this);
}

void TZIBfinish::WindowCloseRequested()
{
    // Before the report the windows beneath have nothing left to offer.
    if (ButtonHM->Enabled() && ButtonHM->Visible())
        HMclick(this);
}
