#pragma once
// Controls that paint themselves. A custom control is a windowed control
// with its own canvas: Paint draws into an off-screen bitmap that goes to the
// screen in one operation, after EraseBackground has filled it. A graphic
// control has no window of its own (no focus, no keys) and paints over its
// parent's background. Panels and grid panels are custom controls whose
// children are laid out by Align, or in the grid's cells.
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphics.h"
#include "platform/gui/Controls.h"

#include <memory>
#include <vector>

class QPainter;

namespace plat {

// Whether the platform's visual styles are on. They are not: the controls
// take their own looks.
bool ThemeServicesEnabled();

// What the window shows beneath a control (what shows where the control
// draws nothing), in the control's own coordinates: the parent and the
// siblings stacked below the control, pictures and labels included.
QImage ParentBackground(const TControl &control);

class TCustomControl : public TWinControl {
public:
    explicit TCustomControl(TComponent *owner);
    ~TCustomControl() override;

    // The canvas of the off-screen bitmap; what Paint draws on.
    TCanvas &Canvas();
    TNotifyEvent OnPaint;

    // Called by the widget. A control that keeps its own buffer (the paper
    // of the print preview, which may be far larger than the screen) paints
    // the widget itself.
    virtual void PaintWidget(QPainter &painter);

protected:
    // Fills the bitmap before Paint: with Color, unless a descendant draws
    // its own background.
    virtual void EraseBackground(TCanvas &canvas);
    virtual void Paint();

private:
    std::unique_ptr<TBitmap> buffer_;
};

class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(TComponent *owner);
    ~TGraphicControl() override;

    TCanvas &Canvas();
    TNotifyEvent OnPaint;
    void PaintWidget(QPainter &painter);

protected:
    // Draws on a transparent surface: what it leaves shows the parent.
    virtual void Paint();
    // A control whose drawing comes out the same straight on the window as
    // through its own surface draws it there and returns true: the surface,
    // as large as the control, is filled, drawn on and laid over the window
    // on every paint, and its memory is written afresh on the first.
    virtual bool PaintOnto(QPainter &) { return false; }

private:
    QImage buffer_;
    std::unique_ptr<TCanvas> canvas_;
};

enum class TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

// The framework's panel base: caption, bevels, border width.
class TCustomPanel : public TCustomControl {
public:
    explicit TCustomPanel(TComponent *owner);

    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut b);
    TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(TBevelCut b);
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int w);
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int w);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment a);

    void AdjustClientRect(TRect &r) const override;

protected:
    void Paint() override;
    void TextChanged() override { Invalidate(); }

private:
    TBevelCut bevelOuter_ = TBevelCut::bvRaised;
    TBevelCut bevelInner_ = TBevelCut::bvNone;
    int bevelWidth_ = 1;
    int borderWidth_ = 0;
    TAlignment alignment_ = TAlignment::taCenter;
};

// Rows and columns of absolute, percent or automatic size; each placed
// control sits in its cell, centred, or filling it when aligned to client.
enum class TSizeStyle { ssAbsolute, ssPercent, ssAuto };

struct TCellItem {
    TSizeStyle SizeStyle = TSizeStyle::ssPercent;
    double Value = 50;
};

struct TControlItem {
    TControl *Control = nullptr;
    int Column = 0;
    int Row = 0;
    int ColumnSpan = 1;
    int RowSpan = 1;
};

class TCustomGridPanel : public TCustomPanel {
public:
    explicit TCustomGridPanel(TComponent *owner);

    std::vector<TCellItem> &ColumnCollection() { return columns_; }
    std::vector<TCellItem> &RowCollection() { return rows_; }
    std::vector<TControlItem> &ControlCollection() { return items_; }
    // Places a child in a cell (and makes the grid its parent).
    void AddControl(TControl *control, int column, int row);

    void Realign() override;
    // The laid-out cell rectangles, client coordinates.
    TRect CellRect(int column, int row) const;

protected:
    void Notification(TComponent *component, TOperation operation) override;
    void Paint() override;

private:
    std::vector<int> Sizes(const std::vector<TCellItem> &cells, int total, bool columns) const;
    std::vector<TCellItem> columns_;
    std::vector<TCellItem> rows_;
    std::vector<TControlItem> items_;
    std::vector<int> colEdges_, rowEdges_;
};

} // namespace plat
