#include "audio/WaveAudioOut.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <exception>

using namespace plat;

TWaveAudioOut::TWaveAudioOut(TComponent *owner) : TWaveAudioIO(owner) {}

TWaveAudioOut::~TWaveAudioOut() { Shutdown(); }

uint32_t TWaveAudioOut::ToFixed(double value)
{
    const double whole = std::floor(value);
    const auto frac = static_cast<uint32_t>((value - whole) * 65536.0);
    return (static_cast<uint32_t>(whole) << 16) | (frac & 0xFFFF);
}

double TWaveAudioOut::FromFixed(uint32_t value)
{
    double r = value >> 16;
    for (int bit = 15; bit >= 0; --bit)
        if (value & (1u << bit))
            r += std::ldexp(1.0, bit - 16);
    return r;
}

uint32_t TWaveAudioOut::Support()
{
    WAVEOUTCAPS caps{};
    const uintptr_t id = handle_ ? handle_.load() : DeviceID();
    if (waveOutGetDevCaps(id, &caps, sizeof caps) != MMSYSERR_NOERROR)
        return 0;
    return caps.dwSupport;
}

uint32_t TWaveAudioOut::GetNumDevs() { return waveOutGetNumDevs(); }

std::string TWaveAudioOut::GetDeviceName()
{
    WAVEOUTCAPS caps{};
    if (waveOutGetDevCaps(DeviceID(), &caps, sizeof caps) != MMSYSERR_NOERROR)
        return {};
    return std::string(caps.szPname, strnlen(caps.szPname, sizeof caps.szPname));
}

TWaveDeviceFormats TWaveAudioOut::GetDeviceFormats()
{
    TWaveDeviceFormats formats = 0xF; // 8000 Hz: presets 1-4, always
    WAVEOUTCAPS caps{};
    if (waveOutGetDevCaps(DeviceID(), &caps, sizeof caps) == MMSYSERR_NOERROR) {
        // Presets 5-16 follow the driver's 11025/22050/44100 Hz flags in
        // the same order (mono 8, stereo 8, mono 16, stereo 16).
        for (int p = 5; p <= 16; ++p)
            if (caps.dwFormats & (1u << (p - 5)))
                formats |= 1u << (p - 1);
    }
    return formats;
}

uint32_t TWaveAudioOut::GetPosition()
{
    const uint32_t start = startPosition_;
    if (!DeviceOpen())
        return start;
    MMTIME t{};
    t.wType = TIME_MS;
    if (waveOutGetPosition(handle_, &t, sizeof t) != MMSYSERR_NOERROR)
        return start;
    const WAVEFORMATEX &f = WaveFormat();
    switch (t.wType) {
    case TIME_MS:
        return start + t.u.ms;
    case TIME_SAMPLES:
        return f.nSamplesPerSec ? start + static_cast<uint32_t>(uint64_t(t.u.sample) * 1000 / f.nSamplesPerSec) : start;
    case TIME_BYTES:
        return f.nAvgBytesPerSec ? start + static_cast<uint32_t>(uint64_t(t.u.cb) * 1000 / f.nAvgBytesPerSec) : start;
    case TIME_SMPTE:
        return start + (t.u.smpte.hour * 3600u + t.u.smpte.min * 60u + t.u.smpte.sec) * 1000u;
    default:
        return start;
    }
}

std::string TWaveAudioOut::GetErrorText(MMRESULT code)
{
    char text[256];
    if (waveOutGetErrorText(code, text, sizeof text) != MMSYSERR_NOERROR)
        return {};
    return text;
}

MMRESULT TWaveAudioOut::ValidateDeviceID(uint32_t id)
{
    WAVEOUTCAPS caps{};
    return waveOutGetDevCaps(id, &caps, sizeof caps);
}

bool TWaveAudioOut::IsFormatSupported(const WAVEFORMATEX &format)
{
    return waveOutOpen(nullptr, DeviceID(), &format, 0, 0, WAVE_FORMAT_QUERY) == MMSYSERR_NOERROR;
}

