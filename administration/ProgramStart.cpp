#include "administration/ProgramStart.h"

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
#include "administration/Settings.h"
#include "administration/SilentNoticeWindow.h"
#include "administration/SplashWindow.h"
#include "administration/SubstitutionIntroWindow.h"
#include "administration/SubstitutionWindow.h"
#include "platform/Application.h"

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
    app.Sleep(1000);
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
