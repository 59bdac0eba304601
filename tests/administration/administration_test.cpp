// The administration state against a temporary data folder: start with the
// overwrite-or-number question, store, backup, resume, damaged files.
#include "administration/Administration.h"

#include "administration/DataFiles.h"
#include "platform/core/Clock.h"
#include "platform/core/Dates.h"
#include "platform/core/Files.h"
#include "platform/gui/Forms.h"
#include "tests/platform/core/test_files.h"
#include "tests/support/DialogScript.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <map>
#include <stdexcept>

#include <sys/syscall.h>
#include <unistd.h>

namespace {

// Armed, the next flush of a written file raises instead, as anything inside
// a store may, and notes the screen's cursor at that moment.
std::atomic<bool> flushRaises{false};
plat::TCursor cursorAtFlush = plat::crDefault;

} // namespace

extern "C" int fsync(int fd)
{
    if (flushRaises.exchange(false)) {
        cursorAtFlush = plat::Screen()->Cursor();
        ::close(fd);
        throw std::runtime_error("flush failed");
    }
    return static_cast<int>(::syscall(SYS_fsync, fd));
}

namespace {

using namespace adm;
namespace fs = std::filesystem;
using zibor::test::TDialogScript;

class AdministrationTest : public coretest::TempDirTest {
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        clock_.SetNow(plat::EncodeDate(2024, 3, 5) + 0.4);
        plat::SetClock(&clock_);
        fs::create_directories(dir_ / "Data");
        fs::create_directories(dir_ / "Incomplete afnames");
    }
    void TearDown() override
    {
        plat::SetClock(nullptr);
        TempDirTest::TearDown();
    }

    // A fresh administration as the window has it after its show.
    std::unique_ptr<TAdministration> Fresh()
    {
        auto a = std::make_unique<TAdministration>();
        a->DataPath = dir_.string() + "\\";
        a->SetTestDate(plat::Date());
        a->WisGegevens();
        a->OnSavedNotice = [this] { ++notices_; };
        a->Title = [] { return std::string("Zibolka Test Revised"); };
        return a;
    }

    static void Enter(TAdministration &a, const std::string &code = "Jan", int state = 2)
    {
        a.P.code = code;
        a.P.sex = 1;
        a.P.gebdag = "10";
        a.P.gebmnd = "01";
        a.P.gebjaar = "2017";
        a.P.school = "De Eik";
        a.P.groep = "5";
        a.P.tl = "Piet";
        a.P.form = 1;
        a.State = state;
    }

    std::string Read(const std::string &relative) { return coretest::ReadBytes(dir_ / relative); }
    bool Exists(const std::string &relative) { return fs::exists(dir_ / relative); }

    // Every file under the folder with its bytes.
    std::map<std::string, std::string> Snapshot()
    {
        std::map<std::string, std::string> files;
        for (const auto &e : fs::recursive_directory_iterator(dir_))
            if (e.is_regular_file())
                files[e.path().string()] = coretest::ReadBytes(e.path());
        return files;
    }

    plat::FakeClock clock_;
    int notices_ = 0;
};

