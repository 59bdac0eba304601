// The main window and the windows it leads to: the sounds it plays, its
// buttons' roads, the closing question, and leaving the program.
#include "windows/AboutWindow.h"
#include "windows/ChoiceWindow.h"
#include "windows/EndWindow.h"
#include "windows/MainWindow.h"
#include "windows/ParticularsWindow.h"
#include "windows/ReportViewerWindow.h"
#include "windows/SavedNoticeWindow.h"
#include "windows/SilentNoticeWindow.h"
#include "audio/StockAudioPlayer.h"
#include "platform/audio/AudioDeviceScripted.h"
#include "tests/windows/ProgramWindows.h"
#include "tests/support/WindowDriver.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPainter>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

using namespace plat;
using zibor::test::ProgramWindows;
using zibor::test::TWindowDriver;
using Lines = std::vector<std::string>;

namespace {

int Count(const Lines &lines, const std::string &prefix)
{
    return static_cast<int>(
        std::count_if(lines.begin(), lines.end(), [&](const std::string &l) { return l.rfind(prefix, 0) == 0; }));
}

// The main window's player on a device that plays only when told to.
class MainWindowSound : public ProgramWindows {
protected:
    void SetUp() override
    {
        ProgramWindows::SetUp();
        ZIBMAINForm->StockAudioPlayer1->OnDeactivate = [this](TObject *) { dev->Note("deactivate"); };
    }
    // Hands buffers back until the playback has ended.
    bool PlayOut()
    {
        const int before = Count(dev->Calls(), "deactivate");
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (Count(dev->Calls(), "deactivate") == before) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            if (!dev->CompleteBuffer())
                dev->WaitUntil([&](const Lines &l) { return Count(l, "deactivate") > before; }, 2);
        }
        return true;
    }
    std::shared_ptr<TScriptedAudioDevice> dev = std::make_shared<TScriptedAudioDevice>();
    TAudioDeviceScope scope{dev};
};

TEST_F(MainWindowSound, ClickIsNotRestartedWhileThePlayerIsActive)
{
    TStockAudioPlayer &player = *ZIBMAINForm->StockAudioPlayer1;
    TStream *click = ZIBMAINForm->ClickStream();
    ZIBMAINForm->PlayClickSound();
    ASSERT_TRUE(player.Active());
    ZIBMAINForm->PlayClickSound();
    ZIBMAINForm->PlaySaveSound();
    EXPECT_EQ(Count(dev->Calls(), "open"), 1) << "neither a second click nor the save sound cut in";
    EXPECT_EQ(Count(dev->Calls(), "reset"), 0);
    // A window going back to the main window while the click still plays.
    ZIBMAINForm->ZIBMainInitialize();
    EXPECT_EQ(ZIBMAINForm->ClickStream(), click) << "the stream being read stays";
    ASSERT_TRUE(PlayOut());
    ZIBMAINForm->PlayClickSound();
    EXPECT_EQ(Count(dev->Calls(), "open"), 2) << "an idle player plays the next click";
    ASSERT_TRUE(PlayOut());
}

TEST_F(MainWindowSound, SaveSoundPlaysToItsEndAndIsFreedByThePlayer)
{
    // Played to the end, and once more cut short by the window going away:
    // the sanitizer build sees a leak or a read of a freed stream.
    ZIBMAINForm->PlaySaveSound();
    ASSERT_TRUE(ZIBMAINForm->StockAudioPlayer1->Active());
    ASSERT_TRUE(PlayOut());
    EXPECT_FALSE(ZIBMAINForm->StockAudioPlayer1->Active());
    ZIBMAINForm->PlaySaveSound();
    ASSERT_TRUE(ZIBMAINForm->StockAudioPlayer1->Active());
    EXPECT_EQ(Count(dev->Calls(), "open"), 2);
}

// Runs the main window modally with the driver's steps.
class MainWindowRoads : public ProgramWindows {
protected:
    int RunMain() { return ZIBMAINForm->ShowModal(); }
    TWindowDriver drv;
};

