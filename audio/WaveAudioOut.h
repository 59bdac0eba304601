#pragma once
// Plays wave data through the wave-out calls: keeps BufferCount buffers of
// BufferLength ms queued, refilling each returned buffer from the derived
// class's data, and closes the device when the data end.
#include "audio/WaveAudioIO.h"

#include <atomic>
#include <cstdint>

enum TWaveOutOption : uint32_t { woSetVolume = 1, woSetPitch = 2, woSetPlaybackRate = 4 };
using TWaveOutOptions = uint32_t;

class TWaveAudioOut : public TWaveAudioIO {
public:
    explicit TWaveAudioOut(plat::TComponent *owner = nullptr);
    ~TWaveAudioOut() override;

    int Volume();
    void SetVolume(int value);
    int VolumeLeft();
    void SetVolumeLeft(int value);
    int VolumeRight();
    void SetVolumeRight(int value);
    double Pitch();
    void SetPitch(double value);
    double PlaybackRate();
    void SetPlaybackRate(double value);
    TWaveOutOptions Options() const { return options_; }
    void SetOptions(TWaveOutOptions value);
    uint32_t Position() { return GetPosition(); }
    virtual void SetPosition(uint32_t ms);
    plat::HWAVEOUT Handle() const { return handle_; }

    uint32_t GetNumDevs() override;
    std::string GetDeviceName() override;
    TWaveDeviceFormats GetDeviceFormats() override;
    uint32_t GetPosition() override;
    std::string GetErrorText(plat::MMRESULT code) override;
    plat::MMRESULT ValidateDeviceID(uint32_t id) override;
    bool Open() override;
    bool Close() override;
    bool Pause() override;
    bool Resume() override;
    bool DeviceOpen() override { return handle_ != 0; }
    bool IsFormatSupported(const plat::WAVEFORMATEX &format) override;

    // The caller's data queued once; with freeIt the device frees it
    // (std::free) after playing. Nothing in the program calls it.
    bool WriteData(void *buffer, uint32_t size, bool freeIt, uint32_t loops);

    // 16.16 fixed point, as the device takes pitch and rate.
    static uint32_t ToFixed(double value);
    static double FromFixed(uint32_t value);

protected:
    bool GetPaused() override { return paused_; }
    void QueueFirstBuffer() override;
    void HandleOutOpen() override;
    void HandleOutClose() override;
    void HandleOutDone(plat::WAVEHDR *header) override;
    bool ReclaimBuffers() override;

    virtual bool GetVolume(int &left, int &right);
    virtual bool SetVolume(int &left, int &right);
    virtual bool WriteBuffer(plat::WAVEHDR *header);
    // Bytes read into buffer; 0 or less: the data have ended.
    virtual int ReadData(void *buffer, uint32_t size, uint32_t &loops);
    // With internal buffers off: the next block of the caller's own data.
    // A null buffer with a nonzero size asks for that many ms of silence.
    virtual uint32_t GetDataPtr(void *&buffer, uint32_t &loops, bool &freeIt);

    void ApplySettings();
    uint32_t Support();

    std::atomic<plat::HWAVEOUT> handle_{0};
    std::atomic<bool> paused_{false};
    bool internalBuffers_ = true;
    std::atomic<uint32_t> startPosition_{0};

private:
    void CloseDevice();

    int volumeLeft_ = 75, volumeRight_ = 75;
    double pitch_ = 1.0, playbackRate_ = 1.0;
    TWaveOutOptions options_ = 0;
    // Set once the device's close has been issued; a refill that is still
    // queued then leaves the device alone.
    bool closeIssued_ = false;
    // A stop (reset) has been asked for this playback.
    std::atomic<bool> stopRequested_{false};
};
