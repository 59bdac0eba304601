// Response-time figures of a subtest window, run by hand: how long the stop
// takes from the click (or the space key) being delivered to the window
// until the stopwatch has stopped, and how evenly the 100 ms tick comes, over
// many items while a second process keeps the CPU busy.
//
//   bench_subtest_stop [items] [busy threads] [deletion]
//
// By default 1000 items for each delivery, so that each p99 stands on at
// least 1000 samples; a p99 of fewer is marked as such.
//
// The real window, its timers on Qt's clock, the prompts on the scripted
// audio device. The stopwatch reads a clock that is the steady clock plus
// an offset: the bench moves the offset past the point where the stop is
// offered, so an item takes a few ticks instead of the prompt's seconds,
// and the moment the stopwatch reads the clock to stop is taken from the
// steady clock itself.
//
// Three deliveries take turns: the click and the space key handed straight to
// the window's widget (the handler alone), and, under an X server (Xvfb will
// do: QT_QPA_PLATFORM=xcb), a real click through the server: the pointer is
// moved over the stop button and pressed with XTest, and the release is timed
// from the moment it is sent, through the server, Qt's event queue and the
// interface thread's wake-up, to the stop's clock reading. The same click on
// a plain Qt window, timed to its release handler, is the floor: what of the
// server path is not the program's.
#include "windows/DeletionWindow.h"
#include "windows/ParticularsWindow.h"
#include "windows/ProgramStart.h"
#include "windows/SubstitutionWindow.h"
#include "windows/SubtestRoad.h"
#include "platform/audio/AudioDeviceScripted.h"
#include "platform/core/Clock.h"
#include "platform/gui/Application.h"

#include "bench/LoadAverage.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

// Last: Xlib's macros would rename Qt's event types.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#undef KeyPress
#undef KeyRelease
#undef None
#undef Bool
#undef Status

using namespace plat;
using Steady = std::chrono::steady_clock;

namespace {

int64_t SteadyNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Steady::now().time_since_epoch()).count();
}

// The steady clock plus an offset; notes the first reading after Arm().
class OffsetClock final : public Clock {
public:
    explicit OffsetClock(Clock &system) : system_(system) {}
    TDateTime Now() override { return system_.Now(); }
    int64_t MonotonicNanoseconds() override
    {
        const int64_t now = SteadyNs();
        int64_t expected = -1;
        firstRead_.compare_exchange_strong(expected, now);
        return now + offset_;
    }
    void Skip(int64_t ns) { offset_ += ns; }
    void Arm() { firstRead_ = -1; }
    int64_t FirstRead() const { return firstRead_; }

private:
    Clock &system_;
    std::atomic<int64_t> offset_{0};
    std::atomic<int64_t> firstRead_{0};
};

void Click(QWidget *w)
{
    const QPointF local(w->width() / 2.0, w->height() / 2.0);
    const QPointF global = w->mapToGlobal(local);
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
}

// A click through the display server. The press goes first and is let
// through; the release, timed from the moment it is sent, is the click's end.
class ServerClick {
public:
    ServerClick() : display_(QGuiApplication::platformName() == "xcb" ? XOpenDisplay(nullptr) : nullptr)
    {
        int event = 0, error = 0, major = 0, minor = 0;
        if (display_ && !XTestQueryExtension(display_, &event, &error, &major, &minor)) {
            XCloseDisplay(display_);
            display_ = nullptr;
        }
    }
    ~ServerClick()
    {
        if (display_)
            XCloseDisplay(display_);
    }
    bool Available() const { return display_ != nullptr; }

