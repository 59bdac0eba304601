#pragma once
// The particulars of one administration and the rules on them that need no
// window: what each field accepts (typed, pasted or assigned alike), the
// checks before a start, the age, the base name of the administration's
// files, and the state changes when a resumed administration continues.
//
// The particulars window and the correction window both use these, so the
// two agree on every rule.
#include "platform/core/Types.h"

#include <string>

namespace adm {

// Form A is 0 and form B 1, as the items of the form choice; -1 none.
// Sex: "Meisje" 0, "Jongen" 1, -1 none.
struct TParticulars {
    std::string code;    // Ecode
    int sex = -1;        // RGsekse
    std::string gebdag;  // birth day, month, year as typed
    std::string gebmnd;
    std::string gebjaar;
    std::string afndag;  // test day and month (two digits), year
    std::string afnmnd;
    std::string afnjaar;
    std::string school;  // Eschool
    std::string groep;   // Egroep
    std::string tl;      // Etl
    int form = -1;       // ZIBversion
};

// ---------------------------------------------------------------- filters

// What a field accepts. Every field that goes into a data record refuses ";"
// (the record's separator) and control characters, and characters that a
// Windows-1252 data file cannot hold.
enum class TFieldKind {
    Code,   // blank, "#", "(", ")", "-", "_", digits and ASCII letters
    CodeNoBlank, // the same without the blank (the correction window's code)
    Digits, // the birth date: digits only
    Text,   // school, group, test leader
};

constexpr char32_t kBackspace = 8;

// A typed key: backspace always passes.
bool KeyAllowed(TFieldKind kind, char32_t key);

// The message shown when a key is discarded.
const char *KeyMessage(TFieldKind kind);

// Text that arrives by paste or by assignment: the characters a typed key
// would not bring are dropped. dropped tells whether any was.
std::string FilterText(TFieldKind kind, const std::string &utf8, bool *dropped = nullptr);

// Field limits of the particulars window, in characters.
constexpr int kCodeLength = 30, kDayLength = 2, kMonthLength = 2, kYearLength = 4, kSchoolLength = 30,
              kGroepLength = 2, kTlLength = 30;

// --------------------------------------------------------- names and text

// The text without its NUL, tab, line-feed, carriage-return and blank
// characters.
std::string SchoonNaam(const std::string &s);

// Left-padded with c to length characters (a longer text is kept).
std::string VulLinks(const std::string &s, char c, size_t length);

// A code that names no one: empty once SchoonNaam has removed its blanks
// (and the other characters a base name drops). It is refused as an empty
// code is; it would name files "_" and the date.
bool CodeEmpty(const std::string &code);

// A code that would put a file outside the data folder.
bool CodeLeavesFolder(const std::string &code);
// A code that leaves the data folder or holds a character the code field
// refuses (one that came from a file or a paste).
bool CodeRefused(const std::string &code);

// SchoonNaam(code) + "_" + day + "-" + month + "-" + year.
std::string BaseName(const std::string &code, const std::string &day, const std::string &month,
                     const std::string &year);

// The code of a renumbered administration: the part before the blank that
// precedes its "#" when the code already carries a number (current above 0),
// plus " #" counter.
std::string RenumberedCode(const std::string &code, int current, int counter);

// ------------------------------------------------------------------ checks

// The birth-date check that runs after every change of a field
// (MayContinue). The correction window checks less: a corrected
// administration keeps its form and its test date.
struct TBirthRules {
    bool requireForm = true;
    bool notApplicable = true; // born a year or less before the test year
};
struct TBirthCheck {
    bool complete = false;   // every condition on the fields holds
    bool notApplicable = false; // "Geboortedatum n.v.t.!" is due
    bool valid = false;      // particulars valid
    plat::TDateTime birth = 0;
    int ageInMonths = 0;
    std::string ageText;     // Edit3: years ";" months
};
TBirthCheck MayContinue(const TParticulars &p, plat::TDateTime today, const TBirthRules &rules = {});

constexpr const char *kMsgGeboortedatumNvt = "Geboortedatum n.v.t.!";
constexpr const char *kMsgGeenNaam = "Type eerst een proefpersoonnaam...";
constexpr const char *kMsgGeenSekse = "Geef het geslacht van de proefpersoon in s.v.p.!";
constexpr const char *kMsgGeenVersie = "Kies een ZIB-versie s.v.p.!";
constexpr const char *kMsgGeboortedatum =
    "Ongeldige ingave! Vul een correcte geboortedatum [dd-mm-jjjj] in s.v.p.!";
constexpr const char *kMsgCodeTekens =
    "Ongeldige ingave! Alleen cijfers {0 t/m 9}, letters {aA t/m zZ} en # ( ) - _ zijn hier toegestaan.";
constexpr const char *kMsgCijfers = "Ongeldige ingave! Alleen de cijfers 0 t/m 9 zijn hier toegestaan.";

enum class TFocus { Keep, Ecode, Egebdag, Egebmnd };

// The code's checks before a start or a correction: empty (with the
// caller's message), then refused characters. No message when it passes.
struct TCodeCheck {
    const char *message = nullptr;
    TFocus focus = TFocus::Keep;
};
TCodeCheck CheckCode(const std::string &code, const char *emptyMessage);

// Where the focus goes after the birth-date message: the day when the month
// is a good one, else the month.
TFocus BirthDateFocus(const TParticulars &p);

// The checks of the start button in their order; an empty message when all
// pass.
struct TStartCheck {
    std::string message;
    TFocus focus = TFocus::Keep;
    TBirthCheck birth;
    bool ok() const { return message.empty(); }
};
TStartCheck CheckStart(const TParticulars &p, plat::TDateTime today);

// ---------------------------------------------------------------- states

// Administration state: 1 FV chosen, 2 FW chosen, 3 FV done, 4 FW done,
// 5 FV done and FW under way, 6 FW done and FV under way, 7 finished.
enum class TSubtest { FW, FV };

// What continuing a resumed administration does for states 1..6.
struct TContinueStep {
    int state = 0;        // the state afterwards
    TSubtest intro{};     // the introduction shown
    int otherDone = 0;    // that subtest window's other-subtest-done flag
};
TContinueStep ContinueStep(int state);

// The state of a resumed administration once both records are read: 7 when
// the subtest under way has reached its last entry.
int ResumedState(int state, const std::string &lastFW, const std::string &lastFV);

} // namespace adm
