#include "controls/UiPanels.h"

#include "controls/UiDrawing.h"
#include "platform/graphics/Colors.h"
#include "platform/gui/Forms.h"

using namespace plat;

int UiFrameStyleWidth(TFrameStyleEx style, int bevelWidth)
{
    switch (style) {
    case fsNone: return 0;
    case fsFlat: return 1;
    case fsStatus:
    case fsPopup: return bevelWidth;
    default: return 2;
    }
}

// ---------------------------------------------------------------------------
// TUiCustomPanel

TUiCustomPanel::TUiCustomPanel(TComponent *owner) : TUiBordered<TCustomPanel>(owner) {}

void TUiCustomPanel::SetCaptionVertical(TAlignmentVertical v)
{
    if (StoreChanged(captionVertical_, v))
        Invalidate();
}

void TUiCustomPanel::SetWordWrap(bool v)
{
    if (StoreChanged(wordWrap_, v))
        Invalidate();
}

void TUiCustomPanel::SetCaptionMargins(int x, int y)
{
    if (StoreChanged(marginX_, x) | StoreChanged(marginY_, y))
        Invalidate();
}

void TUiCustomPanel::SetFillClientArea(bool v)
{
    if (StoreChanged(fillClientArea_, v))
        Invalidate();
}

void TUiCustomPanel::SetGridVisible(bool v)
{
    if (StoreChanged(gridVisible_, v))
        Invalidate();
}

void TUiCustomPanel::SetGridColor(TColor v)
{
    if (StoreChanged(gridColor_, v))
        Invalidate();
}

void TUiCustomPanel::SetGridStyle(TUiGridStyle v)
{
    if (StoreChanged(gridStyle_, v))
        Invalidate();
}

void TUiCustomPanel::SetGridSpacing(int x, int y)
{
    if (StoreChanged(gridX_, std::clamp(x, 0, 65535)) | StoreChanged(gridY_, std::clamp(y, 0, 65535)))
        Invalidate();
}

std::pair<TColor, int> TUiCustomPanel::FlatColors() const
{
    if (VisualStyle() == vsGradient && GradientColorStyle() != gcsCustom)
        return {SchemeFrameColor(GradientColorStyle()), 0};
    return TUiBordered::FlatColors();
}

void TUiCustomPanel::EraseBackground(TCanvas &canvas)
{
    if (Transparent() && fillClientArea_)
        DrawParentBackground(*this, canvas, true);
    else
        TUiBordered::EraseBackground(canvas);
}

void TUiCustomPanel::Paint()
{
    TCanvas &c = Canvas();
    TRect r = PaintBorders(c);
    if (!Transparent() && fillClientArea_) {
        const bool rounded = (BorderOuter() == fsFlatRounded && BorderInner() == fsNone && BorderWidth() == 0) ||
                             BorderInner() == fsFlatRounded;
        const TRect inner = r;
        const TSides s = BorderSides();
        if (rounded)
            r = Rect(r.Left - HasSide(s, sdLeft), r.Top - HasSide(s, sdTop), r.Right + HasSide(s, sdRight),
                     r.Bottom + HasSide(s, sdBottom));
        FillInside(c, r);
        if (rounded) {
            const auto [flat, adjustment] = FlatColors();
            const TColor k = ColorToRGB(ShadeBy(flat, adjustment));
            if (HasSide(s, sdLeft) && HasSide(s, sdTop))
                c.SetPixel(r.Left, r.Top, k);
            if (HasSide(s, sdTop) && HasSide(s, sdRight))
                c.SetPixel(r.Right - 1, r.Top, k);
            if (HasSide(s, sdRight) && HasSide(s, sdBottom))
                c.SetPixel(r.Right - 1, r.Bottom - 1, k);
            if (HasSide(s, sdLeft) && HasSide(s, sdBottom))
                c.SetPixel(r.Left, r.Bottom - 1, k);
        }
        r = inner;
    }
    if (gridVisible_)
        DrawGrid(c, r);
    c.Brush().SetStyle(bsClear);
    DrawCaption(c, r);
    c.Brush().SetStyle(bsSolid);
    TCustomControl::Paint();
}

