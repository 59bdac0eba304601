// Header parsing, the byte/time arithmetic and the PCM helpers.
#include "audio/WaveUtils.h"
#include "tests/audio/WavBuilder.h"

#include <gtest/gtest.h>

using namespace wavtest;
using plat::WAVEFORMATEX;

namespace {

struct HeaderCase {
    const char *name;
    std::vector<uint8_t> file;
    bool ok;
    uint32_t dataSize;
    uint32_t dataOffset;
    uint16_t cbSize;
};

std::vector<uint8_t> Bytes(size_t n, uint8_t v = 0x55) { return std::vector<uint8_t>(n, v); }

WAVEFORMATEX WithExtra(uint16_t cb)
{
    WAVEFORMATEX f = Pcm(1, 8000, 8);
    f.cbSize = cb;
    return f;
}

std::vector<HeaderCase> HeaderCases()
{
    const WAVEFORMATEX f = Pcm(2, 22050, 16);
    std::vector<HeaderCase> cases;
    cases.push_back({"plain 16-byte fmt", Riff({FmtChunk(f), DataChunk(Bytes(100))}), true, 100, 44, 0});
    cases.push_back({"18-byte fmt with cbSize 0", Riff({FmtChunk(f, 18), DataChunk(Bytes(8))}), true, 8, 46, 0});
    cases.push_back({"fmt 14 bytes is enough", Riff({FmtChunk(f, 14), DataChunk(Bytes(4))}), true, 4, 42, 0});
    cases.push_back({"fmt 12 bytes is too short", Riff({FmtChunk(f, 12), DataChunk(Bytes(4))}), false, 0, 0, 0});
    {
        Chunk fmt = FmtChunk(WithExtra(2), 18);
        fmt.body.push_back(0xAB);
        fmt.body.push_back(0xCD);
        cases.push_back({"fmt with 2 extra bytes", Riff({fmt, DataChunk(Bytes(6))}), true, 6, 48, 2});
    }
    cases.push_back({"cbSize larger than the chunk", Riff({FmtChunk(WithExtra(40), 18), DataChunk(Bytes(6))}),
                     false, 0, 0, 0});
    cases.push_back({"no data chunk", Riff({FmtChunk(f)}), false, 0, 0, 0});
    cases.push_back({"no fmt chunk", Riff({DataChunk(Bytes(10))}), false, 0, 0, 0});
    cases.push_back({"LIST before fmt and data",
                     Riff({Chunk{"LIST", {'I', 'N', 'F', 'O', 'x', 'y', 'z'}}, FmtChunk(f), DataChunk(Bytes(10))}),
                     true, 10, 60, 0});
    cases.push_back({"LIST between fmt and data",
                     Riff({FmtChunk(f), Chunk{"LIST", {'I', 'N', 'F', 'O', 1, 2}}, DataChunk(Bytes(10))}), true, 10,
                     58, 0});
    cases.push_back({"odd-sized chunk before data is padded",
                     Riff({FmtChunk(f), Chunk{"junk", Bytes(3)}, DataChunk(Bytes(4))}), true, 4, 56, 0});
    cases.push_back({"odd-sized data", Riff({FmtChunk(Pcm(1, 8000, 8)), DataChunk(Bytes(5))}), true, 5, 44, 0});
    {
        Chunk data = DataChunk(Bytes(10));
        data.sizeField = 1000;
        cases.push_back({"data size beyond the stream", Riff({FmtChunk(f), data}), false, 0, 0, 0});
    }
    {
        Chunk fmt = FmtChunk(f);
        fmt.sizeField = 0x7FFFFFF0;
        cases.push_back({"fmt size beyond the stream", Riff({fmt, DataChunk(Bytes(4))}), false, 0, 0, 0});
    }
    cases.push_back({"RIFF size beyond the stream", Riff({FmtChunk(f), DataChunk(Bytes(10))}, 5000), false, 0, 0, 0});
    {
        auto file = Riff({FmtChunk(f), DataChunk(Bytes(10))});
        file[8] = 'A'; // "AAVE"
        cases.push_back({"not a WAVE form", file, false, 0, 0, 0});
    }
    cases.push_back({"empty stream", {}, false, 0, 0, 0});
    cases.push_back({"truncated header", {'R', 'I', 'F', 'F', 4, 0}, false, 0, 0, 0});
    return cases;
}

} // namespace

