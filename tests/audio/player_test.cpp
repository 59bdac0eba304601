// The player on the scripted device: what reaches the device, in which order,
// and how a playback ends, also when the device or the stream fails.
#include "audio/StockAudioPlayer.h"
#include "platform/audio/AudioDeviceScripted.h"
#include "tests/audio/WavBuilder.h"

#include <QCoreApplication>
#include <QThread>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

using namespace wavtest;
using plat::TWaveOutCall;
using Lines = std::vector<std::string>;

namespace {

// 8000 bytes a second: a 100 ms buffer is 800 bytes.
const plat::WAVEFORMATEX kFormat = Pcm(1, 8000, 8);

class WavStream : public plat::TMemoryStream {
public:
    WavStream(const std::vector<uint8_t> &bytes, plat::TScriptedAudioDevice *log = nullptr, std::string name = {})
        : log_(log), name_(std::move(name))
    {
        WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
        SetPosition(0);
    }
    ~WavStream() override
    {
        if (log_)
            log_->Note("freed " + name_);
    }

private:
    plat::TScriptedAudioDevice *log_;
    std::string name_;
};

int IndexOf(const Lines &lines, const std::string &line, int from = 0)
{
    for (int i = from; i < static_cast<int>(lines.size()); ++i)
        if (lines[static_cast<size_t>(i)] == line)
            return i;
    return -1;
}

std::vector<uint32_t> Writes(const Lines &lines, const std::string &output = "#1")
{
    std::vector<uint32_t> sizes;
    const std::string prefix = "write " + output + " ";
    for (const auto &l : lines)
        if (l.rfind(prefix, 0) == 0 && l.find("->") == std::string::npos)
            sizes.push_back(static_cast<uint32_t>(std::stoul(l.substr(prefix.size()))));
    return sizes;
}

int Count(const Lines &lines, const std::string &prefix)
{
    return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const std::string &l) { return l.rfind(prefix, 0) == 0; }));
}

// What the filter saw, one entry per buffer; written on the callback thread.
class Heard {
public:
    void Add(const void *buffer, uint32_t size)
    {
        const auto *p = static_cast<const uint8_t *>(buffer);
        std::lock_guard g(m_);
        buffers_.emplace_back(p, p + size);
    }
    std::vector<std::vector<uint8_t>> Buffers() const
    {
        std::lock_guard g(m_);
        return buffers_;
    }
    std::vector<uint8_t> All() const
    {
        std::vector<uint8_t> all;
        for (const auto &b : Buffers())
            all.insert(all.end(), b.begin(), b.end());
        return all;
    }
    void Clear()
    {
        std::lock_guard g(m_);
        buffers_.clear();
    }

private:
    mutable std::mutex m_;
    std::vector<std::vector<uint8_t>> buffers_;
};

// Generous: only a hang should ever reach it, also under the sanitizers on a
// busy machine.
constexpr int kWaitMs = 60000;

class PlayerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous_ = plat::SetThreadErrorHandler([this](const std::string &message) {
            onMainThread_ = onMainThread_ && QThread::currentThread() == qApp->thread();
            dev->Note("error: " + message);
        });
    }
    void TearDown() override
    {
        // Also when a test stopped early: the playback ends before the
        // streams and the records it uses go.
        player.reset();
        plat::SetThreadErrorHandler(previous_);
    }

    TStockAudioPlayer &MakePlayer(uint16_t bufferLength = 100, uint16_t bufferCount = 2)
    {
        player = std::make_unique<TStockAudioPlayer>();
        player->SetAsync(true);
        player->SetBufferLength(bufferLength);
        player->SetBufferCount(bufferCount);
        player->OnActivate = [this](plat::TObject *) { dev->Note("activate"); };
        player->OnDeactivate = [this](plat::TObject *) { dev->Note("deactivate"); };
        return *player;
    }
    // A stream that outlives every player of the test.
    template <class Stream = WavStream>
    Stream &MakeStream(const std::vector<uint8_t> &bytes)
    {
        auto s = std::make_unique<Stream>(bytes);
        Stream &ref = *s;
        streams_.push_back(std::move(s));
        return ref;
    }
    void RecordFilter(TStockAudioPlayer &p)
    {
        p.OnFilter = [this](plat::TObject *, void *buffer, uint32_t size) { heard.Add(buffer, size); };
    }

    bool WaitFor(const std::function<bool(const Lines &)> &pred)
    {
        return dev->WaitUntil(pred, kWaitMs);
    }
    bool WaitForLine(const std::string &line)
    {
        return WaitFor([&](const Lines &l) { return IndexOf(l, line) >= 0; });
    }
    // The write is recorded before the buffer is queued: wait for the buffers themselves.
    bool WaitForQueued(size_t count, int output = 0)
    {
        return dev->Await([&] { return dev->Queued(output) >= count; }, kWaitMs);
    }
    // Errors travel to the main thread as queued events.
    bool PumpUntilLine(const std::string &line)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
        while (std::chrono::steady_clock::now() < end) {
            QCoreApplication::processEvents();
            if (IndexOf(dev->Calls(), line) >= 0)
                return true;
            dev->WaitUntil([&](const Lines &l) { return IndexOf(l, line) >= 0; }, 5);
        }
        return false;
    }
    // Hands buffers back one at a time until the playback has deactivated.
    ::testing::AssertionResult PlayOut(int times = 1)
    {
        if (dev->Await(
                [&] {
                    if (Count(dev->Calls(), "deactivate") >= times)
                        return true;
                    dev->CompleteBuffer();
                    return false;
                },
                kWaitMs))
            return ::testing::AssertionSuccess();
        auto failure = ::testing::AssertionFailure() << "still playing; the last calls:";
        const Lines calls = dev->Calls();
        for (size_t i = calls.size() > 40 ? calls.size() - 40 : 0; i < calls.size(); ++i)
            failure << "\n  " << calls[i];
        return failure;
    }

    std::shared_ptr<plat::TScriptedAudioDevice> dev = std::make_shared<plat::TScriptedAudioDevice>();
    plat::TAudioDeviceScope scope{dev};
    // Declared before the player, so destroyed after it.
    std::vector<std::unique_ptr<plat::TStream>> streams_;
    Heard heard;
    std::unique_ptr<TStockAudioPlayer> player;
    plat::TThreadErrorHandler previous_;
    bool onMainThread_ = true;
};

TEST_F(PlayerTest, EventOrderIsOpenBuffersCloseDeactivate)
{
    TStockAudioPlayer &p = MakePlayer();
    auto &s = MakeStream(Wav(kFormat, 2000));
    ASSERT_TRUE(p.PlayWaveStream(&s));
    EXPECT_TRUE(p.Active());
    ASSERT_TRUE(PlayOut());
    const Lines calls = dev->Calls();
    EXPECT_EQ(Writes(calls), (std::vector<uint32_t>{800, 800, 400}));
    const int query = IndexOf(calls, "query"), open = IndexOf(calls, "open #1"),
              activate = IndexOf(calls, "activate"), firstWrite = IndexOf(calls, "write #1 800"),
              lastWrite = IndexOf(calls, "write #1 400"), close = IndexOf(calls, "close #1"),
              deactivate = IndexOf(calls, "deactivate");
    EXPECT_TRUE(query >= 0 && query < open && open < activate && activate < firstWrite);
    EXPECT_TRUE(lastWrite < close && close < deactivate);
    EXPECT_EQ(deactivate, static_cast<int>(calls.size()) - 1) << "nothing reaches the device after the close";
    EXPECT_EQ(Count(calls, "close"), 1);
    EXPECT_FALSE(p.Active());
    EXPECT_FALSE(p.DeviceOpen());
}

