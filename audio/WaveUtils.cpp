#include "audio/WaveUtils.h"

#include "platform/audio/Acm.h"

#include <algorithm>
#include <cstring>

using namespace plat;

namespace {

constexpr FOURCC kWave = mmioFOURCC('W', 'A', 'V', 'E');
constexpr FOURCC kFmt = mmioFOURCC('f', 'm', 't', ' ');
constexpr FOURCC kData = mmioFOURCC('d', 'a', 't', 'a');

bool IsPcm(const WAVEFORMATEX &f, uint16_t bits) { return f.wFormatTag == WAVE_FORMAT_PCM && f.wBitsPerSample == bits; }

int16_t Get16(const uint8_t *p)
{
    int16_t v;
    std::memcpy(&v, p, 2);
    return v;
}

void Put16(uint8_t *p, int32_t v)
{
    const int16_t s = static_cast<int16_t>(v);
    std::memcpy(p, &s, 2);
}

} // namespace

PWaveFormat CopyWaveFormat(const WAVEFORMATEX &format)
{
    const uint32_t size = WaveFormatSize(format);
    auto *p = static_cast<WAVEFORMATEX *>(std::malloc(size));
    if (!p)
        throw EOutOfMemory("Out of memory");
    std::memcpy(p, &format, size);
    return PWaveFormat(p);
}

uint32_t WaveFormatSize(const WAVEFORMATEX &format) { return 18u + format.cbSize; }

// ---- stream I/O procedure -------------------------------------------------------

intptr_t StreamIOProc(MMIOINFO *info, uint32_t message, intptr_t param1, intptr_t param2)
{
    if (!info || !info->adwInfo[0])
        return -1;
    auto *stream = reinterpret_cast<TStream *>(info->adwInfo[0]);
    switch (message) {
    case MMIOM_OPEN:
        stream->SetPosition(0);
        info->lDiskOffset = 0;
        return 0;
    case MMIOM_READ:
    case MMIOM_WRITE:
    case MMIOM_WRITEFLUSH: {
        if (param2 < 0)
            return -1;
        stream->SetPosition(info->lDiskOffset);
        const int64_t n = message == MMIOM_READ ? stream->Read(reinterpret_cast<void *>(param1), param2)
                                                : stream->Write(reinterpret_cast<const void *>(param1), param2);
        info->lDiskOffset = stream->Position();
        return static_cast<intptr_t>(n);
    }
    case MMIOM_SEEK: {
        TSeekOrigin origin = TSeekOrigin::soBeginning;
        if (param2 == MMIO_SEEK_CUR) {
            stream->SetPosition(info->lDiskOffset);
            origin = TSeekOrigin::soCurrent;
        } else if (param2 == MMIO_SEEK_END) {
            origin = TSeekOrigin::soEnd;
        }
        info->lDiskOffset = stream->Seek(param1, origin);
        return static_cast<intptr_t>(info->lDiskOffset);
    }
    default:
        return 0;
    }
}

HMMIO OpenStreamMMIO(TStream *stream)
{
    if (!stream)
        return nullptr;
    MMIOINFO info{};
    info.pIOProc = StreamIOProc;
    info.adwInfo[0] = reinterpret_cast<uintptr_t>(stream);
    // The procedure ignores the access mode; the write flag lets the same
    // handle serve a rewrite.
    return mmioOpen(nullptr, &info, MMIO_READWRITE);
}

// ---- headers ------------------------------------------------------------------

