#include "tests/administration/ProgramWindows.h"

#include "administration/AboutWindow.h"
#include "administration/AfterDeletionWindow.h"
#include "administration/AfterSubstitutionWindow.h"
#include "administration/BackdropWindow.h"
#include "administration/ChoiceWindow.h"
#include "administration/CorrectionWindow.h"
#include "administration/DeletionIntroWindow.h"
#include "administration/DeletionWindow.h"
#include "administration/EndWindow.h"
#include "administration/MainWindow.h"
#include "administration/ParticularsWindow.h"
#include "administration/ProgressWindow.h"
#include "administration/ReportViewerWindow.h"
#include "administration/ReportWindow.h"
#include "administration/SavedNoticeWindow.h"
#include "administration/SilentNoticeWindow.h"
#include "administration/SplashWindow.h"
#include "administration/SubstitutionIntroWindow.h"
#include "administration/SubstitutionWindow.h"

namespace zibor::test {

void FreeProgramWindows()
{
    plat::TApplication &app = *plat::Application();
    for (int i = app.ComponentCount() - 1; i >= 0; --i)
        if (auto *f = dynamic_cast<plat::TForm *>(app.Components(i)))
            f->Free();
    ZIBMAINForm = nullptr;
    AboutBox = nullptr;
    FWin = nullptr;
    FWtfase = nullptr;
    ZIBinvoer = nullptr;
    FWaft = nullptr;
    FVaft = nullptr;
    correct = nullptr;
    message = nullptr;
    pmessage = nullptr;
    FVtfase = nullptr;
    FVin = nullptr;
    ZIBfinish = nullptr;
    PP = nullptr;
    TRO = nullptr;
    ZIBkeuze = nullptr;
    Backblack = nullptr;
    Loader = nullptr;
    ZIBsplash = nullptr;
}

} // namespace zibor::test
