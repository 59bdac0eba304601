// A RIFF/WAVE file in the stream adapter: its header, the samples read as the
// player reads them, and the whole-wave edits, each on a fresh copy.
#include "audio/WaveStreamAdapter.h"
#include "fuzz/support/FuzzSupport.h"

#include <functional>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using zibor::fuzz::TInputStream;
    {
        TInputStream stream(data, size);
        TWaveStreamAdapter wave(&stream);
        if (!wave.Valid())
            return 0;
        (void)wave.Length();
        (void)wave.MsToBytes(1000);
        if (wave.BeginRead()) {
            std::vector<uint8_t> buffer(4096);
            while (wave.Read(buffer.data(), static_cast<uint32_t>(buffer.size())) > 0) {
            }
            wave.EndRead();
        }
    }
    plat::WAVEFORMATEX pcm{};
    SetPCMFormat(pcm, TPCMChannel::cMono, TPCMSamplesPerSec::ss8000Hz, TPCMBitsPerSample::bs16Bit);
    const std::function<void(TWaveStreamAdapter &)> edits[] = {
        [](TWaveStreamAdapter &w) { w.InsertSilence(1, 20); },
        [](TWaveStreamAdapter &w) { w.Invert(); },
        [](TWaveStreamAdapter &w) { w.ChangeVolume(150); },
        [](TWaveStreamAdapter &w) { w.Delete(1, 3); },
        [](TWaveStreamAdapter &w) { w.DeleteEnd(2); },
        [](TWaveStreamAdapter &w) { w.Concat({&w, &w}, 5); },
        [](TWaveStreamAdapter &w) { w.Mix({&w, &w}); },
        [&](TWaveStreamAdapter &w) { w.ConvertTo(pcm); },
    };
    for (const auto &edit : edits) {
        TInputStream stream(data, size);
        TWaveStreamAdapter wave(&stream);
        edit(wave);
        (void)wave.Valid();
    }
    return 0;
}