TEST_F(MainWindowRoads, NewShowsTheChoiceHalfASecondAfterTheClick)
{
    drv.Then([&] {
        EXPECT_TRUE(drv.Click(*ZIBMAINForm, "ButtonNT"));
        EXPECT_EQ(ZIBMAINForm->EFase->Text(), "Timer loopt");
        EXPECT_EQ(ZIBMAINForm->ResumeFlag, 0);
        drv.Advance(499);
        EXPECT_FALSE(ZIBkeuze->Visible());
        drv.Advance(1);
    });
    drv.Then([&] {
        EXPECT_TRUE(ZIBkeuze->Modal());
        EXPECT_TRUE(ZIBkeuze->ButtonFV->Enabled());
        // Back to the main window.
        EXPECT_TRUE(drv.Click(*ZIBkeuze, "ButtonExit"));
    });
    drv.Then([&] {
        EXPECT_FALSE(ZIBkeuze->Visible());
        EXPECT_EQ(ZIBMAINForm->EFase->Text(), "Startfase");
        EXPECT_TRUE(drv.Click(*ZIBMAINForm, "ButtonExit"));
    });
    EXPECT_EQ(RunMain(), mrOk);
}

TEST_F(MainWindowRoads, TwoQuickClicksOnASubtestStartTheParticularsOnce)
{
    int particularsShown = 0;
    ZIBinvoer->OnShow = [&](TObject *) { ++particularsShown; };
    drv.Then([&] {
        EXPECT_TRUE(drv.Click(*ZIBMAINForm, "ButtonNT"));
        EXPECT_TRUE(drv.Click(*ZIBMAINForm, "ButtonNT")); // acts at once
    });
    drv.Then([&] {
        EXPECT_TRUE(drv.Click(*ZIBkeuze, "ButtonFW"));
        EXPECT_FALSE(drv.Click(*ZIBkeuze, "ButtonFW")) << "the second click finds the buttons disabled";
        EXPECT_EQ(ZIBkeuze->Keuze, 2);
        EXPECT_EQ(ZIBinvoer->AdminState, 2);
        drv.Advance(500);
    });
    drv.Then([&] {
        EXPECT_TRUE(ZIBinvoer->Modal());
        EXPECT_EQ(particularsShown, 1);
        ZIBinvoer->SetModalResult(mrCancel);
    });
    drv.Then([&] {
        EXPECT_FALSE(ZIBkeuze->Visible()) << "the choice's loop ended with the particulars' loop";
        EXPECT_TRUE(drv.Click(*ZIBMAINForm, "ButtonExit"));
    });
    EXPECT_EQ(RunMain(), mrOk);
    EXPECT_EQ(particularsShown, 1);
}

TEST_F(MainWindowRoads, CancellingTheResumeDialogResetsTheMainWindow)
{
    drv.Then([&] {
        EXPECT_TRUE(drv.Click(*ZIBMAINForm, "ButtonTH"));
        EXPECT_EQ(ZIBMAINForm->ResumeFlag, 1);
        drv.Dialogs().Cancel(TDialogKind::OpenFile);
        drv.Advance(500);
        const TDialogRequest &r = drv.Dialogs().Shown().back();
        EXPECT_EQ(r.Title, "Incomplete ZIBOR-afname openen en hervatten");
        EXPECT_EQ(r.InitialDir, ZIBMAINForm->DataPath + "Incomplete afnames\\");
        EXPECT_EQ(r.DefaultExt, "zta");
        EXPECT_EQ(r.Filter, "ZIBOR-afname *.zta|*.zta");
        EXPECT_EQ(r.Options, ofHideReadOnly | ofNoChangeDir | ofFileMustExist);
        EXPECT_EQ(ZIBMAINForm->EFase->Text(), "Startfase");
        EXPECT_EQ(ZIBMAINForm->Deferred.State(), 0);
        EXPECT_FALSE(ZIBinvoer->Visible());
        // A chosen file opens the particulars window.
        EXPECT_TRUE(drv.Click(*ZIBMAINForm, "ButtonTH"));
        drv.Dialogs().Choose(TDialogKind::OpenFile, "/tmp/a_1-1-2020.zta");
        // No such administration: said, and the particulars window stays.
        drv.Dialogs().Answer(mrOk, "Cannot open file");
        drv.Advance(500);
    });
    drv.Then([&] {
        EXPECT_TRUE(ZIBinvoer->Modal());
        EXPECT_EQ(ZIBinvoer->OpenDialog1->FileName, "/tmp/a_1-1-2020.zta");
        ZIBinvoer->SetModalResult(mrCancel);
    });
    drv.Then([&] { EXPECT_TRUE(drv.Click(*ZIBMAINForm, "ButtonExit")); });
    EXPECT_EQ(RunMain(), mrOk);
}