TEST_F(PlayerTest, PlayingWhilePlayingClosesTheOldPlaybackFirst)
{
    TStockAudioPlayer &p = MakePlayer();
    auto *first = new WavStream(Wav(kFormat, 4000), dev.get(), "first");
    ASSERT_TRUE(p.OpenWaveStream(first, soOwned));
    ASSERT_TRUE(WaitForQueued(2));
    auto &second = MakeStream(Wav(kFormat, 1000));
    ASSERT_TRUE(p.PlayWaveStream(&second));
    ASSERT_TRUE(PlayOut(2));
    const Lines calls = dev->Calls();
    const int reset = IndexOf(calls, "reset #1"), close = IndexOf(calls, "close #1"),
              freed = IndexOf(calls, "freed first"), deactivate = IndexOf(calls, "deactivate"),
              requery = IndexOf(calls, "query", close), reopen = IndexOf(calls, "open #2");
    EXPECT_TRUE(reset >= 0 && reset < close && close < freed && freed < deactivate);
    EXPECT_TRUE(deactivate < requery && requery < reopen);
    EXPECT_EQ(Writes(calls, "#2"), (std::vector<uint32_t>{800, 200}));
}

TEST_F(PlayerTest, ShortFilePlaysOnce)
{
    for (bool autoComplete : {false, true}) {
        SCOPED_TRACE(autoComplete);
        dev->ClearCalls();
        dev->SetAutoComplete(autoComplete);
        TStockAudioPlayer &p = MakePlayer();
        auto &s = MakeStream(Wav(kFormat, 300));
        ASSERT_TRUE(p.PlayWaveStream(&s));
        ASSERT_TRUE(PlayOut());
        QCoreApplication::processEvents();
        const Lines calls = dev->Calls();
        EXPECT_EQ(Writes(calls).size() + Writes(calls, "#2").size(), 1u);
        // A refill still queued behind the close must not close the device again.
        EXPECT_EQ(Count(calls, "close"), 1);
        EXPECT_EQ(Count(calls, "error"), 0);
        EXPECT_FALSE(p.Active());
    }
}

TEST_F(PlayerTest, PlaysExactlyTheDataChunkFromItsStartEachTime)
{
    dev->SetAutoComplete(true);
    TStockAudioPlayer &p = MakePlayer();
    std::vector<uint8_t> samples(1500);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<uint8_t>(i % 251);
    // A chunk after the data must not be played as sound.
    auto &s = MakeStream(Riff({FmtChunk(kFormat), DataChunk(samples), Chunk{"LIST", std::vector<uint8_t>(900, 0xEE)}}));
    RecordFilter(p);
    for (int round = 1; round <= 2; ++round) {
        heard.Clear();
        ASSERT_TRUE(p.PlayWaveStream(&s));
        ASSERT_TRUE(PlayOut(round));
        EXPECT_EQ(heard.All(), samples) << "round " << round;
    }
    EXPECT_GT(s.Position(), 0) << "the caller's stream is not rewound";
}

TEST_F(PlayerTest, RefusedBufferEndsThePlaybackAndShowsTheError)
{
    dev->SetAutoComplete(true);
    dev->FailNext(TWaveOutCall::Write, plat::MMSYSERR_NOMEM);
    TStockAudioPlayer &p = MakePlayer();
    auto &s = MakeStream(Wav(kFormat, 5000));
    ASSERT_TRUE(p.PlayWaveStream(&s));
    ASSERT_TRUE(PumpUntilLine("error: " + plat::WaveOutErrorText(plat::MMSYSERR_NOMEM)));
    ASSERT_TRUE(WaitForLine("deactivate"));
    EXPECT_TRUE(onMainThread_) << "the error is shown on the user-interface thread";
    EXPECT_FALSE(p.Active());
    EXPECT_EQ(Count(dev->Calls(), "close #1"), 1);
}

