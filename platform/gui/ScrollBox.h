#pragma once
// The framework's scroll box: a windowed control whose children scroll. Each
// direction has a scroll bar with a range (the farthest child edge plus a
// margin, when the box ranges automatically) and a position from 0 to range
// minus the client extent; scrolling moves the children. A bar shows only
// when its range exceeds the client extent, and a shown bar takes its size off
// the client area.
#include "platform/gui/Controls.h"

class QScrollBar;

namespace plat {

class TScrollBox;

enum class TScrollBarKind { sbHorizontal, sbVertical };

class TControlScrollBar {
public:
    TControlScrollBar(TScrollBox &box, TScrollBarKind kind);

    TScrollBarKind Kind() const { return kind_; }
    // Space kept after the farthest child.
    int Margin() const { return margin_; }
    void SetMargin(int v);
    // The line step of the arrows and the keyboard.
    int Increment() const { return increment_; }
    void SetIncrement(int v) { increment_ = std::max(1, v); }
    int Position() const { return position_; }
    // Clamped to 0..Range - client extent; the children move by the change.
    void SetPosition(int v);
    int Range() const { return range_; }
    void SetRange(int v);
    // Whether the bar may show at all; IsScrollBarVisible says whether it does.
    bool Visible() const { return visible_; }
    void SetVisible(bool v);
    bool IsScrollBarVisible() const { return shown_; }
    // Thumb moves scroll at once when on, on release otherwise.
    bool Tracking() const { return tracking_; }
    void SetTracking(bool v);
    // Thickness in pixels; 0 stands for the system's 17.
    int Size() const { return size_; }
    void SetSize(int v);
    int ActualSize() const { return size_ > 0 ? size_ : 17; }
    // The largest position: Range minus the client extent, at least 0.
    int MaxPosition() const;

private:
    friend class TScrollBox;
    TScrollBox &box_;
    TScrollBarKind kind_;
    int margin_ = 0, increment_ = 8, position_ = 0, range_ = 0, size_ = 0;
    bool visible_ = true, tracking_ = false, shown_ = false;
    QScrollBar *bar_ = nullptr;  // owned by the box's widget
};

class TScrollBox : public TWinControl {
public:
    explicit TScrollBox(TComponent *owner);
    ~TScrollBox() override;

    TControlScrollBar &HorzScrollBar() { return horz_; }
    TControlScrollBar &VertScrollBar() { return vert_; }
    const TControlScrollBar &HorzScrollBar() const { return horz_; }
    const TControlScrollBar &VertScrollBar() const { return vert_; }

    // Ranges follow the children; off, the ranges are set by hand.
    bool AutoScroll() const { return autoScroll_; }
    void SetAutoScroll(bool v);
    // Nested; while suspended, moving children leaves the ranges alone.
    void DisableAutoRange();
    void EnableAutoRange();
    bool AutoRangeSuspended() const { return autoRangeOff_ > 0; }
    // Computes the ranges from the children now (with AutoScroll, unless
    // suspended) and shows or hides the bars.
    void CalcAutoRange();

    // Moves every child by (dx, dy).
    void ScrollBy(int dx, int dy);

    int ClientWidth() const override;
    int ClientHeight() const override;
    void Realign() override;

    TNotifyEvent OnResize;

    // Called by the widget.
    void BarMoved(TScrollBarKind kind, int value, bool released);

protected:
    // The box's size changed.
    virtual void Resize();
    // A bar's position changed by the user or the code.
    virtual void Scrolled(TScrollBarKind kind) { (void)kind; }
    void UpdateBars();

private:
    friend class TControlScrollBar;
    TControlScrollBar horz_, vert_;
    bool autoScroll_ = true;
    int autoRangeOff_ = 0;
    bool updating_ = false;
    TSize lastSize_{-1, -1};
};

} // namespace plat