TEST(WaveHeader, ParsesOrRejectsEachLayout)
{
    for (const HeaderCase &c : HeaderCases()) {
        SCOPED_TRACE(c.name);
        plat::TMemoryStream s;
        if (!c.file.empty())
            s.WriteBuffer(c.file.data(), static_cast<int64_t>(c.file.size()));
        s.SetPosition(3);
        PWaveFormat format;
        uint32_t size = 99, offset = 99;
        EXPECT_EQ(GetStreamWaveHeader(s, format, size, offset), c.ok);
        EXPECT_EQ(format != nullptr, c.ok) << "a failed read leaves no format block";
        if (c.ok) {
            EXPECT_EQ(size, c.dataSize);
            EXPECT_EQ(offset, c.dataOffset);
            EXPECT_EQ(format->cbSize, c.cbSize);
        }
    }
}

TEST(WaveHeader, ReadKeepsTheHandlePosition)
{
    const auto file = Riff({FmtChunk(Pcm(1, 8000, 8)), DataChunk(Bytes(10))});
    plat::TMemoryStream s;
    s.WriteBuffer(file.data(), static_cast<int64_t>(file.size()));
    plat::HMMIO h = OpenStreamMMIO(&s);
    ASSERT_NE(h, nullptr);
    plat::mmioSeek(h, 17, plat::MMIO_SEEK_SET);
    PWaveFormat format;
    uint32_t size, offset;
    ASSERT_TRUE(ReadWaveHeader(h, format, size, offset));
    EXPECT_EQ(plat::mmioSeek(h, 0, plat::MMIO_SEEK_CUR), 17);
    plat::mmioClose(h, 0);
}

TEST(WaveHeader, WriteThenReadRoundTrip)
{
    WAVEFORMATEX f = Pcm(2, 44100, 16);
    const std::vector<uint8_t> samples = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    plat::TMemoryStream s;
    s.WriteBuffer("old contents that must go away entirely", 40);
    plat::MMCKINFO riff{}, data{};
    plat::HMMIO h = CreateStreamWaveHeader(s, f, riff, data);
    ASSERT_NE(h, nullptr);
    ASSERT_EQ(plat::mmioWrite(h, samples.data(), 12), 12);
    ASSERT_EQ(plat::mmioAscend(h, &data, 0), 0u);
    ASSERT_EQ(plat::mmioAscend(h, &riff, 0), 0u);
    plat::mmioClose(h, 0);
    s.SetSize(riff.dwDataOffset + riff.cksize);

    PWaveFormat back;
    uint32_t size = 0, offset = 0;
    ASSERT_TRUE(GetStreamWaveHeader(s, back, size, offset));
    EXPECT_EQ(std::memcmp(back.get(), &f, sizeof f), 0);
    EXPECT_EQ(size, 12u);
    EXPECT_EQ(offset, 46u); // 12 + 8 + 18 + 8
    EXPECT_EQ(std::memcmp(s.Memory() + offset, samples.data(), 12), 0);
    EXPECT_EQ(s.Size(), 58);
}

