// The particulars without a window: start checks, filters, names, states.
#include "administration/Particulars.h"

#include "platform/core/Dates.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace adm;

TParticulars Valid()
{
    TParticulars p;
    p.code = "Jan";
    p.sex = 0;
    p.gebdag = "15";
    p.gebmnd = "06";
    p.gebjaar = "2015";
    p.afndag = "10";
    p.afnmnd = "03";
    p.afnjaar = "2024";
    p.form = 0;
    return p;
}

const plat::TDateTime kToday = plat::EncodeDate(2024, 3, 10);

TEST(Particulars, StartChecksInOrderWithMessageAndFocus)
{
    struct Row {
        const char *name;
        std::function<void(TParticulars &)> change;
        const char *message; // nullptr: the start passes
        TFocus focus;
    };
    const Row rows[] = {
        {"valid", [](TParticulars &) {}, nullptr, TFocus::Keep},
        {"no code", [](TParticulars &p) { p.code.clear(); }, kMsgGeenNaam, TFocus::Keep},
        {"no code comes before no sex", [](TParticulars &p) { p.code.clear(), p.sex = -1; }, kMsgGeenNaam,
         TFocus::Keep},
        // Nothing left of it in a file name: no code at all.
        {"code of blanks only", [](TParticulars &p) { p.code = "   "; }, kMsgGeenNaam, TFocus::Keep},
        {"code of blanks comes before no sex", [](TParticulars &p) { p.code = " ", p.sex = -1; }, kMsgGeenNaam,
         TFocus::Keep},
        {"blanks around a code", [](TParticulars &p) { p.code = " J an "; }, nullptr, TFocus::Keep},
        {"code with slash", [](TParticulars &p) { p.code = "a/b"; }, kMsgCodeTekens, TFocus::Ecode},
        {"code with backslash", [](TParticulars &p) { p.code = "a\\b"; }, kMsgCodeTekens, TFocus::Ecode},
        {"code with dots", [](TParticulars &p) { p.code = ".."; }, kMsgCodeTekens, TFocus::Ecode},
        {"code with semicolon", [](TParticulars &p) { p.code = "a;b"; }, kMsgCodeTekens, TFocus::Ecode},
        {"no sex", [](TParticulars &p) { p.sex = -1; }, kMsgGeenSekse, TFocus::Keep},
        {"no sex comes before no form", [](TParticulars &p) { p.sex = -1, p.form = -1; }, kMsgGeenSekse,
         TFocus::Keep},
        {"no form", [](TParticulars &p) { p.form = -1; }, kMsgGeenVersie, TFocus::Keep},
        {"day 00", [](TParticulars &p) { p.gebdag = "00"; }, kMsgGeboortedatum, TFocus::Egebdag},
        {"31 February", [](TParticulars &p) { p.gebdag = "31", p.gebmnd = "02"; }, kMsgGeboortedatum,
         TFocus::Egebdag},
        {"day 32", [](TParticulars &p) { p.gebdag = "32"; }, kMsgGeboortedatum, TFocus::Egebdag},
        {"one-digit day", [](TParticulars &p) { p.gebdag = "5"; }, kMsgGeboortedatum, TFocus::Egebdag},
        {"month 13", [](TParticulars &p) { p.gebmnd = "13"; }, kMsgGeboortedatum, TFocus::Egebmnd},
        {"one-digit month", [](TParticulars &p) { p.gebmnd = "6"; }, kMsgGeboortedatum, TFocus::Egebmnd},
        {"empty month", [](TParticulars &p) { p.gebmnd.clear(); }, kMsgGeboortedatum, TFocus::Egebmnd},
        {"three-digit year", [](TParticulars &p) { p.gebjaar = "201"; }, kMsgGeboortedatum, TFocus::Egebdag},
        {"non-digits in the year", [](TParticulars &p) { p.gebjaar = "20a5"; }, kMsgGeboortedatum,
         TFocus::Egebdag},
        {"non-digits in the day", [](TParticulars &p) { p.gebdag = "1a"; }, kMsgGeboortedatum,
         TFocus::Egebdag},
        {"born a year before the test", [](TParticulars &p) { p.gebjaar = "2023"; }, kMsgGeboortedatum,
         TFocus::Egebdag},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        TParticulars p = Valid();
        row.change(p);
        const TStartCheck c = CheckStart(p, kToday);
        EXPECT_EQ(c.message, row.message ? row.message : "");
        EXPECT_EQ(c.focus, row.focus);
        EXPECT_EQ(c.ok(), row.message == nullptr);
    }
}

TEST(Particulars, BirthCheckAgeAndNotApplicable)
{
    TParticulars p = Valid();
    TBirthCheck c = MayContinue(p, kToday);
    EXPECT_TRUE(c.valid);
    EXPECT_EQ(c.ageInMonths, 104);
    EXPECT_EQ(c.ageText, "8;8");
    // A code of blanks is no code: the particulars are not complete.
    p.code = "  ";
    c = MayContinue(p, kToday);
    EXPECT_FALSE(c.complete);
    EXPECT_FALSE(c.valid);
    p = Valid();

    // The eighth birthday on the test day.
    p.gebdag = "10", p.gebmnd = "03", p.gebjaar = "2016";
    c = MayContinue(p, kToday);
    EXPECT_EQ(c.ageInMonths, 96);
    EXPECT_EQ(c.ageText, "8;0");

    // A year too late once the birth fields are complete.
    p.gebjaar = "2023";
    c = MayContinue(p, kToday);
    EXPECT_TRUE(c.notApplicable);
    EXPECT_FALSE(c.valid);
    // Not yet complete: no message due.
    p.gebjaar = "202";
    c = MayContinue(p, kToday);
    EXPECT_FALSE(c.notApplicable);
    EXPECT_FALSE(c.complete);
}

