#include "platform/core/Threads.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <deque>
#include <map>
#include <thread>
#include <utility>

namespace plat {

namespace {

using Clock = std::chrono::steady_clock;

std::atomic<TThreadID> nextThreadId{1};
thread_local TThreadID currentThreadId = 0;

TThreadID NewThreadId() { return nextThreadId.fetch_add(1); }

struct MessageQueue {
    std::mutex m;
    std::condition_variable cv;
    std::deque<TMsg> messages;
    std::function<void()> wake; // set while the owner waits in WaitPumping
};

// Leaked on purpose: detached threads may still leave their queue while the
// program's statics are being destroyed.
struct QueueRegistry {
    std::mutex m;
    std::map<TThreadID, std::shared_ptr<MessageQueue>> queues;
};
QueueRegistry &Queues()
{
    static auto *r = new QueueRegistry;
    return *r;
}

struct OwnQueue {
    std::shared_ptr<MessageQueue> q;
    TThreadID id = 0;
    ~OwnQueue()
    {
        if (!q)
            return;
        auto &r = Queues();
        std::lock_guard g(r.m);
        r.queues.erase(id);
    }
};
thread_local OwnQueue ownQueue;

MessageQueue &EnsureOwnQueue()
{
    if (!ownQueue.q) {
        ownQueue.q = std::make_shared<MessageQueue>();
        ownQueue.id = GetCurrentThreadId();
        auto &r = Queues();
        std::lock_guard g(r.m);
        r.queues[ownQueue.id] = ownQueue.q;
    }
    return *ownQueue.q;
}

bool PostTo(MessageQueue &q, const TMsg &msg)
{
    std::function<void()> wake;
    {
        std::lock_guard g(q.m);
        q.messages.push_back(msg);
        wake = q.wake;
    }
    q.cv.notify_all();
    if (wake)
        wake();
    return true;
}

} // namespace

TThreadID GetCurrentThreadId()
{
    if (currentThreadId == 0)
        currentThreadId = NewThreadId();
    return currentThreadId;
}

bool PostThreadMessage(TThreadID thread, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    std::shared_ptr<MessageQueue> q;
    {
        auto &r = Queues();
        std::lock_guard g(r.m);
        const auto it = r.queues.find(thread);
        if (it == r.queues.end())
            return false;
        q = it->second;
    }
    return PostTo(*q, TMsg{0, message, wParam, lParam});
}

bool GetMessage(TMsg &msg)
{
    MessageQueue &q = EnsureOwnQueue();
    std::unique_lock g(q.m);
    q.cv.wait(g, [&] { return !q.messages.empty(); });
    msg = q.messages.front();
    q.messages.pop_front();
    return msg.message != WM_QUIT;
}

bool PeekMessage(TMsg &msg, bool remove)
{
    MessageQueue &q = EnsureOwnQueue();
    std::lock_guard g(q.m);
    if (q.messages.empty())
        return false;
    msg = q.messages.front();
    if (remove)
        q.messages.pop_front();
    return true;
}

void PostQuitMessage(int exitCode)
{
    PostTo(EnsureOwnQueue(), TMsg{0, WM_QUIT, static_cast<uintptr_t>(exitCode), 0});
}

// ---- waitable objects ---------------------------------------------------------

bool TWaitable::Signaled() const
{
    std::lock_guard g(m_);
    return signaled_;
}

void TWaitable::SetSignaled(bool on)
{
    std::vector<std::function<void()>> wake;
    {
        // Notified under the lock: a woken waiter may destroy the object at
        // once, so nothing of it is touched after the lock is released.
        std::lock_guard g(m_);
        signaled_ = on;
        if (!on)
            return;
        for (auto &w : wakers_)
            wake.push_back(w.second);
        cv_.notify_all();
    }
    for (auto &w : wake)
        w();
}

uint32_t TWaitable::Wait(uint32_t timeoutMs)
{
    std::unique_lock g(m_);
    const auto ready = [&] { return signaled_; };
    if (timeoutMs == INFINITE)
        cv_.wait(g, ready);
    else if (!cv_.wait_for(g, std::chrono::milliseconds(timeoutMs), ready))
        return WAIT_TIMEOUT;
    if (!manual_)
        signaled_ = false;
    return WAIT_OBJECT_0;
}

bool TWaitable::TryAcquire()
{
    std::lock_guard g(m_);
    if (!signaled_)
        return false;
    if (!manual_)
        signaled_ = false;
    return true;
}

int TWaitable::AddWaker(std::function<void()> wake)
{
    std::lock_guard g(m_);
    const int id = nextWaker_++;
    wakers_.emplace_back(id, std::move(wake));
    return id;
}

void TWaitable::RemoveWaker(int id)
{
    std::lock_guard g(m_);
    std::erase_if(wakers_, [id](const auto &w) { return w.first == id; });
}

// ---- threads -----------------------------------------------------------------

TThread::TThread(bool createSuspended)
    : id_(NewThreadId()), done_(std::make_shared<TEvent>(true, false))
{
    if (!createSuspended)
        Start();
}

TThread::~TThread()
{
    if (joinable_) {
        auto *t = static_cast<std::thread *>(native_);
        if (t->joinable()) {
            if (t->get_id() == std::this_thread::get_id())
                t->detach();
            else
                t->join();
        }
        delete t;
    }
}

void TThread::Start()
{
    if (started_)
        return;
    started_ = true;
    // A self-freeing thread may be gone before std::thread returns: nothing
    // of this object is read after the start.
    if (FreeOnTerminate) {
        std::thread(&TThread::Run, this).detach();
        return;
    }
    joinable_ = true;
    native_ = new std::thread(&TThread::Run, this);
}

void TThread::WaitFor()
{
    if (joinable_) {
        auto *t = static_cast<std::thread *>(native_);
        if (t->joinable() && t->get_id() != std::this_thread::get_id())
            t->join();
    } else if (started_) {
        done_->Wait(INFINITE);
    }
}

void TThread::Run(TThread *self)
{
    currentThreadId = self->id_;
    const std::shared_ptr<TEvent> done = self->done_;
    try {
        self->Execute();
    } catch (const std::exception &e) {
        ShowThreadError(e.what());
    } catch (...) {
        ShowThreadError("Unknown error in a background thread");
    }
    if (self->FreeOnTerminate)
        delete self;
    done->SetEvent();
}

// ---- waking an object of another thread -----------------------------------------

namespace {

const QEvent::Type kWakeEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

// What one thread hands to an object of another (a window's messages, error
// texts) waits in a queue under the sender's mutex; a posted event only wakes
// the object, and at most one is on its way. That event is made on the
// object's own thread: so that thread never reads memory another thread wrote,
// not even in an event filter before the mutex is taken, and the thread
// sanitizer, which cannot see the locks of Qt's event queue, can follow the
// hand-off by the mutex alone. All three calls with the sender's mutex held.
class TWake {
public:
    TWake() = default;
    TWake(const TWake &) = delete;
    TWake &operator=(const TWake &) = delete;
    ~TWake() { delete spare_; }
    // On the object's thread: the next Post may wake it again.
    void Arm()
    {
        if (!spare_)
            spare_ = new QEvent(kWakeEvent);
    }
    // Any thread; nothing when a wake is on its way already.
    void Post(QObject *receiver)
    {
        if (spare_)
            QCoreApplication::postEvent(receiver, std::exchange(spare_, nullptr));
    }
    // On the object's thread, when it goes.
    void Drop()
    {
        delete spare_;
        spare_ = nullptr;
    }

private:
    QEvent *spare_ = nullptr;
};

} // namespace

// ---- hidden message windows ---------------------------------------------------

namespace {

struct MessageWindow;

class WindowReceiver : public QObject {
public:
    explicit WindowReceiver(std::weak_ptr<MessageWindow> w) : w_(std::move(w)) {}
    bool event(QEvent *e) override;

private:
    std::weak_ptr<MessageWindow> w_;
};

struct MessageWindow {
    HWND handle = 0;
    std::function<void(TMsg &)> proc;
    std::mutex m;
    std::condition_variable cv;
    std::deque<TMsg> messages;
    bool alive = true;
    int dispatching = 0; // only touched on the owner thread
    WindowReceiver *receiver = nullptr;
    TWake wake;