TEST(WaveArithmetic, BufferAndTimeConversions)
{
    struct Case {
        WAVEFORMATEX f;
        uint32_t ms;
        uint32_t bufferSize, msToBytes;
    };
    const Case cases[] = {
        {Pcm(2, 11025, 16), 5, 224, 220},          // 220.5 -> 221 before aligning
        {Pcm(1, 11025, 8), 5, 55, 55},             // 55.125: alignment 1 rounds nothing
        {Pcm(1, 22050, 16), 2000, 88200, 88200},   // the players' 2000 ms
        {Pcm(2, 44100, 16), 1000, 176400, 176400},
        {Pcm(2, 44100, 16), 3, 532, 528},          // 529.2: rounded to 529, then aligned
        {Pcm(1, 8000, 16), 0, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.f.nAvgBytesPerSec);
        SCOPED_TRACE(c.ms);
        EXPECT_EQ(CalcWaveBufferSize(c.f, c.ms), c.bufferSize);
        EXPECT_EQ(MsToBytes(c.f, c.ms), c.msToBytes);
    }
    EXPECT_EQ(BytesToMs(Pcm(1, 22050, 16), 44100), 1000u);
    EXPECT_EQ(BytesToMs(Pcm(1, 22050, 16), 44122), 1000u); // 1000.499
    EXPECT_EQ(BytesToMs(Pcm(1, 22050, 16), 44123), 1001u); // 1000.52
    WAVEFORMATEX none{};
    EXPECT_EQ(BytesToMs(none, 1000), 0u);

    // A byte rate from a file may be anything: 2^31 and more never wrap.
    struct Forged { uint32_t rate; uint16_t align; uint32_t ms, bytes, buffer, backToMs; };
    const Forged forged[] = {
        {0x80000000u, 1, 1, 2147484, 2147484, 1},
        {0x80000000u, 4, 1000, 0x80000000u, 0x80000000u, 1000},
        {0xFFFFFFFFu, 2, 500, 2147483648u, 2147483648u, 500},
        {0xFFFFFFFFu, 4, 0xFFFFFFFFu, 0xFFFFFFFCu, 0xFFFFFFFCu, 1000}, // held at 2^32 - 1, then aligned down
    };
    for (const Forged &c : forged) {
        SCOPED_TRACE(testing::Message() << c.rate << " " << c.ms);
        WAVEFORMATEX f = Pcm(1, 8000, 8);
        f.nAvgBytesPerSec = c.rate;
        f.nBlockAlign = c.align;
        EXPECT_EQ(MsToBytes(f, c.ms), c.bytes);
        EXPECT_EQ(CalcWaveBufferSize(f, c.ms), c.buffer);
        EXPECT_EQ(BytesToMs(f, c.bytes), c.backToMs);
    }

    EXPECT_EQ(MulDiv(5, 3, 2), 8);    // 7.5 up
    EXPECT_EQ(MulDiv(-5, 3, 2), -8);  // away from zero
    EXPECT_EQ(MulDiv(7, 1, 3), 2);
    EXPECT_EQ(MulDiv(1 << 30, 8, 16), 1 << 29); // 64-bit product
    EXPECT_EQ(MulDiv(1, 1, 0), -1);
}

TEST(WaveFormats, PresetsAndPcmFields)
{
    struct Case {
        int preset;
        uint16_t channels;
        uint32_t rate;
        uint16_t bits;
    };
    const Case cases[] = {{1, 1, 8000, 8},   {2, 2, 8000, 8},    {3, 1, 8000, 16},  {4, 2, 8000, 16},
                          {5, 1, 11025, 8},  {12, 2, 22050, 16}, {15, 1, 44100, 16}, {20, 2, 48000, 16}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.preset);
        WAVEFORMATEX f{};
        SetStandardFormat(f, c.preset);
        EXPECT_EQ(f.wFormatTag, plat::WAVE_FORMAT_PCM);
        EXPECT_EQ(f.nChannels, c.channels);
        EXPECT_EQ(f.nSamplesPerSec, c.rate);
        EXPECT_EQ(f.wBitsPerSample, c.bits);
        EXPECT_EQ(f.nBlockAlign, c.channels * c.bits / 8);
        EXPECT_EQ(f.nAvgBytesPerSec, f.nBlockAlign * c.rate);
        EXPECT_EQ(f.cbSize, 0);
    }
    WAVEFORMATEX untouched = Pcm(1, 1234, 8);
    SetStandardFormat(untouched, 0);
    SetStandardFormat(untouched, 21);
    EXPECT_EQ(untouched.nSamplesPerSec, 1234u);
}

TEST(WaveSamples, PeakLevel)
{
    const WAVEFORMATEX b8 = Pcm(1, 8000, 8), b16 = Pcm(1, 8000, 16);
    const uint8_t quiet[] = {0x10, 0x80, 0x7F};
    const uint8_t loud[] = {0x80, 0xFF};
    EXPECT_EQ(GetWaveLevel(quiet, 3, b8), 0);
    EXPECT_EQ(GetWaveLevel(loud, 2, b8), 100);
    const int16_t full[] = {-5, 32767};
    const int16_t negative[] = {-32768, -1};
    const int16_t half[] = {16384};
    EXPECT_EQ(GetWaveLevel(full, 4, b16), 100);
    EXPECT_EQ(GetWaveLevel(negative, 4, b16), 0);
    EXPECT_EQ(GetWaveLevel(half, 2, b16), 50);
    WAVEFORMATEX other = b16;
    other.wFormatTag = 2;
    EXPECT_EQ(GetWaveLevel(full, 4, other), -1);
}