void TUiCustomPanel::DrawCaption(TCanvas &canvas, TRect r)
{
    if (Caption().empty())
        return;
    canvas.SetFont(Font());
    r = Rect(r.Left + marginX_, r.Top + marginY_, r.Right - marginX_, r.Bottom - marginY_);
    const unsigned align = Alignment() == TAlignment::taCenter        ? DT_CENTER
                           : Alignment() == TAlignment::taRightJustify ? DT_RIGHT
                                                                       : DT_LEFT;
    const unsigned flags = (wordWrap_ ? unsigned(DT_WORDBREAK) : 0u) | DT_EXPANDTABS | DT_VCENTER | align;
    TRect measure = r;
    const int t = canvas.DrawText(Caption(), measure, flags | DT_CALCRECT);
    switch (captionVertical_) {
    case avTop: r.Bottom = std::min(r.Bottom, r.Top + t); break;
    case avCenter:
        r.Top = (r.Top + r.Bottom - t) / 2;
        r.Bottom = std::min(r.Bottom, r.Top + t);
        break;
    case avBottom:
        if (r.Bottom - t - 1 > r.Top)
            r.Top = r.Bottom - t - 1;
        break;
    }
    if (!Enabled())
        canvas.Font().SetColor(clGrayText);
    canvas.DrawText(Caption(), r, flags);
}

void TUiCustomPanel::DrawGrid(TCanvas &canvas, const TRect &r)
{
    const int nx = gridX_ ? r.Width() / gridX_ : 0, ny = gridY_ ? r.Height() / gridY_ : 0;
    const TColor color = ColorToRGB(gridColor_);
    canvas.Pen().SetColor(gridColor_);
    canvas.Pen().SetStyle(psSolid);
    canvas.Pen().SetWidth(1);
    if (gridStyle_ == TUiGridStyle::gsDots) {
        for (int i = 1; i <= nx; ++i)
            for (int j = 1; j <= ny; ++j)
                canvas.SetPixel(r.Left - 1 + i * gridX_, r.Top - 1 + j * gridY_, color);
        return;
    }
    const bool dotted = gridStyle_ == TUiGridStyle::gsDottedLines;
    auto line = [&](int x1, int y1, int x2, int y2) {
        if (!dotted) {
            canvas.MoveTo(x1, y1);
            canvas.LineTo(x2, y2);
            return;
        }
        const int dx = x2 > x1, dy = y2 > y1, n = std::max(x2 - x1, y2 - y1);
        for (int k = 1; k < n; k += 2)
            canvas.SetPixel(x1 + k * dx, y1 + k * dy, color);
    };
    for (int i = 1; i <= nx; ++i)
        line(r.Left - 1 + i * gridX_, r.Top, r.Left - 1 + i * gridX_, r.Bottom);
    for (int j = 1; j <= ny; ++j)
        line(r.Left, r.Top - 1 + j * gridY_, r.Right, r.Top - 1 + j * gridY_);
}

// ---------------------------------------------------------------------------
// TUiCustomGroupBox

TUiCustomGroupBox::TUiCustomGroupBox(TComponent *owner) : TUiCustomPanel(owner)
{
    SetBorderOuter(fsNone);
    SetBorderInner(fsNone);
    SetAlignment(TAlignment::taLeftJustify);
    SetCaptionVertical(avTop);
    SetHeight(105);
}

void TUiCustomGroupBox::SetGroupStyle(TUiGroupBoxStyle v)
{
    if (StoreChanged(groupStyle_, v)) {
        Realign();
        Invalidate();
    }
}

void TUiCustomGroupBox::SetBannerHeight(int v)
{
    if (StoreChanged(bannerHeight_, v)) {
        Realign();
        Invalidate();
    }
}