TEST(Particulars, KeysTypedAndTextPasted)
{
    struct KeyRow {
        TFieldKind kind;
        char32_t key;
        bool allowed;
    };
    const KeyRow keys[] = {
        {TFieldKind::Code, U'a', true},   {TFieldKind::Code, U'Z', true},   {TFieldKind::Code, U' ', true},
        {TFieldKind::Code, U'#', true},   {TFieldKind::Code, U'_', true},   {TFieldKind::Code, kBackspace, true},
        {TFieldKind::Code, U'\u00e9', false}, {TFieldKind::Code, U';', false}, {TFieldKind::Code, U'/', false},
        {TFieldKind::Code, U'.', false},  {TFieldKind::Code, U'\\', false},
        {TFieldKind::Digits, U'7', true}, {TFieldKind::Digits, kBackspace, true},
        {TFieldKind::Digits, U'\u00e9', false}, {TFieldKind::Digits, U';', false},
        {TFieldKind::Digits, U'/', false}, {TFieldKind::Digits, U' ', false},
        {TFieldKind::Text, U'\u00e9', true}, {TFieldKind::Text, U'/', true},   {TFieldKind::Text, U'\u20ac', true},
        {TFieldKind::Text, kBackspace, true}, {TFieldKind::Text, U';', false}, {TFieldKind::Text, U'\t', false},
        {TFieldKind::Text, U'\u0142', false}, // no such character in the data files' code page
    };
    for (const KeyRow &k : keys) {
        SCOPED_TRACE(static_cast<int>(k.key));
        EXPECT_EQ(KeyAllowed(k.kind, k.key), k.allowed);
    }
    EXPECT_STREQ(KeyMessage(TFieldKind::Code), kMsgCodeTekens);
    EXPECT_STREQ(KeyMessage(TFieldKind::Digits), kMsgCijfers);

    struct PasteRow {
        TFieldKind kind;
        const char *pasted;
        const char *kept;
    };
    const PasteRow pastes[] = {
        {TFieldKind::Code, "Jan de Vries", "Jan de Vries"},
        {TFieldKind::Code, "Jan;\xC3\xA9/../x", "Janx"},
        {TFieldKind::Digits, "1a2", "12"},
        {TFieldKind::Digits, "\xC3\xA9;/", ""},
        {TFieldKind::Text, "De \xC3\x89ik;\r\nZ/W", "De \xC3\x89ikZ/W"},
        {TFieldKind::Text, "a\xC5\x82" "b", "ab"},
        {TFieldKind::Text, "broken \xC3", "broken "},
    };
    for (const PasteRow &row : pastes) {
        SCOPED_TRACE(row.pasted);
        bool dropped = false;
        EXPECT_EQ(FilterText(row.kind, row.pasted, &dropped), row.kept);
        EXPECT_EQ(dropped, std::string(row.pasted) != row.kept);
    }
}

TEST(Particulars, NamesAndPadding)
{
    EXPECT_EQ(SchoonNaam(std::string("A b\tc\r\nd\0e", 11)), "Abcde");
    EXPECT_EQ(BaseName("Jan #2", "5", "3", "2024"), "Jan#2_5-3-2024");
    EXPECT_EQ(VulLinks("5", '0', 2), "05");
    EXPECT_EQ(VulLinks("2024", '0', 2), "2024");
    // The number replaces the previous one only when the file had one.
    EXPECT_EQ(RenumberedCode("Jan", 0, 2), "Jan #2");
    EXPECT_EQ(RenumberedCode("Jan #2", 2, 3), "Jan #3");
    EXPECT_EQ(RenumberedCode("Jan #2", 0, 2), "Jan #2 #2");
    EXPECT_TRUE(CodeLeavesFolder("../x"));
    EXPECT_FALSE(CodeLeavesFolder("Jan #2 (b)"));
}

TEST(Particulars, StatesOnContinueAndResume)
{
    struct Row {
        int state;
        int after;
        TSubtest intro;
        int otherDone;
    };
    const Row rows[] = {
        {1, 1, TSubtest::FV, 0}, {2, 2, TSubtest::FW, 0}, {3, 5, TSubtest::FW, 1},
        {4, 6, TSubtest::FV, 1}, {5, 5, TSubtest::FW, 1}, {6, 6, TSubtest::FV, 1},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.state);
        const TContinueStep s = ContinueStep(r.state);
        EXPECT_EQ(s.state, r.after);
        EXPECT_EQ(s.intro, r.intro);
        EXPECT_EQ(s.otherDone, r.otherDone);
    }

    struct Resumed {
        int state;
        const char *lastFW, *lastFV;
        int result;
    };
    const Resumed resumed[] = {
        {5, "15", "12", 7}, {5, "14", "12", 5}, {6, "15", "12", 7}, {6, "15", "11", 6},
        // The finished subtest's last entry decides nothing.
        {6, "", "12", 7},   {5, "15", "", 7},   {4, "15", "12", 4}, {3, "15", "12", 3},
        {2, "15", "", 2},   {1, "", "12", 1},   {7, "", "", 7},
    };
    for (const Resumed &r : resumed) {
        SCOPED_TRACE(std::to_string(r.state) + " " + r.lastFW + " " + r.lastFV);
        EXPECT_EQ(ResumedState(r.state, r.lastFW, r.lastFV), r.result);
    }
}

} // namespace
