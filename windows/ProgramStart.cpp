#include "windows/ProgramStart.h"

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
#include "administration/Settings.h"
#include "windows/SilentNoticeWindow.h"
#include "windows/SplashWindow.h"
#include "windows/SubstitutionIntroWindow.h"
#include "windows/SubstitutionWindow.h"
#include "platform/graphics/Fonts.h"
#include "platform/graphics/Graphics.h"
#include "platform/gui/Application.h"

using namespace plat;

void InitializeModules()
{
    // The settings file is fixed against the folder the program starts in.
    settings::Resolve();
}

void CreateProgramWindows(const std::function<void()> &halfway)
{
    TApplication &app = *Application();
    app.CreateForm(ZIBMAINForm);
    app.CreateForm(AboutBox);
    app.CreateForm(FWin);
    app.CreateForm(FWtfase);
    app.CreateForm(ZIBinvoer);
    app.CreateForm(FWaft);
    app.CreateForm(FVaft);
    app.CreateForm(correct);
    app.CreateForm(message);
    app.CreateForm(pmessage);
    if (halfway)
        halfway();
    app.CreateForm(FVtfase);
    app.CreateForm(FVin);
    app.CreateForm(ZIBfinish);
    // The report window and the saved notice are each made once: a second
    // instance would never be used.
    app.CreateForm(PP);
    app.CreateForm(TRO);
    app.CreateForm(ZIBkeuze);
}

void RunProgram()
{
    TApplication &app = *Application();
    app.Initialize();
    ZIBsplash = MakeForm<TZIBsplash>(&app);
    ZIBsplash->Show();
    ZIBsplash->Repaint();
    {
        // The splash's second passes whatever happens; the fonts the windows
        // are about to be built with are prepared meanwhile.
        TFontPreparation fonts({"Arial", TFont().Name()});
        app.Sleep(1000);
    }
    ZIBsplash->Repaint();
    Loader = MakeForm<TLoader>(&app);
    app.SetTitle("Zibolka Test Revised");
    CreateProgramWindows([] { Loader->ShowModal(); });
    app.CreateForm(Backblack);
    Loader->Free();
    Loader = nullptr;
    ZIBsplash->Close();
    ZIBsplash->Free();
    ZIBsplash = nullptr;
    app.Run();
}
