// RIFF chunk navigation over an I/O procedure, and the PCM conversions.
#include "platform/audio/Acm.h"
#include "platform/audio/Mmio.h"
#include "tests/audio/WavBuilder.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace plat;

namespace {

// An I/O procedure over a byte vector, to test the chunk logic on its own.
struct Bytes {
    std::vector<uint8_t> v;
};

intptr_t VectorProc(MMIOINFO *info, uint32_t msg, intptr_t p1, intptr_t p2)
{
    auto *b = reinterpret_cast<Bytes *>(info->adwInfo[0]);
    switch (msg) {
    case MMIOM_READ: {
        const int64_t n = std::max<int64_t>(0, std::min<int64_t>(p2, static_cast<int64_t>(b->v.size()) - info->lDiskOffset));
        std::memcpy(reinterpret_cast<void *>(p1), b->v.data() + info->lDiskOffset, static_cast<size_t>(n));
        info->lDiskOffset += n;
        return static_cast<intptr_t>(n);
    }
    case MMIOM_WRITE: {
        if (info->lDiskOffset + p2 > static_cast<int64_t>(b->v.size()))
            b->v.resize(static_cast<size_t>(info->lDiskOffset + p2));
        std::memcpy(b->v.data() + info->lDiskOffset, reinterpret_cast<void *>(p1), static_cast<size_t>(p2));
        info->lDiskOffset += p2;
        return p2;
    }
    case MMIOM_SEEK:
        info->lDiskOffset = p2 == MMIO_SEEK_SET ? p1 : p2 == MMIO_SEEK_CUR ? info->lDiskOffset + p1
                                                                          : static_cast<int64_t>(b->v.size()) + p1;
        return static_cast<intptr_t>(info->lDiskOffset);
    default:
        return 0;
    }
}

HMMIO Open(Bytes &b)
{
    MMIOINFO info{};
    info.pIOProc = VectorProc;
    info.adwInfo[0] = reinterpret_cast<uintptr_t>(&b);
    return mmioOpen(nullptr, &info, MMIO_READWRITE);
}

} // namespace

TEST(Mmio, CreatedChunksGetTheirSizesAndPadding)
{
    Bytes b;
    HMMIO h = Open(b);
    ASSERT_NE(h, nullptr);
    MMCKINFO riff{}, odd{}, list{};
    riff.fccType = mmioFOURCC('T', 'E', 'S', 'T');
    ASSERT_EQ(mmioCreateChunk(h, &riff, MMIO_CREATERIFF), 0u);
    odd.ckid = mmioFOURCC('o', 'd', 'd', ' ');
    ASSERT_EQ(mmioCreateChunk(h, &odd, 0), 0u);
    ASSERT_EQ(mmioWrite(h, "abc", 3), 3);
    ASSERT_EQ(mmioAscend(h, &odd, 0), 0u);
    list.fccType = mmioFOURCC('I', 'N', 'F', 'O');
    ASSERT_EQ(mmioCreateChunk(h, &list, MMIO_CREATELIST), 0u);
    ASSERT_EQ(mmioAscend(h, &list, 0), 0u);
    ASSERT_EQ(mmioAscend(h, &riff, 0), 0u);
    EXPECT_EQ(odd.cksize, 3u);
    EXPECT_EQ(b.v.size(), 12u + 8 + 4 + 12) << "the odd chunk is padded";
    EXPECT_EQ(riff.cksize, b.v.size() - 8);

    // Read back: find the LIST past the odd chunk, but nothing beyond the RIFF.
    mmioSeek(h, 0, MMIO_SEEK_SET);
    MMCKINFO r{}, l{}, missing{};
    r.fccType = riff.fccType;
    ASSERT_EQ(mmioDescend(h, &r, nullptr, MMIO_FINDRIFF), 0u);
    l.fccType = list.fccType;
    ASSERT_EQ(mmioDescend(h, &l, &r, MMIO_FINDLIST), 0u);
    EXPECT_EQ(l.dwDataOffset, 32u);
    mmioSeek(h, 12, MMIO_SEEK_SET);
    missing.ckid = mmioFOURCC('n', 'o', 'n', 'e');
    EXPECT_EQ(mmioDescend(h, &missing, &r, MMIO_FINDCHUNK), static_cast<uint32_t>(MMIOERR_CHUNKNOTFOUND));
    mmioClose(h, 0);
}