TEST_F(PlayerTest, FailedFormatQueryRaisesAndReleasesTheStream)
{
    dev->Accepts = [](const plat::WAVEFORMATEX &) { return false; };
    TStockAudioPlayer &p = MakePlayer();
    auto *s = new WavStream(Wav(kFormat, 100), dev.get(), "stream");
    try {
        p.OpenWaveStream(s, soOwned);
        ADD_FAILURE() << "no exception";
    } catch (const EWaveAudioSysError &e) {
        EXPECT_EQ(e.Message, plat::WaveOutErrorText(plat::WAVERR_BADFORMAT));
    }
    const Lines calls = dev->Calls();
    EXPECT_GE(IndexOf(calls, "freed stream"), 0);
    EXPECT_EQ(Count(calls, "open"), 0);
    EXPECT_FALSE(p.Active());
}

TEST_F(PlayerTest, StreamWithoutWaveOpensNothing)
{
    TStockAudioPlayer &p = MakePlayer();
    auto &junk = MakeStream(std::vector<uint8_t>(100, 'x'));
    EXPECT_FALSE(p.PlayWaveStream(&junk));
    auto &empty = MakeStream({});
    EXPECT_FALSE(p.PlayWaveStream(&empty));
    EXPECT_TRUE(dev->Calls().empty());
    EXPECT_FALSE(p.Active());
}

// Fails every read once the first buffer has been read.
class FailingStream : public WavStream {
public:
    using WavStream::WavStream;
    int64_t Read(void *buffer, int64_t count) override
    {
        if (Position() >= 44 + 800)
            return -1;
        return WavStream::Read(buffer, count);
    }
};

TEST_F(PlayerTest, FailingReadEndsTheData)
{
    dev->SetAutoComplete(true);
    TStockAudioPlayer &p = MakePlayer();
    auto &s = MakeStream<FailingStream>(Wav(kFormat, 4000));
    ASSERT_TRUE(p.PlayWaveStream(&s));
    ASSERT_TRUE(WaitForLine("deactivate"));
    EXPECT_EQ(Writes(dev->Calls()), (std::vector<uint32_t>{800}));
    EXPECT_FALSE(p.Active());
}

TEST_F(PlayerTest, PlayFailsWhileTheOldPlaybackCannotBeStopped)
{
    TStockAudioPlayer &p = MakePlayer();
    p.OnError = [this](plat::TObject *) { dev->Note("OnError"); };
    auto &first = MakeStream(Wav(kFormat, 2000));
    ASSERT_TRUE(p.PlayWaveStream(&first));
    ASSERT_TRUE(WaitForQueued(2));
    dev->FailNext(TWaveOutCall::Reset, plat::MMSYSERR_ERROR);
    auto &second = MakeStream(Wav(kFormat, 2000));
    EXPECT_FALSE(p.PlayWaveStream(&second));
    EXPECT_TRUE(p.Active());
    // The old playback goes on untouched to its end.
    ASSERT_TRUE(PlayOut());
    const Lines calls = dev->Calls();
    EXPECT_EQ(Writes(calls), (std::vector<uint32_t>{800, 800, 400}));
    EXPECT_EQ(Count(calls, "open"), 1);
}

TEST_F(PlayerTest, RefusedStartFreesAnOwnedStream)
{
    // The old playback cannot be stopped: with an error handler the start is
    // refused, without one the device's error is raised.
    for (const bool handled : {true, false}) {
        SCOPED_TRACE(handled ? "refused" : "raised");
        dev->ClearCalls();
        TStockAudioPlayer &p = MakePlayer();
        if (handled)
            p.OnError = [this](plat::TObject *) { dev->Note("OnError"); };
        ASSERT_TRUE(p.PlayWaveStream(&MakeStream(Wav(kFormat, 2000))));
        ASSERT_TRUE(WaitForQueued(2));
        dev->FailNext(TWaveOutCall::Reset, plat::MMSYSERR_ERROR);
        auto *second = new WavStream(Wav(kFormat, 2000), dev.get(), "second");
        if (handled)
            EXPECT_FALSE(p.OpenWaveStream(second, soOwned));
        else
            EXPECT_THROW(p.OpenWaveStream(second, soOwned), EWaveAudioSysError);
        EXPECT_GE(IndexOf(dev->Calls(), "freed second"), 0);
        EXPECT_TRUE(p.Active()) << "the old playback goes on";
        ASSERT_TRUE(PlayOut());
        EXPECT_EQ(Count(dev->Calls(), "open"), 1);
    }
}

