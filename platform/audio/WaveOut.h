#pragma once
// The platform's wave-audio output calls, with their records, result codes and
// notifications. Behind them plays whichever device platform/audio/AudioDevice.h
// selects: ALSA, the silent null device, or a test's scripted device.
#include <cstdint>
#include <string>

namespace plat {

using MMRESULT = uint32_t;
enum : MMRESULT {
    MMSYSERR_NOERROR = 0,
    MMSYSERR_ERROR = 1,
    MMSYSERR_BADDEVICEID = 2,
    MMSYSERR_NOTENABLED = 3,
    MMSYSERR_ALLOCATED = 4,
    MMSYSERR_INVALHANDLE = 5,
    MMSYSERR_NODRIVER = 6,
    MMSYSERR_NOMEM = 7,
    MMSYSERR_NOTSUPPORTED = 8,
    MMSYSERR_BADERRNUM = 9,
    MMSYSERR_INVALFLAG = 10,
    MMSYSERR_INVALPARAM = 11,
    WAVERR_BADFORMAT = 32,
    WAVERR_STILLPLAYING = 33,
    WAVERR_UNPREPARED = 34,
    WAVERR_SYNC = 35,
};

constexpr uint32_t WAVE_MAPPER = 0xFFFFFFFFu;

// waveOutOpen flags: how notifications are delivered, and the format query.
enum : uint32_t {
    WAVE_FORMAT_QUERY = 0x0001,
    CALLBACK_NULL = 0x00000,
    CALLBACK_WINDOW = 0x10000,  // callback is an HWND (platform/core/Threads.h)
    CALLBACK_THREAD = 0x20000,  // callback is a thread id
    CALLBACK_EVENT = 0x50000,   // callback is a TEvent*, set on every notification
    CALLBACK_TYPEMASK = 0x70000,
};

// Notifications: wParam is the handle, lParam the header (done only).
enum : uint32_t {
    MM_WOM_OPEN = 0x3BB,
    MM_WOM_CLOSE = 0x3BC,
    MM_WOM_DONE = 0x3BD,
    MM_WIM_OPEN = 0x3BE,
    MM_WIM_CLOSE = 0x3BF,
    MM_WIM_DATA = 0x3C0,
};

constexpr uint16_t WAVE_FORMAT_PCM = 1;

#pragma pack(push, 1)
struct WAVEFORMATEX {
    uint16_t wFormatTag;
    uint16_t nChannels;
    uint32_t nSamplesPerSec;
    uint32_t nAvgBytesPerSec;
    uint16_t nBlockAlign;
    uint16_t wBitsPerSample;
    uint16_t cbSize;
};
#pragma pack(pop)
static_assert(sizeof(WAVEFORMATEX) == 18, "the record is stored as is in RIFF files");

struct WAVEHDR {
    char *lpData;
    uint32_t dwBufferLength;
    uint32_t dwBytesRecorded;
    uintptr_t dwUser;
    uint32_t dwFlags;
    uint32_t dwLoops;
    WAVEHDR *lpNext;
    uintptr_t reserved;
};

enum : uint32_t {
    WHDR_DONE = 0x01,
    WHDR_PREPARED = 0x02,
    WHDR_BEGINLOOP = 0x04,
    WHDR_ENDLOOP = 0x08,
    WHDR_INQUEUE = 0x10,
};

struct WAVEOUTCAPS {
    uint16_t wMid;
    uint16_t wPid;
    uint32_t vDriverVersion;
    char szPname[32];
    uint32_t dwFormats;
    uint16_t wChannels;
    uint16_t wReserved1;
    uint32_t dwSupport;
};

// dwFormats: rate (1 = 11025, 2 = 22050, 4 = 44100 Hz), mono/stereo, 8/16 bit.
enum : uint32_t {
    WAVE_FORMAT_1M08 = 0x001, WAVE_FORMAT_1S08 = 0x002, WAVE_FORMAT_1M16 = 0x004, WAVE_FORMAT_1S16 = 0x008,
    WAVE_FORMAT_2M08 = 0x010, WAVE_FORMAT_2S08 = 0x020, WAVE_FORMAT_2M16 = 0x040, WAVE_FORMAT_2S16 = 0x080,
    WAVE_FORMAT_4M08 = 0x100, WAVE_FORMAT_4S08 = 0x200, WAVE_FORMAT_4M16 = 0x400, WAVE_FORMAT_4S16 = 0x800,
};

enum : uint32_t {
    WAVECAPS_PITCH = 0x01,
    WAVECAPS_PLAYBACKRATE = 0x02,
    WAVECAPS_VOLUME = 0x04,
    WAVECAPS_LRVOLUME = 0x08,
    WAVECAPS_SYNC = 0x10,
    WAVECAPS_SAMPLEACCURATE = 0x20,
};

enum : uint32_t { TIME_MS = 0x01, TIME_SAMPLES = 0x02, TIME_BYTES = 0x04, TIME_SMPTE = 0x08, TIME_MIDI = 0x10, TIME_TICKS = 0x20 };

struct MMTIME {
    uint32_t wType;
    union {
        uint32_t ms;
        uint32_t sample;
        uint32_t cb;
        uint32_t ticks;
        struct {
            uint8_t hour, min, sec, frame, fps, dummy, pad[2];
        } smpte;
        struct {
            uint32_t songptrpos;
        } midi;
    } u;
};

// An open output; 0 is no handle. Numbers are never reused.
using HWAVEOUT = uintptr_t;

uint32_t waveOutGetNumDevs();
MMRESULT waveOutGetDevCaps(uintptr_t deviceId, WAVEOUTCAPS *caps, uint32_t size);
// Copies the text of a result code; MMSYSERR_BADERRNUM (and an empty text)
// for a code that has none.
MMRESULT waveOutGetErrorText(MMRESULT error, char *text, uint32_t size);
std::string WaveOutErrorText(MMRESULT error);

MMRESULT waveOutOpen(HWAVEOUT *handle, uint32_t deviceId, const WAVEFORMATEX *format, uintptr_t callback,
                     uintptr_t instance, uint32_t flags);
MMRESULT waveOutClose(HWAVEOUT handle);
MMRESULT waveOutPrepareHeader(HWAVEOUT handle, WAVEHDR *header, uint32_t size);
MMRESULT waveOutUnprepareHeader(HWAVEOUT handle, WAVEHDR *header, uint32_t size);
MMRESULT waveOutWrite(HWAVEOUT handle, WAVEHDR *header, uint32_t size);
MMRESULT waveOutReset(HWAVEOUT handle);
MMRESULT waveOutPause(HWAVEOUT handle);
MMRESULT waveOutRestart(HWAVEOUT handle);
MMRESULT waveOutGetPosition(HWAVEOUT handle, MMTIME *time, uint32_t size);
// Volume: low word left, high word right, 0..0xFFFF each.
MMRESULT waveOutGetVolume(HWAVEOUT handle, uint32_t *volume);
MMRESULT waveOutSetVolume(HWAVEOUT handle, uint32_t volume);
// Pitch and playback rate: unsigned 16.16 fixed point.
MMRESULT waveOutGetPitch(HWAVEOUT handle, uint32_t *pitch);
MMRESULT waveOutSetPitch(HWAVEOUT handle, uint32_t pitch);
MMRESULT waveOutGetPlaybackRate(HWAVEOUT handle, uint32_t *rate);
MMRESULT waveOutSetPlaybackRate(HWAVEOUT handle, uint32_t rate);

} // namespace plat
