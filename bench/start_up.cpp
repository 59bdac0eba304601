// Start-up figures, run by hand under an X server (Xvfb will do): the time
// from exec to the splash, the progress window and the main window being
// mapped, and to the main window's pixels being on the screen, for the real
// program and, in turn, for a plain Qt window of the same size as the floor.
//
//   bench_start_up [rounds] [program...]
//
// The program defaults to the zibor beside the bench folder; given several
// (two builds, say), they take turns. Each round starts the plain window and
// each program once, after one warm round that is not counted; the figures
// are medians. The program is asked
// to wait 1000 ms (splash) and 100 ticks of 1 ms (progress window): those
// 1100 ms are taken off its time to give its own overhead.
//
// The bench watches the root window's map events on its own connection and,
// once a window is mapped, reads one row of the screen across it every
// millisecond; the row is compared afterwards with the row that the window
// shows when it has settled, so "shown" is the first moment the finished
// picture was on the screen, not just the window's mapping.
#include "bench/LoadAverage.h"

#include <QApplication>
#include <QPainter>
#include <QWidget>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Steady = std::chrono::steady_clock;

constexpr double kAskedWaitsMs = 1000.0 + 100.0;
constexpr int kWidth = 800, kHeight = 600;

double MsSince(Steady::time_point t0) { return std::chrono::duration<double, std::milli>(Steady::now() - t0).count(); }

// The floor: a plain Qt window of the main window's size and caption,
// painted once in one colour.
int RunPlainWindow(int argc, char **argv)
{
    QApplication app(argc, argv);
    struct Plain : QWidget {
        void paintEvent(QPaintEvent *) override { QPainter(this).fillRect(rect(), QColor(40, 90, 160)); }
    } w;
    w.setWindowFlag(Qt::FramelessWindowHint);
    w.setWindowTitle("ZIBOR");
    w.resize(kWidth, kHeight);
    w.show();
    return app.exec();
}

struct Sample {
    double at;
    std::vector<unsigned long> row;
};

struct Run {
    double splash = -1, progress = -1, mapped = -1, shown = -1;
    double cpuMs = 0, peakMiB = 0;
};

std::string WindowName(Display *d, Window w)
{
    char *name = nullptr;
    std::string s;
    if (XFetchName(d, w, &name) && name)
        s = name;
    if (name)
        XFree(name);
    return s;
}

std::vector<unsigned long> ReadRow(Display *d, int x, int y, int width)
{
    std::vector<unsigned long> row;
    XImage *img = XGetImage(d, DefaultRootWindow(d), x, y, static_cast<unsigned>(width), 1, AllPlanes, ZPixmap);
    if (!img)
        return row;
    row.reserve(static_cast<size_t>(width));
    for (int i = 0; i < width; ++i)
        row.push_back(XGetPixel(img, i, 0));
    XDestroyImage(img);
    return row;
}

