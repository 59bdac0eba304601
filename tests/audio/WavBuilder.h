#pragma once
// Builds RIFF/WAVE images chunk by chunk, so that a test can state exactly
// which sizes and chunks a file has.
#include "platform/audio/WaveOut.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace wavtest {

inline void Put32(std::vector<uint8_t> &v, uint32_t x)
{
    for (int i = 0; i < 4; ++i)
        v.push_back(static_cast<uint8_t>(x >> (8 * i)));
}

inline plat::WAVEFORMATEX Pcm(uint16_t channels, uint32_t rate, uint16_t bits)
{
    plat::WAVEFORMATEX f{};
    f.wFormatTag = plat::WAVE_FORMAT_PCM;
    f.nChannels = channels;
    f.nSamplesPerSec = rate;
    f.wBitsPerSample = bits;
    f.nBlockAlign = static_cast<uint16_t>(channels * bits / 8);
    f.nAvgBytesPerSec = f.nBlockAlign * rate;
    return f;
}

struct Chunk {
    std::string id;
    std::vector<uint8_t> body;
    int64_t sizeField = -1; // -1: the body's size
    bool pad = true;        // add the pad byte after an odd body
};

inline Chunk FmtChunk(const plat::WAVEFORMATEX &f, uint32_t bytes = 16)
{
    Chunk c{"fmt ", {}};
    std::vector<uint8_t> raw(sizeof f);
    std::memcpy(raw.data(), &f, sizeof f);
    raw.resize(std::max<size_t>(raw.size(), bytes));
    c.body.assign(raw.begin(), raw.begin() + bytes);
    return c;
}

inline Chunk DataChunk(std::vector<uint8_t> samples) { return Chunk{"data", std::move(samples)}; }

// RIFF "WAVE" around the chunks; riffSize -1 computes it.
inline std::vector<uint8_t> Riff(const std::vector<Chunk> &chunks, int64_t riffSize = -1)
{
    std::vector<uint8_t> body{'W', 'A', 'V', 'E'};
    for (const Chunk &c : chunks) {
        body.insert(body.end(), c.id.begin(), c.id.end());
        Put32(body, static_cast<uint32_t>(c.sizeField >= 0 ? c.sizeField : static_cast<int64_t>(c.body.size())));
        body.insert(body.end(), c.body.begin(), c.body.end());
        if (c.pad && c.body.size() % 2)
            body.push_back(0);
    }
    std::vector<uint8_t> out{'R', 'I', 'F', 'F'};
    Put32(out, static_cast<uint32_t>(riffSize >= 0 ? riffSize : static_cast<int64_t>(body.size())));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

// A plain PCM file of the given duration; samples count up so that any
// reordering or loss shows.
inline std::vector<uint8_t> Wav(const plat::WAVEFORMATEX &f, uint32_t bytes)
{
    std::vector<uint8_t> samples(bytes);
    for (uint32_t i = 0; i < bytes; ++i)
        samples[i] = static_cast<uint8_t>(i * 7 + 1);
    return Riff({FmtChunk(f), DataChunk(samples)});
}

} // namespace wavtest