bool TWaveAudioOut::Open()
{
    if (opening_)
        return false;
    if (GetActive())
        throw EWaveAudioInvalidOperation("Device is aleardy open");
    // Also lets the previous callback thread end before a new one starts.
    WaitWhileClosing();
    TLock lock(lock_);
    opening_ = true;
    opener_ = GetCurrentThreadId();
    WAVEFORMATEX *format = nullptr;
    bool freeIt = false;
    bool result = false;
    const auto finish = [&] {
        if (freeIt)
            std::free(format);
        opening_ = false;
        opener_ = 0;
    };
    try {
        // Without a format there is nothing to play: a failed open, and the
        // device query is never reached.
        if (GetWaveFormat(format, freeIt) && format &&
            SetLastResult(waveOutOpen(nullptr, DeviceID(), format, 0, 0, WAVE_FORMAT_QUERY))) {
            std::memcpy(&waveFormat_, format, 16);
            waveFormat_.cbSize = 0;
            closeIssued_ = false;
            stopRequested_ = false;
            try {
                CreateCallback();
                HWAVEOUT h = 0;
                const MMRESULT r = waveOutOpen(&h, DeviceID(), format, callback_, reinterpret_cast<uintptr_t>(this),
                                               callbackKind_);
                lastResult_ = r;
                if (r == MMSYSERR_NOERROR) {
                    handle_ = h;
                    result = true;
                } else {
                    DestroyCallback();
                }
            } catch (const std::exception &) {
                DestroyCallback();
                result = false;
            }
        }
    } catch (...) {
        finish();
        throw;
    }
    finish();
    return result;
}

bool TWaveAudioOut::Close()
{
    if (stopRequested_)
        return false;
    if (opening_)
        WaitWhileOpening();
    if (!GetActive())
        throw EWaveAudioInvalidOperation("Device is aleardy close");
    TLock lock(lock_);
    if (stopRequested_ || closeIssued_)
        return false;
    // The closing flag is also set when the data have ended while the last
    // buffers still play; a stop then still cuts them short.
    const bool dataEnded = closing_;
    closing_ = true;
    stopRequested_ = true;
    const MMRESULT r = waveOutReset(handle_);
    if (r != MMSYSERR_NOERROR) {
        closing_ = dataEnded;
        stopRequested_ = false;
        SetLastResult(r);
        return false;
    }
    if (!headers_.empty())
        return true; // the returned buffers are freed by the refill, which then closes
    CloseDevice();
    return lastResult_ == MMSYSERR_NOERROR;
}

void TWaveAudioOut::CloseDevice()
{
    if (closeIssued_ || !handle_)
        return;
    const MMRESULT r = waveOutClose(handle_);
    closeIssued_ = r == MMSYSERR_NOERROR;
    SetLastResult(r);
}

bool TWaveAudioOut::ReclaimBuffers()
{
    if (!handle_ || closeIssued_) {
        handle_ = 0;
        return true; // a device that took the close held no buffer
    }
    // Errors are not raised here: this runs in a destructor.
    if (waveOutReset(handle_) != MMSYSERR_NOERROR)
        return false;
    for (WAVEHDR *h : headers_)
        if (h->dwFlags & WHDR_PREPARED)
            waveOutUnprepareHeader(handle_, h, sizeof(WAVEHDR));
    if (!closeIssued_ && waveOutClose(handle_) == MMSYSERR_NOERROR)
        closeIssued_ = true;
    handle_ = 0;
    return true; // after the reset the device holds none of them
}

bool TWaveAudioOut::Pause()
{
    if (paused_)
        return false;
    TLock lock(lock_);
    if (DeviceOpen() && !SetLastResult(waveOutPause(handle_)))
        return false;
    paused_ = true;
    DoPause();
    return true;
}

bool TWaveAudioOut::Resume()
{
    if (!paused_)
        return false;
    TLock lock(lock_);
    if (DeviceOpen() && !SetLastResult(waveOutRestart(handle_)))
        return false;
    paused_ = false;
    DoResume();
    return true;
}

void TWaveAudioOut::SetPosition(uint32_t ms)
{
    TLock lock(lock_);
    startPosition_ = ms;
    if (!DeviceOpen())
        return;
    SetLastResult(waveOutReset(handle_));
    if (paused_)
        paused_ = waveOutPause(handle_) == MMSYSERR_NOERROR;
}

// ---- volume, pitch, rate ------------------------------------------------------------

bool TWaveAudioOut::GetVolume(int &left, int &right)
{
    if (!DeviceOpen())
        return false;
    const uint32_t support = Support();
    if (!(support & WAVECAPS_VOLUME))
        return false;
    uint32_t v = 0;
    if (!SetLastResult(waveOutGetVolume(handle_, &v)))
        return false;
    left = MulDiv(static_cast<int32_t>(v & 0xFFFF), 100, 65535);
    right = support & WAVECAPS_LRVOLUME ? MulDiv(static_cast<int32_t>(v >> 16), 100, 65535) : left;
    return true;
}

