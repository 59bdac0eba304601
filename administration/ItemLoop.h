#pragma once
// The item loop of both subtests, without widgets.
//
// One engine runs phoneme deletion (three examples and twelve items, each
// prompt in two parts) and phoneme substitution (twelve items, one prompt);
// TItemLoopParams holds where they differ. The windows TFWtfase and TFVtfase
// forward their clicks, keys and 100 ms ticks here and copy View() onto
// their controls; everything that reaches beyond the loop (the player, the
// score grid, the store, the administration state) goes through
// TItemLoopHost, so tests drive the loop with virtual time and no window.
//
// Per entry the phase runs 4 (or 0 after preparation) -> prompt played
// (part B for deletion) -> 1 -> next tick: stopwatch reset -> next tick: 2,
// stopwatch started -> stop: 3 -> scored: 4.
//
// Times are decided in whole milliseconds and tenths of a second, never in
// binary fractions: e is the stopwatch's reading in tenths (1/86400 s is
// added before rounding to one decimal, which in exact arithmetic
// rounds halves of a tenth up), the prompt durations are whole milliseconds
// and the maxima whole tenths. So "e - Bdur > Max" is decided exactly, and a
// response exactly at the maximum never stops the clock by rounding noise.
#include "administration/Chronometre.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

struct TItemLoopParams {
    const char *tag;            // "FW" or "FV"
    int entries;                // 15 or 12: the loop ends after this entry
    int examples;               // entries 1..examples are examples, without a maximum
    bool twoParts;              // prompts in parts A and B, the clock from part B
    int stopOfferedAfterTenths; // the stop button from e above this
    const char *earlyStopTime;  // recorded when stopped before the prompt ended
    int firstBandWithMaximum;   // bands below it never stop by themselves
    int doneState;              // administration state once this subtest is finished
    std::array<double, 15> partASeconds;  // deletion: part A's length
    std::array<double, 15> promptSeconds; // part B, or the single prompt
    std::array<std::array<double, 12>, 8> maximumSeconds; // bands 1..8, items 1..12; 0: none
    std::array<const char *, 15> labels;
};

const TItemLoopParams &DeletionLoopParams();
const TItemLoopParams &SubstitutionLoopParams();

// A stopwatch reading of ms milliseconds in tenths of a second, as the loop
// decides with it.
int64_t ElapsedTenths(int64_t ms);
// The response time in tenths, counted from the end of a prompt of promptMs:
// (s + 1/86400 - prompt) rounded to a tenth, halves away from zero, exactly.
int64_t ResponseTenths(int64_t ms, int64_t promptMs);

// The loop's outside world.
class TItemLoopHost {
public:
    virtual ~TItemLoopHost() = default;
    // 0 for form A, 1 for form B.
    virtual int Form() = 0;
    // The age in months, or nothing while the birth date is incomplete.
    virtual std::optional<int> AgeInMonths() = 0;
    // Prepares a prompt stream for part (0 = A or the single prompt, 1 = B);
    // the stream that plays must stay alive until the player has finished.
    virtual void OpenPrompt(int part, const std::string &name) = 0;
    virtual void PlayPrompt(int part) = 0;
    // Before every prompt; a refusal is ignored.
    virtual void RaisePriority() = 0;
    virtual void ClickSound() = 0;
    virtual void StopSound() = 0;
    // Row entry - 1 of the subtest's score grid.
    virtual void RecordEntry(int row, const std::string &time, const std::string &score) = 0;
    virtual void SetLastEntry(const std::string &text) = 0;
    // The last entry reached as the administration holds it (also after a
    // resume).
    virtual std::string LastEntry() = 0;
    // The current entry once an entry is scored: the administration keeps
    // it, so that a continue or a resume goes on there, never at an entry
    // whose result was already given.
    virtual void EntryReached(int entry) = 0;
    // The store after an entry, with the autosave flag set around it.
    virtual void StoreItem() = 0;
    // The message of a stop at the maximum (a plain box) or of a failed
    // store (a confirmation box with only OK).
    enum class TMessage { MaximumReached, StoreFailed };
    virtual void ShowMessage(TMessage kind, const std::string &text) = 0;
    virtual int AdministrationState() = 0;
    virtual void SetAdministrationState(int state) = 0;
    // Called after every change of View() that a handler does not return
    // from at once (before a message box, for instance).
    virtual void ViewChanged() {}
};

