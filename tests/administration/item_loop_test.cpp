// The item loop of both subtests on virtual time, with a host that records
// what the loop asks of the outside world.
#include "administration/ItemLoop.h"

#include "platform/core/Clock.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Streams.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

struct RecordingHost : TItemLoopHost {
    int form = 0;
    std::optional<int> age;
    std::string opened[2];
    std::vector<std::string> played;
    std::map<int, std::pair<std::string, std::string>> rows;
    std::string lastEntry;
    int reached = 0;
    int stores = 0;
    bool failStore = false;
    std::vector<std::string> messages;
    std::function<void()> onMessage;
    std::function<void()> onStore;
    int state = 2;

    int Form() override { return form; }
    std::optional<int> AgeInMonths() override { return age; }
    void OpenPrompt(int part, const std::string &name) override { opened[part] = name; }
    void PlayPrompt(int part) override { played.push_back(opened[part]); }
    void RaisePriority() override {}
    void ClickSound() override {}
    void StopSound() override {}
    void RecordEntry(int row, const std::string &time, const std::string &score) override
    {
        rows[row] = {time, score};
    }
    void SetLastEntry(const std::string &text) override { lastEntry = text; }
    std::string LastEntry() override { return lastEntry; }
    void EntryReached(int entry) override { reached = entry; }
    void StoreItem() override
    {
        if (onStore)
            onStore();
        if (failStore)
            throw plat::EWriteError("disk full");
        ++stores;
    }
    void ShowMessage(TMessage, const std::string &text) override
    {
        messages.push_back(text);
        if (onMessage)
            onMessage();
    }
    int AdministrationState() override { return state; }
    void SetAdministrationState(int s) override { state = s; }
};

class Loop {
public:
    explicit Loop(const TItemLoopParams &params, std::optional<int> age = std::nullopt,
                  int form = 0)
        : loop(params, host)
    {
        plat::SetClock(&clock);
        host.age = age;
        host.form = form;
        loop.Prepare();
    }
    ~Loop() { plat::SetClock(nullptr); }

    void Tick()
    {
        clock.AdvanceMs(100);
        loop.Tick();
    }
    // Plays the current entry's prompt(s) and ticks until the stopwatch has
    // just started.
    void StartEntry()
    {
        loop.PlayPromptA();
        if (loop.Params().twoParts) {
            for (int i = 0; i < 100 && !loop.View().promptB.enabled; ++i)
                Tick();
            loop.PlayPromptB();
        }
        Tick();
        ASSERT_EQ(loop.CurrentPhase(), TItemLoop::PromptStarted);
        Tick();
        ASSERT_EQ(loop.CurrentPhase(), TItemLoop::Running);
        ASSERT_EQ(loop.Chrono().ElapsedSeconds(), 0);
    }
    // Lets the stopwatch run to ms with a tick every 100 ms; false when the
    // loop stopped by itself on the way.
    bool RunTo(int64_t ms)
    {
        int64_t t = 0;
        while (t + 100 <= ms) {
            Tick();
            t += 100;
            if (loop.CurrentPhase() != TItemLoop::Running)
                return false;
        }
        clock.AdvanceMs(ms - t);
        return true;
    }
    void StopAt(int64_t ms)
    {
        ASSERT_TRUE(RunTo(ms));
        ASSERT_TRUE(loop.View().stop.enabled);
        loop.StopClick();
        ASSERT_EQ(loop.CurrentPhase(), TItemLoop::Stopped);
    }
    void Reach(int entry)
    {
        loop.SetCurrentEntry(entry);
        loop.Prepare();
    }

    plat::FakeClock clock;
    RecordingHost host;
    TItemLoop loop;
};

TEST(ItemLoopTimes, ExactTenths)
{
    // 1/86400 s before rounding: a half tenth rounds up, just below does not.
    EXPECT_EQ(ElapsedTenths(2949), 29);
    EXPECT_EQ(ElapsedTenths(2950), 30);
    EXPECT_EQ(ResponseTenths(5289, 2940), 23);
    EXPECT_EQ(ResponseTenths(5290, 2940), 24);
    // Below the prompt's end the rounding goes away from zero.
    EXPECT_EQ(ResponseTenths(3290, 3300), 0);
    EXPECT_EQ(ResponseTenths(3240, 3300), -1);
}

