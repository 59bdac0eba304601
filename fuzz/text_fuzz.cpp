// Text typed or stored: number and date conversions under each date order,
// the Windows-1252 codec both ways, trimming and case.
#include "fuzz/support/FuzzSupport.h"
#include "platform/core/Dates.h"
#include "platform/core/Text.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    static const char *const formats[] = {"dd-mm-yyyy", "yyyy-mm-dd", "mm-dd-yyyy", "d-m-yy"};
    plat::TFormatSettings &fs = plat::FormatSettings();
    const plat::TFormatSettings kept = fs;
    fs.ShortDateFormat = formats[data[0] % 4];
    const std::string text(reinterpret_cast<const char *>(data + 1), size - 1);
    int i = 0;
    int64_t l = 0;
    double d = 0;
    plat::TDateTime dt = 0;
    (void)plat::TryStrToInt(text, i);
    (void)plat::TryStrToInt64(text, l);
    (void)plat::TryStrToFloat(text, d);
    (void)plat::StrToIntDef(text, 0);
    (void)plat::StrToFloatDef(text, 0);
    if (plat::TryStrToDate(text, dt))
        (void)plat::DateToStr(dt);
    const plat::String utf8 = plat::AnsiToUtf8(text);
    (void)plat::Utf8ToAnsi(utf8);
    (void)plat::Utf8ToAnsi(text);
    (void)plat::Trim(text);
    (void)plat::UpperCase(text);
    (void)plat::LowerCase(utf8);
    fs = kept;
    return 0;
}
