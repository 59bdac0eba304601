#include "platform/audio/Acm.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace plat {

struct TAcmStream {
    WAVEFORMATEX src;
    WAVEFORMATEX dst;
};

namespace {

bool ConvertiblePcm(const WAVEFORMATEX &f)
{
    return f.wFormatTag == WAVE_FORMAT_PCM && f.nChannels >= 1 && f.nChannels <= 2 &&
           (f.wBitsPerSample == 8 || f.wBitsPerSample == 16) && f.nSamplesPerSec > 0 &&
           f.nBlockAlign == f.nChannels * f.wBitsPerSample / 8;
}

// Samples as 16-bit values.
int32_t ReadSample(const uint8_t *p, uint16_t bits)
{
    if (bits == 8)
        return (static_cast<int32_t>(p[0]) - 128) << 8;
    int16_t s;
    std::memcpy(&s, p, 2);
    return s;
}

void WriteSample(uint8_t *p, uint16_t bits, int32_t v)
{
    v = std::clamp(v, -32768, 32767);
    if (bits == 8) {
        p[0] = static_cast<uint8_t>((v >> 8) + 128);
        return;
    }
    const int16_t s = static_cast<int16_t>(v);
    std::memcpy(p, &s, 2);
}

uint64_t DestFrames(const TAcmStream &s, uint64_t srcFrames)
{
    if (s.src.nSamplesPerSec == s.dst.nSamplesPerSec)
        return srcFrames;
    return (srcFrames * s.dst.nSamplesPerSec + s.src.nSamplesPerSec - 1) / s.src.nSamplesPerSec;
}

} // namespace

MMRESULT acmStreamOpen(HACMSTREAM *stream, void *, const WAVEFORMATEX *source, const WAVEFORMATEX *dest, void *,
                       uintptr_t, uintptr_t, uint32_t flags)
{
    if (!source || !dest)
        return MMSYSERR_INVALPARAM;
    if (!ConvertiblePcm(*source) || !ConvertiblePcm(*dest))
        return ACMERR_NOTPOSSIBLE;
    if (flags & ACM_STREAMOPENF_QUERY)
        return MMSYSERR_NOERROR;
    if (!stream)
        return MMSYSERR_INVALPARAM;
    *stream = new TAcmStream{*source, *dest};
    return MMSYSERR_NOERROR;
}

MMRESULT acmStreamClose(HACMSTREAM stream, uint32_t)
{
    if (!stream)
        return MMSYSERR_INVALHANDLE;
    delete stream;
    return MMSYSERR_NOERROR;
}

MMRESULT acmStreamSize(HACMSTREAM stream, uint32_t input, uint32_t *output, uint32_t flags)
{
    if (!stream)
        return MMSYSERR_INVALHANDLE;
    if (!output)
        return MMSYSERR_INVALPARAM;
    const TAcmStream &s = *stream;
    uint64_t n;
    if ((flags & ACM_STREAMSIZEF_DESTINATION) == 0) {
        n = DestFrames(s, input / s.src.nBlockAlign) * s.dst.nBlockAlign;
    } else {
        const uint64_t dstFrames = input / s.dst.nBlockAlign;
        n = (dstFrames * s.src.nSamplesPerSec / s.dst.nSamplesPerSec) * s.src.nBlockAlign;
    }
    if (n > 0xFFFFFFFFu)
        return MMSYSERR_NOMEM;
    *output = static_cast<uint32_t>(n);
    return MMSYSERR_NOERROR;
}