    // Moves the pointer over w and presses; returns when Qt has seen the press.
    void PressOver(QWidget *w)
    {
        const QPoint at = w->mapToGlobal(QPoint(w->width() / 2, w->height() / 2));
        XTestFakeMotionEvent(display_, -1, at.x(), at.y(), CurrentTime);
        XTestFakeButtonEvent(display_, 1, True, CurrentTime);
        XSync(display_, False);
        const auto end = Steady::now() + std::chrono::milliseconds(30);
        while (Steady::now() < end)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    // Sends the release; the steady clock when it left.
    int64_t Release()
    {
        const int64_t t0 = SteadyNs();
        XTestFakeButtonEvent(display_, 1, False, CurrentTime);
        XFlush(display_);
        return t0;
    }

private:
    Display *display_;
};

// The floor: a plain Qt window that notes when its release handler runs.
class PlainTarget : public QWidget {
public:
    std::atomic<int64_t> released{0};

protected:
    void mouseReleaseEvent(QMouseEvent *) override { released = SteadyNs(); }
};

void Key(QWidget *w, int qtKey, const QString &text)
{
    QKeyEvent press(QEvent::KeyPress, qtKey, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, qtKey, Qt::NoModifier, text);
    QApplication::sendEvent(w, &release);
}

template <class Pred>
bool RunUntil(Pred pred, int timeoutMs = 20000)
{
    const auto end = Steady::now() + std::chrono::milliseconds(timeoutMs);
    while (!pred()) {
        if (Steady::now() > end)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    return true;
}

// A p99 of fewer samples is little more than the worst few.
constexpr size_t kP99Samples = 1000;

void Report(const char *what, std::vector<double> v, const char *unit)
{
    if (v.empty())
        return;
    std::sort(v.begin(), v.end());
    const auto at = [&](double q) { return v[std::min(v.size() - 1, static_cast<size_t>(q * (v.size() - 1) + 0.5))]; };
    std::printf("%-36s n=%4zu  median %8.3f  p99 %8.3f  worst %8.3f %s%s\n", what, v.size(), at(0.5), at(0.99),
                v.back(), unit, v.size() < kP99Samples ? " (p99 of too few samples)" : "");
}

// A second process that keeps `threads` cores busy until it is killed.
pid_t StartLoad(int threads)
{
    if (threads <= 0)
        return 0;
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<std::thread> spin;
        for (int i = 0; i < threads; ++i)
            spin.emplace_back([] {
                volatile uint64_t x = 0;
                for (;;)
                    x = x + 1;
            });
        for (auto &t : spin)
            t.join();
        _exit(0);
    }
    return pid;
}

} // namespace

