#pragma once
// A device for tests: it records every wave-out call that reaches it, plays
// nothing by itself and hands a buffer back only when the test says so (or at
// once, in auto-complete mode). Any call can be made to fail once.
#include "platform/audio/AudioDevice.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace plat {

class TScriptedAudioDevice : public TAudioDevice {
public:
    WAVEOUTCAPS Caps() override;
    MMRESULT Query(const WAVEFORMATEX &format) override;
    MMRESULT Open(const WAVEFORMATEX &format, HWAVEOUT handle, TAudioQueue &queue,
                  std::unique_ptr<TAudioOutput> &output) override;
    MMRESULT Intercept(TWaveOutCall call, HWAVEOUT handle, uint32_t argument) override;

    // The calls so far, one line each: "query", "open #1", "write #1 4410",
    // "set pitch #1 0x00018000", "reset #1", "close #1", ... Outputs are
    // numbered in the order they were opened.
    std::vector<std::string> Calls() const;
    void ClearCalls();
    // Adds a line of the test's own (an event it saw) among the calls.
    void Note(const std::string &line);
    // Waits (for other threads' calls) until pred(Calls()) holds.
    bool WaitUntil(const std::function<bool(const std::vector<std::string> &)> &pred, int timeoutMs = 5000);
    // Waits until check() holds, trying it again after every change the
    // device sees (a call, a note, a buffer queued, played or dropped). check
    // runs without the device's lock, so it may call Queued, CompleteBuffer...
    bool Await(const std::function<bool()> &check, int timeoutMs = 5000);
    // Runs on the calling thread for every call that reaches the device,
    // before the call runs and without any lock held.
    void SetBeforeCall(std::function<void(TWaveOutCall call)> hook);

    // The next such call (on any output) fails with code.
    void FailNext(TWaveOutCall call, MMRESULT code);

    // Hands back the oldest queued buffer of output n (0: the last opened).
    // False when it has none queued or is closed.
    bool CompleteBuffer(int output = 0);
    size_t Queued(int output = 0);
    void SetAutoComplete(bool on);

    uint32_t Support = WAVECAPS_VOLUME | WAVECAPS_LRVOLUME;
    // The formats it accepts; by default those every device here plays.
    std::function<bool(const WAVEFORMATEX &)> Accepts = IsPlayablePcm;

    struct OutputState;

private:
    void Record(std::string line);
    void Changed();
    std::shared_ptr<OutputState> Output(int n);
    std::string Label(HWAVEOUT handle) const;

    mutable std::mutex m_;
    std::condition_variable cv_;
    std::vector<std::string> calls_;
    std::map<TWaveOutCall, MMRESULT> failures_;
    std::map<HWAVEOUT, int> numbers_;
    std::vector<std::shared_ptr<OutputState>> outputs_;
    std::atomic<bool> autoComplete_{false};
    uint64_t changes_ = 0;
    std::function<void(TWaveOutCall)> beforeCall_;
};

} // namespace plat
