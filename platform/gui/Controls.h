#pragma once
// Controls over Qt widgets. A control keeps its own copy of every property
// (bounds, visibility, enabled, colour, caption), so that it can be set up in
// a window description before its widget is shown, and so that data-only
// controls need no widget at all. Events reach the control through one event
// filter per widget, in the framework's order; a handler that throws is
// reported by the application's exception handler instead of unwinding
// through Qt.
#include "platform/core/Component.h"
#include "platform/core/Types.h"
#include "platform/graphics/Graphics.h"

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QWidget;
class QObject;
class QEvent;
class QKeyEvent;

namespace plat {

class TWinControl;
class TForm;
class TControlBridge;
class TPopupMenu;

using TShiftState = unsigned;
constexpr TShiftState ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32,
                      ssDouble = 64;

enum class TMouseButton { mbLeft, mbRight, mbMiddle };
enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

// Virtual key codes of the keys the program looks at.
constexpr uint16_t VK_BACK = 8, VK_TAB = 9, VK_RETURN = 13, VK_SHIFT = 16, VK_CONTROL = 17,
                   VK_MENU = 18, VK_ESCAPE = 27, VK_SPACE = 32, VK_PRIOR = 33, VK_NEXT = 34,
                   VK_END = 35, VK_HOME = 36, VK_LEFT = 37, VK_UP = 38, VK_RIGHT = 39,
                   VK_DOWN = 40, VK_INSERT = 45, VK_DELETE = 46, VK_ADD = 0x6B, VK_SUBTRACT = 0x6D,
                   VK_F1 = 112, VK_F4 = 115;

using TKeyEvent = std::function<void(TObject *Sender, uint16_t &Key, TShiftState Shift)>;
// The character of a key press; a handler sets it to 0 to drop the key.
using TKeyPressEvent = std::function<void(TObject *Sender, char32_t &Key)>;
using TMouseEvent = std::function<void(TObject *Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject *Sender, TShiftState Shift, int X, int Y)>;
// WheelDelta in 1/120 of a notch, forward positive; MousePos in the control's
// coordinates; a handler sets Handled to keep the wheel from the parent.
using TMouseWheelEvent =
    std::function<void(TObject *Sender, TShiftState Shift, int WheelDelta, TPoint MousePos, bool &Handled)>;

// Binds an event to a method: Button1->OnClick = Method(this, &TMyForm::Button1Click).
template <class C, class R, class... A>
auto Method(C *object, R (C::*method)(A...))
{
    return [object, method](A... args) { return (object->*method)(args...); };
}

// Runs f and hands any exception to the application's exception handler.
void Guarded(const std::function<void()> &f);

class TControl : public TComponent {
public:
    explicit TControl(TComponent *owner);
    ~TControl() override;

    // The widget, or nullptr for data-only controls.
    QWidget *Widget() const { return widget_; }

    TWinControl *Parent() const { return parent_; }
    virtual void SetParent(TWinControl *parent);
    TForm *ParentForm() const;

    int Left() const { return bounds_.Left; }
    int Top() const { return bounds_.Top; }
    int Width() const { return bounds_.Width(); }
    int Height() const { return bounds_.Height(); }
    void SetLeft(int v) { SetBounds(v, Top(), Width(), Height()); }
    void SetTop(int v) { SetBounds(Left(), v, Width(), Height()); }
    void SetWidth(int v) { SetBounds(Left(), Top(), v, Height()); }
    void SetHeight(int v) { SetBounds(Left(), Top(), Width(), v); }
    virtual void SetBounds(int left, int top, int width, int height);
    TRect BoundsRect() const { return bounds_; }
    virtual int ClientWidth() const { return Width(); }
    virtual int ClientHeight() const { return Height(); }
    void SetClientWidth(int v) { SetWidth(v); }
    void SetClientHeight(int v) { SetHeight(v); }
    TRect ClientRect() const { return Rect(0, 0, ClientWidth(), ClientHeight()); }
    TPoint ClientToScreen(TPoint p) const;
    TPoint ScreenToClient(TPoint p) const;

