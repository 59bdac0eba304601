#pragma once
// Program information: product, version, rights, authors and publisher.
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

class TAlphaShowHide;

class TAboutBox : public plat::TForm {
public:
    explicit TAboutBox(plat::TComponent *owner);

    void FormShow(plat::TObject *Sender);
    void OKButtonClick(plat::TObject *Sender);

    plat::TPanel *Panel1;
    plat::TImage *ProgramIcon;
    plat::TLabel *ProductName;
    plat::TLabel *Version;
    plat::TLabel *Copyright;
    plat::TLabel *Comments;
    plat::TLabel *PublisherLabel;
    plat::TLabel *Publisher;
    plat::TButton *OKButton;
    TAlphaShowHide *AlphaShowHide1;
};

extern TAboutBox *AboutBox;
