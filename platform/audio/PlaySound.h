#pragma once
// Sound playback from memory: a whole RIFF/WAVE image played at once, either
// synchronously (returns when the sound has ended, without handling any
// events meanwhile) or asynchronously. One such sound plays at a time: a new
// one stops the previous. It plays on an output of its own, so it overlaps
// the players' sounds.
#include <cstddef>
#include <cstdint>

namespace plat {

enum : uint32_t {
    SND_SYNC = 0x0000,
    SND_ASYNC = 0x0001,
    SND_NODEFAULT = 0x0002,
    SND_MEMORY = 0x0004,
    SND_PURGE = 0x0040,
};

// With SND_MEMORY, sound is a RIFF image whose length its own header gives.
// A null sound stops the sound that plays. Only memory images are supported.
bool PlaySoundA(const void *sound, uintptr_t module, uint32_t flags);
// The same with the image's length known: nothing beyond it is read.
bool PlaySoundMemory(const void *image, size_t size, uint32_t flags);

} // namespace plat