TEST_F(PlayerTest, DestroyingWhileTheDeviceWillNotStopClosesItBeforeFreeingTheBuffers)
{
    TStockAudioPlayer &p = MakePlayer();
    ASSERT_TRUE(p.PlayWaveStream(&MakeStream(Wav(kFormat, 4000))));
    ASSERT_TRUE(WaitForQueued(2));
    // The reset fails just as the device hands both buffers back, so their
    // notices wait on the callback thread while the destructor ends it.
    dev->FailNext(TWaveOutCall::Reset, plat::MMSYSERR_ERROR);
    dev->SetBeforeCall([this](TWaveOutCall call) {
        if (call == TWaveOutCall::Reset)
            while (dev->CompleteBuffer(1)) {
            }
    });
    player.reset();
    dev->SetBeforeCall(nullptr);
    const Lines calls = dev->Calls();
    const int failed = IndexOf(calls, "reset #1 -> " + std::to_string(plat::MMSYSERR_ERROR));
    const int reset = IndexOf(calls, "reset #1", failed + 1), close = IndexOf(calls, "close #1");
    EXPECT_TRUE(failed >= 0 && failed < reset && reset < close);
    EXPECT_EQ(Count(calls, "close #1"), 1);
    EXPECT_FALSE(dev->CompleteBuffer(1)) << "closed, holding none of the freed buffers";
}

TEST_F(PlayerTest, HandlerExceptionIsShownAndPlaybackGoesOn)
{
    dev->SetAutoComplete(true);
    TStockAudioPlayer &p = MakePlayer();
    p.OnActivate = [](plat::TObject *) { throw std::runtime_error("handler failed"); };
    auto &s = MakeStream(Wav(kFormat, 1000));
    ASSERT_TRUE(p.PlayWaveStream(&s));
    ASSERT_TRUE(PumpUntilLine("error: handler failed"));
    ASSERT_TRUE(WaitForLine("deactivate"));
    EXPECT_EQ(Writes(dev->Calls()), (std::vector<uint32_t>{800, 200}));
}

TEST_F(PlayerTest, NeverMoreBuffersInTheDeviceThanItsBufferCount)
{
    // The first buffer comes back at once, before the request for the second
    // one is queued; from the second write on the device keeps what it gets.
    dev->SetAutoComplete(true);
    dev->SetBeforeCall([this](TWaveOutCall call) {
        if (call == TWaveOutCall::Write && Count(dev->Calls(), "write") == 2)
            dev->SetAutoComplete(false);
    });
    TStockAudioPlayer &p = MakePlayer();
    ASSERT_TRUE(p.PlayWaveStream(&MakeStream(Wav(kFormat, 3000))));
    ASSERT_TRUE(PlayOut());
    dev->SetBeforeCall(nullptr);
    int held = 0, most = 0;
    for (const auto &line : dev->Calls()) {
        held += line.rfind("write", 0) == 0 ? 1 : line.rfind("unprepare", 0) == 0 ? -1 : 0;
        most = std::max(most, held);
    }
    EXPECT_EQ(most, 2);
    EXPECT_EQ(Writes(dev->Calls()), (std::vector<uint32_t>{800, 800, 800, 600}));
}

TEST_F(PlayerTest, RepeatedRestartsNeverOverlapTwoPlaybacks)
{
    TStockAudioPlayer &p = MakePlayer();
    const int rounds = 25;
    for (int i = 0; i < rounds; ++i)
        ASSERT_TRUE(p.PlayWaveStream(&MakeStream(Wav(kFormat, 3000))));
    ASSERT_TRUE(PlayOut(rounds));
    const Lines calls = dev->Calls();
    for (int k = 1; k < rounds; ++k) {
        SCOPED_TRACE(k);
        const int close = IndexOf(calls, "close #" + std::to_string(k));
        const int next = IndexOf(calls, "open #" + std::to_string(k + 1));
        EXPECT_TRUE(close >= 0 && close < next);
    }
    EXPECT_FALSE(p.Active());
}