TEST_F(AdministrationTest, StartStoreAndResumeRoundTrip)
{
    TDialogScript dialogs;
    auto a = Fresh();
    Enter(*a);
    ASSERT_EQ(a->Start(), TAdministration::TStartResult::Started);
    EXPECT_EQ(a->BaseName(), "Jan_05-03-2024");
    EXPECT_EQ(a->AgeInMonths, 85);

    // The deletion window has scored example 1 and item 1 and stores.
    a->SGRscoreFW.SetCells(1, 0, "25");
    a->SGRscoreFW.SetCells(2, 0, "1");
    a->SGRscoreFW.SetCells(1, 3, "41");
    a->SGRscoreFW.SetCells(2, 3, "0");
    a->ElaatsteFW = "4";
    a->EntryFW = 4;
    a->Autosave = 1;
    EXPECT_EQ(a->Opslaan(), TAdministration::TStoreResult::Stored);
    EXPECT_EQ(notices_, 1);

    EXPECT_EQ(Read("Incomplete afnames/Jan_05-03-2024.zta"), "Jan_05-03-2024\r\n0\r\n");
    EXPECT_EQ(Read("Data/Jan_05-03-2024_FW.wda"),
              "Jan;FWR-B;jongen;10;01;2017;05;03;2024;De Eik;5;Piet;4;2;25;1;;;;;41;0\r\n");
    EXPECT_EQ(Read("Data/Jan_05-03-2024_FV.vda"), "Jan;FVR-B;jongen;10;01;2017;05;03;2024;De Eik;5;Piet;;2;;\r\n");

    // Resumed the same day: the same files, the same entries.
    auto b = Fresh();
    std::vector<std::pair<TSubtest, int>> reopened;
    b->OnEntryResumed = [&](TSubtest s, int entry, int form) {
        reopened.push_back({s, entry});
        EXPECT_EQ(form, 1);
    };
    ASSERT_TRUE(b->HervatAfname(P("Incomplete afnames/Jan_05-03-2024.zta")));
    EXPECT_EQ(b->P.code, "Jan");
    EXPECT_EQ(b->P.sex, 1);
    EXPECT_EQ(b->P.form, 1);
    EXPECT_EQ(b->P.school, "De Eik");
    EXPECT_EQ(b->State, 2);
    EXPECT_EQ(b->ElaatsteFW, "4");
    EXPECT_EQ(b->EntryFW, 5);
    EXPECT_EQ(b->EntryFV, 1);
    EXPECT_EQ(b->SGRscoreFW.Cells(1, 3), "41");
    EXPECT_EQ(b->SGRscoreFW.Cells(2, 0), "1");
    EXPECT_EQ(b->AgeInMonths, 85);
    EXPECT_TRUE(b->Valid);
    EXPECT_EQ(reopened, (std::vector<std::pair<TSubtest, int>>{{TSubtest::FW, 5}, {TSubtest::FV, 1}}));
    // Kept until the resumed administration has been stored.
    EXPECT_TRUE(Exists("Incomplete afnames/Jan_05-03-2024.zta"));
    EXPECT_EQ(b->Opslaan(), TAdministration::TStoreResult::Stored);
    EXPECT_TRUE(Exists("Incomplete afnames/Jan_05-03-2024.zta"));
    EXPECT_EQ(Read("Data/Jan_05-03-2024_FW.wda"),
              "Jan;FWR-B;jongen;10;01;2017;05;03;2024;De Eik;5;Piet;4;2;25;1;;;;;41;0;;\r\n");
}

TEST_F(AdministrationTest, ResumeOfAnEarlierDayIsStoredUnderToday)
{
    TDialogScript dialogs;
    auto a = Fresh();
    Enter(*a, "Jan", 4);
    ASSERT_EQ(a->Start(), TAdministration::TStartResult::Started);
    for (int r = 0; r < 15; ++r)
        a->SGRscoreFW.SetCells(1, r, "30"), a->SGRscoreFW.SetCells(2, r, "1");
    a->ElaatsteFW = "15";
    a->EntryFW = 15;
    ASSERT_EQ(a->Opslaan(), TAdministration::TStoreResult::Stored);
    const std::string oldFW = Read("Data/Jan_05-03-2024_FW.wda");

    clock_.SetNow(plat::EncodeDate(2024, 3, 12) + 0.5);
    auto b = Fresh();
    ASSERT_TRUE(b->HervatAfname(P("Incomplete afnames/Jan_05-03-2024.zta")));
    EXPECT_EQ(b->BaseName(), "Jan_12-03-2024");
    EXPECT_EQ(b->P.afndag, "12");
    EXPECT_EQ(b->State, 4);
    // Nothing is lost while the administration is open.
    EXPECT_TRUE(Exists("Incomplete afnames/Jan_05-03-2024.zta"));

    // Continue from 4: substitution follows.
    b->ContinueReplace();
    const TContinueStep step = b->ContinueTick();
    EXPECT_EQ(step.intro, TSubtest::FV);
    EXPECT_EQ(b->State, 6);
    ASSERT_EQ(b->Opslaan(), TAdministration::TStoreResult::Stored);
    EXPECT_FALSE(Exists("Incomplete afnames/Jan_05-03-2024.zta"));
    EXPECT_EQ(Read("Incomplete afnames/Jan_12-03-2024.zta"), "Jan_12-03-2024\r\n0\r\n");
    EXPECT_EQ(Read("Data/Jan_05-03-2024_FW.wda"), oldFW);
    const std::string fw = Read("Data/Jan_12-03-2024_FW.wda");
    EXPECT_EQ(fw.substr(0, 40), "Jan;FWR-B;jongen;10;01;2017;12;03;2024;D");
    EXPECT_NE(fw.find(";15;6;30;1;"), std::string::npos) << fw;
}