bool ReadWaveHeader(HMMIO mmio, PWaveFormat &format, uint32_t &dataSize, uint32_t &dataOffset)
{
    format.reset();
    dataSize = 0;
    dataOffset = 0;
    if (!mmio)
        return false;
    const int64_t keep = mmioSeek(mmio, 0, MMIO_SEEK_CUR);
    const int64_t streamSize = mmioSeek(mmio, 0, MMIO_SEEK_END);
    // A chunk must lie within the stream; sizes are not trusted beyond it.
    const auto fits = [&](const MMCKINFO &ck) {
        return static_cast<int64_t>(ck.dwDataOffset) + ck.cksize <= streamSize;
    };
    bool ok = false;
    PWaveFormat block;
    MMCKINFO riff{}, fmt{}, data{};
    riff.fccType = kWave;
    if (keep >= 0 && streamSize >= 0 && mmioSeek(mmio, 0, MMIO_SEEK_SET) == 0 &&
        mmioDescend(mmio, &riff, nullptr, MMIO_FINDRIFF) == 0 &&
        // a writer may leave out the pad byte after an odd last chunk
        static_cast<int64_t>(riff.dwDataOffset) + riff.cksize <= streamSize + 1) {
        fmt.ckid = kFmt;
        if (mmioDescend(mmio, &fmt, &riff, MMIO_FINDCHUNK) == 0 && fmt.cksize >= 14 && fits(fmt)) {
            const uint32_t blockSize = std::max<uint32_t>(18, fmt.cksize);
            block.reset(static_cast<WAVEFORMATEX *>(std::calloc(1, blockSize)));
            if (block && mmioRead(mmio, block.get(), static_cast<int32_t>(fmt.cksize)) == static_cast<int32_t>(fmt.cksize) &&
                (block->cbSize == 0 || 18u + block->cbSize <= fmt.cksize) && mmioAscend(mmio, &fmt, 0) == 0) {
                data.ckid = kData;
                if (mmioDescend(mmio, &data, &riff, MMIO_FINDCHUNK) == 0 && fits(data)) {
                    dataSize = data.cksize;
                    dataOffset = data.dwDataOffset;
                    ok = true;
                }
            }
        }
    }
    if (ok)
        format = std::move(block);
    else
        dataSize = dataOffset = 0;
    if (keep >= 0)
        mmioSeek(mmio, keep, MMIO_SEEK_SET);
    return ok;
}

bool WriteWaveHeader(HMMIO mmio, const WAVEFORMATEX &format, MMCKINFO &ckRIFF, MMCKINFO &ckData)
{
    if (!mmio || mmioSeek(mmio, 0, MMIO_SEEK_SET) != 0)
        return false;
    ckRIFF = MMCKINFO{};
    ckRIFF.fccType = kWave;
    if (mmioCreateChunk(mmio, &ckRIFF, MMIO_CREATERIFF) != 0)
        return false;
    MMCKINFO fmt{};
    fmt.ckid = kFmt;
    const int32_t size = static_cast<int32_t>(WaveFormatSize(format));
    if (mmioCreateChunk(mmio, &fmt, 0) != 0 || mmioWrite(mmio, &format, size) != size ||
        mmioAscend(mmio, &fmt, 0) != 0)
        return false;
    ckData = MMCKINFO{};
    ckData.ckid = kData;
    return mmioCreateChunk(mmio, &ckData, 0) == 0;
}

bool GetStreamWaveHeader(TStream &stream, PWaveFormat &format, uint32_t &dataSize, uint32_t &dataOffset)
{
    format.reset();
    dataSize = dataOffset = 0;
    if (stream.Size() <= 0)
        return false;
    HMMIO h = OpenStreamMMIO(&stream);
    if (!h)
        return false;
    const bool ok = ReadWaveHeader(h, format, dataSize, dataOffset);
    mmioClose(h, 0);
    return ok;
}

HMMIO CreateStreamWaveHeader(TStream &stream, const WAVEFORMATEX &format, MMCKINFO &ckRIFF, MMCKINFO &ckData)
{
    HMMIO h = OpenStreamMMIO(&stream);
    if (!h)
        return nullptr;
    stream.SetSize(0);
    if (!WriteWaveHeader(h, format, ckRIFF, ckData)) {
        mmioClose(h, 0);
        return nullptr;
    }
    return h;
}

// ---- arithmetic ---------------------------------------------------------------

int32_t MulDiv(int32_t a, int32_t b, int32_t c)
{
    if (c == 0)
        return -1;
    const int64_t p = static_cast<int64_t>(a) * b;
    const int64_t q = p / c, r = p % c;
    int64_t result = q;
    // Round half away from zero.
    if (2 * (r < 0 ? -r : r) >= (c < 0 ? -static_cast<int64_t>(c) : c))
        result += ((p < 0) != (c < 0)) ? -1 : 1;
    return static_cast<int32_t>(result);
}