struct TimeCase {
    const char *name;
    bool deletion;
    int entry;
    int64_t stopMs; // stopwatch reading at the stop
    const char *recorded;
};

const TimeCase kTimes[] = {
    // Deletion, entry 4: part B lasts 2.94 s.
    {"stop at 2.9 s, before part B ended", true, 4, 2900, "10"},
    {"e rounds to 2.9 s", true, 4, 2949, "10"},
    {"e rounds to 3.0 s, just after part B", true, 4, 2950, "0"},
    {"2.35 s after part B", true, 4, 5290, "24"},
    {"2.349 s after part B", true, 4, 5289, "23"},
    {"long answer", true, 4, 47560, "446"},
    // Entry 5: part B of 3.3 s, so e can equal it.
    {"e equal to part B", true, 5, 3300, "0"},
    {"e rounds up to part B", true, 5, 3290, "0"},
    // 3.25 - 3.3 is -0.05, which rounds away from zero to -0.1; the 1/86400 s
    // added first keeps it just above, at 0.
    {"half a tenth before part B ended", true, 5, 3250, "0"},
    {"example 1", true, 1, 4600, "15"},
    // Substitution, item 1: the prompt lasts 6.339 s.
    {"stop at 5.0 s", false, 1, 5000, "1"},
    {"e rounds to 6.3 s", false, 1, 6339, "1"},
    {"e of 6.4 s", false, 1, 6350, "0"},
    {"2.05 s after the prompt", false, 1, 8389, "21"},
    {"2.049 s after the prompt", false, 1, 8388, "20"},
    {"item 2, 6.0 s", false, 2, 9000, "30"},
};

TEST(ItemLoopTimes, RecordedTime)
{
    for (const TimeCase &c : kTimes) {
        SCOPED_TRACE(c.name);
        Loop t(c.deletion ? DeletionLoopParams() : SubstitutionLoopParams());
        t.Reach(c.entry);
        t.StartEntry();
        t.StopAt(c.stopMs);
        EXPECT_EQ(t.loop.RecordedTime(), c.recorded);
        EXPECT_FALSE(t.loop.AutomaticStop());
        EXPECT_EQ(t.loop.View().keys, TLoopKeys::Score);
        EXPECT_TRUE(t.loop.View().score.enabled);
        t.loop.ScoreClick(true);
        EXPECT_EQ(t.host.rows[c.entry - 1], std::make_pair(std::string(c.recorded), std::string("1")));
    }
}

struct MaximumCase {
    const char *name;
    bool deletion;
    int entry;
    std::optional<int> age;
    int64_t quietUntilMs; // ticks up to here do not stop
    int64_t stopTickMs;   // the tick at this reading stops (0: none within a minute)
    const char *recorded;
};

const MaximumCase kMaxima[] = {
    // Entry 5 is item 2: part B 3.3 s, band 4 (120 months) maximum 6.3 s.
    {"deletion, equality at 9.6 s", true, 5, 120, 9600, 9700, "64"},
    // Substitution item 2: prompt 6.0 s, band 8 (170 months) maximum 15.1 s;
    // 21.1 - 6.0 in binary floating point exceeds 15.1.
    {"substitution, equality at 21.1 s", false, 2, 170, 21100, 21200, "152"},
    // Band 8, item 1: 6.339 + 13.5 = 19.839, so 19.8 s is below and 19.9 s above.
    {"substitution, band 8 item 1", false, 1, 170, 19800, 19900, "136"},
    {"deletion, example", true, 2, 120, 60000, 0, ""},
    {"deletion, no band", true, 5, 40, 60000, 0, ""},
    {"deletion, birth date incomplete", true, 5, std::nullopt, 60000, 0, ""},
    {"substitution, band 1", false, 2, 80, 60000, 0, ""},
};

