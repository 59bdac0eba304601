#pragma once
// One sheet of paper on screen: a paper-coloured page area with a border line
// and a drop shadow, kept in an off-screen bitmap; the owner paints the page
// contents through OnPaint. The bitmap covers only the part of the control
// that its parent shows, so a paper zoomed far beyond the screen costs no more
// than the screen. Frame and page are drawn again only when invalidated (or
// when the shown part moves); every other paint copies the bitmap.
#include "platform/gui/CustomControls.h"
#include "platform/gui/Menus.h"

#include <functional>

namespace zibor::preview {

class TPaperPreview;

using TPaperPaintEvent = std::function<void(plat::TObject *Sender, plat::TCanvas &Canvas, const plat::TRect &PageRect)>;

class TPaperPreview : public plat::TCustomControl {
public:
    explicit TPaperPreview(plat::TComponent *owner);
    ~TPaperPreview() override;

    plat::TColor PaperColor() const { return paperColor_; }
    void SetPaperColor(plat::TColor c);
    plat::TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(plat::TColor c);
    plat::TColor ShadowColor() const { return shadowColor_; }
    void SetShadowColor(plat::TColor c);
    // Widths in pixels; a change keeps the paper size and resizes the control.
    int BorderSize() const { return borderSize_; }
    void SetBorderSize(int v);
    int ShadowSize() const { return shadowSize_; }
    void SetShadowSize(int v);
    // The paper alone: the control less two borders and the shadow.
    int PaperWidth() const;
    int PaperHeight() const;
    void SetPaperWidth(int v);
    void SetPaperHeight(int v);
    void SetPaperSize(int width, int height);
    // Control size for a paper size, and back.
    int ControlWidthFor(int paperWidth) const { return paperWidth + 2 * borderSize_ + shadowSize_; }
    int ControlHeightFor(int paperHeight) const { return paperHeight + 2 * borderSize_ + shadowSize_; }

    // The paper area within the control.
    virtual plat::TRect GetPageRect() const;

    // The size message: a change of size resizes the bitmap and marks the
    // frame invalid.
    void SetBounds(int left, int top, int width, int height) override;
    // Asks for the page to be drawn again, then for a paint.
    void Invalidate();
    void Repaint() override;

    // Brings the bitmap up to date for the shown part (nothing before the
    // first size). Paint copies it to the screen.
    void UpdateBuffer();
    // The bitmap and the part of the control it covers (control coordinates).
    const QImage &Buffer() const { return buffer_; }
    plat::TRect BufferRect() const { return bufferRect_; }
    // The part of the control its parent shows (the whole control without a parent).
    plat::TRect VisibleRect() const;
    bool Sized() const { return sized_; }
    // How often the page was drawn into the bitmap (for tests and the bench).
    int PageDraws() const { return pageDraws_; }

    TPaperPaintEvent OnPaint;
    plat::TNotifyEvent OnResize;

    void PaintWidget(QPainter &painter) override;

protected:
    virtual void DrawPaperFrame(plat::TCanvas &canvas);

private:
    void FrameChanged();
    plat::TColor paperColor_ = plat::clWhite;
    plat::TColor borderColor_ = plat::clBlack;
    plat::TColor shadowColor_ = plat::clBtnShadow;
    int borderSize_ = 1, shadowSize_ = 3;
    bool sized_ = false, frameValid_ = false, pageValid_ = false;
    QImage buffer_;
    plat::TRect bufferRect_;
    int pageDraws_ = 0;
};

// The look of the preview's paper, copied onto its paper control.
class TPaperPreviewOptions : public plat::TObject {
public:
    plat::TColor PaperColor() const { return paperColor_; }
    void SetPaperColor(plat::TColor v) { Set(paperColor_, v); }
    plat::TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(plat::TColor v) { Set(borderColor_, v); }
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int v) { Set(borderWidth_, v); }
    plat::TColor ShadowColor() const { return shadowColor_; }
    void SetShadowColor(plat::TColor v) { Set(shadowColor_, v); }
    int ShadowWidth() const { return shadowWidth_; }
    void SetShadowWidth(int v) { Set(shadowWidth_, v); }
    plat::TCursor Cursor() const { return cursor_; }
    void SetCursor(plat::TCursor v) { Set(cursor_, v); }
    plat::TCursor DragCursor() const { return dragCursor_; }
    void SetDragCursor(plat::TCursor v) { Set(dragCursor_, v); }
    plat::TCursor GrabCursor() const { return grabCursor_; }
    void SetGrabCursor(plat::TCursor v) { Set(grabCursor_, v); }
    plat::TPopupMenu *PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(plat::TPopupMenu *v) { Set(popupMenu_, v); }

    // Copies all nine values through the setters.
    void Assign(const TPaperPreviewOptions &other);
    // Sets the paper control's colours, widths, cursor and pop-up menu.
    void AssignTo(TPaperPreview &paper) const;

    plat::TNotifyEvent OnChange;

private:
    template <class T>
    void Set(T &field, T value)
    {
        if (field == value)
            return;
        field = value;
        if (OnChange)
            OnChange(this);
    }
    plat::TColor paperColor_ = plat::clWhite;
    plat::TColor borderColor_ = plat::clBlack;
    int borderWidth_ = 1;
    plat::TColor shadowColor_ = plat::clBtnShadow;
    int shadowWidth_ = 3;
    plat::TCursor cursor_ = plat::crDefault;
    plat::TCursor dragCursor_ = 10;
    plat::TCursor grabCursor_ = 11;
    plat::TPopupMenu *popupMenu_ = nullptr;
};

} // namespace zibor::preview
