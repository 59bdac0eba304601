#include "platform/gui/CustomControls.h"

#include "platform/gui/GuiColor.h"

#include <QPaintEvent>
#include <QPainter>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace plat {

bool ThemeServicesEnabled() { return false; }

QImage ParentBackground(const TControl &control)
{
    const int w = std::max(1, control.Width()), h = std::max(1, control.Height());
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    const QWidget *self = control.Widget();
    QWidget *parent = self ? self->parentWidget() : nullptr;
    if (!parent)
        return img;
    const QRect area = self->geometry();
    // The parent itself, without its children...
    parent->render(&img, QPoint(0, 0), QRegion(area), QWidget::DrawWindowBackground);
    // ...then what the window shows between it and the control: the siblings
    // stacked below the control (a background picture, a label). Qt keeps
    // children in stacking order, lowest first; the control and everything
    // above it stay out, so the control never draws into its own background.
    for (QObject *o : parent->children()) {
        if (o == self)
            break;
        auto *sibling = qobject_cast<QWidget *>(o);
        if (!sibling || sibling->isWindow() || sibling->isHidden())
            continue;
        const QRect overlap = sibling->geometry() & area;
        if (overlap.isEmpty())
            continue;
        sibling->render(&img, overlap.topLeft() - area.topLeft(), QRegion(overlap.translated(-sibling->pos())),
                        QWidget::DrawWindowBackground | QWidget::DrawChildren);
    }
    return img;
}

namespace {

template <class Control>
class CanvasWidget : public QWidget {
public:
    explicit CanvasWidget(Control *c) : control(c) {}
    Control *control;

protected:
    void paintEvent(QPaintEvent *) override
    {
        if (control->Dying())
            return;
        QPainter p(this);
        Guarded([&] { control->PaintWidget(p); });
    }
};

// A three-dimensional frame of one pixel per width, as the framework draws bevels.
void Frame3D(TCanvas &c, TRect &r, TColor topLeft, TColor bottomRight, int width)
{
    for (int i = 0; i < width; ++i) {
        c.Pen().SetColor(topLeft);
        c.MoveTo(r.Left, r.Bottom - 1);
        c.LineTo(r.Left, r.Top);
        c.LineTo(r.Right - 1, r.Top);
        c.Pen().SetColor(bottomRight);
        c.LineTo(r.Right - 1, r.Bottom - 1);
        c.LineTo(r.Left - 1, r.Bottom - 1);
        r = Rect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
    }
}

} // namespace

// ---------------------------------------------------------------------------
// TCustomControl

TCustomControl::TCustomControl(TComponent *owner) : TWinControl(owner), buffer_(std::make_unique<TBitmap>())
{
    auto *w = new CanvasWidget<TCustomControl>(this);
    // The bitmap covers every pixel: Qt need not clear first.
    w->setAttribute(Qt::WA_OpaquePaintEvent);
    clickFocus_ = false;
    AttachWidget(w);
    ApplyFocusPolicy();
}

TCustomControl::~TCustomControl()
{
    MarkDestroying();
}

TCanvas &TCustomControl::Canvas() { return *buffer_->Canvas(); }

void TCustomControl::EraseBackground(TCanvas &canvas)
{
    canvas.Brush().SetColor(EffectiveColor());
    canvas.Brush().SetStyle(bsSolid);
    canvas.FillRect(ClientRect());
}

void TCustomControl::Paint()
{
    if (OnPaint)
        OnPaint(this);
}

void TCustomControl::PaintWidget(QPainter &painter)
{
    const int w = std::max(1, Width()), h = std::max(1, Height());
    if (buffer_->Width() != w || buffer_->Height() != h)
        buffer_->SetSize(w, h);
    TCanvas &c = Canvas();
    EraseBackground(c);
    Paint();
    painter.drawImage(0, 0, buffer_->Image());
}

// ---------------------------------------------------------------------------
// TGraphicControl

TGraphicControl::TGraphicControl(TComponent *owner) : TControl(owner)
{
    clickOnRelease_ = true;
    buffer_ = QImage(1, 1, QImage::Format_ARGB32_Premultiplied);
    canvas_ = std::make_unique<TCanvas>(&buffer_);
    AttachWidget(new CanvasWidget<TGraphicControl>(this));
}

