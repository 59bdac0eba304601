#include "platform/gui/Application.h"

#include "platform/core/Exceptions.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Forms.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <thread>

namespace plat {

namespace {
TApplication *g_app = nullptr;

void DestroyApplication()
{
    delete g_app;
    g_app = nullptr;
}
} // namespace

TApplication *Application()
{
    if (!g_app) {
        g_app = new TApplication;
        // Windows must go before the Qt application that holds their widgets.
        if (QCoreApplication::instance())
            qAddPostRoutine(DestroyApplication);
    }
    return g_app;
}

TApplication::TApplication() = default;

TApplication::~TApplication()
{
    MarkDestroying();
    // Raise OnDestroy while every window is still whole; the component base
    // then deletes them, last created first.
    for (int i = ComponentCount() - 1; i >= 0; --i)
        if (auto *f = dynamic_cast<TForm *>(Components(i)))
            f->Notification(this, TOperation::opRemove);
}

void TApplication::FinishForm(TForm *f) { f->AfterConstruction(); }

void TApplication::Notification(TComponent *component, TOperation operation)
{
    if (operation == TOperation::opRemove && component == mainForm_)
        mainForm_ = nullptr;
}

void TApplication::Run()
{
    if (terminated_)
        return;
    if (mainForm_)
        mainForm_->Show();
    while (!terminated_)
        HandleMessage();
}

void TApplication::ProcessMessages()
{
    auto *d = QAbstractEventDispatcher::instance();
    QCoreApplication::sendPostedEvents();
    while (d && d->processEvents(QEventLoop::AllEvents)) {
    }
}

void TApplication::HandleMessage()
{
    try {
        auto *d = QAbstractEventDispatcher::instance();
        QCoreApplication::sendPostedEvents();
        // Objects freed later (menus, dialogs) go here, as in Qt's own loop.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (d && d->processEvents(QEventLoop::AllEvents))
            return;
        if (idleHook_)
            idleHook_();
        else if (d)
            d->processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    } catch (...) {
        HandleException(this);
    }
}

void TApplication::HandleException(TObject *sender)
{
    const std::exception_ptr p = std::current_exception();
    if (!p)
        return;
    try {
        std::rethrow_exception(p);
    } catch (const std::exception &e) {
        if (OnException)
            OnException(sender, e);
        else
            ShowException(e);
    } catch (...) {
        const Exception e("Exception Raised");
        if (OnException)
            OnException(sender, e);
        else
            ShowException(e);
    }
}

void TApplication::ShowException(const std::exception &e)
{
    String msg = e.what();
    if (!msg.empty() && msg.back() != '.')
        msg += '.';
    MessageBox(msg, title_, MB_OK | MB_ICONSTOP);
}

void TApplication::SetShowHint(bool v)
{
    showHint_ = v;
    for (int i = 0; i < Screen()->FormCount(); ++i)
        Screen()->Forms(i)->ApplyHint();
}

void TApplication::Sleep(unsigned ms)
{
    if (sleepHook_)
        sleepHook_(ms);
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

TApplication::TSleepHook TApplication::SetSleepHook(TSleepHook hook)
{
    std::swap(hook, sleepHook_);
    return hook;
}

TApplication::TIdleHook TApplication::SetIdleHook(TIdleHook hook)
{
    std::swap(hook, idleHook_);
    return hook;
}

void TApplication::PopModal(TForm *f)
{
    const auto it = std::find(modal_.begin(), modal_.end(), f);
    if (it != modal_.end())
        modal_.erase(it);
}

} // namespace plat
