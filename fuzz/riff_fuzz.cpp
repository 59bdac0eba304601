// Any RIFF file walked chunk by chunk through the mmio calls, and the wave
// header reader on it.
#include "audio/WaveUtils.h"
#include "fuzz/support/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    zibor::fuzz::TInputStream stream(data, size);
    plat::HMMIO h = OpenStreamMMIO(&stream);
    if (!h)
        return 0;
    PWaveFormat format;
    uint32_t dataSize = 0, dataOffset = 0;
    ReadWaveHeader(h, format, dataSize, dataOffset);
    plat::MMCKINFO riff{};
    if (plat::mmioSeek(h, 0, plat::MMIO_SEEK_SET) == 0 && plat::mmioDescend(h, &riff, nullptr, 0) == 0) {
        // The chunks inside, and one level below each.
        for (int i = 0; i < 64; ++i) {
            plat::MMCKINFO chunk{};
            if (plat::mmioDescend(h, &chunk, &riff, 0) != 0)
                break;
            plat::MMCKINFO inner{};
            if (plat::mmioDescend(h, &inner, &chunk, 0) == 0) {
                char buffer[16];
                plat::mmioRead(h, buffer, sizeof buffer);
                plat::mmioAscend(h, &inner, 0);
            }
            if (plat::mmioAscend(h, &chunk, 0) != 0)
                break;
        }
    }
    plat::mmioClose(h, 0);
    return 0;
}