TEST_F(AdministrationTest, ExistingAdministrationRenumberedOrOverwritten)
{
    TDialogScript dialogs;
    coretest::WriteBytes(dir_ / "Incomplete afnames/Jan_05-03-2024.zta", "Jan_05-03-2024\r\n0\r\n");

    // "Nee": a second administration of the day.
    dialogs.Answer(plat::mrNo, "Er bestaat al een testafname van vandaag");
    auto a = Fresh();
    Enter(*a);
    ASSERT_EQ(a->Start(), TAdministration::TStartResult::Started);
    const plat::TDialogRequest &box = dialogs.Shown().back();
    EXPECT_EQ(box.Caption, "Bestaande testafname gevonden...");
    EXPECT_EQ(box.DefaultResult, plat::mrNo);
    EXPECT_EQ(box.FontName, "Arial");
    ASSERT_EQ(box.Buttons.size(), 2u);
    EXPECT_EQ(box.Buttons[0].Caption, "Ja");
    EXPECT_EQ(box.Buttons[1].Caption, "Nee");
    EXPECT_EQ(a->P.code, "Jan #2");
    EXPECT_EQ(a->BaseName(), "Jan#2_5-3-2024");
    ASSERT_EQ(a->Opslaan(), TAdministration::TStoreResult::Stored);
    EXPECT_EQ(Read("Incomplete afnames/Jan#2_5-3-2024.zta"), "Jan#2_5-3-2024\r\n2\r\n");
    EXPECT_TRUE(Exists("Data/Jan#2_5-3-2024_FW.wda"));
    EXPECT_EQ(Read("Data/Jan#2_5-3-2024_FV.vda").substr(0, 11), "Jan #2;FVR-");

    // A third time: "Nee" twice gives " #3".
    dialogs.Answer(plat::mrNo).Answer(plat::mrNo);
    auto b = Fresh();
    Enter(*b);
    ASSERT_EQ(b->Start(), TAdministration::TStartResult::Started);
    EXPECT_EQ(b->P.code, "Jan #3");
    EXPECT_EQ(b->BaseName(), "Jan#3_5-3-2024");
    EXPECT_EQ(b->MemoCom[1], "3");

    // "Ja" keeps the name and the counter of the file found.
    dialogs.Answer(plat::mrNo).Answer(plat::mrYes);
    auto c = Fresh();
    Enter(*c);
    ASSERT_EQ(c->Start(), TAdministration::TStartResult::Started);
    EXPECT_EQ(c->BaseName(), "Jan#2_5-3-2024");
    EXPECT_EQ(c->MemoCom[1], "2");

    // Closing the box abandons the start without a word.
    dialogs.Answer(plat::mrCancel);
    auto d = Fresh();
    Enter(*d);
    EXPECT_EQ(d->Start(), TAdministration::TStartResult::Abandoned);
    EXPECT_FALSE(d->Valid);
    EXPECT_EQ(d->BaseName(), "");
    EXPECT_EQ(d->DataFW.Lines.Count(), 0);
    dialogs.VerifyAllUsed();
}