    TAlign Align() const { return align_; }
    void SetAlign(TAlign a);

    bool Visible() const { return visible_; }
    virtual void SetVisible(bool v);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible here and in every parent.
    bool Showing() const;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);

    TColor Color() const { return color_; }
    void SetColor(TColor c);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool v);

    // The control's font; a control with ParentFont follows its parent's
    // until its own font is changed.
    TFont &Font() { return *font_; }
    const TFont &Font() const { return *font_; }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool v);

    // Caption of labels, buttons and windows, text of edits.
    String Caption() const { return GetTextValue(); }
    void SetCaption(const String &s) { SetTextValue(s); }
    String Text() const { return GetTextValue(); }
    void SetText(const String &s) { SetTextValue(s); }

    String Hint() const { return hint_; }
    void SetHint(const String &h);
    // Whether the hint shows; with ParentShowHint (the default) the
    // parent's setting counts. The application's ShowHint can turn all off.
    bool ShowHint() const;
    void SetShowHint(bool v);
    bool ParentShowHint() const { return parentShowHint_; }
    void SetParentShowHint(bool v);
    void ApplyHint();

    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor c);

    TPopupMenu *PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(TPopupMenu *m);

    int Tag = 0;

    void Invalidate();
    virtual void Repaint();
    void Update();
    void BringToFront();
    void SendToBack();

    // The control's click: its OnClick. Buttons, pictures and labels call it
    // when they are clicked.
    virtual void Click();
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TMouseWheelEvent OnMouseWheel;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

    // Framework notices: a dialog key (Enter, Escape) that a control may take,
    // the focus moving inside the window, and property changes.
    virtual bool DialogKey(uint16_t key, TShiftState shift);
    // A dialog character (Alt and a letter): true when the control takes it
    // as its accelerator.
    virtual bool DialogChar(char32_t key, TShiftState shift);
    virtual void FocusChanged(TWinControl *focused) { (void)focused; }
    virtual void EnabledChanged();
    virtual void ColorChanged();
    virtual void FontChanged();
    virtual void TextChanged() {}
    virtual void VisibleChanged() {}
    // Whether the control lets what lies beneath show through (a
    // transparent label, picture or custom-drawn control), so that a parent
    // that changes its look knows whom to repaint.
    virtual bool SeeThrough() const { return false; }

    // Widget event entry points, public so that the bridge can reach them.
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    // True when the wheel was taken; otherwise it goes on to the parent.
    virtual bool DoMouseWheel(TShiftState shift, int delta, TPoint pos);
    virtual void MouseEnter();
    virtual void MouseLeave();
    virtual void DblClick();
    // Whether a release of the left button inside the control clicks it (for
    // controls whose widget has no click of its own).
    bool ClickOnRelease() const { return clickOnRelease_; }
    // True while this control or one of its parents is being destroyed.
    bool Dying() const;
    virtual void WidgetResized(int width, int height);
    virtual void WidgetMoved(int left, int top);

protected:
    void Notification(TComponent *component, TOperation operation) override;
    // Takes ownership of the widget; called once by the subclass constructor.
    void AttachWidget(QWidget *w);
    TControlBridge *Bridge() const { return bridge_.get(); }
    virtual String GetTextValue() const { return text_; }
    virtual void SetTextValue(const String &s);
    TColor EffectiveColor() const;
    // Font and colours onto the widget. While the control is being loaded
    // they are only noted, and written once when loading ends: a window's
    // description sets them one property at a time, and every write makes
    // Qt tell the widget and all beneath it.
    void ApplyColor();
    void ApplyFont();
    // What loading still holds back, written now: for a measurement that
    // the widget makes with its own font.
    void WriteHeld();
    void Loaded() override;
    // The colour of the control's text: its font's, unless it shows another
    // (a list its chosen item's).
    virtual TColor TextColor() const { return font_->Color(); }
    // Whether the control's face is its widget's base (edits and lists),
    // not its window colour alone.
    bool baseFace_ = false;
    virtual void ApplyVisible();
    void ApplyBounds();
    bool clickOnRelease_ = false;
    String text_;
    TRect bounds_;
    TWinControl *parent_ = nullptr;

