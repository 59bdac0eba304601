#pragma once
// The application object: the program's title, its main window (the first
// window created through CreateForm), the message loop and the stack of
// modal windows, the default exception handler, hints, and two seams for
// tests: the idle hook (what a waiting message loop does instead of
// sleeping) and the sleep hook (the program's own real waits).
#include "platform/core/Component.h"
#include "platform/core/Types.h"

#include <exception>
#include <functional>
#include <vector>

namespace plat {

class TForm;

using TExceptionEvent = std::function<void(TObject *Sender, const std::exception &E)>;

class TApplication : public TComponent {
public:
    TApplication();
    ~TApplication() override;

    void Initialize() {}
    String Title() const { return title_; }
    void SetTitle(const String &t) { title_ = t; }

    TForm *MainForm() const { return mainForm_; }

    // Creates a window owned by the application; the reference is set before
    // the window's OnCreate runs. The first window becomes the main window.
    template <class T>
    void CreateForm(T *&reference)
    {
        reference = nullptr;
        T *f = new T(this);
        reference = f;
        if (!mainForm_)
            mainForm_ = f;
        FinishForm(f);
    }

    // Shows the main window and handles messages until Terminate.
    void Run();
    void Terminate() { terminated_ = true; }
    bool Terminated() const { return terminated_; }
    // Lets a test start afresh after a test that ended the program.
    void CancelTerminate() { terminated_ = false; }

    // Handles every message that is waiting, then returns.
    void ProcessMessages();
    // Handles the messages that are waiting or, when there are none, idles:
    // waits for the next message, or calls the idle hook when one is set.
    void HandleMessage();

    // The default exception handler: OnException when assigned, else a
    // message box with the exception's message. Call inside a catch block.
    void HandleException(TObject *sender);
    void ShowException(const std::exception &e);
    TExceptionEvent OnException;

    // Real waits of the program (a splash screen, a goodbye picture). Tests
    // replace them so that no test sleeps.
    void Sleep(unsigned milliseconds);
    using TSleepHook = std::function<void(unsigned milliseconds)>;
    TSleepHook SetSleepHook(TSleepHook hook);
    using TIdleHook = std::function<void()>;
    TIdleHook SetIdleHook(TIdleHook hook);

    bool ShowHint() const { return showHint_; }
    // Off: no control shows its hint.
    void SetShowHint(bool v);
    String Hint() const { return hint_; }
    void SetHint(const String &h) { hint_ = h; }
    int HintPause = 500;

    // Windows in ShowModal, innermost last.
    const std::vector<TForm *> &ModalStack() const { return modal_; }
    void PushModal(TForm *f) { modal_.push_back(f); }
    void PopModal(TForm *f);

protected:
    void Notification(TComponent *component, TOperation operation) override;

private:
    void FinishForm(TForm *f);
    String title_;
    TForm *mainForm_ = nullptr;
    bool terminated_ = false;
    bool showHint_ = true;
    String hint_;
    TSleepHook sleepHook_;
    TIdleHook idleHook_;
    std::vector<TForm *> modal_;
};

// The one application object; created on first use and torn down before
// the Qt application goes away.
TApplication *Application();

} // namespace plat