    // On the owner thread, woken: one message per wake-up, as the platform
    // dispatches them between the thread's other events.
    bool TakeOne(TMsg &msg)
    {
        std::lock_guard g(m);
        if (!alive)
            return false;
        wake.Arm();
        if (messages.empty())
            return false;
        msg = messages.front();
        messages.pop_front();
        if (!messages.empty())
            wake.Post(receiver);
        return true;
    }
};

struct WindowRegistry {
    std::mutex m;
    std::map<HWND, std::shared_ptr<MessageWindow>> windows;
    HWND next = 0x1000;
};
WindowRegistry &Windows()
{
    static auto *r = new WindowRegistry;
    return *r;
}

std::shared_ptr<MessageWindow> FindWindow(HWND wnd)
{
    auto &r = Windows();
    std::lock_guard g(r.m);
    const auto it = r.windows.find(wnd);
    return it == r.windows.end() ? nullptr : it->second;
}

bool WindowReceiver::event(QEvent *e)
{
    if (e->type() != kWakeEvent)
        return QObject::event(e);
    if (auto w = w_.lock()) {
        TMsg msg;
        if (w->TakeOne(msg)) {
            ++w->dispatching;
            w->proc(msg);
            --w->dispatching;
        }
    }
    return true;
}

} // namespace

HWND AllocateHWnd(std::function<void(TMsg &)> proc)
{
    auto w = std::make_shared<MessageWindow>();
    w->proc = std::move(proc);
    w->receiver = new WindowReceiver(w);
    w->wake.Arm();
    auto &r = Windows();
    std::lock_guard g(r.m);
    w->handle = r.next++;
    r.windows[w->handle] = w;
    return w->handle;
}

void DeallocateHWnd(HWND wnd)
{
    std::shared_ptr<MessageWindow> w;
    {
        auto &r = Windows();
        std::lock_guard g(r.m);
        const auto it = r.windows.find(wnd);
        if (it == r.windows.end())
            return;
        w = it->second;
        r.windows.erase(it);
    }
    std::lock_guard g(w->m);
    w->alive = false;
    w->messages.clear();
    w->wake.Drop();
    // Inside its own procedure the receiver is still on the call stack.
    if (w->dispatching == 0 && QThread::currentThread() == w->receiver->thread())
        delete w->receiver;
    else
        w->receiver->deleteLater();
    w->receiver = nullptr;
    w->cv.notify_all();
}

bool IsWindow(HWND wnd) { return FindWindow(wnd) != nullptr; }

bool PostMessage(HWND wnd, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    const auto w = FindWindow(wnd);
    if (!w)
        return false;
    std::lock_guard g(w->m);
    if (!w->alive)
        return false;
    w->messages.push_back(TMsg{wnd, message, wParam, lParam});
    w->wake.Post(w->receiver);
    w->cv.notify_all();
    return true;
}

bool DispatchNextWindowMessage(HWND wnd, uint32_t timeoutMs)
{
    const auto w = FindWindow(wnd);
    if (!w)
        return false;
    TMsg msg;
    {
        std::unique_lock g(w->m);
        const auto ready = [&] { return !w->alive || !w->messages.empty(); };
        if (timeoutMs == INFINITE)
            w->cv.wait(g, ready);
        else
            w->cv.wait_for(g, std::chrono::milliseconds(timeoutMs), ready);
        if (!w->alive || w->messages.empty())
            return false;
        msg = w->messages.front();
        w->messages.pop_front();
    }
    ++w->dispatching;
    w->proc(msg);
    --w->dispatching;
    return true;
}

// ---- waiting on the user-interface thread --------------------------------------

namespace {

// Keyboard and mouse input that arrives while the user-interface thread waits
// is thrown away rather than delivered afterwards.
class InputDropper : public QObject {
public:
    bool eventFilter(QObject *, QEvent *e) override
    {
        switch (e->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::MouseMove:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
            return true;
        default:
            return false;
        }
    }
};

class DropInputScope {
public:
    DropInputScope()
    {
        if (depth_++ == 0) {
            filter_ = new InputDropper;
            QCoreApplication::instance()->installEventFilter(filter_);
        }
    }
    ~DropInputScope()
    {
        if (--depth_ == 0) {
            if (auto *app = QCoreApplication::instance())
                app->removeEventFilter(filter_);
            delete filter_;
            filter_ = nullptr;
        }
    }
    DropInputScope(const DropInputScope &) = delete;
    DropInputScope &operator=(const DropInputScope &) = delete;

private:
    static inline int depth_ = 0;
    static inline InputDropper *filter_ = nullptr;
};

} // namespace

uint32_t WaitPumping(TWaitable &object, uint32_t timeoutMs)
{
    QCoreApplication *app = QCoreApplication::instance();
    QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance();
    if (!app || QThread::currentThread() != app->thread() || !dispatcher)
        return object.Wait(timeoutMs);

    DropInputScope dropInput;
    const auto wake = [dispatcher] { dispatcher->wakeUp(); };
    const int waker = object.AddWaker(wake);
    MessageQueue &q = EnsureOwnQueue();
    {
        std::lock_guard g(q.m);
        q.wake = wake;
    }
    QTimer deadline;
    deadline.setSingleShot(true);
    const auto start = Clock::now();
    if (timeoutMs != INFINITE)
        deadline.start(static_cast<int>(std::min<uint32_t>(timeoutMs, 0x7FFFFFFF)));

    uint32_t result = WAIT_TIMEOUT;
    for (;;) {
        if (object.TryAcquire()) {
            result = WAIT_OBJECT_0;
            break;
        }
        // Thread messages have no window to go to; a quit among them ends the wait.
        bool quit = false;
        TMsg msg;
        while (PeekMessage(msg, true))
            quit = quit || msg.message == WM_QUIT;
        if (quit) {
            result = WAIT_OBJECT_0 + 1;
            break;
        }
        if (timeoutMs != INFINITE &&
            Clock::now() - start >= std::chrono::milliseconds(timeoutMs)) {
            result = WAIT_TIMEOUT;
            break;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    {
        std::lock_guard g(q.m);
        q.wake = nullptr;
    }
    object.RemoveWaker(waker);
    return result;
}

// ---- errors of background threads -----------------------------------------------

namespace {

// The texts wait here until the receiver, an object of the user-interface
// thread made with the application object, is woken (see TWake).
// Leaked on purpose: a detached thread may still report while statics go.
class ErrorReceiver;
struct ThreadErrors {
    std::mutex m;
    TThreadErrorHandler handler;
    std::deque<std::string> pending;
    ErrorReceiver *receiver = nullptr;
    TWake wake;
};
ThreadErrors &Errors()
{
    static auto *e = new ThreadErrors;
    return *e;
}

void Show(const TThreadErrorHandler &h, const std::string &message)
{
    if (h)
        h(message);
    else
        std::fprintf(stderr, "%s\n", message.c_str());
}

TThreadErrorHandler CurrentHandler()
{
    auto &e = Errors();
    std::lock_guard g(e.m);
    return e.handler;
}

// One text at a time, the lock released while it is shown: a handler that runs
// a message box's own loop shows the next texts from there, still in order.
void ShowPendingErrors()
{
    auto &e = Errors();
    for (;;) {
        std::string message;
        TThreadErrorHandler h;
        {
            std::lock_guard g(e.m);
            if (e.pending.empty())
                return;
            message = std::move(e.pending.front());
            e.pending.pop_front();
            h = e.handler;
        }
        Show(h, message);
    }
}

class ErrorReceiver : public QObject {
public:
    ~ErrorReceiver() override
    {
        auto &e = Errors();
        std::lock_guard g(e.m);
        if (e.receiver == this) {
            e.receiver = nullptr;
            e.wake.Drop();
        }
    }
    bool event(QEvent *ev) override
    {
        if (ev->type() != kWakeEvent)
            return QObject::event(ev);
        {
            // Armed before the texts are taken: a text that comes meanwhile wakes it again.
            auto &e = Errors();
            std::lock_guard g(e.m);
            e.wake.Arm();
        }
        ShowPendingErrors();
        return true;
    }
};

// Run by every application object as it is made, on its thread.
void MakeErrorReceiver()
{
    auto *r = new ErrorReceiver;
    r->setParent(QCoreApplication::instance());
    auto &e = Errors();
    std::lock_guard g(e.m);
    e.receiver = r;
    e.wake.Drop(); // one of an earlier application object
    e.wake.Arm();
}
Q_COREAPP_STARTUP_FUNCTION(MakeErrorReceiver)

} // namespace

TThreadErrorHandler SetThreadErrorHandler(TThreadErrorHandler handler)
{
    auto &e = Errors();
    std::lock_guard g(e.m);
    TThreadErrorHandler old = std::move(e.handler);
    e.handler = std::move(handler);
    return old;
}

void ShowThreadError(const std::string &message)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread()) {
        Show(CurrentHandler(), message);
        return;
    }
    auto &e = Errors();
    {
        std::lock_guard g(e.m);
        if (e.receiver) {
            e.pending.push_back(message);
            e.wake.Post(e.receiver);
            return;
        }
    }
    Show(CurrentHandler(), message); // the application object is going
}

} // namespace plat
