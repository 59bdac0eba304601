// Audio figures, run by hand: the latency from PlayWaveStream to the first
// buffer reaching the device, and how evenly the null device paces buffers.
// Each device is measured where it opens: the null device always, ALSA only
// when a sound card is there.
#include "audio/StockAudioPlayer.h"
#include "platform/audio/AudioDevice.h"
#include "platform/audio/WaveOut.h"
#include "platform/core/Threads.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

using namespace plat;
using Clock = std::chrono::steady_clock;

namespace {

// Passes everything to the real device and notes when an output is first
// handed a buffer.
class Timed final : public TAudioDevice {
public:
    explicit Timed(std::shared_ptr<TAudioDevice> inner) : inner_(std::move(inner)) {}
    WAVEOUTCAPS Caps() override { return inner_->Caps(); }
    MMRESULT Query(const WAVEFORMATEX &f) override { return inner_->Query(f); }
    MMRESULT Open(const WAVEFORMATEX &f, HWAVEOUT h, TAudioQueue &q, std::unique_ptr<TAudioOutput> &out) override
    {
        std::unique_ptr<TAudioOutput> real;
        const MMRESULT r = inner_->Open(f, h, q, real);
        if (r == MMSYSERR_NOERROR)
            out = std::make_unique<Output>(std::move(real), *this);
        return r;
    }
    std::atomic<int64_t> firstBufferNs{0};

private:
    struct Output final : TAudioOutput {
        Output(std::unique_ptr<TAudioOutput> r, Timed &t) : real(std::move(r)), timed(t) {}
        void Kick() override
        {
            int64_t none = 0;
            timed.firstBufferNs.compare_exchange_strong(none, Clock::now().time_since_epoch().count());
            real->Kick();
        }
        void Pause() override { real->Pause(); }
        void Restart() override { real->Restart(); }
        void Reset() override { real->Reset(); }
        uint64_t PlayedBytes() override { return real->PlayedBytes(); }
        void SetVolume(uint32_t v) override { real->SetVolume(v); }
        void Close() override { real->Close(); }
        std::unique_ptr<TAudioOutput> real;
        Timed &timed;
    };
    std::shared_ptr<TAudioDevice> inner_;
};

void Latency(const char *name, std::shared_ptr<TAudioDevice> device)
{
    auto timed = std::make_shared<Timed>(device);
    TAudioDeviceScope scope(timed);
    TComponent owner;
    TStockAudioPlayer *player = CreateFWItemPlayer(&owner);
    TEvent idle(true, false);
    player->OnDeactivate = [&](TObject *) { idle.SetEvent(); };
    TResourceStream prompt("WAV", "FWAI01A");
    std::vector<double> ms;
    for (int i = 0; i < 50; ++i) {
        timed->firstBufferNs = 0;
        idle.ResetEvent();
        const int64_t start = Clock::now().time_since_epoch().count();
        if (!player->PlayWaveStream(&prompt)) {
            std::printf("%s: the device did not open\n", name);
            return;
        }
        while (timed->firstBufferNs == 0)
            std::this_thread::yield();
        ms.push_back((timed->firstBufferNs - start) / 1e6);
        player->SetActive(false);
        WaitForSyncObject(idle, 5000);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%s: PlayWaveStream to first buffer over %zu runs: median %.3f ms, 95%% %.3f ms, max %.3f ms\n", name,
                ms.size(), ms[ms.size() / 2], ms[ms.size() * 95 / 100], ms.back());
}

void Pacing()
{
    TAudioDeviceScope scope(MakeNullAudioDevice());
    WAVEFORMATEX f{};
    SetPCMFormat(f, TPCMChannel::cMono, TPCMSamplesPerSec::ss22050Hz, TPCMBitsPerSample::bs16Bit);
    // Every finished buffer posts a message to this thread, and the queue
    // keeps each one: an auto-reset event folds two buffers that finish
    // before this thread runs into one wake-up, and the last wait never ends.
    TMsg msg;
    PeekMessage(msg, false); // this thread's queue exists from here on
    HWAVEOUT h = 0;
    if (waveOutOpen(&h, WAVE_MAPPER, &f, GetCurrentThreadId(), 0, CALLBACK_THREAD) != MMSYSERR_NOERROR) {
        std::printf("null device pacing: the device did not open\n");
        return;
    }
    const int buffers = 100; // 100 ms each: a 10 s stream
    const uint32_t bytes = MsToBytes(f, 100);
    std::vector<std::vector<char>> data(buffers, std::vector<char>(bytes));
    std::vector<WAVEHDR> hdr(buffers);
    const auto start = Clock::now();
    for (int i = 0; i < buffers; ++i) {
        hdr[i].lpData = data[i].data();
        hdr[i].dwBufferLength = bytes;
        waveOutPrepareHeader(h, &hdr[i], sizeof(WAVEHDR));
        waveOutWrite(h, &hdr[i], sizeof(WAVEHDR));
    }
    double worst = 0, last = 0;
    for (int i = 0; i < buffers;) {
        if (!GetMessage(msg))
            break;
        if (msg.message != MM_WOM_DONE)
            continue;
        ++i;
        const double at = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        const double error = at - 100.0 * i;
        worst = std::max(worst, std::fabs(error));
        last = error;
    }
    for (auto &x : hdr)
        waveOutUnprepareHeader(h, &x, sizeof(WAVEHDR));
    waveOutClose(h);
    std::printf("null device pacing over 10 s (100 buffers of 100 ms): end %.3f ms late, worst buffer %.3f ms off "
                "(%.4f%% of the stream)\n",
                last, worst, std::fabs(last) / 100.0);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    Latency("null device", MakeNullAudioDevice());
    if (auto alsa = MakeAlsaAudioDevice())
        Latency("ALSA default", alsa);
    else
        std::printf("ALSA default: no sound card, not measured\n");
    Pacing();
    return 0;
}
