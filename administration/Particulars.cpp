#include "administration/Particulars.h"

#include "administration/Age.h"
#include "platform/core/Dates.h"
#include "platform/core/Text.h"
#include "platform/graphics/Fonts.h"

namespace adm {

namespace {

bool IsDigit(char32_t c) { return c >= '0' && c <= '9'; }
bool IsAsciiLetter(char32_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool AllDigits(const std::string &s)
{
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// Whole number of at most nine digits; -1 for anything else.
int SmallNumber(const std::string &s)
{
    if (s.empty() || s.size() > 9 || !AllDigits(s))
        return -1;
    return std::stoi(s);
}

// A character that a Windows-1252 file holds and reads back as itself.
bool InCodePage(char32_t c)
{
    if (c == 0xFFFD || c >= 0x10000)
        return false;
    if (c < 0x80)
        return true;
    const std::string u = plat::Utf16ToUtf8(std::u16string(1, static_cast<char16_t>(c)));
    const std::string a = plat::Utf8ToAnsi(u);
    return a.size() == 1 && a != "?" && plat::AnsiToUtf8(a) == u;
}

bool CharAllowed(TFieldKind kind, char32_t c)
{
    switch (kind) {
    case TFieldKind::Code:
        return IsDigit(c) || IsAsciiLetter(c) || c == ' ' || c == '#' || c == '(' || c == ')' || c == '-' ||
               c == '_';
    case TFieldKind::CodeNoBlank:
        return c != ' ' && CharAllowed(TFieldKind::Code, c);
    case TFieldKind::Digits:
        return IsDigit(c);
    case TFieldKind::Text:
        // Control characters include C1 (0x80..0x9F), which 1252 maps to
        // printable signs only through its own table, never as themselves.
        return c >= 0x20 && c != 0x7F && !(c >= 0x80 && c <= 0x9F) && c != ';' && InCodePage(c);
    }
    return false;
}

} // namespace

bool KeyAllowed(TFieldKind kind, char32_t key) { return key == kBackspace || CharAllowed(kind, key); }

const char *KeyMessage(TFieldKind kind)
{
    switch (kind) {
    case TFieldKind::Code:
    case TFieldKind::CodeNoBlank:
        return kMsgCodeTekens;
    case TFieldKind::Digits:
        return kMsgCijfers;
    case TFieldKind::Text:
        return nullptr; // free text: a refused character goes without a word
    }
    return nullptr;
}

std::string FilterText(TFieldKind kind, const std::string &utf8, bool *dropped)
{
    // Every character a filter lets through lies in the basic plane.
    std::u16string kept;
    bool any = false;
    for (char32_t c : plat::Utf8ToUtf32(utf8)) {
        if (CharAllowed(kind, c))
            kept += static_cast<char16_t>(c);
        else
            any = true;
    }
    if (dropped)
        *dropped = any;
    return plat::Utf16ToUtf8(kept);
}

std::string SchoonNaam(const std::string &s)
{
    std::string out;
    for (char c : s)
        if (c != 0 && c != 9 && c != 10 && c != 13 && c != 32)
            out += c;
    return out;
}

std::string VulLinks(const std::string &s, char c, size_t length)
{
    return s.size() >= length ? s : std::string(length - s.size(), c) + s;
}

bool CodeEmpty(const std::string &code) { return SchoonNaam(code).empty(); }

bool CodeLeavesFolder(const std::string &code)
{
    return code.find('/') != std::string::npos || code.find('\\') != std::string::npos ||
           code.find("..") != std::string::npos;
}

bool CodeRefused(const std::string &code)
{
    return CodeLeavesFolder(code) || FilterText(TFieldKind::Code, code) != code;
}

std::string BaseName(const std::string &code, const std::string &day, const std::string &month,
                     const std::string &year)
{
    return SchoonNaam(code) + "_" + day + "-" + month + "-" + year;
}

std::string RenumberedCode(const std::string &code, int current, int counter)
{
    const std::string suffix = " #" + std::to_string(counter);
    if (current > 0) {
        const size_t hash = code.rfind(" #");
        if (hash != std::string::npos)
            return code.substr(0, hash) + suffix;
    }
    return code + suffix;
}

TBirthCheck MayContinue(const TParticulars &p, plat::TDateTime today, const TBirthRules &rules)
{
    TBirthCheck r;
    const int day = SmallNumber(p.gebdag), month = SmallNumber(p.gebmnd);
    r.complete = !CodeEmpty(p.code) && p.sex >= 0 && p.gebdag.size() == 2 && day >= 0 && day < 32 &&
                 p.gebmnd.size() == 2 && month >= 0 && month < 13 && p.gebjaar.size() == 4 && (p.form >= 0 || !rules.requireForm);
    if (!r.complete)
        return r;
    // Pasted or stored non-digits make the birth date invalid.
    const int year = SmallNumber(p.gebjaar);
    const int testYear = SmallNumber(p.afnjaar);
    if (year < 0 || (rules.notApplicable && testYear < 0))
        return r;
    if (rules.notApplicable && year + 1 >= testYear) {
        r.notApplicable = true;
        return r;
    }
    if (!plat::TryEncodeDate(year, month, day, r.birth))
        return r;
    const Leeftijd age = BerekenLeeftijd(r.birth, today);
    r.ageInMonths = age.months;
    r.ageText = age.text;
    r.valid = true;
    return r;
}

TFocus BirthDateFocus(const TParticulars &p)
{
    const int month = SmallNumber(p.gebmnd);
    return p.gebmnd.size() == 2 && month >= 0 && month < 13 ? TFocus::Egebdag : TFocus::Egebmnd;
}

TCodeCheck CheckCode(const std::string &code, const char *emptyMessage)
{
    if (CodeEmpty(code))
        return {emptyMessage, TFocus::Keep};
    if (CodeRefused(code))
        return {kMsgCodeTekens, TFocus::Ecode};
    return {};
}

TStartCheck CheckStart(const TParticulars &p, plat::TDateTime today)
{
    TStartCheck r;
    if (const TCodeCheck code = CheckCode(p.code, kMsgGeenNaam); code.message) {
        r.message = code.message;
        r.focus = code.focus;
        return r;
    }
    if (p.sex < 0) {
        r.message = kMsgGeenSekse;
        return r;
    }
    if (p.form < 0) {
        r.message = kMsgGeenVersie;
        return r;
    }
    r.birth = MayContinue(p, today);
    if (!r.birth.valid) {
        r.message = kMsgGeboortedatum;
        r.focus = BirthDateFocus(p);
    }
    return r;
}

TContinueStep ContinueStep(int state)
{
    switch (state) {
    case 1:
        return {1, TSubtest::FV, 0};
    case 2:
        return {2, TSubtest::FW, 0};
    case 3:
        return {5, TSubtest::FW, 1};
    case 4:
        return {6, TSubtest::FV, 1};
    case 5:
        return {5, TSubtest::FW, 1};
    case 6:
        return {6, TSubtest::FV, 1};
    default:
        return {state, TSubtest::FW, 0};
    }
}

int ResumedState(int state, const std::string &lastFW, const std::string &lastFV)
{
    if ((state == 5 && lastFW == "15") || (state == 6 && lastFV == "12"))
        return 7;
    return state;
}

} // namespace adm