namespace {

// a * b / c rounded half up, in 128 bits and held to uint32: the byte rate
// comes from the file and may be anything up to 2^32 - 1.
uint32_t ScaleHeld(uint64_t a, uint64_t b, uint64_t c)
{
    const unsigned __int128 q = (static_cast<unsigned __int128>(a) * b + c / 2) / c;
    return q > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(q);
}

} // namespace

uint32_t CalcWaveBufferSize(const WAVEFORMATEX &format, uint32_t ms)
{
    uint32_t bytes = ScaleHeld(ms, format.nAvgBytesPerSec, 1000);
    const uint32_t align = format.nBlockAlign;
    if (align >= 2 && bytes % align)
        bytes = bytes > UINT32_MAX - align ? bytes - bytes % align : bytes + (align - bytes % align);
    return bytes;
}

uint32_t MsToBytes(const WAVEFORMATEX &format, uint32_t ms)
{
    uint32_t bytes = ScaleHeld(format.nAvgBytesPerSec, ms, 1000);
    const uint32_t align = format.nBlockAlign;
    if (align >= 2)
        bytes -= bytes % align;
    return bytes;
}

uint32_t BytesToMs(const WAVEFORMATEX &format, uint32_t bytes)
{
    if (format.nAvgBytesPerSec == 0)
        return 0;
    return ScaleHeld(1000, bytes, format.nAvgBytesPerSec);
}

// ---- sample edits -------------------------------------------------------------

int GetWaveLevel(const void *data, uint32_t size, const WAVEFORMATEX &format)
{
    const auto *p = static_cast<const uint8_t *>(data);
    if (IsPcm(format, 8)) {
        uint8_t peak = 0;
        for (uint32_t i = 0; i < size; ++i)
            peak = std::max(peak, p[i]);
        return peak < 128 ? 0 : (peak & 127) * 100 / 127;
    }
    if (IsPcm(format, 16)) {
        int32_t peak = 0;
        for (uint32_t i = 0; i + 1 < size; i += 2)
            peak = std::max<int32_t>(peak, Get16(p + i));
        return peak * 100 / 32767;
    }
    return -1;
}

bool InvertWaveData(void *data, uint32_t size, const WAVEFORMATEX &format)
{
    if (!IsPcm(format, 8) && !IsPcm(format, 16))
        return false;
    const uint32_t frame = std::max<uint32_t>(1, format.nBlockAlign);
    const uint32_t frames = size / frame;
    auto *p = static_cast<uint8_t *>(data);
    std::vector<uint8_t> tmp(frame);
    for (uint32_t i = 0, j = frames ? frames - 1 : 0; i < j; ++i, --j) {
        std::memcpy(tmp.data(), p + i * frame, frame);
        std::memcpy(p + i * frame, p + j * frame, frame);
        std::memcpy(p + j * frame, tmp.data(), frame);
    }
    return true;
}

bool SilenceWaveData(void *data, uint32_t size, const WAVEFORMATEX &format)
{
    if (!IsPcm(format, 8) && !IsPcm(format, 16))
        return false;
    if (size > 0) // an empty silence may come without any buffer
        std::memset(data, IsPcm(format, 8) ? 0x80 : 0, size);
    return true;
}

bool ChangeWaveVolume(void *data, uint32_t size, const WAVEFORMATEX &format, int percent)
{
    auto *p = static_cast<uint8_t *>(data);
    if (IsPcm(format, 8)) {
        for (uint32_t i = 0; i < size; ++i) {
            const int64_t d = static_cast<int64_t>(p[i]) - 128;
            p[i] = static_cast<uint8_t>(std::clamp<int64_t>(128 + d + d * percent / 100, 0, 255));
        }
        return true;
    }
    if (IsPcm(format, 16)) {
        for (uint32_t i = 0; i + 1 < size; i += 2) {
            const int64_t s = Get16(p + i);
            Put16(p + i, static_cast<int32_t>(std::clamp<int64_t>(s + s * percent / 100, -32767, 32767)));
        }
        return true;
    }
    return false;
}