TEST(ItemLoopMaximum, StopsOnlyAboveTheMaximum)
{
    for (const MaximumCase &c : kMaxima) {
        SCOPED_TRACE(c.name);
        Loop t(c.deletion ? DeletionLoopParams() : SubstitutionLoopParams(), c.age);
        t.Reach(c.entry);
        int entryAtMessage = 0;
        t.host.onMessage = [&] { entryAtMessage = t.loop.CurrentEntry(); };
        // The store comes once the message is answered, with the entry's
        // time, score and last entry already given.
        std::vector<std::string> atStore;
        t.host.onStore = [&] {
            atStore = {std::to_string(t.host.messages.size()), t.host.rows[c.entry - 1].first,
                       t.host.rows[c.entry - 1].second, t.host.lastEntry};
        };
        t.StartEntry();
        ASSERT_TRUE(t.RunTo(c.quietUntilMs));
        EXPECT_EQ(t.loop.CurrentPhase(), TItemLoop::Running);
        EXPECT_TRUE(t.host.messages.empty());
        if (c.stopTickMs == 0)
            continue;
        t.clock.AdvanceMs(c.stopTickMs - c.quietUntilMs);
        t.loop.Tick();
        ASSERT_EQ(t.host.messages.size(), 1u);
        EXPECT_EQ(t.host.messages[0],
                  "Maximaal toegestane responstijd bereikt. Ga verder met het volgende item.");
        // The message comes while the stopped entry is still current; it is
        // then scored wrong with the time measured at the stop, and stored.
        EXPECT_EQ(entryAtMessage, c.entry);
        EXPECT_TRUE(t.loop.AutomaticStop());
        EXPECT_EQ(t.host.rows[c.entry - 1], std::make_pair(std::string(c.recorded), std::string("0")));
        EXPECT_EQ(t.host.lastEntry, t.loop.LastEntryText(c.entry));
        EXPECT_EQ(t.host.stores, 1);
        EXPECT_EQ(atStore, (std::vector<std::string>{"1", c.recorded, "0", t.loop.LastEntryText(c.entry)}));
        EXPECT_EQ(t.loop.CurrentEntry(), c.entry + 1);
        EXPECT_EQ(t.loop.View().keys, TLoopKeys::Item);
    }
}

// The substitution items' prompt lengths, seen in the time recorded at a
// stop 10.000 s after the clock started: (10 s - prompt) in tenths.
TEST(ItemLoopSubstitution, PromptDurations)
{
    const char *const expected[12] = {"37", "40", "34", "33", "38", "34", "37", "43", "34", "30", "25", "29"};
    for (int item = 1; item <= 12; ++item) {
        SCOPED_TRACE(item);
        Loop t(SubstitutionLoopParams(), 80); // band 1: no maximum
        t.Reach(item);
        t.StartEntry();
        t.StopAt(10000);
        EXPECT_EQ(t.loop.RecordedTime(), expected[item - 1]);
    }
}

// Cells of the substitution maximum table, each with the last tick that
// leaves the clock running and the first that stops it (e - prompt > max).
struct SubstitutionMaximum {
    int band;
    int age; // months, inside the band
    int item;
    int64_t lastQuietMs;
    int64_t firstStopMs;
};

const SubstitutionMaximum kSubstitutionMaxima[] = {
    {2, 95, 12, 153600, 153700},  // 7.1 + 146.5: equality at 153.6 s
    {3, 107, 6, 49600, 49700},    // 6.563 + 43.1 = 49.663
    {4, 120, 9, 50700, 50800},    // 6.6 + 44.1: equality at 50.7 s
    {5, 130, 11, 54300, 54400},   // 7.465 + 46.9 = 54.365
    {6, 140, 10, 26500, 26600},   // 6.96 + 19.6 = 26.56
    {7, 155, 8, 24700, 24800},    // 5.743 + 19.0 = 24.743
    {8, 170, 4, 21500, 21600},    // 6.678 + 14.9 = 21.578
};

TEST(ItemLoopSubstitution, MaximumTable)
{
    for (const SubstitutionMaximum &c : kSubstitutionMaxima) {
        SCOPED_TRACE("band " + std::to_string(c.band) + " item " + std::to_string(c.item));
        Loop t(SubstitutionLoopParams(), c.age);
        ASSERT_EQ(t.loop.AgeBand(), c.band);
        t.Reach(c.item);
        t.StartEntry();
        ASSERT_TRUE(t.RunTo(c.lastQuietMs));
        EXPECT_TRUE(t.host.messages.empty());
        t.clock.AdvanceMs(c.firstStopMs - c.lastQuietMs);
        t.loop.Tick();
        EXPECT_EQ(t.host.messages.size(), 1u);
        EXPECT_TRUE(t.loop.AutomaticStop());
    }
}

