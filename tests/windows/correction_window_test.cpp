// The correction window on top of the correction: keys typed and text pasted
// into its fields, the item lists, confirming, and what it shows for files
// it cannot use.
#include "windows/CorrectionWindow.h"
#include "windows/MainWindow.h"
#include "platform/core/Dates.h"
#include "tests/windows/ProgramWindows.h"
#include "tests/platform/core/test_files.h"
#include "tests/support/WindowDriver.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

using namespace plat;
using zibor::test::TWindowDriver;
namespace fs = std::filesystem;

namespace {

std::string Repeat(const std::string &s, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

std::string Record(const std::string &tag, const std::string &school, const std::string &last, int state,
                   const std::string &pairs)
{
    return "Jan;" + tag + ";meisje;15;06;2015;05;03;2024;" + school + ";5;Piet;" + last + ";" +
           std::to_string(state) + pairs;
}
const std::string kFWPairs = Repeat(";20;1", 3) + Repeat(";30;1", 10) + Repeat(";50;0", 2) + ";46";
const std::string kFVPairs = Repeat(";150;1", 10) + Repeat(";200;0", 2) + ";50";

const char *kCodeMessage = "Alleen cijfers {0 t/m 9}, letters {aA t/m zZ}";

class CorrectionWindow : public zibor::test::ProgramWindows {
protected:
    void SetUp() override
    {
        ProgramWindows::SetUp();
        const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::temp_directory_path() /
               ("zibor-corrwin-" + std::string(info->name()) + "-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "Data");
        ZIBMAINForm->DataPath = dir_.string() + "\\";
        drv.Clock().SetNow(EncodeDate(2026, 12, 10) + 0.4);
        correct->ViewerKey = "Jan_05-03-2024";
    }
    void TearDown() override
    {
        ProgramWindows::TearDown();
        fs::remove_all(dir_);
    }
    void Store(const std::string &fw, const std::string &fv)
    {
        coretest::WriteBytes(dir_ / "Data" / "Jan_05-03-2024_FW.wda", fw + "\r\n");
        coretest::WriteBytes(dir_ / "Data" / "Jan_05-03-2024_FV.vda", fv + "\r\n");
    }
    void StoreComplete(const std::string &school = "De Eik")
    {
        Store(Record("FWR", school, "15", 7, kFWPairs), Record("FVR", school, "12", 7, kFVPairs));
    }
    void Paste(TEdit &edit, const std::string &text)
    {
        QApplication::clipboard()->setText(QString::fromStdString(text));
        drv.Key(edit, 'V', ssCtrl);
    }
    // The test leader picks an item of a list.
    void Pick(TComboBox &list, int index) { emit static_cast<QComboBox *>(list.Widget())->activated(index); }
    bool Exists(const std::string &name) { return fs::exists(dir_ / "Data" / name); }

    TWindowDriver drv;
    fs::path dir_;
};

TEST_F(CorrectionWindow, KeysTypedAndTextPastedPassTheCorrectionsFilters)
{
    StoreComplete("Basisschool De Eik 2"); // 20 characters
    drv.Then([&] {
        Tcorrect &w = *correct;
        auto &d = drv.Dialogs();
        EXPECT_EQ(w.Eschool->Text(), "Basisschool De Eik 2") << "a loaded school stays whole";
        EXPECT_EQ(w.Ecode->Text(), "Jan");
        d.Answer(mrOk, kCodeMessage).Answer(mrOk, kCodeMessage).Answer(mrOk, kCodeMessage);
        drv.Type(*w.Ecode, " \xC3\xA9;x");
        EXPECT_EQ(w.Ecode->Text(), "Janx");
        d.Answer(mrOk, kCodeMessage);
        Paste(*w.Ecode, "a b");
        EXPECT_EQ(w.Ecode->Text(), "Janxab");
        EXPECT_EQ(w.Corr.P.code, "Janxab");

        d.Answer(mrOk, "Alleen de cijfers 0 t/m 9");
        drv.Type(*w.Egebdag, "a");
        EXPECT_EQ(w.Egebdag->Text(), "15");

        // Twelve characters typed or pasted, the thirteenth goes at once.
        w.Etl->SetSelStart(4);
        drv.Type(*w.Etl, "123456789AB");
        EXPECT_EQ(w.Etl->Text(), "Piet12345678");
        EXPECT_EQ(w.Corr.P.tl, "Piet12345678");
        drv.Type(*w.Etl, "\xC3\xA9");
        EXPECT_EQ(w.Etl->Text(), "Piet12345678");
        w.Etl->SetText("");
        Paste(*w.Etl, "Marieke;van Dam");
        EXPECT_EQ(w.Etl->Text(), "Mariekevan D");
        // The loaded long school takes no more, and keeps what it had.
        w.Eschool->SetSelStart(20);
        drv.Type(*w.Eschool, "x");
        EXPECT_EQ(w.Eschool->Text(), "Basisschool De Eik 2");
        d.VerifyAllUsed();
        w.SetModalResult(mrCancel);
    });
    correct->ShowModal();
    EXPECT_EQ(drv.PendingSteps(), 0u);
}

TEST_F(CorrectionWindow, ConfirmingChecksAsksAndHandsOverOnce)
{
    StoreComplete();
    int confirmed = 0;
    correct->OnConfirmed = [&] {
        ++confirmed;
        EXPECT_TRUE(correct->Corr.Confirmed);
        EXPECT_TRUE(correct->Opslaan1Click(nullptr));
    };
    drv.Then([&] {
        Tcorrect &w = *correct;
        auto &d = drv.Dialogs();
        w.Ecode->SetText("");
        d.Answer(mrOk, "Type eerst een proefpersoonnaam");
        EXPECT_TRUE(drv.Click(w, "CORRbtn"));
        w.Ecode->SetText("Jan");
        w.Egebdag->SetText("31");
        w.Egebmnd->SetText("02");
        w.Egebjaar->SetText("2004");
        d.Answer(mrOk, "Vul een correcte geboortedatum");
        EXPECT_TRUE(drv.Click(w, "CORRbtn"));
        EXPECT_TRUE(w.Egebdag->Focused());
        w.Egebdag->SetText("15");
        w.Egebmnd->SetText("06");
        w.Egebjaar->SetText("2015");

        // Item 1 of the deletion turned wrong, then the question cancelled.
        Pick(*w.FWitemAcc[0], 0);
        EXPECT_EQ(w.FWitemAcc[0]->Font().Color(), clRed);
        EXPECT_EQ(w.FWitemAcc[1]->Font().Color(), clGreen);
        d.Answer(mrCancel, "Doorgaan?");
        EXPECT_TRUE(drv.Click(w, "CORRbtn"));
        EXPECT_EQ(confirmed, 0);
        EXPECT_FALSE(Exists("Jan_05-03-2024_gecorrigeerd_FW.wda"));
        EXPECT_TRUE(w.Modal());

        d.Answer(mrOk, "Doorgaan?");
        EXPECT_TRUE(drv.Click(w, "CORRbtn"));
        d.VerifyAllUsed();
    });
    EXPECT_EQ(correct->ShowModal(), mrOk);
    EXPECT_EQ(confirmed, 1);
    EXPECT_EQ(coretest::ReadBytes(dir_ / "Data" / "Jan_05-03-2024_gecorrigeerd_FW.wda"),
              "Jan;FWR;meisje;15;06;2015;05;03;2024;De Eik;5;Piet;15;7" + Repeat(";20;1", 3) + ";30;0" +
                  Repeat(";30;1", 9) + Repeat(";50;0", 2) + ";43\r\n");
    EXPECT_TRUE(Exists("Jan_05-03-2024_gecorrigeerd_FV.vda"));
}

TEST_F(CorrectionWindow, ASecondChildsListsForItemsNotAdministeredStayEmpty)
{
    StoreComplete();
    drv.Then([&] {
        Pick(*correct->FWitemAcc[0], 0);
        correct->SetModalResult(mrCancel);
    });
    correct->ShowModal();

    Store(Record("FWR", "De Eik", "", 3, ";;"), Record("FVR", "De Eik", "12", 3, kFVPairs));
    drv.Then([&] {
        Tcorrect &w = *correct;
        for (TComboBox *list : w.FWitemAcc) {
            EXPECT_FALSE(list->Enabled());
            EXPECT_EQ(list->ItemIndex(), -1);
        }
        Pick(*w.FVitemAcc[11], 1);
        for (int r = 0; r < 15; ++r)
            EXPECT_EQ(w.Corr.SGRscoreFW.Cells(2, r), "") << r;
        w.SetModalResult(mrCancel);
    });
    correct->ShowModal();
    EXPECT_EQ(drv.PendingSteps(), 0u);
}

// A failed load is said as the file system names the file, and "Wijzigen"
// then says why nothing happens: first the code, as for any empty code, then
// with a code typed in that the data could not be read.
TEST_F(CorrectionWindow, AFailedLoadIsSaidAndWijzigenSaysWhyItDoesNothing)
{
    struct Case {
        const char *name;
        const char *fwTag;     // nullptr: no deletion file
        const char *loadText;  // part of the load's message
    };
    const Case cases[] = {
        {"the deletion file missing", nullptr, "Data/Jan_05-03-2024_FW.wda"},
        {"the deletion record's tag changed", "XYZ", "Data foutief of niet van FoneemWeglating!"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        StoreComplete();
        if (c.fwTag)
            Store(Record(c.fwTag, "De Eik", "15", 7, kFWPairs), Record("FVR", "De Eik", "12", 7, kFVPairs));
        else
            fs::remove(dir_ / "Data" / "Jan_05-03-2024_FW.wda");
        auto &d = drv.Dialogs();
        d.Answer(mrOk, c.loadText);
        drv.Then([&] {
            Tcorrect &w = *correct;
            const std::string said = d.LastText();
            EXPECT_EQ(said.find('\\'), std::string::npos) << said;
            if (!c.fwTag) {
                EXPECT_NE(said.find(dir_.string()), std::string::npos) << said;
            }
            EXPECT_EQ(w.Ecode->Text(), "") << "the window is cleared";
            EXPECT_EQ(w.Eschool->Text(), "");
            d.Answer(mrOk, "Type eerst een proefpersoonnaam");
            EXPECT_TRUE(drv.Click(w, "CORRbtn"));
            EXPECT_TRUE(w.Ecode->Focused());
            drv.Type(*w.Ecode, "Jan");
            d.Answer(mrOk, "konden niet worden gelezen");
            EXPECT_TRUE(drv.Click(w, "CORRbtn"));
            EXPECT_TRUE(w.Modal()) << "no correction";
            w.SetModalResult(mrCancel);
        });
        correct->ShowModal();
        d.VerifyAllUsed();
        EXPECT_EQ(drv.PendingSteps(), 0u);
        EXPECT_FALSE(Exists("Jan_05-03-2024_gecorrigeerd_FW.wda"));
    }
}

// School and test leader keep to twelve characters however the text comes
// in, also after a longer text was loaded and then cleared.
TEST_F(CorrectionWindow, TheTwelveCharacterLimitOutlivesALongerLoadedText)
{
    StoreComplete("Basisschool De Eik 2"); // 20 characters
    drv.Then([&] {
        Tcorrect &w = *correct;
        EXPECT_EQ(w.Eschool->Text(), "Basisschool De Eik 2") << "a loaded school stays whole";
        w.Eschool->SetSelStart(3);
        drv.Type(*w.Eschool, "x");
        EXPECT_EQ(w.Eschool->Text(), "Basisschool De Eik 2") << "and takes no more";
        EXPECT_EQ(w.Eschool->SelStart(), 3) << "the caret stays where it was";
        w.Eschool->SetSelStart(20);
        drv.Key(*w.Eschool, VK_BACK);
        EXPECT_EQ(w.Eschool->Text(), "Basisschool De Eik ") << "shortening is let through";

        w.Eschool->SetText("");
        drv.Type(*w.Eschool, "ABCDEFGHIJKLMNO");
        EXPECT_EQ(w.Eschool->Text(), "ABCDEFGHIJKL");
        EXPECT_EQ(w.Corr.P.school, "ABCDEFGHIJKL");
        w.Eschool->SetText("");
        Paste(*w.Eschool, "Openbare school Zuid");
        EXPECT_EQ(w.Eschool->Text(), "Openbare sch");
        w.SetModalResult(mrCancel);
    });
    correct->ShowModal();
    EXPECT_EQ(drv.PendingSteps(), 0u);
}

} // namespace
