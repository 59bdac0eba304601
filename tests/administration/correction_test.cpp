// The correction of a stored administration without its window: the key of
// a report, loading the two data files, the item lists, the corrected
// records and files, and the checks before confirming.
//
// The T-scores in the corrected records come from norms_reference.py (the
// report variant, 104 months = band 3):
//   deletion "30/1*10 50/0*2" 44, "30/0 30/1*9 50/0*2" 43;
//   substitution "150/1*10 200/0*2" 49, "150/0 150/1*9 200/0*2" 48.
#include "administration/Correction.h"

#include "platform/core/Dates.h"
#include "tests/platform/core/test_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace adm;

namespace {

const std::string kHead = "Jan;%;meisje;15;06;2015;05;03;2024;De Eik;5;Piet;";

std::string Head(const std::string &tag)
{
    std::string h = kHead;
    h.replace(h.find('%'), 1, tag);
    return h;
}

std::string Repeat(const std::string &s, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

// Complete records as the particulars window stores them (its own T-score).
const std::string kExamples = ";20;1;20;1;20;1";
const std::string kFWItems = Repeat(";30;1", 10) + Repeat(";50;0", 2);
const std::string kFVItems = Repeat(";150;1", 10) + Repeat(";200;0", 2);
std::string FWComplete(int state) { return Head("FWR") + "15;" + std::to_string(state) + kExamples + kFWItems + ";46"; }
std::string FVComplete(int state) { return Head("FVR") + "12;" + std::to_string(state) + kFVItems + ";50"; }
// Not yet started: the one empty pair of entry 1.
std::string FWUntouched(int state) { return Head("FWR") + ";" + std::to_string(state) + ";;"; }
std::string FVUntouched(int state) { return Head("FVR") + ";" + std::to_string(state) + ";;"; }

const plat::TDateTime kToday = plat::EncodeDate(2026, 12, 10);

class Correction : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::temp_directory_path() /
               ("zibor-corr-" + std::string(info->name()) + "-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "Data");
        c.DataPath = dir_.string() + "\\";
    }
    void TearDown() override { fs::remove_all(dir_); }

    void Store(const std::string &base, const std::string &fw, const std::string &fv)
    {
        if (!fw.empty())
            coretest::WriteBytes(dir_ / "Data" / (base + "_FW.wda"), fw);
        if (!fv.empty())
            coretest::WriteBytes(dir_ / "Data" / (base + "_FV.vda"), fv);
    }
    // One earlier administration of someone else above the child's record.
    void StoreChild(const std::string &fw, const std::string &fv)
    {
        Store("Jan_05-03-2024", "Kees;FWR;jongen;;;;05;03;2024;;;;;1\r\n" + fw + "\r\n",
              "Kees;FVR;jongen;;;;05;03;2024;;;;;1\r\n" + fv + "\r\n");
    }
    std::string Read(const std::string &name) { return coretest::ReadBytes(dir_ / "Data" / name); }

    TCorrection c;
    fs::path dir_;
};

TEST(CorrectionKey, FromTheReportFileName)
{
    const struct {
        const char *name, *key;
    } rows[] = {
        {"C:\\rapporten\\Jan - 05-03-2024.zrp", "Jan_05-03-2024"},
        {"/home/tl/rapporten/Jan - 05-03-2024.zrp", "Jan_05-03-2024"},
        {"C:\\rapporten\\Jan - 05-03-2024_gecorrigeerd.zrp", "Jan_05-03-2024_gecorrigeerd"},
        {"C:\\mijn rapporten\\oud - 2\\Jan - 05-03-2024.zrp", "Jan_05-03-2024"},
        {"/data/mijn rapporten\\Jan - 05-03-2024.zrp", "Jan_05-03-2024"},
        {"Jan.zrp", "_Jan"},
        {"a b.zrp", "_b"},
        {" x.zrp", "_x"},
        {"Jan#2 - 05-03-2024.zrp", "Jan#2_05-03-2024"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ReportKey(row.name), row.key);
    }
    EXPECT_EQ(UnpaddedKey("Jan#2_05-03-2024"), "Jan#2_5-3-2024");
    EXPECT_EQ(UnpaddedKey("Jan_15-10-2024"), "Jan_15-10-2024");
    EXPECT_EQ(UnpaddedKey("Jan_05-03-2024_gecorrigeerd"), "Jan_05-03-2024_gecorrigeerd");
}

// School and test leader after a change: kept, cut after the twelfth
// character, or back to the loaded longer text. "keeps" rows stand as typed.
TEST(CorrectionText, TwelveCharactersForTypedAndPastedTextsWhileALoadedLongerTextStaysWhole)
{
    const std::string e = "\xC3\xA9"; // é: two bytes, one character
    const std::string loaded = "Basisschool De Eik 2";
    const struct {
        const char *what;
        std::string before, text;
        int caret;
        bool kept;
        std::string limited;
        int limitedCaret;
    } rows[] = {
        {"under twelve", "Piet", "Piet1", 5, true, "", 0},
        {"twelve exactly", "Piet1234567", "Piet12345678", 12, true, "", 0},
        {"empty", "Piet", "", 0, true, "", 0},
        {"typed past twelve", "Piet12345678", "Piet123456789", 13, false, "Piet12345678", 12},
        {"typed inside a full field: the end goes", "Piet12345678", "PiXet12345678", 3, false, "PiXet1234567", 12},
        {"pasted into an empty field", "", "Mariekevan Dam", 14, false, "Mariekevan D", 12},
        {"twelve with é is not cut for its thirteen bytes", "Caf" + e + " De Eik", "Caf" + e + " De Eik1", 12, true, "", 0},
        {"é counts once when cutting", "Caf" + e + " De Eik1", "Caf" + e + " De Eik12", 13, false,
         "Caf" + e + " De Eik1", 12},
        {"twelve é", e + e + e + e + e + e + e + e + e + e + e, e + e + e + e + e + e + e + e + e + e + e + e, 12, true,
         "", 0},
        {"thirteen é", "", e + e + e + e + e + e + e + e + e + e + e + e + e, 13, false,
         e + e + e + e + e + e + e + e + e + e + e + e, 12},
        {"blanks count and stay, also at the end", "De Eik     ", "De Eik      ", 12, true, "", 0},
        {"blanks past twelve go like any character", "De Eik      ", "De Eik       x", 14, false, "De Eik      ", 12},
        {"leading blanks count", "", "   De Eik 2 B", 13, false, "   De Eik 2 ", 12},
        {"a blank typed at the end of a full field goes", "De Eik 2 abc", "De Eik 2 abc ", 13, false, "De Eik 2 abc",
         12},
        {"a loaded longer text may be shortened", loaded, "Basisschool De Eik ", 19, true, "", 0},
        {"or edited at the same length", loaded, "Basisschool De Eik 3", 20, true, "", 0},
        {"but takes no more", loaded, "BasXisschool De Eik 2", 4, false, loaded, 3},
        {"a paste into it goes too, the caret where it began", loaded, "Basisschool abc De Eik 2", 15, false, loaded,
         11},
        {"the caret stays inside the text", loaded, "abcBasisschool De Eik 2", 1, false, loaded, 0},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        const std::optional<TLimitedText> limited = LimitCorrText(row.before, row.text, row.caret);
        ASSERT_EQ(!limited, row.kept);
        if (limited) {
            EXPECT_EQ(limited->Text, row.limited);
            EXPECT_EQ(limited->Caret, row.limitedCaret);
        }
    }
}

TEST_F(Correction, LoadingTheLastRecordOfEachFile)
{
    struct Row {
        const char *name;
        std::string fw, fv;
        int state;
        int entryFW, entryFV;
        int fwEnabled, fvEnabled; // lists enabled
    };
    const Row rows[] = {
        {"complete", FWComplete(7), FVComplete(7), 7, 16, 13, 12, 12},
        {"substitution only", FWUntouched(3), FVComplete(3), 3, 1, 13, 0, 12},
        {"deletion only", FWComplete(4), FVUntouched(4), 4, 16, 1, 12, 0},
        {"stopped at example 2", Head("FWR") + "vb2;4;20;1;20;0", FVUntouched(4), 4, 3, 1, 0, 0},
        {"state 6 with the substitution complete counts as finished", FWComplete(6), FVComplete(6), 7, 16, 13,
         12, 12},
        {"state 5 with the deletion complete counts as finished", FWComplete(5), FVComplete(5), 7, 16, 13, 12,
         12},
        {"state 6 with the substitution under way stays", FWComplete(6),
         Head("FVR") + "5;6" + Repeat(";150;1", 5), 6, 16, 6, 12, 5},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        StoreChild(row.fw, row.fv);
        const auto r = c.LaadData("Jan_05-03-2024");
        ASSERT_EQ(r.result, TCorrection::TLoadResult::Ok) << r.message;
        EXPECT_TRUE(c.Loaded());
        EXPECT_EQ(c.State, row.state);
        EXPECT_EQ(c.EntryFW, row.entryFW);
        EXPECT_EQ(c.EntryFV, row.entryFV);
        EXPECT_EQ(c.P.code, "Jan");
        EXPECT_EQ(c.P.sex, 0);
        EXPECT_EQ(c.P.school, "De Eik");
        EXPECT_EQ(c.DataFW.Lines.Count(), 2);
        int fw = 0, fv = 0;
        for (int k = 0; k < 12; ++k) {
            fw += c.ItemsFW[k].enabled;
            fv += c.ItemsFV[k].enabled;
            if (!c.ItemsFW[k].enabled) {
                EXPECT_EQ(c.ItemsFW[k].index, -1);
            }
        }
        EXPECT_EQ(fw, row.fwEnabled);
        EXPECT_EQ(fv, row.fvEnabled);
    }
    // The lists show the scores: "F" 0, "G" 1.
    StoreChild(FWComplete(7), FVComplete(7));
    c.LaadData("Jan_05-03-2024");
    EXPECT_EQ(c.ItemsFW[0].index, 1);
    EXPECT_EQ(c.ItemsFW[11].index, 0);
    EXPECT_EQ(c.ItemsFV[11].index, 0);
}

TEST_F(Correction, DamagedOrMissingFilesAreRefusedAndLeaveNothingToConfirm)
{
    const struct {
        const char *name;
        std::string fw, fv;
        const char *message;
    } rows[] = {
        {"bad tag", Head("XX") + "15;7" + kExamples + kFWItems, FVComplete(7),
         "Data foutief of niet van FoneemWeglating!"},
        {"substitution record in the deletion file", FVComplete(7), FVComplete(7),
         "Data foutief of niet van FoneemWeglating!"},
        {"state no number", FWComplete(7), Head("FVR") + "12;x" + kFVItems,
         "Data foutief of niet van FoneemVerwisseling!"},
        {"more than 50 fields", FWComplete(7) + Repeat(";", 10), FVComplete(7),
         "Data foutief of niet van FoneemWeglating!"},
        {"score 2", Head("FWR") + "15;7" + kExamples + ";30;2" + Repeat(";30;1", 11), FVComplete(7),
         "Data foutief of niet van FoneemWeglating!"},
        {"score -1", FWComplete(7), Head("FVR") + "12;7;150;-1" + Repeat(";150;1", 11),
         "Data foutief of niet van FoneemVerwisseling!"},
        {"last entry beyond the last item", FWComplete(7), Head("FVR") + "13;7" + kFVItems,
         "Data foutief of niet van FoneemVerwisseling!"},
        {"empty last line", FWComplete(7) + "\r\n", FVComplete(7), "Data foutief of niet van FoneemWeglating!"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        StoreChild(row.fw, row.fv);
        const auto r = c.LaadData("Jan_05-03-2024");
        EXPECT_EQ(r.result, TCorrection::TLoadResult::Damaged);
        EXPECT_EQ(r.message, row.message);
        EXPECT_FALSE(c.Loaded());
        EXPECT_EQ(c.P.code, "");
        EXPECT_EQ(c.DataFW.Lines.Count(), 0);
        EXPECT_EQ(c.DataFV.Row(0), "");
    }
    const auto r = c.LaadData("Piet_05-03-2024");
    EXPECT_EQ(r.result, TCorrection::TLoadResult::Missing);
    EXPECT_NE(r.message.find("Piet_05-03-2024_FW.wda"), std::string::npos) << r.message;
    EXPECT_FALSE(c.Loaded());
    Store("Piet_05-03-2024", FWComplete(7), "");
    EXPECT_EQ(c.LaadData("Piet_05-03-2024").result, TCorrection::TLoadResult::Missing);
}

TEST_F(Correction, RenumberedAdministrationFoundUnderItsUnpaddedDate)
{
    Store("Jan#2_5-3-2024", FWComplete(7), FVComplete(7));
    const auto r = c.LaadData(ReportKey("Jan#2 - 05-03-2024.zrp"));
    ASSERT_EQ(r.result, TCorrection::TLoadResult::Ok) << r.message;
    EXPECT_EQ(c.State, 7);
}

TEST_F(Correction, ListsOfItemsNotAdministeredStayEmptyAcrossCorrections)
{
    StoreChild(FWComplete(7), FVComplete(7));
    c.LaadData("Jan_05-03-2024");
    c.SetItem(TSubtest::FW, 1, 0);
    EXPECT_EQ(c.SGRscoreFW.Cells(2, 3), "0");

    // The next child took the substitution only.
    StoreChild(FWUntouched(3), FVComplete(3));
    c.LaadData("Jan_05-03-2024");
    for (int k = 0; k < 12; ++k) {
        EXPECT_FALSE(c.ItemsFW[k].enabled);
        EXPECT_EQ(c.ItemsFW[k].index, -1);
    }
    c.SetItem(TSubtest::FV, 1, 0);
    c.SetItem(TSubtest::FW, 1, 1); // a disabled list takes no choice
    for (int r = 0; r < 15; ++r)
        EXPECT_EQ(c.SGRscoreFW.Cells(2, r), "") << r;
    EXPECT_EQ(c.SGRscoreFV.Cells(2, 0), "0");
    EXPECT_EQ(c.SGRscoreFV.Cells(2, 1), "1");

    c.WisGegevens();
    for (const auto *items : {&c.ItemsFW, &c.ItemsFV})
        for (const auto &l : *items)
            EXPECT_TRUE(l.enabled && l.index == -1);
}

TEST_F(Correction, CorrectedRecordsHoldThePairsReachedAndTheReportTScore)
{
    struct Row {
        const char *name;
        std::string fw, fv;
        std::function<void(TCorrection &)> change;
        std::string expectFW, expectFV;
    };
    const std::string fwFirstWrong = kExamples + ";30;0" + Repeat(";30;1", 9) + Repeat(";50;0", 2);
    const std::string fvFirstWrong = ";150;0" + Repeat(";150;1", 9) + Repeat(";200;0", 2);
    const Row rows[] = {
        {"finished, scores as stored", FWComplete(7), FVComplete(7), [](TCorrection &) {},
         Head("FWR") + "15;7" + kExamples + kFWItems + ";44", Head("FVR") + "12;7" + kFVItems + ";49"},
        {"finished, deletion item 1 wrong", FWComplete(7), FVComplete(7),
         [](TCorrection &c) { c.SetItem(TSubtest::FW, 1, 0); }, Head("FWR") + "15;7" + fwFirstWrong + ";43",
         Head("FVR") + "12;7" + kFVItems + ";49"},
        {"substitution only, its item 1 wrong", FWUntouched(3), FVComplete(3),
         [](TCorrection &c) { c.SetItem(TSubtest::FV, 1, 0); }, Head("FWR") + ";3",
         Head("FVR") + "12;3" + fvFirstWrong + ";48"},
        {"deletion only, item 1 wrong, school changed", FWComplete(4), FVUntouched(4),
         [](TCorrection &c) {
             c.SetItem(TSubtest::FW, 1, 0);
             c.P.school = "De Linde";
         },
         "Jan;FWR;meisje;15;06;2015;05;03;2024;De Linde;5;Piet;15;4" + fwFirstWrong + ";43",
         "Jan;FVR;meisje;15;06;2015;05;03;2024;De Linde;5;Piet;;4"},
        {"stopped at example 2: two pairs back", Head("FWR") + "vb2;4;20;1;20;0", FVUntouched(4),
         [](TCorrection &) {}, Head("FWR") + "2;4;20;1;20;0;0", Head("FVR") + ";4"},
        {"form B keeps its tag", Head("FWR-B") + "15;7" + kExamples + kFWItems, Head("FVB") + "12;7" + kFVItems,
         [](TCorrection &) {}, Head("FWR-B") + "15;7" + kExamples + kFWItems + ";44",
         Head("FVR-B") + "12;7" + kFVItems + ";49"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        StoreChild(row.fw, row.fv);
        const std::string fwBefore = Read("Jan_05-03-2024_FW.wda"), fvBefore = Read("Jan_05-03-2024_FV.vda");
        ASSERT_EQ(c.LaadData("Jan_05-03-2024").result, TCorrection::TLoadResult::Ok);
        row.change(c);
        ASSERT_TRUE(c.CheckEdits(kToday).ok());
        EXPECT_EQ(c.AgeInMonths, 104); // to the test date, not to today
        EXPECT_EQ(c.Key, "Jan_05-03-2024");
        const auto s = c.Opslaan();
        ASSERT_TRUE(s.ok) << s.failedFile;
        EXPECT_EQ(Read("Jan_05-03-2024_gecorrigeerd_FW.wda"), row.expectFW + "\r\n");
        EXPECT_EQ(Read("Jan_05-03-2024_gecorrigeerd_FV.vda"), row.expectFV + "\r\n");
        EXPECT_EQ(Read("Jan_05-03-2024_FW.wda"), fwBefore);
        EXPECT_EQ(Read("Jan_05-03-2024_FV.vda"), fvBefore);
    }
}

TEST_F(Correction, AChangedCodeNamesTheFilesAndFindsItsLine)
{
    StoreChild(FWComplete(7), FVComplete(7));
    const std::string fwBefore = Read("Jan_05-03-2024_FW.wda"), fvBefore = Read("Jan_05-03-2024_FV.vda");
    c.LaadData("Jan_05-03-2024");
    c.P.code = "Janneke";
    ASSERT_TRUE(c.CheckEdits(kToday).ok());
    EXPECT_EQ(c.Key, "Janneke_05-03-2024");
    EXPECT_EQ(c.ZoekRegel(), 1);
    c.SetItem(TSubtest::FV, 1, 0); // after the check: the store rebuilds the line
    ASSERT_TRUE(c.Opslaan().ok);
    EXPECT_EQ(Read("Janneke_05-03-2024_gecorrigeerd_FV.vda"),
              "Janneke;FVR;meisje;15;06;2015;05;03;2024;De Eik;5;Piet;12;7;150;0" + Repeat(";150;1", 9) +
                  Repeat(";200;0", 2) + ";48\r\n");
    EXPECT_EQ(Read("Jan_05-03-2024_FW.wda"), fwBefore);
    EXPECT_EQ(Read("Jan_05-03-2024_FV.vda"), fvBefore);
}

TEST_F(Correction, ChecksBeforeConfirming)
{
    struct Row {
        const char *name;
        std::function<void(TParticulars &)> change;
        const char *message; // nullptr: passes
        TFocus focus;
    };
    const Row rows[] = {
        {"as loaded", [](TParticulars &) {}, nullptr, TFocus::Keep},
        {"no form needed", [](TParticulars &p) { p.form = -1; }, nullptr, TFocus::Keep},
        {"born in the test year: no n.v.t. check", [](TParticulars &p) { p.gebjaar = "2024"; }, nullptr,
         TFocus::Keep},
        {"empty code", [](TParticulars &p) { p.code.clear(); }, kMsgCorrGeenNaam, TFocus::Keep},
        {"code of blanks only", [](TParticulars &p) { p.code = "  "; }, kMsgCorrGeenNaam, TFocus::Keep},
        {"code leaving the data folder", [](TParticulars &p) { p.code = "..\\x"; }, kMsgCodeTekens,
         TFocus::Ecode},
        {"no sex", [](TParticulars &p) { p.sex = -1; }, kMsgGeboortedatum, TFocus::Egebdag},
        {"31-02-2004", [](TParticulars &p) { p.gebdag = "31", p.gebmnd = "02", p.gebjaar = "2004"; },
         kMsgGeboortedatum, TFocus::Egebdag},
        {"month 13", [](TParticulars &p) { p.gebmnd = "13"; }, kMsgGeboortedatum, TFocus::Egebmnd},
        {"one-digit day", [](TParticulars &p) { p.gebdag = "5"; }, kMsgGeboortedatum, TFocus::Egebdag},
        {"test date that is none", [](TParticulars &p) { p.afndag = "30", p.afnmnd = "02"; }, kMsgGeboortedatum,
         TFocus::Egebdag},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        StoreChild(FWComplete(7), FVComplete(7));
        c.LaadData("Jan_05-03-2024");
        row.change(c.P);
        const auto check = c.CheckEdits(kToday);
        EXPECT_EQ(check.message, row.message ? row.message : "");
        EXPECT_EQ(check.focus, row.focus);
        EXPECT_EQ(c.Valid, row.message == nullptr);
        // A refused check leaves the loaded lists; a passed one keeps one
        // record in each.
        EXPECT_EQ(c.DataFW.Lines.Count(), row.message ? 2 : 1);
    }
    // 29-02-2004 to 28-02-2012 is 7 years and 11 months.
    StoreChild(FWComplete(7), FVComplete(7));
    c.LaadData("Jan_05-03-2024");
    c.P.gebdag = "29", c.P.gebmnd = "02", c.P.gebjaar = "2004";
    c.P.afndag = "28", c.P.afnmnd = "02", c.P.afnjaar = "2012";
    ASSERT_TRUE(c.CheckEdits(kToday).ok());
    EXPECT_EQ(c.AgeText, "7;11");
}

TEST_F(Correction, CodeFilterRefusesTheBlank)
{
    for (char32_t key : {U' ', U'é', U';', U'/', U'.'})
        EXPECT_FALSE(KeyAllowed(TFieldKind::CodeNoBlank, key)) << static_cast<int>(key);
    for (char32_t key : {U'a', U'Z', U'0', U'#', U'(', U')', U'-', U'_', char32_t(kBackspace)})
        EXPECT_TRUE(KeyAllowed(TFieldKind::CodeNoBlank, key)) << static_cast<int>(key);
    bool dropped = false;
    EXPECT_EQ(FilterText(TFieldKind::CodeNoBlank, "Jan de Vr;éé", &dropped), "JandeVr");
    EXPECT_TRUE(dropped);
    EXPECT_EQ(KeyMessage(TFieldKind::CodeNoBlank), std::string(kMsgCodeTekens));
    // The particulars window's code keeps the blank.
    EXPECT_TRUE(KeyAllowed(TFieldKind::Code, U' '));
}

TEST_F(Correction, NoDataFolderNamesTheFile)
{
    StoreChild(FWComplete(7), FVComplete(7));
    c.LaadData("Jan_05-03-2024");
    ASSERT_TRUE(c.CheckEdits(kToday).ok());
    c.DataPath = (dir_ / "gone").string() + "\\";
    const auto s = c.Opslaan();
    EXPECT_FALSE(s.ok);
    EXPECT_EQ(s.failedFile, c.DataPath + "\\Data\\Jan_05-03-2024_gecorrigeerd_FW.wda");
}

} // namespace
