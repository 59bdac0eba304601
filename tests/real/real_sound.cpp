// Plays through the program's own ALSA output (no ZIBOR_AUDIO): the stop
// sound and an introduction part by the system-sound path the windows use,
// and a prompt through the item player, then a run of stop sounds for the
// latency. It records the sound server's monitor itself (ALSA device
// "zibor_monitor", set up by scripts/real-sound) to time the first sample of
// each play against its call. Writes events.txt and latency.raw into the
// folder given; scripts/real-sound compares the separate monitor recording
// with the resources.
#include "audio/StockAudioPlayer.h"
#include "platform/audio/PlaySound.h"
#include "platform/core/Streams.h"

#include <QCoreApplication>
#include <alsa/asoundlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
double Ms(Clock::time_point t, Clock::time_point base)
{
    return std::chrono::duration<double, std::milli>(t - base).count();
}

std::vector<uint8_t> Resource(const char *name)
{
    std::vector<uint8_t> bytes;
    if (!plat::FindResourceBytes("WAV", name, bytes)) {
        std::fprintf(stderr, "real-sound: no WAV resource %s\n", name);
        std::exit(2);
    }
    return bytes;
}

// Captures the monitor in 5 ms periods and notes when each period arrived.
class Monitor {
public:
    bool Start()
    {
        if (snd_pcm_open(&pcm_, "zibor_monitor", SND_PCM_STREAM_CAPTURE, 0) < 0 ||
            snd_pcm_set_params(pcm_, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, 1, 16000, 1, 200000) < 0)
            return false;
        thread_ = std::thread([this] { Run(); });
        return true;
    }
    void Stop()
    {
        stop_ = true;
        thread_.join();
        snd_pcm_close(pcm_);
    }
    // Waits until a period has arrived at or after moment; false after limit.
    bool WaitHeardUntil(Clock::time_point moment, Clock::duration limit)
    {
        std::unique_lock lk(m_);
        return cv_.wait_for(lk, limit, [&] { return !chunks.empty() && chunks.back().arrived >= moment; });
    }
    // The clock time at which captured sample i was heard.
    struct Chunk {
        Clock::time_point arrived;
        uint64_t end;
    };
    // Read once the capture has stopped; written under m_ while it runs.
    std::vector<int16_t> samples;
    std::vector<Chunk> chunks;
    int overruns = 0;

private:
    void Run()
    {
        int16_t buf[80];
        while (!stop_) {
            const snd_pcm_sframes_t n = snd_pcm_readi(pcm_, buf, 80);
            const auto now = Clock::now();
            if (n < 0) {
                std::lock_guard g(m_);
                ++overruns;
                snd_pcm_recover(pcm_, static_cast<int>(n), 1);
                continue;
            }
            snd_pcm_sframes_t delay = 0;
            if (snd_pcm_delay(pcm_, &delay) < 0 || delay < 0)
                delay = 0;
            std::lock_guard g(m_);
            samples.insert(samples.end(), buf, buf + n);
            // delay frames wait behind the ones just read.
            chunks.push_back({now, samples.size() + static_cast<uint64_t>(delay)});
            cv_.notify_all();
        }
    }
    snd_pcm_t *pcm_ = nullptr;
    std::mutex m_;
    std::condition_variable cv_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: real_sound OUTDIR [latency-plays]\n");
        return 2;
    }
    const std::string out = argv[1];
    const int plays = argc > 2 ? std::atoi(argv[2]) : 30;
    std::ofstream events(out + "/events.txt");
    const auto base = Clock::now();
    auto sync = [&](const char *name) {
        const auto sound = Resource(name);
        const auto t0 = Clock::now();
        const bool ok = plat::PlaySoundMemory(sound.data(), sound.size(), plat::SND_MEMORY | plat::SND_SYNC);
        const auto t1 = Clock::now();
        events << "sync " << name << ' ' << ok << ' ' << Ms(t0, base) << ' ' << Ms(t1, base) << '\n';
        std::this_thread::sleep_for(std::chrono::milliseconds(150)); // a gap between the sounds
        return ok;
    };

    sync("Tstop");
    sync("FWn02");

    // A prompt through the item player, as the subtest windows play one.
    {
        std::unique_ptr<TStockAudioPlayer> player(CreateFWItemPlayer(nullptr));
        std::mutex m;
        std::condition_variable cv;
        bool ended = false;
        player->OnDeactivate = [&](plat::TObject *) {
            std::lock_guard g(m);
            ended = true;
            cv.notify_all();
        };
        const auto bytes = Resource("FWAI01A");
        plat::TMemoryStream stream;
        stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
        stream.SetPosition(0);
        const auto t0 = Clock::now();
        const bool ok = player->PlayWaveStream(&stream);
        {
            std::unique_lock lk(m);
            cv.wait_for(lk, std::chrono::seconds(20), [&] { return ended; });
        }
        events << "player FWAI01A " << (ok && ended) << ' ' << Ms(t0, base) << ' ' << Ms(Clock::now(), base)
               << '\n';
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
    }

    // Play-to-first-sample latency: each stop sound's first sound sample in
    // the own capture, against the time of its call.
    Monitor monitor;
    if (!monitor.Start()) {
        std::fprintf(stderr, "real-sound: cannot capture ALSA device zibor_monitor\n");
        return 2;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    std::vector<Clock::time_point> calls;
    const auto stop = Resource("Tstop");
    for (int i = 0; i < plays; ++i) {
        calls.push_back(Clock::now());
        plat::PlaySoundMemory(stop.data(), stop.size(), plat::SND_MEMORY | plat::SND_SYNC);
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
    }
    // Until the capture has heard well past the last play (the server hands
    // the monitor on in its own time), or it never will.
    const bool caught = monitor.WaitHeardUntil(Clock::now() + std::chrono::milliseconds(400), std::chrono::seconds(10));
    monitor.Stop();
    if (!caught || monitor.overruns > 0)
        std::fprintf(stderr, "real-sound: the capture %s\n", caught ? "lost samples" : "stopped short");
    // A play starts where sound follows at least 40 ms of quiet: the plays
    // are 60 ms apart, and a sample lost by the capture cannot shift the
    // later plays onto the wrong call. A sample was heard at the moment its
    // chunk arrived, less the time of the samples captured after it.
    constexpr int kQuiet = 64, kGap = 640;
    std::vector<uint64_t> onsets;
    uint64_t quiet = kGap;
    for (uint64_t i = 0; i < monitor.samples.size(); ++i) {
        if (std::abs(monitor.samples[i]) <= kQuiet) {
            ++quiet;
            continue;
        }
        if (quiet >= kGap)
            onsets.push_back(i);
        quiet = 0;
    }
    for (size_t i = 0; i < calls.size(); ++i) {
        double heard = -1;
        if (caught && monitor.overruns == 0 && onsets.size() == calls.size())
            for (const auto &c : monitor.chunks)
                if (c.end > onsets[i]) {
                    // A play that was heard took no less than nothing: the
                    // capture's own delay, as ALSA reports it, can put the
                    // estimate a little before the call.
                    heard = std::max(0.0, Ms(c.arrived, base) - static_cast<double>(c.end - onsets[i]) / 16.0 -
                                              Ms(calls[i], base));
                    break;
                }
        events << "latency " << i << ' ' << heard << '\n';
    }
    if (onsets.size() != calls.size())
        std::fprintf(stderr, "real-sound: %zu plays heard for %zu calls\n", onsets.size(), calls.size());
    return 0;
}
