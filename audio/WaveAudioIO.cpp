#include "audio/WaveAudioIO.h"

#include <cstdlib>
#include <cstring>
#include <thread>

using namespace plat;

// ---- callback thread ------------------------------------------------------------

TWaveThread::TWaveThread(TWaveAudioIO *owner) : TThread(true), owner_(owner)
{
    ready_ = std::make_shared<TEvent>(true, false);
    owner->threadHandle_ = Handle();
    owner->threadReady_ = ready_;
    owner->threadId_ = ThreadID();
    FreeOnTerminate = true;
    Priority = TThreadPriority::tpHigher;
    Start();
}

void TWaveThread::Execute()
{
    TMsg msg;
    PeekMessage(msg, false); // the queue exists from here on: notifications can be posted
    ready_->SetEvent();
    while (GetMessage(msg))
        owner_->DispatchNotification(msg);
    // Nothing of the device is touched from here: it may be gone already.
    ready_->ResetEvent();
}

// ---- device base ----------------------------------------------------------------

TWaveAudioIO::TWaveAudioIO(TComponent *owner) : TComponent(owner) {}

TWaveAudioIO::~TWaveAudioIO() { TWaveAudioIO::FreeBuffers(); }

void TWaveAudioIO::SetPaused(bool value)
{
    if (value != GetPaused())
        value ? Pause() : Resume();
}

void TWaveAudioIO::SetAsync(bool value)
{
    if (!GetActive())
        async_ = value;
}

void TWaveAudioIO::SetDeviceID(uint32_t id)
{
    if (!GetActive())
        deviceId_ = id;
}

uint32_t TWaveAudioIO::BufferSize() const { return CalcWaveBufferSize(waveFormat_, bufferLength_); }

void TWaveAudioIO::DoSetActive(bool value)
{
    if (value == GetActive())
        return;
    if (value)
        Open();
    else
        Close();
}

bool TWaveAudioIO::IsPresetSupported(int preset)
{
    WAVEFORMATEX f{};
    SetStandardFormat(f, preset);
    return f.wFormatTag != 0 && IsFormatSupported(f);
}

void TWaveAudioIO::DispatchNotification(const TMsg &msg)
{
    if (msg.message < MM_WOM_OPEN || msg.message > MM_WIM_DATA)
        return;
    try {
        TLock lock(lock_);
        auto *header = reinterpret_cast<WAVEHDR *>(msg.lParam);
        switch (msg.message) {
        case MM_WOM_OPEN: HandleOutOpen(); break;
        case MM_WOM_CLOSE: HandleOutClose(); break;
        case MM_WOM_DONE: HandleOutDone(header); break;
        case MM_WIM_OPEN: HandleInOpen(); break;
        case MM_WIM_CLOSE: HandleInClose(); break;
        case MM_WIM_DATA: HandleInData(header); break;
        default: break;
        }
    } catch (const std::exception &e) {
        // Shown on the user-interface thread; this channel goes on at once.
        ShowThreadError(e.what());
    } catch (...) {
        ShowThreadError("Unknown error in the audio device");
    }
}

void TWaveAudioIO::AllocateBuffer(WAVEHDR *&header, uint32_t size, const void *data)
{
    const auto self = reinterpret_cast<uintptr_t>(this);
    if (size == 0) {
        if (header) {
            std::erase(headers_, header);
            if (header->dwUser == self)
                std::free(header->lpData);
            delete header;
            header = nullptr;
        }
        return;
    }
    if (!header) {
        header = new WAVEHDR{};
        headers_.push_back(header);
    }
    const bool own = header->dwUser == self;
    if (!own) {
        header->lpData = nullptr;
        header->dwBufferLength = 0;
    }
    if (!data) {
        void *p = std::realloc(own ? header->lpData : nullptr, size);
        if (!p)
            throw EOutOfMemory("Out of memory");
        header->lpData = static_cast<char *>(p);
        header->dwUser = self;
    } else {
        if (own)
            std::free(header->lpData);
        header->lpData = static_cast<char *>(const_cast<void *>(data));
        header->dwUser = 0;
    }
    char *p = header->lpData;
    const uintptr_t owner = header->dwUser;
    *header = WAVEHDR{};
    header->lpData = p;
    header->dwBufferLength = size;
    header->dwUser = owner;
}

void TWaveAudioIO::FreeBuffers()
{
    while (!headers_.empty()) {
        WAVEHDR *h = headers_.back();
        AllocateBuffer(h, 0, nullptr);
    }
}

bool TWaveAudioIO::SetLastResult(MMRESULT code)
{
    lastResult_ = code;
    if (code == MMSYSERR_NOERROR)
        return true;
    DoError();
    return false;
}

bool TWaveAudioIO::OnCallbackThread() const
{
    return callbackKind_ == CALLBACK_THREAD && threadId_ != 0 && GetCurrentThreadId() == threadId_;
}

void TWaveAudioIO::PostDeviceMessage(uint32_t message, intptr_t param)
{
    const uintptr_t cb = callback_;
    if (cb == 0)
        return;
    if (callbackKind_ == CALLBACK_THREAD) {
        const auto handle = threadHandle_;
        while (!PostThreadMessage(static_cast<TThreadID>(cb), message, 0, param)) {
            if (handle && handle->Signaled())
                return;
            std::this_thread::yield();
        }
    } else {
        PostMessage(cb, message, 0, param);
    }
}

