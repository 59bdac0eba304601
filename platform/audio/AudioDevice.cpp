#include "platform/audio/AudioDevice.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace plat {

const char *WaveOutCallName(TWaveOutCall call)
{
    switch (call) {
    case TWaveOutCall::Query: return "query";
    case TWaveOutCall::Open: return "open";
    case TWaveOutCall::Close: return "close";
    case TWaveOutCall::Prepare: return "prepare";
    case TWaveOutCall::Unprepare: return "unprepare";
    case TWaveOutCall::Write: return "write";
    case TWaveOutCall::Reset: return "reset";
    case TWaveOutCall::Pause: return "pause";
    case TWaveOutCall::Restart: return "restart";
    case TWaveOutCall::GetPosition: return "position";
    case TWaveOutCall::GetVolume: return "get volume";
    case TWaveOutCall::SetVolume: return "set volume";
    case TWaveOutCall::GetPitch: return "get pitch";
    case TWaveOutCall::SetPitch: return "set pitch";
    case TWaveOutCall::GetPlaybackRate: return "get rate";
    case TWaveOutCall::SetPlaybackRate: return "set rate";
    }
    return "?";
}

bool IsPlayablePcm(const WAVEFORMATEX &f)
{
    if (f.wFormatTag != WAVE_FORMAT_PCM || f.nChannels < 1 || f.nChannels > 2)
        return false;
    if (f.wBitsPerSample != 8 && f.wBitsPerSample != 16)
        return false;
    if (f.nSamplesPerSec < 1000 || f.nSamplesPerSec > 192000)
        return false;
    return f.nBlockAlign == f.nChannels * f.wBitsPerSample / 8 && f.nAvgBytesPerSec == f.nBlockAlign * f.nSamplesPerSec;
}

MMRESULT TAudioDevice::Query(const WAVEFORMATEX &format)
{
    return IsPlayablePcm(format) ? MMSYSERR_NOERROR : WAVERR_BADFORMAT;
}

MMRESULT TAudioDevice::Intercept(TWaveOutCall, HWAVEOUT, uint32_t) { return MMSYSERR_NOERROR; }

WAVEOUTCAPS MakeCaps(const char *name, uint32_t support)
{
    WAVEOUTCAPS c{};
    std::strncpy(c.szPname, name, sizeof(c.szPname) - 1);
    c.dwFormats = 0xFFF;
    c.wChannels = 2;
    c.dwSupport = support;
    return c;
}

namespace {

// Hands buffers back at the byte rate on the monotonic clock. The device's
// clock runs while it has data and is not paused; after a gap it goes on from
// where it stopped rather than catching up.
class NullOutput final : public TAudioOutput {
public:
    NullOutput(TAudioQueue &q, uint32_t byteRate) : q_(q), rate_(byteRate ? byteRate : 1)
    {
        worker_ = std::thread([this] { Run(); });
    }
    ~NullOutput() override
    {
        if (worker_.joinable())
            Close();
    }

    void Kick() override { cv_.notify_all(); }
    void Pause() override { paused_ = true; cv_.notify_all(); }
    void Restart() override { paused_ = false; cv_.notify_all(); }
    void Reset() override
    {
        played_ = 0;
        running_ = false;
        cv_.notify_all();
    }

    uint64_t PlayedBytes() override
    {
        const uint8_t *data;
        uint32_t n;
        if (!running_ || paused_ || !q_.Front(data, n))
            return played_;
        const uint64_t elapsed = ToBytes(Clock::now() - base_);
        return std::clamp<uint64_t>(elapsed, played_, played_ + n);
    }

    void Close() override
    {
        {
            std::lock_guard g(q_.Mutex());
            stop_ = true;
        }
        cv_.notify_all();
        if (worker_.joinable())
            worker_.join();
    }

private:
    using Clock = std::chrono::steady_clock;

    Clock::duration ToDuration(uint64_t bytes) const
    {
        return std::chrono::duration_cast<Clock::duration>(std::chrono::nanoseconds(
            static_cast<int64_t>(static_cast<long double>(bytes) * 1e9L / rate_)));
    }
    uint64_t ToBytes(Clock::duration d) const
    {
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(d).count();
        return ns <= 0 ? 0 : static_cast<uint64_t>(static_cast<long double>(ns) * rate_ / 1e9L);
    }

    void Run()
    {
        std::unique_lock lk(q_.Mutex());
        while (!stop_) {
            const uint8_t *data;
            uint32_t n;
            if (paused_ || !q_.Front(data, n)) {
                running_ = false;
                cv_.wait(lk);
                continue;
            }
            const auto now = Clock::now();
            if (!running_) {
                base_ = now - ToDuration(played_);
                running_ = true;
            }
            const auto due = base_ + ToDuration(played_ + n);
            if (now >= due) {
                played_ += n;
                q_.Consume(n);
                continue;
            }
            cv_.wait_until(lk, due);
        }
    }

    TAudioQueue &q_;
    const uint32_t rate_;
    std::condition_variable_any cv_;
    std::thread worker_;
    bool stop_ = false;
    bool paused_ = false;
    bool running_ = false;
    uint64_t played_ = 0;
    Clock::time_point base_{};
};

class NullDevice final : public TAudioDevice {
public:
    WAVEOUTCAPS Caps() override
    {
        return MakeCaps("Null audio output", WAVECAPS_VOLUME | WAVECAPS_LRVOLUME | WAVECAPS_SAMPLEACCURATE);
    }
    MMRESULT Open(const WAVEFORMATEX &format, HWAVEOUT, TAudioQueue &queue,
                  std::unique_ptr<TAudioOutput> &output) override
    {
        output = std::make_unique<NullOutput>(queue, format.nAvgBytesPerSec);
        return MMSYSERR_NOERROR;
    }
};

struct Selection {
    std::mutex m;
    std::shared_ptr<TAudioDevice> override;
    std::shared_ptr<TAudioDevice> automatic;
};
Selection &Devices()
{
    static auto *s = new Selection;
    return *s;
}

std::shared_ptr<TAudioDevice> ChooseAutomatic()
{
    const char *env = std::getenv("ZIBOR_AUDIO");
    const std::string want = env ? env : "";
    if (want == "null")
        return MakeNullAudioDevice();
    if (auto alsa = MakeAlsaAudioDevice())
        return alsa;
    return MakeNullAudioDevice();
}

} // namespace

std::shared_ptr<TAudioDevice> MakeNullAudioDevice() { return std::make_shared<NullDevice>(); }

std::shared_ptr<TAudioDevice> CurrentAudioDevice()
{
    auto &s = Devices();
    std::lock_guard g(s.m);
    if (s.override)
        return s.override;
    if (!s.automatic)
        s.automatic = ChooseAutomatic();
    return s.automatic;
}

std::shared_ptr<TAudioDevice> SetAudioDevice(std::shared_ptr<TAudioDevice> device)
{
    auto &s = Devices();
    std::lock_guard g(s.m);
    std::swap(s.override, device);
    return device;
}

} // namespace plat
