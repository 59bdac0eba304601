#pragma once
// Stateless wave routines: RIFF/WAVE headers over any seekable stream,
// durations and byte counts, PCM sample edits, format conversion, and the
// audio components' exceptions.
#include "platform/audio/Mmio.h"
#include "platform/audio/WaveOut.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Streams.h"
#include "platform/core/Threads.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

class EWaveAudioError : public plat::Exception {
public:
    using plat::Exception::Exception;
};
// A wave-device call failed; the message is the device's error text.
class EWaveAudioSysError : public EWaveAudioError {
public:
    using EWaveAudioError::EWaveAudioError;
};
// The component's state forbids the operation.
class EWaveAudioInvalidOperation : public EWaveAudioError {
public:
    using EWaveAudioError::EWaveAudioError;
};

// A format read from a file: at least the 18-byte record, more when the
// "fmt " chunk carries extra bytes. Freed with std::free.
struct TWaveFormatFree {
    void operator()(plat::WAVEFORMATEX *p) const { std::free(p); }
};
using PWaveFormat = std::unique_ptr<plat::WAVEFORMATEX, TWaveFormatFree>;
PWaveFormat CopyWaveFormat(const plat::WAVEFORMATEX &format);
// 18 + extra-size bytes.
uint32_t WaveFormatSize(const plat::WAVEFORMATEX &format);

// A handle whose I/O procedure reads and writes the stream; nullptr when the
// open fails. The stream stays the caller's.
plat::HMMIO OpenStreamMMIO(plat::TStream *stream);
intptr_t StreamIOProc(plat::MMIOINFO *info, uint32_t message, intptr_t param1, intptr_t param2);

// True when the stream holds a RIFF WAVE with a "fmt " and a "data" chunk
// that lie within the stream. The handle's position is kept.
bool ReadWaveHeader(plat::HMMIO mmio, PWaveFormat &format, uint32_t &dataSize, uint32_t &dataOffset);
// Leaves the "data" chunk open: the caller writes the samples and ascends
// out of ckData and ckRIFF, which fixes both sizes.
bool WriteWaveHeader(plat::HMMIO mmio, const plat::WAVEFORMATEX &format, plat::MMCKINFO &ckRIFF,
                     plat::MMCKINFO &ckData);
bool GetStreamWaveHeader(plat::TStream &stream, PWaveFormat &format, uint32_t &dataSize, uint32_t &dataOffset);
// Empties the stream and writes a header; the handle is positioned at the
// first sample. nullptr on failure.
plat::HMMIO CreateStreamWaveHeader(plat::TStream &stream, const plat::WAVEFORMATEX &format, plat::MMCKINFO &ckRIFF,
                                   plat::MMCKINFO &ckData);

// a * b / c in 64 bits, rounded to the nearest, halves away from zero;
// -1 when c is 0.
int32_t MulDiv(int32_t a, int32_t b, int32_t c);

uint32_t CalcWaveBufferSize(const plat::WAVEFORMATEX &format, uint32_t ms); // rounded up to whole blocks
uint32_t MsToBytes(const plat::WAVEFORMATEX &format, uint32_t ms);          // rounded down to whole blocks
uint32_t BytesToMs(const plat::WAVEFORMATEX &format, uint32_t bytes);

// Peak level 0..100 of 8- or 16-bit PCM; -1 for anything else.
int GetWaveLevel(const void *data, uint32_t size, const plat::WAVEFORMATEX &format);
// Reverses the order of the frames (each frame's channels keep their order).
bool InvertWaveData(void *data, uint32_t size, const plat::WAVEFORMATEX &format);
bool SilenceWaveData(void *data, uint32_t size, const plat::WAVEFORMATEX &format);
// Every sample grows by percent of its distance from silence, clipped.
bool ChangeWaveVolume(void *data, uint32_t size, const plat::WAVEFORMATEX &format, int percent);

struct TRawWave {
    const void *pData;
    uint32_t dwSize;
};
// Each output sample is the mean of the next samples of all inputs (an input
// that has run out counts as silence); out is filled to outSize.
bool MixWaveData(const TRawWave *waves, int count, const plat::WAVEFORMATEX &format, void *out, uint32_t outSize);

bool ConvertWaveFormat(const plat::WAVEFORMATEX &source, const void *data, uint32_t size,
                       const plat::WAVEFORMATEX &dest, std::vector<uint8_t> &converted);

enum class TPCMChannel { cMono, cStereo };
enum class TPCMSamplesPerSec { ss8000Hz, ss11025Hz, ss22050Hz, ss44100Hz, ss48000Hz };
enum class TPCMBitsPerSample { bs8Bit, bs16Bit };
void SetPCMFormat(plat::WAVEFORMATEX &format, TPCMChannel channels, TPCMSamplesPerSec rate, TPCMBitsPerSample bits);
// Presets 1..20: odd mono, even stereo; 8 bit for p mod 4 in {1, 2}; 8000,
// 11025, 22050, 44100, 48000 Hz by fours. Other numbers change nothing.
void SetStandardFormat(plat::WAVEFORMATEX &format, int preset);

// Waits while the user-interface thread stays alive (timers, painting) and
// its keyboard and mouse input is dropped.
uint32_t WaitForSyncObject(plat::TWaitable &object, uint32_t timeoutMs);
