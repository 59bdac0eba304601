// Thread queues, waitable objects, hidden windows and the waiting routine of
// the user-interface thread.
#include "platform/core/Threads.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <numeric>
#include <thread>

using namespace plat;

TEST(ThreadQueues, PostingNeedsTheQueueAndKeepsOrder)
{
    std::atomic<TThreadID> id{0};
    TEvent go(true, false), ready(true, false);
    std::vector<uintptr_t> got;
    std::thread t([&] {
        id = GetCurrentThreadId();
        ready.SetEvent();
        go.Wait(INFINITE);
        TMsg m;
        PeekMessage(m, false); // creates the queue
        ready.ResetEvent();
        ready.SetEvent();
        while (GetMessage(m))
            got.push_back(m.wParam);
    });
    ready.Wait(INFINITE);
    EXPECT_FALSE(PostThreadMessage(id, WM_USER, 1, 0)) << "no queue yet";
    ready.ResetEvent();
    go.SetEvent();
    while (!PostThreadMessage(id, WM_USER, 1, 0))
        std::this_thread::yield();
    PostThreadMessage(id, WM_USER, 2, 0);
    PostThreadMessage(id, WM_USER, 3, 0);
    PostThreadMessage(id, WM_QUIT, 0, 0);
    t.join();
    EXPECT_EQ(got, (std::vector<uintptr_t>{1, 2, 3}));
    EXPECT_FALSE(PostThreadMessage(id, WM_USER, 4, 0)) << "the queue went with its thread";
}

TEST(ThreadObjects, SelfFreeingThreadSignalsItsHandle)
{
    struct Worker : TThread {
        explicit Worker(std::atomic<bool> &ran) : TThread(true), ran_(ran) { FreeOnTerminate = true; }
        void Execute() override { ran_ = true; }
        std::atomic<bool> &ran_;
    };
    std::atomic<bool> ran{false};
    auto *w = new Worker(ran);
    const auto handle = w->Handle();
    const TThreadID id = w->ThreadID();
    EXPECT_NE(id, 0u);
    w->Start();
    EXPECT_EQ(handle->Wait(5000), WAIT_OBJECT_0);
    EXPECT_TRUE(ran);

    TEvent autoReset(false, true);
    EXPECT_EQ(autoReset.Wait(0), WAIT_OBJECT_0);
    EXPECT_EQ(autoReset.Wait(0), WAIT_TIMEOUT) << "consumed by the wait";
    TCriticalSection cs;
    TLock outer(cs);
    EXPECT_TRUE(cs.TryEnter()) << "recursive";
    cs.Leave();
}

TEST(WaitPumping, TimersRunAndInputIsDropped)
{
    struct Counter : QObject {
        int keys = 0;
        bool event(QEvent *e) override
        {
            if (e->type() == QEvent::KeyPress)
                ++keys;
            return QObject::event(e);
        }
    } counter;
    bool timerRan = false;
    TEvent done(true, false);
    QTimer::singleShot(5, [&] {
        timerRan = true;
        // Posted events arrive in order: the key press is handled (and
        // dropped) before the call that ends the wait.
        QCoreApplication::postEvent(&counter, new QKeyEvent(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier));
        QMetaObject::invokeMethod(qApp, [&] { done.SetEvent(); }, Qt::QueuedConnection);
    });
    EXPECT_EQ(WaitPumping(done, INFINITE), WAIT_OBJECT_0);
    EXPECT_TRUE(timerRan);
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.keys, 0) << "dropped, not deferred";
    QCoreApplication::postEvent(&counter, new QKeyEvent(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier));
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.keys, 1) << "delivered again once the wait is over";

    TEvent never(true, false);
    EXPECT_EQ(WaitPumping(never, 20), WAIT_TIMEOUT);
    PostQuitMessage(0);
    EXPECT_EQ(WaitPumping(never, INFINITE), WAIT_OBJECT_0 + 1) << "a quit ends the wait";
}

TEST(HiddenWindow, MessagesRunOnTheOwnerThread)
{
    std::vector<uint32_t> got;
    HWND w = 0;
    w = AllocateHWnd([&](TMsg &m) {
        EXPECT_EQ(QThread::currentThread(), qApp->thread());
        got.push_back(m.message);
        if (m.message == WM_USER + 2)
            DeallocateHWnd(w); // from inside its own procedure
    });
    std::thread t([&] {
        PostMessage(w, WM_USER + 1, 0, 0);
        PostMessage(w, WM_USER + 2, 0, 0);
    });
    t.join();
    EXPECT_TRUE(DispatchNextWindowMessage(w, 1000));
    QCoreApplication::processEvents();
    EXPECT_EQ(got, (std::vector<uint32_t>{WM_USER + 1, WM_USER + 2}));
    EXPECT_FALSE(IsWindow(w));
    EXPECT_FALSE(PostMessage(w, WM_USER, 0, 0));
}