struct NameCase {
    bool deletion;
    int entry;
    int part;
    int form;
    const char *name;
};

const NameCase kNames[] = {
    {true, 1, 0, 0, "FWv01a"},  {true, 3, 1, 1, "FWv03b"},  {true, 4, 0, 0, "FWAi01a"},
    {true, 12, 1, 0, "FWAi09b"}, {true, 13, 0, 1, "FWBi10a"}, {true, 15, 1, 1, "FWBi12b"},
    {false, 1, 0, 0, "FVAi01"}, {false, 1, 0, 1, "FVBi01"}, {false, 12, 0, 1, "FVBi12"},
};

TEST(ItemLoopPrompts, NamesByEntryAndForm)
{
    RecordingHost host;
    TItemLoop deletion(DeletionLoopParams(), host);
    TItemLoop substitution(SubstitutionLoopParams(), host);
    for (const NameCase &c : kNames)
        EXPECT_EQ((c.deletion ? deletion : substitution).PromptName(c.entry, c.part, c.form), c.name);
    // Every name the loops can ask for is among the program's resources.
    for (TItemLoop *loop : {&deletion, &substitution})
        for (int form = 0; form < 2; ++form)
            for (int entry = 1; entry <= loop->EntryCount(); ++entry)
                for (int part = 0; part < (loop->Params().twoParts ? 2 : 1); ++part) {
                    const std::string name = loop->PromptName(entry, part, form);
                    EXPECT_NO_THROW(plat::TResourceStream("WAV", name)) << name;
                }
}

TEST(ItemLoopPrompts, FollowTheEntryAndTheForm)
{
    // An administration in form A ends at its last item; the next one, in
    // form B, must start with its own first prompt, not a leftover.
    Loop t(SubstitutionLoopParams());
    t.Reach(12);
    t.StartEntry();
    t.StopAt(8000);
    t.loop.ScoreClick(true);
    EXPECT_EQ(t.host.played, std::vector<std::string>{"FVAi12"});
    t.host.form = 1;
    t.loop.SetCurrentEntry(1);
    t.loop.Prepare();
    t.StartEntry();
    EXPECT_EQ(t.host.played.back(), "FVBi01");

    // The form chosen after the entry was set still wins at preparation.
    Loop d(DeletionLoopParams());
    d.loop.SetCurrentEntry(4);
    d.host.form = 1;
    d.loop.Prepare();
    d.StartEntry();
    EXPECT_EQ(d.host.played, (std::vector<std::string>{"FWBi01a", "FWBi01b"}));
}

TEST(ItemLoopPrompts, SecondPressWhileStartingPlaysOnce)
{
    Loop t(SubstitutionLoopParams());
    t.loop.PlayPromptA();
    t.loop.PlayPromptA();
    t.loop.Key(' ');
    EXPECT_EQ(t.host.played.size(), 1u);
    Loop d(DeletionLoopParams());
    d.loop.PlayPromptA();
    while (!d.loop.View().promptB.enabled)
        d.Tick();
    d.loop.PlayPromptB();
    d.loop.PlayPromptB();
    d.loop.Key(' ');
    EXPECT_EQ(d.host.played, (std::vector<std::string>{"FWv01a", "FWv01b"}));
}

