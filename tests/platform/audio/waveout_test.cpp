// The wave-out stand-in: notification order, header states, and the devices
// behind it (scripted and null).
#include "platform/audio/AudioDeviceScripted.h"
#include "platform/audio/WaveOut.h"
#include "platform/core/Threads.h"
#include "tests/audio/WavBuilder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

using namespace plat;

namespace {

// A thread that collects the notifications posted to its queue.
class Collector {
public:
    Collector()
    {
        thread_ = std::thread([this] {
            TMsg m;
            PeekMessage(m, false);
            id_ = GetCurrentThreadId();
            ready_.SetEvent();
            while (GetMessage(m)) {
                std::lock_guard g(mu_);
                got_.push_back(m.message == MM_WOM_DONE ? "done " + std::to_string(m.lParam)
                               : m.message == MM_WOM_OPEN ? "open" : m.message == MM_WOM_CLOSE ? "close" : "?");
            }
        });
        ready_.Wait(INFINITE);
    }
    ~Collector()
    {
        PostThreadMessage(id_, WM_QUIT, 0, 0);
        thread_.join();
    }
    TThreadID Id() const { return id_; }
    std::vector<std::string> WaitFor(size_t n)
    {
        for (int i = 0; i < 5000; ++i) {
            {
                std::lock_guard g(mu_);
                if (got_.size() >= n)
                    return got_;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        std::lock_guard g(mu_);
        return got_;
    }

private:
    std::thread thread_;
    TEvent ready_{true, false};
    std::atomic<TThreadID> id_{0};
    std::mutex mu_;
    std::vector<std::string> got_;
};

std::string Done(const WAVEHDR &h) { return "done " + std::to_string(reinterpret_cast<intptr_t>(&h)); }

} // namespace

TEST(WaveOut, NotificationsComeInOrderAndHeadersFollowTheirStates)
{
    auto dev = std::make_shared<TScriptedAudioDevice>();
    TAudioDeviceScope scope(dev);
    Collector c;
    const WAVEFORMATEX f = wavtest::Pcm(1, 8000, 16);
    HWAVEOUT h = 0;
    ASSERT_EQ(waveOutOpen(&h, WAVE_MAPPER, &f, c.Id(), 0, CALLBACK_THREAD), MMSYSERR_NOERROR);
    std::vector<char> data(400);
    WAVEHDR a{}, b{};
    a.lpData = b.lpData = data.data();
    a.dwBufferLength = b.dwBufferLength = 400;
    EXPECT_EQ(waveOutWrite(h, &a, sizeof a), WAVERR_UNPREPARED);
    ASSERT_EQ(waveOutPrepareHeader(h, &a, sizeof a), MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutPrepareHeader(h, &b, sizeof b), MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutWrite(h, &a, sizeof a), MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutWrite(h, &b, sizeof b), MMSYSERR_NOERROR);
    EXPECT_TRUE(a.dwFlags & WHDR_INQUEUE);
    EXPECT_EQ(waveOutUnprepareHeader(h, &a, sizeof a), WAVERR_STILLPLAYING);
    EXPECT_EQ(waveOutClose(h), WAVERR_STILLPLAYING);

    ASSERT_TRUE(dev->CompleteBuffer());
    MMTIME t{};
    t.wType = TIME_MS;
    ASSERT_EQ(waveOutGetPosition(h, &t, sizeof t), MMSYSERR_NOERROR);
    EXPECT_EQ(t.wType, static_cast<uint32_t>(TIME_MS));
    t.wType = TIME_SMPTE;
    ASSERT_EQ(waveOutGetPosition(h, &t, sizeof t), MMSYSERR_NOERROR);
    EXPECT_EQ(t.wType, static_cast<uint32_t>(TIME_BYTES)) << "what the device cannot give comes as bytes";

    ASSERT_EQ(waveOutReset(h), MMSYSERR_NOERROR); // b comes back unplayed
    EXPECT_TRUE(b.dwFlags & WHDR_DONE);
    EXPECT_FALSE(b.dwFlags & WHDR_INQUEUE);
    ASSERT_EQ(waveOutUnprepareHeader(h, &a, sizeof a), MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutUnprepareHeader(h, &b, sizeof b), MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutClose(h), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutClose(h), MMSYSERR_INVALHANDLE) << "a handle is closed once";
    EXPECT_EQ(c.WaitFor(4), (std::vector<std::string>{"open", Done(a), Done(b), "close"}));
}

TEST(WaveOut, QueryErrorsAndErrorTexts)
{
    auto dev = std::make_shared<TScriptedAudioDevice>();
    TAudioDeviceScope scope(dev);
    WAVEFORMATEX bad = wavtest::Pcm(1, 8000, 16);
    bad.wFormatTag = 2;
    EXPECT_EQ(waveOutOpen(nullptr, WAVE_MAPPER, &bad, 0, 0, WAVE_FORMAT_QUERY), WAVERR_BADFORMAT);
    const WAVEFORMATEX good = wavtest::Pcm(2, 44100, 16);
    EXPECT_EQ(waveOutOpen(nullptr, WAVE_MAPPER, &good, 0, 0, WAVE_FORMAT_QUERY), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutOpen(nullptr, 7, &good, 0, 0, WAVE_FORMAT_QUERY), MMSYSERR_BADDEVICEID);
    dev->FailNext(TWaveOutCall::Query, MMSYSERR_NODRIVER);
    EXPECT_EQ(waveOutOpen(nullptr, WAVE_MAPPER, &good, 0, 0, WAVE_FORMAT_QUERY), MMSYSERR_NODRIVER);

    char text[256];
    EXPECT_EQ(waveOutGetErrorText(WAVERR_BADFORMAT, text, sizeof text), MMSYSERR_NOERROR);
    EXPECT_STRNE(text, "");
    EXPECT_EQ(waveOutGetErrorText(12345, text, sizeof text), MMSYSERR_BADERRNUM);
    EXPECT_STREQ(text, "");
    char small[8];
    waveOutGetErrorText(WAVERR_BADFORMAT, small, sizeof small);
    EXPECT_EQ(std::strlen(small), 7u);
}

TEST(WaveOut, NullDeviceHandsBuffersBackAtTheByteRate)
{
    TAudioDeviceScope scope(MakeNullAudioDevice());
    const WAVEFORMATEX f = wavtest::Pcm(1, 8000, 8); // 8 bytes a ms
    TEvent notified(false, false);
    HWAVEOUT h = 0;
    ASSERT_EQ(waveOutOpen(&h, WAVE_MAPPER, &f, reinterpret_cast<uintptr_t>(&notified), 0, CALLBACK_EVENT),
              MMSYSERR_NOERROR);
    notified.ResetEvent();
    std::vector<char> data(800); // 100 ms
    WAVEHDR hdr{};
    hdr.lpData = data.data();
    hdr.dwBufferLength = 800;
    waveOutPrepareHeader(h, &hdr, sizeof hdr);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(waveOutWrite(h, &hdr, sizeof hdr), MMSYSERR_NOERROR);
    ASSERT_EQ(notified.Wait(2000), WAIT_OBJECT_0);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    // Never before the buffer's 100 ms have passed; a busy machine may hand it
    // back later, which the event wait above already bounds.
    EXPECT_GE(ms, 99);
    MMTIME t{};
    t.wType = TIME_BYTES;
    waveOutGetPosition(h, &t, sizeof t);
    EXPECT_EQ(t.u.cb, 800u);
    waveOutUnprepareHeader(h, &hdr, sizeof hdr);
    EXPECT_EQ(waveOutClose(h), MMSYSERR_NOERROR);
}
