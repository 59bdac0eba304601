#pragma once
// The particulars window of an administration. What it shows is laid out
// here; the administration's state and every rule on it live in
// TAdministration (administration/Administration.h), which this window owns
// as Adm and keeps in step with its controls.
#include "administration/Administration.h"
#include "administration/DeferredAction.h"
#include "windows/FormParts.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/Timers.h"

#include <vector>

class TAlphaShowHide;
class TSubtestWindow;
class TUiRadioGroup;

class TZIBinvoer : public plat::TForm {
public:
    explicit TZIBinvoer(plat::TComponent *owner);

    // The administration: particulars, state, grids, lists and files.
    adm::TAdministration Adm;

    // Operations that other windows call.
    // Clears the window for a new administration.
    void WisGegevens();
    // Resumes the incomplete administration chosen in OpenDialog1.
    void HervatAfname();
    // The store (also the click of Filesave); its result stays in LastStore.
    void Opslaan1Click(plat::TObject *Sender);
    adm::TAdministration::TStoreResult LastStore = adm::TAdministration::TStoreResult::NotStored;
    // After an interrupt: continue instead of start, and the back button.
    void ReadyToContinue();

    // Handlers of the window description.
    void FormShow(plat::TObject *Sender);
    void EcodeChange(plat::TObject *Sender);
    void Edit1Change(plat::TObject *Sender);
    void RGsekseClick(plat::TObject *Sender);
    void RGversionEnter(plat::TObject *Sender);
    void STExecute(plat::TObject *Sender);
    void NPExecute(plat::TObject *Sender);
    void PrevPage(plat::TObject *Sender);
    // The window system's close (Alt+F4) is the back button, when offered.
    void WindowCloseRequested() override;
    void KnContinClick(plat::TObject *Sender);
    void Latency(plat::TObject *) { Deferred.Latency(); }
    void MayContinue();

    plat::TImage *Background;
    plat::TLabel *LabelCode, *LabelSekse, *LabelGeb, *LabelAfn, *LabelSchool, *LabelGroep, *LabelTl;
    plat::TEdit *Ecode;
    plat::TRadioGroup *RGsekse;
    plat::TEdit *Egebdag, *Egebmnd, *Egebjaar;
    plat::TEdit *Eafndag, *Eafnmnd, *Eafnjaar;
    plat::TEdit *Eschool, *Egroep, *Etl;
    TUiRadioGroup *ZIBversion;
    plat::TLabel *VersionLabel, *Version;
    plat::TEdit *Edit3;
    plat::TImage *ButtonST, *ButtonNP, *ButtonContin;
    plat::TButton *ButtonExit, *Filesave;
    plat::TOpenDialog *OpenDialog1;
    plat::TTimer *LatencyTimer;
    TAlphaShowHide *AlphaShowHide1;

    // The administration state 1..7 and the autosave flag, as the other
    // windows name them.
    int &AdminState;
    int &AutoSave;
    // 1 back to the main window, 2 start, 3 continue, 4 set by a store.
    int PendingAction = 0;
    TDeferredAction Deferred;

private:
    void RunPendingAction();
    void BackToMain(bool store);
    // The administration's particulars onto the controls, and back.
    void ShowParticulars();
    void ReadControl(plat::TEdit *edit);
    void FilterEdit(plat::TEdit *edit);
    void ShowForm();
    void SetFocusTo(adm::TFocus focus);
    formparts::TParticularEdits Edits() const;
    std::vector<TSubtestWindow *> Subtests() const;
    bool syncing_ = false;
};

extern TZIBinvoer *ZIBinvoer;