bool TWaveAudioOut::SetVolume(int &left, int &right)
{
    if (!(options_ & woSetVolume) || !DeviceOpen())
        return false;
    const uint32_t support = Support();
    if (!(support & WAVECAPS_VOLUME))
        return false;
    if (!(support & WAVECAPS_LRVOLUME))
        left = right = (left + right) / 2;
    const uint32_t v = static_cast<uint32_t>(MulDiv(left, 65535, 100)) & 0xFFFF;
    const uint32_t w = static_cast<uint32_t>(MulDiv(right, 65535, 100)) & 0xFFFF;
    return SetLastResult(waveOutSetVolume(handle_, v | (w << 16)));
}

int TWaveAudioOut::Volume()
{
    GetVolume(volumeLeft_, volumeRight_);
    return (volumeLeft_ + volumeRight_) / 2;
}

void TWaveAudioOut::SetVolume(int value)
{
    volumeLeft_ = volumeRight_ = value;
    SetVolume(volumeLeft_, volumeRight_);
}

int TWaveAudioOut::VolumeLeft()
{
    GetVolume(volumeLeft_, volumeRight_);
    return volumeLeft_;
}

void TWaveAudioOut::SetVolumeLeft(int value)
{
    volumeLeft_ = value;
    SetVolume(volumeLeft_, volumeRight_);
}

int TWaveAudioOut::VolumeRight()
{
    GetVolume(volumeLeft_, volumeRight_);
    return volumeRight_;
}

void TWaveAudioOut::SetVolumeRight(int value)
{
    volumeRight_ = value;
    SetVolume(volumeLeft_, volumeRight_);
}

double TWaveAudioOut::Pitch()
{
    if (!DeviceOpen())
        return pitch_;
    if (!(Support() & WAVECAPS_PITCH))
        return 1.0;
    uint32_t v = 0;
    return SetLastResult(waveOutGetPitch(handle_, &v)) ? FromFixed(v) : pitch_;
}

void TWaveAudioOut::SetPitch(double value)
{
    if (value == pitch_)
        return;
    pitch_ = value;
    if (DeviceOpen() && (options_ & woSetPitch) && (Support() & WAVECAPS_PITCH))
        SetLastResult(waveOutSetPitch(handle_, ToFixed(value)));
}

double TWaveAudioOut::PlaybackRate()
{
    if (!DeviceOpen())
        return playbackRate_;
    if (!(Support() & WAVECAPS_PLAYBACKRATE))
        return 1.0;
    uint32_t v = 0;
    return SetLastResult(waveOutGetPlaybackRate(handle_, &v)) ? FromFixed(v) : playbackRate_;
}

void TWaveAudioOut::SetPlaybackRate(double value)
{
    if (value == playbackRate_)
        return;
    playbackRate_ = value;
    if (DeviceOpen() && (options_ & woSetPlaybackRate) && (Support() & WAVECAPS_PLAYBACKRATE))
        SetLastResult(waveOutSetPlaybackRate(handle_, ToFixed(value)));
}

void TWaveAudioOut::SetOptions(TWaveOutOptions value)
{
    if (value == options_)
        return;
    options_ = value;
    if (DeviceOpen())
        ApplySettings();
}

void TWaveAudioOut::ApplySettings()
{
    const uint32_t support = Support();
    if ((options_ & woSetVolume) && (support & WAVECAPS_VOLUME))
        SetVolume(volumeLeft_, volumeRight_);
    if ((options_ & woSetPitch) && (support & WAVECAPS_PITCH))
        SetLastResult(waveOutSetPitch(handle_, ToFixed(pitch_)));
    if ((options_ & woSetPlaybackRate) && (support & WAVECAPS_PLAYBACKRATE))
        SetLastResult(waveOutSetPlaybackRate(handle_, ToFixed(playbackRate_)));
}

// ---- notifications --------------------------------------------------------------------

void TWaveAudioOut::HandleOutOpen()
{
    ApplySettings();
    if (paused_)
        paused_ = waveOutPause(handle_) == MMSYSERR_NOERROR;
    Opened();
}

void TWaveAudioOut::HandleOutClose()
{
    stopRequested_ = false;
    handle_ = 0;
    startPosition_ = 0;
    Closed();
}

void TWaveAudioOut::QueueFirstBuffer()
{
    if (headers_.empty() && DeviceOpen() && !closing_)
        PostDeviceMessage(MM_WOM_DONE, 0);
}

int TWaveAudioOut::ReadData(void *, uint32_t, uint32_t &) { return 0; }

uint32_t TWaveAudioOut::GetDataPtr(void *&, uint32_t &, bool &) { return 0; }

