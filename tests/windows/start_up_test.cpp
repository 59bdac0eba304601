// One whole run of the program, headless and on virtual time: the start-up
// sequence to the main window, a walk to the choice window and back, and out
// through the exit button.
#include "windows/BackdropWindow.h"
#include "windows/ChoiceWindow.h"
#include "windows/MainWindow.h"
#include "windows/ProgramStart.h"
#include "windows/ProgressWindow.h"
#include "windows/ReportWindow.h"
#include "windows/SavedNoticeWindow.h"
#include "windows/SplashWindow.h"
#include "platform/core/HelperThread.h"
#include "platform/core/Streams.h"
#include "platform/graphics/Graphics.h"
#include "platform/gui/Application.h"
#include "platform/gui/ExtCtrls.h"
#include "tests/windows/ProgramWindows.h"
#include "tests/support/WindowDriver.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <map>
#include <system_error>
#include <thread>

using namespace plat;
using zibor::test::TWindowDriver;

TEST(StartUp, WholeRunFromSplashToGoodbye)
{
    TWindowDriver drv;
    TApplication &app = *Application();
    app.SetTitle("");
    std::map<std::string, int> created;
    bool splashPictureShown = false;
    int mainShows = 0;
    drv.Then([&] {
        // A main window that runs again would never let the program end:
        // fail at once instead of hanging.
        TNotifyEvent formShow = ZIBMAINForm->OnShow;
        ZIBMAINForm->OnShow = [&, formShow](TObject *sender) {
            if (++mainShows > 1) {
                ADD_FAILURE() << "the main window runs again";
                Backblack->OnActivate = nullptr;
            }
            formShow(sender);
        };
        // Halfway: the progress window runs modally; the first group of
        // windows exists, the second not yet.
        ASSERT_TRUE(Loader && Loader->Modal());
        EXPECT_EQ(app.Title(), "Zibolka Test Revised");
        EXPECT_NE(ZIBMAINForm, nullptr);
        EXPECT_NE(message, nullptr);
        EXPECT_EQ(ZIBkeuze, nullptr);
        EXPECT_EQ(Loader->Label1->Caption(), "Laden... even geduld s.v.p.");
        EXPECT_EQ(Loader->ProgressBar1->Position(), 1) << "the show handler took the first step";
        EXPECT_TRUE(Loader->Timer1->Precise()) << "the hundred ticks keep to their millisecond each";
        splashPictureShown = ZIBsplash->Visible() && ZIBsplash->Image1->Visible();
        drv.Advance(98);
        EXPECT_EQ(Loader->ModalResult(), mrNone);
        drv.Advance(2); // 100 reached, then the tick that closes
        EXPECT_EQ(Loader->ModalResult(), mrCancel);
        EXPECT_FALSE(ZIBsplash->Image1->Visible()) << "the splash picture goes on its third count";
    });
    drv.Then([&] {
        // The whole run happens inside the backdrop's creation.
        ASSERT_TRUE(ZIBMAINForm->Modal());
        EXPECT_EQ(app.MainForm(), ZIBMAINForm);
        EXPECT_NE(ZIBkeuze, nullptr);
        EXPECT_EQ(ZIBMAINForm->FormStyle(), TFormStyle::fsStayOnTop);
        EXPECT_EQ(ZIBMAINForm->TrayIcon->Hint(), "Zibolka Test Revised");
        EXPECT_EQ(ZIBMAINForm->DataPath.back(), '\\');
        EXPECT_EQ(ZIBMAINForm->EFase->Text(), "Startfase");
        for (int i = 0; i < app.ComponentCount(); ++i)
            ++created[dynamic_cast<TForm *>(app.Components(i)) ? typeid(*app.Components(i)).name() : "other"];
        EXPECT_TRUE(drv.Click(*ZIBMAINForm, "ButtonNT"));
        drv.Advance(500);
    });
    drv.Then([&] {
        ASSERT_TRUE(ZIBkeuze->Modal());
        EXPECT_TRUE(drv.Click(*ZIBkeuze, "ButtonExit"));
    });
    drv.Then([&] { EXPECT_TRUE(drv.Click(*ZIBMAINForm, "ButtonExit")); });

    InitializeModules();
    RunProgram();

    EXPECT_TRUE(splashPictureShown);
    EXPECT_EQ(mainShows, 1);
    EXPECT_TRUE(app.Terminated());
    ASSERT_NE(Backblack, nullptr);
    EXPECT_EQ(Backblack->MainResult(), mrOk);
    EXPECT_EQ(drv.Sleeps(), (std::vector<unsigned>{1000, 2000}));
    EXPECT_EQ(Loader, nullptr);
    EXPECT_EQ(ZIBsplash, nullptr);
    EXPECT_TRUE(app.ModalStack().empty());
    // Every window once; the splash and progress windows besides.
    EXPECT_EQ(created.size(), 19u);
    for (const auto &[name, n] : created)
        EXPECT_EQ(n, 1) << name;
    // Shown once the run is over, the backdrop does not run the main window again.
    EXPECT_TRUE(Backblack->Visible());
    EXPECT_FALSE(ZIBMAINForm->Visible());
    zibor::test::FreeProgramWindows();
    app.CancelTerminate();
}

