#pragma once
// Windows. A window class derives from TForm, builds its controls in its
// constructor (inside a TLoadingScope, its "description") and is finished by
// AfterConstruction, which raises OnCreate; TApplication::CreateForm and
// MakeForm do both steps. The modal loop is the program's own: ShowModal runs
// until the window's ModalResult is non-zero, so a result set on a window
// lower in the modal stack takes effect only when control returns to it.
// The layer raises OnActivate itself whenever a window becomes the program's
// active window, also when a modal child returns.
#include "platform/gui/Controls.h"

#include <memory>
#include <vector>

class QCursor;
class QWidget;

namespace plat {

class TCursorImage;

enum class TCloseAction { caNone, caHide, caFree, caMinimize };
using TCloseEvent = std::function<void(TObject *Sender, TCloseAction &Action)>;
using TCloseQueryEvent = std::function<void(TObject *Sender, bool &CanClose)>;

enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum class TPosition { poDesigned, poDefault, poScreenCenter, poDesktopCenter, poMainFormCenter };
enum class TFormStyle { fsNormal, fsStayOnTop };
// The buttons of a window's frame (single or sizeable border).
enum TBorderIcon : unsigned { biSystemMenu = 1u << 0, biMinimize = 1u << 1, biMaximize = 1u << 2 };
using TBorderIcons = unsigned;

class TForm : public TWinControl {
public:
    explicit TForm(TComponent *owner);
    ~TForm() override;

    // Second phase of construction: OnCreate, then showing when the
    // description made the window visible. Runs once.
    void AfterConstruction();
    // Raises OnDestroy and deletes the window.
    void Free();
    // Frees the window once control is back in the message loop.
    void Release();

    void SetVisible(bool v) override;
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    void Close();
    int ShowModal();
    bool Modal() const { return modal_; }
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int r) { modalResult_ = r; }
    bool Active() const;

    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle s);
    TBorderIcons BorderIcons() const { return borderIcons_; }
    void SetBorderIcons(TBorderIcons icons);
    TPosition Position() const { return position_; }
    void SetPosition(TPosition p) { position_ = p; }
    TFormStyle FormStyle() const { return formStyle_; }
    void SetFormStyle(TFormStyle s);
    // Stay-on-top by its style, or while it runs modally above a window
    // that stays on top.
    bool StaysOnTop() const { return formStyle_ == TFormStyle::fsStayOnTop || onTopWhileModal_; }
    bool KeyPreview() const { return keyPreview_; }
    void SetKeyPreview(bool v) { keyPreview_ = v; }
    bool DoubleBuffered() const { return doubleBuffered_; }
    void SetDoubleBuffered(bool v) { doubleBuffered_ = v; }

    // Per-window opacity and colour-key transparency. Without a compositor
    // the window stays opaque; the colour key still cuts the window's shape.
    bool AlphaBlend() const { return alphaBlend_; }
    virtual void SetAlphaBlend(bool v);
    uint8_t AlphaBlendValue() const { return alphaValue_; }
    virtual void SetAlphaBlendValue(uint8_t v);
    bool TransparentColor() const { return transparentColor_; }
    void SetTransparentColor(bool v);
    TColor TransparentColorValue() const { return transparentColorValue_; }
    void SetTransparentColorValue(TColor c);
    // The shape of the window after a change of what it shows.
    void UpdateShape();

    TWinControl *ActiveControl() const { return activeControl_; }
    void SetActiveControl(TWinControl *c);
    // Moves the focus to the next (or previous) focusable control in tab order.
    void SelectNext(TWinControl *current, bool forward = true, bool checkTabStop = true);
    std::vector<TWinControl *> TabOrderList() const;

    void Repaint() override;

    TNotifyEvent OnCreate;
    TNotifyEvent OnShow;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TNotifyEvent OnHide;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;
    TNotifyEvent OnDestroy;

    // Called by the layer.
    virtual void Activate();
    virtual void Deactivate();
    virtual bool CloseQuery();
    virtual void DoClose(TCloseAction &action);
    bool DialogKey(uint16_t key, TShiftState shift) override;
    void BroadcastFocusChanged(TWinControl *focused);
    // The window system's close request (its close box, Alt+F4): Close.
    virtual void WindowCloseRequested();
    void WindowActivated();
    void WidgetMoved(int left, int top) override;

protected:
    friend class TApplication;
    friend class TScreen;
    void Notification(TComponent *component, TOperation operation) override;
    String GetTextValue() const override { return caption_; }
    void SetTextValue(const String &s) override;
    void ApplyVisible() override {}
    void ColorChanged() override;
    virtual void DoShow();
    virtual void DoHide();

private:
    void CloseModal();
    void ApplyWindowFlags();
    void ApplyOpacity();
    void Place();
    void BeforeDestruction();

    String caption_;
    TFormBorderStyle borderStyle_ = TFormBorderStyle::bsSizeable;
    TBorderIcons borderIcons_ = biSystemMenu | biMinimize | biMaximize;
    TPosition position_ = TPosition::poDesigned;
    TFormStyle formStyle_ = TFormStyle::fsNormal;
    bool keyPreview_ = false;
    bool doubleBuffered_ = false;
    bool alphaBlend_ = false;
    uint8_t alphaValue_ = 255;
    bool transparentColor_ = false;
    TColor transparentColorValue_ = clBlack;
    bool modal_ = false;
    bool onTopWhileModal_ = false;
    int modalResult_ = mrNone;
    bool created_ = false;
    bool destroyRaised_ = false;
    bool placed_ = false;
    TWinControl *activeControl_ = nullptr;
    unsigned enters_ = 0;
    TForm *returnTo_ = nullptr;
};

// Keeps a dialog above the program's active window, as a dialog of that
// window.
void KeepAboveActiveWindow(QWidget *dialog);

// Creates a window of class T and finishes its construction.
template <class T, class... Args>
T *MakeForm(TComponent *owner, Args &&...args)
{
    T *f = new T(owner, std::forward<Args>(args)...);
    f->AfterConstruction();
    return f;
}

// Cursor shapes by number: the framework's stock cursors (negative numbers)
// and cursors that the program registers, for example from its resources.
class TScreen {
public:
    TScreen();
    ~TScreen();

    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor c);
    void SetCursors(TCursor index, std::shared_ptr<TCursorImage> image);
    std::shared_ptr<TCursorImage> Cursors(TCursor index) const;
    QCursor QtCursor(TCursor c) const;

    int Width() const;
    int Height() const;

    TForm *ActiveForm() const { return active_; }
    int FormCount() const { return static_cast<int>(forms_.size()); }
    TForm *Forms(int i) const { return forms_.at(static_cast<size_t>(i)); }

    // Makes f the program's active window: OnDeactivate on the old one,
    // OnActivate on the new one. Nothing happens when f is active already.
    void SetActiveForm(TForm *f);
    // Which window becomes active when f goes away.
    TForm *NextActive(TForm *leaving) const;

    void AddForm(TForm *f);
    void RemoveForm(TForm *f);

private:
    class Animator;
    void ApplyCursor();
    TCursor cursor_ = crDefault;
    bool overridden_ = false;
    std::vector<std::pair<TCursor, std::shared_ptr<TCursorImage>>> cursors_;
    std::vector<TForm *> forms_;
    std::vector<TForm *> history_;
    TForm *active_ = nullptr;
    std::unique_ptr<Animator> animator_;
};

TScreen *Screen();

} // namespace plat