TEST(ItemLoopRun, WholeDeletionByKeysAndNothingAfterTheLast)
{
    Loop t(DeletionLoopParams(), 120);
    std::vector<std::string> expectedPlayed;
    for (int entry = 1; entry <= 15; ++entry) {
        SCOPED_TRACE(entry);
        ASSERT_EQ(t.loop.CurrentEntry(), entry);
        EXPECT_EQ(t.loop.View().captionA, t.loop.Caption(entry, 0));
        t.loop.Key(' ');
        for (int i = 0; i < 100 && !t.loop.View().promptB.enabled; ++i)
            t.Tick();
        t.loop.Key(' ');
        expectedPlayed.push_back(t.loop.PromptName(entry, 0, 0));
        expectedPlayed.push_back(t.loop.PromptName(entry, 1, 0));
        t.Tick();
        t.Tick();
        ASSERT_TRUE(t.RunTo(5000));
        t.loop.Key(' ');
        ASSERT_EQ(t.loop.CurrentPhase(), TItemLoop::Stopped);
        // Stopped but not scored: the last entry is not claimed yet, and a
        // store now (any other key) writes the entry as not reached.
        EXPECT_EQ(t.host.lastEntry, entry == 1 ? "" : t.loop.LastEntryText(entry - 1));
        t.loop.Key('x');
        EXPECT_EQ(t.host.stores, 2 * entry - 1);
        EXPECT_EQ(t.loop.CurrentPhase(), TItemLoop::Stopped);
        t.loop.Key(entry % 2 ? 'g' : 'F');
        EXPECT_EQ(t.host.stores, 2 * entry);
        EXPECT_EQ(t.host.lastEntry, t.loop.LastEntryText(entry));
        EXPECT_EQ(t.host.rows[entry - 1].second, entry % 2 ? "1" : "0");
    }
    EXPECT_EQ(t.host.played, expectedPlayed);
    EXPECT_EQ(t.host.lastEntry, "15");
    EXPECT_EQ(t.host.rows[0].first, "19"); // 5.0 - 3.1 s
    EXPECT_TRUE(t.loop.View().finish.enabled);
    EXPECT_FALSE(t.loop.View().promptA.visible);
    EXPECT_FALSE(t.loop.View().interrupt.visible);

    const auto rows = t.host.rows;
    for (char key : {'g', 'G', 'f', 'F', 'x', ' '})
        t.loop.Key(key);
    for (int i = 0; i < 30; ++i)
        t.Tick();
    EXPECT_EQ(t.host.stores, 30);
    EXPECT_EQ(t.host.rows, rows);
    EXPECT_EQ(t.host.played.size(), 30u);

    ASSERT_TRUE(t.loop.BeginFinish());
    EXPECT_EQ(t.host.state, 4);
}

TEST(ItemLoopRun, ResumeInTheMiddle)
{
    // A resumed deletion administration in form B whose last entry was 6.
    Loop t(DeletionLoopParams(), std::nullopt, 1);
    t.loop.SetCurrentEntry(7);
    EXPECT_EQ(t.host.opened[0], "FWBi04a");
    EXPECT_EQ(t.host.opened[1], "FWBi04b");
    t.loop.Prepare();
    EXPECT_EQ(t.loop.View().captionA, "Zeg item 4a");
    EXPECT_EQ(t.loop.View().captionB, "Zeg item 4b");
    t.StartEntry();
    t.StopAt(4500);
    t.loop.ScoreClick(false);
    EXPECT_EQ(t.host.played, (std::vector<std::string>{"FWBi04a", "FWBi04b"}));
    EXPECT_EQ(t.host.rows.size(), 1u);
    EXPECT_EQ(t.host.rows[6], std::make_pair(std::string("15"), std::string("0"))); // 4.5 - 2.956
    EXPECT_EQ(t.host.lastEntry, "7");
    EXPECT_EQ(t.loop.CurrentEntry(), 8);
    EXPECT_EQ(t.host.opened[0], "FWBi05a");
}

TEST(ItemLoopRun, StoreFailureIsShownAndTheLoopGoesOn)
{
    Loop t(SubstitutionLoopParams());
    t.host.failStore = true;
    t.StartEntry();
    t.StopAt(7000);
    t.loop.ScoreClick(true);
    EXPECT_EQ(t.host.messages, std::vector<std::string>{"Onbekende fout. Iteminformatie niet opgeslagen."});
    EXPECT_EQ(t.loop.CurrentEntry(), 2);
    EXPECT_TRUE(t.loop.View().promptA.enabled);
}