TGraphicControl::~TGraphicControl()
{
    MarkDestroying();
}

TCanvas &TGraphicControl::Canvas() { return *canvas_; }

void TGraphicControl::Paint()
{
    if (OnPaint)
        OnPaint(this);
}

void TGraphicControl::PaintWidget(QPainter &painter)
{
    if (PaintOnto(painter))
        return;
    const int w = std::max(1, Width()), h = std::max(1, Height());
    if (buffer_.width() != w || buffer_.height() != h) {
        // A new surface needs a new canvas over it.
        TPen pen(canvas_->Pen());
        TBrush brush(canvas_->Brush());
        TFont font(canvas_->Font());
        canvas_.reset();
        buffer_ = QImage(w, h, QImage::Format_ARGB32_Premultiplied);
        canvas_ = std::make_unique<TCanvas>(&buffer_);
        canvas_->SetPen(pen);
        canvas_->SetBrush(brush);
        canvas_->SetFont(font);
    }
    buffer_.fill(Qt::transparent);
    Paint();
    painter.drawImage(0, 0, buffer_);
}

// ---------------------------------------------------------------------------
// TCustomPanel

TCustomPanel::TCustomPanel(TComponent *owner) : TCustomControl(owner)
{
    SetBounds(0, 0, 185, 41);
}

void TCustomPanel::SetBevelOuter(TBevelCut b)
{
    bevelOuter_ = b;
    Realign();
    Invalidate();
}

void TCustomPanel::SetBevelInner(TBevelCut b)
{
    bevelInner_ = b;
    Realign();
    Invalidate();
}

void TCustomPanel::SetBevelWidth(int w)
{
    bevelWidth_ = std::max(1, w);
    Realign();
    Invalidate();
}

void TCustomPanel::SetBorderWidth(int w)
{
    borderWidth_ = std::max(0, w);
    Realign();
    Invalidate();
}

void TCustomPanel::SetAlignment(TAlignment a)
{
    alignment_ = a;
    Invalidate();
}

void TCustomPanel::AdjustClientRect(TRect &r) const
{
    int inset = borderWidth_;
    if (bevelOuter_ != TBevelCut::bvNone)
        inset += bevelWidth_;
    if (bevelInner_ != TBevelCut::bvNone)
        inset += bevelWidth_;
    r = Rect(r.Left + inset, r.Top + inset, r.Right - inset, r.Bottom - inset);
}

void TCustomPanel::Paint()
{
    TCanvas &c = Canvas();
    TRect r = ClientRect();
    auto bevel = [&](TBevelCut b) {
        if (b == TBevelCut::bvLowered)
            Frame3D(c, r, clBtnShadow, clBtnHighlight, bevelWidth_);
        else if (b == TBevelCut::bvRaised)
            Frame3D(c, r, clBtnHighlight, clBtnShadow, bevelWidth_);
        else if (b == TBevelCut::bvSpace)
            r = Rect(r.Left + bevelWidth_, r.Top + bevelWidth_, r.Right - bevelWidth_, r.Bottom - bevelWidth_);
    };
    bevel(bevelOuter_);
    r = Rect(r.Left + borderWidth_, r.Top + borderWidth_, r.Right - borderWidth_, r.Bottom - borderWidth_);
    bevel(bevelInner_);
    if (!Caption().empty()) {
        c.Brush().SetStyle(bsClear);
        c.SetFont(Font());
        unsigned flags = DT_VCENTER | DT_SINGLELINE | DT_EXPANDTABS;
        flags |= alignment_ == TAlignment::taCenter ? DT_CENTER
                 : alignment_ == TAlignment::taRightJustify ? DT_RIGHT : DT_LEFT;
        c.DrawText(Caption(), r, flags);
    }
    TCustomControl::Paint();
}

// ---------------------------------------------------------------------------
// TCustomGridPanel

TCustomGridPanel::TCustomGridPanel(TComponent *owner) : TCustomPanel(owner)
{
    columns_ = {TCellItem{}, TCellItem{}};
    rows_ = {TCellItem{}, TCellItem{}};
}