int TUiCustomGroupBox::TextHeightOf(const char *text) const
{
    TBitmap scratch(1, 1);
    scratch.Canvas()->SetFont(Font());
    return scratch.Canvas()->TextHeight(text);
}

void TUiCustomGroupBox::AdjustClientRect(TRect &r) const
{
    TUiCustomPanel::AdjustClientRect(r);
    const int h = TextHeightOf("Yy");
    auto shrink = [&r](int by) { r = Rect(r.Left + by, r.Top + by, r.Right - by, r.Bottom - by); };
    switch (groupStyle_) {
    case gsStandard:
    case gsFlat: {
        const int half = h / 2;
        r.Top += half - 1 >= BorderWidth() ? h - BorderWidth() : half - 1;
        shrink(groupStyle_ == gsStandard ? 2 : 1);
        break;
    }
    case gsCustom:
        if (!Caption().empty())
            r.Top += h;
        shrink(2);
        break;
    case gsTopLine: r.Top += h; break;
    case gsBanner: r.Top += bannerHeight_ ? bannerHeight_ : h + 8; break;
    case gsUnderline: r.Top += h + 4; break;
    }
}

void TUiCustomGroupBox::UpdateFromController(TUiFrameController &fc, TUiFrameControllerProperty property)
{
    if (groupStyle_ == gsCustom)
        TUiCustomPanel::UpdateFromController(fc, property);
}

void TUiCustomGroupBox::SelectFirst()
{
    for (int i = 0; i < ControlCount(); ++i)
        if (auto *w = dynamic_cast<TWinControl *>(Controls(i)); w && w->TabStop() && w->CanFocus()) {
            w->SetFocus();
            return;
        }
}

bool TUiCustomGroupBox::DialogChar(char32_t key, TShiftState shift)
{
    if (IsAccel(key, Caption()) && CanFocus()) {
        SelectFirst();
        return true;
    }
    return TUiCustomPanel::DialogChar(key, shift);
}

void TUiCustomGroupBox::FontChanged()
{
    TUiCustomPanel::FontChanged();
    Realign();
    Invalidate();
}

