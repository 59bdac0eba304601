#include "platform/audio/AudioDevice.h"

#include <alsa/asoundlib.h>
#include <algorithm>
#include <cstring>
#include <chrono>
#include <condition_variable>
#include <thread>
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>
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
        : q_(q), pcm_(pcm), frameBytes_(f.nBlockAlign), bits_(f.wBitsPerSample), rate_(f.nSamplesPerSec ? f.nSamplesPerSec : 1)
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
        written_ = sent_ = handed_ = 0;
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

    // Under load a normal thread can miss its turn for longer than ALSA's
    // buffer lasts; where the system lets it, the writer runs ahead of the
    // ordinary threads (it sleeps between writes, so it takes little).
    static void RaisePriority()
    {
        sched_param p{};
        p.sched_priority = std::max(1, sched_get_priority_min(SCHED_FIFO));
        if (pthread_setschedparam(pthread_self(), SCHED_FIFO, &p) != 0)
            (void)setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), -10);
    }

    uint64_t HeldBytes()
    {
        snd_pcm_sframes_t delay = 0;
        if (snd_pcm_delay(pcm_, &delay) < 0 || delay < 0)
            delay = 0;
        return std::min<uint64_t>(static_cast<uint64_t>(delay) * frameBytes_, sent_ - handed_);
    }

    // A buffer is done once ALSA has played it, not once it is written:
    // whoever waits for it may close the output next.
    // A sound server may go on reporting a few milliseconds held once all
    // is played; what was written is taken as played too once the delay
    // reported at its last write has passed (and a little more).
    void HandBackPlayed(bool allWritten)
    {
        uint64_t played = sent_ - HeldBytes();
        if (allWritten && sent_ > handed_ && Clock::now() >= playedBy_)
            played = sent_;
        const uint8_t *data;
        uint32_t n;
        while (q_.Front(data, n)) {
            if (n > 0 && handed_ >= played)
                break;
            const uint32_t c = static_cast<uint32_t>(std::min<uint64_t>(n, played - handed_));
            handed_ += c;
            q_.Consume(c);
        }
    }

    void Run()
    {
        RaisePriority();
        std::unique_lock lk(q_.Mutex());
        while (!stop_) {
            if (drop_) {
                snd_pcm_drop(pcm_);
                snd_pcm_prepare(pcm_);
                drop_ = false;
            }
            const uint8_t *data;
            uint32_t n;
            HandBackPlayed(!paused_ && !q_.Peek(sent_ - handed_, data, n));
            if (paused_ || !q_.Peek(sent_ - handed_, data, n)) {
                if (paused_ || sent_ == handed_) {
                    cv_.wait_for(lk, std::chrono::milliseconds(50));
                    continue;
                }
                // All is written; a sound shorter than the start threshold
                // has to be started by hand. Then wait for the rest to play.
                if (snd_pcm_state(pcm_) == SND_PCM_STATE_PREPARED)
                    snd_pcm_start(pcm_);
                cv_.wait_for(lk, std::chrono::milliseconds(5));
                continue;
            }
            const uint32_t frames = n / frameBytes_;
            if (frames == 0) {
                sent_ += n; // a partial frame cannot be played
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
            sent_ += static_cast<uint64_t>(w) * frameBytes_;
            playedBy_ = Clock::now() + std::chrono::milliseconds(20) +
                        std::chrono::microseconds(HeldBytes() / frameBytes_ * 1000000 / rate_);
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
    // Bytes taken from the queue (written, or skipped as a partial frame)
    // and bytes handed back as played, both since the last reset.
    uint64_t sent_ = 0, handed_ = 0;
    using Clock = std::chrono::steady_clock;
    Clock::time_point playedBy_{};
    const uint32_t rate_;
    uint32_t left_ = 0xFFFF, right_ = 0xFFFF;
};

// A quarter second in ALSA's buffer rides out a writer that is kept from
// running for a while; playback starts after the first period, so a sound
// still starts within a few milliseconds of its write.
bool Configure(snd_pcm_t *pcm, const WAVEFORMATEX &f)
{
    snd_pcm_hw_params_t *hw;
    snd_pcm_hw_params_alloca(&hw);
    if (snd_pcm_hw_params_any(pcm, hw) < 0 || snd_pcm_hw_params_set_rate_resample(pcm, hw, 1) < 0 ||
        snd_pcm_hw_params_set_access(pcm, hw, SND_PCM_ACCESS_RW_INTERLEAVED) < 0 ||
        snd_pcm_hw_params_set_format(pcm, hw, f.wBitsPerSample == 8 ? SND_PCM_FORMAT_U8 : SND_PCM_FORMAT_S16_LE) <
            0 ||
        snd_pcm_hw_params_set_channels(pcm, hw, f.nChannels) < 0 ||
        snd_pcm_hw_params_set_rate(pcm, hw, f.nSamplesPerSec, 0) < 0)
        return false;
    unsigned buffer = 250000, period = 10000;
    int dir = 0;
    snd_pcm_hw_params_set_buffer_time_near(pcm, hw, &buffer, &dir); // as near as the device offers
    dir = 0;
    snd_pcm_hw_params_set_period_time_near(pcm, hw, &period, &dir);
    if (snd_pcm_hw_params(pcm, hw) < 0)
        return false;
    snd_pcm_uframes_t periodFrames = 0;
    snd_pcm_hw_params_get_period_size(hw, &periodFrames, &dir);
    snd_pcm_sw_params_t *sw;
    snd_pcm_sw_params_alloca(&sw);
    return snd_pcm_sw_params_current(pcm, sw) >= 0 &&
           snd_pcm_sw_params_set_start_threshold(pcm, sw, std::max<snd_pcm_uframes_t>(1, periodFrames)) >= 0 &&
           snd_pcm_sw_params_set_avail_min(pcm, sw, std::max<snd_pcm_uframes_t>(1, periodFrames)) >= 0 &&
           snd_pcm_sw_params(pcm, sw) >= 0;
}

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
        if (!Configure(pcm, f)) {
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
