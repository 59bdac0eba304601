#pragma once
// The audio compression manager, as far as this program needs it: PCM to PCM
// conversion (sample size, channel count, sample rate) and format suggestion.
// Any other format fails with ACMERR_NOTPOSSIBLE.
#include "platform/audio/WaveOut.h"

#include <cstdint>

namespace plat {

using HACMSTREAM = struct TAcmStream *;

struct ACMSTREAMHEADER {
    uint32_t cbStruct;
    uint32_t fdwStatus;
    uintptr_t dwUser;
    uint8_t *pbSrc;
    uint32_t cbSrcLength;
    uint32_t cbSrcLengthUsed;
    uintptr_t dwSrcUser;
    uint8_t *pbDst;
    uint32_t cbDstLength;
    uint32_t cbDstLengthUsed;
    uintptr_t dwDstUser;
};

enum : MMRESULT { ACMERR_NOTPOSSIBLE = 512, ACMERR_BUSY = 513, ACMERR_UNPREPARED = 514, ACMERR_CANCELED = 515 };
enum : uint32_t { ACM_STREAMOPENF_QUERY = 0x1, ACM_STREAMOPENF_ASYNC = 0x2, ACM_STREAMOPENF_NONREALTIME = 0x4 };
enum : uint32_t { ACM_STREAMSIZEF_SOURCE = 0x0, ACM_STREAMSIZEF_DESTINATION = 0x1 };
enum : uint32_t { ACM_STREAMCONVERTF_BLOCKALIGN = 0x4, ACM_STREAMCONVERTF_START = 0x10, ACM_STREAMCONVERTF_END = 0x20 };
enum : uint32_t { ACMSTREAMHEADER_STATUSF_DONE = 0x10000, ACMSTREAMHEADER_STATUSF_PREPARED = 0x20000,
                  ACMSTREAMHEADER_STATUSF_INQUEUE = 0x100000 };
enum : uint32_t {
    ACM_FORMATSUGGESTF_WFORMATTAG = 0x10000,
    ACM_FORMATSUGGESTF_NCHANNELS = 0x20000,
    ACM_FORMATSUGGESTF_NSAMPLESPERSEC = 0x40000,
    ACM_FORMATSUGGESTF_WBITSPERSAMPLE = 0x80000,
};

MMRESULT acmStreamOpen(HACMSTREAM *stream, void *driver, const WAVEFORMATEX *source, const WAVEFORMATEX *dest,
                       void *filter, uintptr_t callback, uintptr_t instance, uint32_t flags);
MMRESULT acmStreamClose(HACMSTREAM stream, uint32_t flags);
MMRESULT acmStreamSize(HACMSTREAM stream, uint32_t input, uint32_t *output, uint32_t flags);
MMRESULT acmStreamPrepareHeader(HACMSTREAM stream, ACMSTREAMHEADER *header, uint32_t flags);
MMRESULT acmStreamUnprepareHeader(HACMSTREAM stream, ACMSTREAMHEADER *header, uint32_t flags);
MMRESULT acmStreamConvert(HACMSTREAM stream, ACMSTREAMHEADER *header, uint32_t flags);
// Fills dest with a PCM format the source converts to; the flags name the
// fields of dest that are fixed.
MMRESULT acmFormatSuggest(void *driver, const WAVEFORMATEX *source, WAVEFORMATEX *dest, uint32_t size,
                          uint32_t flags);

} // namespace plat