bool MixWaveData(const TRawWave *waves, int count, const WAVEFORMATEX &format, void *out, uint32_t outSize)
{
    const bool eight = IsPcm(format, 8);
    if ((!eight && !IsPcm(format, 16)) || count <= 0 || !waves || !out)
        return false;
    auto *dst = static_cast<uint8_t *>(out);
    const uint32_t step = eight ? 1 : 2;
    for (uint32_t pos = 0; pos + step <= outSize; pos += step) {
        int32_t sum = 0;
        for (int k = 0; k < count; ++k) {
            if (pos + step > waves[k].dwSize)
                continue;
            const auto *src = static_cast<const uint8_t *>(waves[k].pData);
            sum += eight ? static_cast<int32_t>(src[pos]) - 128 : Get16(src + pos);
        }
        const int32_t mean = sum / count;
        if (eight)
            dst[pos] = static_cast<uint8_t>(std::clamp(mean + 128, 0, 255));
        else
            Put16(dst + pos, std::clamp(mean, -32768, 32767));
    }
    return true;
}

bool ConvertWaveFormat(const WAVEFORMATEX &source, const void *data, uint32_t size, const WAVEFORMATEX &dest,
                       std::vector<uint8_t> &converted)
{
    converted.clear();
    HACMSTREAM has = nullptr;
    if (acmStreamOpen(&has, nullptr, &source, &dest, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME) != 0)
        return false;
    bool ok = false;
    uint32_t destSize = 0;
    if (acmStreamSize(has, size, &destSize, ACM_STREAMSIZEF_SOURCE) == 0) {
        converted.resize(destSize);
        ACMSTREAMHEADER hdr{};
        hdr.cbStruct = sizeof hdr;
        hdr.pbSrc = static_cast<uint8_t *>(const_cast<void *>(data));
        hdr.cbSrcLength = size;
        hdr.pbDst = converted.data();
        hdr.cbDstLength = destSize;
        if (acmStreamPrepareHeader(has, &hdr, 0) == 0) {
            ok = acmStreamConvert(has, &hdr, ACM_STREAMCONVERTF_START | ACM_STREAMCONVERTF_END) == 0;
            acmStreamUnprepareHeader(has, &hdr, 0);
            converted.resize(ok ? hdr.cbDstLengthUsed : 0);
        }
    }
    acmStreamClose(has, 0);
    if (!ok)
        converted.clear();
    return ok;
}

void SetPCMFormat(WAVEFORMATEX &format, TPCMChannel channels, TPCMSamplesPerSec rate, TPCMBitsPerSample bits)
{
    static constexpr uint32_t kRates[] = {8000, 11025, 22050, 44100, 48000};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = channels == TPCMChannel::cMono ? 1 : 2;
    format.nSamplesPerSec = kRates[static_cast<int>(rate)];
    format.wBitsPerSample = bits == TPCMBitsPerSample::bs8Bit ? 8 : 16;
    format.nBlockAlign = static_cast<uint16_t>(format.nChannels * format.wBitsPerSample / 8);
    format.nAvgBytesPerSec = format.nBlockAlign * format.nSamplesPerSec;
    format.cbSize = 0;
}

void SetStandardFormat(WAVEFORMATEX &format, int preset)
{
    if (preset < 1 || preset > 20)
        return;
    const TPCMChannel ch = preset % 2 ? TPCMChannel::cMono : TPCMChannel::cStereo;
    const TPCMBitsPerSample bits = preset % 4 == 1 || preset % 4 == 2 ? TPCMBitsPerSample::bs8Bit
                                                                       : TPCMBitsPerSample::bs16Bit;
    const auto rate = static_cast<TPCMSamplesPerSec>((preset - 1) / 4);
    SetPCMFormat(format, ch, rate, bits);
}

uint32_t WaitForSyncObject(TWaitable &object, uint32_t timeoutMs) { return WaitPumping(object, timeoutMs); }
