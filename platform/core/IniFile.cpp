#include "platform/core/IniFile.h"
#include "platform/core/Files.h"
#include "platform/core/StringList.h"
#include "platform/core/Text.h"

#include <fstream>
#include <sstream>

namespace plat {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

String TrimBlanks(const String &s)
{
    size_t a = 0, b = s.size();
    while (a < b && IsBlank(s[a]))
        ++a;
    while (b > a && IsBlank(s[b - 1]))
        --b;
    return s.substr(a, b - a);
}

bool ReadFileText(const String &fileName, String &text)
{
    std::ifstream f(MapPath(fileName), std::ios::binary);
    if (!f)
        return false;
    std::stringstream ss;
    ss << f.rdbuf();
    const std::string bytes = ss.str();
    text = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? bytes.substr(3) : AnsiToUtf8(bytes);
    return true;
}

} // namespace

TIniFile::TIniFile(const String &fileName) : fileName_(fileName) {}

bool TIniFile::Find(const String &section, const String &key, String &value) const
{
    String text;
    if (!ReadFileText(fileName_, text))
        return false;
    const String wantSection = TrimBlanks(section), wantKey = TrimBlanks(key);
    bool inSection = false, sectionSeen = false;
    for (const String &raw : SplitLines(text)) {
        const String line = TrimBlanks(raw);
        if (line.empty() || line[0] == ';')
            continue;
        if (line[0] == '[') {
            // Only the first section of that name is searched.
            if (sectionSeen)
                return false;
            const size_t close = line.find(']');
            const String name = TrimBlanks(line.substr(1, close == String::npos ? String::npos : close - 1));
            inSection = AnsiSameText(name, wantSection);
            sectionSeen = inSection;
            continue;
        }
        if (!inSection)
            continue;
        const size_t eq = line.find('=');
        if (eq == String::npos || !AnsiSameText(TrimBlanks(line.substr(0, eq)), wantKey))
            continue;
        String v = TrimBlanks(line.substr(eq + 1));
        if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0])
            v = v.substr(1, v.size() - 2);
        value = v;
        return true;
    }
    return false;
}

String TIniFile::ReadString(const String &section, const String &key, const String &def) const
{
    String v;
    return Find(section, key, v) ? v : def;
}

int TIniFile::ReadInteger(const String &section, const String &key, int def) const
{
    String v;
    if (!Find(section, key, v))
        return def;
    return StrToIntDef(v, def);
}

} // namespace plat
