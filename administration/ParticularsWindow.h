#pragma once
// The particulars window, and the owner of the administration's state. For
// now only what the main, choice, notice and end windows use of it.
#include "platform/Dialogs.h"
#include "platform/Forms.h"

class TZIBinvoer : public plat::TForm {
public:
    explicit TZIBinvoer(plat::TComponent *owner);

    // Clears the window for a new administration.
    void WisGegevens();

    plat::TOpenDialog *OpenDialog1;
    // 1 FV chosen, 2 FW chosen, 3 FV done, 4 FW done, 5 FV done and FW under
    // way, 6 FW done and FV under way, 7 finished.
    int AdminState = 0;
    // Set by a subtest while it stores an item: the saved notice stays silent.
    int AutoSave = 0;
};

extern TZIBinvoer *ZIBinvoer;