void TUiCustomGroupBox::Paint()
{
    if (groupStyle_ == gsCustom) {
        TUiCustomPanel::Paint();
        return;
    }
    TCanvas &c = Canvas();
    c.SetFont(Font());
    const int h = c.TextHeight("Pp");
    const String text = StripMnemonics(Caption());
    const int W = Width(), H = Height();
    TRect cap{};
    if (!Caption().empty()) {
        const TSize sz = c.TextExtent(text);
        switch (groupStyle_) {
        case gsStandard:
        case gsFlat: cap = Rect(8, 0, sz.cx + 8, sz.cy); break;
        case gsTopLine: cap = Rect(0, 0, sz.cx + 4, sz.cy); break;
        case gsBanner: cap = Rect(0, 0, W, bannerHeight_ ? bannerHeight_ : sz.cy + 6); break;
        case gsUnderline: cap = Rect(0, 0, W, sz.cy + 2); break;
        default: break;
        }
    }
    const int level = c.SaveDC();
    if (Transparent()) {
        if (groupStyle_ != gsBanner && !cap.IsEmpty())
            c.ExcludeClipRect(cap);
    } else {
        c.Brush().SetStyle(bsSolid);
        c.Brush().SetColor(Color());
        c.FillRect(Rect(0, 0, W, H));
    }
    const TRect f = Rect(0, h / 2 - 1, W, H);
    const auto [flat, adjustment] = FlatColors();
    const TColor k = ShadeBy(flat, adjustment);
    auto line = [&](TColor color, int x1, int y1, int x2, int y2) {
        c.Pen().SetStyle(psSolid);
        c.Pen().SetWidth(1);
        c.Pen().SetColor(color);
        c.MoveTo(x1, y1);
        c.LineTo(x2, y2);
    };
    switch (groupStyle_) {
    case gsStandard:
        if (BorderOuter() == fsNone)
            PaintStyledFrame(c, f, fsGroove);
        else if (BorderOuter() == fsFlat)
            PaintBoxOutline(c, f, k);
        else if (BorderOuter() == fsFlatBold)
            PaintFrameBand(c, f, k, k, 2, sdAllSides);
        else
            PaintStyledFrame(c, f, BorderOuter());
        break;
    case gsTopLine:
        if (BorderOuter() == fsNone) {
            PaintStyledFrame(c, f, fsGroove, SideBit(sdTop));
        } else if (BorderOuter() == fsFlat || BorderOuter() == fsFlatBold) {
            line(k, f.Left + 2, f.Top, f.Right - 2, f.Top);
            if (BorderOuter() == fsFlatBold)
                line(k, f.Left + 2, f.Top + 1, f.Right - 2, f.Top + 1);
        } else {
            PaintStyledFrame(c, f, BorderOuter(), SideBit(sdTop));
        }
        break;
    case gsFlat: PaintRoundedOutline(c, f, k, sdAllSides); break;
    case gsBanner: {
        TColor start, stop, frame;
        if (GradientColorStyle() == gcsCustom) {
            start = GradientColorStart();
            stop = GradientColorStop();
            frame = k;
        } else {
            const auto sel = SchemeSelectionColors(GradientColorStyle());
            start = sel[0];
            stop = sel[1];
            frame = sel[2];
        }
        if (!cap.IsEmpty()) {
            line(frame, cap.Left, cap.Top + 1, cap.Left, cap.Bottom - 1);
            line(frame, cap.Left + 1, cap.Top, cap.Right - 1, cap.Top);
            line(frame, cap.Right - 1, cap.Top + 1, cap.Right - 1, cap.Bottom - 1);
            line(frame, cap.Left + 1, cap.Bottom - 1, cap.Right - 1, cap.Bottom - 1);
            cap = Rect(cap.Left + 1, cap.Top + 1, cap.Right - 1, cap.Bottom - 1);
            DrawGradientBox(c, cap, gdHorizontalEnd, start, stop, 1);
        }
        break;
    }
    case gsUnderline:
        if (!cap.IsEmpty())
            line(k, cap.Left, cap.Bottom, cap.Right, cap.Bottom);
        break;
    default: break;
    }
    if (!Caption().empty()) {
        if (!Transparent() && groupStyle_ != gsBanner) {
            c.Brush().SetStyle(bsSolid);
            c.Brush().SetColor(Color());
            c.FillRect(cap);
        }
        if (groupStyle_ == gsBanner)
            cap = Rect(cap.Left + 4, cap.Top + 1, cap.Right - 4, cap.Bottom - 1);
        c.Brush().SetStyle(bsClear);
        c.SetFont(Font());
        if (!Enabled())
            c.Font().SetColor(clGrayText);
        c.RestoreDC(level);
        const unsigned align = Alignment() == TAlignment::taCenter        ? DT_CENTER
                               : Alignment() == TAlignment::taRightJustify ? DT_RIGHT
                                                                           : DT_LEFT;
        c.DrawText(Caption(), cap, DT_SINGLELINE | DT_VCENTER | align);
        c.Brush().SetStyle(bsSolid);
    } else {
        c.RestoreDC(level);
    }
    TCustomControl::Paint();
}

// ---------------------------------------------------------------------------
// TUiGridPanel

TUiGridPanel::TUiGridPanel(TComponent *owner) : TUiBordered<TCustomGridPanel>(owner) {}

void TUiGridPanel::EraseBackground(TCanvas &canvas)
{
    // The off-screen bitmap keeps the last frame: without a see-through
    // background it starts from the control's colour, not from old pixels.
    if (Transparent())
        DrawParentBackground(*this, canvas, true);
    else
        TUiBordered::EraseBackground(canvas);
}

void TUiGridPanel::Paint()
{
    TCanvas &c = Canvas();
    const TRect r = PaintBorders(c);
    if (!Transparent())
        FillInside(c, r);
    TCustomControl::Paint();
}
