#pragma once
// The base of the wave-audio devices: lock, buffer headers, buffer settings,
// events, and the channel on which the device's notifications arrive (a
// callback thread of its own, or a hidden window on the creating thread).
#include "audio/WaveUtils.h"

#include "platform/audio/WaveOut.h"
#include "platform/core/Component.h"
#include "platform/core/Threads.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using TWaveAudioEvent = std::function<void(plat::TObject *Sender)>;
using TWaveAudioLevelEvent = std::function<void(plat::TObject *Sender, int Level)>;
using TWaveAudioFilterEvent = std::function<void(plat::TObject *Sender, void *Buffer, uint32_t BufferSize)>;

// Bit p - 1 stands for preset p of SetStandardFormat.
using TWaveDeviceFormats = uint32_t;

class TWaveAudioIO;

// The callback thread: it exists while its device is active and dispatches
// the device's notifications until it is told to quit.
class TWaveThread : public plat::TThread {
public:
    explicit TWaveThread(TWaveAudioIO *owner);

protected:
    void Execute() override;

private:
    TWaveAudioIO *owner_;
    std::shared_ptr<plat::TEvent> ready_;
};

class TWaveAudioIO : public plat::TComponent {
public:
    explicit TWaveAudioIO(plat::TComponent *owner = nullptr);
    ~TWaveAudioIO() override;

    bool Active() { return GetActive(); }
    void SetActive(bool value) { DoSetActive(value); }
    bool Paused() { return GetPaused(); }
    void SetPaused(bool value);
    bool Async() const { return async_; }
    void SetAsync(bool value);
    uint32_t DeviceID() const { return deviceId_; }
    void SetDeviceID(uint32_t id);
    uint16_t BufferLength() const { return bufferLength_; }
    void SetBufferLength(uint16_t ms) { bufferLength_ = ms < 10 ? 10 : ms; }
    uint16_t BufferCount() const { return bufferCount_; }
    void SetBufferCount(uint16_t count) { bufferCount_ = count; }
    uint32_t BufferSize() const;
    plat::MMRESULT LastResult() const { return lastResult_; }
    const plat::WAVEFORMATEX &WaveFormat() const { return waveFormat_; }

    TWaveAudioEvent OnActivate, OnDeactivate, OnPause, OnResume, OnError;
    TWaveAudioLevelEvent OnLevel;
    TWaveAudioFilterEvent OnFilter;

    virtual uint32_t GetNumDevs() = 0;
    virtual std::string GetDeviceName() = 0;
    virtual TWaveDeviceFormats GetDeviceFormats() = 0;
    virtual uint32_t GetPosition() = 0;
    virtual std::string GetErrorText(plat::MMRESULT code) = 0;
    virtual plat::MMRESULT ValidateDeviceID(uint32_t id) = 0;
    virtual bool Open() = 0;
    virtual bool Close() = 0;
    virtual bool Pause() = 0;
    virtual bool Resume() = 0;
    virtual bool DeviceOpen() = 0;
    virtual bool IsFormatSupported(const plat::WAVEFORMATEX &format) = 0;
    virtual bool IsPresetSupported(int preset);

    // Runs one notification on the channel's thread, under the lock.
    void DispatchNotification(const plat::TMsg &msg);

protected:
    friend class TWaveThread;

    virtual void HandleInOpen() { Opened(); }
    virtual void HandleInClose() { Closed(); }
    virtual void HandleInData(plat::WAVEHDR *) {}
    virtual void HandleOutOpen() { Opened(); }
    virtual void HandleOutClose() { Closed(); }
    virtual void HandleOutDone(plat::WAVEHDR *) {}
    virtual bool GetActive() { return callback_ != 0; }
    virtual void DoSetActive(bool value);
    virtual bool GetPaused() = 0;
    // The format to open with; freeIt asks for std::free afterwards. False
    // (or a null format) when there is nothing to play.
    virtual bool GetWaveFormat(plat::WAVEFORMATEX *&format, bool &freeIt) = 0;
    virtual void QueueFirstBuffer() = 0;
    virtual void FreeBuffers();
    virtual void Opened();
    virtual void Closed();
    virtual void DoActivate();
    virtual void DoDeactivate();
    virtual void DoPause();
    virtual void DoResume();
    virtual void DoError();
    virtual void DoLevel(const void *buffer, uint32_t size);
    virtual void DoFilter(void *buffer, uint32_t size);

    // size 0 frees the header; otherwise it gets a buffer of its own of that
    // size (data nullptr) or points at the caller's data.
    void AllocateBuffer(plat::WAVEHDR *&header, uint32_t size, const void *data);
    bool SetLastResult(plat::MMRESULT code);
    void PostDeviceMessage(uint32_t message, intptr_t param);
    void CreateCallback();
    void DestroyCallback();
    void WaitWhileOpening();
    void WaitWhileClosing();
    // The callback thread's handle or event: pumping, except while the
    // component goes (then a plain wait).
    void WaitFor(plat::TWaitable &object);
    // For destructors: closes a playback that runs and waits until its
    // thread has ended. The most derived class calls it first, while its
    // own notification handlers still exist.
    void Shutdown();
    // For Shutdown, once the channel has ended while the device would not
    // close: stops and closes the device by force. True when the device holds
    // none of the buffers any more, so that they may be freed.
    virtual bool ReclaimBuffers() { return !DeviceOpen(); }
    bool OnCallbackThread() const;

    plat::TCriticalSection lock_;
    std::vector<plat::WAVEHDR *> headers_;
    plat::WAVEFORMATEX waveFormat_{};
    std::atomic<bool> opening_{false};
    std::atomic<bool> closing_{false};
    std::atomic<uintptr_t> callback_{0};
    uint32_t callbackKind_ = 0;
    std::atomic<plat::MMRESULT> lastResult_{0};
    std::atomic<plat::TThreadID> opener_{0}; // the thread whose open runs

private:
    bool async_ = false;
    uint32_t deviceId_ = plat::WAVE_MAPPER;
    uint16_t bufferLength_ = 1000;
    uint16_t bufferCount_ = 2;
    // Each callback thread has its own ready event and handle; the device
    // keeps those of the latest one, so that an ending thread never clears
    // the next one's.
    std::shared_ptr<plat::TEvent> threadReady_;
    std::shared_ptr<plat::TWaitable> threadHandle_;
    std::atomic<plat::TThreadID> threadId_{0};
};