private:
    friend class TWinControl;
    // Font (with the text colours) and face colours in one palette write.
    void WriteLook(bool font, bool color);
    // Writes what loading held back here and beneath, the deepest first, so
    // that a parent's write finds its children settled and tells them nothing.
    void WriteHeldBeneath();
    QPointer<QWidget> widget_;
    std::unique_ptr<TControlBridge> bridge_;
    TAlign align_ = TAlign::alNone;
    bool visible_ = true;
    bool enabled_ = true;
    TColor color_ = clBtnFace;
    bool parentColor_ = false;
    std::unique_ptr<TFont> font_;
    bool parentFont_ = true;
    bool followingParent_ = false;
    bool fontHeld_ = false;
    bool colorHeld_ = false;
    String hint_;
    bool showHint_ = false;
    bool parentShowHint_ = true;
    TCursor cursor_ = crDefault;
    TPopupMenu *popupMenu_ = nullptr;
};

class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent *owner);
    ~TWinControl() override;

    int ControlCount() const { return static_cast<int>(controls_.size()); }
    TControl *Controls(int i) const { return controls_.at(static_cast<size_t>(i)); }
    void InsertControl(TControl *c);
    void RemoveControl(TControl *c);

    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool v);
    int TabOrder() const { return tabOrder_; }
    void SetTabOrder(int v);

    bool CanFocus() const;
    bool Focused() const;
    virtual void SetFocus();

    // Lays out the children that have an Align, in the framework's order,
    // inside the client rectangle less what AdjustClientRect takes off.
    virtual void Realign();
    virtual void AdjustClientRect(TRect &r) const { (void)r; }
    void WidgetResized(int width, int height) override;

    virtual void KeyDown(uint16_t &key, TShiftState shift);
    virtual void KeyUp(uint16_t &key, TShiftState shift);
    virtual void KeyPress(char32_t &key);
    // Whether the control takes Enter or Escape itself instead of the window.
    virtual bool WantsDialogKey(uint16_t key) const { (void)key; return false; }
    // A key press whose character a handler replaced: the control inserts it.
    virtual void InsertChar(char32_t key) { (void)key; }
    // Last word on a typed key before the widget sees it; true drops it.
    virtual bool FilterKey(QKeyEvent *e) { (void)e; return false; }
    virtual void DoEnter();
    virtual void DoExit();

    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

protected:
    // Focus policy follows TabStop; a control whose widget takes no focus at
    // all (labels, pictures) says so here.
    virtual bool Focusable() const { return true; }
    void ApplyFocusPolicy();
    // Whether a click gives the focus to a control that is no tab stop.
    bool clickFocus_ = true;
    // Set while the children are being placed: their moves ask for no new layout.
    bool aligning_ = false;

private:
    std::vector<TControl *> controls_;
    bool tabStop_ = false;
    int tabOrder_ = -1;
};

// Routes the widget's events to its control. Extra widgets inside a control
// (the buttons of a radio group, the edit of a combo box) are watched too.
class TControlBridge {
public:
    explicit TControlBridge(TControl *c);
    ~TControlBridge();
    void Watch(QWidget *w);
    QObject *Filter() const;

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

// Whether key (a lower- or upper-case letter or digit) is the accelerator
// that "&" marks in the caption ("&&" is a plain "&").
bool IsAccel(char32_t key, const String &caption);

// Qt key to virtual key code (0 when the key has none), modifiers to shift state.
uint16_t VirtualKeyFromQt(int qtKey);
// With the modifiers, so that the numeric pad's + and - (which Qt marks with
// KeypadModifier, no modifier of the framework) become VK_ADD and VK_SUBTRACT.
uint16_t VirtualKeyFromQt(int qtKey, unsigned modifiers);
int QtKeyFromVirtualKey(uint16_t vk);
TShiftState ShiftFromQt(unsigned modifiers);

} // namespace plat