TEST_F(AdministrationTest, ACounterThatIsNoNumberCountsAsZero)
{
    TDialogScript dialogs;
    coretest::WriteBytes(dir_ / "Incomplete afnames/Jan_05-03-2024.zta", "Jan_05-03-2024\r\nzes\r\n");
    dialogs.Answer(plat::mrNo);
    auto a = Fresh();
    Enter(*a);
    ASSERT_EQ(a->Start(), TAdministration::TStartResult::Started);
    EXPECT_EQ(a->P.code, "Jan #2");

    // Overwriting an empty file still writes both lines.
    coretest::WriteBytes(dir_ / "Incomplete afnames/Kees_05-03-2024.zta", "");
    dialogs.Answer(plat::mrYes);
    auto b = Fresh();
    Enter(*b, "Kees");
    ASSERT_EQ(b->Start(), TAdministration::TStartResult::Started);
    ASSERT_EQ(b->Opslaan(), TAdministration::TStoreResult::Stored);
    EXPECT_EQ(Read("Incomplete afnames/Kees_05-03-2024.zta"), "Kees_05-03-2024\r\n0\r\n");
}

TEST_F(AdministrationTest, StoreBeforeStartAndAfterClearing)
{
    TDialogScript dialogs;
    auto a = Fresh();
    // Invalid particulars: nothing written, no notice.
    a->P.code = "Jan";
    EXPECT_EQ(a->Opslaan(), TAdministration::TStoreResult::NotStored);
    EXPECT_EQ(notices_, 0);

    // Valid particulars before the start: placeholders under the code's name.
    Enter(*a);
    a->MayContinue();
    ASSERT_TRUE(a->Valid);
    EXPECT_EQ(a->Opslaan(), TAdministration::TStoreResult::Stored);
    EXPECT_EQ(Read("Data/Jan_05-03-2024_FW.wda"), "Jan;FWR;jongen;10;01;2017;05;03;2024;De Eik;5;Piet;;1\r\n");

    // Cleared, another child entered and stored before its start: its own
    // name, and the first child's files stay as they were.
    const auto before = Read("Data/Jan_05-03-2024_FW.wda");
    a->WisGegevens();
    EXPECT_EQ(a->BaseName(), "");
    Enter(*a, "Kees");
    a->MayContinue();
    EXPECT_EQ(a->Opslaan(), TAdministration::TStoreResult::Stored);
    EXPECT_EQ(Read("Data/Jan_05-03-2024_FW.wda"), before);
    EXPECT_TRUE(Exists("Data/Kees_05-03-2024_FW.wda"));

    // A code of blanks names no one: no store, whatever else is valid.
    a->WisGegevens();
    Enter(*a, "   ");
    EXPECT_FALSE(a->MayContinue().valid);
    a->Valid = true;
    const int notices = notices_;
    EXPECT_EQ(a->Opslaan(), TAdministration::TStoreResult::NotStored);
    EXPECT_EQ(notices_, notices);
    EXPECT_FALSE(Exists("Data/_05-03-2024_FW.wda"));
    EXPECT_FALSE(Exists("Incomplete afnames/_05-03-2024.zta"));
}

// Another administration of the same code and day, unfinished (its ".zta"
// is there) or finished (only its data files are left): a store before the
// start writes nothing over it, and the start asks before it overwrites.
TEST_F(AdministrationTest, AnAdministrationOfTheSameCodeAndDayIsNeverOverwrittenUnasked)
{
    const std::string zta = "Incomplete afnames/Jan_05-03-2024.zta";
    const std::string fw = "Data/Jan_05-03-2024_FW.wda";
    const std::string fv = "Data/Jan_05-03-2024_FV.vda";
    const std::string fwRecord = "Jan;FWR-B;jongen;10;01;2017;05;03;2024;De Eik;5;Piet;15;7;25;1;21;1;30;0;41;0;35;1;22;1;"
                                 "33;1;24;1;27;1;25;0;38;1;34;1;31;1;29;1;40;0;48\r\n";
    struct Case {
        const char *what;
        std::vector<std::string> files;
    };
    for (const Case &k : {Case{"unfinished", {zta, fw, fv}}, Case{"finished", {fw, fv}},
                          Case{"only its deletion data", {fw}}}) {
        SCOPED_TRACE(k.what);
        fs::remove_all(dir_ / "Data");
        fs::remove_all(dir_ / "Incomplete afnames");
        fs::create_directories(dir_ / "Data");
        fs::create_directories(dir_ / "Incomplete afnames");
        for (const std::string &f : k.files)
            coretest::WriteBytes(dir_ / f, f == zta ? "Jan_05-03-2024\r\n0\r\n" : fwRecord);
        const auto before = Snapshot();
        TDialogScript dialogs;

        // The save picture or the back button before the start.
        auto a = Fresh();
        Enter(*a);
        a->MayContinue();
        ASSERT_TRUE(a->Valid);
        EXPECT_EQ(a->Opslaan(), TAdministration::TStoreResult::NotStored);
        EXPECT_EQ(Snapshot(), before);
        EXPECT_EQ(a->BaseName(), "");

        // The start asks; "Nee" makes a second administration of the day.
        dialogs.Answer(plat::mrNo, "Er bestaat al een testafname van vandaag");
        ASSERT_EQ(a->Start(), TAdministration::TStartResult::Started);
        EXPECT_EQ(a->P.code, "Jan #2");
        ASSERT_EQ(a->Opslaan(), TAdministration::TStoreResult::Stored);
        for (const auto &[name, bytes] : before)
            EXPECT_EQ(coretest::ReadBytes(name), bytes) << name;

        // "Ja" overwrites, as asked.
        dialogs.Answer(plat::mrYes, "Wilt u deze afname overschrijven?");
        auto b = Fresh();
        Enter(*b);
        ASSERT_EQ(b->Start(), TAdministration::TStartResult::Started);
        EXPECT_EQ(b->BaseName(), "Jan_05-03-2024");
        ASSERT_EQ(b->Opslaan(), TAdministration::TStoreResult::Stored);
        EXPECT_NE(Read(fw), fwRecord);
        dialogs.VerifyAllUsed();
    }
}