// The windows' pictures are decoded when a window first shows them, once for
// every window with the same picture, and show what a decode on loading gave.
// Only the background the main window shows first is decoded ahead, on
// another thread, while the windows are built.
class StartUpPictures : public zibor::test::ProgramWindows {};

TEST_F(StartUpPictures, ABackgroundIsDecodedWhenAWindowFirstShowsIt)
{
    const auto jpegOf = [](TImage *image) { return dynamic_cast<const TJPEGImage *>(image->Picture().Graphic()); };
    const TJPEGImage *before = jpegOf(ZIBMAINForm->Background); // "blk", until the window shows
    const TJPEGImage *toolbar = jpegOf(PP->Background);
    const TJPEGImage *choice = jpegOf(ZIBkeuze->Background);
    ASSERT_TRUE(before && toolbar && choice);
    EXPECT_FALSE(before->Decoded());
    EXPECT_FALSE(toolbar->Decoded()) << "building the windows decodes none of the pictures they show later";

    TResourceStream stream("jpg", "ZIBbckgr1");
    const std::vector<uint8_t> bytes = ReadRest(stream);
    const QImage reference = DecodeJpeg(bytes.data(), bytes.size());
    ASSERT_FALSE(reference.isNull());

    ZIBMAINForm->Show();
    // The window system's expose comes through the event loop; so does the paint.
    QCoreApplication::processEvents();
    ZIBMAINForm->Repaint();
    const TJPEGImage *shown = jpegOf(ZIBMAINForm->Background);
    ASSERT_TRUE(shown);
    EXPECT_TRUE(shown->Decoded()) << "painting the window decodes its picture";
    EXPECT_TRUE(choice->Decoded()) << "and so every window's copy of it";
    EXPECT_EQ(shown->Image().constBits(), choice->Image().constBits()) << "one set of pixels for all";
    EXPECT_EQ(shown->Image(), reference);
    const QImage onScreen = ZIBMAINForm->Background->Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(onScreen, reference) << "the window shows the pixels a decode on loading gave";
    ZIBMAINForm->Hide();
}

