#include "windows/AboutWindow.h"

#include "windows/FormParts.h"
#include "windows/MainWindow.h"
#include "controls/AlphaShowHide.h"
#include "platform/core/Streams.h"

using namespace plat;
using formparts::Add;

TAboutBox *AboutBox = nullptr;

TAboutBox::TAboutBox(TComponent *owner) : TForm(owner)
{
    TLoadingScope loading(*this);
    formparts::Frame(*this, "AboutBox", "Programma-informatie", 320, 260, clBtnFace, TFormBorderStyle::bsSingle);
    SetBorderIcons(biSystemMenu);
    SetAlphaBlend(true);
    SetAlphaBlendValue(230);
    Panel1 = Add<TPanel>(*this, "Panel1", 8, 8, 304, 200);
    Panel1->SetBevelOuter(TBevelCut::bvLowered);
    ProgramIcon = Add<TImage>(*this, *Panel1, "ProgramIcon", 8, 8, 48, 48);
    ProgramIcon->SetStretch(true);
    {
        TResourceStream icon("icon", "MAINICON");
        ProgramIcon->Picture().LoadFromStream(icon);
    }
    auto label = [this](const char *name, int top, const char *caption, TFontStyles style = 0) {
        auto *l = Add<TLabel>(*this, *Panel1, name, 72, top, 220, 16);
        l->Font().SetStyle(style);
        l->SetCaption(caption);
        return l;
    };
    ProductName = label("ProductName", 12, "ZIBOR - afnameprogramma", fsBold);
    Version = label("Version", 36, "");
    Copyright = label("Copyright", 80, "Alle rechten voorbehouden.");
    Comments = label("Comments", 104, "Afnameprogramma voor de ZIBOR-test.");
    PublisherLabel = label("PublisherLabel", 144, "Uitgegeven door:");
    Publisher = label("Publisher", 164, "de uitgever van de ZIBOR-test");
    OKButton = Add<TButton>(*this, "OKButton", 122, 220, 75, 28);
    OKButton->SetCaption("OK");
    OKButton->SetDefault(true);
    OKButton->SetModalResult(mrOk);
    OKButton->OnClick = Method(this, &TAboutBox::OKButtonClick);
    OnShow = Method(this, &TAboutBox::FormShow);
    AlphaShowHide1 = formparts::AddFade(*this, 25, 230);
}

void TAboutBox::FormShow(TObject *) { Version->SetCaption("versie 2.2.1.3"); }

void TAboutBox::OKButtonClick(TObject *)
{
    ZIBMAINForm->PlayClickSound();
    SetModalResult(mrOk);
}
