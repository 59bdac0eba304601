#pragma once
// The silent twin of the saved notice: the same one second, no sound. No
// road of the program shows it.
#include "windows/SavedNoticeWindow.h"

class Tpmessage : public TNoticeForm {
public:
    explicit Tpmessage(plat::TComponent *owner);
};

extern Tpmessage *pmessage;