bool TWaveAudioOut::WriteBuffer(WAVEHDR *header)
{
    bool preparedHere = false;
    if (!(header->dwFlags & WHDR_PREPARED)) {
        if (!SetLastResult(waveOutPrepareHeader(handle_, header, sizeof(WAVEHDR))))
            return false;
        preparedHere = true;
    }
    DoFilter(header->lpData, header->dwBufferLength);
    DoLevel(header->lpData, header->dwBufferLength);
    const MMRESULT r = waveOutWrite(handle_, header, sizeof(WAVEHDR));
    if (r != MMSYSERR_NOERROR) {
        if (preparedHere)
            waveOutUnprepareHeader(handle_, header, sizeof(WAVEHDR));
        SetLastResult(r);
        return false;
    }
    lastResult_ = MMSYSERR_NOERROR;
    return true;
}

bool TWaveAudioOut::WriteData(void *buffer, uint32_t size, bool freeIt, uint32_t loops)
{
    TLock lock(lock_);
    WAVEHDR *h = nullptr;
    AllocateBuffer(h, size, buffer);
    if (!h)
        return false;
    if (freeIt)
        h->dwUser = reinterpret_cast<uintptr_t>(this);
    if (loops) {
        h->dwFlags |= WHDR_BEGINLOOP;
        h->dwLoops = loops;
    }
    bool ok = false;
    try {
        ok = WriteBuffer(h);
    } catch (...) {
        AllocateBuffer(h, 0, nullptr);
        throw;
    }
    if (!ok)
        AllocateBuffer(h, 0, nullptr);
    return ok;
}

void TWaveAudioOut::HandleOutDone(WAVEHDR *header)
{
    // A refill that was queued before the close was issued finds nothing to do.
    if (!DeviceOpen() || closeIssued_)
        return;
    // A device error is passed on once the buffers are consistent again.
    std::exception_ptr error;
    const auto guarded = [&](auto &&call) {
        try {
            return call();
        } catch (...) {
            if (!error)
                error = std::current_exception();
            return false;
        }
    };
    WAVEHDR *h = header;
    if (h)
        guarded([&] { return SetLastResult(waveOutUnprepareHeader(handle_, h, sizeof(WAVEHDR))); });

    // A returned buffer is refilled. A request for one more (no header) adds
    // one only while fewer than BufferCount exist: two such requests can be
    // queued at once when a buffer came back between a write and its
    // request, and a buffer too many would leave every returned buffer
    // unfilled, so that the playback never ends.
    if (!closing_ && (h || headers_.size() < BufferCount())) {
        bool endOfData = false;
        uint32_t loops = 0;
        if (internalBuffers_) {
            const uint32_t size = BufferSize();
            AllocateBuffer(h, size, nullptr);
            int n = 0;
            try {
                n = ReadData(h->lpData, size, loops);
            } catch (...) {
                error = std::current_exception();
            }
            if (n < 0)
                n = 0; // a failed read ends the data
            if (static_cast<uint32_t>(n) < size)
                AllocateBuffer(h, static_cast<uint32_t>(n), nullptr);
            endOfData = n == 0;
        } else {
            void *data = nullptr;
            bool freeIt = false;
            const uint32_t size = GetDataPtr(data, loops, freeIt);
            bool silence = false;
            if (!data && size) {
                if (headers_.size() < 2) {
                    const uint32_t bytes = CalcWaveBufferSize(WaveFormat(), size);
                    AllocateBuffer(h, bytes, nullptr);
                    SilenceWaveData(h->lpData, bytes, WaveFormat());
                    silence = true;
                }
            } else if (data && size) {
                AllocateBuffer(h, size, data);
                if (freeIt)
                    h->dwUser = reinterpret_cast<uintptr_t>(this);
            }
            endOfData = size == 0 && !silence;
        }
        if (endOfData)
            closing_ = true;
        if (!closing_ && h) {
            if (loops) {
                h->dwFlags |= WHDR_BEGINLOOP | WHDR_ENDLOOP;
                h->dwLoops = loops;
            }
            if (guarded([&] { return WriteBuffer(h); })) {
                if (headers_.size() < BufferCount())
                    PostDeviceMessage(MM_WOM_DONE, 0);
            } else {
                // A buffer the device refused is dropped; with none left in
                // the device, the playback ends here.
                AllocateBuffer(h, 0, nullptr);
                if (headers_.empty())
                    closing_ = true;
            }
        }
    }
    if (closing_ && h) {
        if (h->dwFlags & WHDR_PREPARED)
            waveOutUnprepareHeader(handle_, h, sizeof(WAVEHDR));
        AllocateBuffer(h, 0, nullptr);
    }
    if (closing_ && headers_.empty())
        guarded([&] {
            CloseDevice();
            return true;
        });
    if (error)
        std::rethrow_exception(error);
}