TEST(WaveSamples, InvertKeepsEachFrameWhole)
{
    const WAVEFORMATEX stereo16 = Pcm(2, 8000, 16);
    int16_t frames[] = {1, -1, 2, -2, 3, -3};
    ASSERT_TRUE(InvertWaveData(frames, sizeof frames, stereo16));
    const int16_t want[] = {3, -3, 2, -2, 1, -1};
    EXPECT_EQ(std::memcmp(frames, want, sizeof want), 0);

    uint8_t mono8[] = {1, 2, 3, 4};
    ASSERT_TRUE(InvertWaveData(mono8, 4, Pcm(1, 8000, 8)));
    EXPECT_EQ(mono8[0], 4);
    EXPECT_EQ(mono8[3], 1);
    WAVEFORMATEX adpcm = stereo16;
    adpcm.wFormatTag = 2;
    EXPECT_FALSE(InvertWaveData(frames, sizeof frames, adpcm));
}

TEST(WaveSamples, VolumeWorksAroundSilence)
{
    uint8_t eight[] = {128, 138, 118, 250, 5};
    ASSERT_TRUE(ChangeWaveVolume(eight, 5, Pcm(1, 8000, 8), 100));
    const uint8_t want8[] = {128, 148, 108, 255, 0};
    EXPECT_EQ(std::memcmp(eight, want8, 5), 0);

    int16_t sixteen[] = {0, 1000, -1000, 30000, -30000};
    ASSERT_TRUE(ChangeWaveVolume(sixteen, sizeof sixteen, Pcm(1, 8000, 16), -50));
    const int16_t want16[] = {0, 500, -500, 15000, -15000};
    EXPECT_EQ(std::memcmp(sixteen, want16, sizeof want16), 0);
    int16_t clip[] = {30000, -30000};
    ChangeWaveVolume(clip, sizeof clip, Pcm(1, 8000, 16), 50);
    EXPECT_EQ(clip[0], 32767);
    EXPECT_EQ(clip[1], -32767);
}

TEST(WaveSamples, MixAveragesWithoutOverflow)
{
    const int16_t a[] = {30000, -30000, 100};
    const int16_t b[] = {30000, -30000};
    const TRawWave waves16[] = {{a, sizeof a}, {b, sizeof b}};
    int16_t out16[3];
    ASSERT_TRUE(MixWaveData(waves16, 2, Pcm(1, 8000, 16), out16, sizeof out16));
    EXPECT_EQ(out16[0], 30000);
    EXPECT_EQ(out16[1], -30000);
    EXPECT_EQ(out16[2], 50); // b has run out: it counts as silence

    const uint8_t c[] = {200, 128, 255};
    const uint8_t d[] = {56, 128};
    const TRawWave waves8[] = {{c, 3}, {d, 2}};
    uint8_t out8[3];
    ASSERT_TRUE(MixWaveData(waves8, 2, Pcm(1, 8000, 8), out8, 3));
    EXPECT_EQ(out8[0], 128);
    EXPECT_EQ(out8[1], 128);
    EXPECT_EQ(out8[2], 191); // (127 + 0) / 2 above silence
}

TEST(WaveSamples, SilenceAndConversion)
{
    uint8_t buf[4] = {1, 2, 3, 4};
    ASSERT_TRUE(SilenceWaveData(buf, 4, Pcm(1, 8000, 8)));
    EXPECT_EQ(buf[0], 0x80);
    ASSERT_TRUE(SilenceWaveData(buf, 4, Pcm(1, 8000, 16)));
    EXPECT_EQ(buf[3], 0);
    EXPECT_TRUE(SilenceWaveData(nullptr, 0, Pcm(1, 8000, 8))) << "an empty silence needs no buffer";
    EXPECT_FALSE(SilenceWaveData(nullptr, 0, WAVEFORMATEX{}));

    const uint8_t mono8[] = {128, 255, 0};
    std::vector<uint8_t> out;
    ASSERT_TRUE(ConvertWaveFormat(Pcm(1, 8000, 8), mono8, 3, Pcm(2, 8000, 16), out));
    ASSERT_EQ(out.size(), 12u);
    int16_t s[6];
    std::memcpy(s, out.data(), 12);
    EXPECT_EQ(s[0], 0);
    EXPECT_EQ(s[2], 127 << 8);
    EXPECT_EQ(s[3], 127 << 8);
    EXPECT_EQ(s[4], -32768);

    WAVEFORMATEX adpcm = Pcm(1, 8000, 16);
    adpcm.wFormatTag = 2;
    EXPECT_FALSE(ConvertWaveFormat(adpcm, mono8, 3, Pcm(1, 8000, 16), out));
    EXPECT_TRUE(out.empty());
}
