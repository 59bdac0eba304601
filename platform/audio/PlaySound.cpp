#include "platform/audio/PlaySound.h"
#include "platform/audio/WaveOut.h"
#include "platform/core/Threads.h"

#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

namespace plat {

namespace {

uint32_t Le32(const uint8_t *p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

struct WaveImage {
    WAVEFORMATEX format{};
    const uint8_t *data = nullptr;
    uint32_t size = 0;
};

// The "fmt " and "data" chunks of a RIFF/WAVE image, all within its length.
bool ParseImage(const uint8_t *p, size_t size, WaveImage &out)
{
    if (size < 12 || std::memcmp(p, "RIFF", 4) != 0 || std::memcmp(p + 8, "WAVE", 4) != 0)
        return false;
    const size_t end = std::min<size_t>(size, 8 + static_cast<size_t>(Le32(p + 4)));
    bool haveFormat = false;
    size_t pos = 12;
    while (pos + 8 <= end) {
        const uint32_t len = Le32(p + pos + 4);
        const size_t body = pos + 8;
        if (len > end - body)
            return false;
        if (std::memcmp(p + pos, "fmt ", 4) == 0) {
            if (len < 16)
                return false;
            std::memcpy(&out.format, p + body, 16);
            out.format.cbSize = 0;
            haveFormat = true;
        } else if (std::memcmp(p + pos, "data", 4) == 0) {
            out.data = p + body;
            out.size = len;
            return haveFormat;
        }
        pos = body + len + (len & 1);
    }
    return false;
}

// One sound's playback; another thread stops it through stop and current.
struct Session {
    std::mutex m;
    HWAVEOUT current = 0;
    bool stop = false;
};

// Plays the image to its end or until the session is stopped.
bool PlayImage(const WaveImage &img, Session &s)
{
    TEvent notified(false, false);
    HWAVEOUT h = 0;
    if (waveOutOpen(&h, WAVE_MAPPER, &img.format, reinterpret_cast<uintptr_t>(&notified), 0, CALLBACK_EVENT))
        return false;
    notified.ResetEvent(); // the open notification
    {
        std::lock_guard g(s.m);
        if (s.stop) {
            waveOutClose(h);
            return false;
        }
        s.current = h;
    }
    WAVEHDR hdr{};
    hdr.lpData = const_cast<char *>(reinterpret_cast<const char *>(img.data));
    hdr.dwBufferLength = img.size;
    const bool ok = waveOutPrepareHeader(h, &hdr, sizeof hdr) == MMSYSERR_NOERROR &&
                    waveOutWrite(h, &hdr, sizeof hdr) == MMSYSERR_NOERROR;
    if (ok) {
        {
            // A stop that came between publishing the handle and the write
            // found nothing to reset.
            std::lock_guard g(s.m);
            if (s.stop)
                waveOutReset(h);
        }
        notified.Wait(INFINITE); // the buffer is done: played out or reset
    }
    bool stopped;
    {
        std::lock_guard g(s.m);
        s.current = 0;
        stopped = s.stop;
    }
    // Played out, the close lets what the device may still hold be heard;
    // only a stopped sound is cut.
    if (stopped || !ok)
        waveOutReset(h);
    waveOutUnprepareHeader(h, &hdr, sizeof hdr);
    waveOutClose(h);
    return ok;
}

class SoundPlayer {
public:
    ~SoundPlayer() { Stop(); }

    bool Play(const uint8_t *p, size_t size, uint32_t flags)
    {
        Stop();
        WaveImage img;
        if (!ParseImage(p, size, img))
            return false;
        if (!(flags & SND_ASYNC)) {
            Session local;
            return PlayImage(img, local);
        }
        // The caller's memory need not outlive the call: the sound keeps a copy.
        auto copy = std::make_shared<std::vector<uint8_t>>(p, p + size);
        WaveImage own;
        ParseImage(copy->data(), copy->size(), own);
        auto session = std::make_shared<Session>();
        std::lock_guard g(m_);
        session_ = session;
        worker_ = std::thread([copy, own, session] { PlayImage(own, *session); });
        return true;
    }

    void Stop()
    {
        std::thread t;
        std::shared_ptr<Session> s;
        {
            std::lock_guard g(m_);
            t = std::move(worker_);
            s = std::move(session_);
        }
        if (s) {
            std::lock_guard g(s->m);
            s->stop = true;
            if (s->current)
                waveOutReset(s->current);
        }
        if (t.joinable())
            t.join();
    }

private:
    std::mutex m_;
    std::thread worker_;
    std::shared_ptr<Session> session_;
};

SoundPlayer &Sounds()
{
    static SoundPlayer player;
    return player;
}

} // namespace

bool PlaySoundMemory(const void *image, size_t size, uint32_t flags)
{
    if (!image || (flags & SND_PURGE)) {
        Sounds().Stop();
        return true;
    }
    return Sounds().Play(static_cast<const uint8_t *>(image), size, flags);
}

bool PlaySoundA(const void *sound, uintptr_t, uint32_t flags)
{
    if (!sound)
        return PlaySoundMemory(nullptr, 0, flags);
    if (!(flags & SND_MEMORY))
        return false;
    const auto *p = static_cast<const uint8_t *>(sound);
    if (std::memcmp(p, "RIFF", 4) != 0)
        return false;
    return PlaySoundMemory(sound, 8 + static_cast<size_t>(Le32(p + 4)), flags);
}

} // namespace plat