// The interrupt stores again only an entry whose store failed: after an
// automatic stop whose store went through it adds none, after one whose
// store failed it tries once more.
TEST(ItemLoopRun, TheInterruptStoresOnlyAnEntryWhoseStoreFailed)
{
    for (const bool fail : {false, true}) {
        SCOPED_TRACE(fail ? "store failed" : "stored");
        Loop t(DeletionLoopParams(), 116); // band 4: item 2's maximum is 6.3 s
        t.Reach(5);
        t.host.failStore = fail;
        t.StartEntry();
        EXPECT_FALSE(t.RunTo(10000));
        ASSERT_EQ(t.loop.CurrentEntry(), 6);
        EXPECT_EQ(t.host.rows[4], std::make_pair(std::string("64"), std::string("0")));
        EXPECT_EQ(t.host.stores, fail ? 0 : 1);
        EXPECT_EQ(t.host.messages.size(), fail ? 2u : 1u) << "the maximum, then the failed store";
        t.host.failStore = false;
        ASSERT_TRUE(t.loop.BeginInterrupt());
        EXPECT_EQ(t.host.stores, 1);
        t.loop.EndInterrupt();
        ASSERT_TRUE(t.loop.BeginInterrupt());
        EXPECT_EQ(t.host.stores, 1) << "nothing left to store";
    }
}

// Shown at its last entry with that entry scored (a resume after a quit
// before the finish), the loop offers the finish only: no prompt by click
// or key, no interrupt. The entry before the last, or the last not yet
// scored, is offered as ever.
TEST(ItemLoopRun, AtTheLastEntryScoredOnlyTheFinishIsOffered)
{
    struct Case {
        const char *name;
        const TItemLoopParams &params;
        int entry;
        const char *lastEntry;
        bool finishOnly;
    };
    const Case cases[] = {
        {"deletion, all scored", DeletionLoopParams(), 15, "15", true},
        {"deletion, entry 15 not scored", DeletionLoopParams(), 15, "14", false},
        {"deletion, entry 14", DeletionLoopParams(), 14, "15", false},
        {"substitution, all scored", SubstitutionLoopParams(), 12, "12", true},
        {"substitution, item 12 not scored", SubstitutionLoopParams(), 12, "11", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Loop t(c.params);
        t.host.lastEntry = c.lastEntry;
        t.Reach(c.entry);
        const TItemLoopView &v = t.loop.View();
        EXPECT_EQ(v.finish.enabled && v.finish.visible, c.finishOnly);
        EXPECT_EQ(v.promptA.visible, !c.finishOnly);
        EXPECT_EQ(v.interrupt.enabled, !c.finishOnly);
        t.loop.PlayPromptA();
        t.loop.Key(' ');
        EXPECT_EQ(t.host.played.size(), c.finishOnly ? 0u : 1u);
        if (!c.finishOnly)
            continue;
        for (int i = 0; i < 20; ++i)
            t.Tick();
        EXPECT_FALSE(t.loop.BeginInterrupt());
        ASSERT_TRUE(t.loop.BeginFinish());
        EXPECT_EQ(t.host.state, t.loop.Params().doneState);
        EXPECT_TRUE(t.host.rows.empty()) << "no score replaced";
        EXPECT_EQ(t.host.stores, 0);
    }
}

TEST(ItemLoopRun, StopButtonAndTimeText)
{
    // The stop is offered only once e exceeds 2.2 s (deletion) or 4.0 s
    // (substitution); the running time counts from the prompt's end.
    Loop d(DeletionLoopParams());
    d.Reach(4);
    d.StartEntry();
    ASSERT_TRUE(d.RunTo(2200));
    EXPECT_FALSE(d.loop.View().stop.enabled);
    d.loop.Key(' ');
    EXPECT_EQ(d.loop.CurrentPhase(), TItemLoop::Running);
    d.Tick();
    EXPECT_TRUE(d.loop.View().stop.enabled);
    EXPECT_EQ(d.loop.View().stop.picture, "BtnSTPred");
    EXPECT_EQ(d.loop.View().timeText, "Tijd: -0,6 sec.");
    EXPECT_EQ(d.loop.View().promptB.picture, "BtnSpkOn");
    d.RunTo(1000);
    EXPECT_EQ(d.loop.View().promptB.picture, "BtnSpkOff");
    EXPECT_EQ(d.loop.View().timeText, "Tijd: 0,4 sec.");

    Loop v(SubstitutionLoopParams());
    v.StartEntry();
    ASSERT_TRUE(v.RunTo(4000));
    EXPECT_FALSE(v.loop.View().stop.enabled);
    v.Tick();
    EXPECT_TRUE(v.loop.View().stop.enabled);
    EXPECT_EQ(v.loop.View().keys, TLoopKeys::Timer);
}

} // namespace