TEST_F(AdministrationTest, TheRecordIsFoundByTheCodeFixedAtTheStart)
{
    TDialogScript dialogs;
    auto a = Fresh();
    Enter(*a);
    ASSERT_EQ(a->Start(), TAdministration::TStartResult::Started);
    a->P.code = "Jant";
    ASSERT_EQ(a->Opslaan(), TAdministration::TStoreResult::Stored);
    ASSERT_EQ(a->Opslaan(), TAdministration::TStoreResult::Stored);
    // One line, replaced at every store, under the code it was started with.
    EXPECT_EQ(a->DataFW.Lines.Count(), 1);
    EXPECT_EQ(Read("Data/Jan_05-03-2024_FW.wda").substr(0, 8), "Jan;FWR-");
    EXPECT_FALSE(Exists("Data/Jant_05-03-2024_FW.wda"));
}

TEST_F(AdministrationTest, BackupToAChosenFolder)
{
    TDialogScript dialogs;
    fs::remove_all(dir_ / "Data");
    fs::create_directories(dir_ / "backup");
    const std::string cwd = plat::GetCurrentDir();
    dialogs.Answer(plat::mrOk, "Data niet opgeslagen!!! Backup-procedure wordt opgestart.")
        .Choose(plat::TDialogKind::SaveFile, P("backup/Kopie.zta"))
        .Answer(plat::mrOk, "Data opgeslagen op backuplocatie.");
    auto a = Fresh();
    Enter(*a);
    ASSERT_EQ(a->Start(), TAdministration::TStartResult::Started);
    EXPECT_EQ(a->Opslaan(), TAdministration::TStoreResult::BackupStored);
    dialogs.VerifyAllUsed();
    EXPECT_EQ(notices_, 1);
    const plat::TDialogRequest &save = dialogs.Shown()[1];
    EXPECT_EQ(save.FileName, "Jan_05-03-2024.zta");
    EXPECT_EQ(save.Title, "Zibolka Test Revised - Kies een alternatieve locatie...");
    EXPECT_EQ(save.Filter, "ZIB-bestand|*.zta|ZIB-bestand|*.zta");
    EXPECT_EQ(Read("backup/Kopie.zta"), "Jan_05-03-2024\r\n0\r\n");
    EXPECT_TRUE(Exists("backup/Jan_05-03-2024_FW.wda"));
    EXPECT_TRUE(Exists("backup/Jan_05-03-2024_FV.vda"));
    EXPECT_EQ(plat::GetCurrentDir(), cwd);
}