TEST_F(MainWindowRoads, AboutBoxShowsTheVersionAndClosesWithOk)
{
    drv.Then([&] { EXPECT_TRUE(drv.Click(*ZIBMAINForm, "About")); });
    drv.Then([&] {
        EXPECT_TRUE(AboutBox->Modal());
        EXPECT_EQ(AboutBox->Version->Caption(), "versie 2.2.1.3");
        EXPECT_EQ(AboutBox->Caption(), "Programma-informatie");
        EXPECT_TRUE(drv.Click(*AboutBox, "OKButton"));
    });
    drv.Then([&] {
        EXPECT_FALSE(AboutBox->Visible());
        EXPECT_TRUE(drv.Click(*ZIBMAINForm, "ButtonExit"));
    });
    EXPECT_EQ(RunMain(), mrOk);
}

TEST_F(MainWindowRoads, ExitButtonSaysGoodbyeForTwoSecondsAndAsksNothing)
{
    drv.Then([&] { EXPECT_TRUE(drv.Click(*ZIBMAINForm, "ButtonExit")); });
    EXPECT_EQ(RunMain(), mrOk);
    EXPECT_EQ(drv.Sleeps(), (std::vector<unsigned>{2000}));
    EXPECT_TRUE(drv.Dialogs().Shown().empty());
    EXPECT_TRUE(ZIBMAINForm->Label1->Visible());
    EXPECT_EQ(ZIBMAINForm->Label1->Caption(), "TOT ZIENS!");
    for (const char *name : {"ButtonNT", "ButtonTH", "ButtonTRO", "ButtonExit", "About", "Background"})
        EXPECT_FALSE(drv.Find(*ZIBMAINForm, name)->Visible()) << name;
    EXPECT_FALSE(ZIBMAINForm->TrayIcon->Visible());
}

// The window system's close (Alt+F4 on the main window) is the menu's
// "Sluiten", whose shortcut it is: the closing question, never a silent end.
TEST_F(MainWindowRoads, TheWindowSystemsCloseAsksTheClosingQuestion)
{
    auto windowClose = [] {
        QCloseEvent e;
        QApplication::sendEvent(ZIBMAINForm->Widget(), &e);
    };
    drv.Then([&] {
        drv.Dialogs().Answer(mrCancel, "Hiermee sluit u het ZIBOR-testprogramma. Doorgaan?");
        windowClose();
        EXPECT_EQ(ZIBMAINForm->ModalResult(), mrNone);
        EXPECT_TRUE(ZIBMAINForm->ButtonNT->Visible());
    });
    drv.Then([&] {
        ASSERT_TRUE(ZIBMAINForm->Modal()) << "Cancel keeps the program running";
        drv.Dialogs().Answer(mrOk, "Hiermee sluit u het ZIBOR-testprogramma. Doorgaan?");
        windowClose();
    });
    EXPECT_EQ(RunMain(), mrOk);
    EXPECT_EQ(drv.Sleeps(), (std::vector<unsigned>{2000})) << "the goodbye picture";
    drv.Dialogs().VerifyAllUsed();
}

