#pragma once
// The devices behind the wave-out calls. The wave-out layer keeps each open
// output's queue of buffers and delivers the notifications; a device only
// takes bytes from the queue and says how far it has played.
#include "platform/audio/WaveOut.h"

#include <cstdint>
#include <memory>
#include <mutex>

namespace plat {

enum class TWaveOutCall {
    Query, Open, Close, Prepare, Unprepare, Write, Reset, Pause, Restart, GetPosition,
    GetVolume, SetVolume, GetPitch, SetPitch, GetPlaybackRate, SetPlaybackRate,
};
const char *WaveOutCallName(TWaveOutCall call);

// The queue of one open output, kept by the wave-out layer. Every member is
// used with Mutex() held; the wave-out layer holds it too while it calls the
// output, so a device can keep its own state under the same lock.
class TAudioQueue {
public:
    virtual std::recursive_mutex &Mutex() = 0;
    // The unplayed rest of the oldest queued buffer; false when none is queued.
    virtual bool Front(const uint8_t *&data, uint32_t &count) = 0;
    // count bytes of the front have been played; a buffer played to its end
    // (and through its loops) is handed back as done.
    virtual void Consume(uint32_t count) = 0;
    // What follows the first skip unplayed bytes of the queue (across buffers
    // and loops), for a device that writes ahead of what it has played; false
    // past the queue's end.
    virtual bool Peek(uint64_t skip, const uint8_t *&data, uint32_t &count) = 0;
    virtual size_t Pending() = 0;

protected:
    ~TAudioQueue() = default;
};

// The device's side of one open output. All but Close are called with the
// queue's mutex held.
class TAudioOutput {
public:
    virtual ~TAudioOutput() = default;
    virtual void Kick() = 0;        // buffers were queued
    virtual void Pause() = 0;
    virtual void Restart() = 0;
    virtual void Reset() = 0;       // the queue was emptied: drop what is held, position 0
    virtual uint64_t PlayedBytes() = 0;
    virtual void SetVolume(uint32_t volume) { (void)volume; }
    // Without the mutex: plays out what it holds and stops; it touches the
    // queue no more once this returns.
    virtual void Close() = 0;
};

class TAudioDevice {
public:
    virtual ~TAudioDevice() = default;
    virtual WAVEOUTCAPS Caps() = 0;
    virtual MMRESULT Query(const WAVEFORMATEX &format);
    virtual MMRESULT Open(const WAVEFORMATEX &format, HWAVEOUT handle, TAudioQueue &queue,
                          std::unique_ptr<TAudioOutput> &output) = 0;
    // Told of every wave-out call that reaches it, before the call runs and
    // without any lock held; another result than MMSYSERR_NOERROR fails the
    // call with that code.
    virtual MMRESULT Intercept(TWaveOutCall call, HWAVEOUT handle, uint32_t argument);
};

// The formats every device here plays: PCM, mono or stereo, 8 or 16 bits,
// with a consistent block alignment and byte rate.
bool IsPlayablePcm(const WAVEFORMATEX &format);

// A test's device when one is set; otherwise chosen once: ZIBOR_AUDIO=null
// gives the null device, else ALSA when its "default" device opens and the
// null device when it does not (no sound card).
std::shared_ptr<TAudioDevice> CurrentAudioDevice();
// Returns the previous override; nullptr goes back to the automatic choice.
// Outputs that are open keep the device they were opened on.
std::shared_ptr<TAudioDevice> SetAudioDevice(std::shared_ptr<TAudioDevice> device);

// The capabilities every device here reports: all PCM formats, stereo, and the
// given support flags.
WAVEOUTCAPS MakeCaps(const char *name, uint32_t support);

// Silent: hands every buffer back once its duration at the format's byte rate
// has passed on the monotonic clock.
std::shared_ptr<TAudioDevice> MakeNullAudioDevice();
// ALSA's "default" device, or nullptr when it cannot be opened.
std::shared_ptr<TAudioDevice> MakeAlsaAudioDevice();

class TAudioDeviceScope {
public:
    explicit TAudioDeviceScope(std::shared_ptr<TAudioDevice> device) : previous_(SetAudioDevice(std::move(device))) {}
    ~TAudioDeviceScope() { SetAudioDevice(previous_); }
    TAudioDeviceScope(const TAudioDeviceScope &) = delete;
    TAudioDeviceScope &operator=(const TAudioDeviceScope &) = delete;

private:
    std::shared_ptr<TAudioDevice> previous_;
};

} // namespace plat
