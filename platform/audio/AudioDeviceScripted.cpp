#include "platform/audio/AudioDeviceScripted.h"

#include <chrono>
#include <cstdio>
#include <cstring>

namespace plat {

// Shared with the output object, so that a test can still ask about an output
// that its callback thread has just closed.
struct TScriptedAudioDevice::OutputState {
    std::mutex m;          // taken before the queue's mutex, never after it
    TAudioQueue *queue = nullptr;
    bool closed = false;
    uint64_t played = 0;   // under the queue's mutex
    std::function<void()> changed; // tells waiting tests; takes the device's lock
};

namespace {

class ScriptedOutput final : public TAudioOutput {
public:
    ScriptedOutput(std::shared_ptr<TScriptedAudioDevice::OutputState> state, const std::atomic<bool> &autoComplete)
        : state_(std::move(state)), autoComplete_(autoComplete) {}
    void Kick() override
    {
        if (!autoComplete_) {
            state_->changed();
            return;
        }
        // The queue's mutex is held by the caller.
        const uint8_t *data;
        uint32_t n;
        while (state_->queue->Front(data, n)) {
            state_->played += n;
            state_->queue->Consume(n);
        }
        state_->changed();
    }
    void Pause() override {}
    void Restart() override {}
    void Reset() override
    {
        state_->played = 0;
        state_->changed();
    }
    uint64_t PlayedBytes() override { return state_->played; }
    void Close() override
    {
        {
            std::lock_guard g(state_->m);
            state_->closed = true;
            state_->queue = nullptr;
        }
        state_->changed();
    }
private:
    std::shared_ptr<TScriptedAudioDevice::OutputState> state_;
    const std::atomic<bool> &autoComplete_;
};

} // namespace

WAVEOUTCAPS TScriptedAudioDevice::Caps()
{
    WAVEOUTCAPS c{};
    std::strncpy(c.szPname, "Scripted audio output", sizeof(c.szPname) - 1);
    c.dwFormats = 0xFFF;
    c.wChannels = 2;
    c.dwSupport = Support;
    return c;
}

MMRESULT TScriptedAudioDevice::Query(const WAVEFORMATEX &format)
{
    return Accepts(format) ? MMSYSERR_NOERROR : WAVERR_BADFORMAT;
}

MMRESULT TScriptedAudioDevice::Open(const WAVEFORMATEX &, HWAVEOUT handle, TAudioQueue &queue,
                                    std::unique_ptr<TAudioOutput> &output)
{
    auto state = std::make_shared<OutputState>();
    state->queue = &queue;
    state->changed = [this] { Changed(); };
    {
        std::lock_guard g(m_);
        outputs_.push_back(state);
        numbers_[handle] = static_cast<int>(outputs_.size());
    }
    output = std::make_unique<ScriptedOutput>(state, autoComplete_);
    return MMSYSERR_NOERROR;
}

std::string TScriptedAudioDevice::Label(HWAVEOUT handle) const
{
    const auto it = numbers_.find(handle);
    // An output being opened has no number yet: it gets the next one.
    const int n = it != numbers_.end() ? it->second : static_cast<int>(outputs_.size()) + 1;
    return "#" + std::to_string(n);
}

MMRESULT TScriptedAudioDevice::Intercept(TWaveOutCall call, HWAVEOUT handle, uint32_t argument)
{
    std::unique_lock g(m_);
    std::string line = WaveOutCallName(call);
    if (call != TWaveOutCall::Query)
        line += " " + Label(handle);
    char hex[16];
    switch (call) {
    case TWaveOutCall::Write:
        line += " " + std::to_string(argument);
        break;
    case TWaveOutCall::SetVolume:
    case TWaveOutCall::SetPitch:
    case TWaveOutCall::SetPlaybackRate:
        std::snprintf(hex, sizeof hex, "0x%08X", argument);
        line += std::string(" ") + hex;
        break;
    default:
        break;
    }
    ++changes_;
    MMRESULT result = MMSYSERR_NOERROR;
    const auto f = failures_.find(call);
    if (f != failures_.end()) {
        result = f->second;
        failures_.erase(f);
        line += " -> " + std::to_string(result);
    }
    calls_.push_back(std::move(line));
    const auto hook = beforeCall_;
    g.unlock();
    cv_.notify_all();
    if (hook)
        hook(call);
    return result;
}

std::vector<std::string> TScriptedAudioDevice::Calls() const
{
    std::lock_guard g(m_);
    return calls_;
}

void TScriptedAudioDevice::Note(const std::string &line)
{
    Record(line);
}

void TScriptedAudioDevice::Record(std::string line)
{
    {
        std::lock_guard g(m_);
        calls_.push_back(std::move(line));
        ++changes_;
    }
    cv_.notify_all();
}

// Called with an output's queue mutex held at times: the device's lock is
// always taken after that one, never before it.
void TScriptedAudioDevice::Changed()
{
    {
        std::lock_guard g(m_);
        ++changes_;
    }
    cv_.notify_all();
}

bool TScriptedAudioDevice::Await(const std::function<bool()> &check, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        uint64_t seen;
        {
            std::lock_guard g(m_);
            seen = changes_;
        }
        if (check())
            return true;
        std::unique_lock g(m_);
        if (!cv_.wait_until(g, deadline, [&] { return changes_ != seen; }))
            return false;
    }
}

void TScriptedAudioDevice::SetBeforeCall(std::function<void(TWaveOutCall call)> hook)
{
    std::lock_guard g(m_);
    beforeCall_ = std::move(hook);
}

void TScriptedAudioDevice::ClearCalls()
{
    std::lock_guard g(m_);
    calls_.clear();
}

bool TScriptedAudioDevice::WaitUntil(const std::function<bool(const std::vector<std::string> &)> &pred,
                                     int timeoutMs)
{
    std::unique_lock g(m_);
    return cv_.wait_for(g, std::chrono::milliseconds(timeoutMs), [&] { return pred(calls_); });
}

void TScriptedAudioDevice::FailNext(TWaveOutCall call, MMRESULT code)
{
    std::lock_guard g(m_);
    failures_[call] = code;
}

void TScriptedAudioDevice::SetAutoComplete(bool on)
{
    std::lock_guard g(m_);
    autoComplete_ = on;
}

std::shared_ptr<TScriptedAudioDevice::OutputState> TScriptedAudioDevice::Output(int n)
{
    std::lock_guard g(m_);
    if (outputs_.empty())
        return nullptr;
    if (n <= 0)
        n = static_cast<int>(outputs_.size());
    if (n > static_cast<int>(outputs_.size()))
        return nullptr;
    return outputs_[static_cast<size_t>(n - 1)];
}

bool TScriptedAudioDevice::CompleteBuffer(int output)
{
    const auto state = Output(output);
    if (!state)
        return false;
    std::lock_guard g(state->m);
    if (state->closed)
        return false;
    std::lock_guard q(state->queue->Mutex());
    const uint8_t *data;
    uint32_t n;
    if (!state->queue->Front(data, n))
        return false;
    state->played += n;
    state->queue->Consume(n);
    state->changed();
    return true;
}

size_t TScriptedAudioDevice::Queued(int output)
{
    const auto state = Output(output);
    if (!state)
        return 0;
    std::lock_guard g(state->m);
    if (state->closed)
        return 0;
    std::lock_guard q(state->queue->Mutex());
    return state->queue->Pending();
}

} // namespace plat