// A button picture is decoded when a window first shows it: building the
// windows decodes none of the GIFs but the main window's own three, which are
// decoded ahead on another thread, and showing the main window decodes no
// other window's pictures.
TEST_F(StartUpPictures, AButtonPictureIsDecodedWhenAWindowFirstShowsIt)
{
    struct Placed {
        std::string where;
        TImage *image;
        const TGIFImage *gif;
    };
    std::vector<Placed> gifs;
    TApplication &app = *Application();
    for (int f = 0; f < app.ComponentCount(); ++f) {
        auto *form = dynamic_cast<TForm *>(app.Components(f));
        for (int c = 0; form && c < form->ComponentCount(); ++c)
            if (auto *image = dynamic_cast<TImage *>(form->Components(c)))
                if (auto *gif = dynamic_cast<const TGIFImage *>(image->Picture().Graphic()))
                    gifs.push_back({form->Name() + "." + image->Name(), image, gif});
    }
    ASSERT_GT(gifs.size(), 3u);
    const std::map<TImage *, const char *> shown = {
        {ZIBMAINForm->ButtonNT, "BtnNToff"}, {ZIBMAINForm->ButtonTH, "BtnTHoff"}, {ZIBMAINForm->ButtonTRO, "BtnTROoff"}};
    // Another window's picture is decoded only when it is a copy of one the
    // main window shows. Asking for the main window's pixels waits for a
    // decode ahead that still runs.
    const auto othersWait = [&](const char *when) {
        size_t undecoded = 0;
        for (const Placed &p : gifs) {
            if (shown.count(p.image))
                continue;
            const bool copyOfShown = p.gif->Decoded() && std::any_of(shown.begin(), shown.end(), [&](const auto &s) {
                return dynamic_cast<const TGIFImage *>(s.first->Picture().Graphic())->Image().constBits() ==
                       p.gif->Image().constBits();
            });
            EXPECT_EQ(p.gif->Decoded(), copyOfShown) << p.where << " " << when;
            undecoded += !p.gif->Decoded();
        }
        EXPECT_GE(undecoded, gifs.size() / 2) << "the other windows' pictures wait for their windows " << when;
    };
    // Decoded ahead: with no paint, the main window's three come to be decoded.
    const auto threeDecoded = [&] {
        return std::all_of(shown.begin(), shown.end(), [](const auto &s) {
            return dynamic_cast<const TGIFImage *>(s.first->Picture().Graphic())->Decoded();
        });
    };
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!threeDecoded() && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::yield();
    EXPECT_TRUE(threeDecoded());
    for (const auto &[image, name] : shown)
        ASSERT_FALSE(dynamic_cast<const TGIFImage *>(image->Picture().Graphic())->Image().isNull()) << name;
    othersWait("once the windows are built");

    ZIBMAINForm->Show();
    QCoreApplication::processEvents();
    ZIBMAINForm->Repaint();
    othersWait("once the main window shows");
    for (const Placed &p : gifs) {
        SCOPED_TRACE(p.where);
        const auto it = shown.find(p.image);
        if (it == shown.end())
            continue;
        ASSERT_TRUE(p.gif->Decoded()) << "painting the window decodes its buttons";
        TResourceStream stream("gif", it->second);
        const std::vector<uint8_t> bytes = ReadRest(stream);
        QByteArray data(reinterpret_cast<const char *>(bytes.data()), static_cast<qsizetype>(bytes.size()));
        QImage reference = QImage::fromData(data, "GIF");
        ASSERT_TRUE(reference.hasAlphaChannel());
        reference = reference.convertToFormat(QImage::Format_ARGB32);
        EXPECT_EQ(p.gif->Image(), reference) << "the pixels Qt's reader gives";
        EXPECT_EQ(p.gif->Image().format(), QImage::Format_ARGB32);
    }
    ZIBMAINForm->Hide();
}

// The system has no thread to give for the decode ahead: the windows are
// built all the same, and the main window's pictures are decoded when it
// first shows them.
TEST(StartUpWithoutHelperThreads, TheWindowsAreBuiltAndTheMainWindowsPicturesDecodedOnFirstUse)
{
    InitializeModules();
    const plat::THelperThreadMaker previous = plat::SetHelperThreadMaker([](std::function<void()>) -> std::thread {
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    });
    EXPECT_NO_THROW(CreateProgramWindows({}));
    plat::SetHelperThreadMaker(previous);
    ASSERT_NE(ZIBMAINForm, nullptr);
    const auto *button = dynamic_cast<const TGIFImage *>(ZIBMAINForm->ButtonNT->Picture().Graphic());
    ASSERT_NE(button, nullptr);
    EXPECT_FALSE(button->Decoded()) << "no decode ahead ran";
    ZIBMAINForm->Show();
    QCoreApplication::processEvents();
    ZIBMAINForm->Repaint();
    EXPECT_TRUE(button->Decoded());
    EXPECT_FALSE(button->Image().isNull());
    ZIBMAINForm->Hide();
    zibor::test::FreeProgramWindows();
    plat::Application()->CancelTerminate();
}