void TWaveAudioIO::CreateCallback()
{
    if (async_) {
        callbackKind_ = CALLBACK_THREAD;
        new TWaveThread(this); // frees itself when it ends
        callback_ = threadId_.load();
        // Notifications posted before the thread has its queue would be lost.
        const auto ready = threadReady_;
        while (!ready->Signaled())
            WaitForSyncObject(*ready, INFINITE);
    } else {
        callbackKind_ = CALLBACK_WINDOW;
        callback_ = AllocateHWnd([this](TMsg &msg) { DispatchNotification(msg); });
    }
}

void TWaveAudioIO::DestroyCallback()
{
    const uintptr_t cb = callback_;
    if (cb == 0)
        return;
    if (callbackKind_ == CALLBACK_THREAD) {
        const auto handle = threadHandle_;
        while (!PostThreadMessage(static_cast<TThreadID>(cb), WM_QUIT, 0, 0)) {
            if (handle && handle->Signaled())
                break;
            std::this_thread::yield();
        }
    } else {
        DeallocateHWnd(cb);
    }
    callback_ = 0;
}

void TWaveAudioIO::WaitWhileOpening()
{
    if (callback_ == 0 || opener_ == GetCurrentThreadId())
        return; // an open on this very thread cannot finish while we wait
    if (callbackKind_ == CALLBACK_THREAD) {
        const auto ready = threadReady_;
        while (opening_) {
            if (ready)
                WaitForSyncObject(*ready, 1);
            std::this_thread::yield();
        }
    } else {
        const uintptr_t wnd = callback_;
        while (opening_ && IsWindow(wnd))
            DispatchNextWindowMessage(wnd, 10);
    }
}

void TWaveAudioIO::WaitWhileClosing()
{
    if (callbackKind_ == CALLBACK_THREAD) {
        if (OnCallbackThread())
            return; // the close is handled on this very thread
        const auto handle = threadHandle_;
        if (!handle)
            return;
        while (closing_ && !handle->Signaled())
            WaitFor(*handle);
        // Once the device is idle its thread is ending: let it finish, so
        // that nothing of the old playback runs beside the next one.
        if (callback_ == 0)
            while (!handle->Signaled())
                WaitFor(*handle);
    } else if (callbackKind_ == CALLBACK_WINDOW) {
        const uintptr_t wnd = callback_;
        while (closing_ && wnd && IsWindow(wnd))
            DispatchNextWindowMessage(wnd, 10);
    }
}

void TWaveAudioIO::WaitFor(TWaitable &object)
{
    // Going with its window, the device waits without the event loop: no
    // handler of a window that is being freed may run meanwhile, and the
    // callback thread needs nothing of this thread to close.
    if (Going())
        object.Wait(INFINITE);
    else
        WaitForSyncObject(object, INFINITE);
}

void TWaveAudioIO::Shutdown()
{
    if (GetActive()) {
        try {
            Close();
        } catch (const std::exception &) {
            // Being destroyed: nobody is left to tell.
        }
    }
    WaitWhileClosing();
    bool reclaimed = true;
    if (GetActive()) {
        // The close could not be started (the device would not stop). The
        // channel ends first, and it is waited for without the lock: a
        // notification queued on it before the quit needs the lock to finish.
        {
            TLock lock(lock_);
            DestroyCallback();
        }
        WaitWhileClosing();
        // Only then is the device stopped here, so that no buffer it still
        // holds is freed under it.
        TLock lock(lock_);
        reclaimed = ReclaimBuffers();
    }
    TLock lock(lock_);
    if (reclaimed)
        TWaveAudioIO::FreeBuffers();
    else
        headers_.clear(); // left to the device that keeps them: a leak, not a use after free
}

void TWaveAudioIO::Opened()
{
    opening_ = false;
    QueueFirstBuffer();
    DoActivate();
}

void TWaveAudioIO::Closed()
{
    DoLevel(nullptr, 0);
    closing_ = false;
    DestroyCallback();
    FreeBuffers();
    DoDeactivate();
}

void TWaveAudioIO::DoActivate()
{
    if (OnActivate)
        OnActivate(this);
}

void TWaveAudioIO::DoDeactivate()
{
    if (OnDeactivate && !Destroying())
        OnDeactivate(this);
}

void TWaveAudioIO::DoPause()
{
    if (OnPause)
        OnPause(this);
}

void TWaveAudioIO::DoResume()
{
    if (OnResume)
        OnResume(this);
}

void TWaveAudioIO::DoError()
{
    if (OnError) {
        OnError(this);
        return;
    }
    throw EWaveAudioSysError(GetErrorText(lastResult_));
}

void TWaveAudioIO::DoLevel(const void *buffer, uint32_t size)
{
    if (!OnLevel || Destroying() || waveFormat_.wFormatTag != WAVE_FORMAT_PCM)
        return;
    const int level = buffer && size ? GetWaveLevel(buffer, size, waveFormat_) : 0;
    if (level >= 0)
        OnLevel(this, level);
}

void TWaveAudioIO::DoFilter(void *buffer, uint32_t size)
{
    if (OnFilter && !Destroying())
        OnFilter(this, buffer, size);
}
