// Message boxes and dialogs all go through one seam: what the program asks
// for reaches the test's script, and a box nobody scripted fails the test
// instead of waiting for a person.
#include "platform/core/Files.h"
#include "platform/gui/Dialogs.h"
#include "tests/support/DialogScript.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

using namespace plat;
using zibor::test::TDialogScript;

namespace {

std::vector<std::string> Captions(const TDialogRequest &r)
{
    std::vector<std::string> out;
    for (const auto &b : r.Buttons)
        out.push_back(b.Caption);
    return out;
}

TEST(GuiDialogs, AnUnexpectedBoxFailsTheTestAndIsAnsweredAsClosed)
{
    int result = -1;
    EXPECT_NONFATAL_FAILURE(
        {
            TDialogScript script;
            result = MessageDlg("Hiermee sluit u het ZIBOR-testprogramma. Doorgaan?", mtConfirmation, {mbOK, mbCancel});
        },
        "unexpected message box");
    EXPECT_EQ(result, mrCancel);
}

TEST(GuiDialogs, AnAnswerThatTheProgramNeverAskedForFailsToo)
{
    EXPECT_NONFATAL_FAILURE(
        {
            TDialogScript script;
            script.Answer(mrOk, "Data opgeslagen");
        },
        "did not show the expected message box");
}

TEST(GuiDialogs, ABoxWithOtherTextThanScriptedFails)
{
    EXPECT_NONFATAL_FAILURE(
        {
            TDialogScript script;
            script.Answer(mrOk, "Geboortedatum n.v.t.!");
            ShowMessage("Type eerst een proefpersoonnaam...");
        },
        "expected a box with");
}

TEST(GuiDialogs, MessageBoxesCarryTheirButtonsAndReturnTheScriptedAnswer)
{
    struct Case {
        const char *name;
        std::function<int()> show;
        std::vector<std::string> buttons;
        int defaultResult;
        int answer;
    };
    const Case cases[] = {
        {"confirmation OK", [] { return MessageDlg("a", mtConfirmation, {mbOK}); }, {"OK"}, mrOk, mrOk},
        {"confirmation OK Cancel in the framework's order",
         [] { return MessageDlg("a", mtConfirmation, {mbCancel, mbOK}); }, {"OK", "Annuleren"}, mrOk, mrCancel},
        {"plain message", [] { ShowMessage("a"); return mrOk; }, {"OK"}, mrOk, mrOk},
        {"system box yes/no, second default",
         [] { return MessageBox("a", "t", MB_YESNO | MB_DEFBUTTON2); }, {"&Ja", "&Nee"}, IDNO, IDYES},
        {"system box OK/Cancel", [] { return MessageBox("a", "t", MB_OKCANCEL); }, {"OK", "Annuleren"}, IDOK, IDCANCEL},
    };
    for (const Case &c : cases) {
        TDialogScript script;
        script.Answer(c.answer);
        EXPECT_EQ(c.show(), c.answer) << c.name;
        ASSERT_EQ(script.Shown().size(), 1u) << c.name;
        EXPECT_EQ(Captions(script.Shown()[0]), c.buttons) << c.name;
        EXPECT_EQ(script.Shown()[0].DefaultResult, c.defaultResult) << c.name;
    }
}

TEST(GuiDialogs, TheYesNoQuestionWithItsOwnCaptionsMeansNeitherWhenClosed)
{
    TMessageDialog d("Er bestaat al een testafname van vandaag voor deze proefpersoon.", mtConfirmation, {mbYes, mbNo});
    d.Caption = "Bestaande testafname gevonden...";
    d.Button(mrYes)->Caption = "Ja";
    d.Button(mrNo)->Caption = "Nee";
    d.DefaultResult = mrNo;
    d.FontName = "Arial";
    d.FontSize = 8;
    d.TextColor = clBlack;

    TDialogScript script;
    script.Answer(mrNo).Answer(mrYes);
    EXPECT_EQ(d.ShowModal(), mrNo);
    EXPECT_EQ(d.ShowModal(), mrYes);
    const TDialogRequest &r = script.Shown()[0];
    EXPECT_EQ(r.Caption, "Bestaande testafname gevonden...");
    EXPECT_EQ(Captions(r), (std::vector<std::string>{"Ja", "Nee"}));
    EXPECT_EQ(r.DefaultResult, mrNo);
    EXPECT_EQ(r.FontName, "Arial");
    // Closing the box (what an unscripted box gets) is neither answer.
    EXPECT_NE(r.CloseResult, mrYes);
    EXPECT_NE(r.CloseResult, mrNo);
}

struct FileDialogFixture : ::testing::Test {
    std::string before = GetCurrentDir();
    // Of this process alone: ctest runs each case in a process of its own, in
    // parallel, and one case's tear-down must not take another's folder.
    std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("zibor_gui_dialogs-" + std::to_string(::getpid()));
    void SetUp() override { std::filesystem::create_directories(dir); }
    void TearDown() override
    {
        SetCurrentDir(before);
        std::filesystem::remove_all(dir);
    }
};

TEST_F(FileDialogFixture, OpenDialogPassesItsSettingsAndKeepsTheFolderWhenAsked)
{
    TOpenDialog d(nullptr);
    d.Title = "Incomplete ZIBOR-afname openen en hervatten";
    d.InitialDir = "\\Incomplete afnames\\";
    d.DefaultExt = "zta";
    d.Filter = "ZIBOR-afname *.zta|*.zta";
    d.Options = ofHideReadOnly | ofNoChangeDir | ofFileMustExist;
    int closed = 0;
    d.OnClose = [&](TObject *) { ++closed; };

    TDialogScript script;
    script.Choose(TDialogKind::OpenFile, (dir / "kind_1-2-2024").string()).Cancel(TDialogKind::OpenFile);
    ASSERT_TRUE(d.Execute());
    EXPECT_EQ(d.FileName, (dir / "kind_1-2-2024.zta").string()) << "the default extension is added";
    EXPECT_EQ(GetCurrentDir(), before);
    const TDialogRequest &r = script.Shown()[0];
    EXPECT_EQ(r.Kind, TDialogKind::OpenFile);
    EXPECT_EQ(r.Title, d.Title);
    EXPECT_EQ(r.Filter, d.Filter);
    EXPECT_EQ(r.DefaultExt, "zta");
    EXPECT_EQ(r.InitialDir, "\\Incomplete afnames\\");
    EXPECT_EQ(r.Options, d.Options);

    const std::string kept = d.FileName;
    EXPECT_FALSE(d.Execute());
    EXPECT_EQ(d.FileName, kept) << "a cancelled dialog leaves the name";
    EXPECT_EQ(closed, 2) << "the close handler runs after every dialog";
}

TEST_F(FileDialogFixture, SaveDialogChangesTheCurrentFolderUnlessTold)
{
    TSaveDialog d(nullptr);
    d.DefaultExt = "zta";
    d.FileName = "kind_1-2-2024.zta";
    TDialogScript script;
    script.Choose(TDialogKind::SaveFile, (dir / "backup.zta").string());
    ASSERT_TRUE(d.Execute());
    EXPECT_EQ(d.FileName, (dir / "backup.zta").string());
    EXPECT_EQ(std::filesystem::path(GetCurrentDir()), std::filesystem::canonical(dir));
    EXPECT_EQ(script.Shown()[0].FileName, "kind_1-2-2024.zta");
}

TEST(GuiDialogs, PrinterSetupAndFolderDialogsGoThroughTheSeam)
{
    TPrinterSetupDialog p(nullptr);
    int closed = 0;
    p.OnClose = [&](TObject *) { ++closed; };
    TDialogScript script;
    script.Confirm(TDialogKind::PrinterSetup).Cancel(TDialogKind::PrinterSetup).Choose(TDialogKind::Folder, "/tmp/x");
    EXPECT_TRUE(p.Execute());
    EXPECT_FALSE(p.Execute());
    EXPECT_EQ(closed, 2);
    std::string folder = "/start";
    EXPECT_TRUE(SelectDirectory("Kies een map", "", folder));
    EXPECT_EQ(folder, "/tmp/x");
    EXPECT_EQ(script.Shown()[2].InitialDir, "/start");
}

TEST(GuiDialogs, OpeningAFolderInTheFileBrowserGoesThroughTheSeamToo)
{
    EXPECT_NONFATAL_FAILURE(
        {
            TDialogScript script;
            ShellOpen("\\PDF");
        },
        "unexpected shell open");
    TDialogScript script;
    script.Confirm(TDialogKind::ShellOpen);
    EXPECT_TRUE(ShellOpen("rapporten\\PDF"));
    EXPECT_EQ(script.Shown()[0].FileName, "rapporten\\PDF");
}

} // namespace

namespace {

// The program's own filters, as its windows write them, and what the dialog
// lists for each: a description that already names its patterns shows them
// once.
TEST(GuiDialogs, FileFiltersListEachPatternOnce)
{
    const struct {
        const char *filter;
        std::vector<String> shown;
    } cases[] = {
        {"ZIBOR-testrapport (*.zrp)|*.zrp", {"ZIBOR-testrapport (*.zrp)"}},
        {"ZIBOR-afname *.zta|*.zta", {"ZIBOR-afname *.zta (*.zta)"}},
        {"ZIB-rapport (*.zrp)|*.*", {"ZIB-rapport (*.zrp) (*.*)"}},
        {"ZIB-bestand|*.zta|ZIB-bestand|*.zta", {"ZIB-bestand (*.zta)", "ZIB-bestand (*.zta)"}},
        {"Beide|*.wda;*.vda", {"Beide (*.wda *.vda)"}},
        {"", {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(NameFilters(c.filter), c.shown) << c.filter;
}

} // namespace