// The closing question from the tray menu, asked while the choice window
// runs modally above the main window.
TEST_F(MainWindowRoads, ClosingQuestionCancelChangesNothingOkUnwindsEveryLevel)
{
    int choiceResult = -1;
    drv.Then([&] {
        EXPECT_TRUE(drv.Click(*ZIBMAINForm, "ButtonNT"));
        drv.Advance(500);
    });
    drv.Then([&] {
        ASSERT_TRUE(ZIBkeuze->Modal());
        drv.Dialogs().Answer(mrCancel, "Hiermee sluit u het ZIBOR-testprogramma. Doorgaan?");
        ZIBMAINForm->Exit1->Click();
        EXPECT_TRUE(ZIBkeuze->Visible());
        EXPECT_EQ(ZIBkeuze->ModalResult(), mrNone);
        EXPECT_EQ(ZIBMAINForm->ModalResult(), mrNone);
        EXPECT_TRUE(ZIBMAINForm->ButtonNT->Visible());
        EXPECT_TRUE(drv.Sleeps().empty());
    });
    drv.Then([&] {
        ASSERT_TRUE(ZIBkeuze->Modal()) << "still waiting in the choice window";
        const TDialogRequest &r = drv.Dialogs().Shown().back();
        EXPECT_EQ(r.Type, mtConfirmation);
        ASSERT_EQ(r.Buttons.size(), 2u);
        EXPECT_EQ(r.Buttons[0].Result, mrOk);
        EXPECT_EQ(r.Buttons[1].Result, mrCancel);
        drv.Dialogs().Answer(mrOk, "Hiermee sluit u het ZIBOR-testprogramma. Doorgaan?");
        ZIBMAINForm->Exit1->Click();
        choiceResult = ZIBkeuze->ModalResult();
    });
    EXPECT_EQ(RunMain(), mrOk);
    EXPECT_EQ(choiceResult, mrAbort);
    EXPECT_FALSE(ZIBkeuze->Visible());
    EXPECT_EQ(drv.Sleeps(), (std::vector<unsigned>{2000}));
    EXPECT_TRUE(Application()->ModalStack().empty());
}

TEST_F(MainWindowSound, NoticeStaysOneSecondAndSoundsOnlyForAStoreOutsideASubtest)
{
    struct Case {
        const char *name;
        TNoticeForm *notice;
        int autosave;
        int sounds;
    };
    const Case cases[] = {
        {"a store by a subtest", message, 1, 0},
        {"a store from the particulars window", message, 0, 1},
        {"the silent notice", pmessage, 0, 0},
    };
    TWindowDriver drv;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ZIBinvoer->AutoSave = c.autosave;
        const int opensBefore = Count(dev->Calls(), "open");
        drv.Then([&] {
            EXPECT_TRUE(c.notice->Visible());
            drv.Advance(999);
            EXPECT_EQ(c.notice->ModalResult(), mrNone);
            EXPECT_EQ(Count(dev->Calls(), "open"), opensBefore) << "the sound comes as the notice goes";
            drv.Advance(1);
        });
        EXPECT_EQ(c.notice->ShowModal(), mrCancel);
        EXPECT_EQ(Count(dev->Calls(), "open") - opensBefore, c.sounds);
        if (c.sounds) {
            ASSERT_TRUE(PlayOut());
        }
    }
}

// The notice window is cut away wherever it shows exactly aqua: what is left
// must be the notice's picture, with no near-aqua fringe along its edge.
TEST_F(ProgramWindows, TheSavedNoticeShowsItsPictureAlone)
{
    TWindowDriver drv;
    ZIBinvoer->AutoSave = 1;
    for (TNoticeForm *notice : {static_cast<TNoticeForm *>(message), static_cast<TNoticeForm *>(pmessage)}) {
        SCOPED_TRACE(notice->Name());
        drv.Then([&] {
            QWidget *w = notice->Widget();
            const QImage look = w->grab().toImage();
            QImage shown(look.size(), QImage::Format_Grayscale8);
            shown.fill(0);
            {
                QPainter p(&shown);
                p.setClipRegion(w->mask());
                p.fillRect(shown.rect(), Qt::white);
            }
            const QRect picture(notice->Image1->Left(), notice->Image1->Top(), notice->Image1->Width(),
                                notice->Image1->Height());
            int visible = 0, outside = 0, fringe = 0;
            for (int y = 0; y < look.height(); ++y)
                for (int x = 0; x < look.width(); ++x) {
                    if (!qGray(shown.pixel(x, y)))
                        continue;
                    ++visible;
                    outside += !picture.contains(x, y);
                    const QColor c = look.pixelColor(x, y);
                    if (c.red() < 128 && c.green() > 200 && c.blue() > 200) {
                        if (fringe == 0)
                            ADD_FAILURE() << "first near-aqua pixel at " << x << "," << y << ": " << c.red() << ","
                                          << c.green() << "," << c.blue();
                        ++fringe;
                    }
                }
            EXPECT_EQ(fringe, 0) << "near-aqua pixels that show";
            EXPECT_EQ(outside, 0) << "pixels that show beside the picture";
            EXPECT_GT(visible, picture.width() * picture.height() * 9 / 10) << "the picture shows";
            drv.Advance(1000);
        });
        EXPECT_EQ(notice->ShowModal(), mrCancel);
    }
}

} // namespace
