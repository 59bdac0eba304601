#pragma once
// The main window: the three roads of the program (new administration,
// resume an incomplete one, the report viewer), the about and exit buttons,
// the notification-area icon with its menu, and the operations that every
// window of the administration shares: button pictures, backgrounds, the
// click and save sounds, the settings file's data path.
#include "administration/DeferredAction.h"
#include "platform/core/Streams.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/Timers.h"
#include "platform/gui/TrayIcon.h"

#include <map>
#include <memory>

class TStockAudioPlayer;

class TZIBMAINForm : public plat::TForm {
public:
    explicit TZIBMAINForm(plat::TComponent *owner);
    ~TZIBMAINForm() override;

    // Shared operations. While the main window exists, each picture is loaded
    // from the resources once and every control gets a copy that shares its
    // pixels; a JPEG is decoded when the first control that shows it paints.
    static void SetButtonImage(plat::TImage *image, const plat::String &name);
    static void SetJpegImage(plat::TImage *image, const plat::String &name);
    // A picture shown soon while the interface thread has other work (the
    // splash's, the main window's first background and buttons) is decoded
    // meanwhile on another thread.
    static void DecodePictureAhead(plat::TImage *image);
    void PlayClickSound();
    void PlaySaveSound();
    void ZIBMainInitialize();
    static plat::String ReadDataPath();
    void Exit1Click(plat::TObject *Sender);
    // Alt+F4 is the shortcut of the menu's "Sluiten": the closing question.
    void WindowCloseRequested() override { Exit1Click(this); }

    // Handlers of the window description.
    void Formcreate(plat::TObject *Sender);
    void Formshow(plat::TObject *Sender);
    void FormDestroy(plat::TObject *Sender);
    void ZIBchoiceExecute(plat::TObject *Sender);
    void ButtonTHClick(plat::TObject *Sender);
    void ButtonTROClick(plat::TObject *Sender);
    void HelpAbout1Execute(plat::TObject *Sender);
    void FileExit1Execute(plat::TObject *Sender);
    void Latency(plat::TObject *) { Deferred.Latency(); }
    // A mouse button on the notification-area icon; the icon itself opens
    // PopupMenu1 for the right button.
    void WMTrayIcon(plat::TObject *Sender, plat::TMouseButton Button, plat::TShiftState Shift, int X, int Y);

    plat::TImage *Background;
    plat::TImage *ButtonNT;
    plat::TImage *ButtonTH;
    plat::TImage *ButtonTRO;
    plat::TButton *About;
    plat::TButton *ButtonExit;
    plat::TLabel *Label1;
    plat::TEdit *EFase;
    plat::TTimer *LatencyTimer;
    plat::TPopupMenu *PopupMenu1;
    plat::TMenuItem *Vorigformaat2;
    plat::TMenuItem *Minimaliseren1;
    plat::TMenuItem *Exit1;
    TStockAudioPlayer *StockAudioPlayer1;
    plat::TTrayIcon *TrayIcon;

    // Folder of the executable, with a trailing separator.
    plat::String ProgramFolder;
    // The "datapath" setting followed by "\".
    plat::String DataPath;
    plat::String TodayText;
    // 0 none, 1 new administration, 2 resume, 3 report viewer.
    int PendingAction = 0;
    // 1 when the resume button started the current road.
    int ResumeFlag = 0;
    TDeferredAction Deferred;

    // The click sound's stream, one for the whole run: the player may still
    // be reading it when the window is reset, so it is never replaced.
    plat::TStream *ClickStream() const { return clickStream_.get(); }

private:
    void RunPendingAction();
    void OpenResumeDialog();
    std::unique_ptr<plat::TResourceStream> clickStream_;
    // The pictures loaded so far, by resource type and name.
    std::map<plat::String, std::unique_ptr<plat::TGraphic>> pictures_;
    template <class Graphic>
    const plat::TGraphic *LoadedPicture(const char *type, const plat::String &name);
    template <class Graphic>
    friend void SetResourceImage(plat::TImage *image, const char *type, const plat::String &name);
};

extern TZIBMAINForm *ZIBMAINForm;
