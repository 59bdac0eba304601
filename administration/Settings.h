#pragma once
// The settings file ".\ZIBOR.ini", section "Settings". Its place is fixed
// once, against the folder that is current when the program starts, so that
// a file dialog that changes the current folder later cannot lose the
// settings. The program only reads the file.
#include "platform/core/Types.h"

namespace settings {

// Fixes the file as "ZIBOR.ini" in folder (the current folder when empty).
void Resolve(const plat::String &folder = {});
// The file's full path; resolves against the current folder on first use.
plat::String FileName();
// A key of section "Settings"; def when the file or the key is missing.
plat::String Read(const plat::String &key, const plat::String &def);

} // namespace settings
