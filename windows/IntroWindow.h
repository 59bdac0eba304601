#pragma once
// The spoken introduction before a subtest, in five parts: the introduction,
// three examples and the instruction. Each part is a WAV resource played
// synchronously while the busy cursor shows; a part that has been played
// unlocks the next. The continue button leads, half a second later, to the
// subtest window; the interrupt button returns to the particulars window.
//
// TFWin (phoneme deletion) and TFVin (phoneme substitution) are twins: this
// class is both, and TIntroParams holds where they differ.
#include "administration/DeferredAction.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/Timers.h"

#include <array>
#include <functional>

class TAlphaShowHide;

struct TIntroParams {
    const char *name;                   // "FWin" / "FVin"
    const char *soundPrefix;            // "FWn" / "FVn"
    std::array<const char *, 5> captions;
    bool deletion;                      // the deletion twin's ways (below)
};

class TIntroWindow : public plat::TForm {
public:
    TIntroWindow(plat::TComponent *owner, const TIntroParams &params);

    // Initialiseer: the particulars window, when it clears an administration.
    void Initialiseer();
    // SpeelIntro: plays part n (1..5); true when it was played.
    bool SpeelIntro(int n);

    void FormShow(plat::TObject *Sender);
    void IntroClick(int n);
    void DoorgaanClick(plat::TObject *Sender);
    void OnderbrekenClick(plat::TObject *Sender);
    // The window system's close (Alt+F4) is the interrupt, when offered.
    void WindowCloseRequested() override;
    void Latency(plat::TObject *) { Deferred.Latency(); }

    // The item loop's interrupt: the introduction takes the test leader
    // back with both buttons ready and "verder" on the continue button, and
    // no longer counts as a fresh start.
    void PrepareReturn();
    // The particulars window's continue: the same buttons and pictures, the
    // fresh-start flag as it was.
    void ShowReturnButtons();
    // Part 1 clickable again (start of an administration, after-subtest windows).
    void EnableFirstPart();

    plat::TImage *Background;
    std::array<plat::TImage *, 5> Int;
    std::array<plat::TLabel *, 5> Labels;
    plat::TImage *ButtonOT;
    plat::TImage *ButtonIO;
    plat::TTimer *Timer;
    plat::TTimer *LatencyTimer;
    TAlphaShowHide *AlphaShowHide1;

    // 1 for an administration that has not been interrupted here.
    int FreshStart = 1;
    int Ready = 0;
    std::array<bool, 5> Clicked{};
    // 1 interrupt, 2 continue.
    int PendingAction = 0;
    TDeferredAction Deferred;
    // The subtest window, shown modally by continue.
    std::function<void()> ShowSubtest;
    // Done when continue is pressed, before the subtest window shows.
    std::function<void()> OnContinue;

private:
    void PartTick(int n);
    void SetPart(int k, bool shown, bool enabled);
    void SetPartsClickable(bool on);
    void ContinuePicture();
    void RunPendingAction();

    const TIntroParams &params_;
    // Which parts may be clicked now (shown and enabled once no part plays).
    std::array<bool, 5> unlocked_{};
    bool playing_ = false;
};

const TIntroParams &DeletionIntroParams();
const TIntroParams &SubstitutionIntroParams();

// The run-time lookup that decides whether a part is played at all.
bool HaalProcAdres(const std::string &library, const std::string &procedure);
