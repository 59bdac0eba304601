// The program's settings file (Windows-1252 profile text) read with the
// platform's profile rules.
#include "fuzz/support/FuzzSupport.h"
#include "platform/core/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const plat::TIniFile ini(zibor::fuzz::InputFile(data, size, ".ini"));
    (void)ini.ReadString("Settings", "datapath", "");
    (void)ini.ReadString("Settings", "trpath", "default");
    (void)ini.ReadString("", "", "");
    (void)ini.ReadInteger("Settings", "count", -1);
    (void)ini.ReadInteger("settings", "DATAPATH", 7);
    return 0;
}