int main(int argc, char **argv)
{
    const int itemsAsked = argc > 1 ? std::atoi(argv[1]) : 0;
    const int load = argc > 2 ? std::atoi(argv[2]) : 2;
    const bool deletion = argc > 3 && std::string(argv[3]) == "deletion";

    QApplication app(argc, argv);
    Application()->Initialize();
    auto dev = std::make_shared<TScriptedAudioDevice>();
    dev->SetAutoComplete(true);
    TAudioDeviceScope scope(dev);
    OffsetClock clock(CurrentClock());
    SetClock(&clock);
    InitializeModules();
    CreateProgramWindows({});

    TSubtestWindow &w = deletion ? static_cast<TSubtestWindow &>(*FWtfase) : *FVtfase;
    std::vector<double> tickIntervals;
    int64_t lastTick = 0;
    const auto onTick = w.Timer1->OnTimer;
    w.Timer1->OnTimer = [&](TObject *sender) {
        const int64_t now = SteadyNs();
        if (lastTick != 0)
            tickIntervals.push_back(static_cast<double>(now - lastTick) / 1e6);
        lastTick = now;
        onTick(sender);
    };

    ServerClick server;
    // Through the server the stop's reading is the first after the handler
    // starts: a tick may read the clock while the release is on its way.
    const auto onStop = w.ButtonStptime->OnClick;
    bool armAtHandler = false;
    w.ButtonStptime->OnClick = [&](TObject *sender) {
        if (armAtHandler)
            clock.Arm();
        onStop(sender);
    };

    // The floor's window sits beside the subtest window and takes its click
    // just before each server click on the stop button, so both see the same load.
    PlainTarget plain;
    if (server.Available()) {
        // It never takes the activation from the subtest window.
        plain.setWindowFlags(Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
        plain.setAttribute(Qt::WA_ShowWithoutActivating);
        plain.setGeometry(0, 0, 160, 80);
        plain.show();
        RunUntil([&] { return plain.windowHandle() && plain.windowHandle()->isExposed(); });
    }
    const double loadBefore = LoadAverage();
    const pid_t loader = StartLoad(load);
    std::vector<double> clickStop, keyStop, serverStop, serverFloor;
    w.StartAt(1, 0);
    w.Show();
    int done = 0;
    const int deliveries = server.Available() ? 3 : 2;
    const int items = itemsAsked > 0 ? itemsAsked : int(kP99Samples) * deliveries;
    for (int item = 0; item < items; ++item) {
        if (w.Loop.IsLastEntryDone())
            w.StartAt(1, 0);
        Click(w.PromptA->Widget());
        if (w.BtnB) {
            if (!RunUntil([&] { return w.BtnB->Enabled(); }))
                break;
            Click(w.BtnB->Widget());
        }
        if (!RunUntil([&] { return w.Loop.CurrentPhase() == TItemLoop::Running; }))
            break;
        clock.Skip(static_cast<int64_t>(w.Loop.Params().stopOfferedAfterTenths + 12) * 100'000'000);
        if (!RunUntil([&] { return w.ButtonStptime->Enabled(); }))
            break;
        const int delivery = item % deliveries;
        if (delivery == 2) {
            // The floor first, while the window only ticks: after the stop the
            // window repaints, and a click then would wait for that.
            server.PressOver(&plain);
            plain.released = 0;
            const int64_t f0 = server.Release();
            if (!RunUntil([&] { return plain.released != 0; }))
                break;
            serverFloor.push_back(static_cast<double>(plain.released - f0) / 1e3);
            server.PressOver(w.ButtonStptime->Widget());
            armAtHandler = true;
            clock.Arm();
            const int64_t t0 = server.Release();
            const bool stopped = RunUntil([&] { return w.Loop.CurrentPhase() == TItemLoop::Stopped; });
            armAtHandler = false;
            if (!stopped)
                break;
            serverStop.push_back(static_cast<double>(clock.FirstRead() - t0) / 1e3);
        } else {
            clock.Arm();
            const int64_t t0 = SteadyNs();
            if (delivery == 1)
                Key(w.Widget(), Qt::Key_Space, " ");
            else
                Click(w.ButtonStptime->Widget());
            if (w.Loop.CurrentPhase() != TItemLoop::Stopped)
                break;
            (delivery == 1 ? keyStop : clickStop).push_back(static_cast<double>(clock.FirstRead() - t0) / 1e3);
        }
        Key(w.Widget(), Qt::Key_G, "g");
        ++done;
    }
    w.Hide();
    if (loader > 0) {
        kill(loader, SIGKILL);
        waitpid(loader, nullptr, 0);
    }
    std::printf("%s window, %d of %d items, %d busy threads in a second process; load average %.2f before the "
                "busy threads, %.2f at the end; UI thread priority %s\n",
                deletion ? "deletion" : "substitution", done, items, load, loadBefore, LoadAverage(),
                subtestroad::PriorityRaised() == 1   ? "raised"
                : subtestroad::PriorityRaised() == 0 ? "left (refused)"
                                                     : "not asked");
    Report("stop path, click delivered", clickStop, "us");
    Report("stop path, key delivered", keyStop, "us");
    if (server.Available()) {
        Report("stop path, click through X server", serverStop, "us");
        Report("plain Qt window, same click (floor)", serverFloor, "us");
    } else {
        std::printf("click through the X server: not measured (needs QT_QPA_PLATFORM=xcb and an X server with XTest)\n");
    }
    std::vector<double> jitter;
    for (double i : tickIntervals)
        jitter.push_back(std::abs(i - 100.0));
    Report("tick interval", tickIntervals, "ms");
    Report("tick jitter |interval - 100 ms|", jitter, "ms");
    SetClock(nullptr);
    return done == items ? 0 : 1;
}
