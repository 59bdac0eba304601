// A string list file (Windows-1252 with CRLF, or UTF-8 after a byte-order
// mark) loaded, written back and read again.
#include "fuzz/support/FuzzSupport.h"
#include "platform/core/StringList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    plat::TStringList lines;
    if (!zibor::fuzz::LoadInput(lines, data, size))
        return 0;
    // Not compared with the first reading: text outside Windows-1252 is
    // written as the codec's stand-in, as the framework writes it.
    plat::TMemoryStream saved;
    lines.SaveToStream(saved);
    saved.SetPosition(0);
    plat::TStringList again;
    again.LoadFromStream(saved);
    (void)lines.IndexOf("x");
    return 0;
}