TEST_F(PlayerTest, DestroyingWhilePlayingClosesWithoutDeactivation)
{
    TStockAudioPlayer &p = MakePlayer();
    auto &s = MakeStream(Wav(kFormat, 4000));
    ASSERT_TRUE(p.PlayWaveStream(&s));
    ASSERT_TRUE(WaitForQueued(2));
    player.reset();
    const Lines calls = dev->Calls();
    EXPECT_EQ(Count(calls, "close #1"), 1);
    EXPECT_EQ(Count(calls, "deactivate"), 0);
}

TEST_F(PlayerTest, CloseWithQueuedBuffersReturnsAtOnce)
{
    TStockAudioPlayer &p = MakePlayer();
    auto &s = MakeStream(Wav(kFormat, 4000));
    ASSERT_TRUE(p.PlayWaveStream(&s));
    ASSERT_TRUE(WaitForQueued(2));
    EXPECT_TRUE(p.Close());
    ASSERT_TRUE(WaitForLine("deactivate"));
    EXPECT_FALSE(p.Active());
    EXPECT_THROW(p.Close(), EWaveAudioInvalidOperation);
}

TEST_F(PlayerTest, StateRulesOfTheDevice)
{
    TStockAudioPlayer &p = MakePlayer();
    p.SetBufferLength(5);
    EXPECT_EQ(p.BufferLength(), 10);
    try {
        p.Close();
        ADD_FAILURE();
    } catch (const EWaveAudioInvalidOperation &e) {
        EXPECT_EQ(e.Message, "Device is aleardy close");
    }
    try {
        p.PlayStockItem(0);
        ADD_FAILURE();
    } catch (const EWaveAudioInvalidOperation &e) {
        EXPECT_EQ(e.Message, "Stock property is not assigned");
    }
    p.SetActive(false); // its current value: nothing happens
    auto &s = MakeStream(Wav(kFormat, 4000));
    ASSERT_TRUE(p.PlayWaveStream(&s));
    p.SetAsync(false);
    EXPECT_TRUE(p.Async()) << "ignored while active";
    try {
        p.Open();
        ADD_FAILURE();
    } catch (const EWaveAudioInvalidOperation &e) {
        EXPECT_EQ(e.Message, "Device is aleardy open");
    }
    p.SetActive(true); // already active: nothing happens, no stock needed
    p.SetActive(false);
    ASSERT_TRUE(WaitForLine("deactivate"));
}

class OneStreamStock : public TCustomWaveStorage {
public:
    explicit OneStreamStock(const std::vector<uint8_t> &bytes) : stream_(bytes) {}
    plat::TStream *GetWaveStream(int) override { return &stream_; }

private:
    WavStream stream_;
};

TEST_F(PlayerTest, StockItemPlaysAndAFreedStockIsForgotten)
{
    dev->SetAutoComplete(true);
    TStockAudioPlayer &p = MakePlayer();
    auto *stock = new OneStreamStock(Wav(kFormat, 500));
    p.SetStock(stock);
    p.SetActive(true);
    ASSERT_TRUE(WaitForLine("deactivate"));
    EXPECT_EQ(Writes(dev->Calls()), (std::vector<uint32_t>{500}));
    delete stock;
    EXPECT_EQ(p.Stock(), nullptr);
}

TEST_F(PlayerTest, PauseBeforeOpenStartsThePlaybackPaused)
{
    TStockAudioPlayer &p = MakePlayer();
    p.SetPaused(true);
    EXPECT_TRUE(p.Paused());
    auto &s = MakeStream(Wav(kFormat, 1000));
    ASSERT_TRUE(p.PlayWaveStream(&s));
    ASSERT_TRUE(WaitForLine("pause #1"));
    const Lines calls = dev->Calls();
    EXPECT_LT(IndexOf(calls, "open #1"), IndexOf(calls, "pause #1"));
    EXPECT_TRUE(p.Paused());
    EXPECT_TRUE(p.Resume());
    EXPECT_FALSE(p.Paused());
    ASSERT_TRUE(PlayOut());
}

