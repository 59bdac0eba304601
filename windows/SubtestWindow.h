#pragma once
// The window of a subtest's item loop. TFWtfase (phoneme deletion) and
// TFVtfase (phoneme substitution) are this window with their own loop
// parameters and control names: the window forwards clicks, keys and the
// 100 ms tick to TItemLoop, copies the loop's view onto its controls, and
// is the loop's outside world (player, particulars, store).
#include "administration/DeferredAction.h"
#include "administration/ItemLoop.h"
#include "administration/Particulars.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/Timers.h"

#include <functional>
#include <map>
#include <memory>

class TAlphaShowHide;
class TIntroWindow;
class TPromptStreams;
class TStockAudioPlayer;

struct TSubtestWindowParams {
    const char *name;          // "FWtfase" / "FVtfase"
    const char *caption;       // "FWtestform" / "FWtestscherm"
    const char *promptButton;  // "BtnA" / "ButtonItem"
    const char *goedLabel;     // "Label4" / "Label2"
    const char *foutLabel;     // "Label3" / "Label3"
    const char *timeLabel;     // "Label5" / "Label4"
    adm::TSubtest subtest;
};

class TSubtestWindow : public plat::TForm, public TItemLoopHost {
public:
    TSubtestWindow(plat::TComponent *owner, const TItemLoopParams &loop, const TSubtestWindowParams &params,
                   TStockAudioPlayer *(*makePlayer)(plat::TComponent *));
    ~TSubtestWindow() override;

    // Initialiseer: on show, and by the particulars window when it clears.
    void Initialiseer();
    // A new administration, a resume or the after-subtest window: the entry
    // and the flag of the other subtest.
    void StartAt(int entry, int otherSubtestDone);

    void FormShow(plat::TObject *Sender);
    void PromptAClick(plat::TObject *Sender);
    void PromptBClick(plat::TObject *Sender);
    void StopTimerClick(plat::TObject *Sender);
    void GoedBtClick(plat::TObject *Sender);
    void FoutBtClick(plat::TObject *Sender);
    void OnderbrekenClick(plat::TObject *Sender);
    // The window system's close (Alt+F4) is the interrupt, when offered.
    void WindowCloseRequested() override;
    void Voltooien(plat::TObject *Sender);
    void Timer1Timer(plat::TObject *Sender);
    void ItemKeyPress(plat::TObject *Sender, char32_t &Key);
    void Latency(plat::TObject *) { Deferred.Latency(); }

    TItemLoop Loop;

    plat::TImage *Background;
    plat::TImage *PromptA;          // BtnA / ButtonItem
    plat::TLabel *Label1;
    plat::TImage *BtnB = nullptr;   // deletion only
    plat::TLabel *Label2B = nullptr;
    plat::TImage *ButtonStptime;
    plat::TImage *GoedBt;
    plat::TImage *FoutBt;
    plat::TLabel *GoedLabel;
    plat::TLabel *FoutLabel;
    plat::TRadioGroup *RGscore;
    plat::TLabel *TimeLabel;
    plat::TEdit *EFase;
    plat::TImage *ButtonOT;
    plat::TImage *ButtonFinish;
    plat::TTimer *Timer1;
    plat::TTimer *LatencyTimer;
    TAlphaShowHide *AlphaShowHide1;
    TStockAudioPlayer *ItemPlayer;

    // 1 interrupt, 2 finish.
    int PendingAction = 0;
    TDeferredAction Deferred;

    // The introduction that shows this window.
    std::function<TIntroWindow *()> Intro;
    // The finish's road once the administration is stored: the end window
    // when the other subtest is done, else the after-subtest window.
    std::function<void()> BeforeFinalStore;
    std::function<void()> ShowAfterWindow;

    // A plain coloured field that a caption label lies on: the score
    // buttons and the after-subtest windows' answers.
    static plat::TImage *ColourField(plat::TForm &form, const std::string &name, int left, int top,
                                     plat::TColor color);

    const TPromptStreams &Prompts() const { return *prompts_; }

    // TItemLoopHost
    int Form() override;
    std::optional<int> AgeInMonths() override;
    void OpenPrompt(int part, const std::string &name) override;
    void PlayPrompt(int part) override;
    void RaisePriority() override;
    void ClickSound() override;
    void StopSound() override;
    void RecordEntry(int row, const std::string &time, const std::string &score) override;
    void SetLastEntry(const std::string &text) override;
    std::string LastEntry() override;
    void EntryReached(int entry) override;
    void StoreItem() override;
    void ShowMessage(TMessage kind, const std::string &text) override;
    int AdministrationState() override;
    void SetAdministrationState(int state) override;
    void ViewChanged() override { ApplyView(); }

private:
    void ApplyView();
    void Picture(plat::TImage *image, const std::string &name);
    void RunPendingAction();

    const TSubtestWindowParams &params_;
    std::unique_ptr<TPromptStreams> prompts_;
    std::map<plat::TImage *, std::string> pictures_;
};
