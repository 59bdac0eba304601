#include "rendering/preview/PaperPreview.h"

#include <QPainter>

#include <algorithm>

namespace zibor::preview {

using namespace plat;

namespace {

TRect Intersect(const TRect &a, const TRect &b)
{
    TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
    if (r.IsEmpty())
        return {};
    return r;
}

} // namespace

TPaperPreview::TPaperPreview(TComponent *owner) : TCustomControl(owner)
{
    SetParentColor(true);
    // The size at creation is no size message: nothing paints until the
    // owner sizes the control.
    TCustomControl::SetBounds(0, 0, ControlWidthFor(105), ControlHeightFor(148));
    // The owner gets the paper's mouse events from the paper itself, once.
    Widget()->setAttribute(Qt::WA_NoMousePropagation);
}

TPaperPreview::~TPaperPreview() = default;

int TPaperPreview::PaperWidth() const { return Width() - 2 * borderSize_ - shadowSize_; }
int TPaperPreview::PaperHeight() const { return Height() - 2 * borderSize_ - shadowSize_; }
void TPaperPreview::SetPaperWidth(int v) { SetPaperSize(v, PaperHeight()); }
void TPaperPreview::SetPaperHeight(int v) { SetPaperSize(PaperWidth(), v); }

void TPaperPreview::SetPaperSize(int width, int height)
{
    SetBounds(Left(), Top(), ControlWidthFor(width), ControlHeightFor(height));
}

void TPaperPreview::FrameChanged()
{
    frameValid_ = false;
    Invalidate();
}

void TPaperPreview::SetPaperColor(TColor c)
{
    if (c == paperColor_)
        return;
    paperColor_ = c;
    FrameChanged();
}

void TPaperPreview::SetBorderColor(TColor c)
{
    if (c == borderColor_)
        return;
    borderColor_ = c;
    FrameChanged();
}

void TPaperPreview::SetShadowColor(TColor c)
{
    if (c == shadowColor_)
        return;
    shadowColor_ = c;
    FrameChanged();
}

void TPaperPreview::SetBorderSize(int v)
{
    v = std::max(0, v);
    if (v == borderSize_)
        return;
    const int pw = PaperWidth(), ph = PaperHeight();
    borderSize_ = v;
    SetPaperSize(pw, ph);
    FrameChanged();
}

void TPaperPreview::SetShadowSize(int v)
{
    v = std::max(0, v);
    if (v == shadowSize_)
        return;
    const int pw = PaperWidth(), ph = PaperHeight();
    shadowSize_ = v;
    SetPaperSize(pw, ph);
    FrameChanged();
}

TRect TPaperPreview::GetPageRect() const
{
    return Rect(borderSize_, borderSize_, Width() - (borderSize_ + shadowSize_), Height() - (borderSize_ + shadowSize_));
}

void TPaperPreview::SetBounds(int left, int top, int width, int height)
{
    const bool resized = std::max(0, width) != Width() || std::max(0, height) != Height();
    TCustomControl::SetBounds(left, top, width, height);
    if (!resized)
        return;
    sized_ = true;
    frameValid_ = false;
    pageValid_ = false;
    if (OnResize)
        OnResize(this);
}

void TPaperPreview::Invalidate()
{
    pageValid_ = false;
    TControl::Invalidate();
}

void TPaperPreview::Repaint()
{
    pageValid_ = false;
    TCustomControl::Repaint();
}

TRect TPaperPreview::VisibleRect() const
{
    TRect r = Rect(0, 0, Width(), Height());
    if (const TWinControl *p = Parent())
        r = Intersect(r, Rect(-Left(), -Top(), p->ClientWidth() - Left(), p->ClientHeight() - Top()));
    return r;
}

void TPaperPreview::DrawPaperFrame(TCanvas &canvas)
{
    const int w = Width(), h = Height(), b = borderSize_, s = shadowSize_;
    canvas.Brush().SetStyle(bsSolid);
    if (b > 0) {
        // A pen of width b inside the rectangle (0, 0, w - s, h - s), no fill.
        canvas.Brush().SetColor(borderColor_);
        canvas.FillRect(Rect(0, 0, w - s, b));
        canvas.FillRect(Rect(0, h - s - b, w - s, h - s));
        canvas.FillRect(Rect(0, b, b, h - s - b));
        canvas.FillRect(Rect(w - s - b, b, w - s, h - s - b));
    }
    if (s > 0) {
        canvas.Brush().SetColor(shadowColor_);
        canvas.FillRect(Rect(w - s, s, w, h));
        canvas.FillRect(Rect(s, h - s, w, h));
        canvas.Brush().SetColor(EffectiveColor());
        canvas.FillRect(Rect(w - s, 0, w, s));
        canvas.FillRect(Rect(0, h - s, s, h));
    }
}

void TPaperPreview::UpdateBuffer()
{
    if (!sized_)
        return;
    const TRect v = VisibleRect();
    if (v.IsEmpty())
        return;
    if (v != bufferRect_ || buffer_.isNull()) {
        buffer_ = QImage(v.Width(), v.Height(), QImage::Format_RGB32);
        buffer_.fill(ToQRgb(EffectiveColor()));
        bufferRect_ = v;
        frameValid_ = false;
    }
    if (frameValid_ && pageValid_)
        return;
    TCanvas canvas(&buffer_);
    canvas.SetViewportOrgEx(-v.Left, -v.Top);
    if (!frameValid_) {
        DrawPaperFrame(canvas);
        frameValid_ = true;
        pageValid_ = false;
    }
    if (!pageValid_) {
        const TRect page = GetPageRect();
        canvas.SelectClipRect(&page);
        canvas.Brush().SetStyle(bsSolid);
        canvas.Brush().SetColor(paperColor_);
        canvas.FillRect(page);
        if (OnPaint)
            OnPaint(this, canvas, page);
        canvas.SelectClipRect(nullptr);
        pageValid_ = true;
        ++pageDraws_;
    }
}

void TPaperPreview::PaintWidget(QPainter &painter)
{
    UpdateBuffer();
    if (!buffer_.isNull())
        painter.drawImage(bufferRect_.Left, bufferRect_.Top, buffer_);
}

// ---------------------------------------------------------------------------
// TPaperPreviewOptions

void TPaperPreviewOptions::Assign(const TPaperPreviewOptions &other)
{
    SetPaperColor(other.paperColor_);
    SetBorderColor(other.borderColor_);
    SetBorderWidth(other.borderWidth_);
    SetShadowColor(other.shadowColor_);
    SetShadowWidth(other.shadowWidth_);
    SetCursor(other.cursor_);
    SetDragCursor(other.dragCursor_);
    SetGrabCursor(other.grabCursor_);
    SetPopupMenu(other.popupMenu_);
}

void TPaperPreviewOptions::AssignTo(TPaperPreview &paper) const
{
    paper.SetPaperColor(paperColor_);
    paper.SetBorderColor(borderColor_);
    paper.SetBorderSize(borderWidth_);
    paper.SetShadowColor(shadowColor_);
    paper.SetShadowSize(shadowWidth_);
    paper.SetCursor(cursor_);
    paper.SetPopupMenu(popupMenu_);
}

} // namespace zibor::preview