struct TLoopControl {
    bool enabled = false;
    bool visible = true;
    std::string picture;
};

enum class TLoopKeys { None, Item, Timer, Score };

// What the window shows. A button and its caption label share one state.
struct TItemLoopView {
    TLoopControl promptA; // BtnA / ButtonItem with Label1
    TLoopControl promptB; // BtnB with Label2 (deletion only)
    TLoopControl stop;    // ButtonStptime
    TLoopControl score;   // GoedBt, FoutBt and their labels
    TLoopControl interrupt;
    TLoopControl finish;
    bool scoreChoiceEnabled = false; // the hidden RGscore
    int scoreChoice = -1;
    std::string captionA, captionB;
    bool timeVisible = false;
    std::string timeText;
    std::string status; // EFase
    TLoopKeys keys = TLoopKeys::Item;
};

class TItemLoop {
public:
    enum Phase { Idle = 0, PromptStarted = 1, Running = 2, Stopped = 3, Scored = 4 };

    TItemLoop(const TItemLoopParams &params, TItemLoopHost &host);

    // Sets the current entry (1..entries) and opens its prompts in the
    // current form, so that whatever comes first plays this entry.
    void SetCurrentEntry(int entry);
    int CurrentEntry() const { return entry_; }
    int EntryCount() const { return params_.entries; }
    // Set by the particulars and after-subtest windows.
    int otherSubtestDone = 0;

    // Initialiseer: the window on show, and the particulars window on
    // clearing. At the last entry with its score given (the host's last
    // entry) only the finish is offered.
    void Prepare();

    void PlayPromptA(); // BtnAClick / ItemClick
    void PlayPromptB(); // BtnBClick
    void Tick();        // every 100 ms
    void StopClick();   // StopTimerClick
    void ScoreClick(bool right);
    void Key(char key);

    // The two halves of interrupt and finish around the deferred action.
    // The interrupt first stores again an entry whose store failed: nothing
    // else would before the program may end.
    bool BeginInterrupt();
    void EndInterrupt();
    bool BeginFinish();
    void EndFinish();

    const TItemLoopView &View() const { return view_; }
    const TItemLoopParams &Params() const { return params_; }
    int CurrentPhase() const { return phase_; }
    int AgeBand() const { return band_; }
    const std::string &RecordedTime() const { return recorded_; }
    bool AutomaticStop() const { return autoStop_; }
    TChronometre &Chrono() { return chrono_; }

    std::string PromptName(int entry, int part, int form) const;
    std::string LastEntryText(int entry) const;
    std::string Caption(int entry, int part) const;
    bool IsLastEntryDone() const { return view_.finish.enabled; }

private:
    void OpenEntryPrompts();
    // The current entry is the last and it is scored.
    bool AllScored();
    void ShowFinishOnly();
    void PlayPart(int part);
    void Stop();
    void ScoreEntry(int choice);
    void StoreItem();
    int64_t ElapsedMs();
    int64_t PromptMs(int entry) const;
    int64_t PartAMs(int entry) const;
    int64_t MaximumTenths(int entry) const;
    std::string ShownTime(int64_t eTenths) const;
    void SetCaptions();
    void Changed() { host_.ViewChanged(); }

    const TItemLoopParams &params_;
    TItemLoopHost &host_;
    TChronometre chrono_;
    TItemLoopView view_;

    int entry_ = 1;
    int phase_ = Idle;
    int previousPhase_ = Idle;
    bool promptStarted_ = false;
    bool partA_ = false;
    int ticksSincePrompt_ = 0;
    bool stopped_ = false;
    bool earlyStop_ = false;
    bool stopShown_ = false;
    bool autoStop_ = false;
    // An entry is scored but its store failed (or has not run yet).
    bool unstored_ = false;
    int band_ = 0;
    std::string recorded_;
};
