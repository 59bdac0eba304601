#include "windows/SilentNoticeWindow.h"

Tpmessage *pmessage = nullptr;

Tpmessage::Tpmessage(plat::TComponent *owner) : TNoticeForm(owner, "pmessage", false)
{
    Image1->OnClick = [](plat::TObject *) {};
}
