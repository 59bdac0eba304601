#include "windows/AfterSubtestWindow.h"

#include "windows/EndWindow.h"
#include "windows/FormParts.h"
#include "windows/MainWindow.h"
#include "windows/SubtestWindow.h"
#include "controls/AlphaShowHide.h"

using namespace plat;
using formparts::Add;

TAfterSubtestWindow::TAfterSubtestWindow(TComponent *owner, const char *name, const char *subtestName)
    : TForm(owner)
{
    TLoadingScope loading(*this);
    formparts::Frame(*this, name, name, 800, 600);
    Background = Add<TImage>(*this, "Background", 0, 0, 800, 600);
    Background->SetStretch(true);
    TZIBMAINForm::SetJpegImage(Background, "ZIBbckgr1");
    auto label = [this](const char *n, int left, int top, int width, int size) {
        return formparts::AddCaption(*this, *this, n, left, top, width, size, true);
    };
    Label3 = label("Label3", 0, 170, 800, 20);
    Label3->SetCaption(std::string("Wilt u de deeltest '") + subtestName + "'");
    Label4 = label("Label4", 0, 215, 800, 20);
    Label4->SetCaption("aansluitend afnemen?");
    BtnYes = TSubtestWindow::ColourField(*this, "BtnYes", 200, 320, clGreen);
    BtnNo = TSubtestWindow::ColourField(*this, "BtnNo", 440, 320, clMaroon);
    Label1 = label("Label1", 200, 340, 160, 16);
    Label1->SetCaption("Ja");
    Label2 = label("Label2", 440, 340, 160, 16);
    Label2->SetCaption("Nee");
    for (TControl *c : std::initializer_list<TControl *>{BtnYes, BtnNo, Label1, Label2})
        c->SetCursor(crHandPoint);
    BtnYes->OnClick = Method(this, &TAfterSubtestWindow::YesClick);
    Label1->OnClick = BtnYes->OnClick;
    BtnNo->OnClick = Method(this, &TAfterSubtestWindow::NoClick);
    Label2->OnClick = BtnNo->OnClick;
    // Without a task here: left disabled and out of sight.
    ButtonHM = Add<TImage>(*this, "ButtonHM", 60, 510, 200, 60);
    ButtonTR = Add<TImage>(*this, "ButtonTR", 540, 510, 200, 60);
    for (TImage *b : {ButtonHM, ButtonTR}) {
        b->SetEnabled(false);
        b->SetVisible(false);
    }
    AlphaShowHide1 = formparts::AddFade(*this, 230, 255);
}

void TAfterSubtestWindow::YesClick(TObject *)
{
    ZIBMAINForm->PlayClickSound();
    if (Yes)
        Yes();
}

void TAfterSubtestWindow::NoClick(TObject *)
{
    ZIBMAINForm->PlayClickSound();
    if (No)
        No();
}

void TAfterSubtestWindow::ToEndWindow(TForm *intro, TForm *subtest)
{
    intro->Hide();
    intro->Close();
    subtest->Hide();
    ZIBfinish->ZetStart();
    subtest->Close();
    ZIBfinish->Hide();
    ZIBfinish->ShowModal();
}
