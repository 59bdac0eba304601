#pragma once
// Threads with the platform's message queues, waitable objects and critical
// sections, a waiting routine that keeps the user-interface thread alive, and
// the route by which a background thread's error reaches the user.
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace plat {

using TThreadID = uint32_t;
using HWND = uintptr_t;

constexpr uint32_t WM_QUIT = 0x0012;
constexpr uint32_t WM_USER = 0x0400;

struct TMsg {
    HWND hwnd = 0;
    uint32_t message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
};

// Every thread has a number; threads not started through TThread get one on
// first use. Never 0.
TThreadID GetCurrentThreadId();

// A thread's message queue exists once that thread has called PeekMessage or
// GetMessage; posting to a thread without one fails, as on the platform.
bool PostThreadMessage(TThreadID thread, uint32_t message, uintptr_t wParam, intptr_t lParam);
// Blocks until a message arrives; false when it is WM_QUIT.
bool GetMessage(TMsg &msg);
bool PeekMessage(TMsg &msg, bool remove);
void PostQuitMessage(int exitCode);

// ---- waitable objects --------------------------------------------------------

constexpr uint32_t INFINITE = 0xFFFFFFFFu;
enum : uint32_t { WAIT_OBJECT_0 = 0, WAIT_TIMEOUT = 258, WAIT_FAILED = 0xFFFFFFFFu };

class TWaitable {
public:
    TWaitable(bool manualReset, bool signaled) : manual_(manualReset), signaled_(signaled) {}
    virtual ~TWaitable() = default;
    TWaitable(const TWaitable &) = delete;
    TWaitable &operator=(const TWaitable &) = delete;

    bool Signaled() const;
    // Plain blocking wait; an auto-reset object is consumed by a successful wait.
    uint32_t Wait(uint32_t timeoutMs);
    // Consumes the signal when there is one, without waiting.
    bool TryAcquire();

    // A hook called on the signalling thread whenever the object becomes
    // signalled; the pumping wait uses it to wake its event loop.
    int AddWaker(std::function<void()> wake);
    void RemoveWaker(int id);

protected:
    void SetSignaled(bool on);

private:
    const bool manual_;
    bool signaled_;
    mutable std::mutex m_;
    std::condition_variable cv_;
    std::vector<std::pair<int, std::function<void()>>> wakers_;
    int nextWaker_ = 1;
};

class TEvent : public TWaitable {
public:
    TEvent(bool manualReset, bool initialState) : TWaitable(manualReset, initialState) {}
    void SetEvent() { SetSignaled(true); }
    void ResetEvent() { SetSignaled(false); }
};

// Recursive, as the platform's critical sections are.
class TCriticalSection {
public:
    void Enter() { m_.lock(); }
    void Leave() { m_.unlock(); }
    bool TryEnter() { return m_.try_lock(); }
    std::recursive_mutex &Native() { return m_; }

private:
    std::recursive_mutex m_;
};

class TLock {
public:
    explicit TLock(TCriticalSection &cs) : cs_(cs) { cs_.Enter(); }
    ~TLock() { cs_.Leave(); }
    TLock(const TLock &) = delete;
    TLock &operator=(const TLock &) = delete;

private:
    TCriticalSection &cs_;
};

// ---- threads -----------------------------------------------------------------

enum class TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// A thread object in the framework's manner: created suspended or not, runs
// Execute, optionally frees itself when Execute returns. The handle outlives
// the object and is signalled once the thread will touch nothing more.
class TThread {
public:
    explicit TThread(bool createSuspended);
    virtual ~TThread();
    TThread(const TThread &) = delete;
    TThread &operator=(const TThread &) = delete;

    void Start();
    void Terminate() { terminated_ = true; }
    bool Terminated() const { return terminated_; }
    TThreadID ThreadID() const { return id_; }
    std::shared_ptr<TWaitable> Handle() const { return done_; }
    // Waits for the end of a thread that does not free itself.
    void WaitFor();

    bool FreeOnTerminate = false;
    // Kept for the callers that set it; ordinary threads cannot raise their
    // scheduling priority here without privileges, so it is not applied.
    TThreadPriority Priority = TThreadPriority::tpNormal;

protected:
    virtual void Execute() = 0;

private:
    static void Run(TThread *self);
    const TThreadID id_;
    std::shared_ptr<TEvent> done_;
    bool started_ = false;
    bool joinable_ = false;
    bool terminated_ = false;
    void *native_ = nullptr;
};

// ---- hidden message windows ---------------------------------------------------

// A window that only receives posted messages, on the thread that allocated it
// (which must run a Qt event loop). Deallocating it from inside its own
// procedure is allowed.
HWND AllocateHWnd(std::function<void(TMsg &)> proc);
void DeallocateHWnd(HWND wnd);
bool IsWindow(HWND wnd);
bool PostMessage(HWND wnd, uint32_t message, uintptr_t wParam, intptr_t lParam);
// Removes the next message of that window (waiting up to timeoutMs) and runs
// its procedure; other events of the thread stay queued. False on timeout or
// when the window is gone.
bool DispatchNextWindowMessage(HWND wnd, uint32_t timeoutMs);

// ---- waiting on the user-interface thread --------------------------------------

// Waits for the object. On the Qt thread its timers, painting and posted events
// are processed meanwhile, while keyboard and mouse input is dropped; a quit
// message in the thread's own queue ends the wait with WAIT_OBJECT_0 + 1. On
// other threads it is a plain wait. timeoutMs INFINITE: no limit.
uint32_t WaitPumping(TWaitable &object, uint32_t timeoutMs);

// ---- errors of background threads -----------------------------------------------

// A background thread cannot show a message box; it hands the text to the
// user-interface thread and goes on at once. The handler runs on the Qt thread
// (or at once when no application object exists) and by default writes to
// standard error. The application connects its message box here.
using TThreadErrorHandler = std::function<void(const std::string &message)>;
TThreadErrorHandler SetThreadErrorHandler(TThreadErrorHandler handler);
void ShowThreadError(const std::string &message);

} // namespace plat