// A resumed administration whose first store went to the backup folder still
// has only its old incomplete file in the data folder: that file stays.
TEST_F(AdministrationTest, TheResumedFileStaysAfterAStoreToTheBackupFolder)
{
    TDialogScript dialogs;
    auto a = Fresh();
    Enter(*a);
    ASSERT_EQ(a->Start(), TAdministration::TStartResult::Started);
    ASSERT_EQ(a->Opslaan(), TAdministration::TStoreResult::Stored);
    const std::string zta = "Incomplete afnames/Jan_05-03-2024.zta";
    const std::string bytes = Read(zta);

    clock_.SetNow(plat::EncodeDate(2024, 3, 12) + 0.5);
    auto b = Fresh();
    ASSERT_TRUE(b->HervatAfname(P(zta)));
    fs::remove_all(dir_ / "Data");
    fs::create_directories(dir_ / "backup");
    dialogs.Answer(plat::mrOk, "Data niet opgeslagen!!! Backup-procedure wordt opgestart.")
        .Choose(plat::TDialogKind::SaveFile, P("backup/Jan_12-03-2024.zta"))
        .Answer(plat::mrOk, "Data opgeslagen op backuplocatie.");
    EXPECT_EQ(b->Opslaan(), TAdministration::TStoreResult::BackupStored);
    dialogs.VerifyAllUsed();
    EXPECT_EQ(Read(zta), bytes);
    EXPECT_TRUE(Exists("backup/Jan_12-03-2024_FW.wda"));
    EXPECT_EQ(b->ResumedFile(), P(zta)) << "still to go after the first store in the data folder";
}

TEST_F(AdministrationTest, BackupCancelledOrFailingIsNoSave)
{
    TDialogScript dialogs;
    fs::remove_all(dir_ / "Incomplete afnames");
    auto a = Fresh();
    Enter(*a);
    ASSERT_EQ(a->Start(), TAdministration::TStartResult::Started);

    dialogs.Answer(plat::mrOk, "Data niet opgeslagen").Cancel(plat::TDialogKind::SaveFile);
    EXPECT_EQ(a->Opslaan(), TAdministration::TStoreResult::BackupCancelled);
    dialogs.VerifyAllUsed();
    EXPECT_EQ(notices_, 0);

    // A folder that cannot take the files: not saved, and asked again.
    dialogs.Answer(plat::mrOk, "Data niet opgeslagen")
        .Choose(plat::TDialogKind::SaveFile, P("nowhere/Kopie.zta"))
        .Answer(plat::mrOk, "Data niet opgeslagen")
        .Cancel(plat::TDialogKind::SaveFile);
    EXPECT_EQ(a->Opslaan(), TAdministration::TStoreResult::BackupCancelled);
    dialogs.VerifyAllUsed();
    EXPECT_EQ(notices_, 0);
    for (const std::string &t : dialogs.Texts())
        EXPECT_EQ(t.find("backuplocatie"), std::string::npos);
}

TEST_F(AdministrationTest, TheBackupShowsTheHourglassAndGivesTheCursorBackWhenItsStoreRaises)
{
    TDialogScript dialogs;
    fs::remove_all(dir_ / "Incomplete afnames");
    fs::create_directories(dir_ / "backup");
    auto a = Fresh();
    Enter(*a);
    ASSERT_EQ(a->Start(), TAdministration::TStartResult::Started);
    dialogs.Answer(plat::mrOk, "Data niet opgeslagen").Choose(plat::TDialogKind::SaveFile, P("backup/Kopie.zta"));
    plat::Screen()->SetCursor(plat::crHandPoint);
    cursorAtFlush = plat::crDefault;
    flushRaises = true;
    EXPECT_THROW(a->Opslaan(), std::runtime_error);
    EXPECT_FALSE(flushRaises.exchange(false)) << "the backup's store reached its first flush";
    EXPECT_EQ(cursorAtFlush, plat::crHourGlass);
    EXPECT_EQ(plat::Screen()->Cursor(), plat::crHandPoint);
    dialogs.VerifyAllUsed();
    EXPECT_EQ(notices_, 0);
    plat::Screen()->SetCursor(plat::crDefault);
}

