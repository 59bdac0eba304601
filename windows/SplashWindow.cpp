#include "windows/SplashWindow.h"

#include "windows/FormParts.h"
#include "windows/MainWindow.h"

using namespace plat;

TZIBsplash *ZIBsplash = nullptr;

TZIBsplash::TZIBsplash(TComponent *owner) : TForm(owner)
{
    TLoadingScope loading(*this);
    formparts::Frame(*this, "ZIBsplash", "ZIBsplash", 800, 600);
    Image1 = formparts::Add<TImage>(*this, "Image1", 0, 0, 800, 600);
    Image1->SetAlign(TAlign::alClient);
    Image1->SetCenter(true);
    Image1->SetProportional(true);
    Image1->SetStretch(true);
    Timer1 = new TTimer(this);
    Timer1->SetName("Timer1");
    Timer1->SetInterval(200);
    Timer1->OnTimer = Method(this, &TZIBsplash::Timer1Timer);
    OnCreate = Method(this, &TZIBsplash::FormCreate);
    OnShow = Method(this, &TZIBsplash::FormShow);
}

void TZIBsplash::FormCreate(TObject *)
{
    TZIBMAINForm::SetJpegImage(Image1, "ZIBsplash");
    TZIBMAINForm::DecodePictureAhead(Image1);
    Counter = 1;
}

void TZIBsplash::FormShow(TObject *) { Count(); }
void TZIBsplash::Timer1Timer(TObject *) { Count(); }

void TZIBsplash::Count()
{
    ++Counter;
    if (Counter < 3)
        return;
    Image1->Hide();
    // Switched off rather than freed here: this runs inside its own tick.
    // It goes with the window.
    Timer1->SetEnabled(false);
}
