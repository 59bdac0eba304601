#include "platform/AudioDevice.h"

#include <alsa/asoundlib.h>
#include <algorithm>
#include <cstring>
#include <chrono>
#include <condition_variable>
#include <thread>
#include <vector>

namespace plat {

namespace {

// alsa-lib reports every failed open on standard error; a missing sound card
// is an expected state here.
void QuietAlsa(const char *, int, const char *, int, const char *, ...) {}

snd_pcm_t *OpenDefault()
{
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(QuietAlsa); });
    snd_pcm_t *pcm = nullptr;
    if (snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0)
        return nullptr;
    return pcm;
}

// Feeds ALSA without blocking while the queue's lock is held, and waits for
// room without it, so that reset, pause and close are never held up by the
// sound card.
class AlsaOutput final : public TAudioOutput {
public:
    AlsaOutput(TAudioQueue &q, snd_pcm_t *pcm, const WAVEFORMATEX &f)
        : q_(q), pcm_(pcm), frameBytes_(f.nBlockAlign), bits_(f.wBitsPerSample)
    {
        worker_ = std::thread([this] { Run(); });
    }
    ~AlsaOutput() override
    {
        if (worker_.joinable())
            Close();
    }

    void Kick() override { cv_.notify_all(); }
    void Pause() override { paused_ = true; cv_.notify_all(); }
    void Restart() override { paused_ = false; cv_.notify_all(); }
    void Reset() override
    {
        drop_ = true;
        written_ = 0;
        cv_.notify_all();
    }
    uint64_t PlayedBytes() override
    {
        snd_pcm_sframes_t delay = 0;
        if (snd_pcm_delay(pcm_, &delay) < 0 || delay < 0)
            delay = 0;
        const uint64_t held = static_cast<uint64_t>(delay) * frameBytes_;
        return written_ > held ? written_ - held : 0;
    }
    void SetVolume(uint32_t volume) override
    {
        left_ = volume & 0xFFFF;
        right_ = volume >> 16;
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
        if (pcm_) {
            // What ALSA still holds is the tail of the last buffer: let it play.
            snd_pcm_nonblock(pcm_, 0);
            if (!drop_)
                snd_pcm_drain(pcm_);
            snd_pcm_close(pcm_);
            pcm_ = nullptr;
        }
    }

private:
    void Scale(const uint8_t *src, uint32_t bytes)
    {
        scratch_.assign(src, src + bytes);
        if (left_ == 0xFFFF && right_ == 0xFFFF)
            return;
        const bool stereo = frameBytes_ == 2 * (bits_ / 8);
        if (bits_ == 16) {
            for (uint32_t i = 0; i + 1 < bytes; i += 2) {
                const uint32_t v = stereo && (i / 2) % 2 ? right_ : left_;
                int16_t s;
                std::memcpy(&s, &scratch_[i], 2);
                s = static_cast<int16_t>(s * static_cast<int32_t>(v) / 0xFFFF);
                std::memcpy(&scratch_[i], &s, 2);
            }
        } else {
            for (uint32_t i = 0; i < bytes; ++i) {
                const uint32_t v = stereo && i % 2 ? right_ : left_;
                scratch_[i] = static_cast<uint8_t>(128 + (scratch_[i] - 128) * static_cast<int32_t>(v) / 0xFFFF);
            }
        }
    }

    void Run()
    {
        std::unique_lock lk(q_.Mutex());
        while (!stop_) {
            if (drop_) {
                snd_pcm_drop(pcm_);
                snd_pcm_prepare(pcm_);
                drop_ = false;
            }
            const uint8_t *data;
            uint32_t n;
            if (paused_ || !q_.Front(data, n)) {
                cv_.wait_for(lk, std::chrono::milliseconds(50));
                continue;
            }
            const uint32_t frames = n / frameBytes_;
            if (frames == 0) {
                q_.Consume(n); // a partial frame cannot be played
                continue;
            }
            snd_pcm_sframes_t avail = snd_pcm_avail_update(pcm_);
            if (avail < 0) {
                if (snd_pcm_recover(pcm_, static_cast<int>(avail), 1) < 0)
                    cv_.wait_for(lk, std::chrono::milliseconds(20));
                continue;
            }
            if (avail == 0) {
                lk.unlock();
                snd_pcm_wait(pcm_, 20);
                lk.lock();
                continue;
            }
            const uint32_t count = std::min<uint32_t>(frames, static_cast<uint32_t>(avail));
            Scale(data, count * frameBytes_);
            const snd_pcm_sframes_t w = snd_pcm_writei(pcm_, scratch_.data(), count);
            if (w < 0) {
                if (snd_pcm_recover(pcm_, static_cast<int>(w), 1) < 0)
                    cv_.wait_for(lk, std::chrono::milliseconds(20));
                continue;
            }
            written_ += static_cast<uint64_t>(w) * frameBytes_;
            q_.Consume(static_cast<uint32_t>(w) * frameBytes_);
        }
    }

    TAudioQueue &q_;
    snd_pcm_t *pcm_;
    const uint32_t frameBytes_;
    const uint16_t bits_;
    std::condition_variable_any cv_;
    std::thread worker_;
    std::vector<uint8_t> scratch_;
    bool stop_ = false, paused_ = false, drop_ = false;
    uint64_t written_ = 0;
    uint32_t left_ = 0xFFFF, right_ = 0xFFFF;
};

class AlsaDevice final : public TAudioDevice {
public:
    WAVEOUTCAPS Caps() override
    {
        return MakeCaps("ALSA default", WAVECAPS_VOLUME | WAVECAPS_LRVOLUME | WAVECAPS_SAMPLEACCURATE);
    }

    MMRESULT Open(const WAVEFORMATEX &f, HWAVEOUT, TAudioQueue &queue,
                  std::unique_ptr<TAudioOutput> &output) override
    {
        snd_pcm_t *pcm = OpenDefault();
        if (!pcm)
            return MMSYSERR_ALLOCATED;
        const snd_pcm_format_t fmt = f.wBitsPerSample == 8 ? SND_PCM_FORMAT_U8 : SND_PCM_FORMAT_S16_LE;
        if (snd_pcm_set_params(pcm, fmt, SND_PCM_ACCESS_RW_INTERLEAVED, f.nChannels, f.nSamplesPerSec, 1,
                               100000) < 0) {
            snd_pcm_close(pcm);
            return WAVERR_BADFORMAT;
        }
        output = std::make_unique<AlsaOutput>(queue, pcm, f);
        return MMSYSERR_NOERROR;
    }
};

} // namespace

std::shared_ptr<TAudioDevice> MakeAlsaAudioDevice()
{
    snd_pcm_t *pcm = OpenDefault();
    if (!pcm)
        return nullptr;
    snd_pcm_close(pcm);
    return std::make_shared<AlsaDevice>();
}

} // namespace plat