// The owner thread waits in a pumping wait, whose input filter sees every
// event, while the sender runs on. Either all messages are posted at once, or
// each while the owner is still busy with the one before; the counter that
// paces them is relaxed on purpose, so that only the hand-off itself orders
// the two threads and the thread sanitizer reports one it cannot follow.
TEST(HiddenWindow, MessagesOfARunningThreadArriveInOrderDuringAPumpingWait)
{
    constexpr uintptr_t kCount = 50;
    for (const bool paced : {false, true}) {
        SCOPED_TRACE(paced ? "each posted while the one before runs" : "all posted at once");
        std::vector<uintptr_t> got;
        std::atomic<uintptr_t> posted{0};
        TEvent allGot(true, false), release(true, false);
        const HWND w = AllocateHWnd([&](TMsg &m) {
            got.push_back(m.wParam);
            if (got.size() == kCount)
                allGot.SetEvent();
            else if (paced)
                while (posted.load(std::memory_order_relaxed) <= got.size())
                    std::this_thread::yield();
        });
        std::thread t([&] {
            for (uintptr_t i = 0; i < kCount; ++i) {
                PostMessage(w, WM_USER, i, 0);
                posted.store(i + 1, std::memory_order_relaxed);
            }
            release.Wait(INFINITE);
        });
        EXPECT_EQ(WaitPumping(allGot, 60000), WAIT_OBJECT_0); // only a lost message reaches the limit
        release.SetEvent();
        t.join();
        DeallocateHWnd(w);
        std::vector<uintptr_t> expected(kCount);
        std::iota(expected.begin(), expected.end(), uintptr_t{0});
        EXPECT_EQ(got, expected);
    }
}

TEST(ThreadErrors, ShownOnTheMainThreadWithoutBlocking)
{
    std::vector<std::string> shown;
    bool onMain = false;
    const auto previous = SetThreadErrorHandler([&](const std::string &m) {
        onMain = QThread::currentThread() == qApp->thread();
        shown.push_back(m);
    });
    std::thread t([] { ShowThreadError("device failed"); });
    t.join(); // returned without anyone showing it yet
    EXPECT_TRUE(shown.empty());
    for (int i = 0; i < 100 && shown.empty(); ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(shown, std::vector<std::string>{"device failed"});
    EXPECT_TRUE(onMain);
    SetThreadErrorHandler(previous);
}

// The senders keep running until every text is shown, so that nothing but the
// hand-off itself orders what they wrote before what the main thread reads:
// under the thread sanitizer a hand-off it cannot follow is reported here.
TEST(ThreadErrors, TextsOfRunningThreadsArriveWholeAndInOrder)
{
    constexpr int kThreads = 4, kEach = 25;
    const auto text = [](int thread, int k) {
        return "device " + std::to_string(thread) + " failed with error " + std::to_string(k);
    };
    std::vector<std::string> shown;
    bool onMain = true;
    const auto previous = SetThreadErrorHandler([&](const std::string &m) {
        onMain = onMain && QThread::currentThread() == qApp->thread();
        shown.push_back(m);
    });
    TEvent allShown(true, false);
    std::vector<std::thread> senders;
    for (int t = 0; t < kThreads; ++t)
        senders.emplace_back([&, t] {
            for (int k = 0; k < kEach; ++k)
                ShowThreadError(text(t, k));
            allShown.Wait(INFINITE);
        });
    QTimer hang; // only a lost text ever reaches it
    hang.setSingleShot(true);
    hang.start(60000);
    while (shown.size() < size_t{kThreads * kEach} && hang.isActive())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    allShown.SetEvent();
    for (auto &s : senders)
        s.join();
    SetThreadErrorHandler(previous);

    EXPECT_EQ(shown.size(), size_t{kThreads * kEach});
    EXPECT_TRUE(onMain);
    for (int t = 0; t < kThreads; ++t) {
        std::vector<std::string> mine, expected;
        const std::string prefix = "device " + std::to_string(t) + " ";
        for (const auto &m : shown)
            if (m.rfind(prefix, 0) == 0)
                mine.push_back(m);
        for (int k = 0; k < kEach; ++k)
            expected.push_back(text(t, k));
        EXPECT_EQ(mine, expected) << "thread " << t;
    }
}