MMRESULT acmStreamPrepareHeader(HACMSTREAM stream, ACMSTREAMHEADER *h, uint32_t)
{
    if (!stream)
        return MMSYSERR_INVALHANDLE;
    if (!h || h->cbStruct < sizeof(ACMSTREAMHEADER) || (!h->pbSrc && h->cbSrcLength) || (!h->pbDst && h->cbDstLength))
        return MMSYSERR_INVALPARAM;
    h->fdwStatus |= ACMSTREAMHEADER_STATUSF_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT acmStreamUnprepareHeader(HACMSTREAM stream, ACMSTREAMHEADER *h, uint32_t)
{
    if (!stream)
        return MMSYSERR_INVALHANDLE;
    if (!h)
        return MMSYSERR_INVALPARAM;
    if (!(h->fdwStatus & ACMSTREAMHEADER_STATUSF_PREPARED))
        return ACMERR_UNPREPARED;
    h->fdwStatus &= ~ACMSTREAMHEADER_STATUSF_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT acmStreamConvert(HACMSTREAM stream, ACMSTREAMHEADER *h, uint32_t)
{
    if (!stream)
        return MMSYSERR_INVALHANDLE;
    if (!h)
        return MMSYSERR_INVALPARAM;
    if (!(h->fdwStatus & ACMSTREAMHEADER_STATUSF_PREPARED))
        return ACMERR_UNPREPARED;
    const TAcmStream &s = *stream;
    const uint32_t sb = s.src.nBlockAlign, db = s.dst.nBlockAlign;
    const uint64_t srcFrames = h->cbSrcLength / sb;
    const uint64_t dstFrames = std::min<uint64_t>(DestFrames(s, srcFrames), h->cbDstLength / db);
    const int srcCh = s.src.nChannels, dstCh = s.dst.nChannels;
    const uint16_t srcBits = s.src.wBitsPerSample, dstBits = s.dst.wBitsPerSample;
    const auto frameValue = [&](uint64_t frame, int ch) -> double {
        const uint8_t *p = h->pbSrc + frame * sb;
        const int bytes = srcBits / 8;
        if (srcCh == dstCh)
            return ReadSample(p + ch * bytes, srcBits);
        if (srcCh == 1)
            return ReadSample(p, srcBits); // mono to both sides
        return (ReadSample(p, srcBits) + ReadSample(p + bytes, srcBits)) / 2.0; // stereo to mono
    };
    const double step = static_cast<double>(s.src.nSamplesPerSec) / s.dst.nSamplesPerSec;
    for (uint64_t i = 0; i < dstFrames; ++i) {
        uint8_t *out = h->pbDst + i * db;
        const double at = static_cast<double>(i) * step;
        const uint64_t f0 = std::min<uint64_t>(static_cast<uint64_t>(at), srcFrames - 1);
        const uint64_t f1 = std::min<uint64_t>(f0 + 1, srcFrames - 1);
        const double t = at - static_cast<double>(f0);
        for (int ch = 0; ch < dstCh; ++ch) {
            const double v = frameValue(f0, ch) * (1 - t) + frameValue(f1, ch) * t;
            WriteSample(out + ch * (dstBits / 8), dstBits, static_cast<int32_t>(std::lround(v)));
        }
    }
    h->cbSrcLengthUsed = static_cast<uint32_t>(srcFrames * sb);
    h->cbDstLengthUsed = static_cast<uint32_t>(dstFrames * db);
    h->fdwStatus |= ACMSTREAMHEADER_STATUSF_DONE;
    return MMSYSERR_NOERROR;
}

MMRESULT acmFormatSuggest(void *, const WAVEFORMATEX *source, WAVEFORMATEX *dest, uint32_t size, uint32_t flags)
{
    if (!source || !dest || size < sizeof(WAVEFORMATEX) - 2)
        return MMSYSERR_INVALPARAM;
    if (source->wFormatTag != WAVE_FORMAT_PCM)
        return ACMERR_NOTPOSSIBLE;
    WAVEFORMATEX f{};
    f.wFormatTag = (flags & ACM_FORMATSUGGESTF_WFORMATTAG) ? dest->wFormatTag : WAVE_FORMAT_PCM;
    if (f.wFormatTag != WAVE_FORMAT_PCM)
        return ACMERR_NOTPOSSIBLE;
    f.nChannels = (flags & ACM_FORMATSUGGESTF_NCHANNELS) ? dest->nChannels : source->nChannels;
    f.nSamplesPerSec = (flags & ACM_FORMATSUGGESTF_NSAMPLESPERSEC) ? dest->nSamplesPerSec : source->nSamplesPerSec;
    f.wBitsPerSample = (flags & ACM_FORMATSUGGESTF_WBITSPERSAMPLE) ? dest->wBitsPerSample
                       : (source->wBitsPerSample == 8 ? 8 : 16);
    f.nBlockAlign = static_cast<uint16_t>(f.nChannels * f.wBitsPerSample / 8);
    f.nAvgBytesPerSec = f.nBlockAlign * f.nSamplesPerSec;
    f.cbSize = 0;
    if (!ConvertiblePcm(f))
        return ACMERR_NOTPOSSIBLE;
    std::memcpy(dest, &f, std::min<size_t>(size, sizeof f));
    return MMSYSERR_NOERROR;
}

} // namespace plat
