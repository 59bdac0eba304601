#include "platform/audio/WaveOut.h"
#include "platform/audio/AudioDevice.h"
#include "platform/core/Threads.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <map>

namespace plat {

namespace {

struct WaveOutHandle final : TAudioQueue {
    HWAVEOUT id = 0;
    std::shared_ptr<TAudioDevice> device;
    std::unique_ptr<TAudioOutput> output;
    WAVEFORMATEX format{};
    uint32_t callbackKind = CALLBACK_NULL;
    uintptr_t callback = 0;

    std::recursive_mutex m;
    std::deque<WAVEHDR *> queue;
    uint32_t frontOffset = 0;
    uint32_t loopsLeft = 0;
    bool paused = false;
    uint32_t volume = 0xFFFFFFFFu;
    uint32_t pitch = 0x10000;
    uint32_t rate = 0x10000;

    std::recursive_mutex &Mutex() override { return m; }

    bool Front(const uint8_t *&data, uint32_t &count) override
    {
        if (queue.empty())
            return false;
        WAVEHDR *h = queue.front();
        data = reinterpret_cast<const uint8_t *>(h->lpData) + frontOffset;
        count = h->dwBufferLength - frontOffset;
        return true;
    }

    void Consume(uint32_t count) override
    {
        if (queue.empty())
            return;
        WAVEHDR *h = queue.front();
        frontOffset = std::min(h->dwBufferLength, frontOffset + count);
        if (frontOffset < h->dwBufferLength)
            return;
        frontOffset = 0;
        if (loopsLeft > 1) {
            --loopsLeft;
            return;
        }
        queue.pop_front();
        Done(h);
        StartFront();
    }

    bool Peek(uint64_t skip, const uint8_t *&data, uint32_t &count) override
    {
        for (size_t i = 0; i < queue.size(); ++i) {
            const WAVEHDR *h = queue[i];
            const uint32_t len = h->dwBufferLength;
            const auto *base = reinterpret_cast<const uint8_t *>(h->lpData);
            if (i == 0) {
                const uint32_t rest = len - frontOffset;
                if (skip < rest) {
                    data = base + frontOffset + skip;
                    count = static_cast<uint32_t>(rest - skip);
                    return true;
                }
                skip -= rest;
            }
            const uint64_t repeats = i == 0 ? loopsLeft - 1 : LoopsOf(h);
            if (len == 0 || repeats == 0)
                continue;
            if (skip < repeats * len) {
                const uint32_t at = static_cast<uint32_t>(skip % len);
                data = base + at;
                count = len - at;
                return true;
            }
            skip -= repeats * len;
        }
        return false;
    }

    size_t Pending() override { return queue.size(); }

    static uint32_t LoopsOf(const WAVEHDR *h)
    {
        return (h->dwFlags & WHDR_BEGINLOOP) && (h->dwFlags & WHDR_ENDLOOP) && h->dwLoops > 1 ? h->dwLoops : 1;
    }

    void StartFront()
    {
        frontOffset = 0;
        loopsLeft = queue.empty() ? 1 : LoopsOf(queue.front());
    }