TEST(Mmio, AProcedureThatRefusesTheOpenGivesNoHandle)
{
    MMIOINFO info{};
    info.pIOProc = [](MMIOINFO *, uint32_t msg, intptr_t, intptr_t) -> intptr_t { return msg == MMIOM_OPEN ? -1 : 0; };
    EXPECT_EQ(mmioOpen(nullptr, &info, MMIO_READ), nullptr);
    EXPECT_NE(info.wErrorRet, 0u);
}

TEST(Acm, PcmConversions)
{
    struct Case {
        const char *name;
        WAVEFORMATEX src, dst;
        std::vector<uint8_t> in, want;
    };
    using wavtest::Pcm;
    const std::vector<Case> cases = {
        {"8 to 16 bit", Pcm(1, 8000, 8), Pcm(1, 8000, 16), {128, 255, 0}, {0, 0, 0, 0x7F, 0, 0x80}},
        {"16 to 8 bit", Pcm(1, 8000, 16), Pcm(1, 8000, 8), {0, 0, 0, 0x7F, 0, 0x80}, {128, 255, 0}},
        {"mono to stereo", Pcm(1, 8000, 8), Pcm(2, 8000, 8), {10, 20}, {10, 10, 20, 20}},
        {"stereo to mono", Pcm(2, 8000, 8), Pcm(1, 8000, 8), {138, 118, 200, 200}, {128, 200}},
        {"half the rate", Pcm(1, 16000, 8), Pcm(1, 8000, 8), {10, 20, 30, 40}, {10, 30}},
        {"double the rate", Pcm(1, 8000, 8), Pcm(1, 16000, 8), {10, 30}, {10, 20, 30, 30}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        HACMSTREAM s = nullptr;
        ASSERT_EQ(acmStreamOpen(&s, nullptr, &c.src, &c.dst, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME), 0u);
        uint32_t size = 0;
        ASSERT_EQ(acmStreamSize(s, static_cast<uint32_t>(c.in.size()), &size, ACM_STREAMSIZEF_SOURCE), 0u);
        std::vector<uint8_t> out(size);
        ACMSTREAMHEADER h{};
        h.cbStruct = sizeof h;
        h.pbSrc = const_cast<uint8_t *>(c.in.data());
        h.cbSrcLength = static_cast<uint32_t>(c.in.size());
        h.pbDst = out.data();
        h.cbDstLength = size;
        ASSERT_EQ(acmStreamPrepareHeader(s, &h, 0), 0u);
        ASSERT_EQ(acmStreamConvert(s, &h, ACM_STREAMCONVERTF_START | ACM_STREAMCONVERTF_END), 0u);
        out.resize(h.cbDstLengthUsed);
        EXPECT_EQ(out, c.want);
        acmStreamUnprepareHeader(s, &h, 0);
        acmStreamClose(s, 0);
    }
}

TEST(Acm, OtherFormatsFailAndSuggestionKeepsFixedFields)
{
    WAVEFORMATEX adpcm = wavtest::Pcm(1, 8000, 16);
    adpcm.wFormatTag = 2;
    const WAVEFORMATEX pcm = wavtest::Pcm(1, 8000, 16);
    HACMSTREAM s = nullptr;
    EXPECT_EQ(acmStreamOpen(&s, nullptr, &adpcm, &pcm, nullptr, 0, 0, 0), static_cast<MMRESULT>(ACMERR_NOTPOSSIBLE));
    EXPECT_EQ(acmStreamOpen(&s, nullptr, &pcm, &adpcm, nullptr, 0, 0, 0), static_cast<MMRESULT>(ACMERR_NOTPOSSIBLE));

    WAVEFORMATEX dst{};
    dst.wFormatTag = WAVE_FORMAT_PCM;
    dst.nChannels = 2;
    const WAVEFORMATEX src = wavtest::Pcm(1, 22050, 8);
    ASSERT_EQ(acmFormatSuggest(nullptr, &src, &dst, sizeof dst, ACM_FORMATSUGGESTF_WFORMATTAG | ACM_FORMATSUGGESTF_NCHANNELS), 0u);
    EXPECT_EQ(dst.nChannels, 2);
    EXPECT_EQ(dst.nSamplesPerSec, 22050u);
    EXPECT_EQ(dst.wBitsPerSample, 8);
    EXPECT_EQ(dst.nAvgBytesPerSec, 44100u);
    EXPECT_EQ(acmFormatSuggest(nullptr, &adpcm, &dst, sizeof dst, 0), static_cast<MMRESULT>(ACMERR_NOTPOSSIBLE));
}