TEST_F(PlayerTest, SettingsReachTheDeviceOnlyThroughOptions)
{
    dev->Support = plat::WAVECAPS_VOLUME | plat::WAVECAPS_PITCH;
    TStockAudioPlayer *fw = CreateFWItemPlayer(nullptr);
    player.reset(fw);
    fw->OnDeactivate = [this](plat::TObject *) { dev->Note("deactivate"); };
    EXPECT_EQ(fw->VolumeLeft(), 100) << "idle: the stored value";
    auto &s = MakeStream(Wav(kFormat, 40000));
    ASSERT_TRUE(fw->PlayWaveStream(&s));
    ASSERT_TRUE(WaitForQueued(3));
    fw->SetPitch(1.5);
    fw->SetVolumeRight(50);
    EXPECT_EQ(Count(dev->Calls(), "set"), 0) << "Options empty: stored, never sent";

    // A device with one volume for both sides gets their mean.
    fw->SetVolumeLeft(100);
    fw->SetOptions(woSetVolume | woSetPitch);
    const Lines calls = dev->Calls();
    EXPECT_GE(IndexOf(calls, "set volume #1 0xBFFFBFFF"), 0);
    EXPECT_GE(IndexOf(calls, "set pitch #1 0x00018000"), 0);
    EXPECT_DOUBLE_EQ(fw->Pitch(), 1.5);
    // The data have all been queued: stopping still cuts the sound short.
    fw->SetActive(false);
    ASSERT_TRUE(WaitForLine("deactivate"));
    EXPECT_GE(IndexOf(dev->Calls(), "reset #1"), 0);
    EXPECT_EQ(TWaveAudioOut::ToFixed(1.0), 0x00010000u);
    EXPECT_EQ(TWaveAudioOut::ToFixed(1.5), 0x00018000u);
    EXPECT_DOUBLE_EQ(TWaveAudioOut::FromFixed(0x00024000u), 2.25);
}

TEST_F(PlayerTest, TheProgramsThreePlayers)
{
    plat::TComponent owner;
    TStockAudioPlayer *main = CreateStockAudioPlayer1(&owner);
    TStockAudioPlayer *fw = CreateFWItemPlayer(&owner);
    TStockAudioPlayer *fv = CreateFVItemPlayer(&owner);
    EXPECT_EQ(owner.FindComponent("StockAudioPlayer1"), main);
    EXPECT_EQ(owner.FindComponent("FWItemPlayer"), fw);
    EXPECT_EQ(owner.FindComponent("FVItemPlayer"), fv);
    for (TStockAudioPlayer *p : {main, fw, fv}) {
        EXPECT_TRUE(p->Async());
        EXPECT_EQ(p->BufferLength(), 2000);
        EXPECT_EQ(p->Options(), 0u);
    }
    EXPECT_EQ(main->BufferCount(), 2);
    EXPECT_EQ(main->VolumeLeft(), 75);
    EXPECT_EQ(fw->BufferCount(), 4);
    EXPECT_EQ(fv->BufferCount(), 4);
    EXPECT_EQ(fv->VolumeRight(), 100);
    EXPECT_TRUE(static_cast<bool>(fv->OnActivate));
    EXPECT_FALSE(static_cast<bool>(fw->OnActivate));
}

