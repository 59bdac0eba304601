#pragma once
// Read access to a settings file with the platform's private-profile rules:
//  - section and key names are matched ignoring case, with blanks around
//    them ignored; the first matching section and key count;
//  - the value is everything after the first "=", trimmed of blanks, taken
//    verbatim: no escapes, so "C:\data\zib" stays as written;
//  - a value enclosed in a matching pair of double or single quotes loses
//    that pair (the platform strips both kinds);
//  - lines starting with ";" are comments;
//  - a missing file, section or key gives the default; a key that is
//    present with nothing after "=" gives the empty text.
// The file is Windows-1252 (a UTF-8 byte-order mark switches to UTF-8) and is
// read again on every call, as the platform does; the program never writes it.
#include "platform/core/Types.h"

namespace plat {

class TIniFile {
public:
    explicit TIniFile(const String &fileName);
    const String &FileName() const { return fileName_; }

    String ReadString(const String &section, const String &key, const String &def) const;
    // The value as an integer ("0x1F" and "$1F" are hexadecimal); the default
    // when missing or not a number.
    int ReadInteger(const String &section, const String &key, int def) const;

private:
    bool Find(const String &section, const String &key, String &value) const;
    String fileName_;
};

} // namespace plat
