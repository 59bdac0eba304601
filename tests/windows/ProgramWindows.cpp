#include "tests/windows/ProgramWindows.h"

#include "windows/AboutWindow.h"
#include "windows/AfterDeletionWindow.h"
#include "windows/AfterSubstitutionWindow.h"
#include "windows/BackdropWindow.h"
#include "windows/ChoiceWindow.h"
#include "windows/CorrectionWindow.h"
#include "windows/DeletionIntroWindow.h"
#include "windows/DeletionWindow.h"
#include "windows/EndWindow.h"
#include "windows/MainWindow.h"
#include "windows/ParticularsWindow.h"
#include "windows/ProgressWindow.h"
#include "windows/ReportViewerWindow.h"
#include "windows/ReportWindow.h"
#include "windows/SavedNoticeWindow.h"
#include "windows/SilentNoticeWindow.h"
#include "windows/SplashWindow.h"
#include "windows/SubstitutionIntroWindow.h"
#include "windows/SubstitutionWindow.h"

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