TEST_F(PlayerTest, MainAndSubtestPlayersPlayAtTheSameTime)
{
    const plat::WAVEFORMATEX f = Pcm(1, 8000, 8);
    auto &a = MakeStream(Wav(f, 40000));
    auto &b = MakeStream(Wav(f, 40000));
    plat::TComponent owner; // its players go with it, before the streams
    TStockAudioPlayer *main = CreateStockAudioPlayer1(&owner);
    TStockAudioPlayer *fw = CreateFWItemPlayer(&owner);
    ASSERT_TRUE(main->PlayWaveStream(&a));
    ASSERT_TRUE(fw->PlayWaveStream(&b));
    ASSERT_TRUE(WaitFor([](const Lines &l) { return Writes(l, "#1").size() == 2 && Writes(l, "#2").size() == 3; }));
    EXPECT_TRUE(main->Active());
    EXPECT_TRUE(fw->Active());
    EXPECT_EQ(Writes(dev->Calls(), "#2")[0], 16000u) << "2000 ms buffers";
}

TEST_F(PlayerTest, WindowChannelDeliversOnTheCreatingThread)
{
    dev->SetAutoComplete(true);
    TStockAudioPlayer &p = MakePlayer();
    p.SetAsync(false);
    bool mainThread = true;
    p.OnDeactivate = [&](plat::TObject *) {
        mainThread = QThread::currentThread() == qApp->thread();
        dev->Note("deactivate");
    };
    auto &s = MakeStream(Wav(kFormat, 1000));
    ASSERT_TRUE(p.PlayWaveStream(&s));
    ASSERT_TRUE(PumpUntilLine("deactivate"));
    EXPECT_TRUE(mainThread);
    EXPECT_EQ(Writes(dev->Calls()), (std::vector<uint32_t>{800, 200}));
    EXPECT_FALSE(p.Active());
}

} // namespace

namespace {

TEST_F(PlayerTest, PositionFollowsThePlayedBytesAndSeeks)
{
    TStockAudioPlayer &p = MakePlayer();
    RecordFilter(p);
    const auto wav = Wav(kFormat, 4000);
    auto &s = MakeStream(wav);
    EXPECT_EQ(p.Position(), 0u);
    ASSERT_TRUE(p.PlayWaveStream(&s));
    ASSERT_TRUE(WaitForQueued(2));
    ASSERT_TRUE(dev->CompleteBuffer());
    EXPECT_EQ(p.Position(), 100u) << "one 800-byte buffer at 8000 bytes a second";

    // The queued buffers come back and the refills read from 300 ms on,
    // whether the refill of the buffer played above ran before the seek or
    // after it: the two buffers queued after the reset hold 300-400 and
    // 400-500 ms.
    p.SetPosition(300);
    ASSERT_TRUE(WaitForQueued(2));
    EXPECT_EQ(p.Position(), 300u);
    ASSERT_TRUE(dev->CompleteBuffer());
    EXPECT_EQ(p.Position(), 400u);
    const auto buffers = heard.Buffers();
    ASSERT_GE(buffers.size(), 4u);
    const auto expected = [&](size_t from) {
        return std::vector<uint8_t>(wav.begin() + 44 + static_cast<long>(from), wav.begin() + 44 + static_cast<long>(from) + 800);
    };
    EXPECT_EQ(buffers[buffers.size() - 2], expected(2400));
    EXPECT_EQ(buffers[buffers.size() - 1], expected(3200));
    p.SetActive(false);
    ASSERT_TRUE(WaitForLine("deactivate"));
    EXPECT_EQ(p.Position(), 0u);
}

TEST_F(PlayerTest, DeviceFormatsAndPresets)
{
    TStockAudioPlayer &p = MakePlayer();
    const TWaveDeviceFormats all = p.GetDeviceFormats();
    EXPECT_EQ(all, 0xFFFFu) << "presets 1-16; 48000 Hz is never listed";
    dev->Accepts = [](const plat::WAVEFORMATEX &f) { return f.nSamplesPerSec == 8000; };
    EXPECT_TRUE(p.IsPresetSupported(4));
    EXPECT_FALSE(p.IsPresetSupported(5));
    EXPECT_FALSE(p.IsPresetSupported(21));
    EXPECT_EQ(p.GetDeviceName(), "Scripted audio output");
    EXPECT_EQ(p.GetNumDevs(), 1u);
}

} // namespace