void TCustomGridPanel::AddControl(TControl *control, int column, int row)
{
    items_.push_back({control, column, row, 1, 1});
    control->FreeNotification(this);
    if (control->Parent() != this)
        control->SetParent(this);
    Realign();
}

void TCustomGridPanel::Notification(TComponent *component, TOperation operation)
{
    TCustomPanel::Notification(component, operation);
    if (operation == TOperation::opRemove)
        items_.erase(std::remove_if(items_.begin(), items_.end(),
                                    [&](const TControlItem &i) { return i.Control == component; }),
                     items_.end());
}

std::vector<int> TCustomGridPanel::Sizes(const std::vector<TCellItem> &cells, int total, bool columns) const
{
    std::vector<int> sizes(cells.size(), 0);
    int fixed = 0;
    double percent = 0;
    for (size_t i = 0; i < cells.size(); ++i) {
        const TCellItem &c = cells[i];
        if (c.SizeStyle == TSizeStyle::ssAbsolute) {
            sizes[i] = static_cast<int>(std::lround(c.Value));
        } else if (c.SizeStyle == TSizeStyle::ssAuto) {
            // As large as the largest control in that row or column.
            for (const TControlItem &it : items_)
                if (it.Control && (columns ? it.Column : it.Row) == static_cast<int>(i))
                    sizes[i] = std::max(sizes[i], columns ? it.Control->Width() : it.Control->Height());
        } else {
            percent += std::max(0.0, c.Value);
            continue;
        }
        fixed += sizes[i];
    }
    const int rest = std::max(0, total - fixed);
    int given = 0, last = -1;
    for (size_t i = 0; i < cells.size(); ++i)
        if (cells[i].SizeStyle == TSizeStyle::ssPercent) {
            sizes[i] = percent > 0 ? static_cast<int>(rest * std::max(0.0, cells[i].Value) / percent) : 0;
            given += sizes[i];
            last = static_cast<int>(i);
        }
    // Rounding leftovers go to the last percent cell, so the cells fill the grid.
    if (last >= 0 && percent > 0)
        sizes[static_cast<size_t>(last)] += rest - given;
    return sizes;
}

void TCustomGridPanel::Realign()
{
    if (aligning_)
        return;
    TCustomPanel::Realign();
    aligning_ = true;
    TRect r = ClientRect();
    AdjustClientRect(r);
    const std::vector<int> cw = Sizes(columns_, r.Width(), true);
    const std::vector<int> rh = Sizes(rows_, r.Height(), false);
    colEdges_.assign(1, r.Left);
    for (int w : cw)
        colEdges_.push_back(colEdges_.back() + w);
    rowEdges_.assign(1, r.Top);
    for (int h : rh)
        rowEdges_.push_back(rowEdges_.back() + h);
    for (const TControlItem &it : items_) {
        if (!it.Control || it.Column < 0 || it.Row < 0 || it.Column >= static_cast<int>(cw.size()) ||
            it.Row >= static_cast<int>(rh.size()))
            continue;
        const int lastCol = std::min<int>(it.Column + std::max(1, it.ColumnSpan), static_cast<int>(cw.size()));
        const int lastRow = std::min<int>(it.Row + std::max(1, it.RowSpan), static_cast<int>(rh.size()));
        const TRect cell = Rect(colEdges_[it.Column], rowEdges_[it.Row], colEdges_[lastCol], rowEdges_[lastRow]);
        TControl *c = it.Control;
        if (c->Align() == TAlign::alClient)
            c->SetBounds(cell.Left, cell.Top, cell.Width(), cell.Height());
        else
            c->SetBounds(cell.Left + (cell.Width() - c->Width()) / 2, cell.Top + (cell.Height() - c->Height()) / 2,
                         c->Width(), c->Height());
    }
    aligning_ = false;
}

TRect TCustomGridPanel::CellRect(int column, int row) const
{
    if (column < 0 || row < 0 || column + 1 >= static_cast<int>(colEdges_.size()) ||
        row + 1 >= static_cast<int>(rowEdges_.size()))
        return {};
    return Rect(colEdges_[column], rowEdges_[row], colEdges_[column + 1], rowEdges_[row + 1]);
}

void TCustomGridPanel::Paint()
{
    TCustomPanel::Paint();
}

} // namespace plat
