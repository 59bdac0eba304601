#pragma once
// The black backdrop, created last. Its creation runs the main window
// modally, so the program's whole interactive run happens inside it; when
// that ends, the main window is closed, which ends the program.
#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"

class TBackblack : public plat::TForm {
public:
    explicit TBackblack(plat::TComponent *owner);

    // The creation and the activation handler. The main window runs once: an
    // activation after the run (the backdrop is shown only then) does nothing.
    void FormCreate(plat::TObject *Sender);

    plat::TPopupMenu *PopupMenu1;
    // The main window's modal result, 0 until its run has ended.
    int MainResult() const { return mainResult_; }

private:
    bool ran_ = false;
    int mainResult_ = 0;
};

extern TBackblack *Backblack;
