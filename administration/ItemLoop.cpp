#include "administration/ItemLoop.h"

#include "administration/Age.h"
#include "platform/core/Text.h"

#include <cmath>

namespace {

const TItemLoopParams kDeletion = {
    "FW",
    15,
    3,
    true,
    22,
    "10",
    1,
    4,
    {2.38, 2.316, 3.035, 2.725, 2.1, 2.172, 2.4, 2.3, 2.446, 2.6, 2.719, 2.6, 2.7, 2.676, 2.53},
    {3.1, 3.168, 2.62, 2.94, 3.3, 3.1, 2.956, 2.634, 3.276, 2.739, 2.903, 2.847, 3.156, 2.849, 3.2},
    {{
        {11.0, 15.0, 14.6, 17.3, 15.0, 14.6, 15.3, 13.4, 13.0, 16.6, 19.4, 25.0},
        {10.1, 18.5, 14.8, 11.8, 14.3, 9.6, 12.9, 9.0, 12.3, 13.5, 16.1, 24.1},
        {5.4, 11.8, 10.9, 7.8, 19.0, 10.4, 8.9, 8.7, 9.1, 10.0, 16.1, 17.3},
        {4.3, 6.3, 8.6, 7.1, 7.3, 7.5, 7.6, 7.2, 6.8, 8.9, 14.4, 13.2},
        {3.8, 5.5, 7.3, 6.7, 7.6, 6.0, 13.5, 6.4, 5.0, 6.6, 10.8, 11.2},
        {3.1, 4.6, 7.5, 5.7, 7.2, 4.1, 4.7, 4.1, 4.3, 5.3, 9.5, 8.6},
        {2.6, 3.0, 5.0, 5.0, 4.9, 3.6, 3.8, 3.6, 5.1, 5.3, 7.5, 8.4},
        {2.8, 3.2, 6.4, 3.2, 3.7, 3.7, 3.6, 3.4, 3.1, 6.7, 9.1, 7.1},
    }},
    {"vb1: voet[bal]", "vb2: [avond]eten", "vb3: k[at]", "i1: [krui]wagen", "i2: d[ak]",
     "i3: kraa[l]", "i4: [v]lag", "i5: [i]glo", "i6: spi[n]", "i7: [t]roep", "i8: kloo[f]",
     "i9: schel[p]", "i10: [b]ord", "i11: kor[s]t", "i12: st[r]eek"},
};

const TItemLoopParams kSubstitution = {
    "FV",
    12,
    0,
    false,
    40,
    "1",
    2,
    3,
    {},
    {6.339, 6.0, 6.633, 6.678, 6.2, 6.563, 6.312, 5.743, 6.6, 6.96, 7.465, 7.1},
    {{
        {},
        {59.9, 64.8, 60.8, 61.0, 60.3, 62.2, 61.0, 65.5, 61.2, 78.9, 106.6, 146.5},
        {40.3, 44.7, 50.5, 44.2, 47.1, 43.1, 45.8, 45.2, 53.8, 72.8, 93.8, 118.4},
        {32.0, 29.5, 35.0, 37.1, 34.0, 35.8, 36.4, 38.6, 44.1, 56.2, 71.5, 86.9},
        {22.6, 22.6, 29.8, 23.6, 23.7, 33.1, 26.3, 33.6, 32.8, 39.8, 46.9, 55.6},
        {16.2, 17.9, 16.3, 21.9, 17.3, 18.6, 19.4, 24.7, 19.6, 19.6, 22.9, 27.6},
        {18.0, 18.1, 13.9, 18.7, 20.4, 16.9, 18.2, 19.0, 20.6, 21.7, 27.6, 29.1},
        {13.5, 15.1, 18.5, 14.9, 17.3, 23.1, 18.2, 21.6, 20.5, 22.9, 23.7, 27.8},
    }},
    {"Moeder Gans", "Harry Potter", "Broer Konijn", "Vader Jacob", "Dik Trom", "Pietje Bell",
     "Kapitein Haak", "Billie Turf", "Drie Biggetjes", "Nijntje Pluis", "Paulus Boskabouter",
     "Kabouter Plop"},
};

// Halves away from zero, in exact integers.
int64_t DivideRounded(int64_t numerator, int64_t denominator)
{
    const int64_t magnitude = (std::llabs(numerator) + denominator / 2) / denominator;
    return numerator < 0 ? -magnitude : magnitude;
}

std::string TwoDigits(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

const char *const kStoreFailed = "Onbekende fout. Iteminformatie niet opgeslagen.";
const char *const kMaximumReached =
    "Maximaal toegestane responstijd bereikt. Ga verder met het volgende item.";

} // namespace

const TItemLoopParams &DeletionLoopParams() { return kDeletion; }
const TItemLoopParams &SubstitutionLoopParams() { return kSubstitution; }

// s + 1/86400 s, in tenths: (864 ms + 10) / 86400.
int64_t ElapsedTenths(int64_t ms) { return DivideRounded(864 * ms + 10, 86400); }

int64_t ResponseTenths(int64_t ms, int64_t promptMs) { return ElapsedTenths(ms - promptMs); }

TItemLoop::TItemLoop(const TItemLoopParams &params, TItemLoopHost &host)
    : params_(params), host_(host)
{
    view_.promptA.picture = view_.promptB.picture = "BtnSpkOff";
    view_.stop.picture = "BtnTIMERoff";
    view_.interrupt.picture = "BtnOToff";
    view_.finish = {false, false, "BtnFINred"};
    view_.score.visible = false;
    SetCaptions();
}

std::string TItemLoop::PromptName(int entry, int part, int form) const
{
    const bool example = entry <= params_.examples;
    const int number = entry - params_.examples;
    std::string name = params_.tag;
    if (example)
        name += "v0" + std::to_string(entry);
    else
        name += std::string(form == 1 ? "B" : "A") + "i" + TwoDigits(number);
    if (params_.twoParts)
        name += part == 0 ? "a" : "b";
    return name;
}

std::string TItemLoop::LastEntryText(int entry) const
{
    return entry <= params_.examples ? "vb" + std::to_string(entry) : std::to_string(entry);
}

std::string TItemLoop::Caption(int entry, int part) const
{
    if (!params_.twoParts)
        return "Zeg item " + std::to_string(entry);
    const std::string suffix = part == 0 ? "a" : "b";
    if (entry <= params_.examples)
        return "Zeg voorbeeld " + std::to_string(entry) + suffix;
    return "Zeg item " + std::to_string(entry - params_.examples) + suffix;
}

int64_t TItemLoop::PromptMs(int entry) const
{
    return std::llround(params_.promptSeconds[entry - 1] * 1000);
}

int64_t TItemLoop::PartAMs(int entry) const
{
    return std::llround(params_.partASeconds[entry - 1] * 1000);
}

int64_t TItemLoop::MaximumTenths(int entry) const
{
    if (entry <= params_.examples || band_ < params_.firstBandWithMaximum || band_ > 8)
        return -1;
    const double seconds = params_.maximumSeconds[band_ - 1][entry - params_.examples - 1];
    return seconds > 0 ? std::llround(seconds * 10) : -1;
}

int64_t TItemLoop::ElapsedMs() { return std::llround(chrono_.ElapsedSeconds() * 1000); }

std::string TItemLoop::ShownTime(int64_t eTenths) const
{
    const double x = static_cast<double>(eTenths * 100 - PromptMs(entry_)) / 1000;
    return plat::FloatToStrF(x, plat::ffNumber, 5, 1);
}

void TItemLoop::SetCaptions()
{
    view_.captionA = Caption(entry_, 0);
    view_.captionB = params_.twoParts ? Caption(entry_, 1) : std::string();
}

void TItemLoop::OpenEntryPrompts()
{
    const int form = host_.Form();
    host_.OpenPrompt(0, PromptName(entry_, 0, form));
    if (params_.twoParts)
        host_.OpenPrompt(1, PromptName(entry_, 1, form));
}

void TItemLoop::SetCurrentEntry(int entry)
{
    if (entry < 1 || entry > params_.entries)
        entry = 1;
    entry_ = entry;
    unstored_ = false;
    SetCaptions();
    OpenEntryPrompts();
}

void TItemLoop::Prepare()
{
    view_.keys = TLoopKeys::Item;
    SetCaptions();
    phase_ = Idle;
    view_.status = "Startfase";
    view_.stop = {false, true, "BtnTIMERoff"};
    view_.finish = {false, false, "BtnFINred"};
    view_.promptA.enabled = view_.promptA.visible = true;
    view_.interrupt.enabled = view_.interrupt.visible = true;
    view_.promptB.visible = params_.twoParts;
    view_.promptB.enabled = false;
    view_.score.enabled = view_.score.visible = false;
    view_.scoreChoiceEnabled = false;
    view_.timeVisible = false;
    earlyStop_ = false;
    if (const std::optional<int> months = host_.AgeInMonths())
        band_ = ::AgeBand(*months);
    // The form may have changed since the entry was set (a new
    // administration in form B): the prompts follow it.
    OpenEntryPrompts();
    // Shown again with its last entry scored (a resume after a quit or a
    // crash before the finish): the finish is all that is left, never the
    // last entry again, whose score it would replace.
    if (AllScored())
        ShowFinishOnly();
}

bool TItemLoop::AllScored()
{
    return entry_ == params_.entries && host_.LastEntry() == LastEntryText(params_.entries);
}

void TItemLoop::ShowFinishOnly()
{
    view_.promptA = {false, false, view_.promptA.picture};
    view_.promptB = {false, false, view_.promptB.picture};
    view_.stop.visible = false;
    view_.interrupt = {false, false, view_.interrupt.picture};
    view_.finish.enabled = view_.finish.visible = true;
    // Nothing is left to score or store by key once the last entry is in.
    view_.keys = TLoopKeys::None;
}

void TItemLoop::PlayPart(int part)
{
    try {
        host_.RaisePriority();
    } catch (...) {
    }
    try {
        host_.PlayPrompt(part);
    } catch (...) {
        promptStarted_ = true;
        throw;
    }
    promptStarted_ = true;
}

void TItemLoop::PlayPromptA()
{
    // Disabled at once, so that a second press while the prompt starts
    // does not start it again.
    if (!view_.promptA.enabled || IsLastEntryDone())
        return;
    view_.promptA.picture = "BtnSpkOn";
    view_.promptA.enabled = false;
    view_.interrupt.enabled = false;
    view_.scoreChoiceEnabled = false;
    host_.ClickSound();
    if (params_.twoParts) {
        view_.status = std::string("A ") + params_.labels[entry_ - 1];
        view_.promptB.enabled = false;
        Changed();
        PlayPart(0);
        ticksSincePrompt_ = 0;
        partA_ = true;
        host_.OpenPrompt(1, PromptName(entry_, 1, host_.Form()));
    } else {
        view_.status = params_.labels[entry_ - 1];
        view_.scoreChoice = -1;
        Changed();
        PlayPart(0);
        phase_ = PromptStarted;
    }
}

void TItemLoop::PlayPromptB()
{
    if (!params_.twoParts || !view_.promptB.enabled)
        return;
    host_.ClickSound();
    view_.promptB.picture = "BtnSpkOn";
    view_.promptB.enabled = false;
    view_.promptA.enabled = false;
    view_.interrupt.enabled = false;
    view_.status = std::string("B ") + params_.labels[entry_ - 1];
    view_.scoreChoice = -1;
    Changed();
    PlayPart(1);
    ticksSincePrompt_ = 0;
    phase_ = PromptStarted;
}

void TItemLoop::Tick()
{
    ++ticksSincePrompt_;
    if (promptStarted_) {
        if (previousPhase_ == PromptStarted)
            phase_ = Running;
        previousPhase_ = phase_;
        if (partA_ && int64_t{ticksSincePrompt_} * 100 > PartAMs(entry_)) {
            view_.promptA.picture = "BtnSpkOff";
            view_.promptB.enabled = true;
            view_.keys = TLoopKeys::Item;
        }
    }
    TLoopControl &prompt = params_.twoParts ? view_.promptB : view_.promptA;
    switch (phase_) {
    case PromptStarted:
        stopped_ = earlyStop_ = stopShown_ = false;
        chrono_.Reset();
        prompt.enabled = false;
        partA_ = false;
        break;
    case Running: {
        if (stopped_)
            break;
        autoStop_ = false;
        chrono_.Start();
        int64_t e = ElapsedTenths(ElapsedMs());
        if (e > params_.stopOfferedAfterTenths) {
            view_.stop.enabled = view_.stop.visible = true;
            if (!stopShown_) {
                view_.stop.picture = "BtnSTPred";
                stopShown_ = true;
            }
            view_.keys = TLoopKeys::Timer;
            const std::string x = ShownTime(e);
            view_.timeVisible = true;
            view_.timeText = "Tijd: " + x + " sec.";
            view_.status = "Timer loopt: " + x;
        }
        if (params_.twoParts)
            view_.promptB.enabled = false;
        if (!earlyStop_ && e * 100 > PromptMs(entry_)) {
            prompt.picture = "BtnSpkOff";
            e = ElapsedTenths(ElapsedMs());
        }
        const int64_t maximum = MaximumTenths(entry_);
        if (maximum >= 0 && e * 100 - PromptMs(entry_) > maximum * 100) {
            autoStop_ = true;
            Stop();
        }
        break;
    }
    case Stopped:
        earlyStop_ = false;
        view_.stop.enabled = false;
        prompt.picture = "BtnSpkOff";
        prompt.enabled = false;
        break;
    default:
        break;
    }
    Changed();
}

void TItemLoop::StopClick()
{
    if (!view_.stop.enabled)
        return;
    Stop();
}

void TItemLoop::Stop()
{
    if (phase_ != Running || stopped_)
        return;
    chrono_.Stop();
    const int64_t ms = ElapsedMs();
    const int64_t e = ElapsedTenths(ms);
    stopped_ = true;
    phase_ = Stopped;
    view_.stop.picture = "BtnTGon";
    view_.stop.enabled = false;
    if (promptStarted_ && e * 100 < PromptMs(entry_)) {
        earlyStop_ = true;
        recorded_ = params_.earlyStopTime;
    } else {
        recorded_ = plat::FloatToStrF(static_cast<double>(ResponseTenths(ms, PromptMs(entry_))),
                                      plat::ffGeneral, 5, 0);
    }
    host_.StopSound();
    if (!autoStop_) {
        view_.scoreChoiceEnabled = true;
        view_.score.enabled = view_.score.visible = true;
        view_.keys = TLoopKeys::Score;
    }
    view_.interrupt.enabled = false;
    view_.status = "Timer gestopt, tijd: " + recorded_;
    view_.timeVisible = false;
    Changed();
    if (autoStop_) {
        host_.ShowMessage(TItemLoopHost::TMessage::MaximumReached, kMaximumReached);
        ScoreEntry(1);
        Changed();
        // On disk as soon as the message is answered, as a scored entry is:
        // a quit or a crash before the next entry's store would lose it, and
        // a resume would offer the entry again.
        StoreItem();
    }
}

void TItemLoop::ScoreEntry(int choice)
{
    view_.interrupt.enabled = true;
    view_.score.enabled = view_.score.visible = false;
    view_.timeVisible = false;
    if (autoStop_)
        choice = 1;
    view_.scoreChoice = choice;
    const std::string score = choice == 0 ? "1" : choice == 1 ? "0" : "";
    host_.RecordEntry(entry_ - 1, recorded_, score);
    // The last entry is claimed only together with its time and score, so
    // that a store or resume never skips an entry that was stopped but not
    // scored.
    host_.SetLastEntry(LastEntryText(entry_));
    if (!params_.twoParts)
        view_.status = "Item " + std::to_string(entry_) + " gescoord: ";
    if (entry_ < params_.entries) {
        ++entry_;
        SetCaptions();
        view_.promptA.enabled = true;
        view_.keys = TLoopKeys::Item;
        view_.promptB.enabled = false;
        view_.stop.picture = "BtnTIMERoff";
    } else {
        ShowFinishOnly();
    }
    phase_ = Scored;
    unstored_ = true;
    host_.EntryReached(entry_);
    OpenEntryPrompts();
}

void TItemLoop::StoreItem()
{
    try {
        host_.StoreItem();
        unstored_ = false;
    } catch (...) {
        host_.ShowMessage(TItemLoopHost::TMessage::StoreFailed, kStoreFailed);
    }
}

void TItemLoop::ScoreClick(bool right)
{
    if (!view_.score.enabled)
        return;
    host_.ClickSound();
    ScoreEntry(right ? 0 : 1);
    Changed();
    StoreItem();
}

void TItemLoop::Key(char key)
{
    switch (view_.keys) {
    case TLoopKeys::Item:
        if (key != ' ')
            return;
        if (view_.promptA.enabled)
            PlayPromptA();
        else if (view_.promptB.enabled)
            PlayPromptB();
        return;
    case TLoopKeys::Timer:
        if (key == ' ')
            StopClick();
        return;
    case TLoopKeys::Score:
        if (key == 'G' || key == 'g')
            ScoreClick(true);
        else if (key == 'F' || key == 'f')
            ScoreClick(false);
        else
            StoreItem();
        return;
    case TLoopKeys::None:
        return;
    }
}

bool TItemLoop::BeginInterrupt()
{
    if (!view_.interrupt.enabled)
        return false;
    host_.ClickSound();
    view_.interrupt.picture = "BtnOTon";
    view_.interrupt.enabled = false;
    Changed();
    if (unstored_)
        StoreItem();
    return true;
}

void TItemLoop::EndInterrupt()
{
    view_.interrupt.picture = "BtnOToff";
    view_.interrupt.enabled = true;
    Changed();
}

bool TItemLoop::BeginFinish()
{
    if (!view_.finish.enabled)
        return false;
    host_.ClickSound();
    view_.finish.picture = "BtnFINon";
    if (host_.AdministrationState() < 5)
        host_.SetAdministrationState(params_.doneState);
    Changed();
    return true;
}

void TItemLoop::EndFinish()
{
    view_.finish.picture = "BtnFINoff";
    Changed();
}