TEST_F(AdministrationTest, DamagedFilesChangeNothingOnDisk)
{
    const std::string zta = "Jan_05-03-2024\r\n0\r\n";
    const std::string fw = "Jan;FWR;meisje;10;01;2017;05;03;2024;;;;4;2;25;1\r\n";
    const std::string fv = "Jan;FVR;meisje;10;01;2017;05;03;2024;;;;;2;;\r\n";
    std::string tooLong;
    for (int i = 0; i < kDataRows + 1; ++i)
        tooLong += fw;
    struct Row {
        const char *name;
        std::string zta, fw, fv;
        const char *message;
    };
    const Row rows[] = {
        {"deletion tag of another subtest", zta, "Jan;FVR;meisje;10;01;2017;05;03;2024;;;;4;2\r\n", fv,
         "Data foutief of niet van FoneemWeglating!"},
        {"truncated deletion record", zta, "Jan;FWR;meisje;10;01;20", fv, "Data foutief of niet van FoneemWeglating!"},
        {"state no number", zta, fw, "Jan;FVR;meisje;10;01;2017;05;03;2024;;;;;twee;;\r\n",
         "Data foutief of niet van FoneemVerwisseling!"},
        {"empty substitution file", zta, fw, "", "Data foutief of niet van FoneemVerwisseling!"},
        {"more lines than the grid", zta, tooLong, fv, "Data foutief of niet van FoneemWeglating!"},
        {"name leaving the folder", "../Jan_05-03-2024\r\n0\r\n", fw, fv, "Data foutief of niet van FoneemWeglating!"},
        {"empty incomplete file", "", fw, fv, "Data foutief of niet van FoneemWeglating!"},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        coretest::WriteBytes(dir_ / "Incomplete afnames/Jan_05-03-2024.zta", r.zta);
        coretest::WriteBytes(dir_ / "Data/Jan_05-03-2024_FW.wda", r.fw);
        coretest::WriteBytes(dir_ / "Data/Jan_05-03-2024_FV.vda", r.fv);
        const auto before = Snapshot();
        TDialogScript dialogs;
        dialogs.Answer(plat::mrOk, r.message);
        auto a = Fresh();
        EXPECT_FALSE(a->HervatAfname(P("Incomplete afnames/Jan_05-03-2024.zta")));
        dialogs.VerifyAllUsed();
        EXPECT_EQ(a->BaseName(), "");
        EXPECT_EQ(a->P.code, "");
        EXPECT_EQ(a->DataFW.Row(0), "");
        // A store after the refusal has nothing to write.
        EXPECT_EQ(a->Opslaan(), TAdministration::TStoreResult::NotStored);
        EXPECT_EQ(Snapshot(), before);
    }
}

TEST_F(AdministrationTest, MissingDataFileRaisesAndChangesNothing)
{
    coretest::WriteBytes(dir_ / "Incomplete afnames/Jan_05-03-2024.zta", "Jan_05-03-2024\r\n0\r\n");
    auto a = Fresh();
    Enter(*a);
    EXPECT_THROW(a->HervatAfname(P("Incomplete afnames/Jan_05-03-2024.zta")), plat::EFOpenError);
    EXPECT_EQ(a->P.code, "Jan");
    EXPECT_TRUE(Exists("Incomplete afnames/Jan_05-03-2024.zta"));
}

TEST_F(AdministrationTest, ResumedFinishedSubtestBecomesState7)
{
    TDialogScript dialogs;
    coretest::WriteBytes(dir_ / "Incomplete afnames/Jan_05-03-2024.zta", "Jan_05-03-2024\r\n0\r\n");
    coretest::WriteBytes(dir_ / "Data/Jan_05-03-2024_FW.wda",
                         "Jan;FWR;meisje;10;01;2017;05;03;2024;;;;15;5\r\n");
    coretest::WriteBytes(dir_ / "Data/Jan_05-03-2024_FV.vda",
                         "Jan;FVR;meisje;10;01;2017;05;03;2024;;;;12;5\r\n");
    auto a = Fresh();
    ASSERT_TRUE(a->HervatAfname(P("Incomplete afnames/Jan_05-03-2024.zta")));
    EXPECT_EQ(a->State, 7);
    EXPECT_EQ(a->EntryFW, 15);
    EXPECT_EQ(a->EntryFV, 12);
}

} // namespace
