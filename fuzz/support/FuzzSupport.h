#pragma once
// What every harness may need besides its bytes. A harness is one file,
// fuzz/<name>_fuzz.cpp, that defines LLVMFuzzerTestOneInput; its seeds and
// every input that once failed live in fuzz/corpus/<name>/.
#include "platform/core/Exceptions.h"
#include "platform/core/Streams.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace zibor::fuzz {

// A Qt application on the offscreen platform, the null audio device and the
// test mode of the window layer, made once: call it first in a harness that
// draws, loads pictures or plays sound.
void NeedApplication();

// A memory stream holding the input, positioned at its start.
class TInputStream : public plat::TMemoryStream {
public:
    TInputStream(const uint8_t *data, size_t size);
};

// The input through reader.LoadFromStream; false when the reader refuses it
// with its own error (anything else goes through to the fuzzer).
template <class Reader>
bool LoadInput(Reader &reader, const uint8_t *data, size_t size)
{
    TInputStream stream(data, size);
    try {
        reader.LoadFromStream(stream);
    } catch (const plat::Exception &) {
        return false;
    }
    return true;
}

// A file holding the input, for readers that only take a file name; one per
// process, rewritten for each input.
std::string InputFile(const uint8_t *data, size_t size, const std::string &extension = ".bin");

} // namespace zibor::fuzz
