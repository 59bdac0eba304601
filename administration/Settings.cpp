#include "administration/Settings.h"

#include "platform/core/Files.h"
#include "platform/core/IniFile.h"

namespace settings {

namespace {
plat::String g_fileName;
}

void Resolve(const plat::String &folder)
{
    const plat::String base = folder.empty() ? plat::GetCurrentDir() : folder;
    g_fileName = plat::IncludeTrailingPathDelimiter(base) + "ZIBOR.ini";
}

plat::String FileName()
{
    if (g_fileName.empty())
        Resolve();
    return g_fileName;
}

plat::String Read(const plat::String &key, const plat::String &def)
{
    return plat::TIniFile(FileName()).ReadString("Settings", key, def);
}

} // namespace settings