    void Done(WAVEHDR *h)
    {
        h->dwFlags = (h->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
        Notify(MM_WOM_DONE, h);
    }

    void Notify(uint32_t message, WAVEHDR *h) const
    {
        switch (callbackKind) {
        case CALLBACK_THREAD:
            PostThreadMessage(static_cast<TThreadID>(callback), message, id, reinterpret_cast<intptr_t>(h));
            break;
        case CALLBACK_WINDOW:
            PostMessage(static_cast<HWND>(callback), message, id, reinterpret_cast<intptr_t>(h));
            break;
        case CALLBACK_EVENT:
            reinterpret_cast<TEvent *>(callback)->SetEvent();
            break;
        default:
            break;
        }
    }
};

struct HandleRegistry {
    std::mutex m;
    std::map<HWAVEOUT, std::shared_ptr<WaveOutHandle>> open;
    HWAVEOUT next = 1;
};
HandleRegistry &Handles()
{
    static auto *r = new HandleRegistry;
    return *r;
}

std::shared_ptr<WaveOutHandle> Find(HWAVEOUT h)
{
    auto &r = Handles();
    std::lock_guard g(r.m);
    const auto it = r.open.find(h);
    return it == r.open.end() ? nullptr : it->second;
}

// Looks the handle up and lets its device veto the call.
MMRESULT Enter(HWAVEOUT h, TWaveOutCall call, uint32_t argument, std::shared_ptr<WaveOutHandle> &out)
{
    out = Find(h);
    if (!out)
        return MMSYSERR_INVALHANDLE;
    return out->device->Intercept(call, h, argument);
}

struct ErrorText {
    MMRESULT code;
    const char *text;
};
constexpr ErrorText kErrorTexts[] = {
    {MMSYSERR_NOERROR, "The command completed without an error."},
    {MMSYSERR_ERROR, "An unspecified error occurred in the audio output."},
    {MMSYSERR_BADDEVICEID, "The audio output device number is out of range."},
    {MMSYSERR_NOTENABLED, "The audio driver could not be enabled."},
    {MMSYSERR_ALLOCATED, "The audio output device is in use by another program."},
    {MMSYSERR_INVALHANDLE, "The audio output handle is not valid."},
    {MMSYSERR_NODRIVER, "There is no audio output driver installed."},
    {MMSYSERR_NOMEM, "There is not enough memory for the audio output."},
    {MMSYSERR_NOTSUPPORTED, "The audio output device does not support this function."},
    {MMSYSERR_BADERRNUM, "The error number is not defined."},
    {MMSYSERR_INVALFLAG, "An invalid flag was passed to the audio output."},
    {MMSYSERR_INVALPARAM, "An invalid parameter was passed to the audio output."},
    {WAVERR_BADFORMAT, "The audio output device cannot play this wave format."},
    {WAVERR_STILLPLAYING, "The audio output device is still playing."},
    {WAVERR_UNPREPARED, "The wave header has not been prepared."},
    {WAVERR_SYNC, "The audio output device is synchronous and cannot do this."},
};

MMRESULT CheckHeader(const WAVEHDR *header, uint32_t size)
{
    if (!header || size < sizeof(WAVEHDR))
        return MMSYSERR_INVALPARAM;
    return MMSYSERR_NOERROR;
}

} // namespace

std::string WaveOutErrorText(MMRESULT error)
{
    for (const auto &e : kErrorTexts)
        if (e.code == error)
            return e.text;
    return {};
}

MMRESULT waveOutGetErrorText(MMRESULT error, char *text, uint32_t size)
{
    if (!text || size == 0)
        return MMSYSERR_INVALPARAM;
    const std::string s = WaveOutErrorText(error);
    const size_t n = std::min<size_t>(s.size(), size - 1);
    std::memcpy(text, s.data(), n);
    text[n] = 0;
    return s.empty() ? MMSYSERR_BADERRNUM : MMSYSERR_NOERROR;
}

uint32_t waveOutGetNumDevs() { return 1; }

MMRESULT waveOutGetDevCaps(uintptr_t deviceId, WAVEOUTCAPS *caps, uint32_t size)
{
    if (!caps || size < sizeof(WAVEOUTCAPS))
        return MMSYSERR_INVALPARAM;
    std::shared_ptr<TAudioDevice> device;
    if (deviceId == WAVE_MAPPER || deviceId == 0) {
        device = CurrentAudioDevice();
    } else if (const auto h = Find(deviceId)) {
        device = h->device; // an open handle names its own device
    } else {
        return MMSYSERR_BADDEVICEID;
    }
    *caps = device->Caps();
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutOpen(HWAVEOUT *handle, uint32_t deviceId, const WAVEFORMATEX *format, uintptr_t callback,
                     uintptr_t instance, uint32_t flags)
{
    (void)instance;
    if (!format)
        return MMSYSERR_INVALPARAM;
    if (deviceId != WAVE_MAPPER && deviceId != 0)
        return MMSYSERR_BADDEVICEID;
    const std::shared_ptr<TAudioDevice> device = CurrentAudioDevice();
    if (flags & WAVE_FORMAT_QUERY) {
        if (const MMRESULT r = device->Intercept(TWaveOutCall::Query, 0, 0))
            return r;
        return device->Query(*format);
    }
    if (!handle)
        return MMSYSERR_INVALPARAM;
    const uint32_t kind = flags & CALLBACK_TYPEMASK;
    if (kind != CALLBACK_NULL && kind != CALLBACK_THREAD && kind != CALLBACK_WINDOW && kind != CALLBACK_EVENT)
        return MMSYSERR_INVALFLAG;
    if (kind != CALLBACK_NULL && callback == 0)
        return MMSYSERR_INVALPARAM;
    if (const MMRESULT r = device->Query(*format))
        return r;

    auto h = std::make_shared<WaveOutHandle>();
    {
        auto &r = Handles();
        std::lock_guard g(r.m);
        h->id = r.next++;
    }
    h->device = device;
    h->format = *format;
    h->callbackKind = kind;
    h->callback = callback;
    if (const MMRESULT r = device->Intercept(TWaveOutCall::Open, h->id, 0))
        return r;
    {
        std::lock_guard g(h->m);
        if (const MMRESULT r = device->Open(*format, h->id, *h, h->output))
            return r;
    }
    {
        auto &r = Handles();
        std::lock_guard g(r.m);
        r.open[h->id] = h;
    }
    *handle = h->id;
    h->Notify(MM_WOM_OPEN, nullptr);
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutClose(HWAVEOUT handle)
{
    std::shared_ptr<WaveOutHandle> h;
    if (const MMRESULT r = Enter(handle, TWaveOutCall::Close, 0, h))
        return r;
    {
        std::lock_guard g(h->m);
        if (!h->queue.empty())
            return WAVERR_STILLPLAYING;
        auto &r = Handles();
        std::lock_guard g2(r.m);
        if (r.open.erase(handle) == 0)
            return MMSYSERR_INVALHANDLE; // closed meanwhile by another thread
    }
    h->output->Close();
    h->Notify(MM_WOM_CLOSE, nullptr);
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutPrepareHeader(HWAVEOUT handle, WAVEHDR *header, uint32_t size)
{
    std::shared_ptr<WaveOutHandle> h;
    if (const MMRESULT r = CheckHeader(header, size))
        return r;
    if (const MMRESULT r = Enter(handle, TWaveOutCall::Prepare, size, h))
        return r;
    std::lock_guard g(h->m);
    if (!header->lpData && header->dwBufferLength > 0)
        return MMSYSERR_INVALPARAM;
    header->dwFlags |= WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutUnprepareHeader(HWAVEOUT handle, WAVEHDR *header, uint32_t size)
{
    std::shared_ptr<WaveOutHandle> h;
    if (const MMRESULT r = CheckHeader(header, size))
        return r;
    if (const MMRESULT r = Enter(handle, TWaveOutCall::Unprepare, size, h))
        return r;
    std::lock_guard g(h->m);
    if (header->dwFlags & WHDR_INQUEUE)
        return WAVERR_STILLPLAYING;
    header->dwFlags &= ~WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutWrite(HWAVEOUT handle, WAVEHDR *header, uint32_t size)
{
    std::shared_ptr<WaveOutHandle> h;
    if (const MMRESULT r = CheckHeader(header, size))
        return r;
    if (const MMRESULT r = Enter(handle, TWaveOutCall::Write, header->dwBufferLength, h))
        return r;
    std::lock_guard g(h->m);
    if (!(header->dwFlags & WHDR_PREPARED))
        return WAVERR_UNPREPARED;
    if (header->dwFlags & WHDR_INQUEUE)
        return WAVERR_STILLPLAYING;
    header->dwFlags = (header->dwFlags & ~WHDR_DONE) | WHDR_INQUEUE;
    h->queue.push_back(header);
    if (h->queue.size() == 1)
        h->StartFront();
    if (header->dwBufferLength == 0 && h->queue.size() == 1) {
        h->Consume(0); // nothing to play: done at once
        return MMSYSERR_NOERROR;
    }
    h->output->Kick();
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutReset(HWAVEOUT handle)
{
    std::shared_ptr<WaveOutHandle> h;
    if (const MMRESULT r = Enter(handle, TWaveOutCall::Reset, 0, h))
        return r;
    std::lock_guard g(h->m);
    while (!h->queue.empty()) {
        WAVEHDR *hdr = h->queue.front();
        h->queue.pop_front();
        h->Done(hdr);
    }
    h->StartFront();
    h->paused = false;
    h->output->Reset();
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutPause(HWAVEOUT handle)
{
    std::shared_ptr<WaveOutHandle> h;
    if (const MMRESULT r = Enter(handle, TWaveOutCall::Pause, 0, h))
        return r;
    std::lock_guard g(h->m);
    if (!h->paused) {
        h->paused = true;
        h->output->Pause();
    }
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutRestart(HWAVEOUT handle)
{
    std::shared_ptr<WaveOutHandle> h;
    if (const MMRESULT r = Enter(handle, TWaveOutCall::Restart, 0, h))
        return r;
    std::lock_guard g(h->m);
    if (h->paused) {
        h->paused = false;
        h->output->Restart();
    }
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutGetPosition(HWAVEOUT handle, MMTIME *time, uint32_t size)
{
    if (!time || size < sizeof(MMTIME))
        return MMSYSERR_INVALPARAM;
    std::shared_ptr<WaveOutHandle> h;
    if (const MMRESULT r = Enter(handle, TWaveOutCall::GetPosition, time->wType, h))
        return r;
    std::lock_guard g(h->m);
    const uint64_t bytes = h->output->PlayedBytes();
    const WAVEFORMATEX &f = h->format;
    switch (time->wType) {
    case TIME_MS:
        time->u.ms = f.nAvgBytesPerSec ? static_cast<uint32_t>(bytes * 1000 / f.nAvgBytesPerSec) : 0;
        break;
    case TIME_SAMPLES:
        time->u.sample = f.nBlockAlign ? static_cast<uint32_t>(bytes / f.nBlockAlign) : 0;
        break;
    default: // what the device cannot give comes back as bytes, as drivers do
        time->wType = TIME_BYTES;
        time->u.cb = static_cast<uint32_t>(bytes);
        break;
    }
    return MMSYSERR_NOERROR;
}

namespace {

// The value calls: each needs the capability bit, and stores what it sets.
MMRESULT GetValue(HWAVEOUT handle, TWaveOutCall call, uint32_t capability, uint32_t WaveOutHandle::*field,
                  uint32_t *value)
{
    if (!value)
        return MMSYSERR_INVALPARAM;
    std::shared_ptr<WaveOutHandle> h;
    if (const MMRESULT r = Enter(handle, call, 0, h))
        return r;
    if (!(h->device->Caps().dwSupport & capability))
        return MMSYSERR_NOTSUPPORTED;
    std::lock_guard g(h->m);
    *value = (*h).*field;
    return MMSYSERR_NOERROR;
}

MMRESULT SetValue(HWAVEOUT handle, TWaveOutCall call, uint32_t capability, uint32_t WaveOutHandle::*field,
                  uint32_t value)
{
    std::shared_ptr<WaveOutHandle> h;
    if (const MMRESULT r = Enter(handle, call, value, h))
        return r;
    const uint32_t support = h->device->Caps().dwSupport;
    if (!(support & capability))
        return MMSYSERR_NOTSUPPORTED;
    std::lock_guard g(h->m);
    if (call == TWaveOutCall::SetVolume && !(support & WAVECAPS_LRVOLUME))
        value = (value & 0xFFFF) | ((value & 0xFFFF) << 16); // one volume: the left word serves both
    (*h).*field = value;
    if (call == TWaveOutCall::SetVolume)
        h->output->SetVolume(value);
    return MMSYSERR_NOERROR;
}

} // namespace

MMRESULT waveOutGetVolume(HWAVEOUT handle, uint32_t *volume)
{
    return GetValue(handle, TWaveOutCall::GetVolume, WAVECAPS_VOLUME, &WaveOutHandle::volume, volume);
}

MMRESULT waveOutSetVolume(HWAVEOUT handle, uint32_t volume)
{
    return SetValue(handle, TWaveOutCall::SetVolume, WAVECAPS_VOLUME, &WaveOutHandle::volume, volume);
}

MMRESULT waveOutGetPitch(HWAVEOUT handle, uint32_t *pitch)
{
    return GetValue(handle, TWaveOutCall::GetPitch, WAVECAPS_PITCH, &WaveOutHandle::pitch, pitch);
}

MMRESULT waveOutSetPitch(HWAVEOUT handle, uint32_t pitch)
{
    return SetValue(handle, TWaveOutCall::SetPitch, WAVECAPS_PITCH, &WaveOutHandle::pitch, pitch);
}

MMRESULT waveOutGetPlaybackRate(HWAVEOUT handle, uint32_t *rate)
{
    return GetValue(handle, TWaveOutCall::GetPlaybackRate, WAVECAPS_PLAYBACKRATE, &WaveOutHandle::rate, rate);
}

MMRESULT waveOutSetPlaybackRate(HWAVEOUT handle, uint32_t rate)
{
    return SetValue(handle, TWaveOutCall::SetPlaybackRate, WAVECAPS_PLAYBACKRATE, &WaveOutHandle::rate, rate);
}

} // namespace plat