// Starts argv, watches until the window called `mainName` has been mapped and
// its pixels have settled, then ends the process and collects its usage.
Run Measure(Display *d, const std::vector<std::string> &args)
{
    Window root = DefaultRootWindow(d);
    XSelectInput(d, root, SubstructureNotifyMask);
    XSync(d, True);
    Run run;
    const auto t0 = Steady::now();
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<char *> argv;
        for (const auto &a : args)
            argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    Window mainWindow = 0;
    std::vector<Sample> samples;
    int rowX = 0, rowY = 0;
    double lastChange = -1;
    const double settleMs = 600, giveUpMs = 20000;
    for (;;) {
        while (XPending(d)) {
            XEvent e;
            XNextEvent(d, &e);
            if (e.type != MapNotify)
                continue;
            const double at = MsSince(t0);
            const std::string name = WindowName(d, e.xmap.window);
            if (name == "ZIBsplash" && run.splash < 0)
                run.splash = at;
            else if (name == "Loader" && run.progress < 0)
                run.progress = at;
            else if (name == "ZIBOR" && !mainWindow) {
                run.mapped = at;
                mainWindow = e.xmap.window;
                XWindowAttributes a;
                XGetWindowAttributes(d, mainWindow, &a);
                // A row a sixth of the way down, across the whole window.
                rowX = a.x;
                rowY = a.y + a.height / 6;
            }
        }
        const double now = MsSince(t0);
        if (mainWindow) {
            std::vector<unsigned long> row = ReadRow(d, rowX, rowY, kWidth);
            if (samples.empty() || row != samples.back().row) {
                samples.push_back({MsSince(t0), std::move(row)});
                lastChange = samples.back().at;
            }
            if (now - lastChange > settleMs)
                break;
        }
        if (now > giveUpMs) {
            std::fprintf(stderr, "no main window within %.0f ms\n", giveUpMs);
            break;
        }
        pollfd p{ConnectionNumber(d), POLLIN, 0};
        poll(&p, 1, 1);
    }
    kill(pid, SIGKILL);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    run.cpuMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    run.peakMiB = usage.ru_maxrss / 1024.0;
    if (!samples.empty())
        run.shown = samples.back().at;
    if (getenv("BENCH_TRACE"))
        for (const Sample &s : samples)
            std::fprintf(stderr, "  sample at %.1f: first pixel %06lx\n", s.at, s.row.empty() ? 0ul : s.row[0]);
    XSelectInput(d, root, NoEventMask);
    // Let the server forget the windows before the next start.
    XSync(d, True);
    usleep(200'000);
    return run;
}

double Median(std::vector<double> v)
{
    v.erase(std::remove_if(v.begin(), v.end(), [](double x) { return x < 0; }), v.end());
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

void Print(const char *what, const std::vector<Run> &runs, double offset)
{
    std::vector<double> splash, progress, mapped, shown, cpu, peak;
    for (const Run &r : runs) {
        splash.push_back(r.splash);
        progress.push_back(r.progress);
        mapped.push_back(r.mapped);
        shown.push_back(r.shown);
        cpu.push_back(r.cpuMs);
        peak.push_back(r.peakMiB);
    }
    std::printf("%s\n    splash %7.1f  progress %7.1f  main mapped %7.1f  shown %7.1f  | own time %7.1f ms"
                "  cpu %6.1f ms  peak %5.1f MiB\n",
                what, Median(splash), Median(progress), Median(mapped), Median(shown), Median(shown) - offset,
                Median(cpu), Median(peak));
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--plain-window") == 0)
        return RunPlainWindow(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        return 1;
    self[n] = 0;
    std::vector<std::string> programs(argv + std::min(argc, 2), argv + argc);
    if (programs.empty())
        programs.push_back(std::string(self).substr(0, std::string(self).rfind('/')) + "/../zibor");
    Display *d = XOpenDisplay(nullptr);
    if (!d) {
        std::fprintf(stderr, "no X display: start Xvfb and set DISPLAY\n");
        return 1;
    }
    const double loadBefore = LoadAverage();
    std::vector<Run> plain;
    std::vector<std::vector<Run>> runs(programs.size());
    for (int i = 0; i <= rounds; ++i) {
        const Run p = Measure(d, {self, "--plain-window"});
        if (i > 0)
            plain.push_back(p);
        for (size_t k = 0; k < programs.size(); ++k) {
            const Run z = Measure(d, {programs[k]});
            if (i == 0)
                continue; // the warm round
            runs[k].push_back(z);
            std::printf("round %d: plain shown %.1f ms; %s splash %.1f, progress %.1f, mapped %.1f, shown %.1f ms\n",
                        i, p.shown, programs[k].c_str(), z.splash, z.progress, z.mapped, z.shown);
        }
    }
    std::printf("medians of %d rounds, ms from exec (load average %.2f before, %.2f after):\n", rounds, loadBefore,
                LoadAverage());
    Print("plain Qt", plain, 0);
    for (size_t k = 0; k < programs.size(); ++k)
        Print(programs[k].c_str(), runs[k], kAskedWaitsMs);
    std::printf("own time of a program: shown minus the asked-for %.0f ms of waits\n", kAskedWaitsMs);
    XCloseDisplay(d);
    return 0;
}
